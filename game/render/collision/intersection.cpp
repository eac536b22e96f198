// Lines, segments, slabs and triangles.
#include "game/render/collision/intersection.h"

#include <cmath>

#include "game/foundation/vector_helpers.h"

namespace {

f32 Clamp(f32 value, f32 low, f32 high) {
  if (value < low) {
    return low;
  }
  if (value > high) {
    return high;
  }
  return value;
}

bool IsZero(const RwV3d& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

f32 Component(const RwV3d& v, u32 axis) {
  if (axis == 0) {
    return v.x;
  }
  return axis == 1 ? v.y : v.z;
}

// Edge value of p against the edge from a to b.
f32 EdgeValue(const RwV2d& a, const RwV2d& b, const RwV2d& p) {
  return (b.y - a.y) * (p.x - a.x) - (p.y - a.y) * (b.x - a.x);
}

}  // namespace

u32 DominantAxis(const RwV3d& v) {
  f32 x = fabsf(v.x);
  f32 y = fabsf(v.y);
  f32 z = fabsf(v.z);
  if (x >= y && x >= z) {
    return 0;
  }
  return y >= z ? 1 : 2;
}

void MakeRay(tRay* out, const RwV3d& p0, const RwV3d& p1) {
  out->origin = p0;
  RwV3d delta;
  V3dSub(&p1, &delta, &p0);
  V3dNormalized(&delta, &out->direction);
}

RwV3d SegmentEnd(const tSegment3d& segment) { return segment.PointAt(segment.length); }

void ClosestPointOnSegment(const tSegment3d& segment, RwV3d* out, const RwV3d& p) {
  *out = segment.PointAt(segment.ProjectClamped(p));
}

void PlaneFromPointNormal(tPlane* out, const RwV3d& point, const RwV3d& normal) {
  V3dNormalized(&normal, &out->normal);
  out->d = RwV3dDotProduct(&out->normal, &point);
}

bool IntersectCoplanarLines(const tRay& a, f32* t, const tRay& b) {
  RwV3d cross;
  V3dCross(&a.direction, &cross, &b.direction);
  if (IsZero(cross)) {
    return false;
  }
  // In the plane of the two lines the dominant axis of their cross product
  // is the one whose loss distorts them least.
  u32 axis = DominantAxis(cross);
  RwV2d aOrigin, u, bOrigin, v;
  V3dDropAxis(&a.origin, &aOrigin, axis);
  V3dDropAxis(&a.direction, &u, axis);
  V3dDropAxis(&b.origin, &bOrigin, axis);
  V3dDropAxis(&b.direction, &v, axis);
  f32 den = u.y * v.x - u.x * v.y;
  if (fabsf(den) < kParallelLimit) {
    return false;
  }
  *t = ((bOrigin.x - aOrigin.x) * -v.y + (bOrigin.y - aOrigin.y) * v.x) / den;
  return true;
}

bool ClosestPointOnLineToLine(const tRay& a, f32* t, const tRay& b) {
  RwV3d cross;
  V3dCross(&a.direction, &cross, &b.direction);
  if (IsZero(cross)) {
    return false;
  }
  tPlane plane;
  PlaneFromPointNormal(&plane, b.origin, cross);
  // Move b into the plane through a's origin with the same normal; the
  // crossing of a with the moved b is a's point of closest approach.
  f32 shift = RwV3dDotProduct(&plane.normal, &a.origin) - plane.d;
  tRay shifted = b;
  shifted.origin.x += plane.normal.x * shift;
  shifted.origin.y += plane.normal.y * shift;
  shifted.origin.z += plane.normal.z * shift;
  return IntersectCoplanarLines(a, t, shifted);
}

bool ClosestParameterOnSegment(const tSegment3d& s, f32* t, const tSegment3d& q) {
  f32 ta = s.ProjectClamped(q.origin);
  f32 tb = s.ProjectClamped(SegmentEnd(q));
  if (ta == tb) {
    *t = ta;
    return true;
  }
  f32 low = fminf(ta, tb);
  f32 high = fmaxf(ta, tb);
  if (high == 0.0f) {
    *t = 0.0f;
    return true;
  }
  if (low >= s.length) {
    *t = s.length;
    return true;
  }
  tRay line{s.origin, s.direction};
  tRay other{q.origin, q.direction};
  f32 closest;
  if (!ClosestPointOnLineToLine(line, &closest, other)) {
    return false;
  }
  *t = Clamp(closest, low, high);
  return true;
}

bool ClipSlab(f32 den, f32 num, f32* tEnter, f32* tExit) {
  if (den > 0.0f) {
    f32 t = num / den;
    if (t > *tExit) {
      return false;
    }
    *tEnter = fmaxf(*tEnter, t);
    return true;
  }
  if (den < 0.0f) {
    f32 t = num / den;
    if (t < *tEnter) {
      return false;
    }
    *tExit = fminf(*tExit, t);
    return true;
  }
  return num < 0.0f;
}

bool SegmentHitsBox(const RwBBox& box, const RwV3d& p0, const RwV3d& p1) {
  RwV3d delta;
  V3dSub(&p1, &delta, &p0);
  f32 tEnter = 0.0f;
  f32 tExit = 1.0f;
  for (u32 axis = 0; axis < 3; ++axis) {
    f32 d = Component(delta, axis);
    f32 start = Component(p0, axis);
    // The minimum face faces down the axis, the maximum face up it; num is
    // negative while the start lies on the inner side of the face.
    if (!ClipSlab(d, Component(box.inf, axis) - start, &tEnter, &tExit) ||
        !ClipSlab(-d, start - Component(box.sup, axis), &tEnter, &tExit)) {
      return false;
    }
  }
  return true;
}

void TriangleNormal(const tTriangle& triangle, RwV3d* out) {
  RwV3d e1, e2;
  V3dSub(&triangle.vertices[1], &e1, &triangle.vertices[0]);
  V3dSub(&triangle.vertices[2], &e2, &triangle.vertices[0]);
  V3dCross(&e1, out, &e2);
}

u32 ProjectTriangle(const tTriangle& triangle, RwV2d out[3]) {
  RwV3d normal;
  TriangleNormal(triangle, &normal);
  u32 axis = DominantAxis(normal);
  for (u32 i = 0; i < 3; ++i) {
    V3dDropAxis(&triangle.vertices[i], &out[i], axis);
  }
  return axis;
}

bool PointInTriangle2D(const RwV2d& p0, const RwV2d& p1, const RwV2d& p2, const RwV2d& p) {
  f32 e1 = EdgeValue(p0, p1, p);
  f32 e2 = EdgeValue(p1, p2, p);
  f32 e3 = EdgeValue(p2, p0, p);
  return (e1 >= 0.0f && e2 >= 0.0f && e3 >= 0.0f) || (e1 < 0.0f && e2 < 0.0f && e3 < 0.0f);
}

bool PointInTriangle(const tTriangle& triangle, const RwV3d& p) {
  RwV2d corners[3];
  u32 axis = ProjectTriangle(triangle, corners);
  RwV2d point;
  V3dDropAxis(&p, &point, axis);
  return PointInTriangle2D(corners[0], corners[1], corners[2], point);
}
