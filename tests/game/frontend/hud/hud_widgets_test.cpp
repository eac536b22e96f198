// The HUD widgets' arithmetic, without reading pixels back: the widgets are
// never laid out, so each render steps their state and draws nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "tests/game/frontend/hud/hud_fakes.h"

namespace {

class HudWidgetsTest : public HudScreenTest {};

std::vector<int> Rgb(const RwRGBA& c) { return {c.red, c.green, c.blue}; }

TEST_F(HudWidgetsTest, HealthFlashRisesFiveRendersAndFallsSeventeen) {
  cWgHudStatusBars bars{tWgPlacement()};
  bars.Setup(&player_, kHealthIconTexture, kEnergyIconTexture, kNoiseIconTexture);
  bars.Flash(kDamageFlashFrames);
  std::vector<std::vector<int>> seen;
  for (int i = 0; i < 23; i++) {
    bars.Render();
    seen.push_back(Rgb(bars.GetHealthColour()));
  }
  const struct {
    int render;  // 1-based
    std::vector<int> rgb;
  } rows[] = {
      {1, {66, 166, 204}}, {5, {255, 42, 51}}, {6, {255, 44, 51}}, {22, {66, 176, 204}}, {23, {66, 166, 204}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.render);
    EXPECT_EQ(row.rgb, seen[row.render - 1]);
  }
  EXPECT_FALSE(bars.IsFlashing());

  bars.Flash(kDamageFlashFrames);
  bars.Render();
  bars.Render();
  bars.Flash(0);
  bars.Render();
  EXPECT_EQ(Rgb(kHudBlue), Rgb(bars.GetHealthColour()));
}

TEST(HudStatusBarsTest, EnergyCellsShowTenthsAndTheRest) {
  const struct {
    f32 energy;
    std::vector<f32> fills;
  } rows[] = {
      {0.35f, {1, 1, 1, 0.5f, 0, 0, 0, 0, 0, 0}},
      {1.0f, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {0.0f, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {-0.01f, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.energy);
    for (u32 i = 0; i < kEnergyCellCount; i++) {
      EXPECT_NEAR(row.fills[i], cWgHudStatusBars::EnergyCellFill(row.energy, i), 1e-5f) << "cell " << i;
    }
  }
}

TEST_F(HudWidgetsTest, NoiseMeterOpensInNineteenRendersAndCloses) {
  cWgHudStatusBars bars{tWgPlacement()};
  bars.Setup(&player_, kHealthIconTexture, kEnergyIconTexture, kNoiseIconTexture);
  player_.noise = 3;
  for (int i = 0; i < 18; i++) {
    bars.Render();
  }
  EXPECT_NEAR(0.23125f, bars.GetNoiseHalfWidth(), 1e-5f);
  bars.Render();
  EXPECT_EQ(0.24375f, bars.GetNoiseHalfWidth());
  player_.noise = 0;
  for (int i = 0; i < 19; i++) {
    bars.Render();
  }
  EXPECT_EQ(0.00625f, bars.GetNoiseHalfWidth());
}

TEST(HudImplantsTest, IconsLeaveTheLargerGapAtTheSelection) {
  const struct {
    u32 current;
    u32 index;
    f32 y;
  } rows[] = {
      {0, 1, 0.85f}, {0, 6, 0.490625f}, {3, 2, 0.79375f}, {3, 4, 0.634375f}, {6, 5, 0.578125f},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.current << " " << row.index);
    EXPECT_NEAR(row.y, cWgHudImplants::IconY(row.index, row.current), 1e-6f);
  }
  EXPECT_EQ(0.921875f, cWgHudImplants::SelectedY(0));
  EXPECT_NEAR(0.490625f, cWgHudImplants::SelectedY(6), 1e-6f);
}

TEST_F(HudWidgetsTest, InventoryGrowsUpwardAndOddItemsStayUntextured) {
  EXPECT_NEAR(0.921875f, cWgHudInventory::ItemPosition(0).y, 1e-6f);
  EXPECT_NEAR(0.8375f, cWgHudInventory::ItemPosition(1).y, 1e-6f);
  cWgHudInventory inventory{tWgPlacement()};
  inventory.SetPlayer(&player_);
  EXPECT_EQ(0u, inventory.GetSpriteCount());
  player_.items = {3, 12};
  inventory.Render();
  ASSERT_EQ(2u, inventory.GetSpriteCount());
  EXPECT_NE(nullptr, inventory.GetSprite(0).GetTexture());
  EXPECT_EQ(nullptr, inventory.GetSprite(1).GetTexture());
  player_.items = {3};
  inventory.SetPlayer(&player_);
  EXPECT_EQ(1u, inventory.GetSpriteCount());
}

TEST_F(HudWidgetsTest, ActionIconsFollowTheFirstMatchingRule) {
  enum { kNone = -1 };
  const struct {
    const char* name;
    bool hasDevice;
    u32 type, doorState, trigger;
    f32 searchLeft;
    bool shock, search, hack, openable, suppressed;
    std::vector<int> icons;
  } rows[] = {
      {"suppressed", true, kHudDeviceButton, 0, 0, 0, true, true, false, false, true, {}},
      {"shock first", true, kHudDeviceButton, 0, 0, 0, true, true, false, false, false, {kActionIconShock}},
      {"search", false, 0, 0, 0, 0, false, true, false, false, false, {kActionIconSearch}},
      {"no device", false, 0, 0, 0, 0, false, false, false, false, false, {}},
      {"door state 1", true, kHudDeviceDoor, 1, 0, 0, false, false, false, true, false, {}},
      {"openable door", true, kHudDeviceDoor, 0, 0, 0, false, false, false, true, false, {kActionIconOpenableDoor}},
      {"closed door", true, kHudDeviceDoor, 2, 0, 0, false, false, false, false, false, {kActionIconClosedDoor}},
      {"lever", true, kHudDeviceLever, 0, 0, 0, false, false, false, false, false, {kActionIconHand}},
      {"eds hack",
       true,
       kHudDevicePanel,
       0,
       3,
       0,
       false,
       false,
       true,
       false,
       false,
       {kActionIconHacking, kActionIconEds}},
      {"laser hack",
       true,
       kHudDevicePanel,
       0,
       2,
       0,
       false,
       false,
       true,
       false,
       false,
       {kActionIconHacking, kActionIconLaser}},
      {"eds panel", true, kHudDevicePanel, 0, 3, 0, false, false, false, false, false, {kActionIconKey}},
      {"laser panel", true, kHudDevicePanel, 0, 2, 0, false, false, false, false, false, {kActionIconCard}},
      {"searched out", true, kHudDeviceSearchable, 0, 0, 0.1f, false, false, false, false, false, {}},
      {"searchable", true, kHudDeviceSearchable, 0, 0, 0.5f, false, false, false, false, false, {kActionIconSearch}},
      {"other", true, 9, 0, 0, 0, false, false, false, false, false, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHudDevice device;
    device.type = row.type;
    device.doorState = row.doorState;
    device.trigger = row.trigger;
    device.searchLeft = row.searchLeft;
    cWgActionIcons icons{tWgPlacement()};
    icons.SetDevice(row.hasDevice ? &device : nullptr);
    if (row.shock) {
      icons.RequestShock();
    }
    if (row.search) {
      icons.RequestSearch();
    }
    if (row.hack) {
      icons.RequestPanelHack();
    }
    icons.SetDoorOpenable(row.openable);
    icons.SetSuppressed(row.suppressed);
    eActionIcon chosen[2];
    const u32 count = icons.ChooseIcons(chosen);
    EXPECT_EQ(row.icons, std::vector<int>(chosen, chosen + count));
  }
  // The requests are one-frame signals.
  cWgActionIcons icons{tWgPlacement()};
  icons.RequestShock();
  eActionIcon chosen[2];
  EXPECT_EQ(1u, icons.ChooseIcons(chosen));
  EXPECT_EQ(0u, icons.ChooseIcons(chosen));
}

TEST_F(HudWidgetsTest, AlertIconBlinksThreeTimesInNinetySixRenders) {
  FakeHudWorld world;
  cWgBlinkIcon icon(&world, tWgPlacement(), kAlertIconTextures[3]);
  icon.StartBlink(kAlertHalfBlinks, kAlertBlinkFrames);
  std::vector<int> alphas;
  int renders = 0;
  while (icon.IsBlinking() && renders < 200) {
    icon.Render();
    alphas.push_back(icon.GetAlpha());
    renders++;
  }
  EXPECT_EQ(96, renders);
  EXPECT_EQ(1, world.alertsEnded);
  EXPECT_EQ(255, alphas[15]);
  EXPECT_EQ(0, alphas[31]);
  icon.Render();
  EXPECT_EQ(1, world.alertsEnded);
  icon.StartBlink(kAlertHalfBlinks, kAlertBlinkFrames);
  icon.Hide();
  EXPECT_FALSE(icon.IsBlinking());
}

TEST(HudMessageKindTest, ControlCharactersNeedWhatFollowsThem) {
  const struct {
    const char* text;
    eMessageKind kind;
    u32 skip;
    s32 icon;
  } rows[] = {
      {"^alarm", kMessageHighlighted, 1, -1}, {"#2 second", kMessageNumbered, 2, 1}, {"#1", kMessageNumbered, 2, 0},
      {"#5 fifth", kMessageNumbered, 2, -1},  {"#x", kMessagePlain, 0, -1},          {"#", kMessagePlain, 0, -1},
      {"plain", kMessagePlain, 0, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const tMessageKind kind = cWgMessageBox::ReadKind(cString(row.text));
    EXPECT_EQ(row.kind, kind.kind);
    EXPECT_EQ(row.skip, kind.skip);
    EXPECT_EQ(row.icon, kind.icon);
  }
}

TEST_F(HudWidgetsTest, MessagesFadeInEightRendersAndOutInThirtyTwo) {
  const cString text("#2 the guard is coming");
  const struct {
    bool framed;
    int outRenders;  // renders until the hidden text is dropped
  } rows[] = {{true, 32}, {false, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.framed);
    cWgMessageBox box(tWgPlacement(), row.framed, row.framed ? kDialoguePromptTexture : nullptr);
    box.SetFont(&font_);
    box.SetMessage(&text, 1, true);
    EXPECT_EQ(3, box.GetDisplayLines());
    std::vector<int> in;
    for (int i = 0; i < 8; i++) {
      box.Render();
      in.push_back(box.GetTextAlpha());
    }
    EXPECT_EQ((std::vector<int>{32, 64, 96, 128, 160, 192, 224, 255}), in);
    box.SetMessage(nullptr, 0, false);
    int renders = 0;
    while (!box.GetText().IsEmpty() && renders < 100) {
      box.Render();
      renders++;
    }
    EXPECT_EQ(row.outRenders, renders);
  }
}

TEST_F(HudWidgetsTest, MessageCallsShowHideOrLeaveTheBox) {
  cWgMessageBox box(tWgPlacement(), true, nullptr);
  box.SetFont(&font_);
  const cString text("words"), side("numbers"), empty;
  box.SetMessage(&empty, 5, false);
  EXPECT_TRUE(box.GetText().IsEmpty());
  box.SetMessage(&text, -1, false);
  EXPECT_EQ(-1, box.GetDisplayLines());
  box.SetSideText(&side);
  box.Render();
  box.SetSideText(nullptr);
  EXPECT_FALSE(box.IsShowing());
  box.Render();  // both columns go at once
  EXPECT_TRUE(box.GetText().IsEmpty());
  EXPECT_TRUE(box.GetSideText().IsEmpty());
  box.SetMessage(&text, 4, false);
  box.SetMessage(nullptr, 0, true);  // dropped at once
  EXPECT_TRUE(box.GetText().IsEmpty());
}

TEST_F(HudWidgetsTest, MissionLinesMakeObjectivesOnlyWithTwoDigits) {
  const cString level("\"@05 Find the key\"|@5 short|@0x odd|plain line|@");
  cWgMissionList list{tWgPlacement()};
  list.SetIcons(&font_, kMissionOpenTexture, kMissionDoneTexture);
  s32 start = 0;
  for (s32 bar = 0; bar <= static_cast<s32>(level.Length()); bar++) {
    if (bar == static_cast<s32>(level.Length()) || level.Data()[bar] == '|') {
      list.AddLine(level.Slice(start, bar - start));
      start = bar + 1;
    }
  }
  EXPECT_EQ("\"@05 Find the key\"|@5 short|@0x odd|plain line|@", std::string(level.CStr()));
  ASSERT_EQ(5u, list.GetLineCount());
  ASSERT_EQ(1u, list.GetObjectiveCount());
  EXPECT_EQ(4, list.GetObjectiveMessage(0));
  EXPECT_EQ("  Find the key", std::string(list.GetLine(0).CStr()));
  EXPECT_EQ("@5 short", std::string(list.GetLine(1).CStr()));
  FakeHudWorld world;
  list.ShowMessage(&world, 0);
  list.ShowMessage(&world, 7);
  EXPECT_EQ(std::vector<s32>{4}, world.messages);
}

TEST_F(HudWidgetsTest, ObjectiveSlotsShowObjectivesInTheOrderReached) {
  cWgMissionList list{tWgPlacement()};
  for (const char* line : {"Intro", "@01 first", "@02 second", "@03 third", "Outro"}) {
    list.AddLine(cString(line));
  }
  list.SetIcons(&font_, kMissionOpenTexture, kMissionDoneTexture);
  list.AddObjective(2);
  list.AddObjective(2);
  list.AddObjective(9);  // no such objective: its slot stays empty
  std::vector<std::string> texts;
  std::vector<int> icons;
  for (const tMissionRow& row : list.GetRows()) {
    texts.push_back(row.text->CStr());
    icons.push_back(row.icon);
  }
  EXPECT_EQ((std::vector<std::string>{"Intro", "  first", "  third", "Outro"}), texts);
  EXPECT_EQ((std::vector<int>{-1, 0, 1, -1}), icons);
}

TEST_F(HudWidgetsTest, UltraOverlayKeepsAtLeastOneCaptureAndDropsTheOldest) {
  const struct {
    s32 overlays;
    u32 kept;
  } rows[] = {{0, 1}, {-3, 1}, {3, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.overlays);
    cWgUltraOverlay overlay(tWgPlacement(), nullptr, row.overlays, 50);
    ASSERT_EQ(row.kept, overlay.GetCaptureCount());
    std::vector<cRenderTarget*> pushed;
    for (u32 i = 0; i < row.kept + 1; i++) {
      pushed.push_back(new cRenderTarget);
      overlay.PushCapture(pushed.back());
    }
    EXPECT_EQ(pushed.back(), overlay.GetCapture(row.kept - 1));
    EXPECT_EQ(pushed[1], overlay.GetCapture(0));
    overlay.Disable();
    EXPECT_EQ(nullptr, overlay.GetCapture(row.kept - 1));
  }
}

TEST_F(HudWidgetsTest, TabPanelMarksTheActiveTab) {
  cWgTabPanel panel{tWgPlacement()};
  EXPECT_EQ(kHudTabMap, panel.GetTab());
  panel.Render();
  EXPECT_EQ(nullptr, panel.GetTabInUse(0));  // closed: nothing chosen
  panel.SetOpen(true);
  const struct {
    u8 tab;
    f32 firstY, secondY;  // the missions tab, then the map tab
  } rows[] = {{kHudTabMissions, 0.2f, 0.4f}, {kHudTabMap, 0.2f, 0.4f}};
  std::vector<const RwTexture*> seen;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tab);
    panel.SetTab(row.tab);
    panel.Render();
    RwV2d first, second;
    panel.GetTabInUse(0)->GetPosition(&first);
    panel.GetTabInUse(1)->GetPosition(&second);
    EXPECT_EQ(row.firstY, first.y);
    EXPECT_EQ(row.secondY, second.y);
    seen.push_back(panel.GetTabInUse(0)->GetTexture());
    seen.push_back(panel.GetTabInUse(1)->GetTexture());
  }
  // Four different pictures: each tab active once and idle once.
  for (size_t i = 0; i < seen.size(); i++) {
    for (size_t j = i + 1; j < seen.size(); j++) {
      EXPECT_NE(seen[i], seen[j]) << i << " " << j;
    }
  }
}

}  // namespace
