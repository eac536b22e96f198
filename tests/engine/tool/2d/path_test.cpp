// 2D paths: points with their normals, miters and distances, subpaths and
// pruning, closing, curves flattened within half a pixel, locking and
// copying.
#include "tests/engine/tool/2d/twod_fixture.h"

namespace {

using twod_test::Near;
using twod_test::TwoDTest;

using PathTest = TwoDTest;

std::vector<Rt2dPathPoint> Points(const Rt2dPath* subpath) {
  RwInt32 count = 0;
  const Rt2dPathPoint* points = _rt2dPathGetPoints(subpath, &count);
  return std::vector<Rt2dPathPoint>(points, points + count);
}

void ExpectNormal(const Rt2dPathPoint& point, RwReal x, RwReal y) {
  EXPECT_TRUE(Near(point.normalX, x) && Near(point.normalY, y))
      << "at (" << point.x << ", " << point.y << "): " << point.normalX << ", " << point.normalY;
}

TEST_F(PathTest, LinesCarryRightHandNormalsMitersAndDistances) {
  Rt2dPath* path = Rt2dPathCreate();
  ASSERT_NE(path, nullptr);
  ASSERT_EQ(Rt2dPathMoveto(path, 0.0f, 0.0f), path);
  ASSERT_EQ(Rt2dPathLineto(path, 10.0f, 0.0f), path);
  std::vector<Rt2dPathPoint> points = Points(path);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].kind, kRt2dPathMove);
  EXPECT_EQ(points[1].kind, kRt2dPathLine);
  ExpectNormal(points[0], 0.0f, -1.0f);  // the first point takes the segment's normal
  ExpectNormal(points[1], 0.0f, -1.0f);
  EXPECT_TRUE(Near(points[1].distance, 10.0f, 0.01f));

  ASSERT_EQ(Rt2dPathLineto(path, 10.0f, 10.0f), path);
  points = Points(path);
  ExpectNormal(points[1], 1.0f, -1.0f);  // projects to 1 on both adjacent normals
  ExpectNormal(points[2], 1.0f, 0.0f);
  EXPECT_TRUE(Near(points[2].distance, 20.0f, 0.02f));

  {
    SCOPED_TRACE("a zero-length segment keeps the previous normal");
    ASSERT_EQ(Rt2dPathLineto(path, 10.0f, 10.0f), path);
    points = Points(path);
    ExpectNormal(points[3], 1.0f, 0.0f);
    ExpectNormal(points[2], 1.0f, 0.0f);
    EXPECT_EQ(points[3].distance, points[2].distance);
  }
  {
    SCOPED_TRACE("turning back keeps the incoming normal");
    ASSERT_EQ(Rt2dPathLineto(path, 10.0f, 0.0f), path);
    points = Points(path);
    ExpectNormal(points[3], 1.0f, 0.0f);
    ExpectNormal(points[4], -1.0f, 0.0f);
  }
  EXPECT_TRUE(Rt2dPathDestroy(path));
}

TEST_F(PathTest, ClosingASquareMitersItsFirstCornerWithoutAnExtraPoint) {
  Rt2dPath* path = Rt2dPathCreate();
  ASSERT_NE(path, nullptr);
  Rt2dPathMoveto(path, 0.0f, 0.0f);
  Rt2dPathLineto(path, 10.0f, 0.0f);
  Rt2dPathLineto(path, 10.0f, 10.0f);
  Rt2dPathLineto(path, 0.0f, 10.0f);
  Rt2dPathLineto(path, 0.0f, 0.0f);
  ASSERT_EQ(Rt2dPathClose(path), path);
  std::vector<Rt2dPathPoint> points = Points(path);
  ASSERT_EQ(points.size(), 5u);
  EXPECT_EQ(path->closed, 1);
  ExpectNormal(points[0], -1.0f, -1.0f);
  ExpectNormal(points[4], -1.0f, -1.0f);
  ExpectNormal(points[2], 1.0f, 1.0f);

  Rt2dPathDestroy(path);
}

TEST_F(PathTest, MovetoStartsSubpathsAndPruningDropsLonePoints) {
  Rt2dPath* path = Rt2dPathCreate();
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(Rt2dPathLineto(path, 1.0f, 1.0f), nullptr);  // no point to start from
  EXPECT_EQ(Rt2dPathClose(path), nullptr);
  TakeError();
  Rt2dPathMoveto(path, 0.0f, 0.0f);
  Rt2dPathMoveto(path, 5.0f, 5.0f);
  Rt2dPathLineto(path, 6.0f, 5.0f);
  Rt2dPathMoveto(path, 9.0f, 9.0f);
  ASSERT_NE(path->next, nullptr);
  EXPECT_EQ(path->current, path->next->next);
  EXPECT_EQ(Points(path).size(), 1u);

  Rt2dPath* pruned = Rt2dPathPrune(path);
  ASSERT_NE(pruned, nullptr);
  EXPECT_EQ(pruned->next, nullptr);
  EXPECT_EQ(pruned->current, pruned);
  ASSERT_EQ(Points(pruned).size(), 2u);
  EXPECT_EQ(Points(pruned)[0].x, 5.0f);
  // Points go on where the pruned path now ends.
  Rt2dPathLineto(pruned, 7.0f, 5.0f);
  EXPECT_EQ(Points(pruned).size(), 3u);

  Rt2dPath* lone = Rt2dPathCreate();
  Rt2dPathMoveto(lone, 1.0f, 1.0f);
  EXPECT_EQ(Rt2dPathPrune(lone), nullptr);
  Rt2dPathDestroy(pruned);
}

