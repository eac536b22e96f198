// Sphere and capsule contacts and segment hits.
#include "game/render/collision/contact_rules.h"

#include <cmath>

#include "game/foundation/vector_helpers.h"
#include "game/render/collision/intersection.h"

namespace {

// Contacts nearer to the axis than this take their depth from the normal's
// angle to the axis instead of their distance from it.
constexpr f32 kNearAxis = 0.01f;

// The running result of a capsule's segment test.
struct tSegmentHits {
  RwV3d point;
  RwV3d normal;
  bool hit;
};

RwV3d Midpoint(const RwV3d& a, const RwV3d& b) {
  return RwV3d{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
}

// Counts one hit; true when the test is over.
bool AddHit(tSegmentHits* hits, const RwV3d& point, const RwV3d& normal, bool first) {
  if (!hits->hit) {
    hits->hit = true;
    hits->point = point;
    hits->normal = normal;
  } else {
    hits->point = Midpoint(hits->point, point);
    V3dAdd(&hits->normal, &hits->normal, &normal);
  }
  return first;
}

// Both roots of |p0 + t direction - centre| = radius along q, entry first;
// false when the line passes outside the sphere.
bool SphereRoots(const tSegment3d& q, const RwV3d& centre, f32 radius, f32 roots[2]) {
  RwV3d m;
  V3dSub(&q.origin, &m, &centre);
  f32 b = RwV3dDotProduct(&m, &q.direction);
  f32 disc = radius * radius + b * b - V3dLengthSquared(&m);
  if (disc < 0.0f) {
    return false;
  }
  f32 root = sqrtf(disc);
  roots[0] = -b - root;
  roots[1] = root - b;
  return true;
}

bool WithinRadius(const RwV3d& a, const RwV3d& b, f32 radius) { return V3dDistanceSquared(&a, &b) <= radius * radius; }

// The cylinder between the caps; true when the test is over.
bool TryBody(const tSegment3d& axis, f32 radius, const tSegment3d& q, tSegmentHits* hits, bool first) {
  f32 axisT;
  if (!ClosestParameterOnSegment(axis, &axisT, q)) {
    return false;  // parallel to the axis: only the caps can be met
  }
  RwV3d axisPoint = axis.PointAt(axisT);
  RwV3d nearest;
  ClosestPointOnSegment(q, &nearest, axisPoint);
  if (!WithinRadius(axisPoint, nearest, radius)) {
    return false;
  }
  // Components perpendicular to the axis of q's direction and start.
  RwV3d along, dp, offset, mp;
  V3dTimesScalar(&axis.direction, &along, RwV3dDotProduct(&q.direction, &axis.direction));
  V3dSub(&q.direction, &dp, &along);
  V3dSub(&q.origin, &offset, &axis.origin);
  V3dTimesScalar(&axis.direction, &along, RwV3dDotProduct(&offset, &axis.direction));
  V3dSub(&offset, &mp, &along);
  f32 a = V3dLengthSquared(&dp);
  if (a == 0.0f) {
    return false;  // parallel to the axis, or of zero length
  }
  f32 b = RwV3dDotProduct(&mp, &dp);
  f32 disc = b * b - (V3dLengthSquared(&mp) - radius * radius) * a;
  if (disc < 0.0f) {
    return false;
  }
  f32 root = sqrtf(disc);
  const f32 roots[2] = {(-b - root) / a, (-b + root) / a};
  for (f32 t : roots) {
    if (t < 0.0f || t > q.length) {
      continue;
    }
    RwV3d hit = q.PointAt(t);
    // The seams belong to the body: the caps count only beyond them, so a
    // segment crossing exactly at a seam still meets the capsule.
    f32 axial = axis.Project(hit);
    if (axial < 0.0f || axial > axis.length) {
      continue;
    }
    RwV3d foot = axis.PointAt(axial);
    RwV3d normal;
    V3dSub(&hit, &normal, &foot);
    if (AddHit(hits, hit, normal, first)) {
      return true;
    }
  }
  return false;
}

// One cap, a sphere of the capsule's radius at centre; it counts only beyond
// the axis ends. True when the test is over.
bool TryCap(const tSegment3d& axis, f32 radius, const RwV3d& centre, const tSegment3d& q, tSegmentHits* hits,
            bool first) {
  RwV3d nearest;
  ClosestPointOnSegment(q, &nearest, centre);
  f32 roots[2];
  if (!WithinRadius(centre, nearest, radius) || !SphereRoots(q, centre, radius, roots)) {
    return false;
  }
  for (f32 t : roots) {
    if (t < 0.0f || t > q.length) {
      continue;
    }
    RwV3d hit = q.PointAt(t);
    f32 axial = axis.Project(hit);
    if (axial >= 0.0f && axial <= axis.length) {
      continue;
    }
    RwV3d normal;
    V3dSub(&hit, &normal, &centre);
    if (AddHit(hits, hit, normal, first)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool SphereSphereContact(const RwV3d& c1, f32 r1, const RwV3d& c2, f32 r2, RwV3d* point, RwV3d* normal, f32* depth) {
  RwV3d d;
  V3dSub(&c2, &d, &c1);
  f32 dist = sqrtf(V3dLengthSquared(&d));
  if (dist >= r1 + r2) {
    return false;
  }
  if (dist == 0.0f) {
    *normal = kCoincidentNormal;
  } else {
    V3dTimesScalar(&d, normal, -1.0f / dist);
  }
  RwV3d offset;
  V3dTimesScalar(normal, &offset, -(r1 - r2 + dist) * 0.5f);
  V3dAdd(&c1, point, &offset);
  f32 overlap = r1 + r2 - dist;
  if (depth != nullptr && overlap > *depth) {
    *depth = overlap;
  }
  return true;
}

bool CapsuleSphereContact(const tSegment3d& axis, f32 r1, const RwV3d& c, f32 r2, RwV3d* point, RwV3d* normal,
                          f32* depth) {
  RwV3d q;
  ClosestPointOnSegment(axis, &q, c);
  return SphereSphereContact(q, r1, c, r2, point, normal, depth);
}

f32 ParameterNearestTo(const tSegment3d& s, const tSegment3d& q) {
  f32 t;
  if (!ClosestParameterOnSegment(s, &t, q)) {
    t = 0.5f * (s.ProjectClamped(q.origin) + s.ProjectClamped(SegmentEnd(q)));
  }
  return t;
}

bool CapsuleCapsuleContact(const tSegment3d& axis, f32 r1, const tSegment3d& otherAxis, f32 r2, RwV3d* point,
                           RwV3d* normal, f32* depth) {
  RwV3d p = otherAxis.PointAt(ParameterNearestTo(otherAxis, axis));
  RwV3d q;
  ClosestPointOnSegment(axis, &q, p);
  return SphereSphereContact(q, r1, p, r2, point, normal, depth);
}

bool SphereSegmentHit(const RwV3d& centre, f32 radius, const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal,
                      bool first) {
  tSegment3d q(p0, p1);
  f32 roots[2];
  if (!SphereRoots(q, centre, radius, roots)) {
    return false;
  }
  // Squared parameters against the squared length, as the entry and exit
  // are distances along the unit direction.
  f32 lengthSquared = q.length * q.length;
  bool exitOnSegment = roots[1] >= 0.0f && roots[1] * roots[1] <= lengthSquared;
  RwV3d hit;
  if (roots[0] >= 0.0f && roots[0] * roots[0] < lengthSquared) {
    hit = q.PointAt(roots[0]);
    if (!first && exitOnSegment) {
      hit = Midpoint(hit, q.PointAt(roots[1]));
    }
  } else if (exitOnSegment) {
    hit = q.PointAt(roots[1]);
  } else {
    return false;
  }
  *point = hit;
  RwV3d outward;
  V3dSub(&hit, &outward, &centre);
  V3dNormalized(&outward, normal);
  return true;
}

bool CapsuleSegmentHit(const tSegment3d& axis, f32 radius, const RwV3d& p0, const RwV3d& p1, RwV3d* point,
                       RwV3d* normal, bool first) {
  tSegment3d q(p0, p1);
  tSegmentHits hits = {};
  if (!TryBody(axis, radius, q, &hits, first) && !TryCap(axis, radius, axis.origin, q, &hits, first)) {
    TryCap(axis, radius, SegmentEnd(axis), q, &hits, first);
  }
  if (!hits.hit) {
    return false;
  }
  *point = hits.point;
  V3dNormalized(&hits.normal, normal);
  return true;
}

f32 SphereContactDepth(const RwV3d& centre, f32 radius, const RwV3d& point) {
  return radius - sqrtf(V3dDistanceSquared(&point, &centre));
}

f32 CapsuleContactDepth(const tSegment3d& axis, f32 radius, const RwV3d& point, const RwV3d& normal) {
  f32 t = axis.Project(point);
  if (t < 0.0f) {
    return SphereContactDepth(axis.origin, radius, point);
  }
  if (t > axis.length) {
    return SphereContactDepth(SegmentEnd(axis), radius, point);
  }
  RwV3d q = axis.PointAt(t);
  RwV3d towardsAxis;
  V3dSub(&q, &towardsAxis, &point);
  f32 dist = sqrtf(V3dLengthSquared(&towardsAxis));
  f32 depth;
  if (dist > kNearAxis) {
    // A normal square to the line from the contact to the axis would divide
    // by 0: the plain overlap stands in.
    f32 along = RwV3dDotProduct(&towardsAxis, &normal);
    depth = along != 0.0f ? fabsf((radius - dist) * dist / along) : radius - dist;
  } else {
    // A normal along the axis has no part across it: the radius stands in.
    RwV3d cross;
    V3dCross(&axis.direction, &cross, &normal);
    f32 sideways = sqrtf(V3dLengthSquared(&cross));
    depth = sideways != 0.0f ? radius / sideways : radius;
  }
  f32 slope = RwV3dDotProduct(&normal, &axis.direction);
  f32 moved = t + slope * depth;
  if (moved >= 0.0f && moved <= axis.length) {
    return depth;
  }
  if (slope == 0.0f) {
    return radius - dist;
  }
  if (slope < 0.0f) {
    return t / -slope + radius * -slope;
  }
  return slope * radius + (axis.length - t) / slope;
}
