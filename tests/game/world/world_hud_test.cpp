// The level's HUD: where the world places its widgets, and what its texts,
// messages, keys, statistics, objectives, alerts and the info view do to them.
#include <gtest/gtest.h>

#include <string>

#include "game/app/input/event_device.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"

namespace {

class WorldHudTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
  }
  // A world of the test's texts with its HUD, unlocked.
  cQXWorld* HudWorld() {
    EXPECT_TRUE(WriteLevelFile("data/inputmap.txt", "INPUTDEVICES = KEYBOARD\r\n") &&
                WriteLevelFile("data/level01/texts_d.txt",
                               "[TEXTS]\nMESSAGE00 = Short\nMESSAGE01 = $02Talk\nMESSAGE02 = Main\nMISSION00 = Intro\n"
                               "MISSION01 = \"@03 Reach it\"\nMISSION02 = @01 Other\nMISSION_OBJECTIVES = 2\n"
                               "BRIEFING = \"Go in\"\nMAINMISSIONTEXT = 3\n"));
    cQXWorld* world = MakeWorld("TEXTS = data/level01/texts\n");
    world->CreateHud();
    world->LoadTexts();
    world->SetInputLock(0);
    return world;
  }
  // The frames' visibility, the tab panel's open flag and tab, the list's.
  static std::vector<int> Panels(cQXWorld* world) {
    return {world->GetHudFrameBa()->IsVisible(), world->GetTabPanel()->IsOpen(), world->GetTabPanel()->GetTab(),
            world->GetMissionList()->IsVisible()};
  }
};

TEST_F(WorldHudTest, WidgetsArePlacedOnTheScreen) {
  cQXWorld* world = HudWorld();
  const std::pair<cWgWidget*, std::vector<s32>> rows[] = {
      {world->GetHudFrameBa(), {0, 160, 320, 320}},       {world->GetUltraOverlay(), {0, 0, 640, 480}},
      {world->GetHudFrameBf(), {0, 0, 320, 320}},         {world->GetHudFrameJa(), {320, 160, 320, 320}},
      {world->GetHudFrameKot(), {0, 0, 640, 480}},        {world->GetHudBackdrop(), {480, 8, 152, 152}},
      {world->GetActionIcons(), {256, 12, 128, 74}},      {world->GetStatusBars(), {16, 18, 160, 160}},
      {world->GetHudImplants(), {16, 142, 320, 320}},     {world->GetHudInventory(), {304, 142, 320, 320}},
      {world->GetLevelMessageBox(), {64, 160, 512, 256}}, {world->GetTabPanel(), {0, 0, 640, 480}},
      {world->GetMissionList(), {85, 16, 438, 438}},      {world->GetMessageBox(), {85, 16, 438, 438}},
      {world->GetAlertIcon(4), {45, 75, 48, 48}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    row.first->Layout(RwRect{0, 0, 640, 480}, gScreenStack->GetTarget());
    const RwRect& got = row.first->GetRect();
    EXPECT_EQ(row.second, (std::vector<s32>{got.x, got.y, got.w, got.h}));
  }
}

// Built hidden, the panel open on the map; the texts fill the list; the
// panels switch tab and list. A key closes the briefing, further below.
TEST_F(WorldHudTest, TextsAndTheInfoView) {
  cQXWorld* world = HudWorld();
  EXPECT_EQ((std::vector<int>{0, 1, kHudTabMap, 0}), Panels(world));
  const cWgMissionList& list = *world->GetMissionList();
  EXPECT_EQ((std::vector<s32>{3, 2, 0}),
            (std::vector<s32>{s32(list.GetLineCount()), list.GetObjectiveMessage(0), list.GetObjectiveMessage(1)}));
  const std::pair<void (cQXWorld::*)(), std::vector<int>> rows[] = {
      {&cQXWorld::ShowMissionPanel, {0, 1, kHudTabMissions, 1}},
      {&cQXWorld::ShowMapPanel, {0, 1, kHudTabMap, 0}},
      {&cQXWorld::OpenInfoView, {0, 1, kHudTabMap, 0}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    (world->*row.first)();
    EXPECT_EQ(row.second, Panels(world));
  }
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<int>{1, 0, kHudTabMap, 0}), Panels(world));
}

