// Patrolling the WAYPOINTS route over the forged graph: the order, the node
// stood on, the steering turn, a door across an edge and a failed plan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/characters/npc/ai_states_walk.h"
#include "game/world/devices/door.h"
#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcPatrolTest = NpcTest;

TEST_F(NpcPatrolTest, WalksTheWaypointsInListOrderFromTheNodeItStandsOn) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 1\nWAYPOINTS = [2, 3, 4, 1, 0, 99]\n");
  ASSERT_EQ(4u, npc->GetPatrolList().GetCount());  // 0 and 99 name no node
  Frames(npc, 1);
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_EQ(1u, npc->GetFollower().GetCurrentNode());  // node 0 stood on: passed at once
  std::vector<u32> visited = {1};
  for (int frame = 0; frame < 3000 && visited.size() < 5; frame++) {
    Frames(npc, 1);
    if (npc->GetFollower().GetCurrentNode() != visited.back()) {
      visited.push_back(npc->GetFollower().GetCurrentNode());
    }
  }
  EXPECT_EQ((std::vector<u32>{1, 2, 3, 0, 1}), visited);
}

// STARTPOINT and WAYPOINTS count the graph's nodes from 1: 0, negative
// numbers and those at the limits of their type name no node.
TEST_F(NpcPatrolTest, NodeNumbersAtTheirLimitsNameNoNode) {
  LoadPlayer();
  const struct {
    const char* start;
    const char* waypoints;
    bool placed;  // on node 2 (-2, -8)
    std::vector<u32> patrol;
  } rows[] = {{"2", "[1, 7]", true, {0, 6}},
              {"0", "[0, -1, 8]", false, {}},
              {"-1", "[-2147483648, 2]", false, {1}},
              {"-2147483648", "[2147483647, 3]", false, {2}},
              {"2147483647", "[4294967298, 99999999999, 1]", false, {0}},
              {"4294967298", "[-4294967294]", false, {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.start) + " " + row.waypoints);
    cNpc* npc = MakeNpc("guard", std::string("STARTPOINT = ") + row.start + "\nWAYPOINTS = " + row.waypoints + "\n");
    std::vector<u32> patrol;
    for (u32 i = 0; i < npc->GetPatrolList().GetCount(); i++) {
      patrol.push_back(npc->GetPatrolList()[i]);
    }
    EXPECT_EQ(row.patrol, patrol);
    const RwV2d ground = Ground(npc);
    EXPECT_EQ(row.placed, ground.x == -2.0f && ground.y == -8.0f);
    DropLast();
  }
}

TEST_F(NpcPatrolTest, StepsTurnsAndFinishes) {
  LoadPlayer();
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 2\n");
  cRouteFollower& follower = npc->GetFollower();
  // A one-node route is finished where the NPC stands.
  ASSERT_TRUE(follower.PlanTo(1));
  EXPECT_EQ(1u, follower.GetRoute().GetCount());
  EXPECT_TRUE(follower.Step(true));
  // Walking towards a node 90 degrees to the right: 270 degrees a second,
  // stopping within 10 degrees.
  Place(npc, RwV3d{-2.0f, 0.0f, -8.0f}, 0.0f);
  ASSERT_TRUE(follower.PlanTo(0));
  follower.SetRun(false);
  for (int frame = 0; frame < 100; frame++) {
    follower.Step(true);
    if (npc->GetTurnRate() == 0.0f) {
      break;
    }
    EXPECT_FLOAT_EQ(-kSteerTurnRate, npc->GetTurnRate());
    npc->Turn(npc->GetTurnRate() * 0.02f);
  }
  const RwV3d& at = RwFrameGetLTM(npc->GetFrame())->at;
  EXPECT_NEAR(-1.0f, at.x, 1 - std::cos(kSteerDeadAngle));
  // Running faces the node at once.
  Place(npc, RwV3d{-2.0f, 0.0f, -8.0f}, 0.0f);
  follower.SetRun(true);
  follower.Step(true);
  EXPECT_NEAR(-1.0f, RwFrameGetLTM(npc->GetFrame())->at.x, 1e-4f);
  EXPECT_EQ(kGaitRun, follower.GetGait());
}

