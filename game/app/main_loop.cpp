// The main loop and its frame pacing.
#include "game/app/main_loop.h"

#include "game/app/startup/app_config.h"
#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/frame_tick.h"
#include "platform/win/win32.h"

namespace {

constexpr UINT kPeekRemove = PM_REMOVE | PM_NOYIELD;

}  // namespace

s32 FramePacingSleep(s32 elapsedMs) {
  if (elapsedMs >= kFramePeriodMs) {
    return -1;
  }
  // A clock that went back counts as a frame just begun.
  if (elapsedMs < 0) {
    elapsedMs = 0;
  }
  return (kFramePeriodMs - elapsedMs) / 2;
}

void RunMainLoop() {
  u32 lastFrameTime = GetTimeMs();
  do {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, kPeekRemove)) {
      if (message.message == WM_QUIT) {
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      if (gAppActive == 0) {
        WaitMessage();
        continue;
      }
      if (gAppRunning != 1) {
        continue;
      }
      if (gFrameLimit != 0) {
        const u32 now = GetTimeMs();
        const s32 sleep = FramePacingSleep(static_cast<s32>(now - lastFrameTime));
        if (sleep >= 0) {
          SleepEx(static_cast<DWORD>(sleep), TRUE);
          continue;
        }
        lastFrameTime = now;
      }
      AppEventHandler(kAppEventIdle, 0);
    }
    if (gAppActive != 0) {
      PollInputDevices();
    }
  } while (gAppConfig.quit == 0);
}
