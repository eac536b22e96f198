// The device base: the use test with its sides, cones and query mode, the
// trigger-id rules of the property reader, the numbers it counts from 1, the
// world's device queries and the return of a taken device.
#include "game/world/devices/device.h"

#include <gtest/gtest.h>

#include <string>

#include "game/world/devices/timer_device.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

const char* const kWallUse = "USEPOINT = [0, 0]\nUSEDIST = 1.5\nUSEANG = 90\nUSERANG = 90\n";

TEST_F(DeviceTest, TheUseTest) {
  cOpenerDevice* front = PlaceOpener("button", "front", {0.0f, 1.0f, 0.0f});
  cOpenerDevice* back = PlaceOpener("button", "back", {10.0f, 1.0f, 0.0f});
  cOpenerDevice* both = PlaceOpener("button", "both", {20.0f, 1.0f, 0.0f});
  cDoor* lasered = PlaceDoor("lasered", {30.0f, 0.0f, 0.0f});
  cOpenerDevice* bare = PlaceOpener("button", "bare", {40.0f, 1.0f, 0.0f});
  const std::string use = kWallUse;
  Finish("[front]\n" + use + "[back]\n" + use + "[both]\n" + use + "[lasered]\nIMPLANT = laser\n[bare]\nUSEDIST = 9\n");
  back->SetOtherSide(true);
  both->SetTwoSided(true);
  struct Row {
    const char* what;
    cDevice* device;
    RwV3d offset;  // from the device's origin
    RwV3d direction;
    u32 id;
    bool withWorld;
    bool query;
    bool expected;
  };
  const RwV3d toBack = {0.0f, 0.0f, 1.0f};
  const RwV3d toFront = {0.0f, 0.0f, -1.0f};
  const Row rows[] = {
      {"in front, looking at it", front, {0.0f, 0.0f, 1.0f}, toFront, 0, true, false, true},
      {"just inside the distance", front, {0.0f, 0.0f, 1.49f}, toFront, 0, true, false, true},
      {"exactly at the distance", front, {0.0f, 0.0f, 1.5f}, toFront, 0, true, false, false},
      {"outside the device's cone", front, {1.0f, 0.0f, 0.5f}, {-1.0f, 0.0f, -0.5f}, 0, true, false, false},
      {"looking away", front, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, 0, true, false, false},
      {"behind a one-sided device", front, {0.0f, 0.0f, -1.0f}, toBack, 0, true, false, false},
      {"behind an other-side device", back, {0.0f, 0.0f, -1.0f}, toBack, 0, true, false, true},
      {"before an other-side device", back, {0.0f, 0.0f, 1.0f}, toFront, 0, true, false, false},
      {"behind a two-sided device", both, {0.0f, 0.0f, -1.0f}, toBack, 0, true, false, true},
      {"id 1 everywhere", front, {0.0f, 0.0f, 1.0f}, toFront, 1, true, false, true},
      {"an id it does not hear", front, {0.0f, 0.0f, 1.0f}, toFront, 2, true, false, false},
      {"query, usable by hand", front, {0.0f, 0.0f, 1.0f}, toFront, 0, true, true, false},
      {"query, needs an implant", lasered, {0.0f, 1.0f, 1.0f}, toFront, 0, true, true, true},
      {"query without a world", lasered, {0.0f, 1.0f, 1.0f}, toFront, 0, false, true, false},
      {"implant id on it", lasered, {0.0f, 1.0f, 1.0f}, toFront, 2, true, false, true},
      {"default cosines", bare, {0.0f, 0.0f, 1.0f}, toFront, 0, true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const RwV3d origin = Position(row.device);
    const RwV3d at = {origin.x + row.offset.x, origin.y + row.offset.y, origin.z + row.offset.z};
    EXPECT_EQ(row.expected, row.device->CanUse(at, row.direction, row.id, row.withWorld ? mLevel : nullptr, row.query));
  }
}

TEST_F(DeviceTest, TriggerIdsOfTheReader) {
  cOpenerDevice* plain = PlaceOpener("button", "plain", {0.0f, 1.0f, 0.0f});
  cDoor* capital = PlaceDoor("capital", {10.0f, 0.0f, 0.0f});
  cDoor* none = PlaceDoor("none", {20.0f, 0.0f, 0.0f});
  Finish("[capital]\nIMPLANT = Laser\n[none]\nIMPLANT = none\nIMPLANT = eds\n");
  struct Row {
    cDevice* device;
    std::vector<u32> ids;
    s32 first;
  };
  const Row rows[] = {{plain, {0}, 0}, {capital, {}, -1}, {none, {0}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.device->GetName().CStr());
    EXPECT_EQ(row.ids, Ids(row.device));
    EXPECT_EQ(row.first, row.device->GetFirstTriggerId());
    EXPECT_TRUE(row.device->AcceptsTriggerId(kTriggerAlways));
    EXPECT_FALSE(row.device->ListensTo(kTriggerAlways));
  }
}

// Message, mission and variant numbers count from 1 in the file: n is kept
// as n - 1, and 0, negative numbers and those at the limits of their type
// as none (-1) or the largest index, never a wrapped one.
TEST_F(DeviceTest, NumbersCountedFromOneNeverWrap) {
  struct Row {
    const char* text;
    s32 index;
  };
  const Row rows[] = {{"1", 0},
                      {"7", 6},
                      {"0", -1},
                      {"-1", -1},
                      {"2147483647", 2147483646},
                      {"-2147483648", -1},
                      {"99999999999", 2147483646},
                      {"-99999999999", -1},
                      {"none", -1}};
  const char* const deviceKeys[] = {"MISSION",       "MESSAGE",        "PARTIAL_MESSAGE",
                                    "FAILEDMESSAGE", "IMPLANTMESSAGE", "VARIANT"};
  std::string props;
  std::string timerList;
  std::vector<cOpenerDevice*> openers;
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) {
    const std::string name = "opener" + std::to_string(i);
    openers.push_back(PlaceOpener("button", name.c_str(), {10.0f * static_cast<f32>(i), 1.0f, 0.0f}));
    props += "[" + name + "]\n";
    for (const char* key : deviceKeys) {
      props += std::string(key) + " = " + rows[i].text + "\n";
    }
    props += "[timer" + std::to_string(i) + "]\nSTARTEDMESSAGE = " + rows[i].text +
             "\nSTOPPEDMESSAGE = " + rows[i].text + "\n";
    timerList += (i == 0 ? "" : ", ") + std::string("timer") + std::to_string(i);
  }
  Finish(props);
  cPropertyFile level;
  level.ParseText(cString(("[level]\nTIMERDEVICES = [" + timerList + "]\n").c_str()));
  mLevel->LoadTimerDevices(level.FindGroup(cString("level")), mProps);
  ASSERT_EQ(openers.size(), mLevel->GetTimerDevices().GetCount());
  for (size_t i = 0; i < openers.size(); i++) {
    SCOPED_TRACE(rows[i].text);
    const cOpenerDevice* opener = openers[i];
    EXPECT_EQ(rows[i].index, opener->GetMission());
    EXPECT_EQ(rows[i].index, opener->GetMessage());
    EXPECT_EQ(rows[i].index, opener->GetPartialMessage());
    EXPECT_EQ(rows[i].index, opener->GetFailedMessage());
    EXPECT_EQ(rows[i].index, opener->GetImplantMessage());
    EXPECT_EQ(rows[i].index, opener->GetVariant());
    const auto* timer = static_cast<const cTimerDevice*>(mLevel->GetTimerDevices().Get(static_cast<u32>(i)));
    EXPECT_EQ(rows[i].index, timer->GetStartedMessage());
    EXPECT_EQ(rows[i].index, timer->GetStoppedMessage());
  }
}

