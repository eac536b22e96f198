// What the HUD reads from the player and the device at hand and asks of
// the level world: the widgets know those only through these calls, which
// the player, the devices and the world answer.
#pragma once

#include "game/foundation/types.h"
#include "game/render/scene/render_target.h"

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
  // The level's message of that index (from 0).
  virtual void ShowMessage(u32 message) = 0;
  // Renders a frame of the level through the game camera into the target.
  virtual void RenderHudCapture(const cRenderTarget& target) = 0;
};
