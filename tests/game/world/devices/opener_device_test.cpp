// Opener devices: TYPE and its trigger ids, the lists, buttons held and
// returning, a laser panel's ids and flips, keys taken once.
#include "game/world/devices/opener_device.h"

#include <gtest/gtest.h>

#include "tests/game/world/devices/device_fixture.h"

namespace {

TEST_F(DeviceTest, TypesOfTheReader) {
  struct Row {
    const char* props;
    s32 type;
    std::vector<u32> ids;
    f32 openedTime;
  };
  const Row rows[] = {
      {"TYPE = button\nOPENEDTIME = 2", kDeviceButton, {0}, 2.0f},
      {"TYPE = Button", kDeviceButton, {0}, 3.0f},
      {"TYPE = laserpanel\nOPENEDTIME = 7", kDevicePanel, {2}, 1.0f},
      {"IMPLANT = none\nTYPE = edspanel", kDevicePanel, {0, 3}, 1.0f},
      {"TYPE = key", kDeviceKey, {0}, 3.0f},
      {"TYPE = card", kDeviceCard, {0}, 3.0f},
      {"TYPE = disguise", kDeviceDisguise, {0}, 3.0f},
      {"TYPE = special", kDeviceSpecial, {0}, 3.0f},
      {"TYPE = gizmo", kDeviceButton, {0}, 3.0f},
  };
  std::string props;
  std::vector<cOpenerDevice*> devices;
  for (u32 i = 0; i < sizeof(rows) / sizeof(rows[0]); i++) {
    const std::string name = "device" + std::to_string(i);
    devices.push_back(PlaceOpener("button", name.c_str(), {static_cast<f32>(i) * 3.0f, 1.0f, 0.0f}));
    props += "[" + name + "]\n" + rows[i].props + "\n";
  }
  Finish(props);
  for (u32 i = 0; i < devices.size(); i++) {
    SCOPED_TRACE(rows[i].props);
    EXPECT_EQ(rows[i].type, devices[i]->GetType());
    EXPECT_EQ(rows[i].ids, Ids(devices[i]));
    EXPECT_EQ(rows[i].openedTime, devices[i]->GetOpenedTime());
  }
}

// DOORS elements are trimmed; a name that is not a door's is skipped.
TEST_F(DeviceTest, AButtonOpensItsDoorsAndReturns) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cOpenerDevice* held = PlaceOpener("button", "held", {0.0f, 1.0f, 0.0f});
  cOpenerDevice* timed = PlaceOpener("button", "timed", {3.0f, 1.0f, 0.0f});
  Finish(
      "[held]\nTYPE = button\nOPENEDTIME = 0\nDOORS = [ \tdoor , timed, nowhere]\nUSEPOINT = [0, 0]\nUSEDIST = 1.5\n"
      "USEANG = 90\nUSERANG = 90\nICON = 2\n[timed]\nOPENEDTIME = 2\nDOORS = [door]\n");
  ASSERT_EQ(1u, held->GetDoors().GetCount());
  EXPECT_EQ(door, held->GetDoors().Get(0));
  EXPECT_EQ((std::vector<u32>{0, 4}), Ids(door));
  const RwV3d user = {0.0f, 1.0f, 1.0f};
  const RwV3d look = {0.0f, 0.0f, -1.0f};
  const RwV3d facing = Axis(held, 2);
  ASSERT_TRUE(held->CanUse(user, look, kTriggerNone, mLevel, false));
  EXPECT_FALSE(held->Use(mLevel, kTriggerNone));
  EXPECT_TRUE(Playing(held->GetUseSound()));
  EXPECT_EQ(0, held->GetIcon());
  EXPECT_FALSE(held->CanUse(user, look, kTriggerNone, mLevel, false));
  EXPECT_NEAR(-facing.z, Axis(held, 2).z, 1e-4f);
  Run(10.0f);
  EXPECT_TRUE(held->IsUsed());
  EXPECT_EQ(kDoorOpen, door->GetState());
  EXPECT_FALSE(held->Use(mLevel, kTriggerNone));

