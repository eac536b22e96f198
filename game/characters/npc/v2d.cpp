// The angle between two ground-plane vectors.
#include "game/characters/npc/v2d.h"

namespace {

constexpr double kPi = 3.14159265358979;
// Vectors whose squared lengths multiply to no more than this have no angle.
constexpr double kNoLength = 1e-6;

}  // namespace

f32 tV2d::AngleBetween(const tV2d& other) const {
  const double lengths = LengthSquared() * other.LengthSquared();
  if (lengths <= kNoLength) {
    return 0.0f;
  }
  const double cosine = (static_cast<double>(x) * other.x + static_cast<double>(y) * other.y) / std::sqrt(lengths);
  if (cosine >= 1.0) {
    return 0.0f;
  }
  if (cosine <= -1.0) {
    return static_cast<f32>(kPi);
  }
  return static_cast<f32>(std::acos(cosine));
}
