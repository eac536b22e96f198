// Fuzz target for a level's text file: any bytes as a property file whose
// group "TEXTS" fills the level's texts. The parser's fatal answer to deep
// brackets jumps back here (no finding; what it skips leaks: no leak check).
#include <csetjmp>
#include <cstdint>
#include <cstring>

#include "game/world/level_texts.h"
#include "tests/fuzz/fatal_jump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size > 16384) {
    return 0;
  }
  cPropertyFile* volatile file = new cPropertyFile();
  cLevelTexts* volatile texts = new cLevelTexts();
  std::jmp_buf jump;
  gFatalJump = &jump;
  if (setjmp(jump) == 0) {
    cString text(static_cast<u32>(size));
    if (size > 0) {
      memcpy(text.SharedData(), bytes, size);
    }
    file->ParseText(text);
    const cPropertyGroup* group = file->FindGroup(cString("TEXTS"));
    if (group != nullptr) {
      texts->Read(group);
      if (texts->GetObjectiveCount() > kMaxMissionObjectives) {
        __builtin_trap();
      }
    }
  }
  gFatalJump = nullptr;
  delete texts;
  delete file;
  return 0;
}
