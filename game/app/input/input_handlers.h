// The input devices' handlers: the keyboard, mouse and pad codes that the
// devices send (SendKeyboardEvent, SendMouseEvent), turned into key, mouse
// and pad events in the event ring.
#pragma once

#include "game/foundation/types.h"

enum eKeyboardCode : u32 {
  kKeyboardKeyDown = 21,
  kKeyboardKeyUp = 22,
};

enum eMouseCode : u32 {
  kMouseLeftDown = 5,
  kMouseLeftUp = 6,
  kMouseMiddleDown = 7,
  kMouseMiddleUp = 8,
  kMouseMovement = 9,
  kMouseWheelTurn = 10,
  kMouseRightDown = 13,
  kMouseRightUp = 14,
};

enum ePadCode : u32 {
  kPadButtonsDown = 24,
  kPadButtonsUp = 25,
  kPadLeftStick = 26,
  kPadRightStick = 28,
};

// Data of the key codes.
struct tKeyboardEventData {
  u32 scanCode;  // DirectInput scan code
  u32 keyCode;   // eKeyCode or a character
};

// Data of the wheel code.
struct tMouseWheelData {
  u8 state;  // 1 away from the user (or no turn), 0 toward
};

// Data of the movement code.
struct tMouseMoveData {
  f32 x;  // client pixels, the position after the movement
  f32 y;
  f32 dx;
  f32 dy;
};

struct tPadButtonData {
  u8 pad;
  u32 buttonMask;
};

struct tPadStickData {
  f32 x;
  f32 y;
};

// The key code of a DirectInput scan code; kKeyNone for keys the game does not
// know and for codes of 256 and above.
u32 KeyCodeForScanCode(u32 scanCode);

// Each answers 1 when it handled the code and 2 otherwise.
u32 KeyboardHandler(u32 code, void* data);
u32 MouseHandler(u32 code, void* data);
u32 PadHandler(u32 code, void* data);

// The input-devices application event: the three handlers registered as
// devices 0, 1 and 2.
void RegisterInputHandlers();
