// The hologram implant: projects the level's double of the player one unit
// in front of him. The double grows out of a thin line, flickers into full
// size, stands for HOLO_TIME seconds with a pulsing transparency and a
// small jitter, then shrinks and vanishes. One use costs the cost once.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound.h"
#include "game/characters/implants/implant.h"
#include "game/foundation/updatable.h"

class cDorvaHoloMan;

enum eHologramPhase : u32 {
  kHologramStart = 0,
  kHologramGrow = 1,
  kHologramFlicker = 2,
  kHologramStand = 3,
  kHologramShrink = 4,
  kHologramVanish = 5,
  kHologramEnd = 6,
  kHologramIdle = 7,
};

constexpr char kHologramSound[] = "sfx/im_hologram";
// The double stands this far ahead of the player and looks this far on.
constexpr f32 kHologramDistance = 1.0f;
constexpr f32 kHologramLookDistance = 200.0f;
// Seconds of the growth, the flicker (counted from the use), the shrinking
// and the vanishing.
constexpr f32 kHologramGrowSeconds = 0.25f;
constexpr f32 kHologramFlickerSeconds = 1.5f;
constexpr f32 kHologramShrinkSeconds = 0.45f;
constexpr f32 kHologramVanishSeconds = 0.2f;
// The pulse after the flicker: alpha, target and rate (per half second).
constexpr f32 kHologramPulseAlpha = 180.0f;
constexpr f32 kHologramPulseTarget = 190.0f;
constexpr f32 kHologramPulseRate = 10.0f;

class cHologramImplant : public cImplant, public cUpdatable {
 public:
  cHologramImplant();
  ~cHologramImplant() override;

  // Keeps the world; the implant and its three pulse timers join the
  // update list; the double takes material colours; the looping sound.
  void BindToWorld(cQXWorld* world);
  // With a double and the cost at most the energy: pays, and the double
  // starts growing one unit ahead of the player (again, when one stands);
  // else the refusal cue and no cost.
  void Use();
  // The double leaves the scene (when it is there) and is hidden.
  void End();
  bool Update(f32 dt) override;
  // The standing pulse of the transparency and the jitter.
  void Pulse(f32 dt);

  bool IsActive() const { return mActive != 0; }
  u32 GetPhase() const { return mPhase; }
  f32 GetElapsed() const { return mElapsed; }
  f32 GetPulseAlpha() const { return mPulseAlpha; }
  const RwV3d& GetStartPosition() const { return mStartPosition; }
  cSndEngWin& GetSound() { return mSound; }

 private:
  cDorvaHoloMan* Double() const;
  RwFrame* DoubleFrame() const;
  // Turns the double to the look-at point.
  void ReAim();
  // Re-aimed, then scaled by s (pre-concatenated).
  void ReAimScaled(const RwV3d& scale);
  // A translation to p (replace), re-aimed.
  void PlaceAt(const RwV3d& p);
  void SetColour(u8 alpha, u8 red, u8 green, u8 blue);
  void ResetPulse();

  f32 mElapsed;  // seconds; restarted at the end of the flicker
  u8 mActive;
  RwV3d mStartPosition;
  RwV3d mLookAt;
  cSndEngWin mSound;
  f32 mPulseAlpha;  // 0..255
  f32 mPulseTarget;
  f32 mPulseRate;          // per half second
  cTimer mPulseTimers[3];  // A, B, C: milliseconds
  u32 mPhase;
};
