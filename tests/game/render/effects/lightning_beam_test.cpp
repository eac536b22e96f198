// Tests of the lightning beam on skeletons built in code: from the source's
// bone 39 (or its last) to the target's chest or a fixed point, for its
// lifetime.
#include "game/render/effects/lightning_beam.h"

#include <gtest/gtest.h>

#include "game/render/effects/lightning_ro.h"
#include "game/render/scene/scene.h"
#include "tests/game/render/models/anim_fixture.h"
#include "tests/game/render/expect_v3d.h"

namespace {

class BeamScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

using LightningBeamTest = AnimModelEngineTest;

TEST_F(LightningBeamTest, BeamsRunFromABoneToTheTargetForTheirLifetime) {
  BeamScene scene;
  mRoom.Give(&scene);
  cAnimTable table;
  Fill(&table, {Animation(Bend(45, 1.0f, 0.0)), Animation(Bend(12, 1.0f, 0.0))});
  cAnimModel source(SkeletonClump(45), &table, nullptr);
  source.RefreshPose();
  cAnimTable smallTable;
  Fill(&smallTable, {Animation(Bend(12, 1.0f, 0.0))});
  cAnimModel target(SkeletonClump(12), &smallTable, nullptr);
  target.RefreshPose();
  const RwV3d away = {4.0f, 0.0f, 0.0f};
  RwFrameTranslate(target.GetFrame(), &away, kRwCombineReplace);

  cLightningBeam* beam = new cLightningBeam(&scene);
  EXPECT_EQ(1u, scene.GetUpdateList().Count());
  EXPECT_EQ(mRoom.GetWorld(), RpAtomicGetWorld(beam->GetBolt()->GetAtomic()));
  beam->SetEnds(&source, &target);
  EXPECT_FALSE(beam->Update(0.04f));
  ExpectV3d({0.0f, 39.0f, 0.0f}, beam->GetStart());  // the chain's nodes stand a unit apart
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(beam->GetBolt()->GetAtomic());
  ExpectV3d({2.0f, (39.0f + 1.2f) / 2, 0.0f}, sphere->center, 1e-4f);
  EXPECT_FALSE(beam->Update(0.04f));
  EXPECT_TRUE(beam->Update(0.04f));  // 0.12 s is past 0.1
  delete beam;

  SCOPED_TRACE("a short skeleton: its last bone; a fixed end; a longer life");
  cLightningBeam fixed(&scene);
  fixed.SetEnds(&target, &target);
  fixed.SetFixedTarget(RwV3d{4.2f, 0.0f, 0.2f});
  fixed.SetLifetime(0.15f);
  EXPECT_FALSE(fixed.Update(0.1f));
  ExpectV3d({4.0f, 11.0f, 0.0f}, fixed.GetStart());
  ExpectV3d({4.1f, 5.5f, 0.1f}, RpAtomicGetWorldBoundingSphere(fixed.GetBolt()->GetAtomic())->center, 1e-4f);
  EXPECT_TRUE(fixed.Update(0.1f));
}

TEST_F(LightningBeamTest, WithoutAWorldThereIsNoBeam) {
  BeamScene scene;
  EXPECT_DEATH(cLightningBeam beam(&scene), "cRenderManager::AddRO : RWWorld hasn't been set, yet");
}

}  // namespace
