// An animated model read from a forged skinned tube of 40 bones and forged
// ".anm" files, drawn on the Direct3D 8 stand-in and read back: it walks by
// its root motion, bends through a cross-fade, and its skinned atomic is
// posed by the model's hierarchy.
#include <gtest/gtest.h>

#include <string>

#include "game/render/models/anim_model.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/camera.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/effects/projected_shadows.h"
#include "tests/game/render/particles/particle_fixture.h"
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"
#include "tools/forge/forge.h"

namespace {

constexpr RwInt32 kBones = 40;
constexpr int kCentreRow = 240;
constexpr int kUpperRow = 192;  // a unit and a half above the tube's middle, 32 pixels a unit

class AnimModelDrawTest : public ScreenEngineTest {
 protected:
  AnimModelDrawTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() &&
             RpLODAtomicPluginAttach() && RtAnimPluginAttach() && RpHAnimPluginAttach() && RpSkinPluginAttach() &&
             RpRandomPluginAttach() && RegisterAtomicPlugin();
    };
  }

  void TearDown() override {
    mTable.Release();
    for (RtAnimAnimation* animation : mAnimations) {
      RtAnimAnimationDestroy(animation);
    }
    ScreenEngineTest::TearDown();
  }

  // The tube, 4 units along +y, and its animations, written and read back:
  // slot 0 walks 2 units along the model's x in a second, slot 1 bends the
  // tube by 2 degrees a bone about z in half a second.
  std::string WriteFixtures() {
    ForgeTube tube;
    tube.bones = kBones;
    tube.rings = kBones + 1;
    tube.radius = 0.3f;
    tube.sides = 8;
    const std::string model = mFolder.File("man.dff");
    EXPECT_TRUE(ForgeWriteSkinnedTubeFile(model.c_str(), tube));
    const RwReal boneLength = ForgeTubeSkeleton(tube).bones[1].translation.y;
    ForgeAnimation walk = ForgeBendAnimation(kBones, boneLength, 0.0f, 1.0f);
    ForgeKey root = walk.nodes[0][0];
    ForgeKey walked = root;
    walked.time = 1.0f;
    walked.translation.x += 2.0f;
    walk.nodes[0] = {root, walked};
    ForgeAnimation bend = ForgeBendAnimation(kBones, boneLength, 2.0f, 0.5f);
    const std::string walkPath = mFolder.File("walk.anm");
    const std::string bendPath = mFolder.File("bend.anm");
    EXPECT_TRUE(ForgeWriteAnimationFile(walkPath.c_str(), walk));
    EXPECT_TRUE(ForgeWriteAnimationFile(bendPath.c_str(), bend));
    mAnimations = {LoadAnimation(walkPath.c_str()), LoadAnimation(bendPath.c_str())};
    mTable.Allocate(2);
    for (u32 i = 0; i < 2; i++) {
      EXPECT_NE(nullptr, mAnimations[i]);
      mTable[i].animation = mAnimations[i];
    }
    return model;
  }

  // Draws the model through a camera at the origin looking along +z on
  // white, so that the unlit tube shows dark.
  void Draw(cAnimModel& model) {
    cCamera camera;
    ClearTarget(screen_, RwRGBA{255, 255, 255, 255});
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    RpClumpRender(model.GetClump());
    camera.EndUpdate();
  }

  // The middle of the dark pixels of the row; -1 when there are none.
  static int DarkCentre(int y) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < kWidth; x++) {
      if (BackBufferPixel(x, y) != 0xFFFFFFu) {
        first = first < 0 ? x : first;
        last = x;
      }
    }
    return first < 0 ? -1 : (first + last) / 2;
  }

  ScratchFolder mFolder{"anim_model_draw"};
  cAnimTable mTable;
  std::vector<RtAnimAnimation*> mAnimations;
};

TEST_F(AnimModelDrawTest, ASkinnedModelWalksAndBends) {
  const std::string path = WriteFixtures();
  cAnimModel model(path.c_str(), nullptr, 0, 0.0f, &mTable, nullptr);
  ASSERT_NE(nullptr, model.GetClumpObject());
  EXPECT_EQ(kBones, model.GetHierarchy()->numNodes);
  RpAtomic* atomic = model.GetClumpObject()->GetFirstAtomic();
  EXPECT_EQ(model.GetHierarchy(), RpSkinAtomicGetHAnimHierarchy(atomic));
  EXPECT_EQ(0u, RpAtomicGetFlags(atomic) & rpATOMICCOLLISIONTEST);
  ASSERT_EQ(2u, mTable[0].rootKeys.GetCount());
  EXPECT_NEAR(2.0f, mTable[0].rootVelocity.x, 1e-5f);

  const RwV3d place = {0.0f, -2.0f, 10.0f};
  RwFrameTranslate(model.GetFrame(), &place, kRwCombineReplace);
  model.Update(0.0f);
  Draw(model);
  const int start = DarkCentre(kCentreRow);
  EXPECT_NEAR(320, start, 2);
  EXPECT_NEAR(320, DarkCentre(kUpperRow), 2);

  SCOPED_TRACE("half a second of walking: a unit along x, 32 pixels at ten");
  model.Update(0.5f);
  Draw(model);
  EXPECT_NEAR(32, std::abs(DarkCentre(kCentreRow) - start), 2);
  const int walked = DarkCentre(kUpperRow);

  SCOPED_TRACE("cross-faded to the bend: the upper tube leans away");
  model.BlendToAnim(1, false, 0.1f, 0.2f);  // ends at 0.35 s, past the full bend
  model.Update(0.25f);
  EXPECT_EQ(1u, model.GetCurrentIndex());
  Draw(model);
  EXPECT_GT(std::abs(DarkCentre(kUpperRow) - walked), 20);
  EXPECT_NEAR(32, std::abs(DarkCentre(kCentreRow + 60) - start), 3);  // the tube's foot stays

  SCOPED_TRACE("bounds widened to the ground and back; a shadow caster told of each draw");
  const RwSphere bounds = atomic->boundingSphere;
  model.WidenBounds();
  EXPECT_EQ(0.0f, atomic->boundingSphere.center.y);
  EXPECT_EQ(2.0f * bounds.radius, atomic->boundingSphere.radius);
  model.RestoreBounds();
  EXPECT_EQ(bounds.center.y, atomic->boundingSphere.center.y);
  EXPECT_EQ(bounds.radius, atomic->boundingSphere.radius);
  RoomWorld room;
  ParticleTestScene scene;
  room.Give(&scene);
  cShadowCaster* caster = model.CreateShadow(scene.GetWorldObject(), RwV3d{1.0f, 1.0f, 1.0f}, 0);
  EXPECT_EQ(caster, model.GetShadowCaster());
  EXPECT_EQ(1, caster->IsSetUp());
  ClearShadowCasterFlags();
  Draw(model);
  EXPECT_EQ(1, caster->IsDrawn());
  delete caster;  // the renderer was never set up, so it frees no casters
  room.Release();
}

}  // namespace
