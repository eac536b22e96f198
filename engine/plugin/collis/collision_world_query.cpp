// Which world triangles, and which atomics placed in a world, a primitive
// meets. World triangles come from the sectors the sector tree (or, for an
// atomic, its ties) yields, through each sector's collision tree; sectors
// without collision data yield none. Atomics come from the sectors'
// collision lists, each examined once per query through the engine's query
// counter and tested by its world bounding sphere.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/vector.h"
#include "engine/tool/intsec/rtintsec.h"
#include "engine/world/world.h"
#include "engine/world/world_object.h"

namespace {

struct TriangleQuery {
  RpIntersectionPrimitive* primitive;  // the caller's
  RpIntersectionCallBackWorldTriangle callBack;
  void* data;
  RwUInt32 type;  // line, sphere or box (an atomic's sphere counts as a sphere)
  RwLine line;    // the whole line: every triangle is measured along it
  RwV3d delta;
  RpLineSlopes slopes;
  RwSphere sphere;
  RwBBox box;  // the sphere's box, or the box
  RpWorldSector* sector;
  const RwUInt16* map;
  bool stopped;
};

// Tests one of the sector's polygons and offers a hit; false when stopped.
bool TestPolygon(TriangleQuery* query, RwInt32 index) {
  RpWorldSector* sector = query->sector;
  const RpPolygon& polygon = sector->polygons[index];
  RpCollisionTriangle triangle;
  for (RwInt32 c = 0; c < 3; ++c) {
    if (polygon.vertIndex[c] >= sector->numVertices) {
      return true;  // refused by the world reader; never met in a read world
    }
    triangle.vertices[c] = &sector->vertices[polygon.vertIndex[c]];
  }
  RwReal distance = 0.0f;
  if (query->type == rpINTERSECTLINE) {
    if (!_rpCollisionLineTriangle(&query->line.start, &query->delta, triangle.vertices[0], triangle.vertices[1],
                                  triangle.vertices[2], &distance, &triangle.normal)) {
      return true;
    }
  } else if (query->type == rpINTERSECTSPHERE) {
    RwReal planeDistance = 0.0f;
    if (!RtIntersectionSphereTriangle(&query->sphere, triangle.vertices[0], triangle.vertices[1], triangle.vertices[2],
                                      &triangle.normal, &planeDistance)) {
      return true;
    }
    distance = query->sphere.radius > 0.0f ? planeDistance / query->sphere.radius : 0.0f;
  } else {
    if (!RtIntersectionBoxTriangle(&query->box, triangle.vertices[0], triangle.vertices[1], triangle.vertices[2])) {
      return true;
    }
    RwV3d e1;
    RwV3d e2;
    RwV3d n;
    RwV3dSub(&e1, triangle.vertices[1], triangle.vertices[0]);
    RwV3dSub(&e2, triangle.vertices[2], triangle.vertices[0]);
    RwV3dCrossProduct(&n, &e1, &e2);
    RwV3dScale(&triangle.normal, &n, RwInvSqrt(RwV3dDotProduct(&n, &n)));
  }
  triangle.point = *triangle.vertices[0];
  triangle.index = index;
  if (query->callBack(query->primitive, sector, &triangle, distance, query->data) == nullptr) {
    query->stopped = true;
    return false;
  }
  return true;
}

RwBool TestLeaf(RwInt32 numTriangles, RwInt32 firstTriangle, void* data) {
  auto* query = static_cast<TriangleQuery*>(data);
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    if (!TestPolygon(query, query->map[firstTriangle + i])) {
      return FALSE;
    }
  }
  return TRUE;
}

// The sector's collision data when it has polygons to test (a native
// world's sectors carry none of their own), else null.
const RpCollisionData* SearchableData(const RpWorldSector* sector) {
  if (sector->polygons == nullptr || sector->vertices == nullptr) {
    return nullptr;
  }
  return _rpCollisionWorldSectorGetData(sector);
}

// A sector reached by a box or sphere: its tree's leaves in the box.
RpWorldSector* SectorInBox(RpWorldSector* sector, void* data) {
  auto* query = static_cast<TriangleQuery*>(data);
  const RpCollisionData* collision = SearchableData(sector);
  if (collision == nullptr) {
    return sector;
  }
  query->sector = sector;
  query->map = collision->triangleMap;
  return RpCollisionTreeForAllBoxLeaves(collision->tree, &query->box, TestLeaf, query) != nullptr ? sector : nullptr;
}

