// The level's collision queries over the collision plugin's walks: every
// triangle a walk hands over is brought to world space and given to the
// query's rule, which folds it into one point and one normal.
#include "game/render/collision/world_collision.h"

#include <cmath>

#include "game/foundation/vector_helpers.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/collision/contact_rules.h"
#include "game/render/collision/intersection.h"

namespace {

// The kept distance of a nearest or first-hit segment query before any hit.
constexpr f32 kNoDistance = 1.0e9f;
// Sphere walks pass over triangles whose plane lies this many radii (or
// more) from the centre: they are touched at most.
constexpr f32 kGrazingFraction = 0.999f;
// Below this the capsule's axis counts as parallel to a triangle's plane.
constexpr f32 kAxisAlongPlane = 1e-7f;

struct tTriangleWalk;
// Folds one triangle (world space, unit normal) into the walk; false stops it.
typedef bool (*tTriangleRule)(tTriangleWalk* walk, const tTriangle& triangle, const RwV3d& normal, f32 distance);

// What the walks share: the rule, and while an object's triangles are
// walked its LTM, which brings them from model space to world space.
struct tTriangleWalk {
  tTriangleRule rule;
  const RwMatrix* matrix;  // null for the world's own triangles
};

struct tSegmentQuery : tTriangleWalk {
  bool hit;
  f32 count;     // hits summed; 1 when the nearest is kept
  RwV3d normal;  // sum of unit normals, or the nearest hit's
  f32 distance;  // sum of fractions along the line, or the nearest
  bool keepNearest;
  bool firstOnly;
  RpAtomic* object;
  u32 atomicMask;
};

// One primitive's sphere or capsule walk over one target.
struct tVolumeQuery : tTriangleWalk {
  bool hit;
  f32 count;
  RwV3d normalSum;
  RwV3d pointSum;
  f32 radius;
  RwV3d centre;     // sphere walks
  tSegment3d axis;  // capsule walks
};

RpIntersectionPrimitive LinePrimitive(const RwV3d& start, const RwV3d& end) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTLINE;
  primitive.t.line = {start, end};
  return primitive;
}

RpIntersectionPrimitive SpherePrimitive(const RwV3d& centre, f32 radius) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTSPHERE;
  primitive.t.sphere = {centre, radius};
  return primitive;
}

RpIntersectionPrimitive BoxPrimitive(const RwBBox& box) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTBOX;
  primitive.t.box = box;
  return primitive;
}

// Hands the walked triangle to the rule in world space.
bool OfferTriangle(tTriangleWalk* walk, const RpCollisionTriangle* triangle, f32 distance) {
  tTriangle world;
  RwV3d normal = triangle->normal;
  for (u32 i = 0; i < 3; ++i) {
    world.vertices[i] = *triangle->vertices[i];
  }
  if (walk->matrix != nullptr) {
    RwV3dTransformPoints(world.vertices, world.vertices, 3, walk->matrix);
    RwV3dTransformVectors(&normal, &normal, 1, walk->matrix);
    V3dNormalize(&normal);
  }
  return walk->rule(walk, world, normal, distance);
}

RpIntersectionPrimitive* WorldTriangleCB(RpIntersectionPrimitive* intersection, RpWorldSector* /*sector*/,
                                         RpCollisionTriangle* triangle, RwReal distance, void* data) {
  return OfferTriangle(static_cast<tTriangleWalk*>(data), triangle, distance) ? intersection : nullptr;
}

RpIntersectionPrimitive* GeometryTriangleCB(RpIntersectionPrimitive* intersection, RpCollisionTriangle* triangle,
                                            RwReal distance, void* data) {
  return OfferTriangle(static_cast<tTriangleWalk*>(data), triangle, distance) ? intersection : nullptr;
}

// The triangles of the world (atomic null) or of the atomic's geometry that
// the primitive meets.
void WalkTriangles(RpWorld* world, RpAtomic* atomic, RpIntersectionPrimitive* primitive, tTriangleWalk* walk) {
  if (atomic == nullptr) {
    walk->matrix = nullptr;
    RpCollisionWorldForAllIntersections(world, primitive, WorldTriangleCB, walk);
    return;
  }
  RwFrame* frame = RpAtomicGetFrame(atomic);
  walk->matrix = frame != nullptr ? RwFrameGetLTM(frame) : nullptr;
  RpCollisionGeometryForAllIntersections(atomic, primitive, GeometryTriangleCB, walk);
}

bool Masked(RpAtomic* atomic, u32 atomicMask) { return (RpAtomicGetFlags(atomic) & atomicMask) != 0; }

// ---- Segments -------------------------------------------------------------

