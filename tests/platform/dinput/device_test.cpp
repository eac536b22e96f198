// The DirectInput stand-in: creation checks, keys by position, mouse items,
// the item ring with its overflow, a foreground keyboard following its
// window's focus while a background mouse keeps reading, and the keys let go
// while the keyboard was away released when it is back.
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput/dinput.h"
#include "platform/dinput/dinput_testing.h"
#include "platform/win/win32.h"
#include "platform/win/win_testing.h"
#include "platform/win/window_internal.h"

namespace {

constexpr char kClassName[] = "DirectInputTestClass";
constexpr DWORD kKeyboardCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_NOWINKEY;
constexpr DWORD kMouseCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
constexpr DWORD kPressed = 0x80;

DIPROPDWORD BufferSize(DWORD items) {
  DIPROPDWORD property = {};
  property.diph.dwSize = sizeof(DIPROPDWORD);
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.diph.dwObj = 0;
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = items;
  return property;
}

struct tItem {
  DWORD offset;
  DWORD data;
  bool operator==(const tItem& other) const { return offset == other.offset && data == other.data; }
};

std::ostream& operator<<(std::ostream& out, const tItem& item) {
  return out << "{" << item.offset << ", " << static_cast<LONG>(item.data) << "}";
}

class DirectInputTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }
  static void TearDownTestSuite() { UnregisterClassA(kClassName, GetModuleHandleA(nullptr)); }

  void SetUp() override {
    mWindow = CreateWindowExA(0, kClassName, "Input", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(mWindow, nullptr);
    void* object = nullptr;
    ASSERT_EQ(DI_OK,
              DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &object, nullptr));
    mInput = static_cast<LPDIRECTINPUT8A>(object);
    // Focus changes reach the stand-in from its first object on.
    ASSERT_TRUE(Focus(true));
    mKeyboard = MakeDevice(GUID_SysKeyboard, &c_dfDIKeyboard, kKeyboardCooperation, 8);
    mMouse = MakeDevice(GUID_SysMouse, &c_dfDIMouse, kMouseCooperation, 16);
  }

  void TearDown() override {
    for (LPDIRECTINPUTDEVICE8A device : {mKeyboard, mMouse}) {
      if (device != nullptr) {
        device->Unacquire();
        device->Release();
      }
    }
    if (mInput != nullptr) {
      mInput->Release();
    }
    DestroyWindow(mWindow);
    Pump();
  }

  LPDIRECTINPUTDEVICE8A MakeDevice(REFGUID guid, LPCDIDATAFORMAT format, DWORD cooperation, DWORD items) {
    LPDIRECTINPUTDEVICE8A device = nullptr;
    EXPECT_EQ(DI_OK, mInput->CreateDevice(guid, &device, nullptr));
    if (device == nullptr) {
      return nullptr;
    }
    EXPECT_EQ(DI_OK, device->SetDataFormat(format));
    EXPECT_EQ(DI_OK, device->SetCooperativeLevel(mWindow, cooperation));
    const DIPROPDWORD size = BufferSize(items);
    EXPECT_EQ(DI_OK, device->SetProperty(DIPROP_BUFFERSIZE, &size.diph));
    EXPECT_EQ(DI_OK, device->Acquire());
    return device;
  }

  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
  }

  bool Focus(bool gained) {
    const bool pushed = WinTestPushFocus(mWindow, gained ? TRUE : FALSE) != FALSE;
    Pump();
    return pushed;
  }

  void PushKey(SDL_Scancode scancode, bool down, bool repeat = false) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(mWindow->sdlWindow);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    ASSERT_TRUE(WinTestPushEvent(event));
  }

  void PushEvent(SDL_Event event) {
    event.motion.windowID = SDL_GetWindowID(mWindow->sdlWindow);
    ASSERT_TRUE(WinTestPushEvent(event));
  }

  // Every item waiting, read as the game reads them.
  static std::vector<tItem> Read(LPDIRECTINPUTDEVICE8A device, HRESULT* result = nullptr) {
    DIDEVICEOBJECTDATA data[32];
    DWORD count = 32;
    const HRESULT answer = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0);
    if (result != nullptr) {
      *result = answer;
    }
    std::vector<tItem> items;
    for (DWORD i = 0; i < count; i++) {
      items.push_back({data[i].dwOfs, data[i].dwData});
    }
    return items;
  }

  HWND mWindow = nullptr;
  LPDIRECTINPUT8A mInput = nullptr;
  LPDIRECTINPUTDEVICE8A mKeyboard = nullptr;
  LPDIRECTINPUTDEVICE8A mMouse = nullptr;
};

