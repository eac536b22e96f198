// The skin pipeline: one node, "nodeD3D8SkinAtomicAllInOne.csl", that
// instances a skinned atomic's geometry like the atomic node and then, every
// time the atomic is drawn, blends positions and normals on the processor
// into its vertices. On a device that transforms in hardware the vertices go
// into the shared dynamic buffers each frame; otherwise each mesh owns a pool
// range that is rewritten in place.
#include <cstring>
#include <initializer_list>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/plugin/skin2/rpskin.h"
#include "engine/plugin/skin2/skin_internal.h"
#include "engine/src/frame.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"
#include "engine/world/pipe/p2/d3d8/d3d8_atomic_pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"

namespace {

constexpr const char* kNodeName = "nodeD3D8SkinAtomicAllInOne.csl";
constexpr RwUInt32 kPipelineData = 1;
constexpr DWORD kOwnedLock = D3DLOCK_NOSYSLOCK;
// Squared axis lengths within this band need no renormalised normals.
constexpr RwReal kUnitLengthLow = 0.9f;
constexpr RwReal kUnitLengthHigh = 1.1f;

RwInt32 SkinNode(RwPipelineNode* node, const RwPipelineNodeParams* params);
RwBool SkinNodeInit(RwPipelineNode* node);

RwNodeDefinition sSkinAllInOne = {kNodeName,
                                  SkinNode,
                                  nullptr,
                                  nullptr,
                                  SkinNodeInit,
                                  nullptr,
                                  nullptr,
                                  nullptr,
                                  0,
                                  nullptr,
                                  nullptr,
                                  0,
                                  nullptr,
                                  sizeof(RpD3D8AllInOnePrivateData),
                                  0,
                                  0};

// Whether the device transforms and lights in hardware, as when the
// pipeline was made.
RwBool sHardwareTransform = FALSE;

struct VertexLayout {
  RwUInt32 normalOffset;  // 0: no normals
  RwUInt32 colorOffset;   // 0: not pre-lit
  RwUInt32 texCoordOffset;
};

VertexLayout LayoutOf(const RpGeometry* geometry) {
  VertexLayout layout = {0, 0, sizeof(RwV3d)};
  if ((geometry->flags & rpGEOMETRYNORMALS) != 0) {
    layout.normalOffset = layout.texCoordOffset;
    layout.texCoordOffset += sizeof(RwV3d);
  }
  if ((geometry->flags & rpGEOMETRYPRELIT) != 0) {
    layout.colorOffset = layout.texCoordOffset;
    layout.texCoordOffset += sizeof(RwUInt32);
  }
  return layout;
}

// Pre-lit colours (modulated by the material) and texture coordinates of
// the record's vertices; sets the record's alpha flag.
void WriteStatic(RpD3D8InstanceData* record, const RpGeometry* geometry, RwUInt8* memory) {
  const VertexLayout layout = LayoutOf(geometry);
  const RwRGBA* modulate = _rpD3D8ModulationColor(geometry->flags, record->material);
  RwUInt32 alphaAnd = 0xFF;
  for (RwUInt32 i = 0; i < record->numVertices; i++) {
    const RwUInt32 vertex = record->minVert + i;
    RwUInt8* out = memory + i * record->stride;
    if (layout.colorOffset != 0) {
      const RwUInt32 color = geometry->preLitLum != nullptr ? _rpD3D8VertexColor(geometry->preLitLum[vertex], modulate)
                                                            : kRpD3D8OpaqueWhite;
      alphaAnd &= color >> 24;
      std::memcpy(out + layout.colorOffset, &color, sizeof color);
    }
    for (RwInt32 set = 0; set < geometry->numTexCoordSets; set++) {
      const RwTexCoords coords =
          geometry->texCoords[set] != nullptr ? geometry->texCoords[set][vertex] : RwTexCoords{0.0f, 0.0f};
      std::memcpy(out + layout.texCoordOffset + set * sizeof(RwTexCoords), &coords, sizeof coords);
    }
  }
  record->vertexAlpha = layout.colorOffset != 0 && alphaAnd != 0xFF;
}

// Morph target 0's positions and normals as they are: the bind pose.
void WriteRest(const RpD3D8InstanceData* record, const RpGeometry* geometry, RwUInt8* memory) {
  const RpMorphTarget& target = geometry->morphTarget[0];
  const VertexLayout layout = LayoutOf(geometry);
  for (RwUInt32 i = 0; i < record->numVertices; i++) {
    const RwUInt32 vertex = record->minVert + i;
    RwUInt8* out = memory + i * record->stride;
    if (target.verts != nullptr) {
      std::memcpy(out, &target.verts[vertex], sizeof(RwV3d));
    }
    if (layout.normalOffset != 0 && target.normals != nullptr) {
      std::memcpy(out + layout.normalOffset, &target.normals[vertex], sizeof(RwV3d));
    }
  }
}

RwUInt8* LockOwned(RpD3D8InstanceData* record) {
  BYTE* locked = nullptr;
  if (FAILED(record->vertexBuffer->Lock(record->baseIndex * record->stride, record->stride * record->numVertices,
                                        &locked, kOwnedLock))) {
    return nullptr;
  }
  return locked;
}

// A pool range of the record's own, filled with the bind pose and the static
// data. False when no range can be had.
RwBool CreateOwned(RpD3D8InstanceData* record, const RpGeometry* geometry) {
  record->managed = 1;
  if (!RpD3D8VertexBufferManagerCreate(record->vertexShader, record->stride * record->numVertices,
                                       &record->vertexBuffer, &record->baseIndex)) {
    record->vertexBuffer = nullptr;
    return FALSE;
  }
  RwUInt8* memory = LockOwned(record);
  if (memory != nullptr) {
    WriteRest(record, geometry, memory);
    WriteStatic(record, geometry, memory);
    record->vertexBuffer->Unlock();
  }
  return TRUE;
}

// Whether the atomic's vertices go into the dynamic buffers: blended every
// frame on a device that transforms in hardware.
RwBool Dynamic(const RpAtomic* atomic) {
  return sHardwareTransform && RpSkinAtomicGetHAnimHierarchy(atomic) != nullptr;
}

// Instancing: the vertex layout, and unless the vertices will go into the
// dynamic buffers, a range of the record's own.
RwBool SkinInstance(void* object, RpD3D8InstanceData* record, RwBool /*reinstance*/) {
  const RpAtomic* atomic = static_cast<const RpAtomic*>(object);
  const RpGeometry* geometry = atomic->geometry;
  record->vertexShader = RpD3D8AtomicVertexFormat(geometry);
  record->stride = RpD3D8GetFVFVertexSize(record->vertexShader);
  if (record->numVertices == 0 || Dynamic(atomic)) {
    return TRUE;
  }
  return CreateOwned(record, geometry);
}

// The atomic's instance data: the geometry's unless it morphs, rebuilt when
// the meshes or the geometry's arrays changed; null when instancing fails.
RwResEntry* InstanceData(RpAtomic* atomic) {
  RpGeometry* geometry = atomic->geometry;
  const RwBool shared = geometry->numMorphTargets == 1;
  void* owner = shared ? static_cast<void*>(geometry) : static_cast<void*>(atomic);
  RwResEntry** slot = shared ? &geometry->repEntry : &atomic->repEntry;
  RwResEntry* entry = *slot;
  if (entry != nullptr && RpD3D8InstanceDataGetHeader(entry)->serialNumber == geometry->mesh->serialNum &&
      geometry->lockedSinceLastInst == 0) {
    RwResourcesUseResEntry(entry);
    return entry;
  }
  if (entry != nullptr) {
    RwResourcesFreeResEntry(entry);
  }
  entry = RpD3D8InstanceDataCreate(atomic, owner, slot, geometry->mesh, SkinInstance, FALSE);
  if (entry != nullptr) {
    geometry->lockedSinceLastInst = 0;
  }
  return entry;
}

// The record's positions and normals posed by the palette into memory.
void BlendInto(const RpD3D8InstanceData* record, const RpGeometry* geometry, const RpSkin* skin,
               const RpSkinBlendMatrix* palette, void* memory) {
  const RpMorphTarget& target = geometry->morphTarget[0];
  const RpSkinBlendRun run = {record->minVert, record->numVertices, nullptr, memory, record->stride};
  _rpSkinBlendVertices(skin, palette, target.verts, LayoutOf(geometry).normalOffset != 0 ? target.normals : nullptr,
                       &run);
}

// One record's vertices blended into the shared dynamic buffers for this
// frame, with the static data; the record holds the buffer until drawn.
void BlendDynamic(RpD3D8InstanceData* record, const RpGeometry* geometry, const RpSkin* skin,
                  const RpSkinBlendMatrix* palette) {
  if (record->managed) {
    RpD3D8InstanceDataReleaseVertices(record);  // the owned range is given up
    record->managed = 0;
  }
  IDirect3DVertexBuffer8* buffer = nullptr;
  void* memory = nullptr;
  RwUInt32 base = 0;
  if (!RwD3D8DynamicVertexBufferLock(record->stride, record->numVertices, &buffer, &memory, &base)) {
    return;
  }
  BlendInto(record, geometry, skin, palette, memory);
  WriteStatic(record, geometry, static_cast<RwUInt8*>(memory));
  RwD3D8DynamicVertexBufferUnlock(buffer);
  record->vertexBuffer = buffer;
  record->baseIndex = base;
}

// One record's positions and normals blended into its own range.
void BlendOwned(RpD3D8InstanceData* record, const RpGeometry* geometry, const RpSkin* skin,
                const RpSkinBlendMatrix* palette) {
  if (record->vertexBuffer == nullptr && !CreateOwned(record, geometry)) {
    return;
  }
  RwUInt8* memory = LockOwned(record);
  if (memory == nullptr) {
    return;  // this frame keeps the last pose
  }
  BlendInto(record, geometry, skin, palette, memory);
  record->vertexBuffer->Unlock();
}

// Poses the vertices for this draw. An atomic without a hierarchy, or a skin
// without vertex data, draws its bind pose from ranges of its own.
void SkinUpdate(RpAtomic* atomic, RwResEntry* entry) {
  const RpGeometry* geometry = atomic->geometry;
  const RpSkin* skin = RpSkinGeometryGetSkin(geometry);
  const RpHAnimHierarchy* hierarchy = RpSkinAtomicGetHAnimHierarchy(atomic);
  const RpSkinBlendMatrix* palette = skin != nullptr && skin->data != nullptr && hierarchy != nullptr
                                         ? _rpSkinPrepareMatrices(atomic, skin, hierarchy)
                                         : nullptr;
  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    RpD3D8InstanceData* record = &records[m];
    if (record->numVertices == 0) {
      continue;
    }
    if (palette == nullptr) {
      if (record->vertexBuffer == nullptr) {
        CreateOwned(record, geometry);
      }
    } else if (Dynamic(atomic)) {
      BlendDynamic(record, geometry, skin, palette);
    } else {
      BlendOwned(record, geometry, skin, palette);
    }
  }
  atomic->interpolator.flags &= ~rpINTERPOLATORDIRTYINSTANCE;
}

