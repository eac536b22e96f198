// The screen fader.
#include "game/frontend/screens/wg_screen_fader.h"

namespace {

constexpr u32 kOpaque = 255;
constexpr u8 kKeepViewWindow = 1;

}  // namespace

cWgScreenFader::cWgScreenFader(const tWgPlacement& placement)
    : cWgWidget(placement),
      mOverlay(tSpriteSize{1.0f, 1.0f}),
      mDirection(kFadeIdle),
      mStep(0),
      mFrames(0),
      mColour{0, 0, 0, 255},
      mHold(0) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgScreenFader::~cWgScreenFader() {}

void cWgScreenFader::Start(s32 direction, u32 frames) {
  if (mDirection != kFadeIdle) {
    return;
  }
  // The alpha is divided by the frame count.
  mFrames = frames > 0 ? frames : 1;
  mStep = 0;
  mDirection = direction;
}

void cWgScreenFader::FadeOut(u32 frames) { Start(kFadeToBlack, frames); }

void cWgScreenFader::FadeIn(u32 frames) { Start(kFadeFromBlack, frames); }

void cWgScreenFader::Render() {
  if (mDirection == kFadeIdle && !mHold) {
    return;
  }
  if (mDirection != kFadeIdle) {
    mStep++;
    const u32 alpha = mStep * kOpaque / mFrames;
    mColour.alpha = static_cast<u8>(mDirection == kFadeToBlack ? alpha : kOpaque - alpha);
    if (mStep >= mFrames) {
      mDirection = kFadeIdle;
    }
  }
  mOverlay.SetColour(mColour.red, mColour.green, mColour.blue, mColour.alpha);
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mOverlay.Render();
  mCamera.EndUpdate();
}
