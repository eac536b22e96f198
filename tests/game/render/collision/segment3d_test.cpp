// Tests of the 3D segment record.
#include "game/render/collision/segment3d.h"

#include <gtest/gtest.h>

namespace {

TEST(Segment3dTest, FromTwoPoints) {
  tSegment3d s(RwV3d{1.0f, 2.0f, 3.0f}, RwV3d{1.0f, 5.0f, 7.0f});
  EXPECT_FLOAT_EQ(5.0f, s.length);
  EXPECT_FLOAT_EQ(0.6f, s.direction.y);
  EXPECT_FLOAT_EQ(0.8f, s.direction.z);
  RwV3d p = s.PointAt(2.5f);
  EXPECT_FLOAT_EQ(3.5f, p.y);
  EXPECT_FLOAT_EQ(5.0f, p.z);
  EXPECT_FLOAT_EQ(2.5f, s.Project(p));
  EXPECT_FLOAT_EQ(-5.0f, s.Project(RwV3d{9.0f, -1.0f, -1.0f}));
  EXPECT_FLOAT_EQ(0.0f, s.ProjectClamped(RwV3d{9.0f, -1.0f, -1.0f}));
  EXPECT_FLOAT_EQ(5.0f, s.ProjectClamped(RwV3d{1.0f, 50.0f, 70.0f}));

  tSegment3d point(RwV3d{1.0f, 1.0f, 1.0f}, RwV3d{1.0f, 1.0f, 1.0f});
  EXPECT_EQ(0.0f, point.length);
  EXPECT_EQ(0.0f, point.direction.x + point.direction.y + point.direction.z);
  EXPECT_EQ(0.0f, point.ProjectClamped(RwV3d{4.0f, 0.0f, 0.0f}));
}

}  // namespace
