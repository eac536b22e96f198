// Starting SDL's audio. Without a sound card ALSA writes a screenful of its
// configuration errors to stderr before SDL's open fails: they go to the
// debugger output, and the player gets one line instead.
#include "platform/win/win_audio.h"

#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/win/win32.h"

namespace {

// ALSA's error handler (snd_lib_error_handler_t), reached through the library
// SDL loads itself, so that no ALSA header or link is needed.
typedef void (*AlsaErrorHandler)(const char* file, int line, const char* function, int error, const char* format, ...);
typedef int (*AlsaSetErrorHandler)(AlsaErrorHandler handler);
constexpr char kAlsaLibrary[] = "libasound.so.2";
constexpr size_t kAlsaLineSize = 512;

void AlsaErrorToDebugOutput(const char* file, int line, const char* function, int error, const char* format, ...) {
  (void)error;
  char text[kAlsaLineSize];
  const int prefix = snprintf(text, sizeof text, "ALSA lib %s:%d:(%s) ", file, line, function);
  if (prefix < 0 || static_cast<size_t>(prefix) >= sizeof text - 1) {
    return;
  }
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text + prefix, sizeof text - static_cast<size_t>(prefix) - 1, format, arguments);
  va_end(arguments);
  const size_t length = strlen(text);
  text[length] = '\n';
  text[length + 1] = '\0';
  OutputDebugStringA(text);
}

// Loads ALSA (when it is there) and installs the handler. The library stays
// loaded: SDL's own load of it finds this one, handler and all.
void RouteAlsaErrors() {
  void* library = dlopen(kAlsaLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    return;
  }
  AlsaSetErrorHandler setHandler = reinterpret_cast<AlsaSetErrorHandler>(dlsym(library, "snd_lib_error_set_handler"));
  if (setHandler != nullptr) {
    setHandler(AlsaErrorToDebugOutput);
  }
}

std::once_flag gAlsaOnce;
std::atomic<bool> gAllSoundLost{false};
std::atomic<bool> gMovieSoundLost{false};

}  // namespace

bool WinStartAudio() {
  std::call_once(gAlsaOnce, RouteAlsaErrors);
  return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void WinReportNoSound(WinSoundLoss loss, const char* reason) {
  if (loss == WinSoundLoss::kAll) {
    if (gAllSoundLost.exchange(true)) {
      return;
    }
    fprintf(stderr, "Windows stand-in: no sound device (%s); running without sound\n", reason);
  } else {
    if (gAllSoundLost.load() || gMovieSoundLost.exchange(true)) {
      return;
    }
    fprintf(stderr, "Windows stand-in: no sound device for the movie (%s); it plays without its sound\n", reason);
  }
  fflush(stderr);
}
