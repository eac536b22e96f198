// Geometries: creation in one allocation with the vertex arrays, morph
// targets in a second allocation, reference counts, locking and the mesh
// header rebuilt from the triangles, material walks and the plugin registry.
#include "engine/world/geometry.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/resmem.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

// Sizes other modules and the stored format count on.
static_assert(sizeof(RpTriangle) == 8, "a triangle is four 16-bit words");
static_assert(sizeof(RpMorphTarget) == 40 && alignof(RpMorphTarget) == 8,
              "vertex data behind the morph-target records stays aligned");

namespace {

RwPluginRegistry gGeometryRegistry = RwPluginRegistryInitializer(sizeof(RpGeometry));

RwBool IsNative(const RpGeometry* geometry) { return (geometry->flags & rpGEOMETRYNATIVE) != 0; }

// The texture-coordinate set count a create request names.
RwInt32 TexCoordSetCount(RwUInt32 format) {
  const RwInt32 count = static_cast<RwInt32>((format & rpGEOMETRYTEXCOORDSETSMASK) >> rpGEOMETRYTEXCOORDSETSSHIFT);
  if (count != 0) {
    return count;
  }
  if ((format & rpGEOMETRYTEXTURED2) != 0) {
    return 2;
  }
  return (format & rpGEOMETRYTEXTURED) != 0 ? 1 : 0;
}

// Bytes of vertex data each morph target of the geometry holds.
size_t MorphTargetDataSize(const RpGeometry* geometry) {
  if (IsNative(geometry)) {
    return 0;
  }
  const size_t positions = sizeof(RwV3d) * static_cast<size_t>(geometry->numVertices);
  return (geometry->flags & rpGEOMETRYNORMALS) != 0 ? 2 * positions : positions;
}

// Points every target's arrays into the vertex data behind the records.
void SetMorphTargetPointers(RpGeometry* geometry) {
  const RwBool hasData = !IsNative(geometry) && geometry->numVertices > 0;
  const RwBool hasNormals = hasData && (geometry->flags & rpGEOMETRYNORMALS) != 0;
  auto* data = reinterpret_cast<RwV3d*>(geometry->morphTarget + geometry->numMorphTargets);
  for (RwInt32 i = 0; i < geometry->numMorphTargets; ++i) {
    RpMorphTarget& target = geometry->morphTarget[i];
    target.verts = hasData ? data : nullptr;
    data += hasData ? geometry->numVertices : 0;
    target.normals = hasNormals ? data : nullptr;
    data += hasNormals ? geometry->numVertices : 0;
  }
}

// Adds count morph targets; their vertex data is zeroed when clear is set,
// else left for the caller to fill. The index of the first new target, or -1.
RwInt32 AddMorphTargets(RpGeometry* geometry, RwInt32 count, RwBool clear) {
  if (count < 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return -1;
  }
  const RwInt32 oldCount = geometry->numMorphTargets;
  const size_t dataSize = MorphTargetDataSize(geometry);
  const size_t newCount = static_cast<size_t>(oldCount) + static_cast<size_t>(count);
  const size_t bytes = (sizeof(RpMorphTarget) + dataSize) * newCount;
  void* grown = geometry->morphTarget != nullptr ? RwRealloc(geometry->morphTarget, bytes) : RwMalloc(bytes);
  if (grown == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return -1;
  }
  auto* records = static_cast<RpMorphTarget*>(grown);
  // The old targets' vertex data moves up behind the enlarged record array.
  auto* oldData = reinterpret_cast<RwUInt8*>(records + oldCount);
  auto* newData = reinterpret_cast<RwUInt8*>(records + newCount);
  std::memmove(newData, oldData, dataSize * static_cast<size_t>(oldCount));
  if (clear) {
    std::memset(newData + dataSize * static_cast<size_t>(oldCount), 0, dataSize * static_cast<size_t>(count));
  }
  geometry->morphTarget = records;
  geometry->numMorphTargets = static_cast<RwInt32>(newCount);
  SetMorphTargetPointers(geometry);
  for (size_t i = static_cast<size_t>(oldCount); i < newCount; ++i) {
    records[i].parentGeom = geometry;
    records[i].boundingSphere = {{0.0f, 0.0f, 0.0f}, 0.0f};
  }
  return oldCount;
}

// RpGeometryCreate with numTargets morph targets; with clear unset, the
// vertex arrays, triangles and target data are left for the caller to fill.
RpGeometry* CreateGeometry(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 format, RwInt32 numTargets,
                           RwBool clear) {
  if (numVertices < 0 || numTriangles < 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return nullptr;
  }
  if (numVertices >= kRpGeometryMaxVertices) {
    RwErrorRaise(kRwPluginIdWorld, kRpErrGeometryTooManyVertices);
    return nullptr;
  }
  const RwInt32 numSets = TexCoordSetCount(format);
  if (numSets > kRpGeometryMaxTexCoordSets) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return nullptr;
  }
  RwUInt32 flags = (format & rpGEOMETRYNATIVEFLAGSMASK) | (format & rpGEOMETRYFLAGSMASK);
  if (numSets == 1) {
    flags |= rpGEOMETRYTEXTURED;
  } else if (numSets > 1) {
    flags |= rpGEOMETRYTEXTURED2;
  }
  const RwBool native = (flags & rpGEOMETRYNATIVE) != 0;

