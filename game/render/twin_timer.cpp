// cTwinTimer.
#include "game/render/twin_timer.h"

cTwinTimer::cTwinTimer() : mElapsed{0.0f, 0.0f}, mDuration{0.0f, 0.0f}, mRunning{0, 0}, mDisabled(0) {}

bool cTwinTimer::Update(f32 dt) {
  if (mDisabled != 0) {
    return false;
  }
  for (u32 timer = 0; timer < 2; timer++) {
    if (mRunning[timer] == 0) {
      continue;
    }
    mElapsed[timer] += dt;
    // Reaching the duration exactly keeps it running until the next update.
    if (mElapsed[timer] > mDuration[timer]) {
      mRunning[timer] = 0;
    }
  }
  return false;
}

void cTwinTimer::Start(u32 timer, f32 seconds) {
  if (mDisabled != 0) {
    return;
  }
  mElapsed[timer] = 0.0f;
  mDuration[timer] = seconds;
  mRunning[timer] = 1;
}

void cTwinTimer::StartFirst(f32 seconds) { Start(0, seconds); }

void cTwinTimer::StartSecond(f32 seconds) { Start(1, seconds); }

void cTwinTimer::Stop() {
  mRunning[0] = 0;
  mRunning[1] = 0;
}

void cTwinTimer::SetDisabled(u8 disabled) {
  mDisabled = disabled;
  if (disabled != 0) {
    Stop();
  }
}
