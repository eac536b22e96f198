// Instance data: a geometry's or world sector's meshes as Direct3D 8
// resources, one record per mesh (a range of a shared vertex buffer and a
// 16-bit index buffer), kept in a resource entry under its owner and rebuilt
// when the owner's mesh header changes.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/resmem.h"
#include "platform/d3d8/d3d8.h"

struct RpMaterial;
struct RpMeshHeader;

// One mesh's Direct3D 8 data.
struct RpD3D8InstanceData {
  RwUInt32 minVert;      // smallest index the mesh uses: its first vertex in the owner
  RwUInt32 stride;       // bytes per vertex
  RwUInt32 numVertices;  // vertices of the mesh's range
  RwUInt32 numIndices;
  RpMaterial* material;
  RwUInt32 vertexShader;  // a vertex format, or a shader handle (bit 0 set)
  RwUInt32 primType;      // D3DPRIMITIVETYPE
  IDirect3DIndexBuffer8* indexBuffer;
  IDirect3DVertexBuffer8* vertexBuffer;
  RwUInt32 baseIndex;   // the range's first vertex in the vertex buffer
  RwUInt8 vertexAlpha;  // some vertex colour of the mesh has alpha below 255
  RwUInt8 managed;      // the range came from the shared pools, not the driver's dynamic buffers
  RwUInt8 remapped;     // the range holds only the vertices the indices use
  RwUInt8 unindexed;    // drawn without indices (the mesh header's flag 0x100)
  // With remapped: vertex i of the range is the owner's vertex
  // vertexMap[i] (engine memory, numVertices entries). Null otherwise.
  RwUInt16* vertexMap;
};

// In front of the records: the mesh header's serial number when built.
struct RpD3D8InstanceDataHeader {
  RwUInt16 serialNumber;
  RwUInt16 numMeshes;
  // The device's Reset count (RwD3D8GetResetCount) when the vertices were
  // last written: a Reset since has emptied the dynamic buffers.
  RwUInt32 resetCount;
};

static_assert(sizeof(RpD3D8InstanceDataHeader) % alignof(RpD3D8InstanceData) == 0,
              "instance records follow the header aligned");

// Meshes drawn without indices: consecutive runs of the owner's vertices.
constexpr RwUInt32 kRpMeshHeaderUnindexed = 0x100;
// Geometry (or world) flag: the instance data is made in engine memory, kept
// until its owner goes, and never drawn.
constexpr RwUInt32 kRpGeometryPersistentInstance = 0x02000000;

inline RpD3D8InstanceDataHeader* RpD3D8InstanceDataGetHeader(RwResEntry* entry) {
  return static_cast<RpD3D8InstanceDataHeader*>(RwResEntryGetData(entry));
}
inline RpD3D8InstanceData* RpD3D8InstanceDataGetRecords(RwResEntry* entry) {
  return reinterpret_cast<RpD3D8InstanceData*>(RpD3D8InstanceDataGetHeader(entry) + 1);
}
// Bytes of the data behind the resource entry's header for a mesh count.
inline RwUInt32 RpD3D8InstanceDataSize(RwUInt32 numMeshes) {
  return sizeof(RpD3D8InstanceDataHeader) + numMeshes * sizeof(RpD3D8InstanceData);
}

// Writes one mesh's vertices (first instancing, or again with reinstance
// true); false stops the instancing.
typedef RwBool (*RpD3D8AllInOneInstanceCallBack)(void* object, RpD3D8InstanceData* instanceData, RwBool reinstance);

// Instance data of the owner's mesh header: one record per mesh with its
// index buffer (indices rebased to the mesh's first vertex, triangle lists
// sorted), then the callback writes each mesh's vertices. In the resource
// arena, or with persistent in engine memory kept until the owner frees it;
// *ownerSlot names it either way. Null when the arena has no room or the
// callback fails (nothing is left behind).
RwResEntry* RpD3D8InstanceDataCreate(void* object, void* owner, RwResEntry** ownerSlot, const RpMeshHeader* meshHeader,
                                     RpD3D8AllInOneInstanceCallBack instanceCallBack, RwBool persistent);
// Calls the callback with reinstance true on each of the header's meshes;
// false at the first failure.
RwBool RpD3D8InstanceDataReinstance(void* object, const RpMeshHeader* meshHeader, RpD3D8InstanceData* instanceData,
                                    RpD3D8AllInOneInstanceCallBack instanceCallBack);
// The destroy callback of every instance data entry: releases the index
// buffers and hands the vertex ranges back.
void RpD3D8InstanceDataDestroy(RwResEntry* entry);
// Gives back a record's vertex range (pool or dynamic) and clears it.
void RpD3D8InstanceDataReleaseVertices(RpD3D8InstanceData* instanceData);

// Vertices spanned by the indices (largest - smallest + 1) and the smallest;
// both 0 for no indices.
void RpD3D8GetIndexRange(const RwUInt16* indices, RwUInt32 numIndices, RwUInt32* numVertices, RwUInt32* minIndex);
// Order of triangles (three 16-bit indices each) in a sorted list: by their
// smallest index, then the middle, then the largest.
int RpD3D8TriangleCompare(const void* a, const void* b);
