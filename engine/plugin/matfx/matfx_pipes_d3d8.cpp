// The material-effects pipelines of atomics and world sectors on Direct3D 8:
// copies of the all-in-one pipelines whose render callback draws each mesh
// by its material's effect, and plain drawing.
#include <initializer_list>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/src/pipe/p2/pipeline.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"
#include "engine/world/pipe/p2/d3d8/d3d8_atomic_pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_world_sector_pipeline.h"

namespace {

constexpr RwUInt32 kBlackTextureFactor = 0xFF000000u;
constexpr RwUInt32 kTexturedFlags = rpGEOMETRYTEXTURED | rpGEOMETRYTEXTURED2;

RpMatFXD3D8State sState = {};

// Create, tag, lock, add the node, unlock, and the node's render callback
// replaced; null (nothing left) on failure.
RwPipeline* BuildPipeline(RwNodeDefinition* definition) {
  RwPipeline* pipeline = RwPipelineCreate();
  if (pipeline == nullptr) {
    return nullptr;
  }
  pipeline->ownerTag = kRpMatFXPluginId;
  if (RwPipelineLock(pipeline) == nullptr || RwPipelineAddFragment(pipeline, nullptr, definition, nullptr) == nullptr ||
      RwPipelineUnlock(pipeline) == nullptr) {
    RwPipelineDestroy(pipeline);
    return nullptr;
  }
  RwPipelineNode* node = RwPipelineFindNodeByName(pipeline, definition->name, nullptr, nullptr);
  if (node == nullptr) {
    RwPipelineDestroy(pipeline);
    return nullptr;
  }
  RpD3D8AllInOneNodeSetRenderCallBack(node, RpMatFXD3D8RenderCallBack);
  return pipeline;
}

void ReadCaps() {
  const D3DCAPS8* caps = RwD3D8GetCaps();
  sState.numStages = caps != nullptr ? caps->MaxTextureBlendStages : 0;
  const RwBool stages = sState.numStages >= 2;
  sState.twoTextures = stages && caps->MaxSimultaneousTextures >= 2;
  sState.multiplyAdd = stages && (caps->TextureOpCaps & D3DTEXOPCAPS_MULTIPLYADD) != 0;
  sState.modulate2x = stages && (caps->TextureOpCaps & D3DTEXOPCAPS_MODULATE2X) != 0;
  // Decided afresh each time the pipelines are made.
  sState.modulate2xPending = stages;
  sState.envAddPending = stages;
  sState.envAddValidated = FALSE;
  // Pixel shaders would be made for devices of version 1.0 and later; no
  // shader programs are carried, so every handle stays 0 and each road
  // takes its texture-stage set-up.
}

void RenderBlack(const RpD3D8InstanceDataHeader* header, const RpD3D8InstanceData* meshes) {
  RwD3D8SetTexture(nullptr, 0);
  RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, kBlackTextureFactor);
  RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  for (RwUInt32 i = 0; i < header->numMeshes; i++) {
    RpMatFXD3D8RenderNoTexture(&meshes[i]);
  }
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
}

void RenderMesh(const RpD3D8InstanceData* mesh, RwUInt32 flags) {
  RpMaterial* material = mesh->material;
  RwTexture* base = material != nullptr ? material->texture : nullptr;
  const RpMatFXMaterialData* data = material != nullptr ? _rpMatFXMaterialGetData(material) : nullptr;
  const RwUInt32 effects = data != nullptr ? data->effects : kRpMatFXEffectNull;
  switch (effects) {
    case kRpMatFXEffectBumpMap:
      RpMatFXD3D8RenderBumpMap(mesh, flags, base, data->slot[0].bumpMap.bumpTexture, nullptr);
      break;
    case kRpMatFXEffectEnvMap:
      RpMatFXD3D8RenderEnvMap(mesh, flags, 0, base, data->slot[0].envMap.texture);
      break;
    case kRpMatFXEffectBumpEnvMap:
      RpMatFXD3D8RenderBumpMap(mesh, flags, base, data->slot[0].bumpMap.bumpTexture, data->slot[1].envMap.texture);
      break;
    case kRpMatFXEffectDual:
      RpMatFXD3D8RenderDual(mesh, flags, base, data->slot[0].dual.texture);
      break;
    default:
      RpMatFXD3D8RenderDefault(mesh, flags, base);
      break;
  }
}

}  // namespace

RpMatFXD3D8State* _rpMatFXD3D8State(void) { return &sState; }

RwPipeline* _rpMatFXAtomicPipeline(void) { return sState.atomicPipeline; }

RwPipeline* _rpMatFXWorldSectorPipeline(void) { return sState.worldSectorPipeline; }

RwBool RpMatFXD3D8PipelinesCreate(void) {
  sState.atomicPipeline = BuildPipeline(RpNodeDefinitionGetD3D8AtomicAllInOne());
  sState.worldSectorPipeline = BuildPipeline(RpNodeDefinitionGetD3D8WorldSectorAllInOne());
  if (sState.atomicPipeline == nullptr || sState.worldSectorPipeline == nullptr) {
    RpMatFXD3D8PipelinesDestroy();
    return FALSE;
  }
  ReadCaps();
  return TRUE;
}

