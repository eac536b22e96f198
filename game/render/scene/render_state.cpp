// Saving and restoring the render states of immediate-mode effects.
#include "game/render/scene/render_state.h"

namespace {

constexpr RwInt32 kEffectStates[cEffectRenderStates::kCount] = {
    kRwRenderStateTextureFilter, kRwRenderStateTextureAddress, kRwRenderStateSrcBlend, kRwRenderStateDestBlend,
    kRwRenderStateZTestEnable,   kRwRenderStateZWriteEnable,   kRwRenderStateCullMode, kRwRenderStateVertexAlphaEnable,
};

}  // namespace

cEffectRenderStates::cEffectRenderStates() : mRaster(nullptr) {
  RwRenderStateGet(kRwRenderStateTextureRaster, &mRaster);
  for (u32 i = 0; i < kCount; i++) {
    mStates[i] = GetRenderState(kEffectStates[i]);
  }
}

void cEffectRenderStates::Restore() const {
  SetTextureRaster(static_cast<RwRaster*>(mRaster));
  for (u32 i = 0; i < kCount; i++) {
    SetRenderState(kEffectStates[i], mStates[i]);
  }
}
