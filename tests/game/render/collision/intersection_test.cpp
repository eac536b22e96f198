// Tests of the line, segment, slab and triangle routines against
// hand-computed values.
#include "game/render/collision/intersection.h"

#include <gtest/gtest.h>

#include "tests/game/render/expect_v3d.h"

namespace {

tSegment3d Segment(RwV3d p0, RwV3d p1) { return tSegment3d(p0, p1); }

TEST(IntersectionTest, DominantAxisTiesGoToTheLowerAxis) {
  EXPECT_EQ(0u, DominantAxis(RwV3d{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(1u, DominantAxis(RwV3d{0.0f, 2.0f, 2.0f}));
  EXPECT_EQ(2u, DominantAxis(RwV3d{0.0f, -1.0f, -3.0f}));
  EXPECT_EQ(0u, DominantAxis(RwV3d{-5.0f, 1.0f, 4.0f}));
  EXPECT_EQ(0u, DominantAxis(RwV3d{0.0f, 0.0f, 0.0f}));
}

TEST(IntersectionTest, ClosestPointOnSegmentIsClampedAtBothEnds) {
  tSegment3d s = Segment(RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{10.0f, 0.0f, 0.0f});
  RwV3d out;
  ClosestPointOnSegment(s, &out, RwV3d{4.0f, 3.0f, -2.0f});
  ExpectV3d(RwV3d{4.0f, 0.0f, 0.0f}, out);
  ClosestPointOnSegment(s, &out, RwV3d{-4.0f, 3.0f, 0.0f});
  ExpectV3d(RwV3d{0.0f, 0.0f, 0.0f}, out);
  ClosestPointOnSegment(s, &out, RwV3d{14.0f, -3.0f, 0.0f});
  ExpectV3d(RwV3d{10.0f, 0.0f, 0.0f}, out);
}

TEST(IntersectionTest, LinesCrossAndApproach) {
  const tRay xAxis{{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
  f32 t = -1.0f;
  {
    SCOPED_TRACE("coplanar in the xy plane");
    EXPECT_TRUE(IntersectCoplanarLines(xAxis, &t, tRay{{2.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}}));
    EXPECT_FLOAT_EQ(2.0f, t);
  }
  {
    SCOPED_TRACE("coplanar in the yz plane, x dropped");
    const tRay yAxis{{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    EXPECT_TRUE(IntersectCoplanarLines(yAxis, &t, tRay{{0.0f, 3.0f, 2.0f}, {0.0f, 0.0f, -1.0f}}));
    EXPECT_FLOAT_EQ(3.0f, t);
  }
  {
    SCOPED_TRACE("parallel");
    t = -1.0f;
    EXPECT_FALSE(IntersectCoplanarLines(xAxis, &t, tRay{{0.0f, 1.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}}));
    EXPECT_FALSE(ClosestPointOnLineToLine(xAxis, &t, tRay{{0.0f, 1.0f, 4.0f}, {1.0f, 0.0f, 0.0f}}));
    EXPECT_EQ(-1.0f, t);
  }
  {
    SCOPED_TRACE("skew lines");
    EXPECT_TRUE(ClosestPointOnLineToLine(xAxis, &t, tRay{{3.0f, 1.0f, 5.0f}, {0.0f, 1.0f, 0.0f}}));
    EXPECT_FLOAT_EQ(3.0f, t);
    const f32 h = 0.70710678f;
    EXPECT_TRUE(ClosestPointOnLineToLine(xAxis, &t, tRay{{2.0f, -2.0f, -1.0f}, {h, h, 0.0f}}));
    EXPECT_NEAR(4.0f, t, 1e-5f);
  }
}

TEST(IntersectionTest, ClosestParameterOnSegment) {
  tSegment3d s = Segment(RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{10.0f, 0.0f, 0.0f});
  struct Case {
    const char* name;
    RwV3d q0, q1;
    f32 t;
  };
  const Case cases[] = {
      {"crossing above", {2.0f, -2.0f, 1.0f}, {6.0f, 2.0f, 1.0f}, 4.0f},
      {"perpendicular projects to one point", {4.0f, -1.0f, 1.0f}, {4.0f, 1.0f, 1.0f}, 4.0f},
      {"both beyond the end", {12.0f, -2.0f, 1.0f}, {16.0f, 2.0f, 1.0f}, 10.0f},
      {"both before the start", {-6.0f, -2.0f, 1.0f}, {-2.0f, 2.0f, 1.0f}, 0.0f},
      {"line approach outside q's projection", {2.0f, 1.0f, 0.0f}, {3.0f, 2.0f, 0.0f}, 2.0f},
      {"partly before the start", {-3.0f, -2.0f, 1.0f}, {1.0f, 2.0f, 1.0f}, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f32 t = -1.0f;
    EXPECT_TRUE(ClosestParameterOnSegment(s, &t, Segment(c.q0, c.q1)));
    EXPECT_NEAR(c.t, t, 1e-5f);
  }
  f32 t = -1.0f;
  EXPECT_FALSE(ClosestParameterOnSegment(s, &t, Segment(RwV3d{2.0f, 1.0f, 0.0f}, RwV3d{5.0f, 1.0f, 0.0f})));
}

TEST(IntersectionTest, ClipSlab) {
  struct Case {
    const char* name;
    f32 den, num;
    bool kept;
    f32 enter, exit;
  };
  const Case cases[] = {
      {"entering inside", 2.0f, 1.0f, true, 0.5f, 1.0f},
      {"entering after the exit", 2.0f, 4.0f, false, 0.0f, 1.0f},
      {"entering before the start", 2.0f, -1.0f, true, 0.0f, 1.0f},
      {"leaving inside", -2.0f, -1.0f, true, 0.0f, 0.5f},
      {"leaving before the entry", -2.0f, 1.0f, false, 0.0f, 1.0f},
      {"parallel inside", 0.0f, -1.0f, true, 0.0f, 1.0f},
      {"parallel on the face", 0.0f, 0.0f, false, 0.0f, 1.0f},
      {"parallel outside", 0.0f, 1.0f, false, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f32 enter = 0.0f;
    f32 exit = 1.0f;
    EXPECT_EQ(c.kept, ClipSlab(c.den, c.num, &enter, &exit));
    if (c.kept) {
      EXPECT_FLOAT_EQ(c.enter, enter);
      EXPECT_FLOAT_EQ(c.exit, exit);
    }
  }
}

TEST(IntersectionTest, SegmentHitsBox) {
  const RwBBox box{{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};
  struct Case {
    const char* name;
    RwV3d p0, p1;
    bool hits;
  };
  const Case cases[] = {
      {"through", {-1.0f, 0.5f, 0.5f}, {2.0f, 0.5f, 0.5f}, true},
      {"short of it", {-2.0f, 0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, false},
      {"from inside", {0.5f, 0.5f, 0.5f}, {0.6f, 0.6f, 0.6f}, true},
      {"diagonal past a corner", {-1.0f, 0.5f, 0.5f}, {0.5f, 2.5f, 0.5f}, false},
      {"diagonal through", {-1.0f, -0.5f, 0.5f}, {2.0f, 1.5f, 0.5f}, true},
      {"reversed", {2.0f, 0.5f, 0.5f}, {-1.0f, 0.5f, 0.5f}, true},
      {"along a face", {-1.0f, 1.0f, 0.5f}, {2.0f, 1.0f, 0.5f}, false},
      {"above", {-1.0f, 1.5f, 0.5f}, {2.0f, 1.5f, 0.5f}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.hits, SegmentHitsBox(box, c.p0, c.p1));
  }
}

TEST(IntersectionTest, Triangles) {
  const tTriangle flat{{{0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}}};
  RwV3d normal;
  TriangleNormal(flat, &normal);
  ExpectV3d(RwV3d{0.0f, 0.0f, 4.0f}, normal);  // not normalised

  // A wall at x = 3, normal along -x: y and z remain.
  const tTriangle wall{{{3.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 2.0f}, {3.0f, 2.0f, 0.0f}}};
  RwV2d corners[3];
  EXPECT_EQ(0u, ProjectTriangle(wall, corners));
  EXPECT_EQ(2.0f, corners[1].y);
  EXPECT_EQ(2.0f, corners[2].x);
  EXPECT_EQ(2u, ProjectTriangle(flat, corners));

  EXPECT_TRUE(PointInTriangle(wall, RwV3d{3.0f, 0.5f, 0.5f}));
  EXPECT_TRUE(PointInTriangle(wall, RwV3d{-7.0f, 0.5f, 0.5f}));  // projected along x
  EXPECT_FALSE(PointInTriangle(wall, RwV3d{3.0f, 1.5f, 1.5f}));

  const RwV2d a{0.0f, 0.0f}, b{2.0f, 0.0f}, c{0.0f, 2.0f};
  EXPECT_TRUE(PointInTriangle2D(a, b, c, RwV2d{0.5f, 0.5f}));
  EXPECT_TRUE(PointInTriangle2D(a, c, b, RwV2d{0.5f, 0.5f}));  // other winding
  // 0 counts as non-negative: a point on an edge is inside only for the
  // winding whose inside values are non-negative.
  EXPECT_FALSE(PointInTriangle2D(a, b, c, RwV2d{1.0f, 0.0f}));
  EXPECT_TRUE(PointInTriangle2D(a, c, b, RwV2d{1.0f, 0.0f}));
  EXPECT_FALSE(PointInTriangle2D(a, b, c, RwV2d{1.5f, 1.5f}));
  EXPECT_FALSE(PointInTriangle2D(a, c, b, RwV2d{-0.5f, 0.5f}));
}

}  // namespace
