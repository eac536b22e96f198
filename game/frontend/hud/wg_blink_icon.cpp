// cWgBlinkIcon: one step of the blink per render.
#include "game/frontend/hud/wg_blink_icon.h"

cWgBlinkIcon::cWgBlinkIcon(cHudWorld* world, const tWgPlacement& placement, const char* texture)
    : cWgHudWidget(placement),
      mWorld(world),
      mDirection(0),
      mStep(0),
      mFrames(kAlertBlinkFrames),
      mHalfBlinksLeft(0),
      mColour{255, 255, 255, 0} {
  mSprite.SetTexture(texture);
  SetSpriteColour(mSprite, mColour);
}

void cWgBlinkIcon::StartBlink(u32 halfBlinks, u32 frames) {
  mHalfBlinksLeft = halfBlinks;
  if (mDirection == 0 && frames > 0) {
    mFrames = frames;
    mStep = 0;
    mDirection = 1;
  }
}

void cWgBlinkIcon::Render() {
  if (mDirection == 0) {
    return;
  }
  mStep++;
  mColour.alpha = static_cast<u8>(mDirection == 1 ? mStep * 255 / mFrames : 255 - mStep * 255 / mFrames);
  if (mStep >= mFrames) {
    mDirection = -mDirection;
    mStep = 0;
    if (mHalfBlinksLeft > 0) {
      mHalfBlinksLeft--;
    }
    if (mHalfBlinksLeft == 0) {
      mDirection = 0;
      if (mWorld != nullptr) {
        mWorld->EndAlertDisplay();
      }
    }
  }
  if (!BeginDraw()) {
    return;
  }
  SetSpriteColour(mSprite, mColour);
  mSprite.Render();
  EndDraw();
}
