// cInputMap: the inputs' names, binding and event delivery.
#include "game/app/input/input_map.h"

#include <cstring>

#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/app/input/input_action.h"
#include "game/foundation/fatal_error.h"

namespace {

struct tNamedCode {
  const char* name;
  u32 code;
};

constexpr tNamedCode kKeyNames[] = {
    {"SPACE", kKeySpace},     {"ESC", kKeyEsc},
    {"F1", kKeyF1},           {"F2", kKeyF2},
    {"F3", kKeyF3},           {"F4", kKeyF4},
    {"F5", kKeyF5},           {"F6", kKeyF6},
    {"F7", kKeyF7},           {"F8", kKeyF8},
    {"F9", kKeyF9},           {"F10", kKeyF10},
    {"F11", kKeyF11},         {"F12", kKeyF12},
    {"INS", kKeyIns},         {"DEL", kKeyDel},
    {"HOME", kKeyHome},       {"END", kKeyEnd},
    {"PGUP", kKeyPgUp},       {"PGDN", kKeyPgDn},
    {"UP", kKeyUp},           {"DOWN", kKeyDown},
    {"LEFT", kKeyLeft},       {"RIGHT", kKeyRight},
    {"PADINS", kKeyPadIns},   {"PADDEL", kKeyPadDel},
    {"PADHOME", kKeyPadHome}, {"PADEND", kKeyPadEnd},
    {"PADPGUP", kKeyPadPgUp}, {"PADPGDN", kKeyPadPgDn},
    {"PADUP", kKeyPadUp},     {"PADDOWN", kKeyPadDown},
    {"PADLEFT", kKeyPadLeft}, {"PADRIGHT", kKeyPadRight},
    {"NUMLOCK", kKeyNumLock}, {"DIVIDE", kKeyDivide},
    {"TIMES", kKeyTimes},     {"MINUS", kKeyMinus},
    {"PLUS", kKeyPlus},       {"PADENTER", kKeyPadEnter},
    {"PAD5", kKeyPad5},       {"BACKSP", kKeyBackspace},
    {"TAB", kKeyTab},         {"CAPSLK", kKeyCapsLock},
    {"ENTER", kKeyEnter},     {"LSHIFT", kKeyLShift},
    {"RSHIFT", kKeyRShift},   {"LCTRL", kKeyLCtrl},
    {"RCTRL", kKeyRCtrl},     {"LALT", kKeyLAlt},
    {"RALT", kKeyRAlt},
};

// Mouse buttons by their button number.
constexpr tNamedCode kMouseButtonNames[] = {
    {"LEFT", kMouseLeft},
    {"RIGHT", kMouseRight},
    {"MIDDLE", kMouseMiddle},
    {"WHEEL", kMouseWheel},
};

// Pad buttons by the number of their mask bit.
constexpr tNamedCode kPadButtonNames[] = {
    {"LEFT", 0}, {"RIGHT", 1}, {"UP", 2}, {"DOWN", 3}, {"START", 4}, {"SELECT", 5}, {"1", 6},   {"2", 7},  {"3", 8},
    {"4", 9},    {"5", 10},    {"6", 11}, {"7", 12},   {"8", 13},    {"A1", 14},    {"A2", 15}, {"9", 16}, {"10", 17},
};

constexpr tNamedCode kPadStickNames[] = {
    {"LEFT", 0},
    {"RIGHT", 1},
};

constexpr char kKeyPrefix[] = "KEY_";
constexpr char kMouseButtonPrefix[] = "MOUSEBTN_";
constexpr char kMouseMoveName[] = "MOUSEMOVE";
constexpr char kPadButtonPrefix[] = "PADBTN_";
constexpr char kPadStickPrefix[] = "PADSTICK_";
constexpr u32 kNotFound = 0xFFFFFFFF;

bool Equals(const cString& text, const char* name) {
  const size_t length = strlen(name);
  return text.Length() == length && memcmp(text.Data(), name, length) == 0;
}

// On a match, rest is the text after the prefix.
bool CutPrefix(const cString& text, const char* prefix, cString* rest) {
  const size_t length = strlen(prefix);
  if (text.Length() < length || memcmp(text.Data(), prefix, length) != 0) {
    return false;
  }
  *rest = text.Slice(static_cast<u32>(length), text.Length());
  return true;
}

template <size_t kCount>
u32 FindCode(const tNamedCode (&table)[kCount], const cString& name) {
  for (const tNamedCode& entry : table) {
    if (Equals(name, entry.name)) {
      return entry.code;
    }
  }
  return kNotFound;
}

// "A" to "Z" give the small letter's code, "0" to "9" the digit's, longer
// names the key table's code.
u32 KeyCodeForName(const cString& name) {
  if (name.Length() == 1) {
    const char c = name.Data()[0];
    if (c >= 'A' && c <= 'Z') {
      return static_cast<u32>(c - 'A' + 'a');
    }
    if (c >= '0' && c <= '9') {
      return static_cast<u32>(c);
    }
    return kNotFound;
  }
  return FindCode(kKeyNames, name);
}

void Append(cPtrArray* binding, cInputAction* action) {
  const u32 count = binding->GetCount();
  binding->SetCount(count + 1);
  binding->Set(count, action);
}

}  // namespace

