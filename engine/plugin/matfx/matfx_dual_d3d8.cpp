// Dual pass on Direct3D 8: a second texture combined with the base by the
// slot's blend functions, in one pass through texture stages where the pair
// has a stage set-up and the device the stages, else in a second pass
// blended over the first.
#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"

namespace {

constexpr RwUInt32 kThreeStages = 3;
constexpr RwUInt32 kWhite = 0xFFFFFFFFu;
constexpr RwUInt32 kBlack = 0;

// What a pair of blend functions does, as far as the stages can do it.
enum class DualCombine {
  kNone,           // only a second pass can
  kProduct,        // (9, 1) and (1, 3): base x second
  kAlphaBlend,     // (5, 6): second over base by the second's alpha
  kDoubleProduct,  // (9, 3): base x second x 2
  kSum,            // (2, 2): base + second
  kTimesAlpha,     // (1, 5): base x the second's alpha
};

DualCombine CombineOf(RwUInt32 src, RwUInt32 dest) {
  if ((src == kRwBlendDestColor && dest == kRwBlendZero) || (src == kRwBlendZero && dest == kRwBlendSrcColor)) {
    return DualCombine::kProduct;
  }
  if (src == kRwBlendSrcAlpha && dest == kRwBlendInvSrcAlpha) {
    return DualCombine::kAlphaBlend;
  }
  if (src == kRwBlendDestColor && dest == kRwBlendSrcColor) {
    return DualCombine::kDoubleProduct;
  }
  if (src == kRwBlendOne && dest == kRwBlendOne) {
    return DualCombine::kSum;
  }
  if (src == kRwBlendZero && dest == kRwBlendSrcAlpha) {
    return DualCombine::kTimesAlpha;
  }
  return DualCombine::kNone;
}

void AlphaDisable(RwUInt32 stage) { RwD3D8SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE); }

// The second texture alone (no base): it sits at stage 0.
void SetUpWithoutBase(DualCombine combine) {
  switch (combine) {
    case DualCombine::kProduct:
      AlphaDisable(0);
      break;
    case DualCombine::kAlphaBlend:
      RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, kWhite);
      _rpMatFXD3D8ColorStage(0, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR);
      AlphaDisable(0);
      _rpMatFXD3D8ColorStage(1, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_CURRENT);
      break;
    case DualCombine::kDoubleProduct:
      RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
      AlphaDisable(0);
      break;
    case DualCombine::kSum:
      _rpMatFXD3D8ColorStage(1, D3DTOP_ADD, D3DTA_DIFFUSE, D3DTA_CURRENT);
      AlphaDisable(0);
      break;
    case DualCombine::kTimesAlpha:
      _rpMatFXD3D8ColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE);
      AlphaDisable(0);
      break;
    case DualCombine::kNone:
      break;
  }
}

// The base at stage 0, the second at stage 1 and the diffuse colour last
// (the sum takes the set-up of other stage counts).
void SetUpThreeStages(DualCombine combine, RwBool baseAlpha, RwBool secondAlpha) {
  _rpMatFXD3D8ColorStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  switch (combine) {
    case DualCombine::kAlphaBlend:
      _rpMatFXD3D8ColorStage(1, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
      if (baseAlpha) {
        _rpMatFXD3D8AlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
        _rpMatFXD3D8AlphaStage(1, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_CURRENT);
        _rpMatFXD3D8AlphaStage(2, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_CURRENT);
      }
      break;
    case DualCombine::kTimesAlpha:
      _rpMatFXD3D8ColorStage(1, D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_CURRENT);
      if (baseAlpha) {
        _rpMatFXD3D8AlphaStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
        _rpMatFXD3D8AlphaStage(2, D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_CURRENT);
      }
      break;
    default:
      _rpMatFXD3D8ColorStage(1, combine == DualCombine::kDoubleProduct ? D3DTOP_MODULATE2X : D3DTOP_MODULATE,
                             D3DTA_TEXTURE, D3DTA_CURRENT);
      if (baseAlpha && secondAlpha) {
        _rpMatFXD3D8AlphaStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
        _rpMatFXD3D8AlphaStage(2, D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_CURRENT);
      }
      break;
  }
  _rpMatFXD3D8ColorStage(2, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_CURRENT);
}

// The base at stage 0 as bound (base x diffuse), the second at stage 1.
void SetUpOtherStages(DualCombine combine, RwBool baseAlpha, RwBool secondAlpha) {
  switch (combine) {
    case DualCombine::kTimesAlpha:
      _rpMatFXD3D8ColorStage(1, D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_CURRENT);
      if (baseAlpha) {
        _rpMatFXD3D8AlphaStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
      }
      return;
    case DualCombine::kSum:
      RwD3D8SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
      RwD3D8SetTextureStageState(1, D3DTSS_COLORARG0, D3DTA_CURRENT);
      RwD3D8SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      RwD3D8SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      break;
    default:
      _rpMatFXD3D8ColorStage(1, combine == DualCombine::kDoubleProduct ? D3DTOP_MODULATE2X : D3DTOP_MODULATE,
                             D3DTA_TEXTURE, D3DTA_CURRENT);
      break;
  }
  if (secondAlpha) {
    if (baseAlpha) {
      _rpMatFXD3D8AlphaStage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT);
    } else {
      AlphaDisable(1);
    }
  }
}

