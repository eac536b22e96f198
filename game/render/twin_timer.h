// Two independent countdowns of the level world, each running until its
// elapsed time passes its duration, both silenced while disabled.
#pragma once

#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cTwinTimer : public cUpdatable {
 public:
  cTwinTimer();

  // Adds dt (seconds) to each running timer; a timer stops once its elapsed
  // time is greater than its duration. Never asks to be deleted.
  bool Update(f32 dt) override;

  // Unless disabled: elapsed 0, the duration, running.
  void StartFirst(f32 seconds);
  void StartSecond(f32 seconds);
  void Stop();
  // A non-zero flag also stops both timers.
  void SetDisabled(u8 disabled);

  f32 GetElapsed(u32 timer) const { return mElapsed[timer]; }
  u32 IsRunning(u32 timer) const { return mRunning[timer]; }
  u8 IsDisabled() const { return mDisabled; }

 private:
  void Start(u32 timer, f32 seconds);

  f32 mElapsed[2];
  f32 mDuration[2];
  u32 mRunning[2];
  u8 mDisabled;
};
