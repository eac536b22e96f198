// The NPC's life: idle beyond the camera's AI distance, the state switch,
// fallen bodies hidden out of view and respawned, and checkpoints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game/characters/npc/ai_states_walk.h"
#include "game/characters/player/player_settings.h"
#include "game/render/models/anim_model.h"
#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcLifeTest = NpcTest;

const RwV3d kDown = {0.0f, -1.0f, 0.0f};
const RwV3d kUp = {0.0f, 1.0f, 0.0f};

TEST_F(NpcLifeTest, IdlesBeyondTheAiDistanceUntilTheCameraComesNear) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\nWAYPOINTS = [2, 3]\n");
  MoveCamera(RwV3d{60.0f, 10.0f, 0.0f}, kDown);  // beyond the default 50
  Frames(npc, 50);
  EXPECT_FALSE(npc->IsActive());
  EXPECT_EQ(kAiStateNone, npc->GetState());
  EXPECT_NEAR(-8.0f, Ground(npc).x, 1e-3f);
  MoveCamera(RwV3d{-8.0f, 10.0f, -8.0f}, kDown);
  Frames(npc, 50);
  EXPECT_TRUE(npc->IsActive());
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_GT(Ground(npc).x, -7.8f);  // on the way to node 2
}

TEST_F(NpcLifeTest, SwitchingToTheCurrentStateEntersOnce) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\n");
  npc->SetState(kAiStatePatrol);
  npc->SetAlerted(true);
  npc->SetState(kAiStatePatrol);
  EXPECT_TRUE(npc->IsAlerted());  // Enter would have cleared it
  npc->SetState(kAiStateChase);
  npc->SetState(kAiStateChase);
  EXPECT_EQ(kAiStatePatrol, npc->GetPreviousState());
  EXPECT_EQ(3u, npc->GetAlertStage());
}

TEST_F(NpcLifeTest, AFallenBodyOutOfViewIsHiddenAndComesBackOnItsRoute) {
  cDorvaMan* player = LoadPlayer();
  const struct {
    const char* name;
    RwV3d camera, look;
    bool hidden;
  } rows[] = {{"in view it stays", {-5.0f, 10.0f, -5.0f}, kDown, false},
              {"out of view it goes", {-5.0f, 10.0f, -5.0f}, kUp, true},
              {"beyond the AI distance too", {40.0f, 10.0f, 0.0f}, kUp, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    MoveCamera(RwV3d{-5.0f, 10.0f, -5.0f}, kDown);
    cNpc* npc = MakeNpc("guard", "STARTPOINT = 4\nWAYPOINTS = [2, 3]\n");
    Frames(npc, 1);
    Place(npc, RwV3d{-5.0f, 0.0f, -5.0f});
    npc->SetAlive(false);
    npc->GetModel()->SetAnim(kManAnimLieBackward, 0.0f);
    npc->SetState(kAiStateDead);
    npc->SetSearchableBody(1);
    EXPECT_FALSE(npc->SearchBody(0.5f));
    EXPECT_FLOAT_EQ(100.0f - 0.5f * 100.0f / PlayerSettings().searchSpeed, npc->GetEnergy());
    EXPECT_FLOAT_EQ(npc->GetEnergy(), npc->GetBodySearchLeft());  // what the searching panel shows
    MoveCamera(row.camera, row.look);
    Frames(npc, 300);  // 6 s, beyond DEAD_HIDE_TIME
    EXPECT_EQ(row.hidden, npc->IsDead());
    EXPECT_EQ(!row.hidden, npc->IsSearchableBody());
    EXPECT_EQ(kManAnimLieBackward, npc->GetModel()->GetCurrentIndex());  // no gait while down
    int frames = 0;
    for (; frames < 6100 && !npc->IsAlive(); frames++) {
      Frames(npc, 1);
    }
    EXPECT_EQ(row.hidden, npc->IsAlive());
    if (row.hidden) {
      EXPECT_GE(frames, 5950);                  // 120 s hidden
      EXPECT_NEAR(-2.0f, Ground(npc).x, 0.5f);  // node 2, the route's start
      EXPECT_NEAR(-8.0f, Ground(npc).y, 0.5f);
      EXPECT_FLOAT_EQ(100.0f, npc->GetEnergy());
      EXPECT_EQ(kAiStatePatrol, npc->GetState());
    }
    DropLast();
  }
  (void)player;
}

TEST_F(NpcLifeTest, ACheckpointRestoresTheSavedStateWithoutEnteringIt) {
  LoadPlayer();
  const struct {
    const char* name;
    u32 state;
    bool alive;
    u32 restored;
  } rows[] = {{"a chase restores as patrol", kAiStateChase, true, kAiStatePatrol},
              {"look-around restores as itself", kAiStateLookAround, true, kAiStateLookAround},
              {"door opening restores without Enter", kAiStateOpenDoor, true, kAiStateOpenDoor},
              {"a fallen body restores hidden", kAiStatePatrol, false, kAiStatePatrol}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\nWAYPOINTS = [2, 3]\n");
    Frames(npc, 1);
    npc->SetState(row.state);
    npc->SetAlive(row.alive);
    auto* door = static_cast<cAiState_OpenDoor*>(npc->GetStateObject(kAiStateOpenDoor));
    const u32 returnState = door->GetReturnState();
    npc->SaveState();
    npc->SetAlive(true);
    npc->SetState(kAiStatePatrol);
    npc->SetState(kAiStateSearch);
    npc->RestoreState();
    EXPECT_EQ(row.restored, npc->GetState());
    EXPECT_EQ(!row.alive, npc->IsDead());
    EXPECT_EQ(returnState, door->GetReturnState());
    DropLast();
  }
}

TEST_F(NpcLifeTest, TheLevelsRestartBringsAHiddenBodyBackOnItsRoute) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 4\nWAYPOINTS = [2, 3]\n");
  npc->SetAlive(false);
  npc->SaveState();
  npc->RestoreState();
  ASSERT_TRUE(npc->IsDead());
  npc->ReadProperties(mGroups.back()->FindGroup(npc->GetName()));
  EXPECT_TRUE(npc->IsAlive() && !npc->IsDead());
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_NEAR(-2.0f, Ground(npc).x, 1e-3f);
  EXPECT_NEAR(-8.0f, Ground(npc).y, 1e-3f);
}

// A restart brings a man in the middle of his round back to its first node,
// from where he walks the graph's edges, as at the level's start: he does
// not walk on towards his old route's next node, across the floor and the
// walls between.
TEST_F(NpcLifeTest, ARestartSendsAPatrollingManRoundFromItsStart) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 2\nWAYPOINTS = [2, 6]\n");
  for (int frame = 0; frame < 2000 && npc->GetFollower().GetCurrentNode() != 4; frame++) {
    Frames(npc, 1);
  }
  ASSERT_EQ(4u, npc->GetFollower().GetCurrentNode());  // on the spur, on the way to node 5, then 6
  npc->ReadProperties(mGroups.back()->FindGroup(npc->GetName()));
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  f32 farthest = 0.0f;
  for (int frame = 0; frame < 300; frame++) {
    Frames(npc, 1);
    const RwV2d at = Ground(npc);
    RwV2d onGraph;
    u32 a = 0;
    u32 b = 0;
    ASSERT_TRUE(mLevel->GetWaypointGraph()->FindNearestPoint(0, at, 1.7f, &onGraph, &a, &b));
    farthest = std::max(farthest, std::hypot(at.x - onGraph.x, at.y - onGraph.y));
  }
  EXPECT_LT(farthest, 1.0f);  // round the corners it walks in curves
}

}  // namespace
