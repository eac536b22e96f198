// Places on the ground plane of a loaded level, and distances between them.
#pragma once

#include <cmath>

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tSpot {
  f32 x, z;
};

inline tSpot SpotOf(RwFrame* frame) {
  const RwV3d& at = RwFrameGetLTM(frame)->pos;
  return {at.x, at.z};
}

inline f32 Apart(const tSpot& a, const tSpot& b) { return std::hypot(a.x - b.x, a.z - b.z); }
