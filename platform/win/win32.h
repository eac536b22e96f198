// The Windows user interface, kernel and multimedia-timer calls the game and
// engine make, provided on SDL2 and POSIX: windows and their message queue,
// drag and drop, the cursor, message boxes, modal dialogs, the named
// single-instance mutex, time, debugger output, and the wave format record.
#pragma once

#include "platform/win/win_types.h"

typedef WORD ATOM;
typedef UINT MMRESULT;

// ---------------------------------------------------------------------------
// Entry, module and errors

// The program's entry: the executable links platform_win_main, whose main()
// calls it with the module handle, the arguments after the program path and
// SW_SHOWDEFAULT.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// The program path and its arguments, each quoted when it holds a blank, a
// control character or a double quote, or is empty.
LPSTR WINAPI GetCommandLineA(void);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);

#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x2
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x4
// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, moduleName is an address and
// *module the module whose image holds it: the program for its own code and
// data. The shared libraries the stand-in runs on (the OpenGL driver, SDL,
// the C and C++ run-time libraries) are no modules of it: an address in one
// of them, on the heap or on a stack fails with ERROR_MOD_NOT_FOUND. The
// program is never unloaded, so the reference count is never changed.
// Without the flag, as GetModuleHandleA.
BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module);

#define ERROR_SUCCESS 0
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_ALREADY_EXISTS 183
#define ERROR_NOT_OWNER 288
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_CLASS_DOES_NOT_EXIST 1411

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

void WINAPI OutputDebugStringA(LPCSTR text);

// ---------------------------------------------------------------------------
// Resources: an integer resource id passed where a name is expected.

#define MAKEINTRESOURCEA(id) ((LPSTR)(ULONG_PTR)((WORD)(id)))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)
typedef uintptr_t ULONG_PTR;

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// An icon registered by the program (platform/win/win_resource.h) under an
// integer id, or the stock application icon with a null instance.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
// Only the stock cursors (null instance); the arrow is the one used.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);

// ---------------------------------------------------------------------------
// Window classes and windows

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC 0x0020
#define CS_BYTEALIGNCLIENT 0x1000
#define CS_BYTEALIGNWINDOW 0x2000

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

#define WS_OVERLAPPED 0x00000000
#define WS_POPUP 0x80000000
#define WS_CHILD 0x40000000
#define WS_MINIMIZE 0x20000000
#define WS_VISIBLE 0x10000000
#define WS_DISABLED 0x08000000
#define WS_MAXIMIZE 0x01000000
#define WS_CAPTION 0x00C00000
#define WS_BORDER 0x00800000
#define WS_DLGFRAME 0x00400000
#define WS_SYSMENU 0x00080000
#define WS_THICKFRAME 0x00040000
#define WS_MINIMIZEBOX 0x00020000
#define WS_MAXIMIZEBOX 0x00010000
#define WS_TABSTOP 0x00010000
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_TOPMOST 0x00000008
#define WS_EX_ACCEPTFILES 0x00000010

#define CW_USEDEFAULT ((int)0x80000000)

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Every window is an SDL window made for OpenGL; it starts hidden unless the
// style holds WS_VISIBLE. WM_CREATE reaches the procedure before this returns.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowA(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
// Sends WM_DESTROY, then closes the SDL window and drops the window's queued
// messages.
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI IsWindow(HWND window);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Turns a client rectangle into the window rectangle for a style: a thick
// frame of 4 pixels, a thin one of 3 (1 for a bare border), a caption of 19
// and a menu bar of 19 pixels. Windows measure their frames the same way, so
// the client size always follows from the window size.
BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// Returns non-zero when the window was visible before. Hiding a full-screen
// window minimises it instead, so that it can be brought back.
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI UpdateWindow(HWND window);
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
BOOL WINAPI IsIconic(HWND window);
HMENU WINAPI GetMenu(HWND window);

#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)

LONG WINAPI GetWindowLongA(HWND window, int index);
// A new style takes effect at the next SetWindowPos; a popup without caption
// or frame becomes a full-screen window, an overlapped one a framed window.
LONG WINAPI SetWindowLongA(HWND window, int index, LONG value);

#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

// Position and size are those of the window rectangle (frame included).
BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);

// ---------------------------------------------------------------------------
// Messages

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_SIZING 0x0214
#define WM_DROPFILES 0x0233
#define WM_USER 0x0400
// Wave-out notifications sent to the window given to a wave-out device:
// opened, closed, and a buffer played (wParam the device, lParam the header).
#define MM_WOM_OPEN 0x03BB
#define MM_WOM_CLOSE 0x03BC
#define MM_WOM_DONE 0x03BD

// WM_SIZE wParam
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2
// WM_ACTIVATE low word of wParam
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
// WM_SIZING wParam: the edge being dragged
#define WMSZ_BOTTOMRIGHT 8