bool SegmentRule(tTriangleWalk* walk, const tTriangle& /*triangle*/, const RwV3d& normal, f32 distance) {
  tSegmentQuery* query = static_cast<tSegmentQuery*>(walk);
  query->hit = true;
  if (!query->keepNearest && !query->firstOnly) {
    V3dAdd(&query->normal, &query->normal, &normal);
    query->distance += distance;
    query->count += 1.0f;
    return true;
  }
  if (distance < query->distance) {
    query->normal = normal;
    query->distance = distance;
  }
  return !query->firstOnly;
}

RpAtomic* SegmentAtomicCB(RpIntersectionPrimitive* line, RpWorldSector* /*sector*/, RpAtomic* atomic,
                          RwReal /*distance*/, void* data) {
  tSegmentQuery* query = static_cast<tSegmentQuery*>(data);
  if (Masked(atomic, query->atomicMask)) {
    return atomic;
  }
  f32 distance = query->distance;
  f32 count = query->count;
  WalkTriangles(nullptr, atomic, line, query);
  // A hit of the sum, or a new nearest, came from this atomic.
  if (query->distance != distance || query->count != count) {
    query->object = atomic;
  }
  return atomic;
}

// ---- Volumes --------------------------------------------------------------

void AddHit(tVolumeQuery* query, const RwV3d& point, const RwV3d& normal) {
  query->hit = true;
  query->count += 1.0f;
  V3dAdd(&query->pointSum, &query->pointSum, &point);
  V3dAdd(&query->normalSum, &query->normalSum, &normal);
}

bool WithinRadius(const RwV3d& a, const RwV3d& b, f32 radius) { return V3dDistanceSquared(&a, &b) <= radius * radius; }

// Edges within reach give their nearest point; a triangle touched inside
// its face gives the centre's foot on its plane, unless an edge or an
// earlier triangle already answered. distance: the centre's signed distance
// from the plane in radii.
bool SphereRule(tTriangleWalk* walk, const tTriangle& triangle, const RwV3d& normal, f32 distance) {
  tVolumeQuery* query = static_cast<tVolumeQuery*>(walk);
  if (distance >= kGrazingFraction || distance < -kGrazingFraction) {
    return true;
  }
  bool within = false;
  for (u32 i = 0; i < 3; ++i) {
    tSegment3d edge(triangle.vertices[i], triangle.vertices[(i + 1) % 3]);
    RwV3d nearest;
    ClosestPointOnSegment(edge, &nearest, query->centre);
    within = WithinRadius(nearest, query->centre, query->radius);
    if (within) {
      AddHit(query, nearest, normal);
    }
  }
  if (!within && !query->hit) {
    RwV3d foot;
    V3dTimesScalar(&normal, &foot, -distance * query->radius);
    V3dAdd(&query->centre, &foot, &foot);
    AddHit(query, foot, normal);
  }
  return true;
}

// Edges within reach of the axis give their point nearest to it; otherwise,
// unless something already answered, the point where the axis pierces the
// triangle.
bool CapsuleRule(tTriangleWalk* walk, const tTriangle& triangle, const RwV3d& normal, f32 /*distance*/) {
  tVolumeQuery* query = static_cast<tVolumeQuery*>(walk);
  const tSegment3d& axis = query->axis;
  bool within = false;
  for (u32 i = 0; i < 3; ++i) {
    tSegment3d edge(triangle.vertices[i], triangle.vertices[(i + 1) % 3]);
    RwV3d edgePoint = edge.PointAt(ParameterNearestTo(edge, axis));
    RwV3d axisPoint;
    ClosestPointOnSegment(axis, &axisPoint, edgePoint);
    within = WithinRadius(edgePoint, axisPoint, query->radius);
    if (within) {
      AddHit(query, edgePoint, normal);
    }
  }
  if (within || query->hit) {
    return true;
  }
  f32 slope = RwV3dDotProduct(&normal, &axis.direction);
  if (fabsf(slope) < kAxisAlongPlane) {
    return true;
  }
  f32 t = (RwV3dDotProduct(&normal, &triangle.vertices[0]) - RwV3dDotProduct(&normal, &axis.origin)) / slope;
  if (t < 0.0f || t > axis.length) {
    return true;
  }
  RwV3d pierce = axis.PointAt(t);
  if (PointInTriangle(triangle, pierce)) {
    AddHit(query, pierce, normal);
  }
  return true;
}

// Stops the walk at the first triangle.
bool AnyTriangleRule(tTriangleWalk* walk, const tTriangle& /*triangle*/, const RwV3d& /*normal*/, f32 /*distance*/) {
  static_cast<tVolumeQuery*>(walk)->hit = true;
  return false;
}

