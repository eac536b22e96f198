// The frame tick: the idle event's work. It measures the frame time, limits
// and smooths it, scales it, queues a tick event and dispatches the queue.
#pragma once

#include "game/foundation/types.h"

// Frames longer than this count as this long, in seconds.
constexpr f32 kMaxFrameTime = 0.05f;
// Number of frames the frame time is averaged over.
constexpr u32 kFrameAverageCount = 60;

// Counts ticks; render objects use it to do their work once per frame.
extern u32 gFrameNumber;

// Milliseconds of the frame clock.
u32 GetTimeMs();

void FrameTick();
// The same with the clock reading given.
void FrameTickAt(u32 nowMs);
// The frame time a tick at nowMs carries, before the time scale; advances
// the measurement state.
f32 MeasureFrameTime(u32 nowMs);
// Back to the state at program start.
void ResetFrameTick();
