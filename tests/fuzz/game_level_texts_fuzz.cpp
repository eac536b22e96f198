// Fuzz target for a level's text file: any bytes read as a property file
// whose group "TEXTS" fills the level's texts. The reader has no fatal path
// of its own; the property parser's fatal answers (bracket depth) jump back
// here and are no finding, so leak detection is off for this target.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/foundation/fatal_error.h"
#include "game/world/level_texts.h"

namespace {

constexpr size_t kMaxInput = 16384;

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
  if (size > kMaxInput) {
    return 0;
  }
  cPropertyFile* volatile file = new cPropertyFile();
  cLevelTexts* volatile texts = new cLevelTexts();
  std::jmp_buf jump;
  gFatalJump = &jump;
  if (setjmp(jump) == 0) {
    cString text(static_cast<u32>(size));
    for (size_t i = 0; i < size; i++) {
      text.SharedData()[i] = static_cast<char>(bytes[i]);
    }
    file->ParseText(text);
    const cPropertyGroup* group = file->FindGroup(cString("TEXTS"));
    if (group != nullptr) {
      texts->Read(group);
      for (u32 i = 0; i < texts->GetMessageCount(); i++) {
        const s32 marker = texts->GetMarker(i);
        if (marker >= static_cast<s32>(texts->GetMessage(i).Length())) {
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
