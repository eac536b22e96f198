// Shared state of the Windows stand-in's source files: window records, the
// per-thread message queues, the SDL event pump and the dialog hooks. Not for
// callers outside platform/win.
#pragma once

#include <SDL.h>

#include <array>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/window_internal.h"

struct WinDialog;
struct WinControl;

// The messages of one thread. Posting may come from any thread.
struct WinMessageQueue {
  std::mutex lock;
  std::condition_variable arrived;
  std::deque<MSG> messages;
  bool quitPending = false;
  int quitCode = 0;
  // Counts every message put in; WaitMessage waits until it moves past the
  // value the last PeekMessageA saw.
  uint64_t arrivals = 0;
  uint64_t seenArrivals = 0;
  // WM_SIZING carries a pointer to the dragged rectangle; the rectangles live
  // here and stay valid until kSizingRectCount later WM_SIZING messages.
  static constexpr int kSizingRectCount = 64;
  std::array<RECT, kSizingRectCount> sizingRects{};
  int nextSizingRect = 0;
};

enum class WinWindowKind { kTopLevel, kDialog, kControl };

struct WinWindowState {
  WinWindowKind kind = WinWindowKind::kTopLevel;
  WNDPROC procedure = nullptr;
  std::string className;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG userData = 0;
  int id = 0;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;
  bool acceptFiles = false;
  bool destroying = false;  // inside DestroyWindow: a nested call does nothing
  std::shared_ptr<WinMessageQueue> queue;
  // The client size last asked for by SetWindowPos or creation: a resize to
  // any other size came from the user dragging the frame.
  int requestedWidth = 0;
  int requestedHeight = 0;
  // Files of the drop gesture in progress.
  std::vector<std::string> dropFiles;
  WinDialog* dialog = nullptr;    // kDialog
  WinControl* control = nullptr;  // kControl
};

// The queue of the calling thread, made on first use.
std::shared_ptr<WinMessageQueue> WinCurrentQueue();
// Puts a message at the end of a queue and wakes its waiters.
void WinQueuePost(WinMessageQueue& queue, const MSG& message);

// Starts SDL's video (once); false when no video driver can start.
bool WinEnsureVideo();
bool WinVideoStarted();

// A window made by this stand-in and not yet destroyed.
bool WinIsLiveWindow(HWND window);

// A frameless popup: shown full screen.
bool WinIsFullScreenStyle(DWORD style);
// A top-level window shown full screen: its client area is its display
// mode's, which may be smaller than the SDL window the picture is scaled onto.
bool WinIsModeScaled(HWND window);
// The client size the program sees: the mode's for a full-screen window, the
// SDL window's otherwise.
void WinClientSize(HWND window, int* width, int* height);
// A client position in the program's pixels moved to the SDL window's own.
void WinClientToReal(HWND window, int* x, int* y);
// Usable for size and position queries: a live window, or a bare record
// around an SDL window.
bool WinHasSdlWindow(HWND window);
HWND WinWindowFromSdlId(Uint32 windowId);
void WinRegisterWindow(HWND window);
void WinUnregisterWindow(HWND window);
// Empties an unregistered window's record and keeps it for good.
void WinRetireWindow(HWND window);

// Takes every SDL event waiting and turns it into messages (or dialog input).
void WinPumpEvents();
void WinTranslateEvent(const SDL_Event& event);
// True when a top-level window has a close request waiting (the quit signal
// turned into WM_CLOSE, or the close button); pumps the SDL events first.
bool WinClosePending();
// Counts the quit requests (a signal, or the session ending) the pump has
// turned into WM_CLOSE; a modal loop that sees it move ends.
unsigned WinQuitRequestCount();

// Dialog windows receive their SDL events here instead of as messages.
void WinDialogHandleEvent(HWND dialog, const SDL_Event& event);
LRESULT WinDialogSendMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WinControlSendMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// Frees a dialog's controls and its own record; called by DestroyWindow.
void WinDialogDestroyParts(HWND dialog);

// The event type used to wake a thread blocked in SDL_WaitEventTimeout.
Uint32 WinWakeEventType();

// The arguments GetCommandLineA quotes, and the part of its text after the
// program path.
void WinSetArguments(int argc, const char* const* argv);
LPSTR WinCommandLineArguments();

// The current time in milliseconds (the injected clock in tests).
DWORD WinNowMs();

// Tiny built-in font: 5 x 7 pixel glyphs for ASCII 32..126 in 6 x 9 cells.
constexpr int kWinGlyphWidth = 5;
constexpr int kWinGlyphHeight = 7;
constexpr int kWinCellWidth = 6;
constexpr int kWinCellHeight = 9;
// The seven rows of a glyph, bit 4 the leftmost pixel; unknown characters
// give a filled box.
const BYTE* WinGlyphRows(unsigned char character);
// Draws a line of text with its top-left corner at (x, y), at most maxWidth
// pixels wide (0: no limit), in the renderer's current draw colour.
void WinDrawText(SDL_Renderer* renderer, int x, int y, const char* text, int maxWidth);
int WinTextWidth(const char* text);

// open(2) of a regular file only, never waiting: a FIFO, socket, device or
// directory in its place is refused (-1, errno EISDIR or ENXIO) rather than
// opened, which for a FIFO would block until a writer came. The descriptor
// is close-on-exec and blocking again; -1 with errno on failure.
int WinOpenRegularFile(const char* path, int flags, unsigned mode);
