// A full-screen window and the display mode it shows. The program sizes the
// window to its mode (640 x 480, say); SDL shows it over the whole screen,
// and a display without that mode (an X server with one size) makes the SDL
// window the screen's size while the picture is scaled onto it. The window's
// client area, its size messages and the cursor keep speaking in the mode's
// pixels, as on a display that switched to the mode.
#include "platform/win/win_internal.h"
#include "platform/win/window_internal.h"

namespace {

// A position on an axis of fromLength pixels moved onto one of toLength,
// rounded down like the scaled picture's pixels.
int Scale(int value, int fromLength, int toLength) {
  if (fromLength <= 0) {
    return value;
  }
  return static_cast<int>(static_cast<long long>(value) * toLength / fromLength);
}

}  // namespace

bool WinIsFullScreenStyle(DWORD style) {
  return (style & WS_POPUP) != 0 && (style & (WS_CAPTION | WS_THICKFRAME | WS_CHILD)) == 0;
}

bool WinIsModeScaled(HWND window) {
  if (window == nullptr || window->sdlWindow == nullptr || window->state == nullptr ||
      window->state->kind != WinWindowKind::kTopLevel) {
    return false;
  }
  return (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0 ||
         WinIsFullScreenStyle(window->state->style);
}

void WinClientSize(HWND window, int* width, int* height) {
  if (WinIsModeScaled(window)) {
    *width = window->state->requestedWidth;
    *height = window->state->requestedHeight;
    return;
  }
  SDL_GetWindowSize(window->sdlWindow, width, height);
}

void WinClientToReal(HWND window, int* x, int* y) {
  if (!WinIsModeScaled(window)) {
    return;
  }
  int realWidth = 0;
  int realHeight = 0;
  SDL_GetWindowSize(window->sdlWindow, &realWidth, &realHeight);
  *x = Scale(*x, window->state->requestedWidth, realWidth);
  *y = Scale(*y, window->state->requestedHeight, realHeight);
}

void WinSetFullScreenClientSize(HWND window, int width, int height) {
  if (!WinIsLiveWindow(window) || width <= 0 || height <= 0) {
    return;
  }
  window->state->requestedWidth = width;
  window->state->requestedHeight = height;
}
