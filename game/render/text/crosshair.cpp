// cWgCrosshair: the sprite set up once, drawn each render.
#include "game/render/text/crosshair.h"

namespace {

constexpr u8 kKeepViewWindow = 1;

}  // namespace

cWgCrosshair::cWgCrosshair(const tWgPlacement& placement) : cWgWidget(placement), mSprite(new cSprite2D) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  // Resets the texture coordinates to the whole texture.
  mSprite->SetTexture(kCrosshairTexture);
  mSprite->SetSize(tSpriteSize{1.0f, 1.0f});
  // Shown only while the player aims through the bionic eye.
  SetHidden(true);
}

cWgCrosshair::~cWgCrosshair() { delete mSprite; }

void cWgCrosshair::Render() {
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mSprite->Render();
  mCamera.EndUpdate();
}
