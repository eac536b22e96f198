// Tests of the pieces the query walks share: the line/triangle test (front
// faces only, distances along the line, tolerance at the edges) and the way a
// segment is divided at a split.
#include <gtest/gtest.h>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

bool LineHits(const RwLine& line, const RwV3d& p0, const RwV3d& p1, const RwV3d& p2, RwReal* distance, RwV3d* normal) {
  const RwV3d delta = {line.end.x - line.start.x, line.end.y - line.start.y, line.end.z - line.start.z};
  return _rpCollisionLineTriangle(&line.start, &delta, &p0, &p1, &p2, distance, normal) != FALSE;
}

TEST_F(CollisionTest, LinesMeetOnlyTheFrontOfTriangles) {
  // Normal (p1 - p0) x (p2 - p0) = +z.
  const RwV3d p0 = {0, 0, 0}, p1 = {4, 0, 0}, p2 = {0, 4, 0};
  RwReal distance = -1.0f;
  RwV3d normal = {};
  {
    SCOPED_TRACE("from the front: a hit a quarter of the way, with the unit normal");
    ASSERT_TRUE(LineHits({{1, 1, 1}, {1, 1, -3}}, p0, p1, p2, &distance, &normal));
    EXPECT_NEAR(distance, 0.25f, 1e-6f);
    EXPECT_NEAR(normal.z, 1.0f, 1e-3f);
  }
  {
    SCOPED_TRACE("from behind through the same point: no hit");
    EXPECT_FALSE(LineHits({{1, 1, -3}, {1, 1, 1}}, p0, p1, p2, &distance, &normal));
  }
  {
    SCOPED_TRACE("edge-on, short of the plane, beside the triangle, zero length");
    EXPECT_FALSE(LineHits({{-1, 1, 0}, {5, 1, 0}}, p0, p1, p2, &distance, &normal));
    EXPECT_FALSE(LineHits({{1, 1, 3}, {1, 1, 1}}, p0, p1, p2, &distance, &normal));
    EXPECT_FALSE(LineHits({{3, 3, 1}, {3, 3, -1}}, p0, p1, p2, &distance, &normal));
    EXPECT_FALSE(LineHits({{1, 1, 0}, {1, 1, 0}}, p0, p1, p2, &distance, &normal));
  }
  {
    SCOPED_TRACE("on an edge and ending on the plane count, within the tolerance");
    EXPECT_TRUE(LineHits({{2, 0, 1}, {2, 0, -1}}, p0, p1, p2, &distance, &normal));
    EXPECT_TRUE(LineHits({{1, 1, 1}, {1, 1, 0}}, p0, p1, p2, &distance, &normal));
    EXPECT_NEAR(distance, 1.0f, 1e-5f);
  }
}

TEST_F(CollisionTest, SegmentsAreDividedAtSplitsStartSideFirst) {
  const RwLine line = {{0, 0, 0}, {10, 5, 0}};
  RpLineSlopes slopes;
  _rpLineSlopesCompute(&slopes, &line);
  RpLineSplitStep step;
  {
    SCOPED_TRACE("below both values: left only; above both: right only");
    _rpLineSplitStep(&step, 0, 20.0f, 15.0f, &line, &slopes);
    EXPECT_FALSE(step.nowRight);
    EXPECT_FALSE(step.later);
    _rpLineSplitStep(&step, 0, -1.0f, -2.0f, &line, &slopes);
    EXPECT_TRUE(step.nowRight);
    EXPECT_FALSE(step.later);
  }
  {
    SCOPED_TRACE("wholly in the children's overlap: both get all of it, the start's side first");
    _rpLineSplitStep(&step, 0, 12.0f, -2.0f, &line, &slopes);
    EXPECT_TRUE(step.later);
    EXPECT_FALSE(step.nowRight) << "the line runs up the axis: left first";
    EXPECT_EQ(step.now.end.x, 10.0f);
    const RwLine back = {line.end, line.start};
    _rpLineSplitStep(&step, 0, 12.0f, -2.0f, &back, &slopes);
    EXPECT_TRUE(step.nowRight);
    EXPECT_TRUE(step.later);
  }
  {
    SCOPED_TRACE("across both values of a gap: each child gets its own piece, clipped on the line");
    _rpLineSplitStep(&step, 0, 4.0f, 6.0f, &line, &slopes);
    EXPECT_FALSE(step.nowRight);
    EXPECT_TRUE(step.later);
    EXPECT_EQ(step.now.end.x, 4.0f);
    EXPECT_EQ(step.now.end.y, 2.0f);
    EXPECT_EQ(step.laterSegment.start.x, 6.0f);
    EXPECT_EQ(step.laterSegment.start.y, 3.0f);
    EXPECT_EQ(step.laterSegment.end.x, 10.0f);
  }
  {
    SCOPED_TRACE("across the left value only, above the right value: the right child gets it all");
    _rpLineSplitStep(&step, 4, 2.0f, -1.0f, &line, &slopes);
    EXPECT_FALSE(step.nowRight);
    EXPECT_EQ(step.now.end.y, 2.0f);
    EXPECT_EQ(step.now.end.x, 4.0f);
    EXPECT_TRUE(step.later);
    EXPECT_EQ(step.laterSegment.start.x, 0.0f);
    EXPECT_EQ(step.laterSegment.end.x, 10.0f);
  }
}

}  // namespace
}  // namespace collis_test
