// The stand-in's window record behind a window handle. Only platform code
// includes this: the Direct3D stand-in renders into the SDL window of a
// window handle, and tests of it may build a record around their own window.
#pragma once

#include <SDL.h>

#include "platform/win/win_types.h"

// Every window created through CreateWindowExA is an SDL window made with
// SDL_WINDOW_OPENGL, so a Direct3D device can create its OpenGL context on it.
// The record stays default-constructible: a record with only sdlWindow set is
// a valid device window.
// state is the stand-in's own bookkeeping (class, procedure, style, queue);
// it stays null for a record a test builds around its own window, which then
// answers the size and position queries from sdlWindow alone.
struct WinWindowState;
struct HWND__ {
  SDL_Window* sdlWindow = nullptr;
  WinWindowState* state = nullptr;
};

// The window of a full-screen device. On the system the display switches to
// the device's mode and the window takes the mode's size; here SDL shows the
// window over the whole screen and the picture is scaled onto it, while the
// client area the program sees keeps the mode's size. Does nothing for a
// record without the stand-in's bookkeeping.
void WinSetFullScreenClientSize(HWND window, int width, int height);
