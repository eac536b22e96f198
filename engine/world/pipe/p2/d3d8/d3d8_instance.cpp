// Making, refreshing and freeing instance data. The records and index
// buffers are made here; the vertices are written by the caller's instance
// callback, which knows the owner's vertex layout.
#include "engine/world/pipe/p2/d3d8/d3d8_instance.h"

#include <cstdlib>
#include <cstring>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"

namespace {

constexpr RwUInt32 kIndicesPerTriangle = 3;

// Direct3D primitive of an engine primitive (RwPrimitiveType).
RwUInt32 D3DPrimitiveType(RwPrimitiveType primitive) {
  D3DPRIMITIVETYPE type = D3DPT_POINTLIST;
  return _rwD3D8PrimitiveType(primitive, &type) ? static_cast<RwUInt32>(type) : 0;
}

void SortTriangles(RwUInt16* indices, RwUInt32 numIndices) {
  std::qsort(indices, numIndices / kIndicesPerTriangle, kIndicesPerTriangle * sizeof(RwUInt16), RpD3D8TriangleCompare);
}

// The mesh's index buffer with its indices rebased to the first vertex; the
// record keeps no buffer when it cannot be made or filled.
void MakeIndexBuffer(RpD3D8InstanceData* record, const RpMesh* mesh) {
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  if (mesh->numIndices == 0 || !RwD3D8IndexBufferCreate(mesh->numIndices, &indexBuffer) || indexBuffer == nullptr) {
    return;
  }
  BYTE* locked = nullptr;
  if (FAILED(indexBuffer->Lock(0, 0, &locked, 0)) || locked == nullptr) {
    indexBuffer->Release();
    return;
  }
  RwUInt16* indices = reinterpret_cast<RwUInt16*>(locked);
  for (RwUInt32 i = 0; i < mesh->numIndices; i++) {
    indices[i] = static_cast<RwUInt16>(mesh->indices[i] - record->minVert);
  }
  // A list that starts at its first vertex is taken to be in drawing order
  // already; others are sorted so that neighbouring triangles share vertices.
  if (record->primType == D3DPT_TRIANGLELIST && mesh->numIndices >= kIndicesPerTriangle && indices[0] != 0 &&
      indices[1] != 0 && indices[2] != 0) {
    SortTriangles(indices, mesh->numIndices);
  }
  indexBuffer->Unlock();
  record->indexBuffer = indexBuffer;
}

void SortThree(const RwUInt16* triangle, RwUInt16* sorted) {
  RwUInt16 a = triangle[0];
  RwUInt16 b = triangle[1];
  RwUInt16 c = triangle[2];
  if (a > b) {
    const RwUInt16 t = a;
    a = b;
    b = t;
  }
  if (b > c) {
    const RwUInt16 t = b;
    b = c;
    c = t;
  }
  if (a > b) {
    const RwUInt16 t = a;
    a = b;
    b = t;
  }
  sorted[0] = a;
  sorted[1] = b;
  sorted[2] = c;
}

}  // namespace

RwResEntry* RpD3D8InstanceDataCreate(void* object, void* owner, RwResEntry** ownerSlot, const RpMeshHeader* meshHeader,
                                     RpD3D8AllInOneInstanceCallBack instanceCallBack, RwBool persistent) {
  const RwUInt32 numMeshes = meshHeader->numMeshes;
  const RwUInt32 size = RpD3D8InstanceDataSize(numMeshes);
  RwResEntry* entry =
      persistent ? _rpD3D8InstanceDataAllocatePersistent(owner, ownerSlot, size)
                 : RwResourcesAllocateResEntry(owner, ownerSlot, static_cast<RwInt32>(size), RpD3D8InstanceDataDestroy);
  if (entry == nullptr) {
    return nullptr;
  }
  RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  std::memset(header, 0, size);
  header->serialNumber = meshHeader->serialNum;
  header->numMeshes = static_cast<RwUInt16>(numMeshes);
  header->resetCount = RwD3D8GetResetCount();

  const RwBool unindexed = (meshHeader->flags & kRpMeshHeaderUnindexed) != 0;
  const RwUInt32 primType = D3DPrimitiveType(RpMeshHeaderGetPrimitiveType(meshHeader));
  const RpMesh* mesh = RpMeshHeaderGetFirstMesh(meshHeader);
  RpD3D8InstanceData* record = RpD3D8InstanceDataGetRecords(entry);
  RwUInt32 runStart = 0;
  for (RwUInt32 m = 0; m < numMeshes; m++, mesh++, record++) {
    if (unindexed || mesh->indices == nullptr) {
      record->minVert = runStart;
      record->numVertices = mesh->numIndices;
      record->unindexed = unindexed;
    } else {
      RpD3D8GetIndexRange(mesh->indices, mesh->numIndices, &record->numVertices, &record->minVert);
    }
    runStart += mesh->numIndices;
    record->primType = primType;
    record->numIndices = mesh->numIndices;
    record->material = mesh->material;
    if (!unindexed && mesh->indices != nullptr) {
      MakeIndexBuffer(record, mesh);
    }
    if (!instanceCallBack(object, record, FALSE)) {
      RwResourcesFreeResEntry(entry);
      return nullptr;
    }
  }
  return entry;
}

