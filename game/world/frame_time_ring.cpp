// tFrameTimeRing: the level's frame-time samples.
#include "game/world/frame_time_ring.h"

#include "game/app/frame_tick.h"

tFrameTimeRing::tFrameTimeRing(u32 sampleCount)
    : lastTime(GetTimeMs()), count(sampleCount), samples(new u32[sampleCount]()), position(0) {}

tFrameTimeRing::~tFrameTimeRing() { delete[] samples; }

void tFrameTimeRing::Push(u32 nowMs) {
  if (count == 0) {
    return;
  }
  samples[position] = nowMs - lastTime;
  position = position + 1 == count ? 0 : position + 1;
  lastTime = nowMs;
}