TEST_F(DirectInputTest, CreationRefusesWhatItDoesNotOffer) {
  void* object = &object;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  EXPECT_EQ(DIERR_OLDDIRECTINPUTVERSION, DirectInput8Create(instance, 0x0700, IID_IDirectInput8A, &object, nullptr));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(DIERR_BETADIRECTINPUTVERSION, DirectInput8Create(instance, 0x0900, IID_IDirectInput8A, &object, nullptr));
  EXPECT_EQ(DIERR_NOINTERFACE, DirectInput8Create(instance, DIRECTINPUT_VERSION, GUID_SysMouse, &object, nullptr));
  EXPECT_EQ(DIERR_INVALIDPARAM, DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &object, nullptr));

  LPDIRECTINPUTDEVICE8A device = mKeyboard;
  EXPECT_EQ(DIERR_DEVICENOTREG, mInput->CreateDevice(IID_IDirectInput8A, &device, nullptr));
  EXPECT_EQ(nullptr, device);

  // Set-up calls on a fresh device.
  ASSERT_EQ(DI_OK, mInput->CreateDevice(GUID_SysMouse, &device, nullptr));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->Acquire());  // no data format yet
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetDataFormat(&c_dfDIKeyboard));
  EXPECT_EQ(DI_OK, device->SetDataFormat(&c_dfDIMouse));
  EXPECT_EQ(E_NOTIMPL, device->SetCooperativeLevel(mWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetCooperativeLevel(mWindow, DISCL_NONEXCLUSIVE));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetCooperativeLevel(mWindow, DISCL_NONEXCLUSIVE | 0x10000));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetCooperativeLevel(nullptr, kMouseCooperation));
  DIPROPDWORD size = BufferSize(4);
  size.diph.dwHow = 1;  // by offset: no object of the device
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetProperty(DIPROP_BUFFERSIZE, &size.diph));
  size = BufferSize(4);
  size.diph.dwSize = sizeof(DIPROPHEADER);
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetProperty(DIPROP_BUFFERSIZE, &size.diph));
  DWORD count = 1;
  DIDEVICEOBJECTDATA item;
  EXPECT_EQ(DIERR_NOTACQUIRED, device->GetDeviceData(sizeof(item), &item, &count, 0));
  EXPECT_EQ(DI_OK, device->Acquire());
  EXPECT_EQ(DIERR_NOTBUFFERED, device->GetDeviceData(sizeof(item), &item, &count, 0));
  size = BufferSize(4);
  EXPECT_EQ(DIERR_ACQUIRED, device->SetProperty(DIPROP_BUFFERSIZE, &size.diph));
  // The 32-bit item size does not describe this build's items.
  count = 1;
  EXPECT_EQ(DIERR_INVALIDPARAM, device->GetDeviceData(20, &item, &count, 0));
  EXPECT_EQ(0u, device->Release());
}

