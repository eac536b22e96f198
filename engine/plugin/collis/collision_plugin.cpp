// The collision plugin's registrations and the collision data of geometries:
// the engine block with the atomic-query counter, the geometry slot with its
// stream callbacks, and building data on request.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/world.h"

namespace {

// Engine-instance block of the plugin.
struct CollisionGlobals {
  RwUInt32 atomicQueryCounter;  // number of the last atomic query
};

RwInt32 sEngineOffset = -1;
RwInt32 sSectorOffset = -1;
RwInt32 sAtomicOffset = -1;
RwInt32 sGeometryOffset = -1;
RwInt32 sOpenCount = 0;

// Map and record share a block; the map follows at this alignment.
constexpr size_t kRecordBytes = (sizeof(RpCollisionData) + 7) & ~static_cast<size_t>(7);

void* CollisionOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwPluginDataGet(CollisionGlobals, instance, offset)->atomicQueryCounter = 0;
  ++sOpenCount;
  return instance;
}

void* CollisionClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  --sOpenCount;
  return instance;
}

void* AtomicConstruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RwUInt32, object, offset) = 0;
  return object;
}

void* SlotConstruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RpCollisionData*, object, offset) = nullptr;
  return object;
}

void* SlotDestruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  RpCollisionData** slot = RwPluginDataGet(RpCollisionData*, object, offset);
  RpCollisionDataDestroy(*slot);
  *slot = nullptr;
  return object;
}

// The type of an object's slot, named so that the const accessor applies to the slot.
typedef RpCollisionData* CollisionSlot;

RpCollisionData* SlotData(const void* object, RwInt32 offset) {
  return *RwPluginDataGetConst(CollisionSlot, object, offset);
}

// Reads collision data for an owner of numTriangles triangles into its slot,
// replacing what it held; an empty body reads nothing.
RwStream* SlotRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 numTriangles) {
  if (length == 0) {
    return stream;
  }
  RpCollisionData* data = _rpCollisionDataStreamRead(stream, length, numTriangles);
  if (data == nullptr) {
    return nullptr;
  }
  RpCollisionData** slot = RwPluginDataGet(RpCollisionData*, object, offset);
  RpCollisionDataDestroy(*slot);
  *slot = data;
  return stream;
}

RwStream* SlotWrite(RwStream* stream, const void* object, RwInt32 offset) {
  const RpCollisionData* data = SlotData(object, offset);
  return data != nullptr ? RpCollisionDataStreamWrite(data, stream) : stream;
}

RwInt32 SlotSize(const void* object, RwInt32 offset) {
  const RpCollisionData* data = SlotData(object, offset);
  return data != nullptr ? RpCollisionDataStreamGetSize(data) : 0;
}

RwStream* GeometryRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 /*size*/) {
  return SlotRead(stream, length, object, offset, static_cast<RpGeometry*>(object)->numTriangles);
}

RwStream* GeometryWrite(RwStream* stream, RwInt32 /*length*/, const void* object, RwInt32 offset, RwInt32 /*size*/) {
  return SlotWrite(stream, object, offset);
}

RwInt32 GeometrySize(const void* object, RwInt32 offset, RwInt32 /*size*/) { return SlotSize(object, offset); }

// A sector's map entries index its polygons.
RwStream* SectorRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 /*size*/) {
  return SlotRead(stream, length, object, offset, static_cast<RpWorldSector*>(object)->numPolygons);
}

RwStream* SectorWrite(RwStream* stream, RwInt32 /*length*/, const void* object, RwInt32 offset, RwInt32 /*size*/) {
  return SlotWrite(stream, object, offset);
}

RwInt32 SectorSize(const void* object, RwInt32 offset, RwInt32 /*size*/) { return SlotSize(object, offset); }

}  // namespace