struct LineSectorQuery {
  TriangleQuery* query;
  RwLine clipped;  // the part of the line in the sector being visited
};

RpWorldSector* SectorOnLine(RpWorldSector* sector, void* data) {
  auto* walk = static_cast<LineSectorQuery*>(data);
  TriangleQuery* query = walk->query;
  const RpCollisionData* collision = SearchableData(sector);
  if (collision == nullptr) {
    return sector;
  }
  query->sector = sector;
  query->map = collision->triangleMap;
  return RpCollisionTreeForAllLineLeaves(collision->tree, &walk->clipped, &query->slopes, TestLeaf, query) != nullptr
             ? sector
             : nullptr;
}

struct AtomicQuery {
  RpIntersectionPrimitive* primitive;
  RpIntersectionCallBackAtomic callBack;
  void* data;
  RwUInt32 counter;
  RpAtomic* queryAtomic;  // never offered (an atomic primitive's own)
  RwUInt32 type;
  // Line: start, unit direction and length; spheres: sphere (radius 0 for a point); box.
  RwV3d start;
  RwV3d direction;
  RwReal length;
  RwSphere sphere;
  RwBBox box;
  RpWorldSector* sector;
  bool stopped;
};

// Whether the world sphere meets the query's shape; the distance goes to *distance.
bool AtomicMeets(const AtomicQuery& query, const RwSphere& bounds, RwReal* distance) {
  const RwReal rr = bounds.radius * bounds.radius;
  switch (query.type) {
    case rpINTERSECTLINE: {
      RwV3d h;
      RwV3dSub(&h, &bounds.center, &query.start);
      const RwReal hh = RwV3dDotProduct(&h, &h);
      const RwReal projection = RwV3dDotProduct(&query.direction, &h);
      // A zero-length line is at distance 0 from what holds its start.
      *distance = query.length > 0.0f ? projection / query.length : 0.0f;
      if (hh < rr) {
        return true;
      }
      const RwReal reach = rr - (hh - projection * projection);
      if (!(projection > 0.0f) || reach < 0.0f) {
        return false;
      }
      const RwReal beyond = projection - query.length;
      return beyond < 0.0f || beyond * beyond < reach;
    }
    case rpINTERSECTBOX:
      *distance = 0.0f;
      return _rpCollisionBoxDistanceSquared(&query.box, &bounds.center) < rr;
    default: {
      RwV3d d;
      RwV3dSub(&d, &bounds.center, &query.sphere.center);
      const RwReal dd = RwV3dDotProduct(&d, &d);
      const RwReal reach = bounds.radius + query.sphere.radius;
      const RwReal reachSquared = reach * reach;
      if (!(dd < reachSquared)) {
        return false;
      }
      *distance = RwSqrt(dd / reachSquared);
      return true;
    }
  }
}

RpAtomic* ExamineAtomic(RpAtomic* atomic, void* data) {
  auto* query = static_cast<AtomicQuery*>(data);
  RwUInt32* number = _rpCollisionAtomicQueryNumber(atomic);
  if (*number == query->counter || (RpAtomicGetFlags(atomic) & rpATOMICCOLLISIONTEST) == 0 ||
      atomic == query->queryAtomic) {
    return atomic;
  }
  *number = query->counter;  // before the test: examined once however many sectors hold it
  RwReal distance = 0.0f;
  if (!AtomicMeets(*query, *RpAtomicGetWorldBoundingSphere(atomic), &distance)) {
    return atomic;
  }
  if (query->callBack(query->primitive, query->sector, atomic, distance, query->data) == nullptr) {
    query->stopped = true;
    return nullptr;
  }
  return atomic;
}

RpWorldSector* AtomicsInSector(RpWorldSector* sector, void* data) {
  auto* query = static_cast<AtomicQuery*>(data);
  query->sector = sector;
  RpWorldSectorForAllCollisionAtomics(sector, ExamineAtomic, query);
  return query->stopped ? nullptr : sector;
}

RpIntersectionPrimitive* Unsupported() {
  RwErrorRaise(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
  return nullptr;
}

}  // namespace

