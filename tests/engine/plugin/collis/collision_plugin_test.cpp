// Tests of the collision plugin's geometry data: building on request,
// replacing and dropping data, refusing geometries it cannot map, and starts
// that fail leaving nothing behind.
#include <gtest/gtest.h>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

TEST_F(CollisionTest, GeometriesGetDataOnRequest) {
  const int live = CountingMemoryLiveBlocks();
  RpGeometry* geometry = SoupGeometry(MakeSoup(21, 100));
  ASSERT_NE(geometry, nullptr);
  EXPECT_EQ(RpCollisionGeometryQueryData(geometry), 0);
  EXPECT_EQ(RpCollisionGeometryQueryData(nullptr), 0);
  ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
  EXPECT_EQ(RpCollisionGeometryQueryData(geometry), 1);
  const RpCollisionData* data = _rpCollisionGeometryGetData(geometry);
  EXPECT_EQ(data->flags, 0u);
  EXPECT_EQ(data->mapLength, 100);
  const int withData = CountingMemoryLiveBlocks();
  {
    SCOPED_TRACE("a rebuild replaces the data");
    ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
    EXPECT_EQ(CountingMemoryLiveBlocks(), withData);
  }
  {
    SCOPED_TRACE("a failed rebuild leaves no data");
    geometry->triangles[3].vertIndex[1] = static_cast<RwUInt16>(geometry->numVertices);
    EXPECT_EQ(RpCollisionGeometryBuildData(geometry), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    EXPECT_EQ(RpCollisionGeometryQueryData(geometry), 0);
    geometry->triangles[3].vertIndex[1] = 0;
  }
  ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
  RpGeometryDestroy(geometry);
  EXPECT_EQ(CountingMemoryLiveBlocks(), live) << "destroying the geometry destroys its data";
}

TEST_F(CollisionTest, GeometriesWithoutTrianglesToMapGetNoData) {
  const int live = CountingMemoryLiveBlocks();
  {
    SCOPED_TRACE("no vertices or triangles");
    RpGeometry* empty = RpGeometryCreateEmpty(1.0f);
    EXPECT_EQ(RpCollisionGeometryBuildData(empty), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    EXPECT_EQ(RpCollisionGeometryQueryData(empty), 0);
    RpGeometryDestroy(empty);
  }
  {
    SCOPED_TRACE("vertices but no triangles");
    RpGeometry* points = RpGeometryCreate(3, 0, 0);
    EXPECT_EQ(RpCollisionGeometryBuildData(points), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    RpGeometryDestroy(points);
  }
  {
    SCOPED_TRACE("more triangles than the map's 16 bits hold");
    RpGeometry* many = RpGeometryCreate(3, kRpCollisionMaxTriangles + 1, 0);
    ASSERT_NE(many, nullptr);
    for (RwInt32 i = 0; i < many->numTriangles; ++i) {
      many->triangles[i] = {{0, 1, 2}, 0};
    }
    EXPECT_EQ(RpCollisionGeometryBuildData(many), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    RpGeometryDestroy(many);
  }
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
}

TEST(CollisionPlugin, FailedStartsLeaveNothing) {
  ExpectFailedStartsLeakNothing([] { return RpWorldPluginAttach() && RpCollisionPluginAttach(); },
                                [] { return RpCollisionGeometryQueryData(nullptr) == 0; });
}

}  // namespace
}  // namespace collis_test
