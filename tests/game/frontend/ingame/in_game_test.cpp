// The in-game screen on the demo's first level: what opens the pause menu,
// the death sequence and its menu, and the level's end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "game/app/input/key_codes.h"
#include "game/app/time_scale.h"
#include "tests/game/frontend/ingame/in_game_fixture.h"

namespace {

struct tStep {
  u32 type;
  u32 code;
  u8 pressed;
  u32 advanceMs;  // the clock moved on before the event
};

// Each row sends its events (the level running, no menu open) and says
// whether the pause menu is open afterwards.
TEST_F(InGameTest, PauseOpensOnEscapeStartOrTenIdleMinutesOnly) {
  const struct {
    const char* name;
    std::vector<tStep> steps;
    bool paused;
  } rows[] = {
      {"escape pressed", {{kEventKey, kKeyEsc, 1, 0}}, true},
      {"escape released", {{kEventKey, kKeyEsc, 0, 0}}, false},
      {"another key", {{kEventKey, kKeyEnter, 1, 0}}, false},
      {"pad start pressed", {{kEventPadButton, kPadStart, 1, 0}}, true},
      {"pad start released", {{kEventPadButton, kPadStart, 0, 0}}, false},
      {"pad start with another button", {{kEventPadButton, kPadStart | kPadBack, 1, 0}}, false},
      {"ten idle minutes", {{kEventTick, 0, 0, kIdlePauseMs}}, true},
      {"a moment short of them", {{kEventTick, 0, 0, kIdlePauseMs - 1}}, false},
      {"a mouse move restarts the timer",
       {{kEventMouseMove, 0, 0, kIdlePauseMs - 1}, {kEventTick, 0, 0, kIdlePauseMs - 1}},
       false},
      {"a pad stick restarts it too",
       {{kEventPadStick, 0, 0, kIdlePauseMs - 1}, {kEventTick, 0, 0, kIdlePauseMs - 1}},
       false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Send(kEventMouseMove);  // the idle timer restarted
    for (const tStep& step : row.steps) {
      sNow += step.advanceMs;
      Send(step.type, step.code, step.pressed);
    }
    EXPECT_EQ(row.paused, mInGame->GetPauseMenu()->IsShown());
    EXPECT_EQ(row.paused, World().IsSuspended() != 0);
    EXPECT_EQ(row.paused ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    if (row.paused) {
      // While a menu is open, neither a key nor idle time opens it again.
      mInGame->GetPauseMenu()->Hide();
      Send(kEventKey, kKeyEsc, 1);
      sNow += kIdlePauseMs;
      Send(kEventTick);
      EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
      mInGame->GetPauseMenu()->Show();
    }
    ResumeIfPaused();
  }
}

TEST_F(InGameTest, DeathFadesOutThenOpensTheDeathMenuOnceGameTimeRuns) {
  mPlayer->SetHealth(kPlayerDeadHealth);
  Send(kEventTick);
  EXPECT_EQ(0, World().IsSuspended()) << "0.1 is alive";

  while (Fader()->IsFading()) {
    Fader()->Render();  // the level's opening fade
  }
  mPlayer->SetHealth(0.05f);
  Send(kEventTick);
  EXPECT_EQ(1, World().IsSuspended());
  EXPECT_TRUE(Fader()->IsFading());
  EXPECT_EQ(0, mPlayer->IsDying()) << "set from the next event on";
  u32 frames = 1;  // the starting tick's frame
  for (; Fader()->IsFading(); frames++) {
    Send(kEventTick);  // one rendered frame each
    EXPECT_FALSE(mInGame->GetDeathMenu()->IsShown());
  }
  EXPECT_EQ(kDeathFadeFrames, frames);
  EXPECT_EQ(255, Fader()->GetColour().alpha);
  EXPECT_EQ(1, mPlayer->IsDying());

  // Game time stopped by someone else: the menu waits for it.
  PauseTimeScale();
  Send(kEventTick);
  EXPECT_FALSE(mInGame->GetDeathMenu()->IsShown());
  ResumeTimeScale();
  Send(kEventTick);
  EXPECT_TRUE(mInGame->GetDeathMenu()->IsShown());
  EXPECT_TRUE(Fader()->IsHeld());
  EXPECT_EQ(1, mPlayer->IsProtected());
  EXPECT_EQ(kTimeScalePaused, gTimeScaleIndex);

  // Escape neither leaves the death menu nor opens the pause menu.
  Send(kEventKey, kKeyEsc, 1);
  EXPECT_TRUE(mInGame->GetDeathMenu()->IsShown());
  EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
}

TEST_F(InGameTest, CompletedLevelWritesTheSaveAndPopsWithoutPauseOrDeath) {
  mPlayer->SetHealth(0.0f);
  World().SetLevelEndState(kLevelFadedOut);
  std::remove("save.dat");
  Send(kEventKey, kKeyEsc, 1);
  struct stat saved;
  EXPECT_EQ(0, stat("save.dat", &saved));
  EXPECT_NE(static_cast<cScreen*>(mInGame), gScreenStack->GetTopScreen());
  EXPECT_FALSE(mInGame->GetPauseMenu()->IsShown());
  EXPECT_EQ(0, World().IsSuspended());
  EXPECT_FALSE(mInGame->IsQuitRequested());
}

}  // namespace

namespace {

// The HUD links the renderer first and the fader last; a level still
// loading holds neither HUD nor menus, and its screen takes events and goes
// without them.
TEST_F(InGameTest, HudOrderAndALevelWithoutHudOrMenus) {
  EXPECT_EQ(static_cast<cTreeNode*>(&mInGame->GetRenderer()), mInGame->FirstChild());
  EXPECT_EQ(static_cast<cListNode*>(Fader()), mInGame->GetChildren().Last());

  cInGame* loading = new cInGame(&mConfig, gGameOptions);
  loading->AttachHud();
  EXPECT_EQ(static_cast<cTreeNode*>(&loading->GetRenderer()), loading->FirstChild());
  EXPECT_EQ(nullptr, cTreeNode::NextSibling(loading->FirstChild()));
  tEvent escape = {};
  escape.type = kEventKey;
  escape.key = tKeyEvent{0, kKeyEsc, 1};
  EXPECT_FALSE(loading->OnEvent(&escape));
  EXPECT_EQ(0, loading->GetWorld().IsSuspended());
  delete loading;
}

}  // namespace
