// FatalError and DebugTrace: format into a bounded buffer and hand the text to
// the debugger output (and, when fatal, to a message box). Data-file text that
// a fatal message quotes is shortened here first.
#include "game/foundation/fatal_error.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

u32 gFatalErrorFlag = 0;

namespace {

// Bytes a UTF-8 character holds after its first.
constexpr size_t kMaxContinuationBytes = 3;

bool IsContinuationByte(char c) { return (static_cast<u8>(c) & 0xC0) == 0x80; }

}  // namespace

tQuotedText QuoteForMessage(const char* text) {
  tQuotedText quoted;
  const char* from = text != nullptr ? text : "";
  size_t length = 0;
  while (length <= kQuotedTextLength && from[length] != '\0') {
    length++;
  }
  if (length <= kQuotedTextLength) {
    memcpy(quoted.text, from, length + 1);
    return quoted;
  }
  length = kQuotedTextLength;
  for (size_t back = 0; back < kMaxContinuationBytes && IsContinuationByte(from[length]); back++) {
    length--;
  }
  memcpy(quoted.text, from, length);
  memcpy(quoted.text + length, "...", sizeof("..."));
  return quoted;
}

void FatalError(const char* format, ...) {
  char message[kMessageSize];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  WriteDebugOutput(message);
  gFatalErrorFlag = 1;
  ShowFatalMessageBox(message);
  AbortProcess();
}

void DebugTrace(const char* format, ...) {
  char message[kMessageSize];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  WriteDebugOutput(message);
}
