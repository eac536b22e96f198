// Which triangles of one atomic's geometry a line or sphere meets. The
// primitive is taken into the geometry's model space through the inverse of
// the atomic's frame; a single-target geometry with collision data is
// searched through its tree, any other triangle by triangle, morphing
// geometries at the atomic's interpolated positions.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/vector.h"
#include "engine/tool/intsec/rtintsec.h"

namespace {

struct GeometryQuery {
  RpIntersectionPrimitive* primitive;  // the caller's, handed to the callback
  RpIntersectionCallBackGeometryTriangle callBack;
  void* data;
  const RpGeometry* geometry;
  bool isLine;
  RwLine line;  // model space
  RwV3d delta;
  RwSphere sphere;  // model space
  // Positions: one target's, or a blend of two computed per triangle.
  RwV3d* positions;
  const RwV3d* blendEnd;  // null: no blend
  RwReal blend;
  const RwUInt16* map;
};

// Tests one triangle and offers a hit; false when the callback stopped the query.
bool TestTriangle(GeometryQuery* query, RwInt32 index) {
  const RpTriangle& source = query->geometry->triangles[index];
  RwV3d blended[3];
  RpCollisionTriangle triangle;
  for (RwInt32 c = 0; c < 3; ++c) {
    const RwUInt16 vertex = source.vertIndex[c];
    if (vertex >= query->geometry->numVertices) {
      return true;  // a triangle of a corrupt geometry: nothing to test
    }
    triangle.vertices[c] = &query->positions[vertex];
    if (query->blendEnd != nullptr) {
      const RwV3d& from = query->positions[vertex];
      const RwV3d& to = query->blendEnd[vertex];
      blended[c] = {from.x + (to.x - from.x) * query->blend, from.y + (to.y - from.y) * query->blend,
                    from.z + (to.z - from.z) * query->blend};
      triangle.vertices[c] = &blended[c];
    }
  }
  RwReal distance = 0.0f;
  if (query->isLine) {
    if (!_rpCollisionLineTriangle(&query->line.start, &query->delta, triangle.vertices[0], triangle.vertices[1],
                                  triangle.vertices[2], &distance, &triangle.normal)) {
      return true;
    }
  } else {
    RwReal planeDistance = 0.0f;
    if (!RtIntersectionSphereTriangle(&query->sphere, triangle.vertices[0], triangle.vertices[1], triangle.vertices[2],
                                      &triangle.normal, &planeDistance)) {
      return true;
    }
    distance = query->sphere.radius > 0.0f ? planeDistance / query->sphere.radius : 0.0f;
  }
  triangle.point = *triangle.vertices[0];
  triangle.index = index;
  return query->callBack(query->primitive, &triangle, distance, query->data) != nullptr;
}

RwBool TestLeaf(RwInt32 numTriangles, RwInt32 firstTriangle, void* data) {
  auto* query = static_cast<GeometryQuery*>(data);
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    if (!TestTriangle(query, query->map[firstTriangle + i])) {
      return FALSE;
    }
  }
  return TRUE;
}

// Where the geometry's vertices are for this atomic: one target's positions,
// or the interpolator's two targets to blend.
void ChoosePositions(GeometryQuery* query, const RpAtomic* atomic) {
  const RpGeometry* geometry = query->geometry;
  const RpInterpolator& morph = atomic->interpolator;
  const RwInt32 targets = geometry->numMorphTargets;
  const bool startValid = morph.startMorphTarget >= 0 && morph.startMorphTarget < targets;
  const bool endValid = morph.endMorphTarget >= 0 && morph.endMorphTarget < targets;
  query->positions = geometry->morphTarget[0].verts;
  query->blendEnd = nullptr;
  if (targets <= 1 || !startValid || !endValid) {
    return;
  }
  query->positions = geometry->morphTarget[morph.startMorphTarget].verts;
  if (morph.startMorphTarget != morph.endMorphTarget) {
    query->blendEnd = geometry->morphTarget[morph.endMorphTarget].verts;
    query->blend = morph.position * morph.recipTime;
    if (query->blendEnd == nullptr) {
      query->positions = nullptr;
    }
  }
}

// The primitive in the geometry's model space; false for types this query
// does not take (error recorded).
bool ToModelSpace(GeometryQuery* query, RpAtomic* atomic, const RpIntersectionPrimitive* primitive) {
  RwMatrix inverse;
  RwFrame* frame = RpAtomicGetFrame(atomic);
  const bool placed = frame != nullptr;
  if (placed) {
    RwMatrixInvert(&inverse, RwFrameGetLTM(frame));
  }
  switch (primitive->type) {
    case rpINTERSECTLINE:
      query->isLine = true;
      query->line = primitive->t.line;
      if (placed) {
        RwV3dTransformPoints(&query->line.start, &primitive->t.line.start, 1, &inverse);
        RwV3dTransformPoints(&query->line.end, &primitive->t.line.end, 1, &inverse);
      }
      RwV3dSub(&query->delta, &query->line.end, &query->line.start);
      return true;
    case rpINTERSECTSPHERE:
    case rpINTERSECTATOMIC:
      if (primitive->type == rpINTERSECTATOMIC) {
        if (primitive->t.atomic == nullptr) {
          RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
          return false;
        }
        query->sphere = *RpAtomicGetWorldBoundingSphere(primitive->t.atomic);
      } else {
        query->sphere = primitive->t.sphere;
      }
      query->isLine = false;
      if (placed) {
        const RwV3d centre = query->sphere.center;
        RwV3dTransformPoints(&query->sphere.center, &centre, 1, &inverse);
        query->sphere.radius *= RwSqrt(RwV3dDotProduct(&inverse.at, &inverse.at));
      }
      return true;
    default:
      RwErrorRaise(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
      return false;
  }
}

}  // namespace

RpAtomic* RpCollisionGeometryForAllIntersections(RpAtomic* atomic, RpIntersectionPrimitive* primitive,
                                                 RpIntersectionCallBackGeometryTriangle callBack, void* data) {
  if (atomic == nullptr || primitive == nullptr || callBack == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrNullArgument);
    return nullptr;
  }
  GeometryQuery query = {};
  query.primitive = primitive;
  query.callBack = callBack;
  query.data = data;
  query.geometry = atomic->geometry;
  if (!ToModelSpace(&query, atomic, primitive)) {
    return nullptr;
  }
  if (query.geometry == nullptr || query.geometry->morphTarget == nullptr || query.geometry->triangles == nullptr) {
    return atomic;  // nothing of its own to test (a native geometry)
  }
  ChoosePositions(&query, atomic);
  if (query.positions == nullptr) {
    return atomic;  // a geometry without positions of its own
  }
  const RpCollisionData* collision =
      query.geometry->numMorphTargets == 1 ? _rpCollisionGeometryGetData(query.geometry) : nullptr;
  if (collision == nullptr) {
    for (RwInt32 i = 0; i < query.geometry->numTriangles; ++i) {
      if (!TestTriangle(&query, i)) {
        break;
      }
    }
    return atomic;
  }
  query.map = collision->triangleMap;
  if (query.isLine) {
    RpLineSlopes slopes;
    _rpLineSlopesCompute(&slopes, &query.line);
    RpCollisionTreeForAllLineLeaves(collision->tree, &query.line, &slopes, TestLeaf, &query);
  } else {
    RwBBox box;
    _rpCollisionSphereBox(&box, &query.sphere);
    RpCollisionTreeForAllBoxLeaves(collision->tree, &box, TestLeaf, &query);
  }
  return atomic;
}
