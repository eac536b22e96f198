// What a world's reader derives once its sectors are read: the plane box of
// every atomic sector, the world's box as the union of the sectors' boxes
// (for worlds whose struct holds none) and the sectors' mesh headers.
#include "engine/world/bsp_walk.h"
#include "engine/world/mesh.h"
#include "engine/world/world.h"
#include "engine/world/world_internal.h"

namespace {

struct BoxedSector {
  RpSector* sector;
  RwBBox box;
};

RpWorldSector* AddSectorBox(RpWorldSector* sector, void* data) {
  auto* box = static_cast<RwBBox*>(data);
  RwBBoxAddPoint(box, &sector->boundingBox.inf);
  RwBBoxAddPoint(box, &sector->boundingBox.sup);
  return sector;
}

RpWorldSector* FirstSector(RpWorldSector* sector, void* data) {
  *static_cast<RpWorldSector**>(data) = sector;
  return nullptr;
}

// The world material of a polygon, or none when its index lies past the list.
RpMaterial* PolygonMaterial(const RpWorld* world, const RpWorldSector* sector, const RpPolygon& polygon) {
  const RwInt32 index = static_cast<RwInt32>(sector->matListWindowBase) + polygon.matIndex;
  return index < world->matList.numMaterials ? world->matList.materials[index] : nullptr;
}

// A native world's sectors keep their polygon count without the polygons,
// whose meshes come with their bin mesh; without one their header is empty.
RpMeshHeader* BuildMesh(const RpWorld* world, const RpWorldSector* sector) {
  const RwUInt16 numPolygons = sector->polygons != nullptr ? sector->numPolygons : 0;
  RpMeshBuilder* builder = RpMeshBuilderCreate(numPolygons);
  if (builder == nullptr) {
    return nullptr;
  }
  for (RwUInt16 i = 0; i < numPolygons; ++i) {
    const RpPolygon& polygon = sector->polygons[i];
    if (RpMeshBuilderAddTriangle(builder, PolygonMaterial(world, sector, polygon), polygon.vertIndex[0],
                                 polygon.vertIndex[1], polygon.vertIndex[2]) == nullptr) {
      RpMeshBuilderDestroy(builder);
      return nullptr;
    }
  }
  const RwUInt8 flags = (world->flags & rpWORLDTRISTRIP) != 0 ? kRpMeshHeaderTriStrip : kRpMeshHeaderTriList;
  RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, flags);
  if (header == nullptr) {
    RpMeshBuilderDestroy(builder);
  }
  return header;
}

struct MeshBuild {
  const RpWorld* world;
  RwBool built;
};

RpWorldSector* BuildSectorMesh(RpWorldSector* sector, void* data) {
  auto* build = static_cast<MeshBuild*>(data);
  if (sector->mesh != nullptr) {
    return sector;
  }
  sector->mesh = BuildMesh(build->world, sector);
  build->built = sector->mesh != nullptr;
  return build->built ? sector : nullptr;
}

}  // namespace

void _rpWorldUnionSectorBoxes(RpWorld* world) {
  RpWorldSector* first = nullptr;
  RpWorldForAllWorldSectors(world, FirstSector, &first);
  if (first == nullptr) {
    return;
  }
  RwBBoxInitialize(&world->boundingBox, &first->boundingBox.inf);
  RpWorldForAllWorldSectors(world, AddSectorBox, &world->boundingBox);
}

void _rpWorldSetPlaneBoxes(RpWorld* world) {
  RpSectorStack<BoxedSector> pending;
  BoxedSector current = {world->rootSector, world->boundingBox};
  while (current.sector != nullptr) {
    if (RpSectorIsAtomic(current.sector)) {
      RpSectorAsAtomic(current.sector)->planeBox = current.box;
      if (!pending.Pop(&current)) {
        return;
      }
      continue;
    }
    const RpPlaneSector* plane = RpSectorAsPlane(current.sector);
    BoxedSector right = {plane->rightSubTree, current.box};
    *RpAxisComponent(&right.box.inf, plane->type) = plane->rightValue;
    pending.Push(right);
    current.sector = plane->leftSubTree;
    *RpAxisComponent(&current.box.sup, plane->type) = plane->leftValue;
  }
}

RwBool _rpWorldBuildSectorMeshes(RpWorld* world) {
  MeshBuild build = {world, TRUE};
  RpWorldForAllWorldSectors(world, BuildSectorMesh, &build);
  return build.built;
}
