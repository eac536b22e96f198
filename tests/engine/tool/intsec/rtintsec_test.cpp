// Tests of the sphere/triangle and box/triangle overlap tests: the boundary
// cases the tests decide by rule, and seeded random cases against reference
// tests in double precision (closest point on the triangle; separating axes).
#include "engine/tool/intsec/rtintsec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

struct Triangle {
  RwV3d p0, p1, p2;
};

struct D3 {
  double x, y, z;
};

D3 ToD(const RwV3d& v) { return {v.x, v.y, v.z}; }
D3 operator-(const D3& a, const D3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 operator+(const D3& a, const D3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 operator*(const D3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const D3& a, const D3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 Cross(const D3& a, const D3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Closest point of the triangle to p (by regions), as a distance.
double DistanceToTriangle(const D3& p, const D3& a, const D3& b, const D3& c) {
  const D3 ab = b - a, ac = c - a, ap = p - a;
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  D3 q;
  if (d1 <= 0 && d2 <= 0) {
    q = a;
  } else {
    const D3 bp = p - b;
    const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    const D3 cp = p - c;
    const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    const double vc = d1 * d4 - d3 * d2, vb = d5 * d2 - d1 * d6, va = d3 * d6 - d5 * d4;
    if (d3 >= 0 && d4 <= d3) {
      q = b;
    } else if (d6 >= 0 && d5 <= d6) {
      q = c;
    } else if (vc <= 0 && d1 >= 0 && d3 <= 0) {
      q = a + ab * (d1 / (d1 - d3));
    } else if (vb <= 0 && d2 >= 0 && d6 <= 0) {
      q = a + ac * (d2 / (d2 - d6));
    } else if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
      q = b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    } else {
      const double denom = 1.0 / (va + vb + vc);
      q = a + ab * (vb * denom) + ac * (vc * denom);
    }
  }
  const D3 diff = p - q;
  return std::sqrt(Dot(diff, diff));
}

// Smallest gap between box and triangle projections over the 13 separating
// axes (normalised); negative when they overlap by that much on every axis.
double SeparationOnAxes(const RwBBox& box, const D3& a, const D3& b, const D3& c) {
  const D3 centre = {(box.sup.x + box.inf.x) / 2.0, (box.sup.y + box.inf.y) / 2.0, (box.sup.z + box.inf.z) / 2.0};
  const D3 half = {(box.sup.x - box.inf.x) / 2.0, (box.sup.y - box.inf.y) / 2.0, (box.sup.z - box.inf.z) / 2.0};
  const D3 v[3] = {a - centre, b - centre, c - centre};
  const D3 edges[3] = {b - a, c - b, a - c};
  const D3 units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  D3 axes[13];
  int count = 0;
  for (const D3& u : units) axes[count++] = u;
  axes[count++] = Cross(edges[0], edges[1]);
  for (const D3& u : units) {
    for (const D3& e : edges) axes[count++] = Cross(u, e);
  }
  double best = -1e30;
  for (const D3& axis : axes) {
    const double len = std::sqrt(Dot(axis, axis));
    if (len < 1e-9) continue;
    const D3 n = axis * (1.0 / len);
    const double p0 = Dot(v[0], n), p1 = Dot(v[1], n), p2 = Dot(v[2], n);
    const double radius = half.x * std::fabs(n.x) + half.y * std::fabs(n.y) + half.z * std::fabs(n.z);
    const double gap = std::max(std::min({p0, p1, p2}) - radius, -radius - std::max({p0, p1, p2}));
    best = std::max(best, gap);
  }
  return best;
}

RwBool Sphere(const RwSphere& s, const Triangle& t, RwV3d* normal = nullptr, RwReal* distance = nullptr) {
  RwV3d n = {9, 9, 9};
  RwReal d = 9;
  const RwBool hit = RtIntersectionSphereTriangle(&s, &t.p0, &t.p1, &t.p2, &n, &d);
  if (normal != nullptr) *normal = n;
  if (distance != nullptr) *distance = d;
  return hit;
}

RwBool Box(const RwBBox& b, const Triangle& t) { return RtIntersectionBoxTriangle(&b, &t.p0, &t.p1, &t.p2); }

RwV3d RandomPoint(std::mt19937& random, float scale) {
  std::uniform_real_distribution<float> coordinate(-4.0f * scale, 4.0f * scale);
  const float x = coordinate(random);
  const float y = coordinate(random);
  return {x, y, coordinate(random)};
}

Triangle RandomTriangle(std::mt19937& random) {
  const RwV3d p0 = RandomPoint(random, 1.0f);
  const RwV3d p1 = RandomPoint(random, 1.0f);
  return {p0, p1, RandomPoint(random, 1.0f)};
}

// Runs seeded cases: decide makes one, returns what the test under check
// says and puts the reference's gap (negative: overlap) in *gap. Cases
// within a thousandth of touching are left undecided; both answers must
// come up often.
template <typename Decide>
void ExpectAgreementOnSeededCases(unsigned seed, Decide decide) {
  std::mt19937 random(seed);
  int overlaps = 0;
  int apart = 0;
  for (int i = 0; i < 20000; ++i) {
    double gap = 0.0;
    const bool says = decide(random, &gap);
    if (std::fabs(gap) < 1e-3) continue;
    (gap < 0 ? overlaps : apart)++;
    ASSERT_EQ(says, gap < 0) << "case " << i << " gap " << gap;
  }
  EXPECT_GT(overlaps, 1000);
  EXPECT_GT(apart, 1000);
}

TEST(IntersectionSphereTriangle, DecidesTheBoundaryCasesByRule) {
  const Triangle big = {{-10, -10, 0}, {10, -10, 0}, {0, 10, 0}};
  RwV3d normal;
  RwReal distance;
  {
    SCOPED_TRACE("through the face: unit normal, signed distance of the centre");
    EXPECT_TRUE(Sphere({{0, 0, 0.5f}, 1.0f}, big, &normal, &distance));
    EXPECT_NEAR(normal.z, 1.0f, 1e-3f);
    EXPECT_NEAR(distance, 0.5f, 1e-3f);
    EXPECT_TRUE(Sphere({{0, 0, -0.5f}, 1.0f}, big, &normal, &distance));
    EXPECT_NEAR(distance, -0.5f, 1e-3f);
  }
  {
    SCOPED_TRACE("beyond the plane: normal written, distance not");
    const Triangle tilted = {{-10, -10, -10}, {10, -10, -10}, {0, 10, 10}};
    EXPECT_FALSE(Sphere({{0, 0, 2}, 1.0f}, tilted, &normal, &distance));
    EXPECT_NEAR(normal.y, -0.7071f, 1e-3f);
    EXPECT_NEAR(normal.z, 0.7071f, 1e-3f);
    EXPECT_EQ(distance, 9.0f);
  }
  {
    SCOPED_TRACE("a vertex inside, centre outside the triangle's other bounds");
    const Triangle t = {{0.5f, 0, 0}, {5, 0, 0}, {5, 5, 0}};
    EXPECT_TRUE(Sphere({{0, 0, 0}, 0.6f}, t));
  }
  {
    SCOPED_TRACE("all three vertices exactly at c.x + r: rejected on sign bits; at c.x - r: touching");
    const Triangle t = {{1, -1, -1}, {1, 1, -1}, {1, 0, 1}};
    EXPECT_FALSE(Sphere({{0, 0, 0}, 1.0f}, t));
    EXPECT_TRUE(Sphere({{0, 0, 0}, 1.0f}, {{-1, -1, -1}, {-1, 0, 1}, {-1, 1, -1}}));
  }
  {
    SCOPED_TRACE("degenerate triangles never overlap and write nothing");
    const Triangle line = {{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}};
    const Triangle point = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    EXPECT_FALSE(Sphere({{0, 0, 0}, 1.0f}, line, &normal, &distance));
    EXPECT_EQ(normal.x, 9.0f);
    EXPECT_EQ(distance, 9.0f);
    EXPECT_FALSE(Sphere({{0, 0, 0}, 1.0f}, point));
  }
  {
    SCOPED_TRACE("near an edge and a vertex but clear of both");
    EXPECT_FALSE(Sphere({{0, -11.2f, 0}, 1.0f}, big));
    EXPECT_TRUE(Sphere({{0, -10.8f, 0}, 1.0f}, big));
    EXPECT_FALSE(Sphere({{11.0f, -11.0f, 0}, 1.0f}, big));
  }
}

TEST(IntersectionSphereTriangle, AgreesWithTheClosestPointOnSeededCases) {
  ExpectAgreementOnSeededCases(7, [](std::mt19937& random, double* gap) {
    const Triangle t = RandomTriangle(random);
    const RwSphere s = {RandomPoint(random, 0.5f), std::uniform_real_distribution<float>(0.05f, 3.0f)(random)};
    const D3 n = Cross(ToD(t.p1) - ToD(t.p0), ToD(t.p2) - ToD(t.p0));
    *gap = DistanceToTriangle(ToD(s.center), ToD(t.p0), ToD(t.p1), ToD(t.p2)) - s.radius;
    if (Dot(n, n) < 1e-6) {
      *gap = 0.0;  // nearly degenerate: left undecided
    }
    return Sphere(s, t) != FALSE;
  });
}

TEST(IntersectionBoxTriangle, DecidesTheBoundaryCasesByRule) {
  const RwBBox box = {{1, 1, 1}, {-1, -1, -1}};
  {
    SCOPED_TRACE("a vertex on a face counts as inside");
    EXPECT_TRUE(Box(box, {{1, 0, 0}, {5, 0, 0}, {5, 5, 0}}));
    EXPECT_TRUE(Box(box, {{1, 1, 1}, {5, 5, 5}, {5, 5, 6}}));
  }
  {
    SCOPED_TRACE("all vertices beyond one face");
    EXPECT_FALSE(Box(box, {{1.5f, -9, -9}, {1.5f, 9, -9}, {1.5f, 0, 9}}));
  }
  {
    SCOPED_TRACE("an edge through the box, no vertex inside");
    EXPECT_TRUE(Box(box, {{-5, 0.5f, 0.5f}, {5, 0.5f, 0.5f}, {0, 9, 9}}));
  }
  {
    SCOPED_TRACE("only the inside of a large triangle passes through: the diagonal decides");
    EXPECT_TRUE(Box(box, {{-50, -50, 0.3f}, {50, -50, 0.3f}, {0, 50, 0.3f}}));
    EXPECT_TRUE(Box(box, {{-50, -50, -0.3f}, {0, 50, -0.3f}, {50, -50, -0.3f}}));
    EXPECT_TRUE(Box(box, {{-40, 20, 21}, {20, -40, 21}, {20, 21, -40}}));
    EXPECT_FALSE(Box(box, {{-40, 20, 23.5f}, {20, -40, 23.5f}, {20, 23.5f, -40}}));
  }
  {
    SCOPED_TRACE("a triangle whose plane passes the box beside it");
    EXPECT_FALSE(Box(box, {{-5, 0, 0}, {0, 5, 0}, {-5, 5, 0}}));
  }
}

TEST(IntersectionBoxTriangle, AgreesWithSeparatingAxesOnSeededCases) {
  ExpectAgreementOnSeededCases(11, [](std::mt19937& random, double* gap) {
    const Triangle t = RandomTriangle(random);
    const RwV3d centre = RandomPoint(random, 0.5f);
    std::uniform_real_distribution<float> extent(0.05f, 2.0f);
    const RwV3d half = {extent(random), extent(random), extent(random)};
    const RwBBox box = {{centre.x + half.x, centre.y + half.y, centre.z + half.z},
                        {centre.x - half.x, centre.y - half.y, centre.z - half.z}};
    *gap = SeparationOnAxes(box, ToD(t.p0), ToD(t.p1), ToD(t.p2));
    return Box(box, t) != FALSE;
  });
}

}  // namespace
