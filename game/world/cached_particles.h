// The particle files of the men's and implants' effects, which every level
// caches before its own particles.
#pragma once

#include "game/foundation/types.h"

constexpr u32 kCachedParticleFileCount = 12;
extern const char* const kCachedParticleFiles[kCachedParticleFileCount];