// Points on the cubic from (0, 0) through (0, 100), (100, 100) to (100, 0).
RwV2d Cubic(RwReal t) {
  const RwReal s = 1.0f - t;
  const RwReal b1 = 3.0f * s * s * t;
  const RwReal b2 = 3.0f * s * t * t;
  const RwReal b3 = t * t * t;
  return {100.0f * (b2 + b3), 100.0f * (b1 + b2)};
}

TEST_F(PathTest, CurvesFlattenWithinHalfAPixel) {
  Rt2dPath* path = Rt2dPathCreate();
  ASSERT_NE(path, nullptr);
  Rt2dPathMoveto(path, 0.0f, 0.0f);
  Rt2dPathCurveto(path, 0.0f, 100.0f, 100.0f, 100.0f, 100.0f, 0.0f);
  EXPECT_EQ(path->flat, 0);
  // A second subpath survives its neighbour's flattening.
  Rt2dPathMoveto(path, 200.0f, 0.0f);
  Rt2dPathLineto(path, 210.0f, 0.0f);
  ASSERT_EQ(Rt2dPathFlatten(path), path);
  EXPECT_EQ(path->flat, 1);
  ASSERT_NE(path->next, nullptr);
  EXPECT_EQ(Points(path->next).size(), 2u);

  const std::vector<Rt2dPathPoint> points = Points(path);
  ASSERT_GT(points.size(), 8u);
  ASSERT_LE(points.size(), 129u);
  EXPECT_EQ(points.back().x, 100.0f);
  EXPECT_EQ(points.back().y, 0.0f);
  for (size_t i = 1; i < points.size(); i++) {
    EXPECT_EQ(points[i].kind, kRt2dPathLine) << i;
    // Every chord's middle lies within half a pixel of the curve.
    const RwV2d middle = {(points[i - 1].x + points[i].x) / 2, (points[i - 1].y + points[i].y) / 2};
    RwReal nearest = 1e9f;
    for (int k = 0; k <= 2000; k++) {
      const RwV2d c = Cubic(k / 2000.0f);
      const RwReal d = std::hypot(c.x - middle.x, c.y - middle.y);
      nearest = d < nearest ? d : nearest;
    }
    EXPECT_LT(nearest, 0.5f) << i;
  }
  Rt2dPathDestroy(path);
}

TEST_F(PathTest, UnlockedPathsKeepTheirPointsAndCopiesTakeThem) {
  Rt2dPath* path = Rt2dPathCreate();
  ASSERT_NE(path, nullptr);
  Rt2dPathMoveto(path, 0.0f, 0.0f);
  Rt2dPathLineto(path, 3.0f, 4.0f);
  Rt2dPathClose(path);
  Rt2dPathMoveto(path, 8.0f, 8.0f);
  ASSERT_EQ(Rt2dPathUnlock(path), path);
  EXPECT_EQ(path->numPoints, 3);
  EXPECT_EQ(path->list, nullptr);
  EXPECT_EQ(path->next->numPoints, 1);
  EXPECT_EQ(Rt2dPathLineto(path, 1.0f, 1.0f), nullptr);  // unlocked paths are for keeping
  TakeError();

  Rt2dPath* copy = Rt2dPathCreate();
  Rt2dPathMoveto(copy, 1.0f, 1.0f);
  Rt2dPathMoveto(copy, 2.0f, 2.0f);
  ASSERT_EQ(Rt2dPathCopy(copy, path), copy);
  EXPECT_EQ(copy->next, nullptr);
  EXPECT_EQ(copy->closed, 1);
  const std::vector<Rt2dPathPoint> copied = Points(copy);
  ASSERT_EQ(copied.size(), 3u);
  EXPECT_EQ(copied[1].x, 3.0f);
  EXPECT_TRUE(Near(copied[1].distance, 5.0f, 0.01f));

  ASSERT_EQ(Rt2dPathLock(path), path);
  EXPECT_EQ(path->numPoints, -1);
  EXPECT_EQ(Points(path).size(), 3u);
  Rt2dPathDestroy(copy);
  Rt2dPathDestroy(path);
}

}  // namespace
