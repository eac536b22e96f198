// The random-number plugin: the engine's pseudo-random sequence, an additive
// lagged-Fibonacci generator over 31 words with a lag of 3. Its state lives
// in the engine instance, so it exists from RwEngineStart to RwEngineStop.
#pragma once

#include "engine/src/plcore/base_types.h"

constexpr RwInt32 kRpRandomPluginId = 0x10C;
// The seed in force from start until the game reseeds.
constexpr RwUInt32 kRpRandomDefaultSeed = 0x9A319039u;

// Registers the engine plugin; between RwEngineInit and RwEngineOpen.
RwBool RpRandomPluginAttach(void);
// Reseeds the generator; returns the last of the draws discarded to mix the
// table. 0 while the engine is not started.
RwUInt32 RpRandomSeed(RwUInt32 seed);
// The next number, 0..0x7FFFFFFF; 0 while the engine is not started.
RwUInt32 RpRandomNext(void);
