// Look-around, search, chase, panic and the falls: the counters and timers
// the states keep and where they let go.
#include <gtest/gtest.h>

#include <cmath>

#include "game/characters/npc/ai_states_alert.h"
#include "game/characters/npc/ai_states_fall.h"
#include "game/render/models/anim_model.h"
#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcStatesTest = NpcTest;

const RwV3d kStatesGuardAt = {-8.0f, 0.0f, -8.0f};
constexpr f32 kStatesFacingX = 1.5707964f;

RwV3d StatesAhead(f32 d) { return RwV3d{kStatesGuardAt.x + d, 0.0f, kStatesGuardAt.z}; }

TEST_F(NpcStatesTest, TheLookAroundCountKeepsAcrossAnInterruption) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\n");
  auto* look = static_cast<cAiState_LookAround*>(npc->GetStateObject(kAiStateLookAround));
  cNpc::Settings().lookAroundAnimLoop = 2.0f;
  npc->SetState(kAiStateLookAround);
  for (int frame = 0; frame < 1000 && look->GetLoops() < 1.0f; frame++) {
    Frames(npc, 1);
  }
  ASSERT_EQ(1.0f, look->GetLoops());
  npc->SetState(kAiStatePatrol);
  EXPECT_TRUE(npc->IsWary());
  npc->SetState(kAiStateLookAround);
  EXPECT_EQ(1.0f, look->GetLoops());
  EXPECT_LT(FramesIn(npc, kAiStateLookAround, 1000), 1000);
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_EQ(0.0f, look->GetLoops());
}

TEST_F(NpcStatesTest, SearchAndChaseTimersAndTheirPerception) {
  cDorvaMan* player = LoadPlayer();
  const struct {
    const char* name;
    const char* body;
    u32 state;
    f32 player;  // ahead of the NPC; negative: behind
    f32 noise;
    bool ultra;
    u32 after;
    f32 timer;
    bool stepped;
  } rows[] = {
      {"search: a switching frame stops the timer", "guard", kAiStateSearch, 8, 0, false, kAiStateChase, 0, true},
      {"search: a quiet frame counts", "guard", kAiStateSearch, -15, 0, false, kAiStateSearch, 0.02f, true},
      {"chase: unseen, the timer runs", "guard", kAiStateChase, -15, 0, false, kAiStateChase, 0.02f, true},
      {"chase: seen beyond range, it stands", "guard", kAiStateChase, 6, 0, false, kAiStateChase, 0, true},
      {"chase: Ultra idle, no perception", "guard", kAiStateChase, -3, 3, false, kAiStateChase, 0.02f, true},
      {"chase: Ultra in use, heard: search", "guard", kAiStateChase, -3, 3, true, kAiStateSearch, 0, false},
      {"boss within range, beyond half", "guard4", kAiStateChase, 1.2f, 0, false, kAiStateChase, 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    tNpcPlayerHooks hooks;
    hooks.ultraInUse = row.ultra ? +[](const cDorvaMan*) { return true; } : nullptr;
    cNpc::SetPlayerHooks(hooks);
    player->SetNoise(row.noise);
    // On node 1, where every route here begins: no route ends at once, and
    // the route's first node is never farther from the target (no opening
    // shot).
    Place(player, StatesAhead(6.0f + row.player), -kStatesFacingX);
    cNpc* npc = MakeNpc("guard", "STARTPOINT = 2\n", row.body);
    Place(npc, StatesAhead(6.0f), kStatesFacingX);
    RwFrameSyncDirty();
    npc->SetState(row.state);
    ASSERT_EQ(row.state, npc->GetState());
    npc->SetPerceptionClock(1000.0f);
    auto* pursuit = static_cast<cAiState_Pursuit*>(npc->GetStateObject(row.state));
    const u32 gait = npc->GetFollower().GetGait();
    pursuit->SetTimer(0.0f);
    pursuit->Update(0.02f);
    EXPECT_EQ(row.after, npc->GetState());
    EXPECT_FLOAT_EQ(row.timer, pursuit->GetTimer());
    EXPECT_EQ(row.stepped, npc->GetFollower().GetGait() != gait);
    DropLast();
  }
}

TEST_F(NpcStatesTest, AFailedPlanOnEnteringTurnsTheNpcRoundAndRestsItsPerception) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 7\n");  // on the node joined to none
  Place(npc, RwV3d{9.0f, 0.0f, 9.0f}, 0.0f);
  RwFrameSyncDirty();
  npc->SetState(kAiStateSearch);
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_NEAR(-1.0f, RwFrameGetLTM(npc->GetFrame())->at.z, 1e-4f);
  EXPECT_EQ(0.0f, npc->GetPerceptionClock());
  EXPECT_FALSE(npc->Perceive());
}

TEST_F(NpcStatesTest, APanicRunsToTheFirstNodeAndBackToPatrol) {
  LoadPlayer();
  cNpc* npc = MakeNpc("civilian", "STARTPOINT = 3\nWAYPOINTS = [3]\n");
  npc->OnAlarm();
  EXPECT_EQ(kAiStatePanic, npc->GetState());
  EXPECT_TRUE(npc->IsAlerted());
  EXPECT_TRUE(npc->GetFollower().IsRunning());
  const int frames = FramesIn(npc, kAiStatePanic, 2000);
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_NEAR(15.0f / 0.02f, frames, 2.0f);
  EXPECT_LT(std::hypot(Ground(npc).x + 8.0f, Ground(npc).y + 8.0f), 0.5f) << Ground(npc).x << " " << Ground(npc).y;
}

TEST_F(NpcStatesTest, KnockedDownNpcsFallAndLieSearchable) {
  cDorvaMan* player = LoadPlayer();
  const struct {
    const char* name;
    const char* body;
    int hits;
    bool interrupted;
    u32 state;
    u32 neutralised;
  } rows[] = {{"a guard falls and lies", "guard", 1, false, kAiStateDead, 1},
              {"a body hit again changes nothing", "guard", 3, false, kAiStateDead, 1},
              {"an interrupted fall stays down", "guard", 1, true, kAiStateKnockedDown, 1},
              {"a boss shrugs off three hits", "guard4", 3, false, kAiStateChase, 3},
              {"and falls on the fourth", "guard4", 4, false, kAiStateDead, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    player->GetStats().Reset();
    cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\n", row.body);
    Frames(npc, 1);
    for (int hit = 0; hit < row.hits; hit++) {
      npc->KnockDown();
      Frames(npc, 1);
      if (row.interrupted) {
        npc->GetModel()->SetAnim(kManAnimStand, 0.0f);
      }
      FramesIn(npc, kAiStateKnockedDown, 300);
    }
    EXPECT_EQ(row.state, npc->GetState());
    EXPECT_EQ(row.neutralised, player->GetStats().GetCounter(kCounterEnemiesNeutralised));
    EXPECT_EQ(row.state == kAiStateDead, npc->IsSearchableBody());
    EXPECT_EQ(row.state == kAiStateChase, npc->IsAlive());
    EXPECT_EQ(row.state == kAiStateChase, npc->IsBoss());
    EXPECT_EQ(row.hits == 4, Playing(npc->GetSound(kNpcFall)));  // only a boss's fall sounds
    DropLast();
  }
}

}  // namespace
