// Window classes, windows and their geometry over SDL windows, and the
// per-thread message queues fed from SDL's events.
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "platform/win/win_events.h"
#include "platform/win/win_internal.h"
#include "platform/win/win_resource.h"
#include "platform/win/win_testing.h"
#include "platform/win/win_video.h"

namespace {

constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;
constexpr int kThickFrame = 4;
constexpr int kThinFrame = 3;
constexpr int kBorder = 1;
constexpr int kCaptionHeight = 19;
constexpr int kMenuHeight = 19;
// WaitMessage wakes at least this often to look at messages posted by other
// threads while SDL's queue is idle.
constexpr int kWaitSliceMs = 100;
const char* const kWindowDataKey = "tk.hwnd";

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
};

struct Frame {
  int left, top, right, bottom;  // offsets of the window rectangle from the client rectangle
};

// Guards the class and window tables: PostMessageA may look a window up from
// another thread.
std::mutex gTableLock;
std::vector<WindowClass> gClasses;
std::set<HWND> gWindows;
std::map<Uint32, HWND> gWindowsBySdlId;

std::once_flag gVideoOnce;
std::atomic<bool> gVideoStarted{false};
std::thread::id gVideoThread;
Uint32 gWakeEvent = 0;

thread_local std::shared_ptr<WinMessageQueue> tQueue;

// Bookkeeping of the drop handles handed out, so that a stale or foreign
// handle is refused instead of read.
struct DropFiles {
  std::vector<std::string> files;
};
std::mutex gDropLock;
std::set<DropFiles*> gDrops;

struct Listener {
  WinEventListener listener;
  void* user;
};
std::mutex gListenerLock;
std::vector<Listener> gListeners;

int gCursorCount = 0;
POINT gCursorPos = {0, 0};
bool gClipActive = false;
RECT gClipRect = {0, 0, 0, 0};
SDL_Window* gClipWindow = nullptr;

// SetCursorPos moves SDL's cursor, and most drivers report the move as motion
// to the target: no movement of the user's, so no listener may see it. Motion
// landing on the target of one of the last few warps soon after it is taken
// for that report (a program may warp more than once between two pumps).
constexpr Uint32 kWarpEchoMs = 250;
constexpr size_t kWarpsRemembered = 4;
struct PendingWarp {
  bool armed = false;
  Uint32 windowId = 0;
  int x = 0;  // client pixels of the window
  int y = 0;
  Uint32 ticks = 0;  // SDL_GetTicks at the warp
};
std::mutex gWarpLock;
std::array<PendingWarp, kWarpsRemembered> gPendingWarps;
size_t gNextWarp = 0;

const WindowClass* FindClass(const char* name) {
  for (const WindowClass& windowClass : gClasses) {
    if (strcasecmp(windowClass.name.c_str(), name) == 0) {
      return &windowClass;
    }
  }
  return nullptr;
}

Frame FrameFor(DWORD style, BOOL menu) {
  int border = 0;
  if (style & WS_THICKFRAME) {
    border = kThickFrame;
  } else if (style & WS_DLGFRAME) {
    border = kThinFrame;
  } else if (style & WS_BORDER) {
    border = kBorder;
  }
  int caption = (style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
  int menuBar = menu ? kMenuHeight : 0;
  return {-border, -(border + caption + menuBar), border, border};
}

DWORD StyleOf(HWND window) { return window->state != nullptr ? window->state->style : 0; }

// The frame a window has now: none while SDL shows it full screen.
Frame WindowFrame(HWND window) {
  if (window->sdlWindow != nullptr && (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_FULLSCREEN) != 0) {
    return {0, 0, 0, 0};
  }
  return FrameFor(StyleOf(window), FALSE);
}

void SetSdlIcon(SDL_Window* sdlWindow, HICON icon);

// Makes the SDL window follow the style: a frameless popup is full screen in
// a display mode of its client size, anything else a framed window.
void ApplyStyle(HWND window) {
  SDL_Window* sdlWindow = window->sdlWindow;
  DWORD style = StyleOf(window);
  Uint32 flags = SDL_GetWindowFlags(sdlWindow);
  if (WinIsFullScreenStyle(style)) {
    SDL_SetWindowBordered(sdlWindow, SDL_FALSE);
    SDL_SetWindowResizable(sdlWindow, SDL_FALSE);
    if ((flags & SDL_WINDOW_FULLSCREEN) == 0) {
      SDL_DisplayMode wanted = {};
      SDL_DisplayMode closest = {};
      SDL_GetWindowSize(sdlWindow, &wanted.w, &wanted.h);
      int display = SDL_GetWindowDisplayIndex(sdlWindow);
      bool done = false;
      if (display >= 0 && SDL_GetClosestDisplayMode(display, &wanted, &closest) != nullptr &&
          SDL_SetWindowDisplayMode(sdlWindow, &closest) == 0) {
        done = SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) == 0;
      }
      if (!done) {
        SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
      }
    }
    return;
  }
  if ((flags & SDL_WINDOW_FULLSCREEN) != 0) {
    SDL_SetWindowFullscreen(sdlWindow, 0);
  }
  SDL_SetWindowBordered(sdlWindow, (style & WS_CAPTION) != 0 ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(sdlWindow, (style & WS_THICKFRAME) != 0 ? SDL_TRUE : SDL_FALSE);
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg = {};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = WinNowMs();
  if (WinVideoStarted()) {
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    msg.pt = {x, y};
  }
  return msg;
}

void PostToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window->state == nullptr || window->state->queue == nullptr) {
    return;
  }
  WinQueuePost(*window->state->queue, MakeMessage(window, message, wParam, lParam));
}

