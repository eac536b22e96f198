// Tests of the level's collision queries on a forged room: its collision
// twin carries the trees, a pillar stands in it and a box object whose
// geometry got its collision data at run time sits turned on the floor.
#include "game/render/collision/world_collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "game/render/collision/collision_volume.h"
#include "game/render/collision/intersection.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

namespace {

const f32 kRoot2 = sqrtf(2.0f);
const RwV3d kUp = {0.0f, 1.0f, 0.0f};
const tCollisionShapeRecord kShapesEnd = {-1, {}, 0.0f, {}, {}};

// Where the line a to b enters the triangle's front face, as a fraction of the line.
bool LineEntersTriangle(const RwV3d& a, const RwV3d& b, const tTriangle& triangle, f32* fraction) {
  const RwV3d* v = triangle.vertices;
  RwV3d d, e1, e2, p, s, q;
  RwV3dSub(&d, &b, &a);
  RwV3dSub(&e1, &v[1], &v[0]);
  RwV3dSub(&e2, &v[2], &v[0]);
  RwV3dCrossProduct(&p, &d, &e2);
  f32 det = RwV3dDotProduct(&e1, &p);
  RwV3dSub(&s, &a, &v[0]);
  RwV3dCrossProduct(&q, &s, &e1);
  f32 u = RwV3dDotProduct(&s, &p) / det;
  f32 w = RwV3dDotProduct(&d, &q) / det;
  *fraction = RwV3dDotProduct(&e2, &q) / det;
  return det > 1e-8f && u >= 0.0f && w >= 0.0f && u + w <= 1.0f && *fraction >= 0.0f && *fraction <= 1.0f;
}

class WorldCollisionTest : public StartedEngineTest {
 protected:
  static bool AttachPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach(); }

  void SetUp() override {
    StartEngine(AttachPlugins);
    // The room (20 x 6 x 20, floor at y 0) faces in; the pillar faces out.
    ForgeSoup soup;
    soup.materials.emplace_back();
    ForgeAddBox(&soup, {-10.0f, 0.0f, -10.0f}, {10.0f, 6.0f, 10.0f}, 0);
    for (ForgeTriangle& triangle : soup.triangles) {
      std::swap(triangle.vertex[1], triangle.vertex[2]);
    }
    ForgeAddBox(&soup, {4.0f, 0.0f, -1.0f}, {5.0f, 6.0f, 1.0f}, 0);
    for (const ForgeTriangle& triangle : soup.triangles) {
      mTriangles.push_back({{soup.vertices[triangle.vertex[0]].position, soup.vertices[triangle.vertex[1]].position,
                             soup.vertices[triangle.vertex[2]].position}});
    }
    mRoomTriangles = mTriangles.size();
    ForgeWorldOptions options;
    options.maxSectorTriangles = 4;
    mTwin = ForgeWorldCreate(soup, options);
    options.collisionTrees = false;
    mDrawn = ForgeWorldCreate(soup, options);
    ASSERT_NE(nullptr, mTwin);
    ASSERT_NE(nullptr, mDrawn);

    // The object: a cube of side 2 on the floor at (-5, 1, 0), turned 45
    // degrees about y, so its sides face (+-1, 0, +-1) / sqrt 2.
    ForgePart part;
    part.size = {2.0f, 2.0f, 2.0f};
    mClump = ForgeClumpCreate({part});
    ASSERT_NE(nullptr, mClump);
    RpClumpForAllAtomics(
        mClump, [](RpAtomic* atomic, void* data) { return *static_cast<RpAtomic**>(data) = atomic; }, &mObject);
    ASSERT_NE(nullptr, RpCollisionGeometryBuildData(RpAtomicGetGeometry(mObject)));
    RwFrame* frame = RpClumpGetFrame(mClump);
    RwFrameRotate(frame, &kUp, 45.0f, kRwCombineReplace);
    const RwV3d at = {-5.0f, 1.0f, 0.0f};
    RwFrameTranslate(frame, &at, kRwCombinePostConcat);
    RpWorldAddClump(mTwin, mClump);
    const RpGeometry* geometry = RpAtomicGetGeometry(mObject);
    for (RwInt32 i = 0; i < geometry->numTriangles; ++i) {
      tTriangle triangle;
      for (int c = 0; c < 3; ++c) {
        triangle.vertices[c] = geometry->morphTarget[0].verts[geometry->triangles[i].vertIndex[c]];
      }
      RwV3dTransformPoints(triangle.vertices, triangle.vertices, 3, RwFrameGetLTM(RpAtomicGetFrame(mObject)));
      mTriangles.push_back(triangle);
    }
    mCollision.reset(new cWorldCollision(mDrawn, mTwin, 1));
  }

