// The game's fatal error for fuzz targets of game readers: a bad input ends
// the program through FatalError, which is the answer to it and no finding,
// so this FatalError jumps back to the target's input instead. What the jump
// skips (small locals of the interrupted calls) is never freed, so leak
// detection is off for these targets.
//
// Defines the game's FatalError, DebugTrace and gFatalErrorFlag: include it
// in the target's one source file. The target points gFatalJump at a
// jmp_buf it has set before the reading calls, and clears it after them.
#pragma once

#include <csetjmp>
#include <cstdlib>
#include <vector>

#include "game/foundation/fatal_error.h"

inline std::jmp_buf* gFatalJump = nullptr;

u32 gFatalErrorFlag = 0;

void FatalError(const char*, ...) {
  if (gFatalJump == nullptr) {
    abort();
  }
  std::longjmp(*gFatalJump, 1);
}

void DebugTrace(const char*, ...) {}

// Leaks after a fatal jump are expected.
extern "C" __attribute__((used)) int __lsan_is_turned_off() { return 1; }

namespace fataljump {

// Adds "-detect_leaks=0" to libFuzzer's arguments; for LLVMFuzzerInitialize.
inline int NoLeakDetection(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  static char noLeaks[] = "-detect_leaks=0";
  arguments.push_back(noLeaks);
  *argc = static_cast<int>(arguments.size());
  *argv = arguments.data();
  return 0;
}

}  // namespace fataljump
