// Sphere and box against triangle. Both tests reject on comparisons alone
// first (sign bits of the vertices relative to the sphere, outcodes against
// the box) and only then do the vector work that decides the remaining cases.
#include "engine/tool/intsec/rtintsec.h"

#include <cmath>

namespace {

RwV3d Sub(const RwV3d& a, const RwV3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

RwV3d Cross(const RwV3d& a, const RwV3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

RwReal Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

RwReal Component(const RwV3d& v, RwInt32 axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// The sign bit decides, so -0 counts as negative.
bool Negative(RwReal value) { return std::signbit(value); }

// True when the three coordinates (vertex minus centre on one axis) lie all
// at or beyond +r, or all beyond -r.
bool OutsideSlab(RwReal a, RwReal b, RwReal d, RwReal r) {
  if (!Negative(a) && !Negative(b) && !Negative(d) && !Negative(a - r) && !Negative(b - r) && !Negative(d - r)) {
    return true;
  }
  return Negative(a) && Negative(b) && Negative(d) && Negative(a + r) && Negative(b + r) && Negative(d + r);
}

// The nearest of the three vertices (relative to the centre), with ties
// resolved towards b, then d.
void OrderByNearest(const RwV3d& a, const RwV3d& b, const RwV3d& d, RwReal aa, RwReal bb, RwReal dd,
                    const RwV3d** nearest, const RwV3d** other1, const RwV3d** other2) {
  if (bb <= aa && bb <= dd) {
    *nearest = &b, *other1 = &a, *other2 = &d;
  } else if ((bb <= aa && dd < bb) || (aa < bb && dd < aa)) {
    *nearest = &d, *other1 = &a, *other2 = &b;
  } else {
    *nearest = &a, *other1 = &b, *other2 = &d;
  }
}

// True when the line through the edge start + s * edge misses the sphere (of
// radius squared rr at the origin) and the opposite vertex lies beyond the
// plane through the line's nearest point, perpendicular to it.
bool EdgeSeparates(const RwV3d& start, const RwV3d& end, const RwV3d& opposite, RwReal rr) {
  const RwV3d e = Sub(end, start);
  const RwReal ee = Dot(e, e);
  if (ee <= 0.0f) {
    return false;  // a vanishing edge of a non-degenerate triangle separates nothing
  }
  const RwReal along = Dot(e, start) / ee;
  const RwV3d q = {start.x - e.x * along, start.y - e.y * along, start.z - e.z * along};
  const RwReal qq = Dot(q, q);
  return qq > rr && qq < Dot(q, opposite);
}

// Outcode bits: beyond the maximum or the minimum on x, y and z.
constexpr RwUInt32 kAboveX = 0x01;
constexpr RwUInt32 kBelowX = 0x02;
constexpr RwUInt32 kAboveY = 0x04;
constexpr RwUInt32 kBelowY = 0x08;
constexpr RwUInt32 kAboveZ = 0x10;
constexpr RwUInt32 kBelowZ = 0x20;

RwUInt32 BoxOutcode(const RwBBox& box, const RwV3d& p) {
  RwUInt32 code = 0;
  code |= p.x > box.sup.x ? kAboveX : 0;
  code |= p.x < box.inf.x ? kBelowX : 0;
  code |= p.y > box.sup.y ? kAboveY : 0;
  code |= p.y < box.inf.y ? kBelowY : 0;
  code |= p.z > box.sup.z ? kAboveZ : 0;
  code |= p.z < box.inf.z ? kBelowZ : 0;
  return code;
}

// Whether the line through p along dir crosses the plane on which the axis
// coordinate equals plane strictly inside the box on the other two axes.
// Cross-multiplied by dir's component on the axis instead of dividing by it.
bool CrossesFace(const RwBBox& box, const RwV3d& p, const RwV3d& dir, RwInt32 axis, RwReal plane) {
  const RwReal along = plane - Component(p, axis);
  const RwReal step = Component(dir, axis);
  for (RwInt32 other = 0; other < 3; ++other) {
    if (other == axis) {
      continue;
    }
    const RwReal start = Component(p, other);
    const RwReal low = (Component(box.inf, other) - start) * step;
    const RwReal high = (Component(box.sup, other) - start) * step;
    const RwReal at = along * Component(dir, other);
    const bool inside = step > 0.0f ? (low < at && at < high) : (high < at && at < low);
    if (!inside) {
      return false;
    }
  }
  return true;
}

// Whether the edge p -> q, whose end outcodes share no bit, passes through a
// face of the box named by a bit of either outcode.
bool EdgeCrossesBox(const RwBBox& box, const RwV3d& p, const RwV3d& q, RwUInt32 codeP, RwUInt32 codeQ) {
  const RwV3d dir = Sub(q, p);
  const RwUInt32 faces = codeP ^ codeQ;
  for (RwInt32 axis = 0; axis < 3; ++axis) {
    const RwUInt32 above = kAboveX << (2 * axis);
    const RwUInt32 below = kBelowX << (2 * axis);
    if ((faces & above) != 0 && CrossesFace(box, p, dir, axis, Component(box.sup, axis))) {
      return true;
    }
    if ((faces & below) != 0 && CrossesFace(box, p, dir, axis, Component(box.inf, axis))) {
      return true;
    }
  }
  return false;
}

// Whether the box diagonal most nearly along the triangle's normal crosses
// the triangle's plane within its length, strictly inside the triangle.
bool DiagonalCrossesTriangle(const RwBBox& box, const RwV3d& p0, const RwV3d& p1, const RwV3d& p2) {
  const RwV3d e1 = Sub(p1, p0);
  const RwV3d e2 = Sub(p2, p0);
  const RwV3d n = Cross(e1, e2);
  RwV3d start = {box.inf.x, 0.0f, 0.0f};
  RwV3d run = {box.sup.x - box.inf.x, 0.0f, 0.0f};
  if (Negative(n.x) == Negative(n.y)) {
    start.y = box.inf.y, run.y = box.sup.y - box.inf.y;
  } else {
    start.y = box.sup.y, run.y = box.inf.y - box.sup.y;
  }
  if (Negative(n.x) == Negative(n.z)) {
    start.z = box.inf.z, run.z = box.sup.z - box.inf.z;
  } else {
    start.z = box.sup.z, run.z = box.inf.z - box.sup.z;
  }
  const RwV3d w = Sub(start, p0);
  const RwReal k = -Dot(run, n);
  const RwReal m = Dot(w, n);
  const RwV3d g = Cross(w, run);
  const RwReal u = Dot(g, e2);
  const RwReal t = -Dot(g, e1);
  if (k >= 0.0f) {
    return 0.0f < m && m < k && 0.0f < u && u < k && 0.0f < t && u + t < k;
  }
  return k < m && m < 0.0f && k < u && u < 0.0f && t < 0.0f && k < u + t;
}

}  // namespace

RwBool RtIntersectionSphereTriangle(const RwSphere* sphere, const RwV3d* p0, const RwV3d* p1, const RwV3d* p2,
                                    RwV3d* normal, RwReal* distance) {
  const RwReal r = sphere->radius;
  const RwV3d a = Sub(*p0, sphere->center);
  const RwV3d b = Sub(*p1, sphere->center);
  const RwV3d d = Sub(*p2, sphere->center);
  if (OutsideSlab(a.x, b.x, d.x, r) || OutsideSlab(a.y, b.y, d.y, r) || OutsideSlab(a.z, b.z, d.z, r)) {
    return FALSE;
  }
  const RwV3d n = Cross(Sub(*p1, *p0), Sub(*p2, *p0));
  const RwReal nn = Dot(n, n);
  if (nn <= 0.0f) {
    return FALSE;
  }
  const RwReal scale = RwInvSqrt(nn);
  *normal = {n.x * scale, n.y * scale, n.z * scale};
  const RwReal s = Dot(*normal, a);
  if (s < -r || s > r) {
    return FALSE;
  }
  *distance = -s;
  const RwReal rr = r * r;
  const RwReal aa = Dot(a, a);
  const RwReal bb = Dot(b, b);
  const RwReal dd = Dot(d, d);
  if (aa <= rr || bb <= rr || dd <= rr) {
    return TRUE;
  }
  const RwV3d* nearest = nullptr;
  const RwV3d* other1 = nullptr;
  const RwV3d* other2 = nullptr;
  OrderByNearest(a, b, d, aa, bb, dd, &nearest, &other1, &other2);
  const RwReal vv = Dot(*nearest, *nearest);
  if (Dot(*nearest, *other1) > vv && Dot(*nearest, *other2) > vv) {
    return FALSE;
  }
  if (EdgeSeparates(a, b, d, rr) || EdgeSeparates(b, d, a, rr) || EdgeSeparates(d, a, b, rr)) {
    return FALSE;
  }
  return TRUE;
}

RwBool RtIntersectionBoxTriangle(const RwBBox* box, const RwV3d* p0, const RwV3d* p1, const RwV3d* p2) {
  const RwUInt32 o0 = BoxOutcode(*box, *p0);
  const RwUInt32 o1 = BoxOutcode(*box, *p1);
  const RwUInt32 o2 = BoxOutcode(*box, *p2);
  if (o0 == 0 || o1 == 0 || o2 == 0) {
    return TRUE;
  }
  if ((o0 & o1 & o2) != 0) {
    return FALSE;
  }
  if (((o0 & o1) == 0 && EdgeCrossesBox(*box, *p0, *p1, o0, o1)) ||
      ((o1 & o2) == 0 && EdgeCrossesBox(*box, *p1, *p2, o1, o2)) ||
      ((o2 & o0) == 0 && EdgeCrossesBox(*box, *p2, *p0, o2, o0))) {
    return TRUE;
  }
  return DiagonalCrossesTriangle(*box, *p0, *p1, *p2) ? TRUE : FALSE;
}
