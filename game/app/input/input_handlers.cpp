// The keyboard, mouse and pad handlers and the scan-code table.
#include "game/app/input/input_handlers.h"

#include "game/app/startup/app_config.h"
#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "platform/dinput/dinput.h"

namespace {

constexpr u32 kPadMaskBits = 32;

struct tScanCodePair {
  u32 scanCode;
  u32 keyCode;
};

// Every scan code not listed gives kKeyNone.
constexpr tScanCodePair kScanCodes[] = {
    {DIK_ESCAPE, kKeyEsc},
    {DIK_1, '1'},
    {DIK_2, '2'},
    {DIK_3, '3'},
    {DIK_4, '4'},
    {DIK_5, '5'},
    {DIK_6, '6'},
    {DIK_7, '7'},
    {DIK_8, '8'},
    {DIK_9, '9'},
    {DIK_0, '0'},
    {DIK_MINUS, '-'},
    {DIK_EQUALS, '='},
    {DIK_BACK, kKeyBackspace},
    {DIK_TAB, kKeyTab},
    {DIK_Q, 'q'},
    {DIK_W, 'w'},
    {DIK_E, 'e'},
    {DIK_R, 'r'},
    {DIK_T, 't'},
    {DIK_Y, 'y'},
    {DIK_U, 'u'},
    {DIK_I, 'i'},
    {DIK_O, 'o'},
    {DIK_P, 'p'},
    {DIK_LBRACKET, '['},
    {DIK_RBRACKET, ']'},
    {DIK_RETURN, kKeyEnter},
    {DIK_LCONTROL, kKeyLCtrl},
    {DIK_A, 'a'},
    {DIK_S, 's'},
    {DIK_D, 'd'},
    {DIK_F, 'f'},
    {DIK_G, 'g'},
    {DIK_H, 'h'},
    {DIK_J, 'j'},
    {DIK_K, 'k'},
    {DIK_L, 'l'},
    {DIK_SEMICOLON, ';'},
    {DIK_APOSTROPHE, '\''},
    {DIK_GRAVE, '`'},
    {DIK_LSHIFT, kKeyLShift},
    // The key left of Return gives '#'; the backslash is the extra key of
    // ISO keyboards, beside left Shift.
    {DIK_BACKSLASH, '#'},
    {DIK_Z, 'z'},
    {DIK_X, 'x'},
    {DIK_C, 'c'},
    {DIK_V, 'v'},
    {DIK_B, 'b'},
    {DIK_N, 'n'},
    {DIK_M, 'm'},
    {DIK_COMMA, ','},
    {DIK_PERIOD, '.'},
    {DIK_SLASH, '/'},
    {DIK_RSHIFT, kKeyRShift},
    {DIK_MULTIPLY, kKeyTimes},
    {DIK_LMENU, kKeyLAlt},
    {DIK_SPACE, kKeySpace},
    {DIK_CAPITAL, kKeyCapsLock},
    {DIK_F1, kKeyF1},
    {DIK_F2, kKeyF2},
    {DIK_F3, kKeyF3},
    {DIK_F4, kKeyF4},
    {DIK_F5, kKeyF5},
    {DIK_F6, kKeyF6},
    {DIK_F7, kKeyF7},
    {DIK_F8, kKeyF8},
    {DIK_F9, kKeyF9},
    {DIK_F10, kKeyF10},
    {DIK_NUMLOCK, kKeyNumLock},
    {DIK_NUMPAD7, kKeyPadHome},
    {DIK_NUMPAD8, kKeyPadUp},
    {DIK_NUMPAD9, kKeyPadPgUp},
    {DIK_SUBTRACT, kKeyMinus},
    {DIK_NUMPAD4, kKeyPadLeft},
    {DIK_NUMPAD5, kKeyPad5},
    {DIK_NUMPAD6, kKeyPadRight},
    {DIK_ADD, kKeyPlus},
    {DIK_NUMPAD1, kKeyPadEnd},
    {DIK_NUMPAD2, kKeyPadDown},
    {DIK_NUMPAD3, kKeyPadPgDn},
    {DIK_NUMPAD0, kKeyPadIns},
    {DIK_DECIMAL, kKeyPadDel},
    {DIK_OEM_102, '\\'},
    {DIK_F11, kKeyF11},
    {DIK_F12, kKeyF12},
    {DIK_NUMPADENTER, kKeyPadEnter},
    {DIK_RCONTROL, kKeyRCtrl},
    {DIK_DIVIDE, kKeyDivide},
    {DIK_RMENU, kKeyRAlt},
    {DIK_PAUSE, kKeyNumLock},
    {DIK_HOME, kKeyHome},
    {DIK_UP, kKeyUp},
    {DIK_PRIOR, kKeyPgUp},
    {DIK_LEFT, kKeyLeft},
    {DIK_RIGHT, kKeyRight},
    {DIK_END, kKeyEnd},
    {DIK_DOWN, kKeyDown},
    {DIK_NEXT, kKeyPgDn},
    {DIK_INSERT, kKeyIns},
    {DIK_DELETE, kKeyDel},
};

struct tScanCodeTable {
  u32 keyCodes[kKeyCodeCount];

