// Engine render states carried as integers: every value travels
// pointer-sized through the engine's render-state calls.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "game/foundation/types.h"

inline void SetRenderState(RwInt32 state, RwInt32 value) {
  RwRenderStateSet(state, reinterpret_cast<void*>(static_cast<intptr_t>(value)));
}

inline RwInt32 GetRenderState(RwInt32 state) {
  intptr_t value = 0;
  RwRenderStateGet(state, &value);
  return static_cast<RwInt32>(value);
}

inline void SetTextureRaster(RwRaster* raster) { RwRenderStateSet(kRwRenderStateTextureRaster, raster); }
