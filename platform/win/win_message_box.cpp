// MessageBoxA: the caption and text always go to stderr; an SDL message box
// shows them when there is a display, and without one the call returns the
// first button at once so that headless runs never block. A close request
// (the quit signal, or a window's close) ends a box as if it were closed.
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/win_internal.h"
#include "platform/win/win_testing.h"
#include "platform/win/win_video.h"

namespace {

std::mutex gHookLock;
WinTestMessageBoxHook gHook = nullptr;
void* gHookUser = nullptr;

constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kIconMask = 0x000000F0;

struct Button {
  int id;
  const char* text;
};

std::vector<Button> ButtonsFor(UINT type) {
  switch (type & kButtonMask) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

// A display is there unless the video driver is one that draws nowhere or no
// display server is named.
bool DisplayAvailable() {
  if (WinVideoFoundNoDisplay() || WinVideoDriverShowsNothing(getenv("SDL_VIDEODRIVER")) ||
      WinVideoDriverShowsNothing(SDL_GetHint(SDL_HINT_VIDEODRIVER)) ||
      (WinVideoStarted() && WinVideoDriverShowsNothing(SDL_GetCurrentVideoDriver()))) {
    return false;
  }
  const char* x11 = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

// What a box closed without a button gives: Cancel when it has one, else its
// first button (OK for the usual box).
int ClosedResult(const std::vector<Button>& buttons) {
  for (const Button& button : buttons) {
    if (button.id == IDCANCEL) {
      return IDCANCEL;
    }
  }
  return buttons.front().id;
}

// The quit signals seen while a box is up. SDL turns SIGINT and SIGTERM into
// its quit event only when its loop pumps, which a blocked box never does;
// so while a box is up a handler of ours counts them and passes each on to
// the handler it replaced.
constexpr int kQuitSignals[] = {SIGINT, SIGTERM};
constexpr int kQuitSignalCount = 2;
constexpr auto kWatchPeriod = std::chrono::milliseconds(10);

std::atomic<unsigned> gQuitSignals{0};
std::mutex gSignalLock;
int gBoxesUp = 0;
struct sigaction gReplaced[kQuitSignalCount];
bool gInstalled[kQuitSignalCount] = {};

void ForwardQuitSignal(int signalNumber, siginfo_t* info, void* context) {
  gQuitSignals.fetch_add(1);
  for (int i = 0; i < kQuitSignalCount; ++i) {
    if (kQuitSignals[i] != signalNumber) {
      continue;
    }
    const struct sigaction& replaced = gReplaced[i];
    if ((replaced.sa_flags & SA_SIGINFO) != 0) {
      if (replaced.sa_sigaction != nullptr) {
        replaced.sa_sigaction(signalNumber, info, context);
      }
    } else if (replaced.sa_handler != SIG_DFL && replaced.sa_handler != SIG_IGN && replaced.sa_handler != nullptr) {
      replaced.sa_handler(signalNumber);
    }
  }
}

// Only a signal that a handler catches can leave a box waiting: the default
// action ends the process, and an ignored signal asks for nothing.
void InstallQuitWatch() {
  std::lock_guard<std::mutex> guard(gSignalLock);
  if (gBoxesUp++ != 0) {
    return;
  }
  for (int i = 0; i < kQuitSignalCount; ++i) {
    struct sigaction current = {};
    gInstalled[i] = false;
    if (sigaction(kQuitSignals[i], nullptr, &current) != 0) {
      continue;
    }
    const bool caught = (current.sa_flags & SA_SIGINFO) != 0
                            ? current.sa_sigaction != nullptr
                            : current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN;
    if (!caught) {
      continue;
    }
    gReplaced[i] = current;
    struct sigaction watch = {};
    watch.sa_sigaction = ForwardQuitSignal;
    watch.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&watch.sa_mask);
    gInstalled[i] = sigaction(kQuitSignals[i], &watch, nullptr) == 0;
  }
}

void RemoveQuitWatch() {
  std::lock_guard<std::mutex> guard(gSignalLock);
  if (--gBoxesUp != 0) {
    return;
  }
  for (int i = 0; i < kQuitSignalCount; ++i) {
    if (gInstalled[i]) {
      sigaction(kQuitSignals[i], &gReplaced[i], nullptr);
      gInstalled[i] = false;
    }
  }
}

// The processes the thread has started and not yet reaped (the kernel lists
// them per thread); empty where the list is not offered.
std::vector<pid_t> ChildrenOf(pid_t thread) {
  std::vector<pid_t> children;
  char path[64];
  snprintf(path, sizeof(path), "/proc/self/task/%d/children", static_cast<int>(thread));
  FILE* file = fopen(path, "r");
  if (file == nullptr) {
    return children;
  }
  int child = 0;
  while (fscanf(file, "%d", &child) == 1) {
    children.push_back(static_cast<pid_t>(child));
  }
  fclose(file);
  return children;
}

// Runs a blocking box. The box lives in a process the calling thread starts
// (SDL shows it from a child process and waits for it); when a quit signal
// arrives meanwhile, that process is ended, so the box returns. True in
// closed when the box was ended that way.
int RunUntilQuit(const std::function<int()>& box, bool* closed) {
  const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
  const std::vector<pid_t> earlier = ChildrenOf(thread);
  InstallQuitWatch();
  const unsigned signalsBefore = gQuitSignals.load();
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  bool watching = false;
  std::atomic<bool> ended{false};
  std::thread watch([&] {
    std::unique_lock<std::mutex> hold(lock);
    watching = true;
    finished.notify_all();
    while (!done) {
      finished.wait_for(hold, kWatchPeriod);
      if (done || gQuitSignals.load() == signalsBefore) {
        continue;
      }
      ended = true;
      for (pid_t child : ChildrenOf(thread)) {
        if (std::find(earlier.begin(), earlier.end(), child) == earlier.end()) {
          kill(child, SIGKILL);
        }
      }
    }
  });
  {
    // The box may fork (SDL shows it from a child process): the watch must
    // have finished starting, so that no allocation of its start is under
    // way in another thread when the child is made.
    std::unique_lock<std::mutex> hold(lock);
    finished.wait(hold, [&] { return watching; });
  }
  const int result = box();
  {
    std::lock_guard<std::mutex> hold(lock);
    done = true;
  }
  finished.notify_all();
  watch.join();
  RemoveQuitWatch();
  *closed = ended;
  return result;
}

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* shownText = text != nullptr ? text : "";
  const char* shownCaption = caption != nullptr ? caption : "Error";
  fprintf(stderr, "%s: %s\n", shownCaption, shownText);
  fflush(stderr);

  std::vector<Button> buttons = ButtonsFor(type);
  WinTestMessageBoxHook hook = nullptr;
  void* user = nullptr;
  {
    std::lock_guard<std::mutex> guard(gHookLock);
    hook = gHook;
    user = gHookUser;
  }
  if (hook == nullptr && !DisplayAvailable()) {
    return buttons.front().id;
  }
  // A close request already waiting ends the box before it shows.
  if (WinClosePending()) {
    return ClosedResult(buttons);
  }
  bool closed = false;
  if (hook != nullptr) {
    const int result = RunUntilQuit([&] { return hook(owner, shownText, shownCaption, type, user); }, &closed);
    return closed ? ClosedResult(buttons) : result;
  }

  std::vector<SDL_MessageBoxButtonData> data;
  for (size_t i = 0; i < buttons.size(); ++i) {
    SDL_MessageBoxButtonData button = {};
    button.buttonid = buttons[i].id;
    button.text = buttons[i].text;
    if (i == 0) {
      button.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    }
    if (buttons[i].id == IDCANCEL || buttons.size() == 1) {
      button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    data.push_back(button);
  }
  SDL_MessageBoxData box = {};
  switch (type & kIconMask) {
    case MB_ICONERROR:
      box.flags = SDL_MESSAGEBOX_ERROR;
      break;
    case MB_ICONWARNING:
      box.flags = SDL_MESSAGEBOX_WARNING;
      break;
    default:
      box.flags = SDL_MESSAGEBOX_INFORMATION;
      break;
  }
  box.window = WinHasSdlWindow(owner) ? owner->sdlWindow : nullptr;
  box.title = shownCaption;
  box.message = shownText;
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int pressed = -1;
  const int shown = RunUntilQuit([&] { return SDL_ShowMessageBox(&box, &pressed); }, &closed);
  if (closed || shown != 0 || pressed < 0) {
    // No box could be shown, it was closed without a button, or a close
    // request ended it.
    return ClosedResult(buttons);
  }
  return pressed;
}

void WinTestSetMessageBoxHook(WinTestMessageBoxHook hook, void* user) {
  std::lock_guard<std::mutex> guard(gHookLock);
  gHook = hook;
  gHookUser = user;
}