void WakeWaiters() {
  if (WinVideoStarted() && std::this_thread::get_id() != gVideoThread) {
    SDL_Event wake = {};
    wake.type = gWakeEvent;
    SDL_PushEvent(&wake);
  }
}

bool HasPendingMessage(HWND window, UINT message) {
  WinMessageQueue& queue = *window->state->queue;
  std::lock_guard<std::mutex> guard(queue.lock);
  return std::any_of(queue.messages.begin(), queue.messages.end(),
                     [&](const MSG& msg) { return msg.hwnd == window && msg.message == message; });
}

void FreeDrop(DropFiles* drop) {
  std::lock_guard<std::mutex> guard(gDropLock);
  if (gDrops.erase(drop) != 0) {
    delete drop;
  }
}

// The top-level window files dropped on an unknown window go to: the one
// with the keyboard focus, else the only one accepting files.
HWND DropTarget(Uint32 windowId) {
  HWND window = WinWindowFromSdlId(windowId);
  if (window != nullptr) {
    return window;
  }
  SDL_Window* focus = SDL_GetKeyboardFocus();
  if (focus != nullptr) {
    window = WinWindowFromSdlId(SDL_GetWindowID(focus));
    if (window != nullptr) {
      return window;
    }
  }
  std::lock_guard<std::mutex> guard(gTableLock);
  for (HWND candidate : gWindows) {
    if (candidate->state->kind == WinWindowKind::kTopLevel && candidate->state->acceptFiles) {
      return candidate;
    }
  }
  return nullptr;
}

void TranslateDrop(const SDL_Event& event) {
  HWND window = DropTarget(event.drop.windowID);
  if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) {
    if (window != nullptr && event.type == SDL_DROPFILE && event.drop.file != nullptr &&
        window->state->kind == WinWindowKind::kTopLevel) {
      window->state->dropFiles.emplace_back(event.drop.file);
    }
    SDL_free(event.drop.file);
    return;
  }
  if (window == nullptr || window->state->kind != WinWindowKind::kTopLevel) {
    return;
  }
  if (event.type == SDL_DROPBEGIN) {
    window->state->dropFiles.clear();
    return;
  }
  // SDL_DROPCOMPLETE: the gesture ends with one message carrying every file.
  std::vector<std::string> files;
  files.swap(window->state->dropFiles);
  if (!window->state->acceptFiles || files.empty()) {
    return;
  }
  DropFiles* drop = new DropFiles;
  drop->files = std::move(files);
  {
    std::lock_guard<std::mutex> guard(gDropLock);
    gDrops.insert(drop);
  }
  PostToWindow(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

void PostSizing(HWND window, int clientWidth, int clientHeight) {
  WinMessageQueue& queue = *window->state->queue;
  RECT outer = {};
  GetWindowRect(window, &outer);
  Frame frame = WindowFrame(window);
  outer.right = outer.left + clientWidth + frame.right - frame.left;
  outer.bottom = outer.top + clientHeight + frame.bottom - frame.top;
  RECT* slot = nullptr;
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    slot = &queue.sizingRects[queue.nextSizingRect];
    queue.nextSizingRect = (queue.nextSizingRect + 1) % WinMessageQueue::kSizingRectCount;
    *slot = outer;
  }
  PostToWindow(window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(slot));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  HWND window = WinWindowFromSdlId(event.windowID);
  if (window == nullptr) {
    return;
  }
  WinWindowState& state = *window->state;
  Uint32 flags = SDL_GetWindowFlags(window->sdlWindow);
  WORD minimised = (flags & SDL_WINDOW_MINIMIZED) != 0 ? 1 : 0;
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      PostToWindow(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PostToWindow(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, minimised), 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      PostToWindow(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimised), 0);
      break;
    case SDL_WINDOWEVENT_RESIZED:
      // A size nobody asked for, on a window that is neither maximised nor
      // full screen, comes from dragging the frame.
      if ((event.data1 != state.requestedWidth || event.data2 != state.requestedHeight) &&
          (flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN)) == 0) {
        PostSizing(window, event.data1, event.data2);
      }
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      WPARAM kind = (flags & SDL_WINDOW_MAXIMIZED) != 0 ? SIZE_MAXIMIZED : SIZE_RESTORED;
      int width = event.data1;
      int height = event.data2;
      if (WinIsModeScaled(window)) {
        // The SDL window took the screen's size; the client keeps the mode's.
        WinClientSize(window, &width, &height);
      }
      PostToWindow(window, WM_SIZE, kind, MAKELPARAM(width, height));
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
      state.style = (state.style | WS_MINIMIZE) & ~static_cast<DWORD>(WS_MAXIMIZE);
      PostToWindow(window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      state.style = (state.style | WS_MAXIMIZE) & ~static_cast<DWORD>(WS_MINIMIZE);
      break;
    case SDL_WINDOWEVENT_RESTORED: {
      bool wasMinimised = (state.style & WS_MINIMIZE) != 0;
      state.style &= ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE);
      if (wasMinimised) {
        int width = 0;
        int height = 0;
        WinClientSize(window, &width, &height);
        PostToWindow(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
      }
      break;
    }
    case SDL_WINDOWEVENT_SHOWN:
      state.style |= WS_VISIBLE;
      break;
    case SDL_WINDOWEVENT_HIDDEN:
      state.style &= ~static_cast<DWORD>(WS_VISIBLE);
      break;
    default:
      break;
  }
}

std::atomic<unsigned> gQuitRequests{0};

// SDL's quit request (a signal, or the session ending) closes every top-level
// window that is not already closing.
void TranslateQuit() {
  gQuitRequests.fetch_add(1);
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> guard(gTableLock);
    for (HWND window : gWindows) {
      if (window->state->kind == WinWindowKind::kTopLevel) {
        windows.push_back(window);
      }
    }
  }
  for (HWND window : windows) {
    if (!HasPendingMessage(window, WM_CLOSE)) {
      PostToWindow(window, WM_CLOSE, 0, 0);
    }
  }
}