TEST_F(NpcPatrolTest, AClosedDoorOnTheEdgeIsOpenedAndThePatrolEnteredAgain) {
  LoadPlayer();
  cDoor* door = PlaceDoor("door_1", RwV3d{-8.0f, 0.0f, 0.0f});
  Finish("[door_1]\nUSEPOINT = [0, 1]\nMOVEDIR = left\nSPEED = 3\nMOVEDIST = 1.5\nOPENEDTIME = 4\n");
  mLevel->GetWaypointGraph()->AddDoor(door);
  ASSERT_EQ(door, mLevel->GetWaypointGraph()->FindEdge(4, 3));
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 5\nWAYPOINTS = [4]\n");
  Place(npc, RwV3d{-8.0f, 0.0f, 2.0f}, 3.14159265f);
  std::vector<u32> states;
  for (int frame = 0; frame < 600; frame++) {
    Frames(npc, 1);
    door->Update(0.02f);
    if (states.empty() || states.back() != npc->GetState()) {
      states.push_back(npc->GetState());
    }
    if (states.size() == 3) {
      break;
    }
  }
  EXPECT_EQ((std::vector<u32>{kAiStatePatrol, kAiStateOpenDoor, kAiStatePatrol}), states);
  EXPECT_EQ(kDoorOpen, door->GetState());
  EXPECT_EQ(kAiStateOpenDoor, npc->GetPreviousState());
  EXPECT_GT(Ground(npc).y, 0.5f);  // stopped before the doorway
}

// A guard who opened a door walks on through it: with the door's edge
// listed from his side (4-5) and the door shutting a second after it opened,
// he opens it once and reaches the far node.
TEST_F(NpcPatrolTest, AGuardWhoOpenedADoorWalksOnThroughIt) {
  LoadPlayer();
  cDoor* door = PlaceDoor("door_1", RwV3d{-8.0f, 0.0f, 0.0f});
  Finish("[door_1]\nUSEPOINT = [0, 1]\nMOVEDIR = left\nSPEED = 3\nMOVEDIST = 1.5\nOPENEDTIME = 1\n");
  mLevel->GetWaypointGraph()->AddDoor(door);
  cNpc* npc = MakeNpc("guard", "STARTPOINT = 4\nWAYPOINTS = [5]\n");
  Place(npc, RwV3d{-8.0f, 0.0f, -1.5f}, 0.0f);  // on the edge, past node 4, facing the door
  int doorVisits = 0;
  bool reached = false;
  for (int frame = 0; frame < 1500 && !reached; frame++) {
    const u32 before = npc->GetState();
    Frames(npc, 1);
    door->Update(0.02f);
    doorVisits += npc->GetState() == kAiStateOpenDoor && before != kAiStateOpenDoor ? 1 : 0;
    reached = Ground(npc).y > kWaypoints[4].y - 0.25f;
  }
  EXPECT_EQ(1, doorVisits);
  EXPECT_TRUE(reached);
}

TEST_F(NpcPatrolTest, AFailedPlanWritesItsTraceAndStaysInPatrol) {
  LoadPlayer();
  const std::string trace = mFolder.File("trace.txt");
  ASSERT_EQ(0, setenv("TK_DEBUG_OUTPUT", trace.c_str(), 1));
  cNpc* npc = MakeNpc("civilian", "STARTPOINT = 1\nWAYPOINTS = [7]\n");
  Frames(npc, 1);
  Place(npc, RwV3d{-2.0f, 0.0f, -8.0f});
  ASSERT_TRUE(npc->GetFollower().PlanTo(1));  // finished where it stands
  Frames(npc, 2);
  unsetenv("TK_DEBUG_OUTPUT");
  std::stringstream text;
  text << std::ifstream(trace).rdbuf();
  EXPECT_NE(std::string::npos, text.str().find(kNoRouteTrace));
  EXPECT_EQ(kAiStatePatrol, npc->GetState());
  EXPECT_TRUE(npc->GetFollower().IsFinished());
}

}  // namespace
