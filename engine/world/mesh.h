// Meshes: a geometry's or world sector's triangles grouped by material for
// drawing, one mesh per material, as triangle lists or as one strip per
// material. Mesh headers are built by mesh builders or read from the bin mesh
// extension (0x50E).
#pragma once

#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/plcore/base_types.h"

struct RpMaterial;
struct RpMaterialList;
struct RwStream;

constexpr RwUInt32 kRpPluginIdMeshModule = 0x502;
constexpr RwUInt32 kRpPluginIdBinMesh = 0x50E;
// Meshes a header can count.
constexpr RwUInt32 kRpMeshHeaderMaxMeshes = 0xFFFF;

// Primitive of every mesh of a header (the header's flags).
enum RpMeshHeaderFlags : RwUInt32 {
  kRpMeshHeaderTriList = 0x0,
  kRpMeshHeaderTriStrip = 0x1,
  kRpMeshHeaderTriFan = 0x2,
  kRpMeshHeaderLineList = 0x4,
  kRpMeshHeaderPolyLine = 0x8,
  kRpMeshHeaderPointList = 0x10,
  kRpMeshHeaderPrimitiveMask = 0xFF,
};

struct RpMesh {
  RwUInt16* indices;  // into the header's allocation; null when the owner is native
  RwUInt32 numIndices;
  RpMaterial* material;
};

// One allocation: this header, the meshes, then every mesh's indices.
struct RpMeshHeader {
  RwUInt32 flags;  // RpMeshHeaderFlags
  RwUInt16 numMeshes;
  RwUInt16 serialNum;  // the module's counter when built or read
  RwUInt32 totalIndicesInMesh;
  RwUInt32 firstMeshOffset;  // bytes from the end of the header to the first mesh
};

inline RpMesh* RpMeshHeaderGetFirstMesh(RpMeshHeader* header) {
  return reinterpret_cast<RpMesh*>(reinterpret_cast<RwUInt8*>(header + 1) + header->firstMeshOffset);
}
inline const RpMesh* RpMeshHeaderGetFirstMesh(const RpMeshHeader* header) {
  return reinterpret_cast<const RpMesh*>(reinterpret_cast<const RwUInt8*>(header + 1) + header->firstMeshOffset);
}

struct RpMeshBuilderEntry {
  RwUInt16 vertexIndex[3];
  RpMaterial* material;  // or null
};

// Triangles gathered for a mesh header.
struct RpMeshBuilder {
  RwUInt32 capacity;
  RwUInt32 numTriangles;
  RpMeshBuilderEntry* entries;  // null while the capacity is 0
};

typedef RpMesh* (*RpMeshCallBack)(RpMesh* mesh, RpMeshHeader* header, void* data);
// Builds a strip header from a builder; data is the word set with the method.
typedef RpMeshHeader* (*RpTriStripMeshCallBack)(RpMeshBuilder* builder, void* data);

// Null (0x80000013) when the builder or its entries cannot be allocated.
RpMeshBuilder* RpMeshBuilderCreate(RwUInt32 numTriangles);
// Grows the builder by one entry when full; null (0x80000013) when it cannot.
RpMeshBuilder* RpMeshBuilderAddTriangle(RpMeshBuilder* builder, RpMaterial* material, RwUInt16 index0, RwUInt16 index1,
                                        RwUInt16 index2);
RwBool RpMeshBuilderDestroy(RpMeshBuilder* builder);
// Strips when flags bit 0 is set, else lists; a builder without triangles
// gives the shared empty header. Success destroys the builder; on failure
// (null) the caller still owns it.
RpMeshHeader* RpMeshBuilderToMeshHeader(RpMeshBuilder* builder, RwUInt8 flags);
// One triangle list per material, each reordered by RpMeshOptimiseTriList.
RpMeshHeader* RpMeshBuilderToTriLists(RpMeshBuilder* builder);
// One strip per material: strips follow shared edges and are joined with
// degenerate triangles that keep every triangle's winding.
RpMeshHeader* RpMeshDefaultTriStripCallBack(RpMeshBuilder* builder, void* data);
// The module-wide strip procedure and the word handed to it.
void RpMeshSetTriStripMethod(RpTriStripMeshCallBack callBack, void* data);
void RpMeshGetTriStripMethod(RpTriStripMeshCallBack* callBack, void** data);

// Reorders a list's triangles in passes; each pass places the triangles that
// share no vertex with one placed before it in the pass. False (the list as it
// was) when its work memory cannot be allocated.
RwBool RpMeshOptimiseTriList(RwUInt16* indices, RwUInt32 numIndices);
// Order of materials in a header: opaque first, then by raster, pipeline,
// texture and material address; negative, 0 or positive.
RwInt32 RpMeshSortMaterialCompare(const RpMaterial* a, const RpMaterial* b);

// Frees the header unless it is the shared empty header.
RwBool RpMeshHeaderDestroy(RpMeshHeader* header);
RpMeshHeader* RpMeshHeaderForAllMeshes(RpMeshHeader* header, RpMeshCallBack callBack, void* data);
// The engine primitive of the header's meshes, or 0 for unknown flags.
RwPrimitiveType RpMeshHeaderGetPrimitiveType(const RpMeshHeader* header);
// The header flags that draw a primitive, or 0 for an unknown one.
RwUInt32 RpMeshPrimitiveTypeToFlags(RwPrimitiveType primitiveType);

// The bin mesh extension of an owner (a geometry with its material list, or
// a world sector with its world's list); a native owner stores no indices.
RwInt32 RpMeshHeaderStreamGetSize(const RpMeshHeader* header, RwBool native);
RwStream* RpMeshHeaderStreamWrite(const RpMeshHeader* header, RwStream* stream, const RpMaterialList* materials,
                                  RwBool native);
// Reads length bytes of bin mesh data. Indices must lie below numVertices; a
// material index outside the list gives the mesh no material.
RpMeshHeader* RpMeshHeaderStreamRead(RwStream* stream, RwInt32 length, const RpMaterialList* materials,
                                     RwInt32 numVertices, RwBool native);
