// The program's entry: one instance, the application events in their order,
// the window, the main loop and the teardown in reverse.
#include <cstdlib>

#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/frame_tick.h"
#include "game/app/main_loop.h"
#include "game/app/startup/app_config.h"
#include "game/app/startup/command_line.h"
#include "game/app/startup/data_folder.h"
#include "game/app/startup/main_window.h"
#include "platform/win/win32.h"

namespace {

constexpr UINT kTimerResolutionMs = 1;
// Exit statuses: a run that ends normally, and a start that fails (shown to
// the user by the failing step), so that a script starting the game sees it.
// A second copy ends with kExitNormal: it leaves the running one alone.
constexpr int kExitNormal = 0;
constexpr int kExitStartFailed = 1;
constexpr char kWindowCreateError[] = "Error creating the main window.";
constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;

// What every way out of the entry gives back.
struct tEntryResources {
  HANDLE mutex = nullptr;
  char** arguments = nullptr;
  u32 argumentCount = 0;
  HINSTANCE instance = nullptr;
  bool classRegistered = false;
};

int Leave(tEntryResources& resources, int exitStatus) {
  if (resources.classRegistered) {
    UnregisterClassA(kMainWindowClass, resources.instance);
  }
  free(resources.arguments);
  if (resources.mutex != nullptr) {
    ReleaseMutex(resources.mutex);
    CloseHandle(resources.mutex);
  }
  return exitStatus;
}

void RaiseForArguments(const tEntryResources& resources, u32 code) {
  for (u32 i = 1; i < resources.argumentCount; i++) {
    AppEventHandler(code, reinterpret_cast<tAppEventArg>(resources.arguments[i]));
  }
}

void MakeBorderless(HWND window) {
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  SetWindowPos(window, nullptr, 0, 0, 0, 0, kFrameChanged);
}

void DropWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  tEntryResources resources;
  resources.instance = instance;
  // A second copy gives up silently while the first holds the mutex.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
  if (mutex == nullptr) {
    return kExitStartFailed;
  }
  if (WaitForSingleObject(mutex, 0) != WAIT_OBJECT_0) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return kExitNormal;
  }
  resources.mutex = mutex;
  if (!WorkingFolderHoldsData()) {
    ReportMissingData();
    return Leave(resources, kExitStartFailed);
  }

  if (AppEventHandler(kAppEventInitialise, 0) == kAppEventFailed) {
    return Leave(resources, kExitStartFailed);
  }
  if (RegisterMainWindowClass(instance) == 0) {
    return Leave(resources, kExitStartFailed);
  }
  resources.classRegistered = true;
  resources.arguments = SplitCommandLine(GetCommandLineA(), &resources.argumentCount);
  RaiseForArguments(resources, kAppEventOption);

  HWND window = CreateMainWindow(instance);
  gAppWindow.window = window;
  if (window == nullptr) {
    // Without a display, for one: the stand-in has said why on stderr.
    ShowStartupError(kWindowCreateError);
    return Leave(resources, kExitStartFailed);
  }
  gAppWindow.instance = instance;

  if (AppEventHandler(kAppEventEngineInitialise, reinterpret_cast<tAppEventArg>(window)) == kAppEventFailed) {
    DestroyWindow(window);
    gAppWindow.window = nullptr;
    AppEventHandler(kAppEventTerminate, 0);
    return Leave(resources, kExitStartFailed);
  }
  CreateInputDevices(window);

  gAppRunning = 1;
  if (gAppWindow.fullScreen != 0) {
    MakeBorderless(window);
  }
  RaiseForArguments(resources, kAppEventArgument);
  RaiseCameraSize(static_cast<s32>(gAppConfig.width), static_cast<s32>(gAppConfig.height));
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  SetCursorClientPos(static_cast<f32>(gAppConfig.width) * 0.5f, static_cast<f32>(gAppConfig.height) * 0.5f);

  timeBeginPeriod(kTimerResolutionMs);
  DropWaitingMessages();
  if (gAppConfig.quit == 0) {
    RunMainLoop();
  }

  timeEndPeriod(kTimerResolutionMs);
  ReleaseInputDevices();
  gAppRunning = 0;
  AppEventHandler(kAppEventEngineTerminate, 0);
  DestroyWindow(window);
  gAppWindow.window = nullptr;
  AppEventHandler(kAppEventTerminate, 0);
  return Leave(resources, kExitNormal);
}