// Window id of an input event, 0 for others.
Uint32 EventWindowId(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_TEXTINPUT:
      return event.text.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    default:
      return 0;
  }
}

bool IsWarpEcho(const SDL_Event& event) {
  if (event.type != SDL_MOUSEMOTION) {
    return false;
  }
  std::lock_guard<std::mutex> guard(gWarpLock);
  for (const PendingWarp& warp : gPendingWarps) {
    if (!warp.armed || SDL_TICKS_PASSED(event.motion.timestamp, warp.ticks + kWarpEchoMs)) {
      continue;
    }
    // Drivers without a mouse focus report the warp without a window.
    const bool sameWindow = event.motion.windowID == warp.windowId || event.motion.windowID == 0;
    if (sameWindow && event.motion.x == warp.x && event.motion.y == warp.y) {
      return true;
    }
  }
  return false;
}

bool MatchesFilter(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd != nullptr) {
      return false;
    }
  } else if (window != nullptr && msg.hwnd != window) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) {
    return true;
  }
  return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared with the other source files

std::shared_ptr<WinMessageQueue> WinCurrentQueue() {
  if (tQueue == nullptr) {
    tQueue = std::make_shared<WinMessageQueue>();
  }
  return tQueue;
}

void WinQueuePost(WinMessageQueue& queue, const MSG& message) {
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.messages.push_back(message);
    ++queue.arrivals;
  }
  queue.arrived.notify_all();
  WakeWaiters();
}

bool WinEnsureVideo() {
  std::call_once(gVideoOnce, [] {
    if (!WinStartVideo()) {
      fprintf(stderr, "Windows stand-in: SDL video did not start: %s\n", SDL_GetError());
      return;
    }
    gWakeEvent = SDL_RegisterEvents(1);
    gVideoThread = std::this_thread::get_id();
    SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    gVideoStarted = true;
  });
  return gVideoStarted;
}

bool WinVideoStarted() { return gVideoStarted; }

Uint32 WinWakeEventType() { return gWakeEvent; }

bool WinIsLiveWindow(HWND window) {
  std::lock_guard<std::mutex> guard(gTableLock);
  return window != nullptr && gWindows.count(window) != 0;
}

bool WinHasSdlWindow(HWND window) {
  if (window == nullptr) {
    return false;
  }
  if (WinIsLiveWindow(window)) {
    return window->sdlWindow != nullptr;
  }
  // A bare record around a test's own SDL window.
  return window->state == nullptr && window->sdlWindow != nullptr;
}

HWND WinWindowFromSdlId(Uint32 windowId) {
  std::lock_guard<std::mutex> guard(gTableLock);
  auto found = gWindowsBySdlId.find(windowId);
  return found != gWindowsBySdlId.end() ? found->second : nullptr;
}

void WinRegisterWindow(HWND window) {
  std::lock_guard<std::mutex> guard(gTableLock);
  gWindows.insert(window);
  if (window->sdlWindow != nullptr) {
    gWindowsBySdlId[SDL_GetWindowID(window->sdlWindow)] = window;
    SDL_SetWindowData(window->sdlWindow, kWindowDataKey, window);
  }
}

void WinRetireWindow(HWND window) {
  // Records are emptied and kept, never freed: a stale handle then reads as
  // a dead window, and no later window can get the same handle.
  static std::vector<HWND>* retired = new std::vector<HWND>;
  std::lock_guard<std::mutex> guard(gTableLock);
  window->sdlWindow = nullptr;
  window->state = nullptr;
  retired->push_back(window);
}

void WinUnregisterWindow(HWND window) {
  std::lock_guard<std::mutex> guard(gTableLock);
  gWindows.erase(window);
  if (window->sdlWindow != nullptr) {
    gWindowsBySdlId.erase(SDL_GetWindowID(window->sdlWindow));
  }
}

void WinTranslateEvent(const SDL_Event& event) {
  if (event.type == gWakeEvent || IsWarpEcho(event)) {
    return;
  }
  std::vector<Listener> listeners;
  {
    std::lock_guard<std::mutex> guard(gListenerLock);
    listeners = gListeners;
  }
  for (const Listener& entry : listeners) {
    entry.listener(event, entry.user);
  }
  if (event.type == SDL_QUIT) {
    TranslateQuit();
    return;
  }
  if (event.type == SDL_DROPBEGIN || event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT ||
      event.type == SDL_DROPCOMPLETE) {
    TranslateDrop(event);
    return;
  }
  Uint32 windowId = EventWindowId(event);
  if (windowId == 0) {
    return;
  }
  HWND window = WinWindowFromSdlId(windowId);
  if (window == nullptr) {
    return;
  }
  if (window->state->kind == WinWindowKind::kDialog) {
    WinDialogHandleEvent(window, event);
    return;
  }
  if (event.type == SDL_WINDOWEVENT) {
    TranslateWindowEvent(event.window);
  }
}

unsigned WinQuitRequestCount() { return gQuitRequests.load(); }

bool WinClosePending() {
  WinPumpEvents();
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> guard(gTableLock);
    for (HWND window : gWindows) {
      if (window->state != nullptr && window->state->kind == WinWindowKind::kTopLevel) {
        windows.push_back(window);
      }
    }
  }
  for (HWND window : windows) {
    if (WinIsLiveWindow(window) && HasPendingMessage(window, WM_CLOSE)) {
      return true;
    }
  }
  return false;
}

