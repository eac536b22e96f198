// Device groups: grouped buttons counting down at their marker and acting
// when complete, synchronised buttons, multi-levers, and the pressed state
// through a checkpoint and a reset.
#include "game/world/devices/multi_device.h"

#include <gtest/gtest.h>

#include "tests/game/world/devices/device_fixture.h"

namespace {

class GroupTest : public DeviceTest {
 protected:
  // Message 1 holds a marker; objectives two.
  void SetUp() override {
    DeviceTest::SetUp();
    const char* const texts[] = {"@ to go", "done"};
    mLevel->GetMessages().SetCount(2);
    mLevel->GetMessageMarkers().Fill(2, -1);
    mLevel->GetMessageDialogues().Fill(2, -1);
    mLevel->GetMessageDisplayValues().Fill(2, 0);
    for (u32 i = 0; i < 2; i++) {
      mLevel->GetMessages().Set(i, new cString(texts[i]));
    }
    mLevel->GetMessageMarkers()[0] = 0;
    mLevel->GetMissionFlags().Resize(2, 0);
    mLevel->SetInputLock(0);
  }
  char Marker() const { return mLevel->GetMessageText(0).Data()[0]; }
  cMultiDevice* Button(const char* name, f32 x) {
    return Place<cMultiDevice>(kSetMultiDevices, "groupbutton", name, {x, 1.0f, 0.0f}, 0.0f);
  }
  cMultiLever* Lever(const char* name, f32 x) {
    return Place<cMultiLever>(kSetMultiLevers, "multilever", name, {x, 1.0f, 0.0f}, 0.0f);
  }
};

TEST_F(GroupTest, ThreeButtonsCountDownThenAct) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  std::vector<cMultiDevice*> buttons = {Button("b1", 0.0f), Button("b2", 2.0f), Button("b3", 4.0f)};
  const std::string group = "GROUP = [b1, b2, b3, missing]\nPARTIAL_MESSAGE = 1\nDOORS = [door]\nICON = 6\n";
  Finish("[b1]\n" + group + "[b2]\n" + group + "[b3]\n" + group + "MISSION = 2\n");
  ASSERT_EQ(3u, buttons[0]->GetMembers().GetCount());
  const char expected[] = {'2', '1'};
  for (u32 press = 0; press < 2; press++) {
    SCOPED_TRACE(press);
    buttons[press]->Use(mLevel, kTriggerNone);
    EXPECT_EQ(expected[press], Marker());
    EXPECT_TRUE(buttons[press]->IsHeld());
    EXPECT_EQ(0, buttons[press]->GetIcon());
    EXPECT_EQ(kDoorClosed, door->GetState());
  }
  EXPECT_EQ(0, mLevel->GetCurrentMessage());
  StoreAllDeviceStates(mLevel);
  Run(5.0f);
  EXPECT_TRUE(buttons[0]->IsUsed());
  buttons[2]->Use(mLevel, kTriggerNone);
  EXPECT_EQ(kDoorOpening, door->GetState());
  EXPECT_EQ(1, mLevel->GetMissionFlags().GetData()[1]);
  for (cMultiDevice* button : buttons) {
    EXPECT_FALSE(button->IsPressed());
    EXPECT_FALSE(button->IsHeld());
  }
  Run(3.1f);
  EXPECT_FALSE(buttons[0]->IsUsed());
  RestoreAllDeviceStates(mLevel);
  EXPECT_TRUE(buttons[1]->IsPressed() && buttons[1]->IsHeld() && buttons[1]->IsUsed());
  EXPECT_FALSE(buttons[2]->IsPressed());
  buttons[1]->Reset();
  EXPECT_FALSE(buttons[1]->IsPressed() || buttons[1]->IsHeld() || buttons[1]->IsUsed());
  EXPECT_EQ(6, buttons[1]->GetIcon());
}

TEST_F(GroupTest, SynchronisedButtonsActTogether) {
  cDoor* first = PlaceDoor("first", {0.0f, 0.0f, 5.0f});
  cDoor* second = PlaceDoor("second", {5.0f, 0.0f, 5.0f});
  cMultiDevice* s1 = Button("s1", 0.0f);
  cMultiDevice* s2 = Button("s2", 2.0f);
  Finish("[s1]\nGROUP = [s1, s2]\nSYNCRON = yes\nDOORS = [first]\n[s2]\nSYNCRON = yes\nDOORS = [second]\n");
  EXPECT_TRUE(s1->IsSynchronised());
  s1->Use(mLevel, kTriggerNone);
  EXPECT_TRUE(s1->IsUsed() && s2->IsUsed());
  EXPECT_EQ(kDoorOpening, first->GetState());
  EXPECT_EQ(kDoorOpening, second->GetState());
}

TEST_F(GroupTest, TwoMultiLevers) {
  cDoor* door = PlaceDoor("door", {0.0f, 0.0f, 5.0f});
  cMultiLever* l1 = Lever("l1", 0.0f);
  cMultiLever* l2 = Lever("l2", 2.0f);
  const std::string group = "GROUP = [l1, l2]\nPARTIAL_MESSAGE = 1\nDOORS = [door]\nMISSION = 1\n";
  Finish("[l1]\n" + group + "[l2]\n" + group);
  struct Row {
    cMultiLever* lever;
    char marker;
    s32 doorState;
  };
  const Row rows[] = {{l1, '1', kDoorClosed}, {l1, '2', kDoorClosed}, {l1, '1', kDoorClosed}, {l2, '1', kDoorOpening}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lever->GetName().CStr());
    row.lever->Use(mLevel, kTriggerNone);
    EXPECT_EQ(row.marker, Marker());
    EXPECT_EQ(row.doorState, door->GetState());
    Run(1.05f);
  }
  EXPECT_EQ(1, mLevel->GetMissionFlags().GetData()[0]);
}

}  // namespace
