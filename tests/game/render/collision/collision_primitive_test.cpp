// Tests of sphere and capsule primitives: the other primitive brought in
// through the matrix, and the pair table's hand-over.
#include "game/render/collision/collision_primitive.h"

#include <gtest/gtest.h>

#include "tests/game/render/expect_v3d.h"

namespace {

// A quarter turn about z (local x becomes y) and then a move by offset.
RwMatrix QuarterTurnAboutZ(const RwV3d& offset) {
  RwMatrix m = {};
  m.right = RwV3d{0.0f, 1.0f, 0.0f};
  m.up = RwV3d{-1.0f, 0.0f, 0.0f};
  m.at = RwV3d{0.0f, 0.0f, 1.0f};
  m.pos = offset;
  return m;
}

TEST(CollisionPrimitiveTest, OtherPrimitiveComesInThroughTheMatrix) {
  // The capsule's axis runs along y from 0 to 4; the other primitives lie
  // along x in their space, which the matrix turns onto y and moves by 1 in x.
  const cCollisionCapsule capsule(tSegment3d(RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{0.0f, 4.0f, 0.0f}), 0.5f);
  const RwMatrix otherToCapsule = QuarterTurnAboutZ(RwV3d{1.8f, 0.0f, 0.0f});
  RwV3d point, normal;
  f32 depth = 0.0f;
  {
    SCOPED_TRACE("sphere at 2 along the other's x: (1.8, 2, 0) here");
    const cCollisionSphere sphere(RwV3d{2.0f, 0.0f, 0.0f}, 1.5f);
    EXPECT_TRUE(capsule.Collide(sphere, otherToCapsule, &point, &normal, &depth));
    ExpectV3d(RwV3d{0.4f, 2.0f, 0.0f}, point);
    ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, normal);
    EXPECT_NEAR(0.2f, depth, 1e-6f);
  }
  {
    SCOPED_TRACE("the sphere hands the test over and turns the normal");
    // The capsule is now the other: the matrix maps the sphere's space into
    // the capsule's, and the answer is in the capsule's space.
    const cCollisionSphere sphere(RwV3d{2.0f, 0.0f, 0.0f}, 1.5f);
    depth = 0.0f;
    EXPECT_TRUE(sphere.Collide(capsule, otherToCapsule, &point, &normal, &depth));
    ExpectV3d(RwV3d{0.4f, 2.0f, 0.0f}, point);
    ExpectV3d(RwV3d{1.0f, 0.0f, 0.0f}, normal);
    EXPECT_NEAR(0.2f, depth, 1e-6f);
  }
  {
    SCOPED_TRACE("capsule along the other's x: parallel, 1.8 apart");
    const cCollisionCapsule other(tSegment3d(RwV3d{2.0f, 0.0f, 0.0f}, RwV3d{8.0f, 0.0f, 0.0f}), 1.5f);
    EXPECT_TRUE(capsule.Collide(other, otherToCapsule, &point, &normal, nullptr));
    ExpectV3d(RwV3d{0.4f, 3.0f, 0.0f}, point);  // the overlap is y 2..4
    ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, normal);
  }
  {
    SCOPED_TRACE("spheres");
    const cCollisionSphere sphere(RwV3d{0.0f, 0.0f, 0.0f}, 1.0f);
    const cCollisionSphere other(RwV3d{0.0f, 0.0f, 0.0f}, 1.0f);
    EXPECT_TRUE(sphere.Collide(other, otherToCapsule, &point, &normal, nullptr));
    ExpectV3d(RwV3d{0.9f, 0.0f, 0.0f}, point);
    EXPECT_FALSE(sphere.Collide(other, QuarterTurnAboutZ(RwV3d{2.0f, 0.0f, 0.0f}), &point, &normal, nullptr));
  }
}

}  // namespace
