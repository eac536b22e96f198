// Fuzz target for the command-line splitter: any text is cut into arguments
// that lie inside the one block, hold no separator unless quoted, and are
// never more than the text's own characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/app/startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  u32 count = 0;
  char** arguments = SplitCommandLine(text.c_str(), &count);
  if (arguments == nullptr) {
    return 0;
  }
  size_t characters = 0;
  const char* blockEnd = reinterpret_cast<const char*>(arguments) + sizeof(char*) * count + text.size() + 1;
  for (u32 i = 0; i < count; i++) {
    const size_t length = strlen(arguments[i]);
    if (arguments[i] + length >= blockEnd) {
      __builtin_trap();
    }
    characters += length;
  }
  if (characters > text.size()) {
    __builtin_trap();
  }
  free(arguments);
  return 0;
}
