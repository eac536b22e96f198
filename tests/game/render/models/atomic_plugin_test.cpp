// The game atomic plugin and the atomic's flag byte on the fake driver:
// owners start null and travel with clones, lookups answer null without the
// plugin, priorities keep the other flags, and an atomic render object's
// explicit sphere reaches its world bounds.
#include "game/render/models/atomic_plugin.h"

#include "game/render/models/model_user_data.h"
#include "game/render/scene/render_manager.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/models/model_fixture.h"

namespace {

class AtomicPluginTest : public ModelEngineTest {};

TEST_F(AtomicPluginTest, OwnersStartNullAndAreCopiedWithTheAtomic) {
  RpAtomic* atomic = RpAtomicCreate();
  EXPECT_EQ(nullptr, GetAtomicOwner(atomic));
  int owner = 0;
  EXPECT_TRUE(SetAtomicOwner(atomic, &owner));
  RpAtomic* clone = RpAtomicClone(atomic);
  EXPECT_EQ(&owner, GetAtomicOwner(clone));
  RpAtomicDestroy(clone);
  RpAtomicDestroy(atomic);
}

TEST_F(AtomicPluginTest, PrioritiesUseTheTopThreeBitsOnly) {
  RpAtomic* atomic = RpAtomicCreate();
  RpAtomicSetFlags(atomic, kAtomicFlagRender | kAtomicFlagTwoSided | kAtomicFlagCollision);
  SetAtomicRenderPriority(atomic, 9);
  EXPECT_EQ(1u, GetAtomicRenderPriority(atomic));
  EXPECT_EQ(0x20u | kAtomicFlagRender | kAtomicFlagTwoSided | kAtomicFlagCollision, RpAtomicGetFlags(atomic));
  SetAtomicRenderPriority(atomic, 7);
  EXPECT_EQ(7u, GetAtomicRenderPriority(atomic));
  SetAtomicRenderPriority(atomic, 0);
  EXPECT_EQ(0u + kAtomicFlagRender + kAtomicFlagTwoSided + kAtomicFlagCollision, RpAtomicGetFlags(atomic));
  RpAtomicDestroy(atomic);
}

TEST_F(AtomicPluginTest, ExplicitSpheresReachTheWorldBounds) {
  std::vector<std::string> log;
  RecordingAtomicRO object(&log, "o", 1, 10.0f, 0.0f, 0.0f);
  object.SetBoundingSphere(RwV3d{1.0f, 2.0f, 3.0f}, 4.0f);
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(object.GetAtomic());
  ExpectV3d(RwV3d{11.0f, 2.0f, 3.0f}, sphere->center);
  EXPECT_FLOAT_EQ(4.0f, sphere->radius);
}

class NoAtomicPluginTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpWorldPluginAttach() != FALSE; });
  }
};

TEST_F(NoAtomicPluginTest, OwnersAreNeitherKeptNorFound) {
  std::vector<std::string> log;
  RecordingAtomicRO object(&log, "o", 1, 0.0f, 0.0f, 0.0f);
  EXPECT_FALSE(SetAtomicOwner(object.GetAtomic(), &object));
  EXPECT_EQ(nullptr, GetAtomicOwner(object.GetAtomic()));
  // The render callback finds no object to defer.
  cRenderManager manager;
  manager.BeginFrame();
  object.Draw();
  EXPECT_EQ(0u, manager.GetItemLayer(0)->GetCount());
}

}  // namespace
