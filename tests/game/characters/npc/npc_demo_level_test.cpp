// The demo's first level loaded whole with its men file: its guard,
// civilian and gangster are NPCs that start patrolling their waypoints.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using NpcDemoLevelTest = WorldTest;

TEST_F(NpcDemoLevelTest, TheLevelsNpcsLoadAndPatrol) {
  MakeScreenStack();
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(mConfig.Load(cString("data/config.txt")));
  cQXWorld* world = (mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"))).get();
  for (int step = 0; step < 20; step++) {
    world->Load();
  }
  // The player out of every NPC's sight: they keep patrolling.
  const RwV3d away = {1000.0f, 1000.0f, 1000.0f};
  ASSERT_NE(nullptr, world->GetPlayer());
  RwFrameTranslate(world->GetPlayer()->GetFrame(), &away, kRwCombineReplace);
  const struct {
    const char* name;
    u32 type;
  } rows[] = {{"guard_1", kManTypeGuard}, {"civilian_1", kManTypeCivilian}, {"gangster_1", kManTypeGangster}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cNpc* npc = nullptr;
    for (u32 i = 0; i < world->GetMen().GetCount(); i++) {
      cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
      npc = man->GetName() == row.name ? static_cast<cNpc*>(man) : npc;
    }
    ASSERT_NE(nullptr, npc);
    EXPECT_EQ(row.type, npc->GetTypeIndex());
    EXPECT_TRUE(npc->IsAlarmReady());
    EXPECT_GT(npc->GetPatrolList().GetCount(), 0u);
    const tV2d start = npc->GetPosition2D();
    for (int frame = 0; frame < 100; frame++) {
      npc->Update(0.02f);
      npc->GetModel()->Update(0.02f);
    }
    EXPECT_EQ(kAiStatePatrol, npc->GetState());
    EXPECT_GT(npc->GetPosition2D().DistanceSquared(start), 0.25);
  }
}

}  // namespace
