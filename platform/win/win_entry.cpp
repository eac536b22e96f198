// WinRunMain: the bridge from main() to the program's WinMain. Kept apart so
// that programs without a WinMain (the tests) never link it.
#include "platform/win/win_entry.h"

#include "platform/win/win_internal.h"

int WinRunMain(int argc, char** argv) {
  WinSetArguments(argc, argv);
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, WinCommandLineArguments(), SW_SHOWDEFAULT);
  if (WinVideoStarted()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  return result;
}
