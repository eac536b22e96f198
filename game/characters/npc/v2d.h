// Ground-plane vectors of the NPCs' steering: {x, z} of a world position
// stored as x and y.
#pragma once

#include <cmath>

#include "game/foundation/types.h"

struct tV2d {
  f32 x;
  f32 y;

  double DistanceSquared(const tV2d& other) const {
    const double dx = static_cast<double>(x) - other.x;
    const double dy = static_cast<double>(y) - other.y;
    return dx * dx + dy * dy;
  }
  double LengthSquared() const { return static_cast<double>(x) * x + static_cast<double>(y) * y; }
  f32 Length() const { return static_cast<f32>(std::sqrt(LengthSquared())); }
  // Radians 0..pi between the two directions; 0 when either has no length.
  f32 AngleBetween(const tV2d& other) const;
};
