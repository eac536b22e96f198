// The in-game screen on the demo's first level: what opens the pause menu,
// the death sequence, what the pause and death menus give back, the level's
// end, and a level still without HUD or menus.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

#include "game/app/input/key_codes.h"
#include "game/app/time_scale.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "tests/game/frontend/ingame/in_game_fixture.h"

namespace {

TEST_F(InGameTest, PauseOpensOnEscapeStartOrTenIdleMinutesOnly) {
  const struct {
    const char* name;
    u32 type, code;
    u8 pressed;
    u32 idleMs;  // the clock moved on before the event
    bool paused;
  } rows[] = {
      {"escape pressed", kEventKey, kKeyEsc, 1, 0, true},
      {"escape released", kEventKey, kKeyEsc, 0, 0, false},
      {"another key", kEventKey, kKeyEnter, 1, 0, false},
      {"pad start pressed", kEventPadButton, kPadStart, 1, 0, true},
      {"pad start released", kEventPadButton, kPadStart, 0, 0, false},
      {"pad start with back", kEventPadButton, kPadStart | kPadBack, 1, 0, false},
      {"ten idle minutes", kEventTick, 0, 0, kIdlePauseMs, true},
      {"a moment short of them", kEventTick, 0, 0, kIdlePauseMs - 1, false},
      {"a mouse move is input", kEventMouseMove, 0, 0, kIdlePauseMs, false},
      {"so is a pad stick", kEventPadStick, 0, 0, kIdlePauseMs, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Send(kEventMouseMove);  // the idle timer restarted
    sNow += row.idleMs;
    Send(row.type, row.code, row.pressed);
    EXPECT_EQ(row.paused, mInGame->GetPauseMenu()->IsShown());
    EXPECT_EQ(row.paused ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    if (row.paused) {
      // Suspended: neither a key nor idle time opens it again.
      mInGame->GetPauseMenu()->Hide();
      sNow += kIdlePauseMs;
      Send(kEventKey, kKeyEsc, 1);
      EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
      mInGame->GetPauseMenu()->OnSelect(kPauseResume);
    }
  }
}

TEST_F(InGameTest, DeathFadesOutOver75FramesThenWaitsForGameTime) {
  while (Fader()->IsFading()) {
    Send(kEventTick);  // the level's opening fade
  }
  mPlayer->SetHealth(kPlayerDeadHealth);
  Send(kEventTick);
  EXPECT_EQ(0, World().IsSuspended()) << "0.1 is alive";
  mPlayer->SetHealth(0.05f);
  u32 frames = 0;
  for (Send(kEventTick); Fader()->IsFading(); frames++) {
    Send(kEventTick);
  }
  EXPECT_EQ(kDeathFadeFrames, frames + 1);
  EXPECT_EQ(255, Fader()->GetColour().alpha);
  EXPECT_EQ(1, mPlayer->IsDying());
  PauseTimeScale();
  Send(kEventTick);
  EXPECT_FALSE(mInGame->GetDeathMenu()->IsShown());
  ResumeTimeScale();
  Send(kEventTick);
  EXPECT_TRUE(mInGame->GetDeathMenu()->IsShown() && Fader()->IsHeld() && mPlayer->IsProtected());
  EXPECT_EQ(kTimeScalePaused, gTimeScaleIndex);
  Send(kEventKey, kKeyEsc, 1);
  EXPECT_TRUE(mInGame->GetDeathMenu()->IsShown() && !mInGame->GetPauseMenu()->IsShown());
}

// Each row opens a menu (the pause menu with the player's death-handled
// flag as given and the brightness stepped, or the death menu after a
// death, with a checkpoint stored or not), picks an item and checks what
// the level gets back.
TEST_F(InGameTest, MenuItemsGiveTheLevelBack) {
  const struct {
    const char* name;
    bool death;
    u32 item;
    u8 protectedBefore, protectedAfter;
    int brightnessSteps;  // up, then down when 2
    bool checkpoint, atStart, quit;
    u32 brightnessApplied;
  } rows[] = {
      {"resume keeps an unset flag", false, kPauseResume, 0, 0, 0, false, false, false, 0},
      {"resume keeps a briefing's flag", false, kPauseResume, 1, 1, 1, false, false, false, 1},
      {"brightness back where it was", false, kPauseResume, 0, 0, 2, false, false, false, 0},
      {"restart clears the flag", false, kPauseRestart, 1, 0, 0, false, true, false, 0},
      {"quit", false, kPauseQuit, 0, 1, 0, false, false, true, 0},
      {"checkpoint without one restarts", true, kDiedCheckpoint, 0, 0, 0, false, true, false, 0},
      {"checkpoint restores", true, kDiedCheckpoint, 0, 0, 0, true, false, false, 0},
      {"restart after death", true, kDiedRestart, 0, 0, 0, true, true, false, 0},
      {"main menu after death", true, kDiedQuit, 0, 0, 0, false, false, true, 0},
  };
  const RwV3d start = RwFrameGetLTM(mPlayer->GetFrame())->pos;
  gGameOptions->SetBrightness(50);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const RwV3d away = {start.x + 3.0f, start.y, start.z};
    RwFrameTranslate(mPlayer->GetFrame(), &away, kRwCombineReplace);
    if (row.checkpoint) {
      World().StoreCheckpoint();
    }
    mPlayer->SetProtected(row.protectedBefore);
    mPlayer->SetSkipNextImplantKey(0);
    cWgMenu_Menu* menu = row.death ? static_cast<cWgMenu_Menu*>(mInGame->GetDeathMenu()) : mInGame->GetPauseMenu();
    const u32 applied = mInGame->GetPauseMenu()->GetBrightnessApplications();
    if (row.death) {
      Die();
    } else {
      Send(kEventKey, kKeyEsc, 1);
      EXPECT_EQ(1, mPlayer->IsProtected()) << "no damage while paused";
      for (int step = 0; step < row.brightnessSteps; step++) {
        mInGame->GetPauseMenu()->GetOptionsMenu()->Step(true, step == 0);
      }
    }
    ASSERT_TRUE(menu->IsShown());
    menu->OnSelect(row.item);
    EXPECT_FALSE(menu->IsShown());
    EXPECT_EQ(row.protectedAfter, mPlayer->IsProtected());
    EXPECT_EQ(!row.quit || !row.death, mPlayer->IsSkipNextImplantKey() == 1);
    EXPECT_EQ(0, mPlayer->IsDying() + World().IsSuspended());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
    EXPECT_EQ(row.quit, gScreenStack->GetTopScreen() != mInGame);
    EXPECT_EQ(row.brightnessApplied, mInGame->GetPauseMenu()->GetBrightnessApplications() - applied);
    if (row.quit) {
      EXPECT_TRUE(mInGame->IsQuitRequested());
      Activate(mInGame);
    } else {
      EXPECT_EQ(row.atStart, std::fabs(RwFrameGetLTM(mPlayer->GetFrame())->pos.x - start.x) < 0.01f);
    }
    mPlayer->SetHealth(1.0f);
  }
}

TEST_F(InGameTest, CompletedLevelWritesTheSaveAndPopsWithoutPauseOrDeath) {
  mPlayer->SetHealth(0.0f);
  World().SetLevelEndState(kLevelFadedOut);
  Send(kEventKey, kKeyEsc, 1);
  struct stat saved;
  EXPECT_EQ(0, stat("save.dat", &saved));
  EXPECT_NE(static_cast<cScreen*>(mInGame), gScreenStack->GetTopScreen());
  EXPECT_EQ(0, World().IsSuspended() + mInGame->GetPauseMenu()->IsShown() + mInGame->IsQuitRequested());
}

// The renderer first, the fader last; a level still loading has neither HUD
// nor menus, and its screen takes events and goes without them.
TEST_F(InGameTest, HudOrderAndALevelWithoutHudOrMenus) {
  EXPECT_EQ(static_cast<cTreeNode*>(&mInGame->GetRenderer()), mInGame->FirstChild());
  EXPECT_EQ(static_cast<cListNode*>(Fader()), mInGame->GetChildren().Last());
  cInGame* loading = new cInGame(&mConfig, gGameOptions);
  loading->AttachHud();
  EXPECT_EQ(nullptr, cTreeNode::NextSibling(loading->FirstChild()));
  tEvent escape = {};
  escape.type = kEventKey;
  escape.key = tKeyEvent{0, kKeyEsc, 1};
  loading->OnEvent(&escape);
  EXPECT_EQ(0, loading->GetWorld().IsSuspended());
  delete loading;
}

}  // namespace
