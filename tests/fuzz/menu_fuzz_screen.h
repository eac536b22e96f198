// The main menu screen for fuzz targets of what it shows: made over the
// demo configuration, pushed on the screen stack, then every menu switched to
// in turn, moved through with the arrow keys and drawn, before the screen is
// taken off and deleted. Needs tests/fuzz/game_fuzz_engine.h started.
#pragma once

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "tests/fuzz/game_fuzz_engine.h"

namespace menufuzz {

constexpr f32 kFrameTime = 0.04f;  // seconds
constexpr u32 kMovesPerMenu = 3;

inline void SendKey(u32 code) {
  for (u8 pressed : {u8{1}, u8{0}}) {
    tEvent event;
    event.type = kEventKey;
    event.key = tKeyEvent{0, code, pressed};
    gScreenStack->OnEvent(&event);
  }
}

inline void SendTick() {
  tEvent event;
  event.type = kEventTick;
  event.tick = tTickEvent{kFrameTime};
  gScreenStack->OnEvent(&event);
}

inline const cPropertyFile& Config() {
  static cPropertyFile* config = [] {
    auto* file = new cPropertyFile;
    file->Load(cString("data/config.txt"));
    return file;
  }();
  return *config;
}

// The screen made, shown and walked through; null after (it is deleted).
inline void WalkMainMenu() {
  cScreen_MainMenu* screen = new cScreen_MainMenu(&Config());
  gScreenStack->Push(screen);
  gScreenStack->Sync();
  SendTick();
  for (u32 menu = 0; menu < kMainMenuCount; menu++) {
    screen->SwitchMenu(menu);
    SendTick();
    for (u32 move = 0; move < kMovesPerMenu; move++) {
      SendKey(move % 2 == 0 ? kKeyDown : kKeyUp);
      SendKey(kKeyRight);
      SendTick();
    }
  }
  if (gScreenStack->GetTopScreen() == screen) {
    gScreenStack->Pop();
    gScreenStack->Sync();
  }
  delete screen;
}

}  // namespace menufuzz
