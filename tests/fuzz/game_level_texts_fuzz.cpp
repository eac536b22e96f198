// Fuzz target for a level's text file: any bytes parsed as a property file
// whose group "TEXTS" fills the level's texts. The parser's fatal answer to
// brackets nested too deep jumps back here and is no finding; what the jump
// skips is never freed, so leak detection is off for this target.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/foundation/fatal_error.h"
#include "game/world/level_texts.h"

namespace {

std::jmp_buf* gFatalJump = nullptr;

}  // namespace

u32 gFatalErrorFlag = 0;

void FatalError(const char*, ...) {
  if (gFatalJump == nullptr) {
    abort();
  }
  std::longjmp(*gFatalJump, 1);
}

void DebugTrace(const char*, ...) {}

extern "C" __attribute__((used)) int __lsan_is_turned_off() { return 1; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  static char noLeaks[] = "-detect_leaks=0";
  arguments.push_back(noLeaks);
  *argc = static_cast<int>(arguments.size());
  *argv = arguments.data();
  return 0;
}

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
      for (u32 i = 0; i < texts->GetMessageCount(); i++) {
        if (texts->GetMarker(i) >= static_cast<s32>(texts->GetMessage(i).Length())) {
          __builtin_trap();
        }
      }
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