  void TearDown() override {
    mVolumes.clear();
    for (RwFrame* frame : mFrames) {
      RwFrameDestroy(frame);
    }
    if (mClump != nullptr) {
      RpWorldRemoveClump(mTwin, mClump);
      RpClumpDestroy(mClump);
    }
    for (RpWorld* world : {mTwin, mDrawn}) {
      if (world != nullptr) {
        RpWorldDestroy(world);
      }
    }
    StartedEngineTest::TearDown();
  }

  // The volume of the records on a frame turned by degrees about z, then moved to at.
  cCollisionVolume* Volume(const tCollisionShapeRecord* records, RwV3d at, f32 degrees = 0.0f) {
    RwFrame* frame = RwFrameCreate();
    const RwV3d axis = {0.0f, 0.0f, 1.0f};
    RwFrameRotate(frame, &axis, degrees, kRwCombineReplace);
    RwFrameTranslate(frame, &at, kRwCombinePostConcat);
    mFrames.push_back(frame);
    mVolumes.emplace_back(BuildCollisionShapes(records, frame));
    return mVolumes.back().get();
  }

  void ExpectContact(const cCollisionVolume& volume, u32 index, RwV3d point, RwV3d normal, f32 depth,
                     RpAtomic* object) {
    SCOPED_TRACE(index);
    const tCollisionContact& contact = volume.GetContact(index);
    ExpectV3d(point, contact.point, 1e-4f);
    ExpectV3d(normal, contact.normal, 1e-4f);
    EXPECT_NEAR(depth, contact.depth, 1e-4f);
    EXPECT_EQ(object, contact.object);
  }

  // The segment's answer over every triangle of the room and the object.
  bool BruteForce(const tSegment3d& segment, bool nearest, RwV3d* point, RwV3d* normal, RpAtomic** object) {
    f32 sum = 0.0f, best = 2.0f;
    u32 hits = 0;
    RwV3d normalSum = {0.0f, 0.0f, 0.0f};
    bool nearestOnObject = false, anyOnObject = false;
    for (size_t i = 0; i < mTriangles.size(); ++i) {
      f32 fraction;
      if (!LineEntersTriangle(segment.origin, SegmentEnd(segment), mTriangles[i], &fraction)) {
        continue;
      }
      RwV3d n;
      TriangleNormal(mTriangles[i], &n);
      RwV3dNormalize(&n, &n);
      ++hits;
      sum += fraction;
      RwV3dAdd(&normalSum, &normalSum, &n);
      anyOnObject = anyOnObject || i >= mRoomTriangles;
      if (fraction < best) {
        best = fraction;
        *normal = n;
        nearestOnObject = i >= mRoomTriangles;
      }
    }
    if (!nearest && hits > 0) {
      best = sum / static_cast<f32>(hits);
      RwV3dNormalize(normal, &normalSum);
    }
    *point = segment.PointAt(segment.length * best);
    *object = (nearest ? nearestOnObject : anyOnObject) ? mObject : nullptr;
    return hits > 0;
  }

  RpWorld* mTwin = nullptr;
  RpWorld* mDrawn = nullptr;
  RpClump* mClump = nullptr;
  RpAtomic* mObject = nullptr;
  std::unique_ptr<cWorldCollision> mCollision;
  std::vector<tTriangle> mTriangles;  // the room's, then the object's in world space
  size_t mRoomTriangles = 0;
  std::vector<RwFrame*> mFrames;
  std::vector<std::unique_ptr<cCollisionVolume>> mVolumes;
};

