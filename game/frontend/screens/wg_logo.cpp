// The fading logo widget.
#include "game/frontend/screens/wg_logo.h"

#include "game/app/event.h"

namespace {

constexpr f32 kFadeFull = 255.0f;
constexpr u8 kKeepViewWindow = 1;

}  // namespace

cWgLogo::cWgLogo(const tWgPlacement& placement, const char* texture, f32 standingTime)
    : cWgWidget(placement),
      mState(kLogoFadingIn),
      mPicture(texture, tSpriteSize{1.0f, 1.0f}),
      mOverlay(tSpriteSize{1.0f, 1.0f}),
      mSpeed(1.0f),
      mOverlayAlpha(255),
      mFadeLevel(kFadeFull),
      mElapsed(0.0f),
      mStandingTime(standingTime) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  mOverlay.SetColour(0, 0, 0, mOverlayAlpha);
}

cWgLogo::~cWgLogo() {}

bool cWgLogo::OnEvent(const tEvent* event) {
  if (event->type != kEventTick) {
    return false;
  }
  const f32 dt = event->tick.frameTime;
  const f32 step = dt * mSpeed * kFadeFull;
  switch (mState) {
    case kLogoFadingIn:
      mFadeLevel -= step;
      if (mFadeLevel < 0.0f) {
        mFadeLevel = 0.0f;
        mState = kLogoStanding;
      }
      ShowFade();
      break;
    case kLogoStanding:
      mElapsed += dt;
      if (mElapsed >= mStandingTime) {
        mElapsed = 0.0f;
        mState = kLogoFadingOut;
      }
      break;
    case kLogoFadingOut:
      mFadeLevel += step;
      if (mFadeLevel > kFadeFull) {
        mFadeLevel = kFadeFull;
        mState = kLogoDone;
      }
      ShowFade();
      break;
    default:
      break;
  }
  return false;
}

void cWgLogo::ShowFade() {
  mOverlayAlpha = static_cast<u8>(mFadeLevel);
  mOverlay.SetColour(0, 0, 0, mOverlayAlpha);
}

void cWgLogo::Render() {
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mPicture.Render();
  mOverlay.Render();
  mCamera.EndUpdate();
}