RwBool RpD3D8InstanceDataReinstance(void* object, const RpMeshHeader* meshHeader, RpD3D8InstanceData* instanceData,
                                    RpD3D8AllInOneInstanceCallBack instanceCallBack) {
  if (instanceCallBack == nullptr) {
    return TRUE;
  }
  for (RwUInt32 m = 0; m < meshHeader->numMeshes; m++) {
    if (!instanceCallBack(object, &instanceData[m], TRUE)) {
      return FALSE;
    }
  }
  return TRUE;
}

void RpD3D8InstanceDataReleaseVertices(RpD3D8InstanceData* record) {
  if (record->vertexBuffer != nullptr) {
    const RwUInt32 bytes = record->stride * record->numVertices;
    if (!record->managed) {
      RwD3D8DynamicVertexBufferDestroy(record->vertexBuffer);
    } else if (record->vertexShader & 1) {
      RpD3D8VertexBufferManagerDestroyNoFVF(record->stride, bytes, record->vertexBuffer, record->baseIndex);
    } else {
      RpD3D8VertexBufferManagerDestroy(record->vertexShader, bytes, record->vertexBuffer, record->baseIndex);
    }
    record->vertexBuffer = nullptr;
  }
}

void RpD3D8InstanceDataDestroy(RwResEntry* entry) {
  RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  RpD3D8InstanceData* record = RpD3D8InstanceDataGetRecords(entry);
  for (RwUInt32 m = 0; m < header->numMeshes; m++, record++) {
    if (record->indexBuffer != nullptr) {
      record->indexBuffer->Release();
      record->indexBuffer = nullptr;
    }
    RpD3D8InstanceDataReleaseVertices(record);
    if (record->vertexMap != nullptr) {
      RwFree(record->vertexMap);
      record->vertexMap = nullptr;
    }
  }
}

void RpD3D8GetIndexRange(const RwUInt16* indices, RwUInt32 numIndices, RwUInt32* numVertices, RwUInt32* minIndex) {
  if (numIndices == 0) {
    *numVertices = 0;
    *minIndex = 0;
    return;
  }
  RwUInt32 lowest = indices[0];
  RwUInt32 highest = indices[0];
  for (RwUInt32 i = 1; i < numIndices; i++) {
    if (indices[i] < lowest) {
      lowest = indices[i];
    } else if (indices[i] > highest) {
      highest = indices[i];
    }
  }
  *numVertices = highest - lowest + 1;
  *minIndex = lowest;
}

int RpD3D8TriangleCompare(const void* a, const void* b) {
  RwUInt16 first[3];
  RwUInt16 second[3];
  SortThree(static_cast<const RwUInt16*>(a), first);
  SortThree(static_cast<const RwUInt16*>(b), second);
  for (int i = 0; i < 3; i++) {
    if (first[i] != second[i]) {
      return static_cast<int>(first[i]) - static_cast<int>(second[i]);
    }
  }
  return 0;
}

const RwRGBA* _rpD3D8ModulationColor(RwUInt32 flags, const RpMaterial* material) {
  if ((flags & rpGEOMETRYMODULATEMATERIALCOLOR) == 0 || material == nullptr) {
    return nullptr;
  }
  const RwRGBA& color = material->color;
  const RwBool white = color.red == 255 && color.green == 255 && color.blue == 255 && color.alpha == 255;
  return white ? nullptr : &color;
}

RwUInt32 _rpD3D8VertexColor(const RwRGBA& color, const RwRGBA* modulate) {
  RwUInt32 red = color.red;
  RwUInt32 green = color.green;
  RwUInt32 blue = color.blue;
  RwUInt32 alpha = color.alpha;
  if (modulate != nullptr) {
    red = ((modulate->red + 1u) * red) >> 8;
    green = ((modulate->green + 1u) * green) >> 8;
    blue = ((modulate->blue + 1u) * blue) >> 8;
    alpha = ((modulate->alpha + 1u) * alpha) >> 8;
  }
  return alpha << 24 | red << 16 | green << 8 | blue;
}

RwResEntry* _rpD3D8InstanceDataAllocatePersistent(void* owner, RwResEntry** ownerSlot, RwUInt32 size) {
  RwResEntry* entry = static_cast<RwResEntry*>(RwMalloc(sizeof(RwResEntry) + size));
  if (entry == nullptr) {
    return nullptr;
  }
  std::memset(entry, 0, sizeof(RwResEntry) + size);
  entry->size = static_cast<RwInt32>(size);
  entry->owner = owner;
  entry->ownerRef = ownerSlot;
  entry->destroyNotify = RpD3D8InstanceDataDestroy;
  if (ownerSlot != nullptr) {
    *ownerSlot = entry;
  }
  return entry;
}
