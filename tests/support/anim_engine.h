// Engine fixture and key helpers for tests of animations and skeletons: the
// engine started with the animation toolkit and hierarchical animation
// attached, and quaternions built from an axis and an angle.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

inline bool AttachAnimationPlugins() { return RtAnimPluginAttach() && RpHAnimPluginAttach(); }

class AnimEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachAnimationPlugins); }
};

// The rotation by degrees about the unit axis.
inline RtQuat AxisAngle(RwV3d axis, double degrees) {
  const double half = degrees * M_PI / 360.0;
  const double s = std::sin(half);
  return {{static_cast<RwReal>(axis.x * s), static_cast<RwReal>(axis.y * s), static_cast<RwReal>(axis.z * s)},
          static_cast<RwReal>(std::cos(half))};
}

constexpr RtQuat kNoRotation = {{0.0f, 0.0f, 0.0f}, 1.0f};
constexpr RwV3d kAxisX = {1.0f, 0.0f, 0.0f};
constexpr RwV3d kAxisY = {0.0f, 1.0f, 0.0f};
constexpr RwV3d kAxisZ = {0.0f, 0.0f, 1.0f};

inline ForgeKey MakeKey(RwReal time, RtQuat rotation, RwV3d translation) { return {time, rotation, translation}; }

// Two keys a node, unmoving: a rest pose of node count nodes lasting duration.
inline ForgeAnimation RestAnimation(int nodes, RwReal duration) {
  ForgeAnimation animation;
  animation.duration = duration;
  for (int i = 0; i < nodes; i++) {
    animation.nodes.push_back({MakeKey(0.0f, kNoRotation, {}), MakeKey(duration, kNoRotation, {})});
  }
  return animation;
}

inline void ExpectVector(const RwV3d& actual, const RwV3d& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectQuat(const RtQuat& actual, const RtQuat& expected, float tolerance = 1e-6f) {
  ExpectVector(actual.imag, expected.imag, tolerance);
  EXPECT_NEAR(actual.real, expected.real, tolerance);
}
