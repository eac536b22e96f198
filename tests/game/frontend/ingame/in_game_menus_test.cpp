// The pause and death menus on the demo's first level: what each item
// gives back to the level, the player and game time.
#include <gtest/gtest.h>

#include "game/app/input/key_codes.h"
#include "game/app/time_scale.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "tests/game/frontend/ingame/in_game_fixture.h"

namespace {

// Each row opens the pause menu with the player's death-handled flag as
// given, picks an item and checks the flags, game time and the quit flag.
TEST_F(InGameTest, PauseItemsEndThePauseWithTheirFlags) {
  const struct {
    const char* name;
    u32 item;
    u8 protectedBefore;
    u8 protectedAfter;
    bool quit;
  } rows[] = {
      {"resume keeps an unset flag", kPauseResume, 0, 0, false},
      {"resume keeps a set flag (a briefing's)", kPauseResume, 1, 1, false},
      {"restart clears it", kPauseRestart, 1, 0, false},
      {"quit leaves the flag set", kPauseQuit, 0, 1, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    mPlayer->SetProtected(row.protectedBefore);
    mPlayer->SetSkipNextImplantKey(0);
    mPlayer->SetDying(1);
    Send(kEventKey, kKeyEsc, 1);
    ASSERT_TRUE(mInGame->GetPauseMenu()->IsShown());
    EXPECT_EQ(1, mPlayer->IsProtected()) << "no damage while paused";
    mInGame->GetPauseMenu()->OnSelect(row.item);
    EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
    EXPECT_EQ(row.protectedAfter, mPlayer->IsProtected());
    EXPECT_EQ(1, mPlayer->IsSkipNextImplantKey());
    EXPECT_EQ(0, mPlayer->IsDying());
    EXPECT_EQ(0, World().IsSuspended());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
    EXPECT_EQ(row.quit, mInGame->IsQuitRequested());
    EXPECT_EQ(row.quit, gScreenStack->GetTopScreen() != mInGame);
  }
}

TEST_F(InGameTest, PauseIgnoresEscapeAndSwapsForTheOptionsAndBack) {
  Send(kEventKey, kKeyEsc, 1);
  Send(kEventKey, kKeyEsc, 1);
  EXPECT_TRUE(mInGame->GetPauseMenu()->IsShown());

  cWgMenu_Options* options = mInGame->GetPauseMenu()->GetOptionsMenu();
  mInGame->GetPauseMenu()->OnSelect(kPauseOptions);
  EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
  EXPECT_TRUE(options->IsShown());
  EXPECT_EQ(static_cast<u32>(kOptionBrightness), options->GetCurrent());
  EXPECT_EQ(1, World().IsSuspended()) << "the options keep the pause";
  Send(kEventKey, kKeyEsc, 1);
  EXPECT_FALSE(options->IsShown());
  EXPECT_TRUE(mInGame->GetPauseMenu()->IsShown());
  EXPECT_EQ(static_cast<u32>(kPauseResume), mInGame->GetPauseMenu()->GetCurrent());
  ResumeIfPaused();
}

TEST_F(InGameTest, ABrightnessChangedInThePauseReachesTheCameraOnResume) {
  const struct {
    const char* name;
    int steps;  // right presses on the brightness
    u32 applications;
  } rows[] = {{"unchanged", 0, 0}, {"one step up", 1, 1}, {"up and down again", 2, 0}};
  gGameOptions->SetBrightness(50);
  u32 before = mInGame->GetPauseMenu()->GetBrightnessApplications();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Send(kEventKey, kKeyEsc, 1);
    cWgMenu_Options* options = mInGame->GetPauseMenu()->GetOptionsMenu();
    if (row.steps == 1) {
      options->BrightnessUp();
    } else if (row.steps == 2) {
      options->BrightnessUp();
      options->BrightnessDown();
    }
    mInGame->GetPauseMenu()->OnSelect(kPauseResume);
    const u32 now = mInGame->GetPauseMenu()->GetBrightnessApplications();
    EXPECT_EQ(row.applications, now - before);
    before = now;
  }
}

// Each row dies, waits for the death menu and picks an item.
TEST_F(InGameTest, DeathMenuItemsBringThePlayerBack) {
  const struct {
    const char* name;
    u32 item;
    bool checkpoint;  // one stored before the death
    bool atStart;     // the player back at the level's start
    bool quit;
  } rows[] = {
      {"checkpoint without one restarts", kDiedCheckpoint, false, true, false},
      {"checkpoint with one restores it", kDiedCheckpoint, true, false, false},
      {"restart", kDiedRestart, true, true, false},
      {"main menu", kDiedQuit, false, false, true},
  };
  const RwV3d start = RwFrameGetLTM(mPlayer->GetFrame())->pos;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const RwV3d away = {start.x + 3.0f, start.y, start.z};
    RwFrameTranslate(mPlayer->GetFrame(), &away, kRwCombineReplace);
    if (row.checkpoint) {
      World().StoreCheckpoint();
    }
    while (Fader()->IsFading()) {
      Fader()->Render();
    }
    mPlayer->SetHealth(0.0f);
    Send(kEventTick);
    while (Fader()->IsFading()) {
      Fader()->Render();
    }
    Send(kEventTick);
    ASSERT_TRUE(mInGame->GetDeathMenu()->IsShown());
    mInGame->GetDeathMenu()->OnSelect(row.item);
    EXPECT_FALSE(mInGame->GetDeathMenu()->IsShown());
    EXPECT_EQ(0, World().IsSuspended());
    EXPECT_EQ(0, mPlayer->IsProtected());
    EXPECT_EQ(0, mPlayer->IsDying());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
    EXPECT_EQ(row.quit, mInGame->IsQuitRequested());
    if (!row.quit) {
      const RwV3d at = RwFrameGetLTM(mPlayer->GetFrame())->pos;
      EXPECT_EQ(row.atStart, std::fabs(at.x - start.x) < 0.01f) << at.x;
      EXPECT_EQ(1, mPlayer->IsSkipNextImplantKey());
      EXPECT_FALSE(Fader()->IsHeld()) << "the level fades in again";
      EXPECT_TRUE(Fader()->IsFading());
    }
  }
}

}  // namespace
