// RandomFloat over the engine's random-number plugin.
#include "game/render/random.h"

#include "engine/engine.h"

namespace {

constexpr f32 kRandomScale = 1.0f / 2147483648.0f;  // 2^-31

}  // namespace

f32 RandomFloat(f32 min, f32 max) {
  const u32 r = RpRandomNext();
  return min + static_cast<f32>(r) * kRandomScale * (max - min);
}
