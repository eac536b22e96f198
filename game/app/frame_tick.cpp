// Frame time measurement and the tick event.
#include "game/app/frame_tick.h"

#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/app/time_scale.h"
#include "platform/win/win32.h"

u32 gFrameNumber = 0;

namespace {

u32 sLastTickTime = 0;
f32 sFrameTimes[kFrameAverageCount];
u32 sFramePosition = 0;
f32 sFrameTimeSum = 0.0f;

}  // namespace

u32 GetTimeMs() { return timeGetTime(); }

f32 MeasureFrameTime(u32 nowMs) {
  f32 dt = 0.0f;
  if (sLastTickTime != 0) {
    dt = static_cast<f32>(nowMs - sLastTickTime) * 0.001f;
  }
  sLastTickTime = nowMs;
  gFrameNumber++;
  if (dt > kMaxFrameTime) {
    dt = kMaxFrameTime;
  }
  sFrameTimeSum = sFrameTimeSum - sFrameTimes[sFramePosition] + dt;
  sFrameTimes[sFramePosition] = dt;
  sFramePosition = sFramePosition + 1 == kFrameAverageCount ? 0 : sFramePosition + 1;
  // Always divided by the full count: the first ticks are lowered by the
  // zeros still in the ring.
  return sFrameTimeSum / static_cast<f32>(kFrameAverageCount);
}

void FrameTickAt(u32 nowMs) {
  f32 average = MeasureFrameTime(nowMs);
  tEvent* tick = QueueNewEvent(kEventTick);
  if (tick != nullptr) {
    tick->tick.frameTime = average * gTimeScale;
  }
  if (gEventDevice != nullptr) {
    gEventDevice->Dispatch();
  }
}

void FrameTick() { FrameTickAt(GetTimeMs()); }

void ResetFrameTick() {
  gFrameNumber = 0;
  sLastTickTime = 0;
  for (f32& time : sFrameTimes) {
    time = 0.0f;
  }
  sFramePosition = 0;
  sFrameTimeSum = 0.0f;
}
