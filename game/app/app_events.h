// The numbered application events that the entry and the window procedure
// raise, and the two handlers that answer them: the game's first, then the
// default one for whatever the game leaves unprocessed.
#pragma once

#include <cstdint>

#include "game/foundation/types.h"

enum eAppEvent : u32 {
  kAppEventCameraSize = 0,  // argument: const tAppRect*
  kAppEventArgument = 1,    // argument: text
  kAppEventFileLoad = 2,    // argument: path text
  kAppEventDebugInitialise = 3,
  kAppEventInputDevices = 4,
  kAppEventPluginAttach = 11,
  kAppEventImageReaders = 12,
  kAppEventEngineInitialise = 15,  // argument: HWND
  kAppEventEngineTerminate = 16,
  kAppEventSelectDevice = 17,
  kAppEventInitialise = 18,
  kAppEventTerminate = 19,
  kAppEventIdle = 20,
  kAppEventQuit = 23,
  kAppEventOption = 30,    // argument: text
  kAppEventActivate = 31,  // argument: 1 active, 0 inactive
  kAppEventReserved = 32,
};

enum eAppEventResult : u32 {
  kAppEventFailed = 0,
  kAppEventDone = 1,
  kAppEventNotProcessed = 2,
};

// A pointer or a number, by event.
typedef intptr_t tAppEventArg;

struct tAppRect {
  s32 x;
  s32 y;
  s32 width;
  s32 height;
};

// Command-line options, 0 until given.
extern u32 gOptionLow;
extern u32 gOptionMedium;
extern u32 gOptionSelectScreen;

u32 AppEventHandler(u32 code, tAppEventArg argument);
u32 GameEventHandler(u32 code, tAppEventArg argument);

// Default configuration, then 640 x 480 when no size is set, and the title.
bool GameInitialise();
bool ApplyAppDefaults();
// 1 after setting the flag of "-low", "-medium" or "-SelectScreen" (the whole
// text, case-sensitive); 0 for any other text.
u32 ParseOption(const char* text);
u32 RaiseArgumentAsFileLoad(const char* text);
// The "bmp" then the "png" reader; false when the first fails, else the
// second's result.
bool RegisterImageReaders();
// Tells the keyboard handler that every key is up (when there is an event
// device to take the key), then shows the error box.
void ShowStartupError(const char* text);

constexpr u32 kKeyboardAllKeysUp = 22;
constexpr u32 kKeyboardAllKeysUpData = 255;

// Engine initialise and terminate as the game answers them.
u32 GameEngineInitialise(void* window);
u32 GameEngineTerminate();

// Sees every application event before the handlers (tests); null: none.
typedef void (*tAppEventObserver)(u32 code, tAppEventArg argument);
void SetAppEventObserver(tAppEventObserver observer);
