// Levers: the one-second swing, the fall-back, a start in the opener
// position, and the checkpoint.
#include "game/world/devices/lever.h"

#include <gtest/gtest.h>

#include "tests/game/world/devices/device_fixture.h"

namespace {

TEST_F(DeviceTest, ALeverSwingsAndFallsBack) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cLever* lever = Place<cLever>(kSetLevers, "lever", "lever", {0.0f, 1.0f, 0.0f}, 0.0f);
  Finish("[lever]\nOPENEDTIME = 3\nDOORS = [door]\nICON = 4\n");
  EXPECT_EQ(kDeviceLever, lever->GetType());
  EXPECT_TRUE(lever->IsOtherSide());
  const RwV3d up = Axis(lever, 1);
  lever->Use(mLevel, kTriggerNone);
  EXPECT_EQ(kLeverUp, lever->GetPosition());
  EXPECT_FALSE(lever->IsOtherSide());
  EXPECT_EQ(0, lever->GetIcon());
  EXPECT_EQ(kDoorOpening, door->GetState());
  Run(0.5f);
  const RwV3d any = {0.0f, 0.0f, 0.0f};
  EXPECT_FALSE(lever->CanUse(any, any, kTriggerAlways, mLevel, false));
  lever->Use(mLevel, kTriggerNone);
  EXPECT_EQ(kLeverUp, lever->GetPosition());
  Run(0.55f);
  EXPECT_FALSE(lever->IsSwinging());
  EXPECT_NEAR(-up.y, Axis(lever, 1).y, 1e-4f);
  // Open at 1.4 s; the fall-back at 3 s closes it and swings back.
  Run(2.0f);
  EXPECT_EQ(kLeverDown, lever->GetPosition());
  EXPECT_TRUE(lever->IsSwinging());
  EXPECT_EQ(kDoorClosing, door->GetState());
  EXPECT_EQ(0, lever->GetIcon());
  Run(1.1f);
  EXPECT_NEAR(up.y, Axis(lever, 1).y, 1e-4f);
}

TEST_F(DeviceTest, ALeverSetUpInTheOpenerPosition) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cLever* lever = Place<cLever>(kSetLevers, "lever", "lever", {0.0f, 1.0f, 0.0f}, 0.0f);
  Finish("[lever]\nPOSITION = up\nDOORS = [door]\nICON = 4\n");
  EXPECT_EQ(kLeverUp, lever->GetPosition());
  EXPECT_EQ(kLeverUp, lever->GetOpenerPosition());
  EXPECT_FALSE(lever->IsOtherSide());
  EXPECT_EQ(kDoorClosed, door->GetState());
  const RwMatrix start = *RwFrameGetLTM(lever->GetFrame());
  StoreAllDeviceStates(mLevel);
  lever->Use(mLevel, kTriggerNone);
  EXPECT_EQ(kLeverDown, lever->GetPosition());
  EXPECT_EQ(4, lever->GetIcon());
  Run(0.5f);
  // Back to the checkpoint mid-swing, then to the level's start mid-swing.
  RestoreAllDeviceStates(mLevel);
  EXPECT_EQ(kLeverUp, lever->GetPosition());
  EXPECT_NEAR(start.up.y, RwFrameGetLTM(lever->GetFrame())->up.y, 1e-4f);
  lever->Use(mLevel, kTriggerNone);
  Run(0.3f);
  lever->Reset();
  EXPECT_FALSE(lever->IsSwinging());
  EXPECT_EQ(kLeverUp, lever->GetPosition());
  EXPECT_NEAR(start.up.y, RwFrameGetLTM(lever->GetFrame())->up.y, 1e-4f);
  EXPECT_NEAR(start.at.z, RwFrameGetLTM(lever->GetFrame())->at.z, 1e-4f);
}

}  // namespace