// A message shows with at least three lines; a forced hide drops it, a
// timed one lets it fade. An objective joins the list with its message.
TEST_F(WorldHudTest, MessagesAndObjectives) {
  const std::pair<u32, bool> rows[] = {{0, false}, {0, true}, {1, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first * 2 + row.second);
    cQXWorld* world = HudWorld();
    cWgMessageBox* box = world->GetLevelMessageBox();
    world->ShowMessage(row.first);
    EXPECT_EQ(row.first == 0 ? "Short" : "Talk", std::string(box->GetText().CStr()));
    EXPECT_EQ((std::vector<s32>{1, 3}), (std::vector<s32>{box->IsShowing(), box->GetDisplayLines()}));
    world->HideMessage(row.second, true, false);
    EXPECT_EQ((std::vector<s32>{0, row.second ? 0 : 5}),
              (std::vector<s32>{box->IsShowing(), s32(box->GetText().Length())}));
  }
  cQXWorld* world = HudWorld();
  world->CompleteMissionObjective(1);
  EXPECT_EQ((std::vector<s32>{3, 0}),
            (std::vector<s32>{s32(world->GetMissionList()->GetRows().size()), world->GetCurrentMessage()}));
}

// The statistics take the message box's two columns and the map panel; a
// key closes the briefing (the lock opens once it is up) and the statistics.
TEST_F(WorldHudTest, AKeyClosesTheBriefingAndTheStatistics) {
  cQXWorld* world = HudWorld();
  world->SetInputLock(1);
  cWgMessageBox* box = world->GetMessageBox();
  gInputLatch = 1;
  for (u32 endState : {kLevelPlaying, kLevelStatisticsClosed}) {
    SCOPED_TRACE(endState);
    if (endState != kLevelPlaying) {
      world->RunLevelEnd(tLevelEndFigures{});
      EXPECT_EQ(world->GetStatisticsValues(), box->GetSideText());
      EXPECT_EQ((std::vector<int>{0, 1, kHudTabMap, 0}), Panels(world));
    }
    for (u8 pressed : {1, 0}) {
      tEvent event;
      event.type = kEventKey, event.key = tKeyEvent{0, 0, pressed};
      world->GetInputMap().OnEvent(&event);
      world->CloseMessageBoxOnKey();
    }
    EXPECT_EQ((std::vector<u32>{0, 0, endState}),
              (std::vector<u32>{box->IsShowing(), box->GetSideText().Length(), world->GetLevelEndState()}));
    world->Update(0.04f);
    EXPECT_EQ(0, world->IsInputLocked());
  }
  gInputLatch = 0;
}

// Rows: operation, the blinking icons as bits. Only the shown level's icon
// blinks; hiding the HUD stops it; the icon ends the display after 96 renders.
TEST_F(WorldHudTest, AlertIconsFollowTheShownLevel) {
  cQXWorld* world = HudWorld();
  const s32 kEnd = -1, kSuppress = -2;
  const s32 rows[][2] = {{3, 1 << 3}, {2, 1 << 3}, {4, 1 << 4}, {kSuppress, 0}, {1, 0}, {kEnd, 0}, {1, 1 << 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    row[0] == kEnd ? world->EndAlertDisplay()
                   : (row[0] == kSuppress ? world->SuppressAlertDisplay() : world->RaiseAlertLevel(row[0]));
    s32 blinking = 0;
    for (u32 level = 0; level < kAlertLevelCount; level++) {
      blinking |= world->GetAlertIcon(level)->IsBlinking() ? 1 << level : 0;
    }
    EXPECT_EQ(row[1], blinking);
  }
  for (int render = 0; render < 96; render++) {
    EXPECT_EQ(1, world->GetShownAlertLevel());
    world->GetAlertIcon(1)->Render();
  }
  EXPECT_EQ(kAlertNone, world->GetShownAlertLevel());
}

}  // namespace
