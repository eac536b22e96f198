// OutputDebugStringA: as on the real system nobody sees the debugger output
// unless asked. TK_DEBUG_OUTPUT asks: "stderr", or the path of a file the
// text is appended to.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/win/win32.h"

namespace {

constexpr char kDebugOutputVariable[] = "TK_DEBUG_OUTPUT";
constexpr char kStandardError[] = "stderr";

// The file named by the variable, kept open while the variable names it.
struct DebugFile {
  std::mutex lock;
  std::string path;
  FILE* file = nullptr;
  bool failed = false;  // the open failed: said once, then silent
};

DebugFile& Debug() {
  static DebugFile debug;
  return debug;
}

// The file for the path; null when it cannot be opened. The lock is held.
FILE* OpenDebugFile(DebugFile& debug, const char* path) {
  if (debug.path != path) {
    if (debug.file != nullptr) {
      fclose(debug.file);
    }
    debug.path = path;
    debug.file = fopen(path, "a");
    debug.failed = false;
  }
  if (debug.file == nullptr && !debug.failed) {
    debug.failed = true;
    fprintf(stderr, "Windows stand-in: %s: cannot open \"%s\": %s\n", kDebugOutputVariable, path, strerror(errno));
  }
  return debug.file;
}

}  // namespace

void WINAPI OutputDebugStringA(LPCSTR text) {
  // Read at every call: the environment is the switch, also for tests.
  const char* target = getenv(kDebugOutputVariable);
  if (text == nullptr || target == nullptr || target[0] == '\0') {
    return;
  }
  DebugFile& debug = Debug();
  std::lock_guard<std::mutex> guard(debug.lock);
  FILE* out = strcmp(target, kStandardError) == 0 ? stderr : OpenDebugFile(debug, target);
  if (out != nullptr) {
    fputs(text, out);
    fflush(out);
  }
}