tVolumeQuery NewVolumeQuery(tTriangleRule rule, f32 radius) {
  tVolumeQuery query;
  query.rule = rule;
  query.matrix = nullptr;
  query.hit = false;
  query.count = 0.0f;
  query.normalSum = RwV3d{0.0f, 0.0f, 0.0f};
  query.pointSum = query.normalSum;
  query.radius = radius;
  query.centre = query.normalSum;
  return query;
}

// One volume against one target: the world's own triangles (atomic null) or
// an atomic's.
class cVolumeTest {
 public:
  cVolumeTest(RpWorld* world, cCollisionVolume* volume, bool firstOnly)
      : mWorld(world), mVolume(volume), mFirstOnly(firstOnly), mCount(0) {}

  void Run(RpAtomic* atomic);
  u32 GetCount() const { return mCount; }

 private:
  // Primitive tests; true when a first-only test is over.
  bool TestSphere(RpAtomic* atomic, const RwV3d& centre, f32 radius);
  bool TestCapsule(RpAtomic* atomic, const tSegment3d& axis, f32 radius);
  // The sphere walk at centre; true with a hit.
  bool WalkSphere(RpAtomic* atomic, const RwV3d& centre, f32 radius, tVolumeQuery* query);
  // Writes the query's mean point and normal as the next contact.
  tCollisionContact& AddContact(RpAtomic* atomic, const tVolumeQuery& query);
  bool Counted();

  RpWorld* mWorld;
  cCollisionVolume* mVolume;
  bool mFirstOnly;
  u32 mCount;
};

void cVolumeTest::Run(RpAtomic* atomic) {
  const RwMatrix* ltm = RwFrameGetLTM(mVolume->GetFrame());
  for (const cListNode* node = mVolume->GetPrimitives().First(); node != nullptr; node = cList::Next(node)) {
    const cCollisionPrimitive* primitive = static_cast<const cCollisionPrimitive*>(node);
    bool over = false;
    if (primitive->GetType() == kCollisionSphere) {
      const cCollisionSphere* sphere = static_cast<const cCollisionSphere*>(primitive);
      RwV3d centre;
      RwV3dTransformPoints(&centre, &sphere->GetCentre(), 1, ltm);
      over = TestSphere(atomic, centre, sphere->GetRadius());
    } else if (primitive->GetType() == kCollisionCapsule) {
      const cCollisionCapsule* capsule = static_cast<const cCollisionCapsule*>(primitive);
      RwV3d ends[2] = {capsule->GetAxis().origin, SegmentEnd(capsule->GetAxis())};
      RwV3dTransformPoints(ends, ends, 2, ltm);
      over = TestCapsule(atomic, tSegment3d(ends[0], ends[1]), capsule->GetRadius());
    }
    if (over) {
      return;
    }
  }
}

bool cVolumeTest::TestSphere(RpAtomic* atomic, const RwV3d& centre, f32 radius) {
  tVolumeQuery query = NewVolumeQuery(SphereRule, radius);
  if (!WalkSphere(atomic, centre, radius, &query)) {
    return false;
  }
  tCollisionContact& contact = AddContact(atomic, query);
  contact.depth = SphereContactDepth(centre, radius, contact.point);
  return Counted();
}

bool cVolumeTest::TestCapsule(RpAtomic* atomic, const tSegment3d& axis, f32 radius) {
  // Each end's sphere answers only for what lies beyond that end.
  const RwV3d ends[2] = {axis.origin, SegmentEnd(axis)};
  for (u32 i = 0; i < 2; ++i) {
    tVolumeQuery query = NewVolumeQuery(SphereRule, radius);
    if (!WalkSphere(atomic, ends[i], radius, &query)) {
      continue;
    }
    RwV3d mean;
    V3dTimesScalar(&query.pointSum, &mean, 1.0f / query.count);
    f32 t = axis.ProjectClamped(mean);
    if (i == 0 ? t > 0.0f : t < axis.length) {
      continue;
    }
    tCollisionContact& contact = AddContact(atomic, query);
    contact.depth = SphereContactDepth(ends[i], radius, contact.point);
    if (Counted()) {
      return true;
    }
  }
  tVolumeQuery query = NewVolumeQuery(CapsuleRule, radius);
  query.axis = axis;
  if (atomic == nullptr) {
    RwBBox box;
    RwBBoxCalculate(&box, ends, 2);
    box.inf = RwV3d{box.inf.x - radius, box.inf.y - radius, box.inf.z - radius};
    box.sup = RwV3d{box.sup.x + radius, box.sup.y + radius, box.sup.z + radius};
    RpIntersectionPrimitive primitive = BoxPrimitive(box);
    WalkTriangles(mWorld, nullptr, &primitive, &query);
  } else {
    // An object's triangles are walked by spheres only: the sphere around
    // the capsule, whose triangles the rule then tests exactly.
    RwV3d middle = axis.PointAt(axis.length * 0.5f);
    RpIntersectionPrimitive primitive = SpherePrimitive(middle, axis.length * 0.5f + radius);
    WalkTriangles(mWorld, atomic, &primitive, &query);
  }
  if (!query.hit) {
    return false;
  }
  tCollisionContact& contact = AddContact(atomic, query);
  contact.depth = CapsuleContactDepth(axis, radius, contact.point, contact.normal);
  return Counted();
}

