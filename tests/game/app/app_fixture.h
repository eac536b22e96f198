// Shared helpers of the application tests: the application globals put back
// to their start values, message boxes and application events recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/startup/app_config.h"
#include "game/app/app_events.h"
#include "game/app/startup/engine_start.h"
#include "game/app/input/event_device.h"
#include "game/app/time_scale.h"
#include "game/foundation/fatal_error.h"
#include "platform/win/win_testing.h"

struct tShownBox {
  std::string text;
  std::string caption;
  UINT type;
};

struct tRaisedEvent {
  u32 code;
  tAppEventArg argument;
  std::string text;  // for the events whose argument is a text
};

class AppTest : public testing::Test {
 public:
  static size_t CountIdles() { return CountEvents(kAppEventIdle); }

 protected:
  void SetUp() override {
    sBoxes.clear();
    sEvents.clear();
    WinTestSetMessageBoxHook(RecordBox, nullptr);
    SetAppEventObserver(RecordEvent);
    ResetAppGlobals();
  }
  void TearDown() override {
    SetAppEventObserver(nullptr);
    WinTestSetMessageBoxHook(nullptr, nullptr);
    if (gEventDevice != nullptr) {
      gEventDevice->Dispatch();
    }
    delete gTimeScaleListener;
    gTimeScaleListener = nullptr;
    DestroyEventDevice();
    ResetAppGlobals();
  }

  static void ResetAppGlobals() {
    ApplyAppDefaults();
    gAppConfig.title = nullptr;
    gAppConfig.quit = 0;
    gAppWindow.window = nullptr;
    gAppWindow.instance = nullptr;
    gFrameLimit = kFrameLimitDefault;
    gAppActive = 1;
    gAppRunning = 0;
    gFatalErrorFlag = 0;
    gOptionLow = 0;
    gOptionMedium = 0;
    gOptionSelectScreen = 0;
    gCurrentAdapter = 0;
    gChosenVideoMode = 0;
  }

  static std::vector<std::string> EventTexts(u32 code) {
    std::vector<std::string> texts;
    for (const tRaisedEvent& event : sEvents) {
      if (event.code == code) {
        texts.push_back(event.text);
      }
    }
    return texts;
  }

  static size_t CountEvents(u32 code) { return EventTexts(code).size(); }

  static int RecordBox(HWND, const char* text, const char* caption, UINT type, void*) {
    sBoxes.push_back({text != nullptr ? text : "", caption != nullptr ? caption : "", type});
    return IDOK;
  }

  static void RecordEvent(u32 code, tAppEventArg argument) {
    tRaisedEvent event = {code, argument, ""};
    const bool textArgument = code == kAppEventArgument || code == kAppEventFileLoad || code == kAppEventOption;
    if (textArgument && argument != 0) {
      event.text = reinterpret_cast<const char*>(argument);
    }
    sEvents.push_back(event);
  }

  static inline std::vector<tShownBox> sBoxes;
  static inline std::vector<tRaisedEvent> sEvents;
};
