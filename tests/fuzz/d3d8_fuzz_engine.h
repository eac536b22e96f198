// Shared start of the engine for fuzz targets that need the real display
// driver: the Direct3D 8 stand-in on a hidden window of the offscreen video
// driver, with memory functions that refuse very large blocks.
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "engine/engine.h"
#include "platform/win/window_internal.h"
#include "tests/fuzz/limited_memory.h"

namespace d3d8fuzz {

// The hidden window the engine draws on.
inline HWND__* Window() {
  static HWND__ window;
  return &window;
}

// Opens the window and starts the engine once, with attach (when given)
// run before the engine opens; false when any step fails.
inline bool Start(RwBool (*attach)() = nullptr) {
  static bool started = false;
  if (started) {
    return true;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  HWND__& window = *Window();
  window.sdlWindow = SDL_CreateWindow("fuzz", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window.sdlWindow == nullptr) {
    return false;
  }
  RwEngineOpenParams params = {&window};
  if (!RwD3D8DriverInstall() || !RwEngineInit(limitedmemory::Functions(), 0, 1u << 20) ||
      (attach != nullptr && !attach()) || !RwEngineOpen(&params)) {
    return false;
  }
  started = RwEngineSetVideoMode(0) && RwEngineStart();
  return started;
}

}  // namespace d3d8fuzz
