// The game's main window with its DirectInput keyboard and mouse, fed by SDL
// events that the tests inject, and the events the devices' handlers queue.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "game/app/startup/app_config.h"
#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/input/direct_input.h"
#include "game/app/input/event_device.h"
#include "game/app/input/input_handlers.h"
#include "game/app/startup/main_window.h"
#include "platform/win/win_testing.h"
#include "platform/win/window_internal.h"

// What a queued event carried (the events themselves go back to the ring).
struct tQueuedEvent {
  u32 type;
  tKeyEvent key;
  tMouseButtonEvent button;
  tMouseMoveEvent move;
};

class cInputWindow {
 public:
  static constexpr u32 kWidth = 320;
  static constexpr u32 kHeight = 240;

  cInputWindow() {
    ApplyAppDefaults();
    gAppConfig.title = "Input";
    gAppConfig.width = kWidth;
    gAppConfig.height = kHeight;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_NE(0, RegisterMainWindowClass(instance));
    mWindow = CreateMainWindow(instance);
    EXPECT_NE(nullptr, mWindow);
    gAppWindow.window = mWindow;
    gAppWindow.instance = instance;
    CreateEventDevice();
    RegisterInputHandlers();
    // The keyboard is a foreground device: the window has the focus first.
    CreateDirectInput();
    Focus(true);
    CreateInputDevices(mWindow);
  }

  ~cInputWindow() {
    ReleaseInputDevices();
    DestroyWindow(mWindow);
    Pump();
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
    if (gEventDevice != nullptr) {
      gEventDevice->Dispatch();
    }
    DestroyEventDevice();
    gAppWindow.window = nullptr;
    ApplyAppDefaults();
    gAppConfig.title = nullptr;
    gAppConfig.quit = 0;
    gAppActive = 1;
  }

  cInputWindow(const cInputWindow&) = delete;
  cInputWindow& operator=(const cInputWindow&) = delete;

  HWND Get() const { return mWindow; }
  Uint32 SdlId() const { return SDL_GetWindowID(mWindow->sdlWindow); }

  // Every window message waiting, dispatched; the devices take their input
  // while the events are pumped.
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
  }

  void Focus(bool gained) {
    EXPECT_TRUE(WinTestPushFocus(mWindow, gained ? TRUE : FALSE));
    Pump();
  }

  void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SdlId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    EXPECT_TRUE(WinTestPushEvent(event));
  }

  void PushMotion(int x, int y, int dx, int dy) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SdlId();
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    EXPECT_TRUE(WinTestPushEvent(event));
  }

  void PushWheel(int notches) {
    SDL_Event event = {};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = SdlId();
    event.wheel.y = notches;
    EXPECT_TRUE(WinTestPushEvent(event));
  }

  void PushButton(Uint8 button, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SdlId();
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    EXPECT_TRUE(WinTestPushEvent(event));
  }

  // Pumps and polls as the main loop does, then takes the queued events off
  // the queue.
  static std::vector<tQueuedEvent> PollEvents() {
    Pump();
    PollInputDevices();
    std::vector<tQueuedEvent> events;
    for (cListNode* node = gEventDevice->GetQueue().First(); node != nullptr; node = cList::Next(node)) {
      const tEvent* event = static_cast<const tEvent*>(node);
      tQueuedEvent seen = {};
      seen.type = event->type;
      if (event->type == kEventKey) {
        seen.key = event->key;
      } else if (event->type == kEventMouseButton) {
        seen.button = event->mouseButton;
      } else if (event->type == kEventMouseMove) {
        seen.move = event->mouseMove;
      }
      events.push_back(seen);
    }
    gEventDevice->Dispatch();
    return events;
  }

 private:
  HWND mWindow = nullptr;
};