  // The timed button returns after its 2 s and closes the door.
  timed->Use(mLevel, kTriggerNone);
  Run(1.9f);
  EXPECT_TRUE(timed->IsUsed());
  Run(0.2f);
  EXPECT_FALSE(timed->IsUsed());
  EXPECT_EQ(kDoorClosing, door->GetState());
  held->Reset();
  EXPECT_FALSE(held->IsUsed());
  EXPECT_EQ(2, held->GetIcon());
  EXPECT_NEAR(facing.z, Axis(held, 2).z, 1e-4f);
}

// The panel flips every second while unused; once used it listens to 4
// and stays.
TEST_F(DeviceTest, ALaserPanelFlipsUntilUsed) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cOpenerDevice* panel = PlaceOpener("wallpanel", "panel", {0.0f, 1.0f, 0.0f});
  Finish("[panel]\nTYPE = laserpanel\nIMPLANT = none\nDOORS = [door]\n");
  EXPECT_EQ((std::vector<u32>{0, 2}), Ids(panel));
  const std::vector<bool> sides = {false, true, false, true};
  for (u32 second = 0; second < sides.size(); second++) {
    SCOPED_TRACE(second);
    EXPECT_EQ(sides[second], panel->IsOtherSide());
    Run(1.0f);
  }
  EXPECT_FALSE(panel->Use(mLevel, kTriggerLaser));
  EXPECT_EQ((std::vector<u32>{4, 4}), Ids(panel));
  EXPECT_EQ((std::vector<u32>{0, 4}), Ids(door));
  EXPECT_EQ(kDoorClosed, door->GetState());
  Run(3.0f);
  EXPECT_FALSE(panel->IsOtherSide());
  panel->Reset();
  EXPECT_EQ((std::vector<u32>{0}), Ids(panel));
}

// ALERTED names men by their group; only the device table's readers have
// the world's men.
TEST_F(DeviceTest, KeysUnlockOnce) {
  LoadMenFile();
  cMan* man = AddMan("guard", kOpenFloor);
  AppendPointer(&mLevel->GetMen(), man);
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cDoor* locked = PlaceDoor("locked", {5.0f, 0.0f, 5.0f});
  cOpenerDevice* key = PlaceOpener("pickup", "key", {0.0f, 0.0f, 0.0f});
  cLever* lever = Place<cLever>(kSetLevers, "lever", "lever", {3.0f, 1.0f, 0.0f}, 0.0f);
  Finish(
      "[door]\nIMPLANT = laser\n[locked]\nIMPLANT = eds\n[key]\nTYPE = key\nVARIANT = 3\nDOORS = [door]\n"
      "DEVICES = [locked]\nALERTED = [man0, nobody, man0]\n[lever]\nALERTED = [man0]\n");
  mLevel->GetMen().SetCount(0);
  EXPECT_EQ(2u, key->GetAlerted().GetCount());
  EXPECT_EQ(man, key->GetAlerted().Get(1));
  EXPECT_EQ(0u, lever->GetAlerted().GetCount());
  EXPECT_EQ(2, key->GetVariant());
  EXPECT_TRUE(key->Use(mLevel, kTriggerNone));
  EXPECT_FALSE(key->Use(mLevel, kTriggerNone));
  EXPECT_TRUE(door->ListensTo(kTriggerNone));
  EXPECT_TRUE(locked->ListensTo(kTriggerNone));
}

// A key used through a group still updates: it leaves the world at its
// next update and stays in its set until the teardown.
TEST_F(DeviceTest, AKeyUsedThroughAGroupLeavesTheWorld) {
  cMultiDevice* button = Place<cMultiDevice>(kSetMultiDevices, "groupbutton", "button", {0.0f, 1.0f, 0.0f}, 0.0f);
  cMultiDevice* key = Place<cMultiDevice>(kSetMultiDevices, "pickup", "key", {3.0f, 0.0f, 0.0f}, 0.0f);
  Finish("[button]\nGROUP = [button, key]\nSYNCRON = yes\n[key]\nTYPE = key\n");
  button->Use(mLevel, kTriggerNone);
  EXPECT_TRUE(key->IsUsed());
  Run(0.1f);
  EXPECT_FALSE(key->cUpdatable::IsLinked());
  EXPECT_FALSE(key->GetUsableLink().IsLinked());
  EXPECT_EQ(nullptr, key->GetModel()->GetScene());
  EXPECT_TRUE(button->cUpdatable::IsLinked());
  StoreAllDeviceStates(mLevel);
  RestoreAllDeviceStates(mLevel);
}

}  // namespace
