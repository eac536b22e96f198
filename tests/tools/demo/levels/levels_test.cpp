// Every generated level after the first loaded whole through the level
// world, the player at its start, and stood in its exit: the level plays on
// until then, and ends there with its statistics, whatever its men do to a
// player kept alive. (The first level's own play test loads it.)
#include <gtest/gtest.h>

#include <string>

#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using GeneratedLevelsTest = WorldTest;

constexpr f32 kFrameSeconds = 0.04f;
// Long enough for the exit's message to run out and the level to end.
constexpr int kMostFrames = 500;

TEST_F(GeneratedLevelsTest, EachLevelLoadsAndEndsAtItsExit) {
  MakeScreenStack();
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(mConfig.Load(cString("data/config.txt")));
  const struct {
    const char* level;
    f32 startX, startZ;
    f32 exitX, exitZ;
  } rows[] = {{"level02", 2.0f, 0.0f, 12.0f, 7.5f},
              {"level03", 2.0f, 0.0f, 8.0f, -7.5f},
              {"level99", 4.0f, 7.0f, 12.0f, -7.5f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(row.level));
    cQXWorld* world = mWorld.get();
    for (u32 step = 0; step < kLoadStepCount; step++) {
      world->Load();
    }
    cDorvaMan* player = world->GetPlayer();
    ASSERT_TRUE(player != nullptr);
    const RwV3d start = RwFrameGetLTM(player->GetFrame())->pos;
    EXPECT_NEAR(row.startX, start.x, 1e-3f);
    EXPECT_NEAR(row.startZ, start.z, 1e-3f);
    ASSERT_GE(world->GetMissionFlags().GetCount(), 1u);
    player->SetProtected(1);
    world->CloseInfoView(true);
    world->SetInputLock(0);
    for (int frame = 0; frame < kMostFrames / 10; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelPlaying, world->GetLevelEndState());  // not before the exit
    const RwV3d exit = {row.exitX, 0.0f, row.exitZ};
    RwFrameTranslate(player->GetFrame(), &exit, kRwCombineReplace);
    for (int frame = 0; frame < kMostFrames && world->GetLevelEndState() == kLevelPlaying; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelStatisticsShown, world->GetLevelEndState());
  }
}

}  // namespace
