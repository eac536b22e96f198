// The level's HUD: where the world places its widgets, what its texts,
// messages, statistics, objectives and alerts show in them, and which the
// info view and the panels open and close.
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

constexpr char kTexts[] =
    "MESSAGE00 = \"Short\"\nMESSAGE01 = \"$02Talk\"\nMESSAGE02 = Reached\nMESSAGE03 = Main\n"
    "MISSION00 = \"Intro\"\nMISSION01 = \"@03 Reach it\"\nMISSION02 = @01 Other\n"
    "MISSION_OBJECTIVES = 2\nBRIEFING = \"Go in\"\nMAINMISSIONTEXT = 4\n";

class WorldHudTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
  }
  // A world with its HUD and texts, unlocked.
  cQXWorld* HudWorld() {
    EXPECT_TRUE(WriteLevelFile("data/level01/texts_d.txt", std::string("[TEXTS]\n") + kTexts));
    cQXWorld* world = MakeWorld("");
    mConfig.ParseText(cString("[level01]\nTEXTS = data/level01/texts\n"));
    world->CreateHud();
    world->LoadTexts();
    world->SetInputLock(0);
    return world;
  }
};

TEST_F(WorldHudTest, WidgetsArePlacedOnTheScreen) {
  cQXWorld* world = HudWorld();
  const struct {
    const char* name;
    cWgWidget* widget;
    RwRect rect;
  } rows[] = {{"frame ba", world->GetHudFrameBa(), {0, 160, 320, 320}},
              {"overlay", world->GetUltraOverlay(), {0, 0, 640, 480}},
              {"frame bf", world->GetHudFrameBf(), {0, 0, 320, 320}},
              {"frame ja", world->GetHudFrameJa(), {320, 160, 320, 320}},
              {"frame kot", world->GetHudFrameKot(), {0, 0, 640, 480}},
              {"backdrop", world->GetHudBackdrop(), {480, 8, 152, 152}},
              {"action icons", world->GetActionIcons(), {256, 12, 128, 74}},
              {"status bars", world->GetStatusBars(), {16, 18, 160, 160}},
              {"implants", world->GetHudImplants(), {16, 142, 320, 320}},
              {"inventory", world->GetHudInventory(), {304, 142, 320, 320}},
              {"message box", world->GetMessageBox(), {64, 160, 512, 256}},
              {"tab panel", world->GetTabPanel(), {0, 0, 640, 480}},
              {"mission list", world->GetMissionList(), {85, 16, 438, 438}},
              {"second box", world->GetSecondMessageBox(), {85, 16, 438, 438}},
              {"alert 4", world->GetAlertIcon(4), {45, 75, 48, 48}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_NE(nullptr, row.widget);
    row.widget->Layout(RwRect{0, 0, 640, 480}, gScreenStack->GetTarget());
    const RwRect& got = row.widget->GetRect();
    EXPECT_EQ((std::vector<s32>{row.rect.x, row.rect.y, row.rect.w, row.rect.h}),
              (std::vector<s32>{got.x, got.y, got.w, got.h}));
  }
  EXPECT_EQ(nullptr, world->GetAlertIcon(kAlertLevelCount));
}

// Built hidden with the tab panel open on the map; the texts fill the
// mission list, the panel and the briefing box. The info view and the
// panels switch the HUD, the tab and the list.
TEST_F(WorldHudTest, TextsAndTheInfoView) {
  cQXWorld* world = HudWorld();
  cWgTabPanel* panel = world->GetTabPanel();
  cWgMissionList* list = world->GetMissionList();
  auto state = [&] {
    return std::vector<int>{world->GetHudFrameBa()->IsVisible(), panel->IsOpen(), panel->GetTab(), list->IsVisible()};
  };
  EXPECT_EQ((std::vector<int>{0, 1, kHudTabMap, 0}), state());
  ASSERT_EQ(3u, list->GetLineCount());
  EXPECT_EQ((std::vector<s32>{2, 0}), (std::vector<s32>{list->GetObjectiveMessage(0), list->GetObjectiveMessage(1)}));
  EXPECT_STREQ("Go in", world->GetSecondMessageBox()->GetText().CStr());
  EXPECT_TRUE(world->GetSecondMessageBox()->IsShowing());
  EXPECT_STREQ("Main", world->GetMainMissionText().CStr());

  const struct {
    const char* step;
    void (cQXWorld::*call)();
    std::vector<int> state;
  } rows[] = {{"mission panel", &cQXWorld::ShowMissionPanel, {0, 1, kHudTabMissions, 1}},
              {"map panel", &cQXWorld::ShowMapPanel, {0, 1, kHudTabMap, 0}},
              {"mission panel again", &cQXWorld::ShowMissionPanel, {0, 1, kHudTabMissions, 1}},
              {"info view opened", &cQXWorld::OpenInfoView, {0, 1, kHudTabMap, 1}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.step);
    (world->*row.call)();
    EXPECT_EQ(row.state, state());
  }
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<int>{1, 0, kHudTabMap, 0}), state());
}