TEST_F(WorldCollisionTest, SegmentsInSumNearestAndFirstModes) {
  EXPECT_EQ(mDrawn, mCollision->GetWorld());
  RwV3d point, normal;
  RpAtomic* object = mObject;
  // Through the pillar's face at x 4 and the room's wall at x 10.
  tSegment3d through({0.0f, 2.0f, -0.4f}, {12.0f, 2.0f, -0.4f});
  ASSERT_TRUE(mCollision->IntersectSegment(through, &point, &normal, &object, false, false, 0, false));
  ExpectV3d({7.0f, 2.0f, -0.4f}, point, 1e-4f);
  ExpectV3d({-1.0f, 0.0f, 0.0f}, normal);
  EXPECT_EQ(nullptr, object);
  ASSERT_TRUE(mCollision->IntersectSegment(through, &point, &normal, nullptr, true, false, 0, false));
  ExpectV3d({4.0f, 2.0f, -0.4f}, point, 1e-4f);
  ASSERT_TRUE(mCollision->IntersectSegment(through, &point, &normal, nullptr, false, true, 0, true));
  EXPECT_TRUE(fabsf(point.x - 4.0f) < 1e-4f || fabsf(point.x - 10.0f) < 1e-4f) << point.x;

  // The drawn world has no collision trees: queries walk the twin only.
  cWorldCollision drawnOnly(mTwin, mDrawn, 0);
  EXPECT_FALSE(drawnOnly.IntersectSegment(through, &point, &normal, nullptr, true, false, 0, true));

  {
    SCOPED_TRACE("the object, world only, and the object masked out by its flags");
    tSegment3d towards({-9.0f, 1.3f, 0.1f}, {-1.0f, 1.3f, 0.1f});
    ASSERT_TRUE(mCollision->IntersectSegment(towards, &point, &normal, &object, true, false, 0x2, false));
    ExpectV3d({-5.0f + 0.1f - kRoot2, 1.3f, 0.1f}, point, 1e-4f);
    EXPECT_EQ(mObject, object);
    EXPECT_FALSE(mCollision->IntersectSegment(towards, &point, &normal, &object, true, false, 0, true));
    EXPECT_FALSE(mCollision->IntersectSegment(towards, &point, &normal, &object, true, false, rpATOMICRENDER, false));
  }
  SCOPED_TRACE("a miss leaves point and normal, and clears the object");
  object = mObject;
  point = normal = RwV3d{9.0f, 9.0f, 9.0f};
  EXPECT_FALSE(mCollision->IntersectSegment(tSegment3d({0.0f, 2.0f, 0.0f}, {1.0f, 2.0f, 0.0f}), &point, &normal,
                                            &object, false, false, 0, false));
  ExpectV3d({9.0f, 9.0f, 9.0f}, point);
  ExpectV3d({9.0f, 9.0f, 9.0f}, normal);
  EXPECT_EQ(nullptr, object);
}

// Also the hit object, the object's turned normals and both modes' folding.
TEST_F(WorldCollisionTest, SegmentsAgreeWithBruteForce) {
  std::mt19937 random(33);
  std::uniform_real_distribution<f32> across(-13.0f, 13.0f), high(-0.5f, 6.5f);
  int hits = 0, objectHits = 0;
  for (int i = 0; i < 300; ++i) {
    tSegment3d segment({across(random), high(random), across(random)}, {across(random), high(random), across(random)});
    for (bool nearest : {false, true}) {
      SCOPED_TRACE(testing::Message() << "segment " << i << (nearest ? " nearest" : " sum"));
      RwV3d point, normal, expectedPoint, expectedNormal;
      RpAtomic *object, *expectedObject;
      bool hit = mCollision->IntersectSegment(segment, &point, &normal, &object, nearest, false, 0, false);
      ASSERT_EQ(BruteForce(segment, nearest, &expectedPoint, &expectedNormal, &expectedObject), hit);
      if (hit) {
        ++hits;
        objectHits += object != nullptr ? 1 : 0;
        ExpectV3d(expectedPoint, point, 1e-3f);
        ExpectV3d(expectedNormal, normal, 1e-3f);
        EXPECT_EQ(expectedObject, object);
      }
    }
  }
  EXPECT_GT(hits, 250);
  EXPECT_GT(objectHits, 10);
}

