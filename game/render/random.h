// Uniform random numbers from the engine's pseudo-random sequence.
#pragma once

#include "game/foundation/types.h"

// min + r x 2^-31 x (max - min) for the engine's next value r
// (0..0x7FFFFFFF): a value in [min, max), min itself when they are equal.
f32 RandomFloat(f32 min, f32 max);