// A message shows in the message box with at least three lines and the
// dialogue's prompt; a forced hide drops the text, a timed one fades it.
TEST_F(WorldHudTest, MessagesInTheMessageBox) {
  const struct {
    u32 index;
    bool force;
    const char* shown;
    const char* after;
  } rows[] = {{0, false, "Short", "Short"}, {0, true, "Short", ""}, {1, true, "Talk", ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index * 2 + row.force);
    cQXWorld* world = HudWorld();
    cWgMessageBox* box = world->GetMessageBox();
    world->ShowMessage(row.index);
    EXPECT_STREQ(row.shown, box->GetText().CStr());
    EXPECT_EQ((std::vector<s32>{1, 3}), (std::vector<s32>{box->IsShowing(), box->GetDisplayLines()}));
    world->HideMessage(row.force, true, false);
    EXPECT_EQ((std::vector<s32>{0, kNoPendingMessage}), (std::vector<s32>{box->IsShowing(), world->GetCurrentMessage()}));
    EXPECT_STREQ(row.after, box->GetText().CStr());
  }
}

TEST_F(WorldHudTest, StatisticsAndReachedObjectives) {
  cQXWorld* world = HudWorld();
  world->CompleteMissionObjective(1);
  EXPECT_EQ(0, world->GetCurrentMessage());
  std::string rows;
  for (const tMissionRow& row : world->GetMissionList()->GetRows()) {
    rows += std::string(row.text->CStr()) + "|";
  }
  EXPECT_EQ("Intro|  Reach it|  Other|", rows);

  world->CloseInfoView(true);
  world->RunLevelEnd(tLevelEndFigures{0.0f, 61000.0f, 1, 2, 3, 4});
  cWgMessageBox* box = world->GetSecondMessageBox();
  EXPECT_EQ(world->GetStatisticsLabels(), box->GetText());
  EXPECT_EQ(world->GetStatisticsValues(), box->GetSideText());
  EXPECT_EQ((std::vector<int>{1, 1, kHudTabMap, 0}),
            (std::vector<int>{box->IsShowing(), world->GetTabPanel()->IsOpen(), world->GetTabPanel()->GetTab(),
                              world->GetHudFrameBa()->IsVisible()}));
}

// A key closes the shown briefing, and the lock opens once it is up; a key
// on the statistics closes them for the level's fade.
TEST_F(WorldHudTest, AKeyClosesTheBriefingAndTheStatistics) {
  ASSERT_TRUE(WriteLevelFile("data/inputmap.txt", "INPUTDEVICES = KEYBOARD\r\n"));
  cQXWorld* world = HudWorld();
  world->SetInputLock(1);
  cWgMessageBox* box = world->GetSecondMessageBox();
  auto key = [world](u8 pressed) {
    tEvent event;
    event.type = kEventKey;
    event.key = tKeyEvent{0, 0, pressed};
    world->GetInputMap().OnEvent(&event);
  };
  gInputLatch = 1;
  const struct {
    bool statistics;
    u32 endState;
  } rows[] = {{false, kLevelPlaying}, {true, kLevelStatisticsClosed}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.statistics);
    if (row.statistics) {
      world->RunLevelEnd(tLevelEndFigures{});
    }
    key(1);
    world->CloseMessageBoxOnKey();
    EXPECT_EQ((std::vector<u32>{0, 0, row.endState}),
              (std::vector<u32>{box->IsShowing(), box->GetSideText().Length(), world->GetLevelEndState()}));
    key(0);
    world->Update(0.04f);
    EXPECT_EQ(0, world->IsInputLocked());
  }
  gInputLatch = 0;
}

// Only the shown level's icon blinks; hiding the HUD stops it; the icon
// ends the display itself after its 96 renders.
TEST_F(WorldHudTest, AlertIconsFollowTheShownLevel) {
  cQXWorld* world = HudWorld();
  const s32 kEnd = -1, kSuppress = -2;
  // operation, the blinking icons as bits
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
  cWgBlinkIcon* icon = world->GetAlertIcon(1);
  for (int render = 0; render < 95; render++) {
    icon->Render();
  }
  EXPECT_EQ(1, world->GetShownAlertLevel());
  icon->Render();
  EXPECT_EQ((std::vector<s32>{kAlertNone, 0}), (std::vector<s32>{world->GetShownAlertLevel(), icon->IsBlinking()}));
}

}  // namespace