void WinPumpEvents() {
  // A dialog procedure runs inside the pump; a pump it starts would handle
  // later events before the one in hand.
  static thread_local bool pumping = false;
  if (pumping || !WinVideoStarted() || std::this_thread::get_id() != gVideoThread) {
    return;
  }
  pumping = true;
  SDL_PumpEvents();
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    WinTranslateEvent(event);
  }
  pumping = false;
}

bool WinAddEventListener(WinEventListener listener, void* user) {
  std::lock_guard<std::mutex> guard(gListenerLock);
  for (const Listener& entry : gListeners) {
    if (entry.listener == listener && entry.user == user) {
      return false;
    }
  }
  gListeners.push_back({listener, user});
  return true;
}

void WinRemoveEventListener(WinEventListener listener, void* user) {
  std::lock_guard<std::mutex> guard(gListenerLock);
  gListeners.erase(
      std::remove_if(gListeners.begin(), gListeners.end(),
                     [&](const Listener& entry) { return entry.listener == listener && entry.user == user; }),
      gListeners.end());
}

// ---------------------------------------------------------------------------
// Classes and windows

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName) || windowClass->lpszClassName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> guard(gTableLock);
  if (FindClass(windowClass->lpszClassName) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass entry;
  entry.name = windowClass->lpszClassName;
  entry.style = windowClass->style;
  entry.procedure = windowClass->lpfnWndProc;
  entry.instance = windowClass->hInstance;
  entry.icon = windowClass->hIcon;
  entry.cursor = windowClass->hCursor;
  gClasses.push_back(entry);
  // Atoms of registered classes start at 0xC000.
  return static_cast<ATOM>(0xC000 + gClasses.size() - 1);
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (className == nullptr || IS_INTRESOURCE(className)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(gTableLock);
  for (HWND window : gWindows) {
    if (window->state->kind == WinWindowKind::kTopLevel &&
        strcasecmp(window->state->className.c_str(), className) == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  for (auto it = gClasses.begin(); it != gClasses.end(); ++it) {
    if (strcasecmp(it->name.c_str(), className) == 0) {
      gClasses.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  if (className == nullptr || IS_INTRESOURCE(className)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  WindowClass windowClass;
  {
    std::lock_guard<std::mutex> guard(gTableLock);
    const WindowClass* found = FindClass(className);
    if (found == nullptr) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    windowClass = *found;
  }
  if (!WinEnsureVideo()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Windows are top-level SDL windows: the child bit has no meaning here.
  style &= ~static_cast<DWORD>(WS_CHILD);
  Frame frame = FrameFor(style, menu != nullptr);
  int clientWidth = kDefaultClientWidth;
  int clientHeight = kDefaultClientHeight;
  if (width != CW_USEDEFAULT) {
    clientWidth = std::max(1, width - (frame.right - frame.left));
    clientHeight = std::max(1, height - (frame.bottom - frame.top));
  }
  int sdlX = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x - frame.left;
  int sdlY = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y - frame.top;
  Uint32 flags = SDL_WINDOW_OPENGL;
  flags |= (style & WS_VISIBLE) != 0 ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if ((style & WS_THICKFRAME) != 0) {
    flags |= SDL_WINDOW_RESIZABLE;
  }
  if ((style & WS_CAPTION) == 0) {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  SDL_Window* sdlWindow =
      SDL_CreateWindow(windowName != nullptr ? windowName : "", sdlX, sdlY, clientWidth, clientHeight, flags);
  if (sdlWindow == nullptr) {
    fprintf(stderr, "Windows stand-in: no window: %s\n", SDL_GetError());
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HWND window = new HWND__;
  window->sdlWindow = sdlWindow;
  window->state = new WinWindowState;
  WinWindowState& state = *window->state;
  state.kind = WinWindowKind::kTopLevel;
  state.procedure = windowClass.procedure;
  state.className = windowClass.name;
  state.style = style;
  state.exStyle = exStyle;
  state.instance = instance;
  state.parent = parent;
  state.acceptFiles = (exStyle & WS_EX_ACCEPTFILES) != 0;
  state.queue = WinCurrentQueue();
  state.requestedWidth = clientWidth;
  state.requestedHeight = clientHeight;
  WinRegisterWindow(window);
  if (windowClass.icon != nullptr) {
    SetSdlIcon(sdlWindow, windowClass.icon);
  }
  if ((exStyle & WS_EX_TOPMOST) != 0) {
    SDL_SetWindowAlwaysOnTop(sdlWindow, SDL_TRUE);
  }
  if (WinIsFullScreenStyle(style)) {
    ApplyStyle(window);
  }

  CREATESTRUCTA create = {};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = width;
  create.cy = height;
  create.x = x;
  create.y = y;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;
  if (state.procedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
  if (!WinIsLiveWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  WinWindowState* state = window->state;
  if (state->kind == WinWindowKind::kControl) {
    // Controls live and die with their dialog.
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (state->destroying) {
    return TRUE;
  }
  state->destroying = true;
  SendMessageA(window, WM_DESTROY, 0, 0);
  WinUnregisterWindow(window);
  if (state->queue != nullptr) {
    std::lock_guard<std::mutex> guard(state->queue->lock);
    auto& messages = state->queue->messages;
    for (auto it = messages.begin(); it != messages.end();) {
      if (it->hwnd == window) {
        if (it->message == WM_DROPFILES) {
          FreeDrop(reinterpret_cast<DropFiles*>(it->wParam));
        }
        it = messages.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (state->kind == WinWindowKind::kDialog) {
    WinDialogDestroyParts(window);
  }
  if (window->sdlWindow != nullptr) {
    if (gClipWindow == window->sdlWindow) {
      gClipWindow = nullptr;
      gClipActive = false;
    }
    SDL_DestroyWindow(window->sdlWindow);
  }
  delete state;
  WinRetireWindow(window);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return WinIsLiveWindow(window) ? TRUE : FALSE; }

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) {
    DestroyWindow(window);
  }
  return 0;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Frame frame = FrameFor(style, menu);
  rect->left += frame.left;
  rect->top += frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  if (!WinHasSdlWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SDL_Window* sdlWindow = window->sdlWindow;
  Uint32 flags = SDL_GetWindowFlags(sdlWindow);
  BOOL wasVisible = (flags & SDL_WINDOW_SHOWN) != 0 ? TRUE : FALSE;
  DWORD visible = WS_VISIBLE;
  switch (command) {
    case SW_HIDE:
      if ((flags & SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_MinimizeWindow(sdlWindow);
      } else {
        SDL_HideWindow(sdlWindow);
        visible = 0;
      }
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      SDL_ShowWindow(sdlWindow);
      SDL_MinimizeWindow(sdlWindow);
      break;
    case SW_SHOWMAXIMIZED:
      SDL_ShowWindow(sdlWindow);
      SDL_MaximizeWindow(sdlWindow);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      SDL_ShowWindow(sdlWindow);
      if ((flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) != 0) {
        SDL_RestoreWindow(sdlWindow);
      }
      SDL_RaiseWindow(sdlWindow);
      break;
    default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE, SW_SHOWDEFAULT
      SDL_ShowWindow(sdlWindow);
      break;
  }
  if (window->state != nullptr) {
    window->state->style = (window->state->style & ~static_cast<DWORD>(WS_VISIBLE)) | visible;
  }
  return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window) { return WinHasSdlWindow(window) ? TRUE : FALSE; }

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (!WinHasSdlWindow(window) || rect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  int width = 0;
  int height = 0;
  WinClientSize(window, &width, &height);
  if ((SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_MINIMIZED) != 0) {
    width = 0;
    height = 0;
  }
  *rect = {0, 0, width, height};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  if (!WinHasSdlWindow(window) || rect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowPosition(window->sdlWindow, &x, &y);
  WinClientSize(window, &width, &height);
  Frame frame = WindowFrame(window);
  *rect = {x + frame.left, y + frame.top, x + width + frame.right, y + height + frame.bottom};
  return TRUE;
}

BOOL WINAPI IsIconic(HWND window) {
  if (!WinHasSdlWindow(window)) {
    return FALSE;
  }
  return (SDL_GetWindowFlags(window->sdlWindow) & SDL_WINDOW_MINIMIZED) != 0 ? TRUE : FALSE;
}

HMENU WINAPI GetMenu(HWND) { return nullptr; }

LONG WINAPI GetWindowLongA(HWND window, int index) {
  if (window == nullptr || (!WinIsLiveWindow(window) && !WinHasSdlWindow(window))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const WinWindowState* state = window->state;
  if (state == nullptr) {
    return 0;
  }
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(state->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(state->exStyle);
    case GWL_ID:
      return state->id;
    case GWL_USERDATA:
      return state->userData;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  if (!WinIsLiveWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  WinWindowState& state = *window->state;
  LONG previous = 0;
  switch (index) {
    case GWL_STYLE:
      previous = static_cast<LONG>(state.style);
      state.style = static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_CHILD);
      break;
    case GWL_EXSTYLE:
      previous = static_cast<LONG>(state.exStyle);
      state.exStyle = static_cast<DWORD>(value);
      break;
    case GWL_USERDATA:
      previous = state.userData;
      state.userData = value;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return previous;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  if (!WinHasSdlWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SDL_Window* sdlWindow = window->sdlWindow;
  WinWindowState* state = window->state;
  if (state != nullptr) {
    // A style without WS_MAXIMIZE releases a maximised window, so that the
    // new size can take effect.
    if ((state->style & WS_MAXIMIZE) == 0 && (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MAXIMIZED) != 0) {
      SDL_RestoreWindow(sdlWindow);
    }
    if ((flags & SWP_FRAMECHANGED) != 0 && state->kind == WinWindowKind::kTopLevel) {
      ApplyStyle(window);
    }
  }
  Frame frame = WindowFrame(window);
  if ((flags & SWP_NOSIZE) == 0) {
    int clientWidth = std::max(1, width - (frame.right - frame.left));
    int clientHeight = std::max(1, height - (frame.bottom - frame.top));
    if (state != nullptr) {
      state->requestedWidth = clientWidth;
      state->requestedHeight = clientHeight;
    }
    SDL_SetWindowSize(sdlWindow, clientWidth, clientHeight);
  }
  if ((flags & SWP_NOMOVE) == 0) {
    SDL_SetWindowPosition(sdlWindow, x - frame.left, y - frame.top);
  }
  if ((flags & SWP_NOZORDER) == 0) {
    if (insertAfter == HWND_TOPMOST) {
      SDL_SetWindowAlwaysOnTop(sdlWindow, SDL_TRUE);
    } else if (insertAfter == HWND_NOTOPMOST) {
      SDL_SetWindowAlwaysOnTop(sdlWindow, SDL_FALSE);
    }
  }
  if ((flags & SWP_SHOWWINDOW) != 0) {
    ShowWindow(window, SW_SHOW);
  } else if ((flags & SWP_HIDEWINDOW) != 0) {
    ShowWindow(window, SW_HIDE);
  }
  return TRUE;
}

HDC WINAPI GetDC(HWND window) {
  // The device context of a window is a token for the window itself: nothing
  // draws through it here.
  static char screenContext;
  if (window == nullptr) {
    return reinterpret_cast<HDC>(&screenContext);
  }
  return WinHasSdlWindow(window) ? reinterpret_cast<HDC>(window) : nullptr;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  if (dc == nullptr) {
    return 0;
  }
  return window == nullptr || reinterpret_cast<HWND>(dc) == window ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Messages

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (message == nullptr) {
    return FALSE;
  }
  WinPumpEvents();
  std::shared_ptr<WinMessageQueue> queue = WinCurrentQueue();
  std::lock_guard<std::mutex> guard(queue->lock);
  queue->seenArrivals = queue->arrivals;
  for (auto it = queue->messages.begin(); it != queue->messages.end(); ++it) {
    if (MatchesFilter(*it, window, filterMin, filterMax)) {
      *message = *it;
      if ((removeFlags & PM_REMOVE) != 0) {
        queue->messages.erase(it);
      }
      return TRUE;
    }
  }
  bool quitWanted = (filterMin == 0 && filterMax == 0) || (filterMin <= WM_QUIT && WM_QUIT <= filterMax);
  if (queue->quitPending && quitWanted) {
    *message = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue->quitCode), 0);
    if ((removeFlags & PM_REMOVE) != 0) {
      queue->quitPending = false;
    }
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  // Keyboard input reaches the program through DirectInput; no character
  // messages are made.
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr || !WinIsLiveWindow(message->hwnd)) {
    return 0;
  }
  return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI WaitMessage(void) {
  std::shared_ptr<WinMessageQueue> queue = WinCurrentQueue();
  auto fresh = [&] { return queue->arrivals != queue->seenArrivals || queue->quitPending; };
  bool pumps = WinVideoStarted() && std::this_thread::get_id() == gVideoThread;
  for (;;) {
    WinPumpEvents();
    {
      std::unique_lock<std::mutex> guard(queue->lock);
      if (fresh()) {
        queue->seenArrivals = queue->arrivals;
        return TRUE;
      }
      if (!pumps) {
        queue->arrived.wait_for(guard, std::chrono::milliseconds(kWaitSliceMs), fresh);
        continue;
      }
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kWaitSliceMs) == 1) {
      WinTranslateEvent(event);
    }
  }
}

void WINAPI PostQuitMessage(int exitCode) {
  std::shared_ptr<WinMessageQueue> queue = WinCurrentQueue();
  {
    std::lock_guard<std::mutex> guard(queue->lock);
    queue->quitPending = true;
    queue->quitCode = exitCode;
    ++queue->arrivals;
  }
  queue->arrived.notify_all();
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Events that happened before this call go first.
  WinPumpEvents();
  if (window == nullptr) {
    WinQueuePost(*WinCurrentQueue(), MakeMessage(nullptr, message, wParam, lParam));
    return TRUE;
  }
  std::shared_ptr<WinMessageQueue> queue;
  {
    std::lock_guard<std::mutex> guard(gTableLock);
    if (gWindows.count(window) == 0) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    queue = window->state->queue;
  }
  WinQueuePost(*queue, MakeMessage(window, message, wParam, lParam));
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!WinIsLiveWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (window->state->kind) {
    case WinWindowKind::kDialog:
      return WinDialogSendMessage(window, message, wParam, lParam);
    case WinWindowKind::kControl:
      return WinControlSendMessage(window, message, wParam, lParam);
    default:
      return window->state->procedure(window, message, wParam, lParam);
  }
}

// ---------------------------------------------------------------------------
// Drag and drop

void WINAPI DragAcceptFiles(HWND window, BOOL accept) {
  if (!WinIsLiveWindow(window)) {
    return;
  }
  window->state->acceptFiles = accept != FALSE;
  if (accept) {
    window->state->exStyle |= WS_EX_ACCEPTFILES;
  } else {
    window->state->exStyle &= ~static_cast<DWORD>(WS_EX_ACCEPTFILES);
  }
}

UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
  DropFiles* files = reinterpret_cast<DropFiles*>(drop);
  std::lock_guard<std::mutex> guard(gDropLock);
  if (gDrops.count(files) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (index == 0xFFFFFFFF) {
    return static_cast<UINT>(files->files.size());
  }
  if (index >= files->files.size()) {
    return 0;
  }
  const std::string& name = files->files[index];
  if (buffer == nullptr) {
    return static_cast<UINT>(name.size());
  }
  if (size == 0) {
    return 0;
  }
  size_t count = std::min<size_t>(name.size(), size - 1);
  memcpy(buffer, name.data(), count);
  buffer[count] = '\0';
  return static_cast<UINT>(count);
}

void WINAPI DragFinish(HDROP drop) { FreeDrop(reinterpret_cast<DropFiles*>(drop)); }

// ---------------------------------------------------------------------------
// Cursor

int WINAPI ShowCursor(BOOL show) {
  gCursorCount += show ? 1 : -1;
  if (WinVideoStarted()) {
    SDL_ShowCursor(gCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }
  return gCursorCount;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
  if (!WinHasSdlWindow(window) || point == nullptr) {
    return FALSE;
  }
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(window->sdlWindow, &x, &y);
  point->x += x;
  point->y += y;
  return TRUE;
}

namespace {

// Where a window lies on the screen: its SDL window's place, with the SDL
// window's size or, with clientSize, its client area's (a scaled full-screen
// window's is its mode's).
RECT ScreenBox(HWND window, bool clientSize) {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowPosition(window->sdlWindow, &left, &top);
  if (clientSize) {
    WinClientSize(window, &width, &height);
  } else {
    SDL_GetWindowSize(window->sdlWindow, &width, &height);
  }
  return {left, top, left + width, top + height};
}

// The window whose client area holds a screen point.
SDL_Window* WindowAt(int x, int y) {
  std::lock_guard<std::mutex> guard(gTableLock);
  for (HWND window : gWindows) {
    if (window->sdlWindow == nullptr) {
      continue;
    }
    const RECT box = ScreenBox(window, false);
    if (x >= box.left && y >= box.top && x < box.right && y < box.bottom) {
      return window->sdlWindow;
    }
  }
  return nullptr;
}

// Over a full-screen window the screen is its mode's, which the display
// scales onto the SDL window: a screen point there, in the real screen's
// pixels. Points elsewhere are real already.
POINT ScreenToReal(int x, int y) {
  std::lock_guard<std::mutex> guard(gTableLock);
  for (HWND window : gWindows) {
    if (!WinIsModeScaled(window)) {
      continue;
    }
    const RECT box = ScreenBox(window, true);
    if (x >= box.left && y >= box.top && x <= box.right && y <= box.bottom) {
      int clientX = x - box.left;
      int clientY = y - box.top;
      WinClientToReal(window, &clientX, &clientY);
      return {box.left + clientX, box.top + clientY};
    }
  }
  return {x, y};
}

void ArmWarpEcho(int x, int y) {
  SDL_Window* sdlWindow = WindowAt(x, y);
  if (sdlWindow == nullptr) {
    return;
  }
  int left = 0;
  int top = 0;
  SDL_GetWindowPosition(sdlWindow, &left, &top);
  std::lock_guard<std::mutex> guard(gWarpLock);
  gPendingWarps[gNextWarp] = {true, SDL_GetWindowID(sdlWindow), x - left, y - top, SDL_GetTicks()};
  gNextWarp = (gNextWarp + 1) % kWarpsRemembered;
}

}  // namespace

BOOL WINAPI SetCursorPos(int x, int y) {
  gCursorPos = {x, y};
  if (!WinVideoStarted()) {
    return TRUE;
  }
  const POINT real = ScreenToReal(x, y);
  x = real.x;
  y = real.y;
  ArmWarpEcho(x, y);
  if (SDL_WarpMouseGlobal(x, y) != 0) {
    // No global warp on this video driver: warp inside the window there.
    SDL_Window* sdlWindow = WindowAt(x, y);
    if (sdlWindow != nullptr) {
      int left = 0;
      int top = 0;
      SDL_GetWindowPosition(sdlWindow, &left, &top);
      SDL_WarpMouseInWindow(sdlWindow, x - left, y - top);
    }
  }
  return TRUE;
}

BOOL WINAPI ClipCursor(const RECT* rect) {
  if (gClipWindow != nullptr) {
    SDL_SetWindowMouseRect(gClipWindow, nullptr);
    SDL_SetWindowGrab(gClipWindow, SDL_FALSE);
    gClipWindow = nullptr;
  }
  gClipActive = rect != nullptr;
  if (rect == nullptr) {
    return TRUE;
  }
  gClipRect = *rect;
  if (!WinVideoStarted()) {
    return TRUE;
  }
  const POINT topLeft = ScreenToReal(rect->left, rect->top);
  const POINT bottomRight = ScreenToReal(rect->right, rect->bottom);
  SDL_Window* sdlWindow = WindowAt((topLeft.x + bottomRight.x) / 2, (topLeft.y + bottomRight.y) / 2);
  if (sdlWindow == nullptr) {
    return TRUE;
  }
  int left = 0;
  int top = 0;
  SDL_GetWindowPosition(sdlWindow, &left, &top);
  SDL_Rect local = {topLeft.x - left, topLeft.y - top, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y};
  if (SDL_SetWindowMouseRect(sdlWindow, &local) != 0) {
    SDL_SetWindowGrab(sdlWindow, SDL_TRUE);
  }
  gClipWindow = sdlWindow;
  return TRUE;
}

// ---------------------------------------------------------------------------
// Icons and cursors

namespace {

struct Icon {
  int id = 0;
  int width = 0;
  int height = 0;
  std::vector<BYTE> pixels;
};
std::mutex gIconLock;
std::vector<std::unique_ptr<Icon>> gIcons;
char gStockIcon;
char gArrowCursor;
constexpr WORD kStockResourceId = 32512;

void SetSdlIcon(SDL_Window* sdlWindow, HICON icon) {
  std::lock_guard<std::mutex> guard(gIconLock);
  for (const auto& entry : gIcons) {
    if (reinterpret_cast<HICON>(entry.get()) == icon) {
      SDL_Surface* surface =
          SDL_CreateRGBSurfaceWithFormatFrom(const_cast<BYTE*>(entry->pixels.data()), entry->width, entry->height, 32,
                                             entry->width * 4, SDL_PIXELFORMAT_ABGR8888);
      if (surface != nullptr) {
        SDL_SetWindowIcon(sdlWindow, surface);
        SDL_FreeSurface(surface);
      }
      return;
    }
  }
}

}  // namespace

BOOL WinRegisterIcon(int id, int width, int height, const BYTE* pixels) {
  constexpr int kLargestIcon = 256;
  if (pixels == nullptr || width <= 0 || height <= 0 || width > kLargestIcon || height > kLargestIcon) {
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(gIconLock);
  Icon* icon = nullptr;
  for (auto& entry : gIcons) {
    if (entry->id == id) {
      icon = entry.get();
    }
  }
  if (icon == nullptr) {
    gIcons.push_back(std::make_unique<Icon>());
    icon = gIcons.back().get();
  }
  icon->id = id;
  icon->width = width;
  icon->height = height;
  icon->pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
  return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  if (instance == nullptr) {
    return id == kStockResourceId ? reinterpret_cast<HICON>(&gStockIcon) : nullptr;
  }
  std::lock_guard<std::mutex> guard(gIconLock);
  for (const auto& entry : gIcons) {
    if (entry->id == id) {
      return reinterpret_cast<HICON>(entry.get());
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || !IS_INTRESOURCE(name) ||
      static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)) != kStockResourceId) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(&gArrowCursor);
}

// ---------------------------------------------------------------------------
// Test hooks on window state

namespace {

BOOL PushWindowEvent(HWND window, Uint8 kind, int data1, int data2) {
  if (!WinHasSdlWindow(window)) {
    return FALSE;
  }
  SDL_Event event = {};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(window->sdlWindow);
  event.window.event = kind;
  event.window.data1 = data1;
  event.window.data2 = data2;
  return WinTestPushEvent(event);
}

}  // namespace

HWND WinTestFindWindow(const char* className) {
  std::lock_guard<std::mutex> guard(gTableLock);
  for (HWND window : gWindows) {
    if (window->state->kind == WinWindowKind::kTopLevel &&
        (className == nullptr || strcasecmp(window->state->className.c_str(), className) == 0)) {
      return window;
    }
  }
  return nullptr;
}

BOOL WinTestPushEvent(const SDL_Event& event) {
  SDL_Event copy = event;
  return SDL_PushEvent(&copy) == 1 ? TRUE : FALSE;
}

BOOL WinTestRequestClose(HWND window) { return PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE, 0, 0); }

BOOL WinTestPushFocus(HWND window, BOOL gained) {
  return PushWindowEvent(window, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST, 0, 0);
}

BOOL WinTestPushResize(HWND window, int width, int height, BOOL byUser) {
  if (byUser && !PushWindowEvent(window, SDL_WINDOWEVENT_RESIZED, width, height)) {
    return FALSE;
  }
  return PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, width, height);
}

BOOL WinTestPushMinimize(HWND window) { return PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED, 0, 0); }

BOOL WinTestPushRestore(HWND window) {
  if (!PushWindowEvent(window, SDL_WINDOWEVENT_RESTORED, 0, 0)) {
    return FALSE;
  }
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window->sdlWindow, &width, &height);
  return PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, width, height);
}

BOOL WinTestPushDrop(HWND window, const char* const* files, int count) {
  if (!WinHasSdlWindow(window) || files == nullptr || count < 0) {
    return FALSE;
  }
  Uint32 windowId = SDL_GetWindowID(window->sdlWindow);
  SDL_Event event = {};
  event.drop.windowID = windowId;
  event.type = SDL_DROPBEGIN;
  if (!WinTestPushEvent(event)) {
    return FALSE;
  }
  for (int i = 0; i < count; ++i) {
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(files[i]);
    if (!WinTestPushEvent(event)) {
      SDL_free(event.drop.file);
      return FALSE;
    }
  }
  event.type = SDL_DROPCOMPLETE;
  event.drop.file = nullptr;
  return WinTestPushEvent(event);
}

BOOL WinTestPushKey(HWND window, SDL_Keycode key) {
  return WinTestPushKeyEvent(window, key, TRUE, FALSE) && WinTestPushKeyEvent(window, key, FALSE, FALSE);
}

BOOL WinTestPushKeyEvent(HWND window, SDL_Keycode key, BOOL down, BOOL repeat) {
  if (!WinHasSdlWindow(window)) {
    return FALSE;
  }
  const Uint32 windowId = SDL_GetWindowID(window->sdlWindow);
  SDL_Event event = {};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = windowId;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = down && repeat ? 1 : 0;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  if (!WinTestPushEvent(event)) {
    return FALSE;
  }
  // Printable keys type their character (unshifted) after each press.
  constexpr SDL_Keycode kFirstPrintable = 0x20;
  constexpr SDL_Keycode kLastPrintable = 0x7E;
  if (!down || key < kFirstPrintable || key > kLastPrintable) {
    return TRUE;
  }
  SDL_Event text = {};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = windowId;
  text.text.text[0] = static_cast<char>(key);
  return WinTestPushEvent(text);
}

BOOL WinTestPushClick(HWND window, int x, int y, int clicks) {
  if (!WinHasSdlWindow(window)) {
    return FALSE;
  }
  SDL_Event event = {};
  event.button.windowID = SDL_GetWindowID(window->sdlWindow);
  event.button.button = SDL_BUTTON_LEFT;
  event.button.x = x;
  event.button.y = y;
  event.button.clicks = static_cast<Uint8>(clicks);
  event.type = SDL_MOUSEBUTTONDOWN;
  event.button.state = SDL_PRESSED;
  if (!WinTestPushEvent(event)) {
    return FALSE;
  }
  event.type = SDL_MOUSEBUTTONUP;
  event.button.state = SDL_RELEASED;
  return WinTestPushEvent(event);
}

BOOL WinTestPushWheel(HWND window, int x, int y, int steps) {
  if (!WinHasSdlWindow(window)) {
    return FALSE;
  }
  SDL_Event event = {};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.windowID = SDL_GetWindowID(window->sdlWindow);
  event.wheel.y = steps;
  event.wheel.mouseX = x;
  event.wheel.mouseY = y;
  return WinTestPushEvent(event);
}

POINT WinTestGetCursorPos() { return gCursorPos; }

BOOL WinTestGetWarpInWindow(HWND window, POINT* point) {
  if (!WinHasSdlWindow(window) || point == nullptr) {
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(gWarpLock);
  const PendingWarp& last = gPendingWarps[(gNextWarp + kWarpsRemembered - 1) % kWarpsRemembered];
  if (!last.armed || last.windowId != SDL_GetWindowID(window->sdlWindow)) {
    return FALSE;
  }
  *point = {last.x, last.y};
  return TRUE;
}

int WinTestGetCursorCount() { return gCursorCount; }

BOOL WinTestGetClipRect(RECT* rect) {
  if (!gClipActive) {
    return FALSE;
  }
  if (rect != nullptr) {
    *rect = gClipRect;
  }
  return TRUE;
}
