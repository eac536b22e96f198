// Fuzz target for the end and credit texts: any bytes as both text files the
// configuration names ("data/endtexts_eng.txt" and "data/credits_eng.txt"),
// read by the end screen (group "TEXTS", MESSAGE01 to MESSAGE06) for the
// plain and the complete ending, and by the credits screen (group "CREDITS",
// CREDITLIST), each pushed and run through its pictures or its scroll with
// key presses and ticks, drawn on the screen target. A file that lacks what a
// screen needs ends the game through FatalError, which is the answer to it
// and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/frontend/screens/screen_end.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"
#include "tests/fuzz/menu_fuzz_screen.h"

namespace {

constexpr size_t kMaxInput = 16384;
constexpr u32 kEnglish = 1;
// Ticks a screen may run: its fades (16 frames, the last 128) and a key
// every few ticks; the stack draws one tick in kTicksPerDrawing, the others
// go through the screen's tree undrawn.
constexpr u32 kMaxTicks = 600;
constexpr u32 kTicksPerKey = 8;
constexpr u32 kTicksPerDrawing = 8;

const cPropertyGroup* ConfigGroup(const char* name) {
  const cPropertyGroup* group = menufuzz::Config().FindGroup(cString(name));
  if (group == nullptr) {
    __builtin_trap();
  }
  return group;
}

// Ticks, and now and then a key, until the screen leaves the stack.
void Run(cScreen* screen) {
  gScreenStack->Push(screen);
  gScreenStack->Sync();
  tEvent tick;
  tick.type = kEventTick;
  tick.tick = tTickEvent{menufuzz::kFrameTime};
  for (u32 i = 0; i < kMaxTicks && gScreenStack->GetTopScreen() == screen; i++) {
    if (i % kTicksPerDrawing == 0) {
      gScreenStack->OnEvent(&tick);
    } else {
      cWgNode::OfferEvent(screen, &tick);
    }
    if (i % kTicksPerKey == kTicksPerKey - 1) {
      menufuzz::SendKey(kKeyEnter);
    }
  }
  if (gScreenStack->GetTopScreen() == screen) {
    gScreenStack->Pop();
  }
  gScreenStack->Sync();
}

void ReadEndTexts(const uint8_t* bytes, size_t size) {
  gamefuzz::Serve("data/endtexts_eng.txt", bytes, size);
  gamefuzz::Serve("data/credits_eng.txt", bytes, size);
  gGameOptions->SetLanguage(kEnglish);
  // The plain ending, then the complete one (an accumulated count of 9).
  for (u32 count : {0u, 9u}) {
    gSaveProfiles->SetHard(0);
    gSaveProfiles->GetSlot(gSaveProfiles->GetCurrentSlot()).count = count;
    cScreen_End* end = new cScreen_End(ConfigGroup("end_texts"));
    Run(end);
    delete end;
  }
  cScreen_Credits* credits = new cScreen_Credits(ConfigGroup("credit_list"));
  Run(credits);
  delete credits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(gamefuzz::Start(), bytes, size, kMaxInput, ReadEndTexts, nullptr);
}