// The dynamic buffers belong to the driver: records let go of them once
// drawn, so that freeing the instance data leaves them alone.
void ForgetDynamic(RwResEntry* entry) {
  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    if (!records[m].managed) {
      records[m].vertexBuffer = nullptr;
    }
  }
}

// Renormalised normals on a hardware device (blended normals keep the
// bones' scale) or where the matrix may scale them.
RwBool NeedsNormalizing(const RwMatrix* matrix) {
  if (sHardwareTransform) {
    return TRUE;
  }
  if (matrix == nullptr || (matrix->flags & (kRwMatrixTypeNormal | kRwMatrixInternalIdentity)) != 0) {
    return FALSE;
  }
  for (const RwV3d* axis : {&matrix->right, &matrix->up, &matrix->at}) {
    const RwReal length = axis->x * axis->x + axis->y * axis->y + axis->z * axis->z;
    if (length < kUnitLengthLow || length > kUnitLengthHigh) {
      return TRUE;
    }
  }
  return FALSE;
}

RwInt32 SkinNode(RwPipelineNode* node, const RwPipelineNodeParams* params) {
  RpAtomic* atomic = static_cast<RpAtomic*>(params->dataParam);
  RpGeometry* geometry = atomic->geometry;
  if (geometry == nullptr || geometry->numVertices == 0 || geometry->mesh == nullptr ||
      geometry->mesh->numMeshes == 0) {
    return TRUE;
  }
  if ((geometry->flags & rpGEOMETRYNATIVE) != 0) {
    // Nothing to blend: drawn from its native data as a plain atomic.
    return RpD3D8AtomicAllInOneNode(node, params);
  }
  const RpD3D8AllInOnePrivateData* callbacks = static_cast<const RpD3D8AllInOnePrivateData*>(node->privateData);
  RwResEntry* entry = InstanceData(atomic);
  if (entry == nullptr) {
    return FALSE;
  }
  SkinUpdate(atomic, entry);
  if (callbacks->lightingCallBack != nullptr) {
    callbacks->lightingCallBack(atomic);
  }
  RwFrame* frame = RpAtomicGetFrame(atomic);
  const RwMatrix* matrix = frame != nullptr ? RwFrameGetLTM(frame) : nullptr;
  RwD3D8SetTransformWorld(matrix);
  RwUInt32 lighting = 0;
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  RwD3D8SetRenderState(D3DRS_NORMALIZENORMALS, lighting && NeedsNormalizing(matrix) ? TRUE : FALSE);
  if (callbacks->renderCallBack != nullptr) {
    callbacks->renderCallBack(entry, atomic, kRpD3D8ObjectAtomic, geometry->flags);
  }
  ForgetDynamic(entry);
  return TRUE;
}

RwBool SkinNodeInit(RwPipelineNode* node) {
  *static_cast<RpD3D8AllInOnePrivateData*>(node->privateData) = {SkinInstance, nullptr, RpD3D8AtomicLightingCallBack,
                                                                 RpD3D8DefaultRenderCallBack};
  return TRUE;
}

}  // namespace

RwPipeline* RpSkinD3D8PipelineCreate(void) {
  const D3DCAPS8* caps = RwD3D8GetCaps();
  sHardwareTransform = caps != nullptr && (caps->DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
  RwPipeline* pipeline = RwPipelineCreate();
  if (pipeline == nullptr) {
    return nullptr;
  }
  pipeline->ownerTag = kRpSkinPluginId;
  pipeline->pluginData = kPipelineData;
  if (RwPipelineLock(pipeline) == nullptr ||
      RwPipelineAddFragment(pipeline, nullptr, &sSkinAllInOne, nullptr) == nullptr ||
      RwPipelineUnlock(pipeline) == nullptr) {
    RwPipelineDestroy(pipeline);
    return nullptr;
  }
  return pipeline;
}