// Stage 0 back to the base with its default operation, the others off.
void ResetStages(RwTexture* base) {
  RwD3D8SetTexture(base, 0);
  _rpMatFXD3D8ColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  // Stage 1 may hold an operation without a texture, which unbinding
  // alone would not switch off.
  RwD3D8SetTexture(nullptr, 1);
  for (RwUInt32 stage = 1; stage <= 2; stage++) {
    RwD3D8SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    RwD3D8SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
}

// Sets up the single pass; false when the pair needs the second pass after
// all (the double product failing its validation).
RwBool SetUpSinglePass(DualCombine combine, RwTexture* base, RwTexture* second) {
  RpMatFXD3D8State* state = _rpMatFXD3D8State();
  RwD3D8SetTexture(second, base != nullptr ? 1 : 0);
  const RwBool baseAlpha = _rpMatFXD3D8HasAlpha(base);
  const RwBool secondAlpha = _rpMatFXD3D8HasAlpha(second);
  if (base == nullptr) {
    SetUpWithoutBase(combine);
  } else if (state->numStages == kThreeStages && combine != DualCombine::kSum) {
    SetUpThreeStages(combine, baseAlpha, secondAlpha);
  } else {
    SetUpOtherStages(combine, baseAlpha, secondAlpha);
  }
  if (combine == DualCombine::kDoubleProduct && state->modulate2xPending) {
    state->modulate2xPending = FALSE;
    if (!_rpMatFXD3D8ValidatesInOnePass()) {
      state->modulate2x = FALSE;
      ResetStages(base);
      return FALSE;
    }
  }
  return TRUE;
}

RwBool NeedsSecondPass(DualCombine combine, RwTexture* base, RwTexture* second) {
  const RpMatFXD3D8State* state = _rpMatFXD3D8State();
  if (!state->twoTextures ||
      (_rpMatFXD3D8IsPalettised(base) && _rpMatFXD3D8IsPalettised(second) && base->raster != second->raster)) {
    return TRUE;
  }
  switch (combine) {
    case DualCombine::kNone:
      return TRUE;
    case DualCombine::kAlphaBlend:
      return base != nullptr && state->numStages != kThreeStages;
    case DualCombine::kDoubleProduct:
      return !state->modulate2x;
    case DualCombine::kSum:
      return base != nullptr && !state->multiplyAdd;
    default:
      return FALSE;
  }
}

void RenderSinglePass(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* base) {
  const RwBool oneCoordinateSet = (flags & rpGEOMETRYTEXTURED2) == 0;
  if (oneCoordinateSet) {
    RwD3D8SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  }
  _rpMatFXD3D8DrawMesh(mesh);
  // The stage-0 states this pass changed go back through a fresh binding of
  // the base, which also restores its alpha operation.
  RwD3D8SetTexture(nullptr, 0);
  ResetStages(base);
  if (oneCoordinateSet) {
    RwD3D8SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  }
}

void RenderSecondPass(const RpD3D8InstanceData* mesh, RwUInt32 flags, const RpMatFXDualData* dual, RwTexture* second) {
  _rpMatFXD3D8DrawMesh(mesh);
  RwD3D8SetTexture(second, 0);
  RwD3D8RenderStateVertexAlphaEnable(TRUE);
  const DualCombine combine = CombineOf(dual->srcBlendMode, dual->destBlendMode);
  if (combine == DualCombine::kProduct || combine == DualCombine::kDoubleProduct) {
    RwD3D8SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  }
  const RpMatFXD3D8SavedBlends blends =
      _rpMatFXD3D8SetBlends(static_cast<RwInt32>(dual->srcBlendMode), static_cast<RwInt32>(dual->destBlendMode));
  RwUInt32 zWrite = 0;
  RwD3D8GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  // Fog added twice would double it; fog multiplied must leave the colour.
  RwUInt32 fogColor = 0;
  RwBool fogChanged = FALSE;
  if (dual->destBlendMode == kRwBlendOne) {
    fogChanged = _rpMatFXD3D8SetFogColor(kBlack, &fogColor);
  } else if (dual->srcBlendMode == kRwBlendDestColor || dual->destBlendMode == kRwBlendSrcColor) {
    fogChanged = _rpMatFXD3D8SetFogColor(kWhite, &fogColor);
  }
  const RwBool twoSets = (flags & rpGEOMETRYTEXTURED2) != 0;
  if (twoSets) {
    RwD3D8SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  }
  _rpMatFXD3D8DrawMesh(mesh);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
  if (fogChanged) {
    RwD3D8SetRenderState(D3DRS_FOGCOLOR, fogColor);
  }
  if (twoSets) {
    RwD3D8SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  }
  RwD3D8RenderStateVertexAlphaEnable(FALSE);
  _rpMatFXD3D8RestoreBlends(blends);
}

}  // namespace

void RpMatFXD3D8RenderDual(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* base, RwTexture* second) {
  const RpMatFXEffectSlot* slot = RpMatFXMaterialGetEffectSlotConst(mesh->material, kRpMatFXSlotDual);
  if (second == nullptr || slot == nullptr) {
    RpMatFXD3D8RenderDefault(mesh, flags, base);
    return;
  }
  RwTexture* bound = _rpMatFXD3D8BindBase(flags, base);
  _rpMatFXD3D8SetVertexAlpha(mesh);
  const DualCombine combine = CombineOf(slot->dual.srcBlendMode, slot->dual.destBlendMode);
  if (!NeedsSecondPass(combine, bound, second) && SetUpSinglePass(combine, bound, second)) {
    RenderSinglePass(mesh, flags, bound);
    return;
  }
  RenderSecondPass(mesh, flags, &slot->dual, second);
}
