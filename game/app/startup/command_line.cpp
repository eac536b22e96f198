// The command-line splitter: one counting pass, then the same pass again
// writing the arguments into the block after the pointer array.
#include "game/app/startup/command_line.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) < 33; }

// Walks source with the splitting rules; with dest and arguments given it also
// writes each argument, terminated, into dest and its start into arguments.
// dest never needs more than strlen (source) + 1 bytes: every terminator but
// the last takes the place of a separator or quote that was read.
u32 ScanArguments(const char* source, char* dest, char** arguments) {
  u32 count = 0;
  const char* read = source;
  char* write = dest;
  for (;;) {
    while (*read != '\0' && IsSeparator(*read)) {
      read++;
    }
    if (*read == '\0') {
      break;
    }
    if (arguments != nullptr) {
      arguments[count] = write;
    }
    count++;
    bool quoted = false;
    while (*read != '\0') {
      const char c = *read++;
      if (c == '"') {
        if (quoted) {
          break;
        }
        quoted = true;
        continue;
      }
      if (!quoted && IsSeparator(c)) {
        break;
      }
      if (write != nullptr) {
        *write++ = c;
      }
    }
    if (write != nullptr) {
      *write++ = '\0';
    }
  }
  return count;
}

}  // namespace

char** SplitCommandLine(const char* text, u32* count) {
  *count = 0;
  if (text == nullptr) {
    return nullptr;
  }
  const u32 argumentCount = ScanArguments(text, nullptr, nullptr);
  const size_t length = strlen(text);
  const size_t pointerBytes = sizeof(char*) * argumentCount;
  char** block = static_cast<char**>(malloc(pointerBytes + length + 1));
  if (block == nullptr) {
    return nullptr;
  }
  char* copy = reinterpret_cast<char*>(block) + pointerBytes;
  copy[0] = '\0';
  ScanArguments(text, copy, block);
  *count = argumentCount;
  return block;
}