#define MAKEWPARAM(lo, hi) ((WPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)MAKELONG(lo, hi))

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// Takes the SDL events waiting, turns them into messages in the order they
// happened, and returns the first message for the window (null: any window
// and thread messages) within [filterMin, filterMax] (0, 0: all). WM_QUIT
// comes once no other message waits.
BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
// Blocks until a message can be taken.
BOOL WINAPI WaitMessage(void);
void WINAPI PostQuitMessage(int exitCode);
// Safe to call from any thread; posts to the queue of the window's thread
// (null window: the calling thread).
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure (a dialog's procedure for a dialog, the
// built-in handling for a dialog control) on the calling thread.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Drag and drop: one WM_DROPFILES per drop, wParam the HDROP.

void WINAPI DragAcceptFiles(HWND window, BOOL accept);
// index 0xFFFFFFFF: the number of files; a null buffer: the length of the
// name; else copies at most size - 1 characters and returns how many.
UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
void WINAPI DragFinish(HDROP drop);

// ---------------------------------------------------------------------------
// Cursor

int WINAPI ShowCursor(BOOL show);
BOOL WINAPI ClientToScreen(HWND window, LPPOINT point);
BOOL WINAPI SetCursorPos(int x, int y);
// A rectangle in screen coordinates keeps the mouse in the window under it;
// null frees it.
BOOL WINAPI ClipCursor(const RECT* rect);

// ---------------------------------------------------------------------------
// Message boxes

#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_RETRYCANCEL 0x00000005
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_APPLMODAL 0x00000000
#define MB_SYSTEMMODAL 0x00001000
#define MB_TASKMODAL 0x00002000
#define MB_SETFOREGROUND 0x00010000
#define MB_TOPMOST 0x00040000

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Always writes the caption and text to stderr; shows an SDL message box when
// a display is available, otherwise returns the first button at once.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---------------------------------------------------------------------------
// Modal dialogs. The template is a dialog resource the program registered
// (platform/win/win_resource.h); the dialog is drawn in its own SDL window.

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// Returns the value given to EndDialog, or -1 when the template is unknown or
// the dialog window cannot be made. A quit request (a signal) while the
// dialog is up sends it WM_CLOSE (the IDCANCEL command unless the procedure
// answers it); a dialog still open then ends with 0.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// Button notification
#define BN_CLICKED 0

// List boxes
#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_FINDSTRINGEXACT 0x01A2
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5

// Combo boxes (drawn and driven as lists)
#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_FINDSTRINGEXACT 0x0158
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4

// ---------------------------------------------------------------------------
// Wave formats, shared by DirectSound and wave output. An in-memory record:
// files holding one are read field by field.

#define WAVE_FORMAT_PCM 1

struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;  // nBlockAlign x nSamplesPerSec
  WORD nBlockAlign;       // bytes of one frame: nChannels x wBitsPerSample / 8
  WORD wBitsPerSample;
  WORD cbSize;  // extra format bytes after the record; 0 for PCM
};
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

// ---------------------------------------------------------------------------
// Files: renaming a file

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_WRITE_THROUGH 0x00000008

#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_NOT_SAME_DEVICE 17

// Renames the regular file existing to newName (Windows-style paths on one
// file system: a rename, never a copy, so MOVEFILE_COPY_ALLOWED changes
// nothing). An existing newName is replaced only with
// MOVEFILE_REPLACE_EXISTING (else ERROR_ALREADY_EXISTS), and atomically:
// newName names either the old file or the new one. With
// MOVEFILE_WRITE_THROUGH the file's data and the folder's entry are on the
// disk before the call returns. FALSE with the error on failure; the files
// are then as they were, unless the folder's entry could not be synced after
// the rename.
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);

// ---------------------------------------------------------------------------
// Files: what a name is, and the working folder

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFF
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL for any other
// entry, INVALID_FILE_ATTRIBUTES with the error when the resolved
// Windows-style path names nothing.
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
// Copies the working folder's full path, terminated, into buffer and gives
// its length without the terminator; when bufferLength is too small, gives
// the length the buffer needs (terminator included) and copies nothing; 0
// with the error on failure.
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);

// ---------------------------------------------------------------------------
// Kernel objects: the named mutex

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000
#define WAIT_ABANDONED 0x00000080
#define WAIT_TIMEOUT 0x00000102
#define WAIT_FAILED 0xFFFFFFFF

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// A named mutex is shared by every process of the user: it is an advisory
// lock on a file in the user's runtime folder, held while a thread of this
// process owns the mutex, and freed by the system when the process ends.
// GetLastError gives ERROR_ALREADY_EXISTS when the name was open already (in
// this process or another); the initial ownership is then not taken.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL WINAPI ReleaseMutex(HANDLE mutex);
BOOL WINAPI CloseHandle(HANDLE handle);

// ---------------------------------------------------------------------------
// Global memory: blocks handed out by handle. A moveable block's handle is not
// its address: GlobalLock gives the address and counts the locks, and
// GlobalHandle finds the handle again from the address. A fixed block's handle
// is its address. Blocks never move. Unknown handles and addresses are refused
// with ERROR_INVALID_HANDLE, never followed.

typedef HANDLE HGLOBAL;
typedef size_t SIZE_T;

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE GMEM_SHARE
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define ERROR_NOT_LOCKED 158

// Other flags: ERROR_INVALID_PARAMETER. GMEM_SHARE changes nothing: there is
// one process. A block of 0 bytes is a block all the same.
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL memory);
// Non-zero while the block stays locked; 0 with ERROR_SUCCESS once unlocked,
// or with ERROR_NOT_LOCKED when it was not locked (a fixed block never is).
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
HGLOBAL WINAPI GlobalHandle(LPCVOID address);
// Null when freed (locked or not); the handle itself when it is unknown.
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);

// ---------------------------------------------------------------------------
// Time

#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};
typedef TIMECAPS* LPTIMECAPS;

// Milliseconds from a monotonic clock, wrapping at 2^32.
DWORD WINAPI timeGetTime(void);
MMRESULT WINAPI timeBeginPeriod(UINT period);
MMRESULT WINAPI timeEndPeriod(UINT period);
MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size);
// Returns 0; nothing here queues calls that could end an alertable wait.
DWORD WINAPI SleepEx(DWORD milliseconds, BOOL alertable);
void WINAPI Sleep(DWORD milliseconds);
