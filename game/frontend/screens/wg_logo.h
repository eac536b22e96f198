// A full-screen logo picture that fades in from black, stands and fades out
// to black again, under a black overlay whose alpha follows the fade.
#pragma once

#include "game/app/screens/widget.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

enum eLogoState : u32 {
  kLogoFadingIn = 0,
  kLogoStanding = 1,
  kLogoFadingOut = 2,
  kLogoDone = 3,
};

// A fade at speed 1 lasts one second; a hurried logo fades this much faster.
constexpr f32 kLogoHurriedSpeed = 4.0f;

class cWgLogo : public cWgWidget {
 public:
  // Fading in at speed 1 from full black; standing for standingTime seconds.
  cWgLogo(const tWgPlacement& placement, const char* texture, f32 standingTime);
  ~cWgLogo() override;

  cWgLogo(const cWgLogo&) = delete;
  cWgLogo& operator=(const cWgLogo&) = delete;

  // On ticks: the fade of the state by dt x speed x 255, or the standing
  // time. False.
  bool OnEvent(const tEvent* event) override;
  // The picture, then the overlay.
  void Render() override;

  bool IsDone() const { return mState == kLogoDone; }
  u32 GetState() const { return mState; }
  void SetState(u32 state) { mState = state; }
  void SetSpeed(f32 speed) { mSpeed = speed; }
  f32 GetFadeLevel() const { return mFadeLevel; }
  // The overlay's alpha: the fade level, truncated.
  u8 GetOverlayAlpha() const { return mOverlayAlpha; }

 private:
  void ShowFade();

  u32 mState;
  cCamera mCamera;
  cSprite2D mPicture;
  cSprite2D mOverlay;
  f32 mSpeed;
  u8 mOverlayAlpha;
  f32 mFadeLevel;  // 0 (clear) to 255 (black)
  f32 mElapsed;    // seconds standing
  f32 mStandingTime;
};
