// Tests of collision volumes: building from shape records, volume against
// volume with contacts in world space, segments and points, on real frames.
#include "game/render/collision/collision_volume.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/game/render/expect_v3d.h"
#include "tests/support/started_engine.h"

namespace {

const tCollisionShapeRecord kEnd = {-1, {}, 0.0f, {}, {}};

tCollisionShapeRecord Sphere(RwV3d origin, f32 radius, RwV3d centre) {
  return tCollisionShapeRecord{static_cast<s32>(kCollisionSphere), origin, radius, centre, {}};
}

tCollisionShapeRecord Capsule(RwV3d origin, f32 radius, RwV3d a, RwV3d b) {
  return tCollisionShapeRecord{static_cast<s32>(kCollisionCapsule), origin, radius, a, b};
}

// A man-like capsule: tips 0 and 5 along local y, radius 0.5, so the axis
// runs from 0.5 to 4.5.
const tCollisionShapeRecord kUpright[] = {Capsule({0.0f, 0.0f, 0.0f}, 0.5f, {0.0f, 0.0f, 0.0f}, {0.0f, 5.0f, 0.0f}),
                                          kEnd};

const cCollisionPrimitive* PrimitiveAt(const cCollisionVolume& volume, u32 index) {
  const cListNode* node = volume.GetPrimitives().First();
  for (u32 i = 0; i < index && node != nullptr; ++i) {
    node = cList::Next(node);
  }
  return static_cast<const cCollisionPrimitive*>(node);
}

// A shape of another kind whose box is the cube of side 2 around the origin.
class cOtherKindShape : public cCollisionShape {
 public:
  explicit cOtherKindShape(RwFrame* frame) : cCollisionShape(7, frame, 2) {
    GrowLocalBox(RwBBox{{1.0f, 1.0f, 1.0f}, {-1.0f, -1.0f, -1.0f}});
  }
  u32 Collide(cCollisionShape*, bool) override { return 0; }
  bool IntersectSegment(const RwV3d&, const RwV3d&, RwV3d*, RwV3d*, bool) override { return false; }
  bool ContainsPoint(const RwV3d&) const override { return false; }
};

class CollisionVolumeTest : public StartedEngineTest {
 protected:
  void TearDown() override {
    for (RwFrame* frame : mFrames) {
      RwFrameDestroy(frame);
    }
    StartedEngineTest::TearDown();
  }

  // A frame turned by degrees about axis, then moved by offset.
  RwFrame* Frame(RwV3d offset, RwV3d axis = {0.0f, 0.0f, 1.0f}, f32 degrees = 0.0f) {
    RwFrame* frame = RwFrameCreate();
    RwFrameRotate(frame, &axis, degrees, kRwCombineReplace);
    RwFrameTranslate(frame, &offset, kRwCombinePostConcat);
    mFrames.push_back(frame);
    return frame;
  }

