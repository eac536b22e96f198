// Environment maps on Direct3D 8: the environment texture's coordinates from
// the camera-space normal (or reflection vector for cube maps), added over
// the base in a second texture stage when the device can, else in a second,
// additive pass.
#include <cmath>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/src/camera.h"
#include "engine/src/frame.h"
#include "engine/world/material.h"

namespace {

constexpr RwUInt8 kOpaque = 255;
constexpr RwUInt8 kFullStrength = 255;

// Camera-space normal (x, y) to texture coordinates: u = 0.5 x + 0.5,
// v = 0.5 - 0.5 y.
const D3DMATRIX kNormalToTexture = {
    {{0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f, 0.0f, 1.0f}}};

// The coefficient as a byte: 0..255, rounded.
RwUInt8 Strength(RwReal coefficient) {
  const RwReal scaled = std::floor(coefficient * 255.0f + 0.5f);
  if (!(scaled > 0.0f)) {
    return 0;
  }
  return scaled >= 255.0f ? kFullStrength : static_cast<RwUInt8>(scaled);
}

RwUInt32 FactorOf(RwUInt8 strength) { return 0x01010101u * strength; }

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out = {};
  for (int row = 0; row < 4; row++) {
    for (int column = 0; column < 4; column++) {
      float sum = 0.0f;
      for (int k = 0; k < 4; k++) {
        sum += a.m[row][k] * b.m[k][column];
      }
      out.m[row][column] = sum;
    }
  }
  return out;
}

// The camera-space normal turned into the environment frame's space, with
// the frame's mirror image in x (as the fixed mapping sees it) and no
// translation.
D3DMATRIX FrameTransform(RwFrame* frame) {
  RwMatrix inverse;
  RwMatrixInvert(&inverse, RwFrameGetLTM(frame));
  RwMatrix turned;
  const RwCamera* camera = RwCameraGetCurrentCamera();
  RwFrame* cameraFrame = camera != nullptr ? RwCameraGetFrame(const_cast<RwCamera*>(camera)) : nullptr;
  if (cameraFrame != nullptr) {
    RwMatrixMultiply(&turned, RwFrameGetLTM(cameraFrame), &inverse);
  } else {
    turned = inverse;
  }
  const D3DMATRIX m = {{{-turned.right.x, -turned.right.y, -turned.right.z, 0.0f, turned.up.x, turned.up.y, turned.up.z,
                         0.0f, turned.at.x, turned.at.y, turned.at.z, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}}};
  return Multiply(m, kNormalToTexture);
}

void ResetStageCoordinates(RwUInt32 stage) {
  RwD3D8SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  RwD3D8SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
}

RwBool MayBeTranslucent(const RpD3D8InstanceData* mesh, RwTexture* base) {
  return mesh->vertexAlpha || (mesh->material != nullptr && mesh->material->color.alpha != kOpaque) ||
         _rpMatFXD3D8HasAlpha(base);
}

// The base as bound, then the environment in its own stage.
void RenderTwoStages(const RpD3D8InstanceData* mesh, const RpMatFXEnvMapData* slot, RwTexture* base,
                     RwTexture* environment, RwUInt8 strength) {
  RpMatFXD3D8State* state = _rpMatFXD3D8State();
  if (strength == kFullStrength && base == nullptr) {
    RpMatFXD3D8EnvMapSetupStage(environment, 0, slot->frame);
    RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    _rpMatFXD3D8DrawMesh(mesh);
    RwD3D8SetTexture(nullptr, 0);
    ResetStageCoordinates(0);
    return;
  }
  RpMatFXD3D8EnvMapSetupStage(environment, 1, slot->frame);
  if (strength == kFullStrength) {
    _rpMatFXD3D8ColorStage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    if (state->envAddPending) {
      state->envAddValidated = _rpMatFXD3D8ValidatesInOnePass();
      state->envAddPending = FALSE;
    }
  } else {
    RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, FactorOf(strength));
    RwD3D8SetTextureStageState(1, D3DTSS_COLORARG0, D3DTA_CURRENT);
    _rpMatFXD3D8ColorStage(1, D3DTOP_MULTIPLYADD, D3DTA_TEXTURE, D3DTA_TFACTOR);
  }
  _rpMatFXD3D8DrawMesh(mesh);
  RwD3D8SetTexture(nullptr, 1);
  ResetStageCoordinates(1);
}

