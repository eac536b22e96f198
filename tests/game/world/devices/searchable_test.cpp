// Searchables: the search's length by the player's setting, the start sound,
// the searched object refused until a reset or an earlier checkpoint.
#include "game/world/devices/searchable.h"

#include <gtest/gtest.h>

#include "tests/game/world/devices/device_fixture.h"

namespace {

class SearchableTest : public DeviceTest {
 protected:
  void TearDown() override {
    SetSearchSpeed(kDefaultSearchSpeed);
    DeviceTest::TearDown();
  }
};

// The amount must fall below 0, not to it; a speed of 0 ends at once.
TEST_F(SearchableTest, SearchesLastTheirSetting) {
  struct Row {
    f32 speed;
    f32 dt;
    u32 updates;
  };
  const Row rows[] = {{5.0f, 0.25f, 21}, {2.0f, 0.25f, 9}, {4.0f, 1.0f, 5}, {0.0f, 0.25f, 1}};
  cSearchable* cupboard = Place<cSearchable>(kSetSearchables, "cupboard", "cupboard", {0.0f, 0.0f, 0.0f}, 0.0f);
  Finish("[cupboard]\nICON = 5\n");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.speed);
    cupboard->Reset();
    SetSearchSpeed(row.speed);
    u32 updates = 1;
    while (!cupboard->UpdateSearch(row.dt) && updates < 100) {
      updates++;
    }
    EXPECT_EQ(row.updates, updates);
    EXPECT_TRUE(cupboard->IsUsed());
    EXPECT_EQ(0, cupboard->GetIcon());
  }
}

TEST_F(SearchableTest, StartsAndEnds) {
  cSearchable* cupboard = Place<cSearchable>(kSetSearchables, "cupboard", "cupboard", {0.0f, 0.0f, 0.0f}, 0.0f);
  Finish("[cupboard]\nUSEPOINT = [0, 0]\nUSEDIST = 1.5\nUSEANG = 90\nUSERANG = 90\n");
  const RwV3d user = {0.0f, 0.0f, 1.0f};
  const RwV3d look = {0.0f, 0.0f, -1.0f};
  EXPECT_EQ(kDeviceSearchable, cupboard->GetType());
  EXPECT_EQ(mLevel, cupboard->GetWorld());
  EXPECT_FALSE(cupboard->Use(mLevel, kTriggerNone));
  EXPECT_TRUE(cupboard->IsStarted());
  EXPECT_TRUE(Playing(cupboard->GetUseSound()));
  cupboard->GetUseSound().Stop();
  SetSearchSpeed(1.0f);
  cupboard->UpdateSearch(0.5f);
  StoreAllDeviceStates(mLevel);
  cupboard->UpdateSearch(0.495f);
  // Half a unit left: no start sound.
  cupboard->Use(mLevel, kTriggerNone);
  EXPECT_FALSE(Playing(cupboard->GetUseSound()));
  EXPECT_TRUE(cupboard->UpdateSearch(0.01f));
  EXPECT_FALSE(cupboard->CanUse(user, look, kTriggerNone, mLevel, false));
  EXPECT_FALSE(cupboard->CanUse(user, look, kTriggerNone, mLevel, true));
  RestoreAllDeviceStates(mLevel);
  EXPECT_NEAR(50.0f, cupboard->GetRemaining(), 1e-3f);
  EXPECT_TRUE(cupboard->CanUse(user, look, kTriggerNone, mLevel, false));
  cupboard->UpdateSearch(1.0f);
  cupboard->Reset();
  EXPECT_EQ(kSearchAmount, cupboard->GetRemaining());
  EXPECT_FALSE(cupboard->IsStarted());
  EXPECT_TRUE(cupboard->CanUse(user, look, kTriggerNone, mLevel, true));
}

}  // namespace
