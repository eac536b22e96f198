// Tests of the shock effect on skeletons built in code: arcs on bones the
// model has, following them as it moves, the time it lasts, the man's
// pointer let go, and no shock without a world.
#include "game/render/effects/shock_effect.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "game/render/effects/lightning_ro.h"
#include "game/render/scene/scene.h"
#include "tests/game/render/models/anim_fixture.h"
#include "tests/game/render/expect_v3d.h"

namespace {

class ShockScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

class ShockEffectTest : public AnimModelEngineTest {
 protected:
  void SetUp() override {
    AnimModelEngineTest::SetUp();
    Fill(&mTable, {Animation(Bend(40, 1.0f, 30.0))});
  }

  // The bolt's world sphere: centred between its ends.
  static RwV3d BoltCentre(const cLightningRO* bolt) {
    return RpAtomicGetWorldBoundingSphere(bolt->GetAtomic())->center;
  }

  cAnimTable mTable;
};

TEST_F(ShockEffectTest, ArcsJoinBonesTheModelHasUntilTheTimeIsOver) {
  ShockScene scene;
  mRoom.Give(&scene);
  cAnimModel model(SkeletonClump(40), &mTable, nullptr);
  model.RefreshPose();
  cShockEffect* held = nullptr;
  held = new cShockEffect(&model, &held, &scene, 5.0f);
  EXPECT_EQ(1u, scene.GetUpdateList().Count());
  for (u32 i = 0; i < kShockArcCount; i++) {
    const cShockEffect::tArc& arc = held->GetArc(i);
    EXPECT_EQ(mRoom.GetWorld(), RpAtomicGetWorld(arc.bolt->GetAtomic()));
    EXPECT_GE(arc.boneA, 1u);
    EXPECT_LE(arc.boneA, kShockBoneRange);
    EXPECT_LE(arc.boneB, kShockBoneRange);
    const RwV3d a = NodeWorldPosition(model.GetHierarchy(), arc.boneA);
    const RwV3d b = NodeWorldPosition(model.GetHierarchy(), arc.boneB);
    ExpectV3d({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2}, BoltCentre(arc.bolt));
  }
  // The arcs follow the model, and jump to other bones now and then.
  const RwV3d step = {0.0f, 0.0f, 3.0f};
  RwFrameTranslate(model.GetFrame(), &step, kRwCombinePostConcat);
  u32 jumps = 0;
  u32 before = held->GetArc(0).boneA * 100 + held->GetArc(0).boneB;
  for (int frame = 0; frame < 124; frame++) {
    SCOPED_TRACE(frame);
    ASSERT_FALSE(held->Update(0.04f));
    const u32 now = held->GetArc(0).boneA * 100 + held->GetArc(0).boneB;
    jumps += now != before ? 1 : 0;
    before = now;
  }
  EXPECT_GE(jumps, 5u);
  const cShockEffect::tArc& arc = held->GetArc(1);
  const RwV3d a = NodeWorldPosition(model.GetHierarchy(), arc.boneA);
  EXPECT_NEAR(3.0f, a.z, 1.0f);
  EXPECT_NEAR((a.z + NodeWorldPosition(model.GetHierarchy(), arc.boneB).z) / 2, BoltCentre(arc.bolt).z, 1e-4f);
  // 4.96 s have passed; the update past 5.0 ends it.
  EXPECT_FALSE(held->Update(0.04f));
  EXPECT_TRUE(held->Update(0.04f));
  delete held;
  EXPECT_EQ(nullptr, held);
  // A man who holds a newer shock by then keeps it.
  cShockEffect* newer = nullptr;
  cShockEffect* older = new cShockEffect(&model, &newer, &scene, 1.0f);
  newer = reinterpret_cast<cShockEffect*>(&scene);
  delete older;
  EXPECT_EQ(reinterpret_cast<cShockEffect*>(&scene), newer);
  EXPECT_EQ(0u, scene.GetUpdateList().Count());
}

TEST_F(ShockEffectTest, SmallModelsGiveTheBonesTheyHave) {
  ShockScene scene;
  mRoom.Give(&scene);
  for (int nodes : {1, 3}) {
    SCOPED_TRACE(nodes);
    cAnimTable small;
    Fill(&small, {Animation(Bend(nodes, 1.0f, 30.0))});
    cAnimModel model(SkeletonClump(nodes), &small, nullptr);
    cShockEffect shock(&model, nullptr, &scene, 1.0f);
    for (int frame = 0; frame < 50; frame++) {
      shock.Update(0.04f);
      for (u32 i = 0; i < kShockArcCount; i++) {
        ASSERT_EQ(nodes == 1 ? 0u : 1u, std::min(shock.GetArc(i).boneA, 1u));
        ASSERT_LE(shock.GetArc(i).boneB, static_cast<u32>(nodes - 1));
      }
    }
  }
}

TEST_F(ShockEffectTest, WithoutAWorldThereIsNoShock) {
  ShockScene scene;
  cAnimModel model(SkeletonClump(40), &mTable, nullptr);
  EXPECT_DEATH(cShockEffect(&model, nullptr, &scene, 1.0f), "cRenderManager::AddRO : RWWorld hasn't been set, yet");
}

}  // namespace
