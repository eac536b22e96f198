// One run of the damaged-data walk inside its own process: the game started
// through its entry in the working folder, headless, on an injected clock,
// and driven with keys along the case's road.
#pragma once

#include "tools/damage_walk/damage.h"

namespace walk {

// Frames a road may take before it counts as blocked.
constexpr int kRoadFrameLimit = 6000;

// Writes "save.dat" holding one profile that continues at the level (2 to
// 5; level02 on normal, the others on hard); false when it cannot be
// written.
bool WriteContinueProfile(const char* path, int level);

// Runs the game along the road and returns the run's exit status: 0 when
// the road was gone to its end and the game closed, kStatusRoadBlocked or
// kStatusEndedEarly (the reason on standard error). A fatal error ends the
// process itself (status 3).
int DriveGame(const Case& run);

}  // namespace walk