TEST_F(DirectInputTest, KeysAreReportedByPosition) {
  struct tCase {
    SDL_Scancode scancode;
    DWORD key;  // 0: no item
  };
  const tCase cases[] = {
      {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},
      {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
      {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
      {SDL_SCANCODE_HOME, DIK_HOME},
      {SDL_SCANCODE_LGUI, 0},  // DISCL_NOWINKEY
      {SDL_SCANCODE_F20, 0},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(SDL_GetScancodeName(test.scancode));
    PushKey(test.scancode, true);
    PushKey(test.scancode, true, true);  // a repeat gives nothing
    PushKey(test.scancode, false);
    Pump();
    const std::vector<tItem> expected =
        test.key == 0 ? std::vector<tItem>{} : std::vector<tItem>{{test.key, kPressed}, {test.key, 0}};
    EXPECT_EQ(expected, Read(mKeyboard));
  }
  EXPECT_EQ(DIK_LWIN, DiTestKeyFromScancode(SDL_SCANCODE_LGUI));
  EXPECT_EQ(0u, DiTestKeyFromScancode(-1));
  // The mouse takes no keys.
  EXPECT_TRUE(Read(mMouse).empty());
}

TEST_F(DirectInputTest, MouseMotionWheelAndButtons) {
  SDL_Event event = {};
  event.type = SDL_MOUSEMOTION;
  event.motion.xrel = 5;
  event.motion.yrel = -3;
  PushEvent(event);
  event = {};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = 1;  // away from the user
  PushEvent(event);
  event.wheel.y = -2;
  PushEvent(event);
  event.wheel.y = 1;
  event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  PushEvent(event);
  for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) {
    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    PushEvent(event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.state = SDL_RELEASED;
    PushEvent(event);
  }
  Pump();

  DIDEVICEOBJECTDATA data[16];
  DWORD count = 16;
  ASSERT_EQ(DI_OK, mMouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0));
  std::vector<tItem> items;
  for (DWORD i = 0; i < count; i++) {
    items.push_back({data[i].dwOfs, data[i].dwData});
  }
  const std::vector<tItem> expected = {
      {DIMOFS_X, 5},
      {DIMOFS_Y, static_cast<DWORD>(-3)},
      {DIMOFS_Z, 120},
      {DIMOFS_Z, static_cast<DWORD>(-240)},
      {DIMOFS_Z, static_cast<DWORD>(-120)},
      {DIMOFS_BUTTON0, kPressed},
      {DIMOFS_BUTTON0, 0},
      {DIMOFS_BUTTON1, kPressed},
      {DIMOFS_BUTTON1, 0},
      {DIMOFS_BUTTON2, kPressed},
      {DIMOFS_BUTTON2, 0},
  };
  EXPECT_EQ(expected, items);
  // The two axes of one motion share a sequence number; the next event's differs.
  ASSERT_GE(count, 3u);
  EXPECT_EQ(data[0].dwSequence, data[1].dwSequence);
  EXPECT_NE(data[1].dwSequence, data[2].dwSequence);
  EXPECT_TRUE(Read(mKeyboard).empty());
}

TEST_F(DirectInputTest, AFullBufferDropsNewerItemsAndSaysSoOnce) {
  mKeyboard->Unacquire();
  const DIPROPDWORD size = BufferSize(3);
  ASSERT_EQ(DI_OK, mKeyboard->SetProperty(DIPROP_BUFFERSIZE, &size.diph));
  ASSERT_EQ(DI_OK, mKeyboard->Acquire());
  for (SDL_Scancode scancode : {SDL_SCANCODE_Q, SDL_SCANCODE_W}) {
    PushKey(scancode, true);
    PushKey(scancode, false);
  }
  Pump();

  // A peek leaves items and overflow in place; a null buffer only counts.
  DWORD count = 8;
  EXPECT_EQ(DI_BUFFEROVERFLOW, mKeyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, DIGDD_PEEK));
  EXPECT_EQ(3u, count);
  HRESULT result = DI_OK;
  const std::vector<tItem> kept = {{DIK_Q, kPressed}, {DIK_Q, 0}, {DIK_W, kPressed}};
  EXPECT_EQ(kept, Read(mKeyboard, &result));
  EXPECT_EQ(DI_BUFFEROVERFLOW, result);
  EXPECT_TRUE(Read(mKeyboard, &result).empty());
  EXPECT_EQ(DI_OK, result);
}

TEST_F(DirectInputTest, ForegroundKeyboardFollowsTheFocusAndTheBackgroundMouseReads) {
  ASSERT_TRUE(Focus(false));
  PushKey(SDL_SCANCODE_A, true);
  SDL_Event click = {};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_LEFT;
  click.button.state = SDL_PRESSED;
  PushEvent(click);
  Pump();

  HRESULT result = DI_OK;
  EXPECT_TRUE(Read(mKeyboard, &result).empty());
  EXPECT_EQ(DIERR_INPUTLOST, result);
  Read(mKeyboard, &result);
  EXPECT_EQ(DIERR_NOTACQUIRED, result);
  EXPECT_EQ(DIERR_OTHERAPPHASPRIO, mKeyboard->Acquire());
  EXPECT_EQ((std::vector<tItem>{{DIMOFS_BUTTON0, kPressed}}), Read(mMouse));

  ASSERT_TRUE(Focus(true));
  EXPECT_EQ(DI_OK, mKeyboard->Acquire());
  EXPECT_EQ(DI_NOEFFECT, mKeyboard->Acquire());
  // A went down while the keyboard was away: its release comes alone and is
  // not passed on; a key pressed and let go now is.
  PushKey(SDL_SCANCODE_A, false);
  PushKey(SDL_SCANCODE_S, true);
  PushKey(SDL_SCANCODE_S, false);
  Pump();
  EXPECT_EQ((std::vector<tItem>{{DIK_S, kPressed}, {DIK_S, 0}}), Read(mKeyboard));

  // A device that went away cannot be acquired until it is back.
  DiTestSetDeviceGone(mMouse, TRUE);
  Read(mMouse, &result);
  EXPECT_EQ(DIERR_INPUTLOST, result);
  EXPECT_EQ(DIERR_INPUTLOST, mMouse->Acquire());
  DiTestSetDeviceGone(mMouse, FALSE);
  EXPECT_EQ(DI_OK, mMouse->Acquire());
}

