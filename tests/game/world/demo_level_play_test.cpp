// The player on the demo's first level loaded whole: standing, walking,
// opening a door, breaking a photocell, and a route through a doorway.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/world/devices/device_passes.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/sensors/sensor_kinds.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using DemoPlayTest = WorldTest;

RwV3d Position(RwFrame* frame) { return RwFrameGetLTM(frame)->pos; }

// Each row stands the player somewhere facing somewhere, gives him input and
// runs frames of him, door_a and photocell_1; then it checks the level.
TEST_F(DemoPlayTest, ThePlayerStandsWalksOpensADoorBreaksARayAndMenRouteThroughDoorways) {
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01(true);  // every animation: walking moves by the root's
  ASSERT_NE(nullptr, world);
  cDorvaMan* player = world->GetPlayer();
  ASSERT_TRUE(player != nullptr && player->IsBusy() == 1);  // held by the briefing
  EXPECT_EQ(kTimeScalePaused, gTimeScaleIndex);             // the men wait while it is read
  world->CloseInfoView(true);
  EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
  cDoor* door = nullptr;
  ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* d) { door = d->GetName() == "door_a" ? d : door; });
  cPhotocell* cell = nullptr;
  ForEachClone<cPhotocell>(world->GetObjectSets(kSetPhotocells), [&](cPhotocell* c) { cell = c; });
  ASSERT_TRUE(door != nullptr && cell != nullptr);
  RwV3d use, out;
  door->GetUsePoint(&use, false);
  door->GetUseDirection(&out, false);
  const struct {
    const char* name;
    RwV3d at;
    f32 headingX, headingZ;
    u8 forward, useItem;
    int frames;
  } rows[] = {{"snapped to the floor", {2.0f, 0.4f, 0.0f}, 1, 0, 0, 0, 1},
              {"walks by root motion", {2.0f, 0.0f, 0.0f}, 1, 0, 1, 0, 50},
              {"opens door_a by use", {use.x + 0.7f * out.x, 0, use.z + 0.7f * out.z}, -out.x, -out.z, 0, 1, 40},
              {"breaks photocell_1", {8.5f, 0.0f, 0.0f}, 1, 0, 0, 0, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RwFrameTranslate(player->GetFrame(), &row.at, kRwCombineReplace);
    player->SetHeading(std::atan2(row.headingX, row.headingZ));
    const RwV3d facing = RwFrameGetLTM(player->GetFrame())->at;
    const f32 health = player->GetHealth();
    const RwV3d leaf = Position(door->GetFrame());
    player->Input() = tPlayerInput{};
    player->Input().forwardKey = row.forward;
    player->Input().useItem = row.useItem;
    player->SetSkipAnimation(row.useItem);
    for (int frame = 0; frame < row.frames; frame++) {
      player->Update(0.02f);
      player->GetModel()->Update(0.02f);
      door->Update(0.02f);
      cell->Update(0.02f);
    }
    const RwV3d at = Position(player->GetFrame()), moved = Position(door->GetFrame());
    EXPECT_NEAR(0.0f, at.y, 1e-3f);
    const f32 walked = (at.x - row.at.x) * facing.x + (at.z - row.at.z) * facing.z;
    EXPECT_EQ(row.forward != 0, walked > 0.5f) << walked;
    EXPECT_EQ(row.useItem != 0, std::fabs(moved.x - leaf.x) + std::fabs(moved.z - leaf.z) > 0.5f);
    EXPECT_EQ(std::string(row.name) == "breaks photocell_1", player->GetHealth() < health);
    EXPECT_EQ(std::string(row.name) == "breaks photocell_1" ? 1u : 0u,
              player->GetStats().GetCounter(kCounterSecurityAlerts));
  }
  // From room A (waypoint 7) to room B (waypoint 10): out through door_a's
  // doorway, along the corridor and in through door_b's.
  cRecordArray<u32> route;
  cWaypointGraph* graph = world->GetWaypointGraph();
  ASSERT_TRUE(graph != nullptr && graph->FindRoute(6, 9, &route));
  std::vector<u32> nodes;
  for (u32 i = 0; i < route.GetCount(); i++) {
    nodes.push_back(route[i]);
  }
  EXPECT_EQ((std::vector<u32>{6, 5, 1, 2, 18, 3, 8, 9}), nodes);
  EXPECT_EQ(door, graph->FindEdge(5, 1));
}

}  // namespace