// The environment drawn over what the frame buffer holds, scaled by its
// alpha and the strength and added.
void RenderAdditivePass(const RpD3D8InstanceData* mesh, const RpMatFXEnvMapData* slot, RwTexture* environment,
                        RwUInt8 strength) {
  RpMatFXD3D8EnvMapSetupStage(environment, 0, slot->frame);
  RwD3D8RenderStateVertexAlphaEnable(TRUE);
  const RpMatFXD3D8SavedBlends blends = _rpMatFXD3D8SetBlends(kRwBlendSrcAlpha, kRwBlendOne);
  if (strength == kFullStrength) {
    RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    RwD3D8SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  } else {
    RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, FactorOf(strength));
    _rpMatFXD3D8ColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR);
    _rpMatFXD3D8AlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TFACTOR);
  }
  RwUInt32 lighting = 0;
  RwUInt32 zWrite = 0;
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  RwD3D8GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
  RwD3D8SetRenderState(D3DRS_LIGHTING, FALSE);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  RwUInt32 fogColor = 0;
  const RwBool fog = _rpMatFXD3D8SetFogColor(0, &fogColor);
  _rpMatFXD3D8DrawMesh(mesh);
  if (fog) {
    RwD3D8SetRenderState(D3DRS_FOGCOLOR, fogColor);
  }
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
  RwD3D8SetRenderState(D3DRS_LIGHTING, lighting);
  if (strength == kFullStrength) {
    RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  } else {
    RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  }
  RwD3D8RenderStateVertexAlphaEnable(FALSE);
  _rpMatFXD3D8RestoreBlends(blends);
  ResetStageCoordinates(0);
}

}  // namespace

RwBool RpMatFXD3D8EnvMapSetupStage(RwTexture* environment, RwUInt32 stage, RwFrame* frame) {
  RwD3D8SetTexture(environment, stage);
  if (RwD3D8RasterIsCubeMap(environment->raster)) {
    RwD3D8SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    return TRUE;
  }
  RwD3D8SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  RwD3D8SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  const D3DMATRIX transform = frame != nullptr ? FrameTransform(frame) : kNormalToTexture;
  RwD3D8SetTransform(D3DTS_TEXTURE0 + stage, &transform);
  return TRUE;
}

void RpMatFXD3D8RenderEnvMap(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwUInt32 slotIndex, RwTexture* base,
                             RwTexture* environment) {
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(mesh->material);
  const RpMatFXEnvMapData* slot = &data->slot[slotIndex].envMap;
  const RwUInt8 strength = Strength(slot->coefficient);
  if (strength == 0 || environment == nullptr) {
    if (slotIndex == 0) {
      RpMatFXD3D8RenderDefault(mesh, flags, base);
    }
    return;
  }
  _rpMatFXD3D8SetVertexAlpha(mesh);
  if (slotIndex == 1) {
    RenderAdditivePass(mesh, slot, environment, strength);
    return;
  }
  RwTexture* bound = _rpMatFXD3D8BindBase(flags, base);
  const RpMatFXD3D8State* state = _rpMatFXD3D8State();
  RwBool twoStages = FALSE;
  if (_rpMatFXD3D8IsPalettised(bound) && _rpMatFXD3D8IsPalettised(environment) &&
      bound->raster != environment->raster) {
    twoStages = FALSE;
  } else if (!slot->useFrameBufferAlpha && MayBeTranslucent(mesh, bound)) {
    twoStages = FALSE;
  } else if (!_rpMatFXD3D8HasAlpha(environment)) {
    twoStages = state->multiplyAdd ||
                (strength == kFullStrength && (bound == nullptr || state->envAddValidated || state->envAddPending));
  }
  // An environment texture with alpha would take a pixel shader; without
  // one it takes the passes.
  if (twoStages) {
    RenderTwoStages(mesh, slot, bound, environment, strength);
    return;
  }
  _rpMatFXD3D8DrawMesh(mesh);
  RenderAdditivePass(mesh, slot, environment, strength);
}