cInputMap::cInputMap(const cString& fileName) : mKeyboardEnabled(0), mMouseEnabled(0), mPadEnabled(0), mLastPressed(0) {
  mGroup.LoadText(fileName);
  EnableDevices();
}

void cInputMap::EnableDevices() {
  const cProperty* devices = mGroup.FindProperty("INPUTDEVICES");
  if (devices == nullptr) {
    return;
  }
  cString list = devices->GetValue();
  cString name;
  while (list.SliceNextElement(&name)) {
    name.Trim();
    if (Equals(name, "KEYBOARD")) {
      mKeyboardEnabled = 1;
    } else if (Equals(name, "MOUSE")) {
      mMouseEnabled = 1;
    } else if (Equals(name, "PAD")) {
      mPadEnabled = 1;
    }
  }
}

cInputMap::tInputBinding* cInputMap::FindSlot(const cString& input) {
  cString name;
  u32 code = kNotFound;
  if (CutPrefix(input, kKeyPrefix, &name)) {
    code = KeyCodeForName(name);
    return code == kNotFound ? nullptr : &mKeys[code];
  }
  if (CutPrefix(input, kMouseButtonPrefix, &name)) {
    code = FindCode(kMouseButtonNames, name);
    return code == kNotFound ? nullptr : &mMouseButtons[code];
  }
  if (Equals(input, kMouseMoveName)) {
    return &mMouseMove;
  }
  if (CutPrefix(input, kPadButtonPrefix, &name)) {
    code = FindCode(kPadButtonNames, name);
    return code == kNotFound ? nullptr : &mPadButtons[code];
  }
  if (CutPrefix(input, kPadStickPrefix, &name)) {
    code = FindCode(kPadStickNames, name);
    return code == kNotFound ? nullptr : &mPadSticks[code];
  }
  return nullptr;
}

void cInputMap::BindHandler(cInputAction* action) {
  const cString& actionName = action->GetName();
  const cProperty* property = mGroup.FindProperty(actionName);
  if (property == nullptr) {
    DebugTrace("inputhandler \"%s\" not found in inputmap.txt\n", actionName.CStr());
    return;
  }
  cString inputs = property->GetValue();
  inputs.Trim();
  if (inputs.IsEmpty()) {
    DebugTrace("inputhandler \"%s\" has no input assigned\n", actionName.CStr());
    return;
  }
  cString input;
  while (inputs.SliceNextElement(&input)) {
    input.Trim();
    tInputBinding* slot = FindSlot(input);
    if (slot == nullptr) {
      FatalInGroup(&mGroup, "unknown input \"%s\" for inputhandler \"%s\"", QuoteForMessage(input.CStr()).text,
                   actionName.CStr());
    }
    Append(slot, action);
  }
  // Unbalanced brackets stop the cutting: what is left names no input.
  inputs.Trim();
  if (!inputs.IsEmpty()) {
    FatalInGroup(&mGroup, "unknown input \"%s\" for inputhandler \"%s\"", QuoteForMessage(inputs.CStr()).text,
                 actionName.CStr());
  }
}

void cInputMap::Fire(const tInputBinding& binding, const tEvent* event) {
  for (u32 i = 0; i < binding.GetCount(); i++) {
    static_cast<cInputAction*>(binding.Get(i))->OnEvent(event);
  }
}

bool cInputMap::OnEvent(const tEvent* event) {
  if (gInputLatch == 0) {
    return false;
  }
  switch (event->type) {
    case kEventKey:
      if (mKeyboardEnabled != 0) {
        mLastPressed = event->key.pressed;
        if (event->key.keyCode < kKeyCodeCount) {
          Fire(mKeys[event->key.keyCode], event);
        }
      }
      break;
    case kEventMouseButton:
      if (mMouseEnabled != 0) {
        mLastPressed = event->mouseButton.pressed;
        if (event->mouseButton.button < kMouseButtonSlotCount) {
          Fire(mMouseButtons[event->mouseButton.button], event);
        }
      }
      break;
    case kEventMouseMove:
      if (mMouseEnabled != 0) {
        Fire(mMouseMove, event);
      }
      break;
    case kEventPadButton:
      if (mPadEnabled != 0) {
        mLastPressed = event->padButton.pressed;
        for (u32 bit = 0; bit < kPadButtonSlotCount; bit++) {
          if ((event->padButton.buttonMask & (1u << bit)) != 0) {
            Fire(mPadButtons[bit], event);
          }
        }
      }
      break;
    case kEventPadStick:
      if (mPadEnabled != 0 && event->padStick.stick < kPadStickSlotCount) {
        Fire(mPadSticks[event->padStick.stick], event);
      }
      break;
    default:
      break;
  }
  return true;
}
