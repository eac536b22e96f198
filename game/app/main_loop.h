// The program's only loop: window messages first, then, paced to one frame
// per 40 ms, the idle event that runs the frame; the input devices are polled
// after each.
#pragma once

#include "game/foundation/types.h"

constexpr s32 kFramePeriodMs = 40;
constexpr char kInstanceMutexName[] = "DorvaManGameInstance";

// With elapsedMs since the last frame: the milliseconds to sleep before
// looking again (half the remaining time, rounded down), or -1 when the
// next frame is due.
s32 FramePacingSleep(s32 elapsedMs);

// Runs until the quit flag is set or WM_QUIT arrives.
void RunMainLoop();
