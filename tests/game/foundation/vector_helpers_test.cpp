// Tests of the vector helpers.
#include "game/foundation/vector_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(VectorHelpersTest, NormaliseAndZero) {
  RwV3d v{3.0f, 0.0f, 4.0f};
  V3dNormalize(&v);
  EXPECT_FLOAT_EQ(0.6f, v.x);
  EXPECT_FLOAT_EQ(0.8f, v.z);
  RwV3d zero{0.0f, 0.0f, 0.0f};
  RwV3d out{1.0f, 1.0f, 1.0f};
  V3dNormalized(&zero, &out);
  EXPECT_EQ(0.0f, out.x + out.y + out.z);
  RwV2d flat{0.0f, 0.0f}, flatOut{5.0f, 5.0f};
  V2dNormalized(&flat, &flatOut);
  EXPECT_EQ(0.0f, flatOut.x + flatOut.y);
}

TEST(VectorHelpersTest, SegmentHasUnitDirection) {
  tSegment2d segment(RwV2d{1.0f, 1.0f}, RwV2d{4.0f, 5.0f});
  EXPECT_FLOAT_EQ(5.0f, segment.length);
  EXPECT_FLOAT_EQ(0.6f, segment.direction.x);
  tSegment2d point(RwV2d{1.0f, 1.0f}, RwV2d{1.0f, 1.0f});
  EXPECT_EQ(0.0f, point.direction.x + point.direction.y);
}

TEST(VectorHelpersTest, LookAt) {
  RwMatrix m = {};
  m.right = RwV3d{1, 0, 0};
  m.up = RwV3d{0, 1, 0};
  m.at = RwV3d{0, 0, 1};
  m.pos = RwV3d{0, 0, 0};
  RwV3d target{10.0f, 0.0f, 0.0f};
  MatrixLookAt(&m, &target);
  EXPECT_FLOAT_EQ(1.0f, m.at.x);
  EXPECT_FLOAT_EQ(1.0f, m.up.y);  // up stays up when looking level
  EXPECT_FLOAT_EQ(-1.0f, m.right.z);
  // The turned matrix is known to be orthonormal again (not the identity).
  EXPECT_EQ(kRwMatrixTypeOrthonormal, m.flags & kRwMatrixIdentityFlags);

  RwV3d above{0.0f, 5.0f, 0.0f};
  MatrixLookAt(&m, &above);
  EXPECT_FLOAT_EQ(1.0f, m.at.y);
  EXPECT_FLOAT_EQ(1.0f, m.right.x);

  RwMatrix same = m;
  MatrixLookAt(&same, &same.pos);
  EXPECT_EQ(0, memcmp(&same, &m, sizeof(m)));
}

}  // namespace
