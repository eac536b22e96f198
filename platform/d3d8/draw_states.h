// The fixed-function states a Direct3D device keeps (render, texture-stage
// and transform states, the material and the lights) and the defaults a
// device starts with and returns to on Reset. The device and its renderer
// share one copy.
#pragma once

#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8draw {

// Transform slots: 0..255 as numbered (view 2, projection 3, textures
// 16..23), 256..511 the world matrices.
constexpr int kTransformSlotCount = 512;
// Lights are numbered 0..kMaxLightIndex.
constexpr DWORD kMaxLightIndex = 0xFFFF;

struct LightSlot {
  D3DLIGHT8 light;
  bool set = false;  // by SetLight, or by enabling it
  bool enabled = false;
};

struct FixedStates {
  DWORD renderStates[D3D8_RENDER_STATE_COUNT];
  DWORD stageStates[D3D8_TEXTURE_STAGE_COUNT][D3D8_TEXTURE_STAGE_STATE_COUNT];
  D3DMATRIX transforms[kTransformSlotCount];
  D3DMATERIAL8 material;
  std::vector<LightSlot> lights;

  // Direct3D's defaults: identity transforms, a black material and no
  // lights; the z test is on when zEnable.
  void SetDefaults(bool zEnable);
  // Stores a light; false for an index past kMaxLightIndex or a light of no
  // known type.
  bool SetLight(DWORD index, const D3DLIGHT8* light);
  // Switches a light on or off; a light never set first becomes the default:
  // white, directional, shining along +z. False for an index past
  // kMaxLightIndex.
  bool EnableLight(DWORD index, bool on);
};

}  // namespace d3d8draw
