// The last frame times of the level, in milliseconds, for the frame-rate
// counter: a ring that overwrites its oldest sample.
#pragma once

#include "game/foundation/types.h"

struct tFrameTimeRing {
  // count samples, all 0; the clock's present reading as the last time.
  explicit tFrameTimeRing(u32 sampleCount);
  ~tFrameTimeRing();

  tFrameTimeRing(const tFrameTimeRing&) = delete;
  tFrameTimeRing& operator=(const tFrameTimeRing&) = delete;

  // Stores the milliseconds since the last push (or construction) at the
  // position, advances the position (back to 0 at count) and keeps nowMs.
  void Push(u32 nowMs);

  u32 lastTime;  // milliseconds of the application clock
  u32 count;
  u32* samples;
  u32 position;  // of the next sample
};
