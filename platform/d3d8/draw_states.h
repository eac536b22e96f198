// The fixed-function states a Direct3D device keeps (render, texture-stage
// and transform states and the material) and the defaults a device starts
// with and returns to on Reset.
#pragma once

#include "platform/d3d8/d3d8.h"

namespace d3d8draw {

// Transform slots: 0..255 as numbered (view 2, projection 3, textures
// 16..23), 256..511 the world matrices.
constexpr int kTransformSlotCount = 512;

struct FixedStates {
  DWORD renderStates[D3D8_RENDER_STATE_COUNT];
  DWORD stageStates[D3D8_TEXTURE_STAGE_COUNT][D3D8_TEXTURE_STAGE_STATE_COUNT];
  D3DMATRIX transforms[kTransformSlotCount];
  D3DMATERIAL8 material;

  // Direct3D's defaults: identity transforms and a black material; the z
  // test is on when zEnable.
  void SetDefaults(bool zEnable);
};

}  // namespace d3d8draw
