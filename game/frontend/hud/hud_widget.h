// The common shape of the HUD widgets: a widget that never takes events and
// draws its sprites through its own camera on its own render target; the
// HUD colours; and what the HUD reads from the player, the device at hand
// and the world, so that the widgets know those only through these calls.
#pragma once

#include "engine/engine.h"
#include "game/app/screens/widget.h"
#include "game/foundation/types.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

constexpr RwRGBA kHudBlue = {66, 166, 204, 255};
constexpr RwRGBA kHudDark = {37, 49, 60, 192};
constexpr RwRGBA kHudDim = {33, 83, 102, 128};
constexpr RwRGBA kHudBackdrop = {2, 30, 59, 192};
constexpr RwRGBA kHudWhite = {255, 255, 255, 255};

// Texture filter values of the sprites.
constexpr u32 kHudFilterNearest = 1;
constexpr u32 kHudFilterLinear = 2;

// Implants in the selector's order.
constexpr u32 kHudImplantCount = 7;

// The player as the HUD sees it. Health and energy run from 0 to 1; noise
// levels are 0 none, 1 soft, 2 medium, 3 loud.
class cHudPlayer {
 public:
  virtual ~cHudPlayer() {}
  virtual f32 GetHudHealth() const = 0;
  virtual f32 GetHudEnergy() const = 0;
  virtual u32 GetHudNoiseLevel() const = 0;
  // Index of the implant in hand (0 to 6).
  virtual u32 GetHudImplant() const = 0;
  // The implant's cost is not above the energy and it is not blocked; an
  // implant the player does not carry is not available.
  virtual bool IsHudImplantAvailable(u32 index) const = 0;
  virtual u32 GetHudItemCount() const = 0;
  // The item's type: the inventory picture it shows (0 to 9).
  virtual u32 GetHudItemType(u32 index) const = 0;
};

// Device types as the action icons tell them apart.
enum eHudDeviceType : u32 {
  kHudDeviceDoor = 0,
  kHudDeviceButton = 1,
  kHudDevicePanel = 2,
  kHudDeviceLever = 3,
  kHudDeviceKey = 4,
  kHudDeviceCard = 5,
  kHudDeviceSearchable = 6,
};

// The device at hand as the action icons see it.
class cHudDevice {
 public:
  virtual ~cHudDevice() {}
  virtual u32 GetHudDeviceType() const = 0;
  // A door's state (1: no icon); other devices answer 0.
  virtual u32 GetHudDoorState() const = 0;
  virtual bool ListensTo(u32 triggerId) const = 0;
  // A searchable's remaining search amount; others answer 0.
  virtual f32 GetHudSearchLeft() const = 0;
};

// What HUD widgets ask of the level world.
class cHudWorld {
 public:
  virtual ~cHudWorld() {}
  // A blinking alert icon has finished.
  virtual void EndAlertDisplay() = 0;
  virtual void ShowMessage(s32 message) = 0;
  // Renders a frame of the level through the game camera into the target.
  virtual void RenderHudCapture(const cRenderTarget& target) = 0;
};

class cWgHudWidget : public cWgWidget {
 public:
  explicit cWgHudWidget(const tWgPlacement& placement);
  ~cWgHudWidget() override {}

  bool OnEvent(const tEvent*) override { return false; }

 protected:
  // Begins the camera update on the widget's target; false (nothing begun)
  // when it cannot.
  bool BeginDraw();
  void EndDraw() { mCamera.EndUpdate(); }

  // Widget pixel size of the last layout (at least 1 each way).
  s32 PixelWidth() const { return mRect.w > 0 ? mRect.w : 1; }
  s32 PixelHeight() const { return mRect.h > 0 ? mRect.h : 1; }
  // Places a sprite given in width units (1.0 the widget's width, the
  // widget's middle row at half its height, as on a square widget).
  void PlaceInWidthUnits(cSprite2D& sprite, f32 x, f32 y, f32 width, f32 height) const;

  cCamera mCamera;
};

// A sprite of the size at the corner position, optionally textured.
void SetSpriteRect(cSprite2D& sprite, f32 x, f32 y, f32 width, f32 height);
void SetSpriteColour(cSprite2D& sprite, const RwRGBA& colour);
// The name with its last character replaced by the digit (0 to 9).
void NameWithDigit(char* out, u32 outSize, const char* name, u32 digit);
