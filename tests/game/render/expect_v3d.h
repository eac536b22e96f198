// The vector comparison shared by the collision tests.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"

// Every component of actual within tolerance of expected.
inline void ExpectV3d(const RwV3d& expected, const RwV3d& actual, float tolerance = 1e-5f) {
  EXPECT_NEAR(expected.x, actual.x, tolerance);
  EXPECT_NEAR(expected.y, actual.y, tolerance);
  EXPECT_NEAR(expected.z, actual.z, tolerance);
}
