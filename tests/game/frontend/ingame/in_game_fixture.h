// The demo's first level in an in-game screen on the screen stack: the
// generated data in the scratch folder, the level loaded, the HUD attached,
// the screen pushed and the briefing read, on the injected clock.
#pragma once

#include <fstream>
#include <iterator>

#include "game/app/input/event_device.h"
#include "game/app/screens/screen_stack.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "tests/acceptance/player_only_men.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

class InGameTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    static demo::DataFolder* data = nullptr;
    ASSERT_TRUE(data != nullptr || demo::WriteDataSet(*(data = new demo::DataFolder)));
    std::string error, men;
    ASSERT_TRUE(demo::WriteOutput(*data, mFolder.Path(), {}, &error)) << error;
    std::ifstream in("data/level01/men.txt", std::ios::binary);
    men.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_TRUE(std::ofstream("data/level01/men.txt") << PlayerAndDoubleOnlyMenFile(men));
    ASSERT_TRUE(mConfig.Load(cString("data/config.txt")));
    MakeScreenStack();
    gGameOptions->SetLevelName(cString("level01"));
    mInGame = new cInGame(&mConfig, gGameOptions);
    while (mInGame->GetLoadable()->Load() < 1.0f) {
    }
    mInGame->AttachHud();
    Activate(mInGame);
    World().CloseInfoView(true);  // the briefing read: the player free and unprotected
    mPlayer = World().GetPlayer();
    ASSERT_TRUE(mPlayer != nullptr && mInGame->GetPauseMenu() != nullptr && mInGame->GetDeathMenu() != nullptr);
  }
  void TearDown() override {
    if (gScreenStack != nullptr && gScreenStack->GetTopScreen() == mInGame) {
      gScreenStack->Pop();
    }
    delete mInGame;
    delete gScreenStack;
    gScreenStack = nullptr;
    WorldTest::TearDown();
  }

  static void Activate(cScreen* screen) {
    gScreenStack->Push(screen);
    gScreenStack->Sync();
  }
  cQXWorld& World() { return mInGame->GetWorld(); }
  cWgScreenFader* Fader() { return World().GetScreenFader(); }
  // A key or pad button (code, pressed), a mouse move or pad stick, or a
  // tick (which renders a frame) through the screen stack.
  static void Send(u32 type, u32 code = 0, u8 pressed = 1) {
    tEvent event = {};
    event.type = type;
    event.key = tKeyEvent{0, code, pressed};
    if (type == kEventPadButton) {
      event.padButton = tPadButtonEvent{0, code, pressed};
    } else if (type == kEventTick) {
      event.tick = tTickEvent{0.02f};
    }
    gScreenStack->OnEvent(&event);
  }
  // Dead, and the death fade run out: the death menu is shown.
  void Die() {
    while (Fader()->IsFading()) {
      Send(kEventTick);
    }
    mPlayer->SetHealth(0.0f);
    do {
      Send(kEventTick);
    } while (!mInGame->GetDeathMenu()->IsShown() && Fader()->GetColour().alpha < 255);
    Send(kEventTick);
  }

  cInGame* mInGame = nullptr;
  cDorvaMan* mPlayer = nullptr;
};
