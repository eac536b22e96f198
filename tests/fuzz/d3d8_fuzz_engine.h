// Shared start of the fuzz targets that need a real display driver: the
// engine on the Direct3D 8 stand-in in a hidden window, with memory
// functions that refuse very large blocks.
#pragma once

#include <SDL.h>

#include <cstdlib>

#include "engine/engine.h"
#include "platform/win/window_internal.h"
#include "tests/fuzz/limited_memory.h"

namespace d3d8fuzz {

// Init, open on the window, the first video mode and start; false on any failure.
inline bool StartEngine(const char* title, int width, int height) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  static HWND__ window;
  window.sdlWindow = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window.sdlWindow == nullptr) {
    return false;
  }
  RwEngineOpenParams params = {&window};
  if (!RwEngineInit(fuzzmemory::Functions(), 0, 1u << 20) || !RwEngineOpen(&params)) {
    return false;
  }
  return RwEngineSetVideoMode(0) && RwEngineStart();
}

}  // namespace d3d8fuzz
