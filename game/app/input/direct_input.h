// The game's DirectInput object with its keyboard and mouse, created for the
// main window and polled by the main loop; each buffered item goes to the
// registered keyboard or mouse handler.
#pragma once

#include "game/foundation/types.h"
#include "platform/dinput/dinput.h"

extern LPDIRECTINPUT8A gDirectInput;
extern LPDIRECTINPUTDEVICE8A gKeyboardDevice;
extern LPDIRECTINPUTDEVICE8A gMouseDevice;

constexpr DWORD kKeyboardBufferItems = 8;
constexpr DWORD kMouseBufferItems = 16;
// Acquire tries per poll while the device answers that input is lost.
constexpr u32 kAcquireAttempts = 3;

// Each set-up failure is fatal, except a keyboard buffer size and a mouse
// cooperative level (other than not implemented) that fail: that device then
// stays unacquired.
void CreateDirectInput();
void CreateDirectInputKeyboard(HWND window);
void CreateDirectInputMouse(HWND window);
void ReleaseDirectInputKeyboard();
void ReleaseDirectInputMouse();
void ReleaseDirectInput();

// The items waiting, in order, to the handler; a failed read re-acquires.
void PollDirectInputKeyboard();
void PollDirectInputMouse();
