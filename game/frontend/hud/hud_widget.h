// The common shape of the HUD widgets: a widget that never takes events and
// draws its sprites through its own camera on its own render target, and
// the HUD colours.
#pragma once

#include "engine/engine.h"
#include "game/app/screens/widget.h"
#include "game/foundation/types.h"
#include "game/frontend/hud/hud_sources.h"
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
// The same, given in width units on a target of w x h pixels (1.0 the
// target's width, the middle row at half its height).
void SetSpriteRectInWidthUnits(cSprite2D& sprite, f32 w, f32 h, f32 x, f32 y, f32 width, f32 height);
void SetSpriteColour(cSprite2D& sprite, const RwRGBA& colour);
// The name with its last character replaced by the digit (0 to 9).
void NameWithDigit(char* out, u32 outSize, const char* name, u32 digit);
