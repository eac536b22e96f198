// Fuzz target for "save.dat" as the menus show it: any bytes decoded into
// the options and the save profiles, then the main menu screen made over
// them with the demo menu texts, its profile list (CONTINUE) moved through
// and drawn, and each used profile's line and the level it starts checked.
// Every decoded table must be shown without a fatal end.
#include <cstddef>
#include <cstdint>

#include "game/app/input/key_codes.h"
#include "game/frontend/menus/wg_menu_continue.h"
#include "tests/fuzz/game_fuzz_engine.h"
#include "tests/fuzz/menu_fuzz_screen.h"

// Any fatal end here is a finding: the game's own FatalError (it aborts).

namespace {

// The levels a profile's level index starts.
const char* const kLevels[] = {"level01", "level02", "level03", "level04", "level05"};

// The profile lists drawn, then each used profile chosen in CONTINUE in
// turn: its level is the one the game starts, and the choice takes the
// screen off the stack.
void ShowAndChoose() {
  cScreen_MainMenu* screen = new cScreen_MainMenu(&menufuzz::Config());
  gScreenStack->Push(screen);
  gScreenStack->Sync();
  screen->SwitchMenu(kMenuContinue);
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    menufuzz::SendKey(i % 3 == 2 ? kKeyUp : kKeyDown);
    menufuzz::SendTick();
  }
  gScreenStack->Pop();
  gScreenStack->Sync();
  for (u32 slot = 0; slot < gSaveProfiles->GetUsedCount(); slot++) {
    gScreenStack->Push(screen);
    gScreenStack->Sync();
    screen->SwitchMenu(kMenuContinue);
    for (u32 i = 0; i < slot; i++) {
      menufuzz::SendKey(kKeyDown);
    }
    menufuzz::SendKey(kKeyEnter);
    gScreenStack->Sync();
    const u32 level = gSaveProfiles->GetSlot(slot).levelIndex;
    if (gScreenStack->GetTopScreen() == screen || gSaveProfiles->GetCurrentSlot() != slot ||
        level >= sizeof kLevels / sizeof kLevels[0] || !(gGameOptions->GetLevelName() == cString(kLevels[level]))) {
      __builtin_trap();
    }
  }
  delete screen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (!gamefuzz::Start()) {
    __builtin_trap();
  }
  if (size > kSaveFileSize) {
    return 0;
  }
  gSaveProfiles->Decode(bytes, static_cast<u32>(size));
  gSaveProfiles->CountUsed();
  cPropertyFile texts;
  texts.Load(cString("data/menu/text_eng.txt"));
  for (u32 i = 0; i < gSaveProfiles->GetUsedCount(); i++) {
    const tProfileSlot& slot = gSaveProfiles->GetSlot(i);
    const cString line = ProfileLine(&texts, slot, gSaveProfiles->GetHard());
    if (line.Length() == 0) {
      __builtin_trap();
    }
  }
  ShowAndChoose();
  return 0;
}
