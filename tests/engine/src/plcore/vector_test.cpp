// Table square roots, vector lengths and normalisation, and the replaceable
// transform routines.
#include "engine/src/plcore/vector.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine.h"
#include "tests/support/started_engine.h"

namespace {

class VectorTest : public StartedEngineTest {};

TEST_F(VectorTest, TableRootsAreExactAtPowersOfFour) {
  EXPECT_EQ(RwSqrt(4.0f), 2.0f);
  EXPECT_EQ(RwInvSqrt(4.0f), 0.5f);
  EXPECT_EQ(RwSqrt(1.0f), 1.0f);
  EXPECT_EQ(RwInvSqrt(1.0f), 1.0f);
  EXPECT_EQ(RwSqrt(0.25f), 0.5f);
  EXPECT_EQ(RwSqrt(0.0f), 0.0f);
  EXPECT_EQ(RwInvSqrt(0.0f), 0.0f);
}

TEST_F(VectorTest, TableRootsStayWithinTheTablesPrecision) {
  // 11 mantissa bits index the table: the relative error stays below 2^-11.
  for (float x = 1e-6f; x < 1e7f; x *= 1.37f) {
    SCOPED_TRACE(x);
    const double exact = std::sqrt(static_cast<double>(x));
    EXPECT_NEAR(RwSqrt(x) / exact, 1.0, 1.0 / 2048);
    EXPECT_NEAR(RwInvSqrt(x) * exact, 1.0, 1.0 / 2048);
  }
}

TEST_F(VectorTest, LengthAndNormalize) {
  const RwV3d v = {3.0f, 0.0f, 4.0f};
  EXPECT_NEAR(RwV3dLength(&v), 5.0f, 5.0f / 2048);
  const RwV2d w = {0.0f, 4.0f};
  EXPECT_EQ(RwV2dLength(&w), 2.0f * 2.0f);
  const RwV3d zero = {0.0f, 0.0f, 0.0f};
  EXPECT_EQ(RwV3dLength(&zero), 0.0f);

  RwV3d unit;
  EXPECT_NEAR(RwV3dNormalize(&unit, &v), 5.0f, 5.0f / 2048);
  EXPECT_NEAR(unit.x, 0.6f, 1e-3f);
  EXPECT_NEAR(unit.z, 0.8f, 1e-3f);
  ExpectNoError();

  RwV3d out = {1.0f, 1.0f, 1.0f};
  EXPECT_EQ(RwV3dNormalize(&out, &zero), 0.0f);
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_EQ(out.y, 0.0f);
  ExpectError(kRwPluginIdCore, kRwErrZeroLengthVector);
}

RwV3d* MarkingTransform(RwV3d* out, const RwV3d* /*in*/, RwInt32 count, const RwMatrix* /*matrix*/) {
  for (RwInt32 i = 0; i < count; ++i) {
    out[i] = {-7.0f, -7.0f, -7.0f};
  }
  return out;
}

TEST_F(VectorTest, TransformPointsAndVectors) {
  RwMatrix m;
  RwMatrixSetIdentity(&m);
  m.right = {0.0f, 1.0f, 0.0f};
  m.up = {-2.0f, 0.0f, 0.0f};
  m.at = {0.0f, 0.0f, 3.0f};
  m.pos = {10.0f, 20.0f, 30.0f};
  RwMatrixUpdate(&m);
  const RwV3d in[2] = {{1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.0f}};
  RwV3d out[2];
  RwV3dTransformPoints(out, in, 2, &m);
  EXPECT_EQ(out[0].x, 1.0f * 0.0f + 2.0f * -2.0f + 10.0f);
  EXPECT_EQ(out[0].y, 1.0f + 20.0f);
  EXPECT_EQ(out[0].z, 9.0f + 30.0f);
  EXPECT_EQ(out[1].x, 10.0f);
  RwV3dTransformVectors(out, in, 1, &m);
  EXPECT_EQ(out[0].x, -4.0f);
  EXPECT_EQ(out[0].y, 1.0f);
  EXPECT_EQ(out[0].z, 9.0f);

  // A replaced routine is used until the defaults come back.
  RwV3dSetTransformFunctions(MarkingTransform, nullptr);
  RwV3dTransformPoints(out, in, 1, &m);
  EXPECT_EQ(out[0].x, -7.0f);
  RwV3dTransformVectors(out, in, 1, &m);
  EXPECT_EQ(out[0].x, -4.0f);
  RwV3dSetTransformFunctions(nullptr, nullptr);
  RwV3dTransformPoints(out, in, 1, &m);
  EXPECT_EQ(out[0].x, 6.0f);
  // A count of 0 touches nothing.
  out[0].x = 99.0f;
  RwV3dTransformPoints(out, in, 0, &m);
  EXPECT_EQ(out[0].x, 99.0f);
}

}  // namespace
