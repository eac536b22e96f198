// The main window and its procedure.
#include "game/app/startup/main_window.h"

#include <cstdio>

#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/startup/app_config.h"
#include "game/foundation/fatal_error.h"
#include "platform/win/win_resource.h"

namespace {

constexpr int kIconSize = 32;

// The program's icon: a dark lens with a green iris.
void RegisterAppIcon() {
  static BYTE pixels[kIconSize * kIconSize * 4];
  const float centre = (kIconSize - 1) * 0.5f;
  for (int y = 0; y < kIconSize; y++) {
    for (int x = 0; x < kIconSize; x++) {
      const float dx = static_cast<float>(x) - centre;
      const float dy = static_cast<float>(y) - centre;
      const float distanceSquared = dx * dx + dy * dy;
      BYTE* pixel = &pixels[(y * kIconSize + x) * 4];
      const bool inside = distanceSquared <= centre * centre;
      const bool iris = distanceSquared <= 49.0f && distanceSquared >= 16.0f;
      pixel[0] = iris ? 40 : 24;
      pixel[1] = iris ? 220 : 28;
      pixel[2] = iris ? 90 : 36;
      pixel[3] = inside ? 255 : 0;
    }
  }
  WinRegisterIcon(kAppIconId, kIconSize, kIconSize, pixels);
}

// Files reach the game from the last dropped to the first.
void RaiseDroppedFiles(HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = count; i > 0; i--) {
    char name[kDroppedNameSize];
    name[0] = '\0';
    DragQueryFileA(drop, i - 1, name, sizeof(name));
    AppEventHandler(kAppEventFileLoad, reinterpret_cast<tAppEventArg>(name));
  }
  DragFinish(drop);
}

}  // namespace

ATOM RegisterMainWindowClass(HINSTANCE instance) {
  RegisterAppIcon();
  WNDCLASSA windowClass = {};
  windowClass.style = CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kAppIconId));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = nullptr;
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassA(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance) {
  RECT rect = {0, 0, static_cast<LONG>(gAppConfig.width), static_cast<LONG>(gAppConfig.height)};
  AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExA(0, kMainWindowClass, gAppConfig.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // While the fatal message box is up the game must not run again.
  if (gFatalErrorFlag != 0) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  switch (message) {
    case WM_CREATE:
      DragAcceptFiles(window, TRUE);
      return 0;
    case WM_DESTROY:
    case WM_CLOSE:
      // The window itself is destroyed by the entry after the loop.
      ClipCursor(nullptr);
      PostQuitMessage(0);
      return 0;
    case WM_SIZE: {
      const s32 width = LOWORD(lParam);
      const s32 height = HIWORD(lParam);
      if (gAppRunning != 0 && width > 0 && height > 0) {
        RaiseCameraSize(width, height);
      }
      return 0;
    }
    case WM_ACTIVATE:
      gAppActive = LOWORD(wParam) == WA_INACTIVE ? 0 : 1;
      AppEventHandler(kAppEventActivate, gAppActive);
      return 0;
    case WM_TIMER:
      if (gAppRunning != 0) {
        AppEventHandler(kAppEventIdle, 0);
      }
      return 0;
    case WM_SIZING: {
      if (gAppRunning != 0) {
        AppEventHandler(kAppEventIdle, 0);
      }
      const RECT* dragged = reinterpret_cast<const RECT*>(lParam);
      if (dragged != nullptr) {
        SetWindowPos(window, nullptr, 0, 0, dragged->right - dragged->left, dragged->bottom - dragged->top, SWP_NOMOVE);
      }
      return 0;
    }
    case WM_DROPFILES:
      RaiseDroppedFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    // The movie player's wave-out notifications: device opened, closed, buffer done.
    case MM_WOM_OPEN:
    case MM_WOM_CLOSE:
    case MM_WOM_DONE:
      MovieWaveOutMessage(window, message, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RaiseCameraSize(s32 width, s32 height) {
  tAppRect rect = {0, 0, width, height};
  AppEventHandler(kAppEventCameraSize, reinterpret_cast<tAppEventArg>(&rect));
}

void ShowErrorBox(const char* text) { MessageBoxA(nullptr, text, gAppConfig.title, kErrorBoxStyle); }

void SetCursorVisible(BOOL visible) { ShowCursor(visible); }

void SetCursorClientPos(f32 x, f32 y) {
  POINT point = {static_cast<LONG>(x), static_cast<LONG>(y)};
  ClientToScreen(gAppWindow.window, &point);
  SetCursorPos(point.x, point.y);
}

void PlayMovie(const char* name, u32 play) {
  char path[kDroppedNameSize];
  snprintf(path, sizeof(path), "data/movies/%s.avi", name != nullptr ? name : "");
  // A progress note for whoever debugs, not for the player: standard output
  // stays quiet.
  DebugTrace("Playing movie (PC):%s\n", path);
  if (play == 0) {
    return;
  }
  HDC dc = GetDC(gAppWindow.window);
  gMoviePlaying = 1;
  const RECT rect = {0, 0, static_cast<LONG>(gAppConfig.width), static_cast<LONG>(gAppConfig.height)};
  RunMoviePlayer(gAppWindow.window, dc, path, &rect);
  gMoviePlaying = 0;
  ReleaseDC(gAppWindow.window, dc);
}
