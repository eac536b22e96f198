// The player's checkpoint and reset on a forged room with a key to take,
// its eye, and the record the level's end reads.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/game/characters/player/player_fixture.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

using PlayerVitalsTest = PlayerCameraTestOn<DeviceTest>;

TEST_F(PlayerVitalsTest, CheckpointsKeepItemsRecordAndEnergyAndResetsGiveItemsBack) {
  const std::string use = "USEDIST = 3\nUSEANG = 90\nUSERANG = 90\nUSEPOINT = [0, 1]\nVARIANT = 3\n";
  cOpenerDevice* key = PlaceOpener("button", "key", {0.0f, 0.0f, 0.0f});
  Finish("[key]\nTYPE = key\n" + use);
  cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, 1.0f}, kCameraText, 180.0f);
  player->Input().useItem = 1;
  player->SetSkipAnimation(1);
  player->Update(0.02f);
  player->Update(0.02f);
  player->SetSkipAnimation(0);
  cLevelStats& stats = player->GetStats();
  // health, energy, hits taken, items carried, key in the level, camera mode
  auto seen = [&] {
    const f32 carried = f32(player->GetInventoryCount()), inLevel = f32(!mLevel->GetUsableDevices().IsEmpty());
    return std::vector<f32>{
        player->GetHealth(),     player->GetEnergy(), f32(stats.GetCounter(kCounterHitsTaken)), carried, inLevel,
        f32(Camera()->GetMode())};
  };
  const struct {
    const char* name;
    std::function<void()> step;
    std::vector<f32> expected;
  } rows[] = {
      {"saved",
       [&] {
         player->SetHealth(0.5f), player->SetEnergy(0.4f), stats.AddToCounter(kCounterHitsTaken, 2);
         player->SaveState();
       },
       {0.5f, 0.4f, 2, 1, 0, kCamFollow}},
      {"changed after the checkpoint",
       [&] {
         player->SetHealth(0.3f), player->SetEnergy(0.9f), stats.AddToCounter(kCounterHitsTaken, 3);
         player->SetProtected(1);
         Camera()->StartAiming();
         player->SetAiming(1);
       },
       {0.3f, 0.9f, 5, 1, 0, kCamAiming}},
      {"restored", [&] { player->RestoreState(); }, {1.0f, 0.4f, 2, 1, 0, kCamFollow}},
      {"reset", [&] { player->Reset(); }, {1.0f, 0.4f, 0, 0, 1, kCamFollow}},
      {"restored after the reset", [&] { player->RestoreState(); }, {1.0f, 0.4f, 2, 1, 0, kCamFollow}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.step();
    EXPECT_EQ(row.expected, seen());
    EXPECT_EQ(1u, player->GetSavedInventoryCount());
    EXPECT_EQ(2u, player->GetSavedStats().GetCounter(kCounterHitsTaken));
  }
  EXPECT_EQ(key, player->GetInventoryItem(0).device);
  EXPECT_EQ(0, player->IsProtected());
  EXPECT_EQ(0, player->IsAiming());
  EXPECT_EQ(kStateStand, player->GetActionState());
  EXPECT_FLOAT_EQ(60.0f, player->GetLookLimit());
}

TEST_F(PlayerVitalsTest, TheLevelEndReadsTheCountersByName) {
  cDorvaMan* player = AddPlayer(kOpenFloor);
  // The eye of the player: no hearing, sight to 200 within 60 degrees.
  const cPerceptor& eye = player->GetPerceptor();
  EXPECT_EQ((std::vector<f32>{0.9f, 0.0f, 200.0f, 60.0f}),
            (std::vector<f32>{eye.mEyeOffset.y, eye.mHearingRange, eye.mSightRange, eye.mViewAngle}));
  EXPECT_FLOAT_EQ(std::cos(30.0f * 0.0174532925f), eye.mCosineLimit);
  for (u32 counter = 0; counter < kLevelCounterCount; counter++) {
    player->GetStats().SetCounter(static_cast<eLevelCounter>(counter), 10 + counter);
  }
  mLevel->SetInputLock(0);
  mLevel->GetMissionFlags().Resize(1, 1);
  mLevel->Update(0.0f);
  // Elapsed time, then security alerts, enemy alerts, hits taken and the
  // neutralised enemies; the civilian alerts are not shown.
  const std::string values = mLevel->GetStatisticsValues().CStr();
  EXPECT_NE(std::string::npos, values.find("\n\n10\n11\n\n12\n14\n")) << values;
}

}  // namespace
