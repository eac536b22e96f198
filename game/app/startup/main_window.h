// The main window: its class, its creation, the window procedure that turns
// window messages into application events, and the cursor and message-box
// helpers.
#pragma once

#include "game/foundation/types.h"
#include "platform/win/win32.h"

constexpr char kMainWindowClass[] = "RwAppClass";
constexpr int kAppIconId = 104;
constexpr DWORD kErrorBoxStyle = MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST;
constexpr size_t kDroppedNameSize = 260;

// Non-zero on success; also registers the program's icon picture.
ATOM RegisterMainWindowClass(HINSTANCE instance);
// Overlapped window whose client area is the configured size; null on failure.
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Raises the camera-size event for a client area of width by height pixels.
void RaiseCameraSize(s32 width, s32 height);
void ShowErrorBox(const char* text);
void SetCursorVisible(BOOL visible);
// Client pixels, truncated.
void SetCursorClientPos(f32 x, f32 y);
// Announces "data/movies/<name>.avi" and, when play is non-zero, plays it over
// the whole client area.
void PlayMovie(const char* name, u32 play);
