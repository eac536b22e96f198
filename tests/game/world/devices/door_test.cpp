// Doors on the forged room: opening and closing with their sounds, the
// short last step, men in the doorway, the self-cycling door, the ids that
// open a door, and the rest position after a reset or a checkpoint.
#include "game/world/devices/door.h"

#include <gtest/gtest.h>

#include "tests/game/world/devices/device_fixture.h"

namespace {

const char* const kDoorway = "USEPOINT = [0, 0.7]\nSPEED = 1\nMOVEDIST = 1.4\n";

TEST_F(DeviceTest, ADoorOpensWaitsAndCloses) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 0.0f});
  Finish(std::string("[door]\n") + kDoorway + "OPENEDTIME = 3\nIMPLANT = none\n");
  EXPECT_TRUE(door->Open(mLevel, kTriggerNone));
  EXPECT_EQ(kDoorOpening, door->GetState());
  EXPECT_TRUE(Playing(door->GetOpenSound()));
  Run(1.5f);
  EXPECT_EQ(kDoorOpen, door->GetState());
  // The step that would reach the end is not taken.
  const f32 open = Position(door).x;
  EXPECT_LT(open, 1.4f);
  EXPECT_GT(open, 1.4f - 0.05f);
  EXPECT_FALSE(door->Open(mLevel, kTriggerAlways));
  Run(2.9f);
  EXPECT_EQ(kDoorOpen, door->GetState());
  Run(0.2f);
  EXPECT_EQ(kDoorClosing, door->GetState());
  EXPECT_TRUE(Playing(door->GetCloseSound()));
  EXPECT_FALSE(door->GetOpenSound().IsPlaying());
  Run(1.5f);
  EXPECT_EQ(kDoorClosed, door->GetState());
  EXPECT_NEAR(0.0f, Position(door).x, 1e-5f);
  EXPECT_FALSE(door->Close());
}

// Blocked, the open door waits; entered while closing, it reopens and
// closes as soon as the doorway is clear.
TEST_F(DeviceTest, AManInTheDoorwayKeepsItOpen) {
  LoadMenFile();
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 0.0f});
  Finish(std::string("[door]\n") + kDoorway + "OPENEDTIME = 1\n");
  cMan* man = AddMan("guard", {0.0f, 0.0f, 0.0f});
  AppendPointer(&mLevel->GetMen(), man);
  const RwV3d away = {0.0f, 0.0f, 5.0f};
  const RwV3d back = {0.0f, 0.0f, -5.0f};
  EXPECT_FALSE(door->IsDoorwayClear());
  door->Open(mLevel, kTriggerAlways);
  Run(5.0f);
  EXPECT_EQ(kDoorOpen, door->GetState());
  RwFrameTranslate(man->GetFrame(), &away, kRwCombinePostConcat);
  EXPECT_TRUE(door->IsDoorwayClear());
  Run(0.1f);
  EXPECT_EQ(kDoorClosing, door->GetState());
  Run(0.5f);
  RwFrameTranslate(man->GetFrame(), &back, kRwCombinePostConcat);
  Run(0.05f);
  EXPECT_EQ(kDoorOpening, door->GetState());
  EXPECT_TRUE(door->IsReopening());
  Run(1.0f);
  EXPECT_EQ(kDoorOpen, door->GetState());
  RwFrameTranslate(man->GetFrame(), &away, kRwCombinePostConcat);
  Run(0.05f);
  EXPECT_EQ(kDoorClosing, door->GetState());
  mLevel->GetMen().SetCount(0);
}

TEST_F(DeviceTest, ADoorWithAClosedTimeCycles) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 0.0f});
  Finish("[door]\nMOVEDIR = up\nSPEED = 2\nMOVEDIST = 1\nCLOSEDTIME = 2\nOPENEDTIME = 3\n");
  struct Row {
    f32 until;  // seconds since the start
    s32 state;
  };
  const Row rows[] = {{1.9f, kDoorClosed},  {2.2f, kDoorOpening}, {2.8f, kDoorOpen},    {5.5f, kDoorOpen},
                      {5.8f, kDoorClosing}, {6.5f, kDoorClosed},  {8.3f, kDoorOpening}, {9.0f, kDoorOpen}};
  f32 now = 0.0f;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.until);
    Run(row.until - now);
    now = row.until;
    EXPECT_EQ(row.state, door->GetState());
  }
  EXPECT_GT(Position(door).y, 0.9f);
  EXPECT_NEAR(0.0f, Position(door).x, 1e-5f);
}

TEST_F(DeviceTest, IdsThatOpenADoor) {
  cDoor* lasered = PlaceDoor("lasered", {0.0f, 0.0f, 0.0f});
  cDoor* eds = PlaceDoor("eds", {5.0f, 0.0f, 0.0f});
  Finish("[lasered]\nIMPLANT = laser\n[eds]\nIMPLANT = eds\n");
  struct Row {
    cDoor* door;
    u32 id;
    bool opens;
  };
  const Row rows[] = {{lasered, kTriggerNone, false}, {lasered, kTriggerControl, false}, {eds, kTriggerAlways, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(row.opens, row.door->Open(mLevel, row.id));
  }
  // A laser on a door that hears it opens it by hand from then on.
  EXPECT_FALSE(lasered->Use(mLevel, kTriggerEds));
  EXPECT_FALSE(lasered->ListensTo(kTriggerNone));
  EXPECT_FALSE(lasered->Use(mLevel, kTriggerLaser));
  EXPECT_EQ(kDoorClosed, lasered->GetState());
  lasered->Use(mLevel, kTriggerNone);
  EXPECT_EQ(kDoorOpening, lasered->GetState());
}

TEST_F(DeviceTest, ADoorComesBackToRest) {
  cDoor* door = PlaceDoor("door", {2.0f, 0.0f, 3.0f}, 90.0f);
  Finish(std::string("[door]\n") + kDoorway + "MOVEDIR = right\nIMPLANT = laser\n");
  tSegment2d segment(RwV2d{0.0f, 0.0f}, RwV2d{1.0f, 0.0f});
  door->GetDoorwaySegment(&segment);
  EXPECT_NEAR(1.4f, segment.length, 1e-4f);
  door->Use(mLevel, kTriggerLaser);
  door->Open(mLevel, kTriggerNone);
  Run(2.0f);
  StoreAllDeviceStates(mLevel);
  const RwV3d open = Position(door);
  EXPECT_NEAR(3.0f + 1.35f, open.z, 0.06f);
  door->SetHeldOpen(true);
  Run(5.0f);
  EXPECT_EQ(kDoorOpen, door->GetState());
  door->Close();
  Run(3.0f);
  EXPECT_EQ(kDoorClosed, door->GetState());
  RestoreAllDeviceStates(mLevel);
  EXPECT_EQ(kDoorOpen, door->GetState());
  EXPECT_NEAR(open.z, Position(door).z, 1e-5f);
  EXPECT_TRUE(door->ListensTo(kTriggerNone));
  door->Reset();
  EXPECT_EQ(kDoorClosed, door->GetState());
  EXPECT_NEAR(3.0f, Position(door).z, 1e-5f);
  EXPECT_EQ((std::vector<u32>{2}), Ids(door));
}

}  // namespace
