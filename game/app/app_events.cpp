// The application event handlers and the light events' work.
#include "game/app/app_events.h"

#include <cstring>

#include "engine/engine.h"
#include "game/app/startup/app_config.h"
#include "game/app/app_hooks.h"
#include "game/app/startup/engine_start.h"
#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/app/frame_tick.h"
#include "game/app/startup/main_window.h"
#include "game/app/time_scale.h"

u32 gOptionLow = 0;
u32 gOptionMedium = 0;
u32 gOptionSelectScreen = 0;

namespace {

constexpr char kDefaultTitle[] = "Engine Application";
constexpr char kGameTitle[] = "Tessarak Volde";
constexpr u32 kGameDefaultWidth = 640;
constexpr u32 kGameDefaultHeight = 480;
constexpr char kEngineStartError[] = "Error initializing the render engine.";

tAppEventObserver sObserver = nullptr;

const char* ArgumentText(tAppEventArg argument) { return reinterpret_cast<const char*>(argument); }

u32 QueueScreenSize(const tAppRect* rect) {
  if (rect == nullptr) {
    return kAppEventFailed;
  }
  tEvent* event = QueueNewEvent(kEventScreenSize);
  if (event != nullptr) {
    event->screenSize.width = static_cast<u32>(rect->width);
    event->screenSize.height = static_cast<u32>(rect->height);
  }
  return kAppEventDone;
}

u32 DefaultEventHandler(u32 code, tAppEventArg argument) {
  switch (code) {
    case kAppEventArgument:
      return RaiseArgumentAsFileLoad(ArgumentText(argument));
    case kAppEventDebugInitialise:
    case kAppEventTerminate:
    case kAppEventReserved:
      return kAppEventDone;
    case kAppEventImageReaders:
      return RegisterImageReaders() ? kAppEventDone : kAppEventFailed;
    case kAppEventEngineInitialise:
      return OpenEngine(reinterpret_cast<void*>(argument)) ? kAppEventDone : kAppEventFailed;
    case kAppEventEngineTerminate:
      CloseEngine();
      return kAppEventDone;
    case kAppEventSelectDevice:
      return SelectVideoMode() ? kAppEventDone : kAppEventFailed;
    case kAppEventInitialise:
      return ApplyAppDefaults() ? kAppEventDone : kAppEventFailed;
    case kAppEventOption:
      return ParseOption(ArgumentText(argument));
    default:
      return kAppEventNotProcessed;
  }
}

}  // namespace

void SetAppEventObserver(tAppEventObserver observer) { sObserver = observer; }

u32 AppEventHandler(u32 code, tAppEventArg argument) {
  if (sObserver != nullptr) {
    sObserver(code, argument);
  }
  const u32 result = GameEventHandler(code, argument);
  if (code == kAppEventQuit) {
    gAppConfig.quit = 1;
  }
  if (result != kAppEventNotProcessed) {
    return result;
  }
  return DefaultEventHandler(code, argument);
}

u32 GameEventHandler(u32 code, tAppEventArg argument) {
  switch (code) {
    case kAppEventCameraSize:
      return QueueScreenSize(reinterpret_cast<const tAppRect*>(argument));
    case kAppEventInputDevices:
      RegisterGameInputHandlers();
      return kAppEventDone;
    case kAppEventPluginAttach:
      return AttachPlugins() ? kAppEventDone : kAppEventFailed;
    case kAppEventEngineInitialise:
      return GameEngineInitialise(reinterpret_cast<void*>(argument));
    case kAppEventEngineTerminate:
      return GameEngineTerminate();
    case kAppEventInitialise:
      return GameInitialise() ? kAppEventDone : kAppEventFailed;
    case kAppEventIdle:
      FrameTick();
      return kAppEventDone;
    default:
      return kAppEventNotProcessed;
  }
}

bool ApplyAppDefaults() {
  gAppConfig.title = kDefaultTitle;
  gAppConfig.width = 0;
  gAppConfig.height = 0;
  gAppConfig.window = &gAppWindow;
  for (u32 id = 0; id < kInputDeviceCount; id++) {
    gAppConfig.input[id].deviceId = id;
    gAppConfig.input[id].registered = 0;
    gAppConfig.input[id].handler = nullptr;
  }
  ResetWindowRecord();
  return true;
}

bool GameInitialise() {
  // The defaults leave the size at zero; the game's own size replaces it.
  ApplyAppDefaults();
  gAppConfig.width = kGameDefaultWidth;
  gAppConfig.height = kGameDefaultHeight;
  gAppConfig.title = kGameTitle;
  return true;
}

u32 ParseOption(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  if (strcmp(text, "-low") == 0) {
    gOptionLow = 1;
    return 1;
  }
  if (strcmp(text, "-medium") == 0) {
    gOptionMedium = 1;
    return 1;
  }
  if (strcmp(text, "-SelectScreen") == 0) {
    gOptionSelectScreen = 1;
    return 1;
  }
  return 0;
}

u32 RaiseArgumentAsFileLoad(const char* text) {
  AppEventHandler(kAppEventFileLoad, reinterpret_cast<tAppEventArg>(text));
  return kAppEventDone;
}

bool RegisterImageReaders() {
  if (!RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr)) {
    return false;
  }
  return RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr) != FALSE;
}

void ShowStartupError(const char* text) {
  // The keyboard handler queues its key on the event device; before the
  // device exists (a failed engine start) there is nowhere to queue it.
  if (gEventDevice != nullptr) {
    u32 data[2] = {kKeyboardAllKeysUpData, kKeyboardAllKeysUpData};
    SendKeyboardEvent(kKeyboardAllKeysUp, data);
  }
  ShowErrorBox(text);
}

u32 GameEngineInitialise(void* window) {
  if (!OpenEngineAndPack(window)) {
    ShowStartupError(kEngineStartError);
    return kAppEventFailed;
  }
  CreateEventDevice();
  if (gTimeScaleListener == nullptr) {
    gTimeScaleListener = new cTimeScaleListener();
  }
  CreateScreenStack(window, gAppConfig.width, gAppConfig.height);
  CreateApplicationHolder();
  return kAppEventDone;
}

u32 GameEngineTerminate() {
  ShutDownApplicationHolder();
  DeleteScreenStack();
  delete gTimeScaleListener;
  gTimeScaleListener = nullptr;
  DestroyEventDevice();
  CloseEngineAndPack();
  return kAppEventDone;
}
