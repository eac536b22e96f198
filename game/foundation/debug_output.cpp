// Debugger output and the fatal message box. Until the Windows stand-in
// offers OutputDebugStringA and MessageBoxA, both go to the standard error
// stream, which is where a debugger attached to this process reads them.
#include <cstdio>

#include "game/foundation/fatal_error.h"

void WriteDebugOutput(const char* text) {
  fputs(text, stderr);
  fflush(stderr);
}

void ShowFatalMessageBox(const char* text) {
  fprintf(stderr, "\n[message box] %s\n", text);
  fflush(stderr);
}
