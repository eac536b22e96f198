// Sphere and capsule primitives on the contact rules.
#include "game/render/collision/collision_primitive.h"

#include "game/foundation/vector_helpers.h"
#include "game/render/collision/contact_rules.h"
#include "game/render/collision/intersection.h"

namespace {

// 1 where the row's type hands the test to the column's.
constexpr u8 kPairTable[kCollisionPrimitiveTypes][kCollisionPrimitiveTypes] = {
    {0, 1, 1, 1},
    {0, 0, 1, 1},
    {0, 0, 0, 1},
    {0, 0, 0, 0},
};

RwV3d TransformPoint(const RwV3d& p, const RwMatrix& matrix) {
  RwV3d out;
  RwV3dTransformPoints(&out, &p, 1, &matrix);
  return out;
}

// The box of the points within radius of both a and b's segment.
void RoundedBox(RwBBox* out, const RwV3d& a, const RwV3d& b, f32 radius) {
  RwBBoxInitialize(out, &a);
  RwBBoxAddPoint(out, &b);
  out->inf = RwV3d{out->inf.x - radius, out->inf.y - radius, out->inf.z - radius};
  out->sup = RwV3d{out->sup.x + radius, out->sup.y + radius, out->sup.z + radius};
}

}  // namespace

bool CollisionPairHandsOver(u32 type, u32 otherType) {
  if (type >= kCollisionPrimitiveTypes || otherType >= kCollisionPrimitiveTypes) {
    return false;
  }
  return kPairTable[type][otherType] != 0;
}

bool cCollisionPrimitive::HandOver(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point,
                                   RwV3d* normal, f32* depth) const {
  if (!other.Collide(*this, otherToThis, point, normal, depth)) {
    return false;
  }
  V3dTimesScalar(normal, normal, -1.0f);
  return true;
}

bool cCollisionSphere::Collide(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point,
                               RwV3d* normal, f32* depth) const {
  if (CollisionPairHandsOver(GetType(), other.GetType())) {
    return HandOver(other, otherToThis, point, normal, depth);
  }
  if (other.GetType() != kCollisionSphere) {
    return false;
  }
  const cCollisionSphere& sphere = static_cast<const cCollisionSphere&>(other);
  return SphereSphereContact(mCentre, mRadius, TransformPoint(sphere.mCentre, otherToThis), sphere.mRadius, point,
                             normal, depth);
}

bool cCollisionSphere::IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal,
                                        bool first) const {
  return SphereSegmentHit(mCentre, mRadius, p0, p1, point, normal, first);
}

bool cCollisionSphere::ContainsPoint(const RwV3d& p) const {
  return V3dDistanceSquared(&p, &mCentre) <= mRadius * mRadius;
}

void cCollisionSphere::GetBox(RwBBox* out) const { RoundedBox(out, mCentre, mCentre, mRadius); }

bool cCollisionCapsule::Collide(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point,
                                RwV3d* normal, f32* depth) const {
  if (CollisionPairHandsOver(GetType(), other.GetType())) {
    return HandOver(other, otherToThis, point, normal, depth);
  }
  if (other.GetType() == kCollisionSphere) {
    const cCollisionSphere& sphere = static_cast<const cCollisionSphere&>(other);
    return CapsuleSphereContact(mAxis, mRadius, TransformPoint(sphere.GetCentre(), otherToThis), sphere.GetRadius(),
                                point, normal, depth);
  }
  if (other.GetType() != kCollisionCapsule) {
    return false;
  }
  const cCollisionCapsule& capsule = static_cast<const cCollisionCapsule&>(other);
  tSegment3d axis = capsule.mAxis;
  axis.origin = TransformPoint(axis.origin, otherToThis);
  RwV3dTransformVectors(&axis.direction, &axis.direction, 1, &otherToThis);
  V3dNormalize(&axis.direction);
  return CapsuleCapsuleContact(mAxis, mRadius, axis, capsule.mRadius, point, normal, depth);
}

bool cCollisionCapsule::IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal,
                                         bool first) const {
  return CapsuleSegmentHit(mAxis, mRadius, p0, p1, point, normal, first);
}

bool cCollisionCapsule::ContainsPoint(const RwV3d& p) const {
  RwV3d nearest;
  ClosestPointOnSegment(mAxis, &nearest, p);
  return V3dDistanceSquared(&p, &nearest) <= mRadius * mRadius;
}

void cCollisionCapsule::GetBox(RwBBox* out) const { RoundedBox(out, mAxis.origin, SegmentEnd(mAxis), mRadius); }
