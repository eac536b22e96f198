// The HUD widget base and sprite helpers.
#include "game/frontend/hud/hud_widget.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr u8 kKeepViewWindow = 1;

}  // namespace

cWgHudWidget::cWgHudWidget(const tWgPlacement& placement) : cWgWidget(placement) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

bool cWgHudWidget::BeginDraw() { return mCamera.BeginUpdate(mTarget, kKeepViewWindow) != nullptr; }

void cWgHudWidget::PlaceInWidthUnits(cSprite2D& sprite, f32 x, f32 y, f32 width, f32 height) const {
  SetSpriteRectInWidthUnits(sprite, static_cast<f32>(PixelWidth()), static_cast<f32>(PixelHeight()), x, y, width,
                            height);
}

void SetSpriteRect(cSprite2D& sprite, f32 x, f32 y, f32 width, f32 height) {
  sprite.SetPosition(RwV2d{x, y}, 0);
  sprite.SetSize(tSpriteSize{width, height});
}

void SetSpriteRectInWidthUnits(cSprite2D& sprite, f32 w, f32 h, f32 x, f32 y, f32 width, f32 height) {
  // Width units to pixels, the square's middle on the target's middle row.
  const f32 top = y * w - (w - h) * 0.5f;
  SetSpriteRect(sprite, x, top / h, width, height * w / h);
}

void SetSpriteColour(cSprite2D& sprite, const RwRGBA& colour) {
  sprite.SetColour(colour.red, colour.green, colour.blue, colour.alpha);
}

void NameWithDigit(char* out, u32 outSize, const char* name, u32 digit) {
  const size_t length = strlen(name);
  if (outSize == 0 || length == 0 || length >= outSize) {
    if (outSize > 0) {
      out[0] = '\0';
    }
    return;
  }
  memcpy(out, name, length + 1);
  out[length - 1] = static_cast<char>('0' + digit % 10);
}
