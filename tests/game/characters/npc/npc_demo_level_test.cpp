// The demo's first level loaded whole with its men file: its NPCs patrol
// their waypoints, and its guard sees, chases and shoots the player.
#include <gtest/gtest.h>

#include <string>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

class NpcDemoLevelTest : public WorldTest {
 protected:
  // The level loaded for a new profile of the name, the briefing closed.
  cQXWorld* LoadLevel(const char* profile) {
    if (!mStackMade) {
      MakeScreenStack();
      mStackMade = true;
    }
    EXPECT_TRUE(WriteDemoData());
    gSaveProfiles->NewProfile(profile);
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"));
    for (int step = 0; step < 20; step++) {
      mWorld->Load();
    }
    mWorld->CloseInfoView(true);
    return mWorld.get();
  }
  static cNpc* Find(cQXWorld* world, const char* name) {
    for (u32 i = 0; i < world->GetMen().GetCount(); i++) {
      cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
      if (man->GetName() == name) {
        return static_cast<cNpc*>(man);
      }
    }
    return nullptr;
  }
  static void Put(cMan* man, const RwV3d& at) { RwFrameTranslate(man->GetFrame(), &at, kRwCombineReplace); }

  bool mStackMade = false;
};

TEST_F(NpcDemoLevelTest, TheLevelsNpcsLoadAndPatrol) {
  cQXWorld* world = LoadLevel("Ann");
  Put(world->GetPlayer(), RwV3d{1000.0f, 1000.0f, 1000.0f});  // out of every NPC's sight
  const struct {
    const char* name;
    u32 type;
    bool boss;
  } rows[] = {{"guard_1", kManTypeGuard, false},
              {"civilian_1", kManTypeCivilian, false},
              {"gangster_1", kManTypeGangster, false},
              {"boss_1", kManTypeGuard, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cNpc* npc = Find(world, row.name);
    ASSERT_NE(nullptr, npc);
    EXPECT_EQ(row.type, npc->GetTypeIndex());
    EXPECT_EQ(row.boss, npc->IsBoss());
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

TEST_F(NpcDemoLevelTest, AGuardSeesChasesAndShootsThePlayer) {
  const struct {
    const char* name;
    const char* profile;
    bool hidden;
  } rows[] = {{"health lost", "Ann", false}, {"the hidden mode keeps it", kHiddenModeName, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cQXWorld* world = LoadLevel(row.profile);
    cDorvaMan* player = world->GetPlayer();
    cNpc* guard = Find(world, "guard_1");
    ASSERT_TRUE(player != nullptr && guard != nullptr);
    Put(player, RwV3d{12.0f, 0.0f, -7.0f});  // in room C, on the guard's round
    bool chased = false;
    // Until the player is dead, or in the hidden mode three hits taken.
    for (int frame = 0; frame < 3000 && (row.hidden ? player->GetStats().GetCounter(kCounterHitsTaken) < 3
                                                    : player->GetHealth() >= kPlayerDeadHealth);
         frame++) {
      world->cScene::Update(0.02f);
      chased = chased || guard->GetState() == kAiStateChase;
    }
    EXPECT_TRUE(chased);
    EXPECT_EQ(1u, player->GetStats().GetCounter(kCounterEnemyAlerts));
    EXPECT_GE(player->GetStats().GetCounter(kCounterHitsTaken), 1u);
    EXPECT_EQ(row.hidden, player->GetHealth() == 1.0f);
    EXPECT_EQ(!row.hidden, player->GetHealth() < kPlayerDeadHealth);
  }
}

}  // namespace
