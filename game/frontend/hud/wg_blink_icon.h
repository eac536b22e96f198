// A blinking alert icon: it fades in and out a number of times when the
// world raises an alert and then tells the world that it has finished.
#pragma once

#include "game/frontend/hud/hud_widget.h"

constexpr u32 kAlertIconCount = 5;
constexpr const char* kAlertIconTextures[kAlertIconCount] = {"data/textures/info", "data/textures/galert",
                                                             "data/textures/malert", "data/textures/alert",
                                                             "data/textures/dalert"};
constexpr u32 kAlertHalfBlinks = 6;
constexpr u32 kAlertBlinkFrames = 16;

class cWgBlinkIcon : public cWgHudWidget {
 public:
  // world is not owned (may be null).
  cWgBlinkIcon(cHudWorld* world, const tWgPlacement& placement, const char* texture);
  ~cWgBlinkIcon() override {}

  // Sets the half blinks left; an idle icon starts fading in over frames.
  void StartBlink(u32 halfBlinks, u32 frames);
  // Stops at once.
  void Hide() { mDirection = 0; }
  bool IsBlinking() const { return mDirection != 0; }
  u8 GetAlpha() const { return mColour.alpha; }
  void Render() override;

 private:
  cHudWorld* mWorld;
  cSprite2D mSprite;
  s32 mDirection;  // 0 idle, 1 fading in, -1 fading out
  u32 mStep;
  u32 mFrames;
  u32 mHalfBlinksLeft;
  RwRGBA mColour;
};
