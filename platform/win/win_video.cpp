// Starting SDL's video on a display, or on a driver that shows nothing only
// when one is asked for by name.
#include "platform/win/win_video.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

bool WinVideoDriverShowsNothing(const char* driver) {
  // "evdev" is SDL's dummy driver with keyboard input from the kernel.
  return driver != nullptr &&
         (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0 || strcmp(driver, "evdev") == 0);
}

namespace {

bool gFoundNoDisplay = false;

bool Named(const char* value) { return value != nullptr && value[0] != '\0'; }

// Why no display could be had: none is named, or the ones named could not be
// opened.
std::string NoDisplayReason() {
  const char* x11 = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  std::string reason;
  if (Named(x11) && Named(wayland)) {
    reason = std::string("neither the display \"") + x11 + "\" (DISPLAY) nor \"" + wayland +
             "\" (WAYLAND_DISPLAY) could be opened";
  } else if (Named(x11) || Named(wayland)) {
    reason = std::string("the display \"") + (Named(x11) ? x11 : wayland) + "\" named by " +
             (Named(x11) ? "DISPLAY" : "WAYLAND_DISPLAY") + " could not be opened";
  } else {
    reason = "no display (neither DISPLAY nor WAYLAND_DISPLAY names one)";
  }
  return reason + "; SDL_VIDEODRIVER=offscreen runs without a display";
}

}  // namespace

bool WinStartVideo() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    gFoundNoDisplay = true;
    return false;
  }
  // The hint reads SDL_VIDEODRIVER from the environment too.
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if ((asked != nullptr && asked[0] != '\0') || !WinVideoDriverShowsNothing(SDL_GetCurrentVideoDriver())) {
    return true;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_SetError("%s", NoDisplayReason().c_str());
  gFoundNoDisplay = true;
  return false;
}

bool WinVideoFoundNoDisplay() { return gFoundNoDisplay; }
