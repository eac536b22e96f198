// The demo's first level played in an in-game screen on the screen stack:
// the generated data in the scratch folder, the level loaded step by step,
// the HUD attached and the screen pushed, on the injected clock.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

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
    ASSERT_FALSE(HasFatalFailure());
    static demo::DataFolder* data = nullptr;
    if (data == nullptr) {
      data = new demo::DataFolder;
      ASSERT_TRUE(demo::WriteDataSet(*data));
    }
    std::string error;
    ASSERT_TRUE(demo::WriteOutput(*data, mFolder.Path(), {}, &error)) << error;
    ASSERT_TRUE(ReplaceMen() && mConfig.Load(cString("data/config.txt")));
    MakeScreenStack();
    gGameOptions->SetLevelName(cString("level01"));
    mInGame = new cInGame(&mConfig, gGameOptions);
    for (int step = 0; step < 20; step++) {
      mInGame->GetLoadable()->Load();
    }
    mInGame->AttachHud();
    gScreenStack->Push(mInGame);
    gScreenStack->Sync();
    gInputEnabled = 1;
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
    gInputEnabled = 0;
    WorldTest::TearDown();
  }
  static bool ReplaceMen() {
    std::ifstream in("data/level01/men.txt", std::ios::binary);
    const std::string men((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !men.empty() && static_cast<bool>(std::ofstream("data/level01/men.txt", std::ios::binary)
                                             << PlayerAndDoubleOnlyMenFile(men));
  }

  cQXWorld& World() { return mInGame->GetWorld(); }
  cWgScreenFader* Fader() { return World().GetScreenFader(); }

  // An event of the type through the screen stack: a key or pad button with
  // its code and pressed flag, a mouse move, or a tick.
  static void Send(u32 type, u32 code = 0, u8 pressed = 1) {
    tEvent event = {};
    event.type = type;
    if (type == kEventKey) {
      event.key = tKeyEvent{0, code, pressed};
    } else if (type == kEventPadButton) {
      event.padButton = tPadButtonEvent{0, code, pressed};
    } else if (type == kEventTick) {
      event.tick = tTickEvent{0.02f};
    }
    gScreenStack->OnEvent(&event);
  }
  // Closes the menus the test opened, as their resume item would.
  void ResumeIfPaused() {
    if (mInGame->GetPauseMenu()->IsShown()) {
      mInGame->GetPauseMenu()->OnSelect(kPauseResume);
    }
  }

  cInGame* mInGame = nullptr;
  cDorvaMan* mPlayer = nullptr;
};