TEST_F(WorldCollisionTest, SphereOnTheFloor) {
  const tCollisionShapeRecord ball[] = {{static_cast<s32>(kCollisionSphere), {}, 0.5f, {}, {}}, kShapesEnd};
  // Centre on the floor's plane, no edge in reach: the face point is the centre.
  cCollisionVolume* volume = Volume(ball, {2.0f, 0.0f, 3.0f});
  ASSERT_EQ(1u, mCollision->CollideVolume(volume, false, 0));
  ExpectContact(*volume, 0, {2.0f, 0.0f, 3.0f}, kUp, 0.5f, nullptr);
  EXPECT_EQ(0u, mCollision->CollideVolume(Volume(ball, {2.0f, 0.5f, 3.0f}), false, 0)) << "merely touching";
}

TEST_F(WorldCollisionTest, CapsulesAgainstWallCornerAndObject) {
  // Tips 0 and 2 along local y, radius 0.5: the axis runs from 0.5 to 1.5.
  const tCollisionShapeRecord upright[] = {
      {static_cast<s32>(kCollisionCapsule), {}, 0.5f, {0.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}}, kShapesEnd};
  const RwV3d wall = {1.0f, 0.0f, 0.0f};
  {
    SCOPED_TRACE("0.25 into the wall at x -10: the two end spheres");
    cCollisionVolume* volume = Volume(upright, {-9.75f, 2.0f, -5.0f});
    ASSERT_EQ(2u, mCollision->CollideVolume(volume, false, 0));
    ExpectContact(*volume, 0, {-10.0f, 2.5f, -5.0f}, wall, 0.25f, nullptr);
    ExpectContact(*volume, 1, {-10.0f, 3.5f, -5.0f}, wall, 0.25f, nullptr);
    EXPECT_EQ(1u, mCollision->CollideVolume(volume, true, 0));
  }
  {
    SCOPED_TRACE("into the corner with the wall at z 10: ends and body, each world contact once");
    cCollisionVolume* volume = Volume(upright, {-9.75f, 2.0f, 9.75f});
    ASSERT_EQ(3u, mCollision->CollideVolume(volume, false, 0));
    const RwV3d out = {1.0f / kRoot2, 0.0f, -1.0f / kRoot2};
    const f32 depth = 0.5f - 0.25f * kRoot2;
    ExpectContact(*volume, 0, {-10.0f, 2.5f, 10.0f}, out, depth, nullptr);
    ExpectContact(*volume, 1, {-10.0f, 3.5f, 10.0f}, out, depth, nullptr);
    ExpectContact(*volume, 2, {-10.0f, 3.0f, 10.0f}, out, depth, nullptr);
  }
  {
    SCOPED_TRACE("turned to lie along x, its axis through the wall: the body's crossing point");
    const tCollisionShapeRecord centred[] = {
        {static_cast<s32>(kCollisionCapsule), {}, 0.5f, {0.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}}, kShapesEnd};
    cCollisionVolume* volume = Volume(centred, {-10.25f, 3.0f, -5.0f}, 90.0f);
    ASSERT_EQ(1u, mCollision->CollideVolume(volume, false, 0));
    ExpectContact(*volume, 0, {-10.0f, 3.0f, -5.0f}, wall, 0.75f, nullptr);
  }
  SCOPED_TRACE("through the object's top, unless masked out");
  const tCollisionShapeRecord thin[] = {
      {static_cast<s32>(kCollisionCapsule), {}, 0.2f, {0.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}}, kShapesEnd};
  cCollisionVolume* volume = Volume(thin, {-5.4f, 1.5f, 0.4f});
  ASSERT_EQ(1u, mCollision->CollideVolume(volume, false, 0));
  ExpectContact(*volume, 0, {-5.4f, 2.0f, 0.4f}, kUp, 0.2f, mObject);
  EXPECT_EQ(0u, mCollision->CollideVolume(volume, false, rpATOMICRENDER));
}

}  // namespace