bool cVolumeTest::WalkSphere(RpAtomic* atomic, const RwV3d& centre, f32 radius, tVolumeQuery* query) {
  query->centre = centre;
  RpIntersectionPrimitive primitive = SpherePrimitive(centre, radius);
  WalkTriangles(mWorld, atomic, &primitive, query);
  return query->hit;
}

tCollisionContact& cVolumeTest::AddContact(RpAtomic* atomic, const tVolumeQuery& query) {
  tCollisionContact& contact = mVolume->GetContact(mCount);
  contact.object = atomic;
  V3dTimesScalar(&query.pointSum, &contact.point, 1.0f / query.count);
  V3dNormalized(&query.normalSum, &contact.normal);
  return contact;
}

bool cVolumeTest::Counted() {
  mVolume->CountContact(&mCount);
  return mFirstOnly;
}

struct tVolumeAtomicWalk {
  cVolumeTest* test;
  u32 atomicMask;
};

RpAtomic* VolumeAtomicCB(RpIntersectionPrimitive* /*box*/, RpWorldSector* /*sector*/, RpAtomic* atomic,
                         RwReal /*distance*/, void* data) {
  tVolumeAtomicWalk* walk = static_cast<tVolumeAtomicWalk*>(data);
  if (!Masked(atomic, walk->atomicMask)) {
    walk->test->Run(atomic);
  }
  return atomic;
}

}  // namespace

cWorldCollision::cWorldCollision(RpWorld* world, RpWorld* queryWorld, u8 flag)
    : mWorld(world), mQueryWorld(queryWorld), mFlag(flag) {}

void cWorldCollision::Render() {
  if (mWorld != nullptr) {
    RpWorldRender(mWorld);
  }
}

RpWorld* cWorldCollision::GetWorld() { return mWorld; }

u32 cWorldCollision::CollideVolume(cCollisionShape* volume, bool firstOnly, u32 atomicMask) {
  if (volume->GetKind() != kCollisionKindVolume) {
    return 0;
  }
  cVolumeTest test(mQueryWorld, static_cast<cCollisionVolume*>(volume), firstOnly);
  RwBBox box;
  volume->GetWorldBox(&box);
  RpIntersectionPrimitive primitive = BoxPrimitive(box);
  // The world's triangles are tested once when the box holds any of them:
  // the test walks them all itself.
  tVolumeQuery any = NewVolumeQuery(AnyTriangleRule, 0.0f);
  WalkTriangles(mQueryWorld, nullptr, &primitive, &any);
  if (any.hit) {
    test.Run(nullptr);
  }
  if (firstOnly && test.GetCount() != 0) {
    return test.GetCount();
  }
  tVolumeAtomicWalk walk = {&test, atomicMask};
  RpWorldForAllAtomicIntersections(mQueryWorld, &primitive, VolumeAtomicCB, &walk);
  return test.GetCount();
}

bool cWorldCollision::IntersectSegment(const tSegment3d& segment, RwV3d* point, RwV3d* normal, RpAtomic** object,
                                       bool nearest, bool firstOnly, u32 atomicMask, bool worldOnly) {
  if (object != nullptr) {
    *object = nullptr;
  }
  tSegmentQuery query;
  query.rule = SegmentRule;
  query.matrix = nullptr;
  query.hit = false;
  query.normal = RwV3d{0.0f, 0.0f, 0.0f};
  query.keepNearest = nearest;
  query.firstOnly = firstOnly;
  query.object = nullptr;
  query.atomicMask = atomicMask;
  bool sum = !nearest && !firstOnly;
  query.count = sum ? 0.0f : 1.0f;
  query.distance = sum ? 0.0f : kNoDistance;
  RpIntersectionPrimitive line = LinePrimitive(segment.origin, SegmentEnd(segment));
  WalkTriangles(mQueryWorld, nullptr, &line, &query);
  if (!worldOnly) {
    RpWorldForAllAtomicIntersections(mQueryWorld, &line, SegmentAtomicCB, &query);
  }
  if (!query.hit) {
    return false;
  }
  *point = segment.PointAt(segment.length / query.count * query.distance);
  V3dNormalized(&query.normal, normal);
  if (object != nullptr && query.object != nullptr) {
    *object = query.object;
  }
  return true;
}
