// Starting SDL's video on a display, or on a driver that shows nothing only
// when one is asked for by name.
#include "platform/win/win_video.h"

#include <SDL.h>

#include <cstring>

bool WinVideoDriverShowsNothing(const char* driver) {
  // "evdev" is SDL's dummy driver with keyboard input from the kernel.
  return driver != nullptr &&
         (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0 || strcmp(driver, "evdev") == 0);
}

bool WinStartVideo() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  // The hint reads SDL_VIDEODRIVER from the environment too.
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if ((asked != nullptr && asked[0] != '\0') || !WinVideoDriverShowsNothing(SDL_GetCurrentVideoDriver())) {
    return true;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_SetError(
      "no display (neither DISPLAY nor WAYLAND_DISPLAY names one); "
      "SDL_VIDEODRIVER=offscreen runs without a display");
  return false;
}
