// A window of the Windows stand-in for tests: SDL video (offscreen unless
// the environment chose a driver) and a hidden OpenGL-capable SDL window
// wrapped in the stand-in's HWND__.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win/window_internal.h"

// Starts SDL video and opens the window; on failure says why.
inline ::testing::AssertionResult OpenStandInWindow(HWND__& window, const char* title, int width, int height) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return ::testing::AssertionFailure() << "SDL video: " << SDL_GetError();
  }
  window.sdlWindow = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window.sdlWindow == nullptr) {
    return ::testing::AssertionFailure() << "SDL window: " << SDL_GetError();
  }
  return ::testing::AssertionSuccess();
}

// Destroys the window, if it opened, and stops SDL video.
inline void CloseStandInWindow(HWND__& window) {
  if (window.sdlWindow != nullptr) {
    SDL_DestroyWindow(window.sdlWindow);
    window.sdlWindow = nullptr;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