// A door answering the query first is passed over when a panel is asked for.
TEST_F(DeviceTest, QueriesOfTheWorld) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 0.0f});
  cOpenerDevice* panel = PlaceOpener("wallpanel", "panel", {0.0f, 1.0f, 0.2f}, 180.0f);
  cOpenerDevice* button = PlaceOpener("button", "button", {0.0f, 1.0f, 0.1f});
  Finish(std::string("[door]\nIMPLANT = laser\n[panel]\nTYPE = laserpanel\n") + kWallUse + "[button]\n" + kWallUse);
  const RwV3d user = {0.0f, 1.0f, 1.0f};
  const RwV3d look = {0.0f, 0.0f, -1.0f};
  EXPECT_EQ(panel, mLevel->FindUsableDeviceOfType(user, look, true));
  EXPECT_EQ(door, mLevel->FindUsableDeviceOfType(user, look, false));
  EXPECT_EQ(button, mLevel->FindUsableDevice(user, look, kTriggerNone));
  EXPECT_EQ(door, mLevel->FindUsableDevice(user, look, kTriggerLaser));
  EXPECT_EQ(nullptr, mLevel->FindUsableDevice(user, look, kTriggerEds));
}

// A taken device leaves update list, scene and queries, and comes back.
TEST_F(DeviceTest, ATakenDeviceLeavesAndReturns) {
  cOpenerDevice* key = PlaceOpener("pickup", "key", {0.0f, 0.0f, 0.0f});
  Finish(std::string("[key]\nTYPE = key\n") + kWallUse);
  const RwV3d user = {0.0f, 0.0f, 1.0f};
  const RwV3d look = {0.0f, 0.0f, -1.0f};
  ASSERT_TRUE(key->Use(mLevel, kTriggerNone));
  key->RemoveFromWorld(mLevel);
  EXPECT_EQ(nullptr, mLevel->FindUsableDevice(user, look, kTriggerNone));
  EXPECT_EQ(nullptr, key->GetModel()->GetScene());
  EXPECT_FALSE(key->cUpdatable::IsLinked());
  key->ReturnToWorld(mLevel);
  key->Reset();
  EXPECT_EQ(key, mLevel->FindUsableDevice(user, look, kTriggerNone));
  EXPECT_EQ(mLevel, key->GetModel()->GetScene());
  EXPECT_TRUE(key->cUpdatable::IsLinked());
}

}  // namespace