  const size_t vertices = static_cast<size_t>(numVertices);
  const size_t colorBytes = !native && vertices > 0 && (flags & rpGEOMETRYPRELIT) != 0 ? sizeof(RwRGBA) * vertices : 0;
  const size_t setBytes = !native && vertices > 0 ? sizeof(RwTexCoords) * vertices : 0;
  const size_t triangleBytes = !native ? sizeof(RpTriangle) * static_cast<size_t>(numTriangles) : 0;
  const size_t bytes = static_cast<size_t>(gGeometryRegistry.sizeOfStruct) + colorBytes +
                       setBytes * static_cast<size_t>(numSets) + triangleBytes;
  auto* block = static_cast<RwUInt8*>(RwMalloc(bytes));
  if (block == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  auto* geometry = reinterpret_cast<RpGeometry*>(block);
  std::memset(geometry, 0, sizeof(RpGeometry));
  geometry->type = kRpGeometryObjectType;
  geometry->flags = flags;
  geometry->refCount = 1;
  geometry->numTriangles = numTriangles;
  geometry->numVertices = numVertices;
  geometry->numTexCoordSets = numSets;
  RpMaterialListInitialize(&geometry->matList);

  RwUInt8* next = block + gGeometryRegistry.sizeOfStruct;
  if (clear) {
    std::memset(next, 0, colorBytes + setBytes * static_cast<size_t>(numSets));
  }
  if (colorBytes != 0) {
    geometry->preLitLum = reinterpret_cast<RwRGBA*>(next);
    next += colorBytes;
  }
  for (RwInt32 i = 0; setBytes != 0 && i < numSets; ++i) {
    geometry->texCoords[i] = reinterpret_cast<RwTexCoords*>(next);
    next += setBytes;
  }
  if (triangleBytes != 0) {
    geometry->triangles = reinterpret_cast<RpTriangle*>(next);
    for (RwInt32 i = 0; clear && i < numTriangles; ++i) {
      geometry->triangles[i] = {{0, 0, 0}, kRpTriangleNoMaterial};
    }
  }
  if (AddMorphTargets(geometry, numTargets, clear) < 0) {
    RwFree(block);
    return nullptr;
  }
  if (RwPluginRegistryInitObject(&gGeometryRegistry, geometry) == nullptr) {
    RwFree(geometry->morphTarget);
    RwFree(block);
    return nullptr;
  }
  return geometry;
}

}  // namespace

RpGeometry* RpGeometryCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 format) {
  return CreateGeometry(numVertices, numTriangles, format, 1, TRUE);
}

RpGeometry* _rpGeometryCreateUnfilled(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 format,
                                      RwInt32 numMorphTargets) {
  return CreateGeometry(numVertices, numTriangles, format, numMorphTargets, FALSE);
}

RpGeometry* RpGeometryCreateEmpty(RwReal radius) {
  RpGeometry* geometry = RpGeometryCreate(0, 0, 0);
  if (geometry == nullptr) {
    return nullptr;
  }
  geometry->morphTarget[0].boundingSphere = {{0.0f, 0.0f, 0.0f}, radius};
  if (RpGeometryUnlock(geometry) == nullptr) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  return geometry;
}

RwInt32 RpGeometryAddMorphTargets(RpGeometry* geometry, RwInt32 count) {
  return AddMorphTargets(geometry, count, TRUE);
}