RwBool RpMatFXD3D8PipelinesDestroy(void) {
  for (RwPipeline** pipeline : {&sState.atomicPipeline, &sState.worldSectorPipeline}) {
    if (*pipeline != nullptr) {
      RwPipelineDestroy(*pipeline);
      *pipeline = nullptr;
    }
  }
  for (RwUInt32& shader : sState.pixelShaders) {
    if (shader != 0) {
      RwD3D8DeletePixelShader(shader);
      shader = 0;
    }
  }
  return TRUE;
}

void RpMatFXD3D8RenderCallBack(RwResEntry* repEntry, void* object, RwUInt8 type, RwUInt32 flags) {
  RwUInt32 lighting = 0;
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  const RwBool prelit = (flags & rpGEOMETRYPRELIT) != 0;
  RwD3D8SetRenderState(D3DRS_COLORVERTEX, prelit ? TRUE : FALSE);
  RwD3D8SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, prelit ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
  RwD3D8SetRenderState(D3DRS_CLIPPING, RpD3D8AllInOneFullyInsideFrustum(object, type) ? FALSE : TRUE);

  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(repEntry);
  const RpD3D8InstanceData* meshes = RpD3D8InstanceDataGetRecords(repEntry);
  if (!lighting && !prelit) {
    RenderBlack(header, meshes);
    return;
  }
  for (RwUInt32 i = 0; i < header->numMeshes; i++) {
    const RpD3D8InstanceData* mesh = &meshes[i];
    if (lighting) {
      RpD3D8AllInOneSetMaterial(mesh->material, flags);
    }
    RenderMesh(mesh, flags);
  }
}

void RpMatFXD3D8RenderDefault(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* texture) {
  _rpMatFXD3D8BindBase(flags, texture);
  RpMatFXD3D8RenderNoTexture(mesh);
}

RwTexture* _rpMatFXD3D8BindBase(RwUInt32 flags, RwTexture* base) {
  RwTexture* bound = (flags & kTexturedFlags) != 0 ? base : nullptr;
  RwD3D8SetTexture(bound, 0);
  return bound;
}

void RpMatFXD3D8RenderNoTexture(const RpD3D8InstanceData* mesh) {
  _rpMatFXD3D8SetVertexAlpha(mesh);
  _rpMatFXD3D8DrawMesh(mesh);
}

void _rpMatFXD3D8SetVertexAlpha(const RpD3D8InstanceData* mesh) {
  const RwBool translucent = mesh->vertexAlpha || (mesh->material != nullptr && mesh->material->color.alpha < 255);
  if (translucent != RwD3D8RenderStateIsVertexAlphaEnable()) {
    RwD3D8RenderStateVertexAlphaEnable(translucent);
  }
  RwD3D8SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, mesh->vertexAlpha ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
}

void _rpMatFXD3D8DrawMesh(const RpD3D8InstanceData* mesh) {
  RwD3D8SetPixelShader(0);
  RwD3D8SetVertexShader(mesh->vertexShader);
  RpD3D8AllInOneDrawMesh(mesh);
}

RwBool _rpMatFXD3D8IsPalettised(const RwTexture* texture) {
  return texture != nullptr && texture->raster != nullptr &&
         ((static_cast<RwUInt32>(texture->raster->format) << 8) & rwRASTERFORMATPAL8) != 0;
}

RwBool _rpMatFXD3D8HasAlpha(const RwTexture* texture) {
  if (texture == nullptr || texture->raster == nullptr) {
    return FALSE;
  }
  const RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(texture->raster);
  return extension != nullptr && extension->hasAlpha != 0;
}

RpMatFXD3D8SavedBlends _rpMatFXD3D8SetBlends(RwInt32 src, RwInt32 dest) {
  RpMatFXD3D8SavedBlends saved = {nullptr, nullptr};
  RwD3D8RenderStateGet(kRwRenderStateSrcBlend, &saved.src);
  RwD3D8RenderStateGet(kRwRenderStateDestBlend, &saved.dest);
  RwD3D8RenderStateSetSrcBlend(src);
  RwD3D8RenderStateSetDestBlend(dest);
  return saved;
}

void _rpMatFXD3D8RestoreBlends(const RpMatFXD3D8SavedBlends& saved) {
  RwD3D8RenderStateSet(kRwRenderStateSrcBlend, saved.src);
  RwD3D8RenderStateSet(kRwRenderStateDestBlend, saved.dest);
}

RwBool _rpMatFXD3D8SetFogColor(RwUInt32 color, RwUInt32* saved) {
  RwUInt32 fog = 0;
  RwD3D8GetRenderState(D3DRS_FOGENABLE, &fog);
  if (!fog) {
    return FALSE;
  }
  RwD3D8GetRenderState(D3DRS_FOGCOLOR, saved);
  RwD3D8SetRenderState(D3DRS_FOGCOLOR, color);
  return TRUE;
}

RwBool _rpMatFXD3D8ValidatesInOnePass(void) {
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  if (device == nullptr) {
    return FALSE;
  }
  RwD3D8RenderStateFlush();
  DWORD passes = 0;
  return SUCCEEDED(device->ValidateDevice(&passes)) && passes == 1;
}

void _rpMatFXD3D8ColorStage(RwUInt32 stage, RwUInt32 op, RwUInt32 arg1, RwUInt32 arg2) {
  RwD3D8SetTextureStageState(stage, D3DTSS_COLOROP, op);
  RwD3D8SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
  RwD3D8SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
}

void _rpMatFXD3D8AlphaStage(RwUInt32 stage, RwUInt32 op, RwUInt32 arg1, RwUInt32 arg2) {
  RwD3D8SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
  RwD3D8SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
  RwD3D8SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
}
