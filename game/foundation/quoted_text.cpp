// QuoteForMessage: data-file text as a fatal message quotes it, shortened.
// Apart from fatal_error.cpp, so that programs with a FatalError of their own
// (the fuzz targets) can quote without taking that one.
#include <cstring>

#include "game/foundation/fatal_error.h"

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
