// The in-game screen before its level has loaded: what opens the pause menu,
// and a screen whose world holds no HUD and no menus yet.
#include "game/frontend/ingame/in_game.h"

#include "game/app/input/key_codes.h"
#include "game/app/time_scale.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "tests/game/frontend/screens/main_menu_fixture.h"

namespace {

class InGameTest : public FrontEndTest {
 protected:
  InGameTest() {
    attach_ = [] { return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach(); };
  }
  void SetUp() override {
    FrontEndTest::SetUp();
    const std::string texts = MenuTextFile("d", {{"PAUSE", 4}, {"DIED", 3}});
    MountData({{"data/menu/text_d.txt", main_menu_test::MainMenuTexts("d") + texts.substr(texts.find('\n'))}});
    WinTestSetClock(main_menu_test::TestClock, nullptr);
    mConfig.ParseText(cString("[level01]\n"));
    gGameOptions->SetLevelName(cString("level01"));
    mInGame = new cInGame(&mConfig, gGameOptions);
  }
  void TearDown() override {
    delete mInGame;
    WinTestSetClock(nullptr, nullptr);
    gTimeScaleIndex = kTimeScaleNormal;
    FrontEndTest::TearDown();
  }
  cPropertyFile mConfig;
  cInGame* mInGame = nullptr;
};

TEST_F(InGameTest, PauseOpensOnEscapeStartOrTenIdleMinutesOnly) {
  mInGame->SetMenus(new cWgMenu_Pause(mInGame), new cWgMenu_Died(mInGame));
  const struct {
    const char* name;
    tInput input;
    u32 idleMs;  // the clock moved on before the input
    bool paused;
  } rows[] = {
      {"escape pressed", Key(kKeyEsc), 0, true},
      {"escape released", Key(kKeyEsc, 0), 0, false},
      {"another key", Key(kKeyEnter), 0, false},
      {"pad start pressed", Pad(kPadStart), 0, true},
      {"pad start released", Pad(kPadStart, 0), 0, false},
      {"pad start with back", Pad(kPadStart | kPadBack), 0, false},
      {"ten idle minutes", Tick(0.02f), kIdlePauseMs, true},
      {"a moment short", Tick(0.02f), kIdlePauseMs - 1, false},
      {"a key is input", Key(kKeyEnter, 0), kIdlePauseMs, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Send(mInGame, Key(kKeyUp, 0));  // the idle timer restarted
    main_menu_test::sClockMs += row.idleMs;
    Send(mInGame, row.input);
    EXPECT_EQ(row.paused, mInGame->GetPauseMenu()->IsShown());
    EXPECT_EQ(row.paused, mInGame->GetWorld().IsSuspended() == 1);
    EXPECT_EQ(row.paused ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    if (row.paused) {
      // Suspended: neither a key nor idle time opens it again.
      mInGame->GetPauseMenu()->Hide();
      main_menu_test::sClockMs += kIdlePauseMs;
      Send(mInGame, Key(kKeyEsc));
      EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
      mInGame->GetPauseMenu()->OnSelect(kPauseResume);
      EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
    }
  }
}

// A level still loading: the renderer alone is linked, and events find no
// menus to open.
TEST_F(InGameTest, WithoutHudOrMenusOnlyTheRendererLinksAndNothingOpens) {
  mInGame->AttachHud();
  EXPECT_EQ(static_cast<cTreeNode*>(&mInGame->GetRenderer()), mInGame->FirstChild());
  EXPECT_EQ(nullptr, cTreeNode::NextSibling(mInGame->FirstChild()));
  Send(mInGame, Key(kKeyEsc));
  EXPECT_EQ(0, mInGame->GetWorld().IsSuspended());
}

// The searching and hacking panels open on the level's screen: without it
// the player could neither hack a panel nor see a search's progress.
TEST_F(InGameTest, TheFramedPanelsOpenOnTheLevelScreen) {
  EXPECT_EQ(static_cast<cScreen_Menu*>(mInGame), static_cast<cLevelPhase*>(mInGame)->GetMenuScreen());
}

}  // namespace
