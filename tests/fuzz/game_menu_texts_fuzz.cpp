// Fuzz target for the menu text file: any bytes as "data/menu/text_eng.txt"
// (and "text_d.txt"), read by the main menu screen and every menu it builds
// (titles, items, footers, the options' and the profiles' words), each menu
// shown, moved through and drawn, with three save profiles in the table. A
// text file that lacks what a menu needs ends the game through FatalError,
// which is the answer to it and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"
#include "tests/fuzz/menu_fuzz_screen.h"

namespace {

constexpr size_t kMaxInput = 16384;
constexpr u32 kEnglish = 1;

void SetProfiles() {
  const char* const names[] = {"Ada", "VORNKAPL", "Kim"};
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    tProfileSlot& slot = gSaveProfiles->GetSlot(i);
    slot = tProfileSlot{};
    if (i < 3) {
      std::strncpy(slot.name, names[i], kProfileNameSize);
      slot.levelIndex = i;
      slot.count = 3 * i;
      slot.lastTime = 125 * i;
      slot.difficulty = i % 2;
    }
  }
  gSaveProfiles->CountUsed();
}

void ReadMenuTexts(const uint8_t* bytes, size_t size) {
  gamefuzz::Serve("data/menu/text_eng.txt", bytes, size);
  gamefuzz::Serve("data/menu/text_d.txt", bytes, size);
  gGameOptions->SetLanguage(kEnglish);
  SetProfiles();
  menufuzz::WalkMainMenu();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(gamefuzz::Start(), bytes, size, kMaxInput, ReadMenuTexts, nullptr);
}
