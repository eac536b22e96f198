// Atomics: geometry references, world bounding spheres that follow their
// frames, and the bounding-sphere interpolation between morph targets.
#include "engine/world/atomic.h"

#include <gtest/gtest.h>

#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::Live;
using world_test::WorldTest;

class AtomicTest : public WorldTest {
 protected:
  // Three vertices and the given morph targets, target i's sphere centred at
  // (i, 0, 0) with radius i + 1.
  static RpGeometry* Targets(RwInt32 count) {
    RpGeometry* geometry = RpGeometryCreate(3, 0, 0);
    RpGeometryAddMorphTargets(geometry, count - 1);
    for (RwInt32 i = 0; i < count; ++i) {
      geometry->morphTarget[i].boundingSphere = {{static_cast<RwReal>(i), 0.0f, 0.0f}, static_cast<RwReal>(i + 1)};
    }
    return geometry;
  }
};

TEST_F(AtomicTest, GeometryReferences) {
  RpAtomic* atomic = RpAtomicCreate();
  ASSERT_NE(atomic, nullptr);
  EXPECT_EQ(RpAtomicGetFlags(atomic), static_cast<RwUInt32>(rpATOMICCOLLISIONTEST | rpATOMICRENDER));
  EXPECT_EQ(RpAtomicGetWorld(atomic), nullptr);  // no world-object plugin attached
  RpGeometry* geometry = Targets(2);
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpAtomicSetGeometry(atomic, geometry, 0);  // the same geometry: no second reference
  EXPECT_EQ(geometry->refCount, 2);
  EXPECT_EQ(atomic->boundingSphere.radius, 1.0f);
  SCOPED_TRACE("flags bit 0 keeps the atomic's sphere");
  RpGeometry* other = Targets(1);
  atomic->boundingSphere = {{5.0f, 5.0f, 5.0f}, 7.0f};
  RpAtomicSetGeometry(atomic, other, 1);
  EXPECT_EQ(atomic->boundingSphere.radius, 7.0f);
  EXPECT_EQ(geometry->refCount, 1);
  RpGeometryDestroy(other);
  RpAtomicDestroy(atomic);  // frees the other geometry with the last reference
  RpGeometryDestroy(geometry);
  EXPECT_EQ(Live().atomics, 0);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(AtomicTest, WorldBoundingSphereFollowsTheFrame) {
  RpAtomic* atomic = RpAtomicCreate();
  atomic->boundingSphere = {{1.0f, 0.0f, 0.0f}, 2.0f};
  atomic->interpolator.flags = 0;
  EXPECT_EQ(RpAtomicGetWorldBoundingSphere(atomic)->center.x, 1.0f);  // no frame: the local sphere

  RwFrame* frame = RwFrameCreate();
  RpAtomicSetFrame(atomic, frame);
  const RwV3d along = {10.0f, 0.0f, 0.0f};
  RwFrameTranslate(frame, &along, kRwCombineReplace);
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(atomic);
  EXPECT_EQ(sphere->center.x, 11.0f);
  EXPECT_EQ(sphere->radius, 2.0f);

  SCOPED_TRACE("a rotation keeps the radius, a scale of 2 on one axis doubles it");
  const RwV3d up = {0.0f, 0.0f, 1.0f};
  RwFrameRotate(frame, &up, 90.0f, kRwCombinePostConcat);
  RwFrameSyncDirty();
  sphere = RpAtomicGetWorldBoundingSphere(atomic);
  EXPECT_NEAR(sphere->center.y, 11.0f, 1e-4f);
  EXPECT_NEAR(sphere->radius, 2.0f, 1e-3f);
  const RwV3d stretch = {1.0f, 2.0f, 1.0f};
  RwFrameScale(frame, &stretch, kRwCombinePostConcat);
  sphere = RpAtomicGetWorldBoundingSphere(atomic);
  EXPECT_NEAR(sphere->center.y, 22.0f, 1e-3f);
  EXPECT_NEAR(sphere->radius, 4.0f, 1e-2f);

  SCOPED_TRACE("a new geometry's sphere reaches the world sphere without a frame move");
  RwFrameSyncDirty();
  RpGeometry* geometry = Targets(1);
  geometry->morphTarget[0].boundingSphere = {{0.0f, 0.0f, 0.0f}, 3.0f};
  RpAtomicSetGeometry(atomic, geometry, 0);
  EXPECT_NEAR(RpAtomicGetWorldBoundingSphere(atomic)->radius, 6.0f, 2e-2f);
  RpGeometryDestroy(geometry);
  RpAtomicDestroy(atomic);
  RwFrameDestroy(frame);
}

TEST_F(AtomicTest, SphereInterpolationBetweenMorphTargets) {
  struct Case {
    RwInt16 start;
    RwInt16 end;
    RwReal position;
    RwReal centerX;
    RwReal radius;
  };
  // Three targets: centre x = index, radius = index + 1.
  const Case cases[] = {
      {1, 1, 0.5f, 1.0f, 2.0f},   // equal targets: that target
      {0, 2, 0.5f, 1.0f, 2.0f},   // halfway from 0 to 2
      {2, 0, 0.25f, 1.5f, 2.5f},  // a quarter back from 2 to 0
      {3, 3, 0.0f, 0.0f, 1.0f},   // equal but past the end: target 0
      {0, 5, 0.5f, 0.0f, 1.0f},   // one past the end: target 0
      {-1, 2, 0.5f, 0.0f, 1.0f},  // negative: target 0, never a read before the array
  };
  RpGeometry* geometry = Targets(3);
  RpAtomic* atomic = RpAtomicCreate();
  RpAtomicSetGeometry(atomic, geometry, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " to " << c.end << " at " << c.position);
    atomic->interpolator = {rpINTERPOLATORDIRTYSPHERE, c.start, c.end, 1.0f, 1.0f, c.position};
    atomic->object.object.privateFlags = 0;
    RpAtomicInterpolateBoundingSphere(atomic);
    EXPECT_FLOAT_EQ(atomic->boundingSphere.center.x, c.centerX);
    EXPECT_FLOAT_EQ(atomic->boundingSphere.radius, c.radius);
    EXPECT_EQ(atomic->interpolator.flags & rpINTERPOLATORDIRTYSPHERE, 0);
    EXPECT_EQ(atomic->object.object.privateFlags & kRpAtomicPrivateWorldBoundDirty, kRpAtomicPrivateWorldBoundDirty);
  }

  SCOPED_TRACE("the world sphere and a frame move re-interpolate a sphere marked dirty");
  atomic->interpolator = {rpINTERPOLATORDIRTYSPHERE, 2, 2, 1.0f, 1.0f, 0.0f};
  EXPECT_EQ(RpAtomicGetWorldBoundingSphere(atomic)->radius, 3.0f);
  RwFrame* frame = RwFrameCreate();
  RpAtomicSetFrame(atomic, frame);
  RwFrameSyncDirty();
  atomic->interpolator = {rpINTERPOLATORDIRTYSPHERE, 1, 1, 1.0f, 1.0f, 0.0f};
  RwFrameSetIdentity(frame);
  RwFrameSyncDirty();
  EXPECT_EQ(atomic->boundingSphere.radius, 2.0f);
  EXPECT_EQ(atomic->interpolator.flags, 0);
  RpAtomicDestroy(atomic);
  RpGeometryDestroy(geometry);
  RwFrameDestroy(frame);
}

}  // namespace
