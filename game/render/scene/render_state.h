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

// Cull modes (engine values of kRwRenderStateCullMode).
constexpr RwInt32 kCullModeNone = 1;
constexpr RwInt32 kCullModeBack = 2;

// Immediate-mode transform flags: positions and colours, plus texture
// coordinates when textured.
constexpr RwUInt32 kIm3DUntexturedFlags = 24;
constexpr RwUInt32 kIm3DTexturedFlags = 25;

// Blend factors (engine values of the source and destination blend states).
constexpr RwInt32 kBlendZero = 1;
constexpr RwInt32 kBlendOne = 2;
constexpr RwInt32 kBlendInvSrcColour = 4;
constexpr RwInt32 kBlendSrcAlpha = 5;
constexpr RwInt32 kBlendInvSrcAlpha = 6;
constexpr RwInt32 kBlendInvDestColour = 10;

// The texture raster and the eight states that effects drawn through
// immediate mode change (filter, addressing, both blends, depth test and
// write, cull mode, vertex alpha): saved when made, put back by Restore.
class cEffectRenderStates {
 public:
  static constexpr u32 kCount = 8;

  cEffectRenderStates();
  void Restore() const;

 private:
  void* mRaster;
  RwInt32 mStates[kCount];
};
