// The application's start-up configuration, its window record and the flags
// the main loop runs on. One global of each: there is one application.
#pragma once

#include "game/foundation/types.h"
#include "platform/win/win32.h"

// An input device's event handler (keyboard, mouse, pad); the result is that
// of an application event (0 failed, 1 done, 2 not processed).
typedef u32 (*tInputHandler)(u32 code, void* data);

enum eInputDeviceId : u32 {
  kInputDeviceKeyboard = 0,
  kInputDeviceMouse = 1,
  kInputDevicePad = 2,
  kInputDeviceCount = 3,
};

struct tInputRegistration {
  u32 deviceId;
  u32 registered;
  tInputHandler handler;
};

struct tAppWindow {
  HWND window;
  HINSTANCE instance;
  u32 fullScreen;  // the chosen video mode is a full-screen mode
  f32 mouseX;      // client pixels, kept by the mouse device
  f32 mouseY;
};

struct tAppConfig {
  const char* title;
  u32 width;  // client size in pixels
  u32 height;
  u32 quit;  // set by the quit application event; ends the main loop
  tAppWindow* window;
  tInputRegistration input[kInputDeviceCount];
};

extern tAppConfig gAppConfig;
extern tAppWindow gAppWindow;

// Any non-zero value paces the main loop to one frame per 40 ms.
extern u32 gFrameLimit;
// Follows WM_ACTIVATE; an inactive window waits for messages.
extern u32 gAppActive;
// 1 while the main loop runs with the engine up.
extern u32 gAppRunning;
// 1 while a movie plays; the keyboard handler reads it.
extern u32 gMoviePlaying;
// Set by the keyboard handler on a skip key while a movie plays; the movie
// player clears it when it starts and ends the movie when it is set.
extern u32 gMovieSkip;

constexpr u32 kFrameLimitDefault = 25;

// Turns the frame pacing on (the key FRAME_LIMIT of the configuration).
void EnableFramePacing();

// Clears the full-screen flag and the last mouse position.
void ResetWindowRecord();

// Stores the handler of device id (keyboard 0, mouse 1, pad 2); false for
// any other id.
bool RegisterInputHandler(u32 deviceId, tInputHandler handler);
// The registered handler's result, or 2 when none is registered.
u32 SendKeyboardEvent(u32 code, void* data);
u32 SendMouseEvent(u32 code, void* data);