  std::vector<RwFrame*> mFrames;
};

TEST_F(CollisionVolumeTest, BuildsPrimitivesFromRecords) {
  RwFrame* frame = Frame({0.0f, 0.0f, 0.0f});
  {
    SCOPED_TRACE("capsule tips are moved in by the radius");
    const tCollisionShapeRecord records[] = {Capsule({0.0f, 1.0f, 0.0f}, 0.5f, {0.0f, 1.0f, 0.0f}, {0.0f, 5.0f, 0.0f}),
                                             kEnd};
    cCollisionVolume* volume = BuildCollisionShapes(records, frame);
    ASSERT_NE(nullptr, volume);
    const cCollisionPrimitive* primitive = PrimitiveAt(*volume, 0);
    ASSERT_EQ(kCollisionCapsule, primitive->GetType());
    const tSegment3d& axis = static_cast<const cCollisionCapsule*>(primitive)->GetAxis();
    ExpectV3d(RwV3d{0.0f, 0.5f, 0.0f}, axis.origin);
    ExpectV3d(RwV3d{0.0f, 1.0f, 0.0f}, axis.direction);
    EXPECT_FLOAT_EQ(3.0f, axis.length);
    EXPECT_EQ(kCollisionKindVolume, volume->GetKind());
    EXPECT_EQ(2u, volume->GetContactLimit());
    delete volume;
  }
  {
    SCOPED_TRACE("tips closer than twice the radius reverse the axis");
    const tCollisionShapeRecord records[] = {Capsule({0.0f, 0.0f, 0.0f}, 1.0f, {0.0f, 0.0f, 0.0f}, {0.0f, 1.5f, 0.0f}),
                                             kEnd};
    cCollisionVolume* volume = BuildCollisionShapes(records, frame);
    ASSERT_NE(nullptr, volume);
    const tSegment3d& axis = static_cast<const cCollisionCapsule*>(PrimitiveAt(*volume, 0))->GetAxis();
    ExpectV3d(RwV3d{0.0f, 1.0f, 0.0f}, axis.origin);
    ExpectV3d(RwV3d{0.0f, -1.0f, 0.0f}, axis.direction);
    EXPECT_FLOAT_EQ(0.5f, axis.length);
    delete volume;
  }
  {
    SCOPED_TRACE("a sphere's centre is point A minus the origin; the box holds the origin");
    const tCollisionShapeRecord records[] = {Sphere({1.0f, 1.0f, 1.0f}, 0.5f, {4.0f, 5.0f, 6.0f}), kEnd};
    cCollisionVolume* volume = BuildCollisionShapes(records, frame);
    ASSERT_NE(nullptr, volume);
    ExpectV3d(RwV3d{3.0f, 4.0f, 5.0f}, static_cast<const cCollisionSphere*>(PrimitiveAt(*volume, 0))->GetCentre());
    ExpectV3d(RwV3d{0.0f, 0.0f, 0.0f}, volume->GetLocalBox().inf);
    ExpectV3d(RwV3d{3.5f, 4.5f, 5.5f}, volume->GetLocalBox().sup);
    delete volume;
  }
  {
    SCOPED_TRACE("an unknown type ends the build; the contacts count every record");
    const tCollisionShapeRecord records[] = {
        Sphere({}, 1.0f, {1.0f, 0.0f, 0.0f}), {5, {}, 1.0f, {}, {}}, Sphere({}, 1.0f, {2.0f, 0.0f, 0.0f}), kEnd};
    cCollisionVolume* volume = BuildCollisionShapes(records, frame);
    ASSERT_NE(nullptr, volume);
    EXPECT_EQ(1u, volume->GetPrimitives().Count());
    EXPECT_EQ(6u, volume->GetContactLimit());
    delete volume;
  }
  EXPECT_EQ(nullptr, BuildCollisionShapes(&kEnd, frame));
}

TEST_F(CollisionVolumeTest, WorldBoxFollowsTheFrame) {
  // Turned a quarter about y, local x points along world -z.
  RwFrame* frame = Frame({10.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 90.0f);
  const tCollisionShapeRecord records[] = {Sphere({}, 0.5f, {2.0f, 0.0f, 0.0f}), kEnd};
  cCollisionVolume* volume = BuildCollisionShapes(records, frame);
  ASSERT_NE(nullptr, volume);
  RwBBox box;
  volume->GetWorldBox(&box);
  ExpectV3d(RwV3d{9.5f, -0.5f, -2.5f}, box.inf);
  ExpectV3d(RwV3d{10.5f, 0.5f, 0.0f}, box.sup);
  delete volume;
}

TEST_F(CollisionVolumeTest, CollideGivesWorldContactsUnderTurnedFrames) {
  // Turned a quarter about z and moved: the upright capsule lies along world
  // x at y = 1, its axis from x = 4.5 down to 0.5.
  cCollisionVolume* lying = BuildCollisionShapes(kUpright, Frame({5.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 90.0f));
  const tCollisionShapeRecord ball[] = {Sphere({}, 0.5f, {0.0f, 1.8f, 0.0f}), kEnd};
  cCollisionVolume* sphere = BuildCollisionShapes(ball, Frame({3.0f, 0.0f, 0.0f}));
  // Upright at x = 3, z = 0.8, its axis from y = -1.5 to 2.5.
  cCollisionVolume* upright = BuildCollisionShapes(kUpright, Frame({3.0f, -2.0f, 0.8f}));
  ASSERT_TRUE(lying != nullptr && sphere != nullptr && upright != nullptr);
  {
    SCOPED_TRACE("capsule against sphere");
    ASSERT_EQ(1u, lying->Collide(sphere, false));
    const tCollisionContact& contact = lying->GetContact(0);
    ExpectV3d(RwV3d{3.0f, 1.4f, 0.0f}, contact.point);
    ExpectV3d(RwV3d{0.0f, -1.0f, 0.0f}, contact.normal);
    EXPECT_NEAR(0.2f, contact.depth, 1e-5f);
  }
  {
    SCOPED_TRACE("sphere against capsule: handed over, answered in world space");
    ASSERT_EQ(1u, sphere->Collide(lying, false));
    const tCollisionContact& contact = sphere->GetContact(0);
    ExpectV3d(RwV3d{3.0f, 1.4f, 0.0f}, contact.point);
    ExpectV3d(RwV3d{0.0f, 1.0f, 0.0f}, contact.normal);
    EXPECT_NEAR(0.2f, contact.depth, 1e-5f);
  }
  {
    SCOPED_TRACE("crossing capsules");
    ASSERT_EQ(1u, lying->Collide(upright, true));
    const tCollisionContact& contact = lying->GetContact(0);
    ExpectV3d(RwV3d{3.0f, 1.0f, 0.4f}, contact.point);
    ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, contact.normal);
    EXPECT_NEAR(0.2f, contact.depth, 1e-5f);
  }
  {
    SCOPED_TRACE("a contact's object is left as it was");
    RpAtomic* marker = reinterpret_cast<RpAtomic*>(&lying);
    lying->GetContact(0).object = marker;
    ASSERT_EQ(1u, lying->Collide(upright, true));
    EXPECT_EQ(marker, lying->GetContact(0).object);
  }
  delete upright;
  delete sphere;
  delete lying;
}

TEST_F(CollisionVolumeTest, CollideGrowsTheContactArrayKeepingEarlierContacts) {
  const tCollisionShapeRecord one[] = {Sphere({}, 1.0f, {0.0f, 0.0f, 0.0f}), kEnd};
  // Three spheres in a row along x, 1.5, 1.2 and 1.0 from the first one.
  const tCollisionShapeRecord three[] = {Sphere({}, 1.0f, {1.5f, 0.0f, 0.0f}), Sphere({}, 1.0f, {0.0f, 1.2f, 0.0f}),
                                         Sphere({}, 1.0f, {0.0f, 0.0f, -1.0f}), kEnd};
  cCollisionVolume* single = BuildCollisionShapes(one, Frame({0.0f, 0.0f, 0.0f}));
  cCollisionVolume* triple = BuildCollisionShapes(three, Frame({0.0f, 0.0f, 0.0f}));
  ASSERT_TRUE(single != nullptr && triple != nullptr);
  ASSERT_EQ(2u, single->GetContactLimit());
  ASSERT_EQ(3u, single->Collide(triple, false));
  EXPECT_EQ(4u, single->GetContactLimit());
  ExpectV3d(RwV3d{0.75f, 0.0f, 0.0f}, single->GetContact(0).point);
  ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, single->GetContact(0).normal);
  EXPECT_NEAR(0.5f, single->GetContact(0).depth, 1e-6f);
  ExpectV3d(RwV3d{0.0f, 0.6f, 0.0f}, single->GetContact(1).point);
  EXPECT_NEAR(0.8f, single->GetContact(1).depth, 1e-6f);
  ExpectV3d(RwV3d{0.0f, 0.0f, 1.0f}, single->GetContact(2).normal);
  EXPECT_NEAR(1.0f, single->GetContact(2).depth, 1e-6f);

  EXPECT_EQ(1u, single->Collide(triple, true));
  EXPECT_EQ(4u, single->GetContactLimit());
  delete triple;
  delete single;
}

TEST_F(CollisionVolumeTest, CollideAnswersNothingOutsideTheBoxesOrForOtherKinds) {
  RwFrame* frame = Frame({0.0f, 0.0f, 0.0f});
  cCollisionVolume* a = BuildCollisionShapes(kUpright, frame);
  cCollisionVolume* far = BuildCollisionShapes(kUpright, Frame({1.5f, 0.0f, 0.0f}));
  // The boxes touch at x = 0.5 + 0.5 but the capsules do not meet.
  cCollisionVolume* touching = BuildCollisionShapes(kUpright, Frame({1.0f, 0.0f, 0.0f}));
  cOtherKindShape other(frame);
  ASSERT_TRUE(a != nullptr && far != nullptr && touching != nullptr);
  EXPECT_EQ(0u, a->Collide(far, false));
  EXPECT_EQ(0u, a->Collide(touching, false));
  EXPECT_EQ(0u, a->Collide(&other, false));
  delete touching;
  delete far;
  delete a;
}

TEST_F(CollisionVolumeTest, IntersectSegment) {
  // The lying capsule of the contact test, and two spheres along x.
  cCollisionVolume* lying = BuildCollisionShapes(kUpright, Frame({5.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 90.0f));
  const tCollisionShapeRecord pair[] = {Sphere({}, 1.0f, {0.0f, 0.0f, 0.0f}), Sphere({}, 1.0f, {4.0f, 0.0f, 0.0f}),
                                        kEnd};
  cCollisionVolume* spheres = BuildCollisionShapes(pair, Frame({0.0f, 0.0f, 0.0f}));
  ASSERT_TRUE(lying != nullptr && spheres != nullptr);
  RwV3d point, normal;
  {
    SCOPED_TRACE("down through the lying capsule");
    const RwV3d p0{3.0f, 5.0f, 0.3f}, p1{3.0f, -5.0f, 0.3f};
    ASSERT_TRUE(lying->IntersectSegment(p0, p1, &point, &normal, true));
    ExpectV3d(RwV3d{3.0f, 1.4f, 0.3f}, point);
    ExpectV3d(RwV3d{0.0f, 0.8f, 0.6f}, normal);
    ASSERT_TRUE(lying->IntersectSegment(p0, p1, &point, &normal, false));
    ExpectV3d(RwV3d{3.0f, 1.0f, 0.3f}, point);
    ExpectV3d(RwV3d{0.0f, 0.0f, 1.0f}, normal);
  }
  {
    SCOPED_TRACE("through both spheres");
    const RwV3d p0{-3.0f, 0.6f, 0.0f}, p1{7.0f, 0.6f, 0.0f};
    ASSERT_TRUE(spheres->IntersectSegment(p0, p1, &point, &normal, true));
    ExpectV3d(RwV3d{-0.8f, 0.6f, 0.0f}, point);
    ExpectV3d(RwV3d{-0.8f, 0.6f, 0.0f}, normal);
    ASSERT_TRUE(spheres->IntersectSegment(p0, p1, &point, &normal, false));
    ExpectV3d(RwV3d{2.0f, 0.6f, 0.0f}, point);
    ExpectV3d(RwV3d{0.0f, 1.0f, 0.0f}, normal);
  }
  {
    SCOPED_TRACE("a miss outside the box leaves the out-values");
    point = normal = RwV3d{9.0f, 9.0f, 9.0f};
    EXPECT_FALSE(spheres->IntersectSegment(RwV3d{-3.0f, 5.0f, 0.0f}, RwV3d{7.0f, 5.0f, 0.0f}, &point, &normal, false));
    ExpectV3d(RwV3d{9.0f, 9.0f, 9.0f}, point);
    ExpectV3d(RwV3d{9.0f, 9.0f, 9.0f}, normal);
  }
  {
    SCOPED_TRACE("a miss inside the box");
    EXPECT_FALSE(spheres->IntersectSegment(RwV3d{2.0f, -3.0f, 0.0f}, RwV3d{2.0f, 3.0f, 0.0f}, &point, &normal, true));
  }
  delete spheres;
  delete lying;
}

TEST_F(CollisionVolumeTest, ContainsPointInLocalSpace) {
  const tCollisionShapeRecord records[] = {Sphere({}, 1.0f, {0.0f, 6.0f, 0.0f}), kUpright[0], kEnd};
  cCollisionVolume* volume = BuildCollisionShapes(records, Frame({100.0f, 0.0f, 0.0f}));
  ASSERT_NE(nullptr, volume);
  EXPECT_TRUE(volume->ContainsPoint(RwV3d{0.4f, 2.0f, 0.0f}));
  EXPECT_TRUE(volume->ContainsPoint(RwV3d{0.0f, 6.9f, 0.0f}));
  EXPECT_TRUE(volume->ContainsPoint(RwV3d{0.0f, 0.0f, 0.0f}));
  EXPECT_FALSE(volume->ContainsPoint(RwV3d{0.6f, 5.0f, 0.0f}));
  EXPECT_FALSE(volume->ContainsPoint(RwV3d{100.0f, 2.0f, 0.0f}));
  delete volume;
}

}  // namespace
