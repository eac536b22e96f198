// A full-screen black overlay that fades the picture to black or back from
// black over a number of rendered frames, and can hold the screen black
// between fades.
#pragma once

#include "game/app/screens/widget.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

enum eFadeDirection : s32 {
  kFadeFromBlack = -1,
  kFadeIdle = 0,
  kFadeToBlack = 1,
};

class cWgScreenFader : public cWgWidget {
 public:
  // Idle, not held, the overlay black and opaque.
  explicit cWgScreenFader(const tWgPlacement& placement);
  ~cWgScreenFader() override;

  cWgScreenFader(const cWgScreenFader&) = delete;
  cWgScreenFader& operator=(const cWgScreenFader&) = delete;

  // Alpha 0 to 255 (FadeOut) or 255 to 0 (FadeIn) over that many renders;
  // ignored while a fade runs. A fade of 0 frames takes one.
  void FadeOut(u32 frames);
  void FadeIn(u32 frames);
  // While held the overlay is drawn also when no fade runs.
  void SetHold(bool hold) { mHold = hold ? 1 : 0; }
  // Only while fading or held: one step of the fade, then the overlay.
  void Render() override;

  bool IsFading() const { return mDirection != kFadeIdle; }
  bool IsHeld() const { return mHold != 0; }
  const RwRGBA& GetColour() const { return mColour; }
  void SetColour(const RwRGBA& colour) { mColour = colour; }

 private:
  void Start(s32 direction, u32 frames);

  cCamera mCamera;
  cSprite2D mOverlay;
  s32 mDirection;
  u32 mStep;
  u32 mFrames;
  RwRGBA mColour;
  u8 mHold;
};