RwBool RpCollisionPluginAttach(void) {
  sEngineOffset = RwEngineRegisterPlugin(sizeof(CollisionGlobals), kRpCollisionPluginId, CollisionOpen, CollisionClose);
  if (sEngineOffset < 0) {
    return FALSE;
  }
  sSectorOffset =
      RpWorldSectorRegisterPlugin(sizeof(RpCollisionData*), kRpCollisionPluginId, SlotConstruct, SlotDestruct, nullptr);
  if (sSectorOffset < 0 ||
      RpWorldSectorRegisterPluginStream(kRpCollisionPluginId, SectorRead, SectorWrite, SectorSize) < 0) {
    return FALSE;
  }
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RwUInt32), kRpCollisionPluginId, AtomicConstruct, nullptr, nullptr);
  if (sAtomicOffset < 0) {
    return FALSE;
  }
  sGeometryOffset =
      RpGeometryRegisterPlugin(sizeof(RpCollisionData*), kRpCollisionPluginId, SlotConstruct, SlotDestruct, nullptr);
  if (sGeometryOffset < 0 ||
      RpGeometryRegisterPluginStream(kRpCollisionPluginId, GeometryRead, GeometryWrite, GeometrySize) < 0) {
    return FALSE;
  }
  return TRUE;
}

RpCollisionData* RpCollisionDataCreate(RwInt32 numVertices, const RwV3d* positions, RwInt32 numTriangles,
                                       const RpTriangle* triangles) {
  if (numTriangles < 1 || numTriangles > kRpCollisionMaxTriangles) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  auto* block = static_cast<RwUInt8*>(RwMalloc(kRecordBytes + sizeof(RwUInt16) * numTriangles));
  if (block == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  auto* data = reinterpret_cast<RpCollisionData*>(block);
  data->flags = 0;
  data->mapLength = numTriangles;
  data->triangleMap = reinterpret_cast<RwUInt16*>(block + kRecordBytes);
  data->tree = RpCollisionTreeBuild(numVertices, positions, numTriangles, triangles, data->triangleMap);
  if (data->tree == nullptr) {
    RwFree(block);
    return nullptr;
  }
  return data;
}

void RpCollisionDataDestroy(RpCollisionData* data) {
  if (data == nullptr) {
    return;
  }
  if ((data->flags & kRpCollisionDataOneBlock) == 0) {
    EngineFree(data->tree);
  }
  RwFree(data);
}

RpGeometry* RpCollisionGeometryBuildData(RpGeometry* geometry) {
  if (geometry == nullptr || sGeometryOffset < 0) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
    return nullptr;
  }
  RpCollisionData** slot = RwPluginDataGet(RpCollisionData*, geometry, sGeometryOffset);
  RpCollisionDataDestroy(*slot);
  *slot = nullptr;
  const RwV3d* positions = geometry->morphTarget != nullptr ? geometry->morphTarget[0].verts : nullptr;
  if (positions == nullptr || geometry->numVertices < 1 || geometry->numTriangles < 1 ||
      geometry->numTriangles > kRpCollisionMaxTriangles) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  *slot = RpCollisionDataCreate(geometry->numVertices, positions, geometry->numTriangles, geometry->triangles);
  return *slot != nullptr ? geometry : nullptr;
}

RwBool RpCollisionGeometryQueryData(const RpGeometry* geometry) {
  return _rpCollisionGeometryGetData(geometry) != nullptr ? 1 : 0;
}

RpCollisionData* _rpCollisionGeometryGetData(const RpGeometry* geometry) {
  if (geometry == nullptr || sGeometryOffset < 0) {
    return nullptr;
  }
  return SlotData(geometry, sGeometryOffset);
}

RwUInt32* _rpCollisionAtomicQueryNumber(RpAtomic* atomic) { return RwPluginDataGet(RwUInt32, atomic, sAtomicOffset); }

RwUInt32* _rpCollisionAtomicQueryCounter(void) {
  return &RwPluginDataGet(CollisionGlobals, RwEngineInstance, sEngineOffset)->atomicQueryCounter;
}

RpCollisionData* _rpCollisionWorldSectorGetData(const RpWorldSector* sector) {
  if (sector == nullptr || sSectorOffset < 0) {
    return nullptr;
  }
  return SlotData(sector, sSectorOffset);
}
