// FatalError and DebugTrace: format into a bounded buffer and hand the text to
// the debugger output (and, when fatal, to a message box).
#include "game/foundation/fatal_error.h"

#include <cstdarg>
#include <cstdio>

u32 gFatalErrorFlag = 0;

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
