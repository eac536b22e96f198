// Hooks for tests of the Windows stand-in and of the code built on it: an
// injected clock and sleep, injected window events and input, a dialog
// driver, message-box capture and the state of the cursor. Test code only.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/win/win32.h"

// Replaces the clock behind timeGetTime (null restores the real one). The
// clock runs under a lock other threads wait for; on its own thread it may
// read the clock again (posting a message does).
typedef DWORD (*WinTestClock)(void* user);
void WinTestSetClock(WinTestClock clock, void* user);

// Replaces the waiting of Sleep and SleepEx (null restores it); the hook gets
// the milliseconds asked for.
typedef void (*WinTestSleepHook)(DWORD milliseconds, void* user);
void WinTestSetSleepHook(WinTestSleepHook hook, void* user);

// Puts an SDL event in SDL's queue; PeekMessageA, WaitMessage and the dialog
// loop take it like one from the system. Safe from any thread.
BOOL WinTestPushEvent(const SDL_Event& event);
// A live top-level window of the class (null: of any class), or null. Any
// thread; lets a test reach the window a program under test made.
HWND WinTestFindWindow(const char* className);
// The window's close button: WM_CLOSE reaches its procedure. Any thread.
BOOL WinTestRequestClose(HWND window);
BOOL WinTestPushFocus(HWND window, BOOL gained);
// A client-size change; byUser marks a drag of the frame (WM_SIZING first).
BOOL WinTestPushResize(HWND window, int width, int height, BOOL byUser);
BOOL WinTestPushMinimize(HWND window);
// The window restored from minimised, as the system reports it: restored, then
// its client size (that of the SDL window, the screen's when full screen).
BOOL WinTestPushRestore(HWND window);
// One drop gesture carrying every file given.
BOOL WinTestPushDrop(HWND window, const char* const* files, int count);
// A key press and release.
BOOL WinTestPushKey(HWND window, SDL_Keycode key);
// One key event as SDL reports a real one: a press (repeat set for the
// system's autorepeat while the key is held) followed by the text the key
// types, if any; or a release.
BOOL WinTestPushKeyEvent(HWND window, SDL_Keycode key, BOOL down, BOOL repeat);
// A left click (clicks 2: a double click) at a client position.
BOOL WinTestPushClick(HWND window, int x, int y, int clicks);
// A mouse-wheel step (positive: up) at a client position.
BOOL WinTestPushWheel(HWND window, int x, int y, int steps);

// Called on every pass of a modal dialog's loop with the dialog and the pass
// number (0 first); a test pushes input from here. Null removes the hook.
typedef void (*WinTestDialogHook)(HWND dialog, int pass, void* user);
void WinTestSetDialogHook(WinTestDialogHook hook, void* user);
// A control's rectangle in its dialog's client area.
BOOL WinTestGetControlRect(HWND control, RECT* rect);
// The dialog window's pixels as last drawn, 4 bytes each (R, G, B, A); false
// before the first frame.
BOOL WinTestReadDialogPixel(HWND dialog, int x, int y, BYTE rgba[4]);

// Replaces the SDL message box (not the stderr copy); null restores it. Like
// the SDL box, the hook is not called while a window's close request waits,
// and a quit signal during the call ends the processes the calling thread
// started meanwhile (the box ends as if closed).
typedef int (*WinTestMessageBoxHook)(HWND owner, const char* text, const char* caption, UINT type, void* user);
void WinTestSetMessageBoxHook(WinTestMessageBoxHook hook, void* user);
// The text as the SDL box shows it: UTF-8 (bytes that are not UTF-8 read as
// the ANSI code page's), control characters but line breaks as '?', lines
// wrapped at blanks to at most columns characters, a longer word cut.
std::string WinBoxText(const char* text, int columns);
// The columns of a box on a screen of the width: 30 to 80.
int WinBoxColumns(int screenWidth);

// The arguments GetCommandLineA quotes (normally those main() got); a
// negative count makes it read the process's own arguments again.
void WinTestSetArguments(int argc, const char* const* argv);

// The last SetCursorPos target, the ShowCursor counter, and the rectangle of
// the last ClipCursor (false when the cursor is free).
POINT WinTestGetCursorPos();
// Where the last SetCursorPos put the pointer in the window's own SDL pixels
// (those of the scaled picture for a full-screen window); false when it
// landed outside the window.
BOOL WinTestGetWarpInWindow(HWND window, POINT* point);
int WinTestGetCursorCount();
BOOL WinTestGetClipRect(RECT* rect);

// Folder for the named mutexes' lock files (null: the user's runtime folder).
void WinTestSetLockFolder(const char* folder);

// Makes MoveFileExA fail with this error before it touches either file, as a
// file system that refuses the rename would; ERROR_SUCCESS lets moves work
// again.
void WinTestRefuseMoves(DWORD error);
