// Emboss bump maps on Direct3D 8: the bump texture (the base's colours with
// the heights as alpha) drawn twice from rebuilt vertices, once scaled by
// one minus the height and once, coordinates shifted towards the light,
// scaled by the height and added; the environment map follows as an added
// pass.
#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/plugin/matfx/matfx_bump_vertices.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/src/camera.h"
#include "engine/src/frame.h"
#include "engine/world/material.h"

namespace {

constexpr RwUInt32 kShaderHandleBit = 0x1;  // a vertex shader handle, not a vertex format
constexpr RwUInt32 kIndexBytes = sizeof(RwUInt16);

RwMatrix MatrixOf(const D3DMATRIX& m) {
  RwMatrix matrix = {};
  matrix.right = {m.m[0][0], m.m[0][1], m.m[0][2]};
  matrix.up = {m.m[1][0], m.m[1][1], m.m[1][2]};
  matrix.at = {m.m[2][0], m.m[2][1], m.m[2][2]};
  matrix.pos = {m.m[3][0], m.m[3][1], m.m[3][2]};
  return matrix;
}

// The light the bumps face: the slot's frame or the current camera's.
RwFrame* LightFrame(const RpMatFXBumpMapData* bump) {
  if (bump->frame != nullptr) {
    return bump->frame;
  }
  RwCamera* camera = RwCameraGetCurrentCamera();
  return camera != nullptr ? RwCameraGetFrame(camera) : nullptr;
}

void RenderTwoPasses(const RpD3D8InstanceData* mesh, IDirect3DVertexBuffer8* buffer, RwUInt32 baseVertex) {
  RwD3D8SetPixelShader(0);
  RwD3D8RenderStateVertexAlphaEnable(TRUE);
  RwD3D8SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  const RpMatFXD3D8SavedBlends blends = _rpMatFXD3D8SetBlends(kRwBlendInvSrcAlpha, kRwBlendZero);
  RpD3D8AllInOneDrawMeshFrom(mesh, buffer, sizeof(RpMatFXBumpVertex), baseVertex);

  RwD3D8SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  RwD3D8RenderStateSetSrcBlend(kRwBlendSrcAlpha);
  RwD3D8RenderStateSetDestBlend(kRwBlendOne);
  RwUInt32 zWrite = 0;
  RwD3D8GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  RwD3D8SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);  // the shifted coordinates
  RpD3D8AllInOneDrawMeshFrom(mesh, buffer, sizeof(RpMatFXBumpVertex), baseVertex);

  RwD3D8SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, zWrite);
  RwD3D8RenderStateVertexAlphaEnable(FALSE);
  _rpMatFXD3D8RestoreBlends(blends);
}

}  // namespace

void RpMatFXD3D8RenderBumpMap(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* base, RwTexture* bump,
                              RwTexture* environment) {
  if (bump == nullptr) {
    RpMatFXD3D8RenderDefault(mesh, flags, base);
    return;
  }
  IDirect3DVertexBuffer8* buffer = nullptr;
  void* memory = nullptr;
  RwUInt32 baseVertex = 0;
  if (!RwD3D8DynamicVertexBufferLock(sizeof(RpMatFXBumpVertex), mesh->numVertices, &buffer, &memory, &baseVertex)) {
    return;
  }
  const RwBool filled = RpMatFXD3D8BumpMapFillVertices(mesh, memory);
  RwD3D8DynamicVertexBufferUnlock(buffer);
  if (!filled) {
    return;
  }
  RwD3D8SetTexture(bump, 0);
  RwD3D8SetVertexShader(kRpMatFXBumpVertexFvf);
  // Without pixel shaders the bumps take two blended passes.
  RenderTwoPasses(mesh, buffer, baseVertex);
  if (environment != nullptr) {
    RpMatFXD3D8RenderEnvMap(mesh, flags, 1, base, environment);
  }
}

RwBool RpMatFXD3D8BumpMapFillVertices(const RpD3D8InstanceData* mesh, void* memory) {
  const RpMatFXEffectSlot* slot = RpMatFXMaterialGetEffectSlotConst(mesh->material, kRpMatFXSlotBumpMap);
  if (slot == nullptr || mesh->vertexBuffer == nullptr || (mesh->vertexShader & kShaderHandleBit) != 0) {
    return FALSE;
  }
  RwFrame* frame = LightFrame(&slot->bumpMap);
  if (frame == nullptr) {
    return FALSE;
  }
  // The world matrix the atomic or sector pipeline set for this object.
  D3DMATRIX world;
  RwD3D8GetTransform(D3DTS_WORLD, &world);
  const RwMatrix worldMatrix = MatrixOf(world);
  RwMatrix inverseWorld;
  RwMatrixInvert(&inverseWorld, &worldMatrix);
  const RpMatFXBumpLight light = _rpMatFXBumpLightInObjectSpace(frame, &inverseWorld);

  BYTE* vertices = nullptr;
  if (FAILED(mesh->vertexBuffer->Lock(mesh->baseIndex * mesh->stride, mesh->numVertices * mesh->stride, &vertices,
                                      D3DLOCK_READONLY))) {
    return FALSE;
  }
  BYTE* indices = nullptr;
  if (mesh->indexBuffer != nullptr &&
      FAILED(mesh->indexBuffer->Lock(0, mesh->numIndices * kIndexBytes, &indices, D3DLOCK_READONLY))) {
    mesh->vertexBuffer->Unlock();
    return FALSE;
  }
  const RpMatFXBumpSource source = {vertices,
                                    mesh->stride,
                                    mesh->vertexShader,
                                    mesh->numVertices,
                                    reinterpret_cast<const RwUInt16*>(indices),
                                    indices != nullptr ? mesh->numIndices : 0,
                                    mesh->primType};
  const RwBool filled =
      _rpMatFXBumpFillVertices(&source, &light, slot->bumpMap.coefficient * slot->bumpMap.inverseBumpWidth,
                               static_cast<RpMatFXBumpVertex*>(memory));
  if (indices != nullptr) {
    mesh->indexBuffer->Unlock();
  }
  mesh->vertexBuffer->Unlock();
  return filled;
}