  tScanCodeTable() {
    for (u32& keyCode : keyCodes) {
      keyCode = kKeyNone;
    }
    for (const tScanCodePair& pair : kScanCodes) {
      keyCodes[pair.scanCode] = pair.keyCode;
    }
  }
};

bool IsMovieSkipKey(u32 keyCode) { return keyCode == kKeySpace || keyCode == kKeyEsc || keyCode == kKeyEnter; }

void QueueMouseButton(u32 button, u8 pressed) {
  tEvent* event = QueueNewEvent(kEventMouseButton);
  if (event != nullptr) {
    event->mouseButton.button = button;
    event->mouseButton.pressed = pressed;
  }
}

}  // namespace

u32 KeyCodeForScanCode(u32 scanCode) {
  static const tScanCodeTable kTable;
  return scanCode < kKeyCodeCount ? kTable.keyCodes[scanCode] : static_cast<u32>(kKeyNone);
}

u32 KeyboardHandler(u32 code, void* data) {
  const tKeyboardEventData* key = static_cast<const tKeyboardEventData*>(data);
  // A playing movie takes only its skip keys; nothing reaches the game.
  if (gMoviePlaying != 0) {
    if (code == kKeyboardKeyDown && key != nullptr && IsMovieSkipKey(key->keyCode)) {
      gMovieSkip = 1;
    }
    return kAppEventDone;
  }
  if ((code != kKeyboardKeyDown && code != kKeyboardKeyUp) || key == nullptr) {
    return kAppEventNotProcessed;
  }
  tEvent* event = QueueNewEvent(kEventKey);
  if (event != nullptr) {
    event->key.scanCode = key->scanCode;
    event->key.keyCode = key->keyCode;
    event->key.pressed = code == kKeyboardKeyDown ? 1 : 0;
  }
  return kAppEventDone;
}

u32 MouseHandler(u32 code, void* data) {
  switch (code) {
    case kMouseLeftDown:
      QueueMouseButton(kMouseLeft, 1);
      break;
    case kMouseLeftUp:
      QueueMouseButton(kMouseLeft, 0);
      break;
    case kMouseMiddleDown:
      QueueMouseButton(kMouseMiddle, 1);
      break;
    case kMouseMiddleUp:
      QueueMouseButton(kMouseMiddle, 0);
      break;
    case kMouseRightDown:
      QueueMouseButton(kMouseRight, 1);
      break;
    case kMouseRightUp:
      QueueMouseButton(kMouseRight, 0);
      break;
    case kMouseWheelTurn:
      if (data != nullptr) {
        QueueMouseButton(kMouseWheel, static_cast<const tMouseWheelData*>(data)->state);
      }
      break;
    case kMouseMovement:
      if (data != nullptr) {
        const tMouseMoveData* move = static_cast<const tMouseMoveData*>(data);
        tEvent* event = QueueNewEvent(kEventMouseMove);
        if (event != nullptr) {
          event->mouseMove.x = move->x;
          event->mouseMove.y = move->y;
          event->mouseMove.dx = move->dx;
          event->mouseMove.dy = move->dy;
        }
      }
      break;
    default:
      break;
  }
  return kAppEventDone;
}

u32 PadHandler(u32 code, void* data) {
  if (gMoviePlaying != 0 || data == nullptr) {
    return kAppEventNotProcessed;
  }
  switch (code) {
    case kPadButtonsDown:
    case kPadButtonsUp: {
      const tPadButtonData* buttons = static_cast<const tPadButtonData*>(data);
      // One event a button, from bit 0 up.
      for (u32 bit = 0; bit < kPadMaskBits; bit++) {
        const u32 mask = 1u << bit;
        if ((buttons->buttonMask & mask) == 0) {
          continue;
        }
        tEvent* event = QueueNewEvent(kEventPadButton);
        if (event != nullptr) {
          event->padButton.pad = buttons->pad;
          event->padButton.buttonMask = mask;
          event->padButton.pressed = code == kPadButtonsDown ? 1 : 0;
        }
      }
      return kAppEventDone;
    }
    case kPadLeftStick:
    case kPadRightStick: {
      const tPadStickData* stick = static_cast<const tPadStickData*>(data);
      tEvent* event = QueueNewEvent(kEventPadStick);
      if (event != nullptr) {
        event->padStick.pad = 0;
        event->padStick.stick = code == kPadLeftStick ? 0 : 1;
        event->padStick.x = stick->x;
        event->padStick.y = stick->y;
      }
      return kAppEventDone;
    }
    default:
      return kAppEventNotProcessed;
  }
}

void RegisterInputHandlers() {
  RegisterInputHandler(kInputDeviceKeyboard, KeyboardHandler);
  RegisterInputHandler(kInputDeviceMouse, MouseHandler);
  RegisterInputHandler(kInputDevicePad, PadHandler);
}

void RegisterGameInputHandlers() { RegisterInputHandlers(); }