// E (turn), W (walk) and Q held, the focus away and back, as SDL reports it
// on each road: it lets every held key go when the focus leaves, and
// reports a key still held on return as pressed anew (the system's
// autorepeat). E and W were let go away from the window.
TEST_F(DirectInputTest, KeysLetGoAwayAreReleasedOnReturnAndAKeyStillHeldStaysHeld) {
  enum eStep { kUp, kDown, kLost, kGained, kTakeFocus };
  struct tStep {
    eStep step;
    SDL_Scancode scancode;
  };
  struct tRoad {
    const char* name;
    std::vector<tStep> away;   // before the keyboard is acquired again
    std::vector<tStep> after;  // after it
    std::vector<tItem> back;   // read once the keyboard is back
  };
  const SDL_Scancode e = SDL_SCANCODE_E, w = SDL_SCANCODE_W, q = SDL_SCANCODE_Q;
  const std::vector<tItem> released = {{DIK_W, 0}, {DIK_E, 0}};  // in key-code order
  const tRoad roads[] = {
      {"focus moved directly", {{kUp, e}, {kUp, w}, {kUp, q}, {kLost, e}, {kGained, e}, {kDown, q}}, {}, released},
      {"through activation",
       {{kLost, e}, {kUp, e}, {kUp, w}, {kUp, q}, {kTakeFocus, e}, {kGained, e}, {kDown, q}},
       {},
       released},
      {"let go after the focus left", {{kLost, e}, {kUp, e}, {kUp, w}, {kGained, e}}, {}, released},
      // Pressed anew only after the keyboard is back: let go for a moment.
      {"press after the return",
       {{kUp, e}, {kUp, w}, {kUp, q}, {kLost, e}, {kGained, e}},
       {{kDown, q}},
       {{DIK_Q, 0}, {DIK_W, 0}, {DIK_E, 0}, {DIK_Q, kPressed}}},
  };
  for (const tRoad& road : roads) {
    SCOPED_TRACE(road.name);
    for (SDL_Scancode key : {e, w, q}) {
      PushKey(key, true);
    }
    Pump();
    ASSERT_EQ((std::vector<tItem>{{DIK_E, kPressed}, {DIK_W, kPressed}, {DIK_Q, kPressed}}), Read(mKeyboard));
    const auto push = [&](const std::vector<tStep>& steps) {
      for (const tStep& step : steps) {
        if (step.step == kUp || step.step == kDown) {
          PushKey(step.scancode, step.step == kDown);
          continue;
        }
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.event = step.step == kLost     ? SDL_WINDOWEVENT_FOCUS_LOST
                             : step.step == kGained ? SDL_WINDOWEVENT_FOCUS_GAINED
                                                    : SDL_WINDOWEVENT_TAKE_FOCUS;
        PushEvent(event);
      }
      Pump();
    };
    push(road.away);
    HRESULT result = DI_OK;
    EXPECT_TRUE(Read(mKeyboard, &result).empty());
    EXPECT_EQ(DIERR_INPUTLOST, result);
    EXPECT_EQ(DI_OK, mKeyboard->Acquire());
    push(road.after);
    EXPECT_EQ(road.back, Read(mKeyboard));
    // Q, held all along, goes up once.
    PushKey(q, false);
    Pump();
    EXPECT_EQ((std::vector<tItem>{{DIK_Q, 0}}), Read(mKeyboard));
    EXPECT_TRUE(Read(mKeyboard).empty());
  }
}

}  // namespace
