// The application's configuration record, window record and loop flags.
#include "game/app/startup/app_config.h"

#include "game/app/app_events.h"

tAppWindow gAppWindow = {nullptr, nullptr, 0, 0.0f, 0.0f};
tAppConfig gAppConfig = {
    nullptr,     0,
    0,           0,
    &gAppWindow, {{kInputDeviceKeyboard, 0, nullptr}, {kInputDeviceMouse, 0, nullptr}, {kInputDevicePad, 0, nullptr}}};

u32 gFrameLimit = kFrameLimitDefault;
u32 gAppActive = 1;
u32 gAppRunning = 0;
u32 gMoviePlaying = 0;
u32 gMovieSkip = 0;

void EnableFramePacing() { gFrameLimit = kFrameLimitDefault; }

void ResetWindowRecord() {
  gAppWindow.fullScreen = 0;
  gAppWindow.mouseX = 0.0f;
  gAppWindow.mouseY = 0.0f;
}

bool RegisterInputHandler(u32 deviceId, tInputHandler handler) {
  if (deviceId >= kInputDeviceCount) {
    return false;
  }
  gAppConfig.input[deviceId].handler = handler;
  gAppConfig.input[deviceId].registered = 1;
  return true;
}

namespace {

u32 SendInputEvent(u32 deviceId, u32 code, void* data) {
  const tInputRegistration& registration = gAppConfig.input[deviceId];
  if (registration.registered == 0 || registration.handler == nullptr) {
    return kAppEventNotProcessed;
  }
  return registration.handler(code, data);
}

}  // namespace

u32 SendKeyboardEvent(u32 code, void* data) { return SendInputEvent(kInputDeviceKeyboard, code, data); }

u32 SendMouseEvent(u32 code, void* data) { return SendInputEvent(kInputDeviceMouse, code, data); }
