// MessageBoxA: the caption and text always go to stderr; an SDL message box
// shows them when there is a display, its text wrapped to fit the screen,
// and without one the call returns the first button at once so that
// headless runs never block. A close request (the quit signal, or a
// window's close) ends a box as if it were closed.
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

// The characters of a text: UTF-8 when the bytes are valid UTF-8, else the
// ANSI code page's (Windows-1252) characters, one a byte.
std::vector<uint32_t> DecodeBoxText(const char* text) {
  static const uint16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                             0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::vector<uint32_t> characters;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  bool utf8 = true;
  for (size_t i = 0; bytes[i] != 0 && utf8;) {
    const unsigned char lead = bytes[i];
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    uint32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    utf8 = extra >= 0;
    for (int k = 1; k <= extra && utf8; k++) {
      utf8 = (bytes[i + k] & 0xC0) == 0x80;
      code = (code << 6) | (bytes[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and codes beyond Unicode are no UTF-8.
    const uint32_t least[4] = {0, 0x80, 0x800, 0x10000};
    utf8 = utf8 && code >= least[extra < 0 ? 0 : extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    characters.push_back(code);
    i += extra < 0 ? 1 : static_cast<size_t>(extra) + 1;
  }
  if (!utf8) {
    characters.clear();
    for (size_t i = 0; bytes[i] != 0; i++) {
      const unsigned char byte = bytes[i];
      characters.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
  }
  // Control characters other than line breaks and tabs show as '?'; so do
  // the code page's unassigned bytes.
  for (uint32_t& c : characters) {
    if (c == '\t') {
      c = ' ';
    } else if (c == 0 || (c < 0x20 && c != '\n' && c != '\r') || c == 0x7F) {
      c = '?';
    }
  }
  return characters;
}

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Pixels a character of the box's font takes at most, and the box's frame.
constexpr int kBoxGlyphWidth = 9;
constexpr int kBoxFrameWidth = 64;
constexpr int kBoxFewestColumns = 30;
constexpr int kBoxMostColumns = 80;
// Where the screen's width cannot be had: the smallest mode the game offers.
constexpr int kBoxFallbackScreenWidth = 640;

int ScreenWidth() {
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0) {
    return mode.w;
  }
  return kBoxFallbackScreenWidth;
}

}  // namespace

int WinBoxColumns(int screenWidth) {
  const int columns = (screenWidth - kBoxFrameWidth) / kBoxGlyphWidth;
  return std::max(kBoxFewestColumns, std::min(kBoxMostColumns, columns));
}

std::string WinBoxText(const char* text, int columns) {
  const std::vector<uint32_t> characters = DecodeBoxText(text != nullptr ? text : "");
  columns = std::max(1, columns);
  std::string out;
  std::vector<uint32_t> line;
  auto flush = [&](size_t count) {
    for (size_t i = 0; i < count; i++) {
      AppendUtf8(&out, line[i]);
    }
    out.push_back('\n');
    line.erase(line.begin(), line.begin() + static_cast<long>(count));
    while (!line.empty() && line.front() == ' ') {
      line.erase(line.begin());
    }
  };
  for (size_t i = 0; i < characters.size(); i++) {
    const uint32_t c = characters[i];
    if (c == '\r' || c == '\n') {
      // CR LF is one break.
      if (c == '\r' && i + 1 < characters.size() && characters[i + 1] == '\n') {
        i++;
      }
      flush(line.size());
      continue;
    }
    line.push_back(c);
    if (static_cast<int>(line.size()) > columns) {
      // Broken at the last blank that leaves a line; a word longer than a
      // line is cut.
      size_t blank = line.size();
      while (blank > 0 && line[blank - 1] != ' ') {
        blank--;
      }
      flush(blank > 1 ? blank - 1 : static_cast<size_t>(columns));
    }
  }
  flush(line.size());
  // No blank line and no blanks at the end.
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
    out.pop_back();
  }
  return out;
}

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
  const std::string title = WinBoxText(shownCaption, kBoxMostColumns);
  const std::string message = WinBoxText(shownText, WinBoxColumns(ScreenWidth()));
  box.title = title.c_str();
  box.message = message.c_str();
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