RpGeometry* RpGeometryAddRef(RpGeometry* geometry) {
  geometry->refCount += 1;
  return geometry;
}

RwBool RpGeometryDestroy(RpGeometry* geometry) {
  geometry->refCount -= 1;
  if (geometry->refCount > 0) {
    return TRUE;
  }
  if (geometry->repEntry != nullptr) {
    RwResourcesFreeResEntry(geometry->repEntry);
    geometry->repEntry = nullptr;
  }
  // Plugin destructors see a live, fully locked geometry.
  geometry->refCount = 1;
  geometry->lockedSinceLastInst = rpGEOMETRYLOCKALL;
  if (geometry->mesh != nullptr) {
    RpMeshHeaderDestroy(geometry->mesh);
    geometry->mesh = nullptr;
  }
  RwPluginRegistryDeInitObject(&gGeometryRegistry, geometry);
  if (geometry->morphTarget != nullptr) {
    RwFree(geometry->morphTarget);
    geometry->morphTarget = nullptr;
  }
  RpMaterialListDeinitialize(&geometry->matList);
  geometry->refCount = 0;
  RwFree(geometry);
  return TRUE;
}

RpGeometry* RpGeometryLock(RpGeometry* geometry, RwInt32 lockMode) {
  geometry->lockedSinceLastInst |= static_cast<RwUInt16>(lockMode);
  if ((lockMode & rpGEOMETRYLOCKPOLYGONS) != 0 && geometry->mesh != nullptr) {
    RpMeshHeaderDestroy(geometry->mesh);
    geometry->mesh = nullptr;
  }
  return geometry;
}

RpGeometry* RpGeometryUnlock(RpGeometry* geometry) {
  if (geometry->mesh != nullptr) {
    return geometry;
  }
  // A native geometry has a triangle count but no triangles of its own.
  const RwInt32 numTriangles = geometry->triangles != nullptr ? geometry->numTriangles : 0;
  RpMeshBuilder* builder = RpMeshBuilderCreate(static_cast<RwUInt32>(numTriangles));
  if (builder == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    const RpTriangle& triangle = geometry->triangles[i];
    if (RpMeshBuilderAddTriangle(builder, RpGeometryTriangleGetMaterial(geometry, &triangle), triangle.vertIndex[0],
                                 triangle.vertIndex[1], triangle.vertIndex[2]) == nullptr) {
      RpMeshBuilderDestroy(builder);
      return nullptr;
    }
  }
  RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, static_cast<RwUInt8>(geometry->flags & rpGEOMETRYTRISTRIP));
  if (header == nullptr) {
    RpMeshBuilderDestroy(builder);
    return nullptr;
  }
  geometry->mesh = header;
  return geometry;
}

RwUInt32 RpGeometryGetFlags(const RpGeometry* geometry) { return geometry->flags; }

RpGeometry* RpGeometrySetFlags(RpGeometry* geometry, RwUInt32 flags) {
  geometry->flags = flags;
  return geometry;
}

RwRGBA* RpGeometryGetPreLightColors(const RpGeometry* geometry) { return geometry->preLitLum; }

RpMorphTarget* RpGeometryGetMorphTarget(const RpGeometry* geometry, RwInt32 index) {
  if (index < 0 || index >= geometry->numMorphTargets) {
    return nullptr;
  }
  return &geometry->morphTarget[index];
}

RpMaterial* RpGeometryTriangleGetMaterial(const RpGeometry* geometry, const RpTriangle* triangle) {
  const RwInt32 index = triangle->matIndex;
  if (index == kRpTriangleNoMaterial || index >= geometry->matList.numMaterials) {
    return nullptr;
  }
  return geometry->matList.materials[index];
}

RpGeometry* RpGeometryForAllMaterials(RpGeometry* geometry, RpMaterialCallBack callBack, void* data) {
  for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i) {
    if (callBack(geometry->matList.materials[i], data) == nullptr) {
      break;
    }
  }
  return geometry;
}

RwInt32 RpGeometryRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                 RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gGeometryRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpGeometryRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                       RwPluginDataChunkWriteCallBack writeCB,
                                       RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gGeometryRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpGeometryGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&gGeometryRegistry, pluginID);
}

const RwPluginRegistry* _rpGeometryRegistry(void) { return &gGeometryRegistry; }
