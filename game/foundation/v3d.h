// A three-component vector with the few operations the implants and devices
// ask of one; it shares its layout with the engine's RwV3d.
#pragma once

#include <cmath>

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tV3d : RwV3d {
  tV3d() : RwV3d{0.0f, 0.0f, 0.0f} {}
  tV3d(f32 vx, f32 vy, f32 vz) : RwV3d{vx, vy, vz} {}
  tV3d(const RwV3d& v) : RwV3d(v) {}  // NOLINT: the engine's vectors convert freely

  f32 Length() const { return std::sqrt(x * x + y * y + z * z); }
  // Turns the vector about the y axis by radians, in place:
  // x' = x cos a + z sin a, z' = z cos a - x sin a.
  void RotateY(f32 radians) {
    const f32 c = std::cos(radians);
    const f32 s = std::sin(radians);
    const f32 turnedX = x * c + z * s;
    z = z * c - x * s;
    x = turnedX;
  }
};
