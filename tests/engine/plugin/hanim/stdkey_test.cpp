// The standard keyframe: its portable arc cosine and sine, interpolation the
// short way round, linear blending of close rotations, key products and
// inverses, and the key-to-matrix conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/plugin/hanim/hanim_internal.h"
#include "tests/support/anim_engine.h"

namespace {

// Distance in units in the last place between two finite floats of one sign.
int64_t UlpDistance(float a, float b) {
  int32_t ia;
  int32_t ib;
  std::memcpy(&ia, &a, sizeof(ia));
  std::memcpy(&ib, &b, sizeof(ib));
  return std::llabs(static_cast<int64_t>(ia) - static_cast<int64_t>(ib));
}

RpHAnimStdKeyFrame Key(RwReal time, RtQuat q, RwV3d t) {
  RpHAnimStdKeyFrame key = {};
  key.time = time;
  key.q = q;
  key.t = t;
  return key;
}

RwReal Length(const RtQuat& q) {
  return std::sqrt(q.imag.x * q.imag.x + q.imag.y * q.imag.y + q.imag.z * q.imag.z + q.real * q.real);
}

TEST(StdKeyMathTest, ArcCosineMatchesDoublePrecisionWithinAnUlp) {
  int64_t worst = 0;
  for (int i = -100000; i <= 100000; i++) {
    const float k = static_cast<float>(i) / 100000.0f;
    const float reference = static_cast<float>(std::acos(static_cast<double>(k)));
    worst = std::max(worst, UlpDistance(_rpHAnimArcCosine(k), reference));
  }
  EXPECT_LE(worst, 1);
  EXPECT_EQ(_rpHAnimArcCosine(1.0f), 0.0f);
  EXPECT_LE(UlpDistance(_rpHAnimArcCosine(-1.0f), static_cast<float>(M_PI)), 1);
  EXPECT_EQ(_rpHAnimArcCosine(std::ldexp(1.0f, -60)), static_cast<float>(M_PI / 2));
  EXPECT_TRUE(std::isnan(_rpHAnimArcCosine(1.5f)));
}

// Without argument reduction the polynomial loses a little towards pi/2.
TEST(StdKeyMathTest, KernelSineMatchesDoublePrecisionUpToAQuarterTurn) {
  int64_t worst = 0;
  for (int i = 0; i <= 100000; i++) {
    const float x = static_cast<float>(M_PI / 2 * i / 100000.0);
    const float reference = static_cast<float>(std::sin(static_cast<double>(x)));
    worst = std::max(worst, UlpDistance(_rpHAnimKernelSine(x), reference));
  }
  EXPECT_LE(worst, 2);
}

TEST(StdKeyFrameTest, InterpolationTakesTheShortWayAndFlipsTheSecondKey) {
  const RtQuat q = AxisAngle(kAxisY, 40);
  const RtQuat minusQ = {{-q.imag.x, -q.imag.y, -q.imag.z}, -q.real};
  RpHAnimStdKeyFrame first = Key(0.0f, q, {0, 0, 0});
  RpHAnimStdKeyFrame second = Key(1.0f, minusQ, {2, 4, 6});
  RpHAnimStdKeyFrame out = {};
  RpHAnimKeyFrameInterpolate(&out, &first, &second, 0.25f);
  ExpectQuat(out.q, q);
  ExpectQuat(second.q, q);
  EXPECT_FLOAT_EQ(out.t.x, 0.5f);
  EXPECT_FLOAT_EQ(out.t.y, 1.0f);
  EXPECT_FLOAT_EQ(out.t.z, 1.5f);

  // Between distinct rotations about one axis the angle moves evenly.
  second = Key(1.0f, AxisAngle(kAxisY, 100), {});
  RpHAnimKeyFrameInterpolate(&out, &first, &second, 0.25f);
  ExpectQuat(out.q, AxisAngle(kAxisY, 55));
  EXPECT_NEAR(Length(out.q), 1.0f, 1e-6f);

  // Keys of one time (a corrupt node) hold the first key's pose.
  second.time = 0.0f;
  RpHAnimKeyFrameInterpolate(&out, &first, &second, 0.5f);
  ExpectQuat(out.q, q);
}

TEST(StdKeyFrameTest, CloseRotationsBlendLinearly) {
  // Cosine of half of 4 degrees is above 0.999: the blend is linear and a
  // little shorter than unit length.
  RpHAnimStdKeyFrame a = Key(0.0f, kNoRotation, {0, 0, 0});
  RpHAnimStdKeyFrame b = Key(0.0f, AxisAngle(kAxisX, 4), {1, 0, 0});
  RpHAnimStdKeyFrame out = {};
  RpHAnimKeyFrameBlend(&out, &a, &b, 0.5f);
  EXPECT_FLOAT_EQ(out.q.imag.x, 0.5f * b.q.imag.x);
  EXPECT_FLOAT_EQ(out.q.real, 0.5f + 0.5f * b.q.real);
  EXPECT_LT(Length(out.q), 1.0f - 1e-5f);
  EXPECT_FLOAT_EQ(out.t.x, 0.5f);
}

TEST(StdKeyFrameTest, AddMultipliesWithTheFirstOnTheLeft) {
  RpHAnimStdKeyFrame p = Key(0.0f, AxisAngle(kAxisX, 90), {1, 2, 3});
  RpHAnimStdKeyFrame q = Key(0.0f, AxisAngle(kAxisZ, 90), {10, 20, 30});
  RpHAnimStdKeyFrame out = {};
  RpHAnimKeyFrameAdd(&out, &p, &q);
  ExpectQuat(out.q, {{0.5f, -0.5f, 0.5f}, 0.5f});
  EXPECT_FLOAT_EQ(out.t.y, 22.0f);
  RpHAnimKeyFrameAdd(&out, &q, &p);
  ExpectQuat(out.q, {{0.5f, 0.5f, 0.5f}, 0.5f});
}

TEST(StdKeyFrameTest, MultiplyByInverseRebasesAndLeavesKeysOfAZeroBase) {
  RpHAnimStdKeyFrame key = Key(0.0f, AxisAngle(kAxisZ, 30), {3, 4, 5});
  RpHAnimStdKeyFrame base = key;
  RpHAnimKeyFrameMulRecip(&key, &base);
  ExpectQuat(key.q, kNoRotation);
  EXPECT_FLOAT_EQ(key.t.x, 0.0f);

  key = Key(0.0f, AxisAngle(kAxisZ, 30), {3, 4, 5});
  base = Key(0.0f, {{0, 0, 0}, 0}, {1, 1, 1});
  const RpHAnimStdKeyFrame before = key;
  RpHAnimKeyFrameMulRecip(&key, &base);
  EXPECT_EQ(std::memcmp(&key, &before, sizeof(key)), 0);
}

TEST(StdKeyFrameTest, ApplyGivesTheRotationRowsAndTranslation) {
  RpHAnimStdKeyFrame key = Key(0.0f, AxisAngle(kAxisZ, 90), {7, 8, 9});
  RwMatrix matrix;
  RpHAnimKeyFrameApply(&matrix, &key);
  EXPECT_NEAR(matrix.right.x, 0.0f, 1e-6f);
  EXPECT_NEAR(matrix.right.y, 1.0f, 1e-6f);
  EXPECT_NEAR(matrix.up.x, -1.0f, 1e-6f);
  EXPECT_NEAR(matrix.at.z, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(matrix.pos.z, 9.0f);
  EXPECT_EQ(matrix.flags, kRwMatrixTypeOrthonormal);
}

}  // namespace
