// The atomic all-in-one node and its callbacks. Vertices are written in the
// order position, normal, colour, texture coordinates; a mesh whose indices
// use only part of its index range is compacted to the vertices it uses, and
// the new-to-old table stays with the record for later rewrites.
#include "engine/world/pipe/p2/d3d8/d3d8_atomic_pipeline.h"

#include <cstring>
#include <initializer_list>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"

namespace {

constexpr RwUInt32 kNoVertex = 0xFFFF;
constexpr DWORD kPoolLock = D3DLOCK_NOSYSLOCK;
constexpr DWORD kDynamicLock = D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK;
// Squared axis lengths within this band need no renormalised normals.
constexpr RwReal kUnitLengthLow = 0.9f;
constexpr RwReal kUnitLengthHigh = 1.1f;

// Which parts of the vertices a write covers.
struct VertexParts {
  RwBool positions;
  RwBool normals;
  RwBool colors;
  RwUInt32 texCoordSets;  // bit i: set i
};

// Morph targets a write blends and by how much.
struct MorphBlend {
  const RpMorphTarget* start;
  const RpMorphTarget* end;  // null: the start target's values as they are
  RwReal factor;
};

RwNodeDefinition sAtomicAllInOne = {"nodeD3D8AtomicAllInOne.csl",
                                    RpD3D8AtomicAllInOneNode,
                                    nullptr,
                                    nullptr,
                                    RpD3D8AtomicAllInOnePipelineInit,
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

MorphBlend Blend(const RpGeometry* geometry, const RpInterpolator* interpolator) {
  const RwInt32 count = geometry->numMorphTargets;
  if (count < 2 || interpolator == nullptr) {
    return {&geometry->morphTarget[0], nullptr, 0.0f};
  }
  RwInt32 start = interpolator->startMorphTarget;
  RwInt32 end = interpolator->endMorphTarget;
  // Targets the geometry does not have (negative ones too) read as the first.
  if (start < 0 || end < 0 || start >= count || end >= count) {
    start = 0;
    end = 0;
  }
  const RwReal factor = interpolator->recipTime * interpolator->position;
  if (start == end || factor == 0.0f) {
    return {&geometry->morphTarget[start], nullptr, 0.0f};
  }
  return {&geometry->morphTarget[start], &geometry->morphTarget[end], factor};
}

RwV3d Mix(const RwV3d* start, const RwV3d* end, RwUInt32 vertex, RwReal factor) {
  const RwV3d& a = start[vertex];
  if (end == nullptr) {
    return a;
  }
  const RwV3d& b = end[vertex];
  return {a.x + (b.x - a.x) * factor, a.y + (b.y - a.y) * factor, a.z + (b.z - a.z) * factor};
}

// Writes the parts of the record's vertices into the locked range; returns
// whether any colour written has alpha below 255.
RwBool WriteVertices(RpD3D8InstanceData* record, const RpGeometry* geometry, const MorphBlend& blend,
                     const VertexParts& parts, RwUInt8* memory) {
  const RwBool hasNormals = (geometry->flags & rpGEOMETRYNORMALS) != 0;
  const RwBool prelit = (geometry->flags & rpGEOMETRYPRELIT) != 0;
  const RwRGBA* modulate = _rpD3D8ModulationColor(geometry->flags, record->material);
  const RwInt32 sets = geometry->numTexCoordSets;
  RwUInt32 alphaAnd = 0xFF;
  for (RwUInt32 i = 0; i < record->numVertices; i++) {
    const RwUInt32 vertex = record->vertexMap != nullptr ? record->vertexMap[i] : record->minVert + i;
    RwUInt8* out = memory + i * record->stride;
    if (parts.positions && blend.start->verts != nullptr) {
      const RwV3d position =
          Mix(blend.start->verts, blend.end != nullptr ? blend.end->verts : nullptr, vertex, blend.factor);
      _rpD3D8PutVertexPart(out, &position, sizeof position);
    } else {
      out += sizeof(RwV3d);
    }
    if (hasNormals) {
      if (parts.normals && blend.start->normals != nullptr) {
        const RwV3d normal =
            Mix(blend.start->normals, blend.end != nullptr ? blend.end->normals : nullptr, vertex, blend.factor);
        _rpD3D8PutVertexPart(out, &normal, sizeof normal);
      } else {
        out += sizeof(RwV3d);
      }
    }
    if (prelit) {
      if (parts.colors) {
        // Geometries flagged pre-lit without colours draw opaque white.
        const RwUInt32 color = geometry->preLitLum != nullptr
                                   ? _rpD3D8VertexColor(geometry->preLitLum[vertex], modulate)
                                   : kRpD3D8OpaqueWhite;
        alphaAnd &= color >> 24;
        _rpD3D8PutVertexPart(out, &color, sizeof color);
      } else {
        out += sizeof(RwUInt32);
      }
    }
    for (RwInt32 set = 0; set < sets; set++) {
      if ((parts.texCoordSets & (1u << set)) != 0) {
        const RwTexCoords coords =
            geometry->texCoords[set] != nullptr ? geometry->texCoords[set][vertex] : RwTexCoords{0.0f, 0.0f};
        _rpD3D8PutVertexPart(out, &coords, sizeof coords);
      } else {
        out += sizeof(RwTexCoords);
      }
    }
  }
  return alphaAnd != 0xFF;
}

RwUInt32 AllSets(const RpGeometry* geometry) { return (1u << geometry->numTexCoordSets) - 1u; }

// Numbers the vertices in the order the indices first use them; when fewer
// than the range are used, the range shrinks to them, the index buffer is
// renumbered and the record keeps the new-to-old table.
void Compact(RpD3D8InstanceData* record) {
  BYTE* locked = nullptr;
  if (FAILED(record->indexBuffer->Lock(0, 0, &locked, 0)) || locked == nullptr) {
    return;
  }
  RwUInt16* indices = reinterpret_cast<RwUInt16*>(locked);
  RwUInt16* oldToNew = static_cast<RwUInt16*>(RwMalloc(record->numVertices * sizeof(RwUInt16)));
  RwUInt16* newToOld = static_cast<RwUInt16*>(RwMalloc(record->numVertices * sizeof(RwUInt16)));
  if (oldToNew == nullptr || newToOld == nullptr) {
    RwFree(oldToNew);
    RwFree(newToOld);
    record->indexBuffer->Unlock();
    return;
  }
  std::memset(oldToNew, 0xFF, record->numVertices * sizeof(RwUInt16));
  RwUInt32 used = 0;
  for (RwUInt32 i = 0; i < record->numIndices; i++) {
    const RwUInt16 old = indices[i];
    if (oldToNew[old] == kNoVertex) {
      oldToNew[old] = static_cast<RwUInt16>(used);
      newToOld[used] = static_cast<RwUInt16>(record->minVert + old);
      used++;
    }
  }
  if (used < record->numVertices) {
    for (RwUInt32 i = 0; i < record->numIndices; i++) {
      indices[i] = oldToNew[indices[i]];
    }
    record->numVertices = used;
    record->remapped = 1;
    record->vertexMap = newToOld;
  } else {
    record->remapped = 0;
    RwFree(newToOld);
  }
  RwFree(oldToNew);
  record->indexBuffer->Unlock();
}

// A vertex range for the record: from the pools unless the atomic morphs on
// a device that transforms in hardware (then a dynamic buffer, rewritten
// with discards).
RwBool TakeVertices(RpD3D8InstanceData* record, const RpAtomic* atomic) {
  RpD3D8InstanceDataReleaseVertices(record);
  const RwUInt32 size = record->stride * record->numVertices;
  if (size == 0) {
    return TRUE;  // an empty mesh: nothing to hold or draw
  }
  const D3DCAPS8* caps = RwD3D8GetCaps();
  const RwBool hardware = caps != nullptr && (caps->DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
  const RwBool poolOnly = atomic->pipeline != nullptr && atomic->pipeline->ownerTag == kRpD3D8PoolOnlyPipelineOwner;
  if (atomic->geometry->numMorphTargets < 2 || !hardware || poolOnly) {
    record->managed = 1;
    return RpD3D8VertexBufferManagerCreate(record->vertexShader, size, &record->vertexBuffer, &record->baseIndex);
  }
  record->managed = 0;
  record->baseIndex = 0;
  return RwD3D8DynamicVertexBufferCreate(record->vertexShader, size, &record->vertexBuffer);
}

RwUInt8* LockRange(RpD3D8InstanceData* record, DWORD flags) {
  BYTE* locked = nullptr;
  if (record->vertexBuffer == nullptr || record->numVertices == 0 ||
      FAILED(record->vertexBuffer->Lock(record->baseIndex * record->stride, record->stride * record->numVertices,
                                        &locked, flags))) {
    return nullptr;
  }
  return locked;
}

// Whether the atomic's dynamic buffers lost their vertices in a device Reset
// since they were written.
RwBool LostInReset(RwResEntry* entry) {
  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  if (header->resetCount == RwD3D8GetResetCount()) {
    return FALSE;
  }
  const RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    if (!records[m].managed) {
      return TRUE;
    }
  }
  return FALSE;
}

// Renormalised normals only where the matrix may scale them: lit, and an
// axis whose squared length is off unit.
RwBool NeedsNormalizing(const RwMatrix* matrix) {
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

// The atomic's instance data, made, refreshed or rebuilt as its geometry
// needs; null when that fails.
RwResEntry* InstanceData(RpAtomic* atomic, const RpD3D8AllInOnePrivateData* callbacks) {
  RpGeometry* geometry = atomic->geometry;
  if ((geometry->flags & rpGEOMETRYNATIVE) != 0) {
    return geometry->repEntry;
  }
  const RwBool shared = geometry->numMorphTargets == 1;
  void* owner = shared ? static_cast<void*>(geometry) : static_cast<void*>(atomic);
  RwResEntry** slot = shared ? &geometry->repEntry : &atomic->repEntry;
  RwResEntry* entry = *slot;
  if (entry != nullptr && RpD3D8InstanceDataGetHeader(entry)->serialNumber == geometry->mesh->serialNum) {
    if (geometry->lockedSinceLastInst != 0 || geometry->numMorphTargets > 1) {
      if (callbacks->reinstanceCallBack != nullptr &&
          !callbacks->reinstanceCallBack(atomic, entry, geometry->mesh, callbacks->instanceCallBack)) {
        RwResourcesFreeResEntry(entry);
        return nullptr;
      }
      atomic->interpolator.flags &= ~rpINTERPOLATORDIRTYINSTANCE;
      geometry->lockedSinceLastInst = 0;
    }
    RwResourcesUseResEntry(entry);
    return entry;
  }
  if (entry != nullptr) {
    RwResourcesFreeResEntry(entry);
  }
  const RwBool persistent = (geometry->flags & kRpGeometryPersistentInstance) != 0;
  entry = RpD3D8InstanceDataCreate(atomic, owner, slot, geometry->mesh, callbacks->instanceCallBack, persistent);
  if (entry != nullptr) {
    geometry->lockedSinceLastInst = 0;
  }
  return entry;
}

}  // namespace

RwNodeDefinition* RpNodeDefinitionGetD3D8AtomicAllInOne(void) { return &sAtomicAllInOne; }

RwBool RpD3D8AtomicAllInOnePipelineInit(RwPipelineNode* node) {
  *static_cast<RpD3D8AllInOnePrivateData*>(node->privateData) = {
      RpD3D8AtomicInstanceCallBack, RpD3D8AtomicReinstanceCallBack, RpD3D8AtomicLightingCallBack,
      RpD3D8DefaultRenderCallBack};
  return TRUE;
}

RwInt32 RpD3D8AtomicAllInOneNode(RwPipelineNode* node, const RwPipelineNodeParams* params) {
  RpAtomic* atomic = static_cast<RpAtomic*>(params->dataParam);
  RpGeometry* geometry = atomic->geometry;
  if (geometry == nullptr || geometry->numVertices == 0 || geometry->mesh == nullptr ||
      geometry->mesh->numMeshes == 0) {
    return TRUE;
  }
  const RpD3D8AllInOnePrivateData* callbacks = static_cast<const RpD3D8AllInOnePrivateData*>(node->privateData);
  RwResEntry* entry = InstanceData(atomic, callbacks);
  if (entry == nullptr) {
    // A native geometry without its data has nothing to draw.
    return (geometry->flags & rpGEOMETRYNATIVE) != 0;
  }
  if ((geometry->flags & kRpGeometryPersistentInstance) != 0) {
    return TRUE;
  }
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
  return TRUE;
}

RwUInt32 RpD3D8AtomicVertexFormat(const RpGeometry* geometry) {
  RwUInt32 fvf = D3DFVF_XYZ;
  if ((geometry->flags & rpGEOMETRYNORMALS) != 0) {
    fvf |= D3DFVF_NORMAL;
  }
  if ((geometry->flags & rpGEOMETRYPRELIT) != 0) {
    fvf |= D3DFVF_DIFFUSE;
  }
  return fvf | static_cast<RwUInt32>(geometry->numTexCoordSets) << D3DFVF_TEXCOUNT_SHIFT;
}

RwBool RpD3D8AtomicInstanceCallBack(void* object, RpD3D8InstanceData* record, RwBool reinstance) {
  RpAtomic* atomic = static_cast<RpAtomic*>(object);
  const RpGeometry* geometry = atomic->geometry;
  const RwBool morphing = geometry->numMorphTargets > 1;
  if (!reinstance) {
    if (!morphing && record->indexBuffer != nullptr && record->numIndices <= record->numVertices) {
      Compact(record);
    }
    record->vertexShader = RpD3D8AtomicVertexFormat(geometry);
    record->stride = RpD3D8GetFVFVertexSize(record->vertexShader);
    if (!TakeVertices(record, atomic)) {
      return FALSE;
    }
  }
  // A dynamic buffer is written whole: a discarding lock keeps nothing.
  const RwBool whole = !reinstance || !record->managed;
  RwUInt8* memory = LockRange(record, reinstance && !record->managed ? kDynamicLock : kPoolLock);
  if (memory == nullptr) {
    return record->numVertices == 0;
  }
  const RwUInt16 lock = geometry->lockedSinceLastInst;
  VertexParts parts;
  parts.positions = whole || morphing || (lock & rpGEOMETRYLOCKVERTICES) != 0;
  parts.normals = whole || morphing || (lock & rpGEOMETRYLOCKNORMALS) != 0;
  parts.colors = whole || (lock & rpGEOMETRYLOCKPRELIGHT) != 0;
  parts.texCoordSets = whole ? AllSets(geometry) : (lock >> 4) & AllSets(geometry);
  const RwBool alpha = WriteVertices(record, geometry, Blend(geometry, &atomic->interpolator), parts, memory);
  // Colours left as they were keep their flag.
  if (parts.colors) {
    record->vertexAlpha = alpha;
  }
  if ((geometry->flags & rpGEOMETRYPRELIT) == 0) {
    record->vertexAlpha = 0;
  }
  record->vertexBuffer->Unlock();
  return TRUE;
}

RwBool RpD3D8AtomicReinstanceCallBack(void* object, RwResEntry* entry, const RpMeshHeader* meshHeader,
                                      RpD3D8AllInOneInstanceCallBack instanceCallBack) {
  RpAtomic* atomic = static_cast<RpAtomic*>(object);
  RpGeometry* geometry = atomic->geometry;
  if (geometry->numMorphTargets == 1) {
    return RpD3D8InstanceDataReinstance(atomic, meshHeader, RpD3D8InstanceDataGetRecords(entry), instanceCallBack);
  }
  if ((atomic->interpolator.flags & rpINTERPOLATORDIRTYINSTANCE) != 0 || geometry->lockedSinceLastInst != 0 ||
      LostInReset(entry)) {
    RpD3D8AtomicMorphReinstance(entry, meshHeader, geometry, &atomic->interpolator);
  }
  return TRUE;
}

void RpD3D8AtomicMorphReinstance(RwResEntry* entry, const RpMeshHeader* meshHeader, RpGeometry* geometry,
                                 const RpInterpolator* interpolator) {
  RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  const MorphBlend blend = Blend(geometry, interpolator);
  const RwUInt16 lock = geometry->lockedSinceLastInst;
  for (RwUInt32 m = 0; m < meshHeader->numMeshes && m < header->numMeshes; m++) {
    RpD3D8InstanceData* record = &records[m];
    const RwBool dynamic = !record->managed;
    RwUInt8* memory = LockRange(record, dynamic ? kDynamicLock : kPoolLock);
    if (memory == nullptr) {
      continue;
    }
    VertexParts parts;
    parts.positions = TRUE;
    parts.normals = TRUE;
    parts.colors = dynamic || (lock & rpGEOMETRYLOCKPRELIGHT) != 0;
    parts.texCoordSets = dynamic ? AllSets(geometry) : (lock >> 4) & AllSets(geometry);
    const RwBool alpha = WriteVertices(record, geometry, blend, parts, memory);
    if (parts.colors && (geometry->flags & rpGEOMETRYPRELIT) != 0) {
      record->vertexAlpha = alpha;
    }
    record->vertexBuffer->Unlock();
  }
  header->resetCount = RwD3D8GetResetCount();
}
