// The Ultra implant: while on, every other man moves at a fifth of his
// speed, the screen takes a tint that fades in and out over a second, the
// player turns yellow and the camera's field of view follows the player's
// posture. It drains its cost every second and fades out by itself when
// the energy runs short.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/implants/implant.h"
#include "game/foundation/updatable.h"

enum eUltraPhase : u32 {
  kUltraFadeIn = 0,
  kUltraOn = 1,
  kUltraFadeOut = 2,
  kUltraViewReturn = 3,
  kUltraOff = 4,
};

constexpr char kUltraSound[] = "sfx/im_ultra";
// The other men's animation speed while Ultra runs.
constexpr f32 kUltraMenSpeed = 0.2f;
// The view steps by pi/64 a frame, only while it is pi/32 or more from its
// target, and counts as returned within 0.1 of the saved one.
constexpr f32 kUltraViewStep = 0.049087387f;
constexpr f32 kUltraViewThreshold = 0.09817477f;
constexpr f32 kUltraViewReturned = 0.1f;

class cUltraImplant : public cImplant, public cUpdatable {
 public:
  cUltraImplant();
  ~cUltraImplant() override;

  // Keeps the world, joins its update list and loads the looping sound;
  // the saved and current views start at the camera's configured one.
  void BindToWorld(cQXWorld* world);
  // With the cost at most the energy: sound, men slowed, fade-in, the
  // world's flag, the player yellow, the overlay on; else the refusal cue.
  void Start();
  // Sound off, men at full speed, fade-out, the player's own colour, the
  // overlay off.
  void Stop();
  bool Update(f32 dt) override;

  void FadeIn(f32 t);
  void FadeOut(f32 t);
  void UpdateView();
  void StepViewAngle(f32 target);

  // In use while not off (the men's perception reads this).
  bool IsInUse() const { return mPhase != kUltraOff; }
  u32 GetPhase() const { return mPhase; }
  f32 GetElapsed() const { return mElapsed; }
  f32 GetSavedView() const { return mSavedView; }
  f32 GetCurrentView() const { return mCurrentView; }
  cSndEngWin& GetSound() { return mSound; }

 private:
  // The screen tint of the world's render manager; (255, 255, 255, 0)
  // switches the overlay off.
  void SetTint(u8 red, u8 green, u8 blue, u8 alpha);
  void SetMenSpeed(f32 speed);

  u32 mPhase;
  u8 mStarted;
  f32 mElapsed;  // seconds into the fade
  cSndEngWin mSound;
  f32 mSavedView;    // radians
  f32 mCurrentView;  // radians
};