RpWorld* RpCollisionWorldForAllIntersections(RpWorld* world, RpIntersectionPrimitive* primitive,
                                             RpIntersectionCallBackWorldTriangle callBack, void* data) {
  if (world == nullptr || primitive == nullptr || callBack == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
    return nullptr;
  }
  TriangleQuery query = {};
  query.primitive = primitive;
  query.callBack = callBack;
  query.data = data;
  switch (primitive->type) {
    case rpINTERSECTLINE: {
      query.type = rpINTERSECTLINE;
      query.line = primitive->t.line;
      RwV3dSub(&query.delta, &query.line.end, &query.line.start);
      _rpLineSlopesCompute(&query.slopes, &query.line);
      LineSectorQuery walk = {&query, {}};
      RpWorldForAllSectorsOnLine(world, &query.line, &query.slopes, SectorOnLine, &walk, &walk.clipped);
      return world;
    }
    case rpINTERSECTSPHERE:
      query.type = rpINTERSECTSPHERE;
      query.sphere = primitive->t.sphere;
      _rpCollisionSphereBox(&query.box, &query.sphere);
      RpWorldForAllSectorsInBox(world, &query.box, SectorInBox, &query);
      return world;
    case rpINTERSECTBOX:
      query.type = rpINTERSECTBOX;
      query.box = primitive->t.box;
      RpWorldForAllSectorsInBox(world, &query.box, SectorInBox, &query);
      return world;
    case rpINTERSECTATOMIC:
      if (primitive->t.atomic == nullptr) {
        RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
        return nullptr;
      }
      query.type = rpINTERSECTSPHERE;
      query.sphere = *RpAtomicGetWorldBoundingSphere(primitive->t.atomic);
      _rpCollisionSphereBox(&query.box, &query.sphere);
      RpAtomicForAllWorldSectors(primitive->t.atomic, SectorInBox, &query);
      return world;
    default:
      Unsupported();
      return nullptr;
  }
}

RpWorld* RpWorldForAllAtomicIntersections(RpWorld* world, RpIntersectionPrimitive* primitive,
                                          RpIntersectionCallBackAtomic callBack, void* data) {
  if (world == nullptr || primitive == nullptr || callBack == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
    return nullptr;
  }
  RwFrameSyncDirty();
  RwUInt32* counter = _rpCollisionAtomicQueryCounter();
  ++*counter;
  AtomicQuery query = {};
  query.primitive = primitive;
  query.callBack = callBack;
  query.data = data;
  query.counter = *counter;
  query.type = primitive->type;
  switch (primitive->type) {
    case rpINTERSECTLINE: {
      const RwLine& line = primitive->t.line;
      RwV3d delta;
      RwV3dSub(&delta, &line.end, &line.start);
      const RwReal dd = RwV3dDotProduct(&delta, &delta);
      query.start = line.start;
      RwV3dScale(&query.direction, &delta, RwInvSqrt(dd));
      query.length = RwSqrt(dd);
      RpLineSlopes slopes;
      _rpLineSlopesCompute(&slopes, &line);
      RpWorldForAllSectorsOnLine(world, &line, &slopes, AtomicsInSector, &query, nullptr);
      return world;
    }
    case rpINTERSECTPOINT:
      query.sphere = {primitive->t.point, 0.0f};
      query.box = {primitive->t.point, primitive->t.point};
      RpWorldForAllSectorsInBox(world, &query.box, AtomicsInSector, &query);
      return world;
    case rpINTERSECTSPHERE:
      query.sphere = primitive->t.sphere;
      RpWorldForAllSectorsInSphere(world, &query.sphere, AtomicsInSector, &query);
      return world;
    case rpINTERSECTBOX:
      query.box = primitive->t.box;
      RpWorldForAllSectorsInBox(world, &query.box, AtomicsInSector, &query);
      return world;
    case rpINTERSECTATOMIC:
      if (primitive->t.atomic == nullptr) {
        RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
        return nullptr;
      }
      query.queryAtomic = primitive->t.atomic;
      query.sphere = *RpAtomicGetWorldBoundingSphere(primitive->t.atomic);
      RpAtomicForAllWorldSectors(primitive->t.atomic, AtomicsInSector, &query);
      return world;
    default:
      Unsupported();
      return nullptr;
  }
}
