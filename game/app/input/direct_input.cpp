// DirectInput devices: creation, release and the polls.
#include "game/app/input/direct_input.h"

#include "game/app/startup/app_config.h"
#include "game/app/app_hooks.h"
#include "game/app/input/input_handlers.h"
#include "game/app/startup/main_window.h"
#include "game/foundation/fatal_error.h"

LPDIRECTINPUT8A gDirectInput = nullptr;
LPDIRECTINPUTDEVICE8A gKeyboardDevice = nullptr;
LPDIRECTINPUTDEVICE8A gMouseDevice = nullptr;

namespace {

constexpr DWORD kKeyboardCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_NOWINKEY;
constexpr DWORD kMouseCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
constexpr DWORD kPressedBit = 0x80;

bool SetBufferSize(LPDIRECTINPUTDEVICE8A device, DWORD items) {
  DIPROPDWORD property = {};
  property.diph.dwSize = sizeof(DIPROPDWORD);
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.diph.dwObj = 0;
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = items;
  return SUCCEEDED(device->SetProperty(DIPROP_BUFFERSIZE, &property.diph));
}

LPDIRECTINPUTDEVICE8A CreateDevice(REFGUID guid) {
  LPDIRECTINPUTDEVICE8A device = nullptr;
  if (gDirectInput == nullptr || FAILED(gDirectInput->CreateDevice(guid, &device, nullptr))) {
    return nullptr;
  }
  return device;
}

void ReleaseDevice(LPDIRECTINPUTDEVICE8A* device) {
  if (*device != nullptr) {
    (*device)->Unacquire();
    (*device)->Release();
    *device = nullptr;
  }
}

// Reads up to capacity items; false when the read failed, after trying to
// get the device back. A device that never returns must not hold the loop:
// it is tried a few times now and again at the next poll.
bool ReadItems(LPDIRECTINPUTDEVICE8A device, DIDEVICEOBJECTDATA* items, DWORD capacity, DWORD* count) {
  *count = capacity;
  if (SUCCEEDED(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, count, 0))) {
    return true;
  }
  for (u32 attempt = 0; attempt < kAcquireAttempts; attempt++) {
    if (device->Acquire() != DIERR_INPUTLOST) {
      break;
    }
  }
  return false;
}

void RecentreCursor() {
  SetCursorClientPos(static_cast<f32>(gAppConfig.width) * 0.5f, static_cast<f32>(gAppConfig.height) * 0.5f);
}

void SendMouseMovement(f32 dx, f32 dy) {
  tMouseMoveData move = {gAppWindow.mouseX + dx, gAppWindow.mouseY + dy, dx, dy};
  SendMouseEvent(kMouseMovement, &move);
  // The real cursor stays at the centre; the position the game sees is a
  // virtual one that keeps counting.
  RecentreCursor();
  gAppWindow.mouseX += dx;
  gAppWindow.mouseY += dy;
}

void SendMouseItem(const DIDEVICEOBJECTDATA& item) {
  const bool pressed = (item.dwData & kPressedBit) != 0;
  const f32 counts = static_cast<f32>(static_cast<s32>(item.dwData));
  switch (item.dwOfs) {
    case DIMOFS_X:
      SendMouseMovement(counts, 0.0f);
      break;
    case DIMOFS_Y:
      SendMouseMovement(0.0f, counts);
      break;
    case DIMOFS_Z: {
      tMouseWheelData wheel = {static_cast<u8>(static_cast<s32>(item.dwData) >= 0 ? 1 : 0)};
      SendMouseEvent(kMouseWheelTurn, &wheel);
      break;
    }
    case DIMOFS_BUTTON0:
      SendMouseEvent(pressed ? kMouseLeftDown : kMouseLeftUp, nullptr);
      break;
    case DIMOFS_BUTTON1:
      SendMouseEvent(pressed ? kMouseRightDown : kMouseRightUp, nullptr);
      break;
    case DIMOFS_BUTTON2:
      SendMouseEvent(pressed ? kMouseMiddleDown : kMouseMiddleUp, nullptr);
      break;
    default:
      break;
  }
}

}  // namespace

void CreateDirectInput() {
  if (gDirectInput != nullptr) {
    return;
  }
  void* object = nullptr;
  if (FAILED(
          DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &object, nullptr))) {
    FatalError("Couldn't Create DirectInput8 object!");
  }
  gDirectInput = static_cast<LPDIRECTINPUT8A>(object);
}

void CreateDirectInputKeyboard(HWND window) {
  ReleaseDirectInputKeyboard();
  gKeyboardDevice = CreateDevice(GUID_SysKeyboard);
  if (gKeyboardDevice == nullptr) {
    FatalError("Obtain an interface to the system keyboard device!");
  }
  if (FAILED(gKeyboardDevice->SetDataFormat(&c_dfDIKeyboard))) {
    FatalError("Couldn't set keyboard data format!");
  }
  const HRESULT result = gKeyboardDevice->SetCooperativeLevel(window, kKeyboardCooperation);
  if (result == E_NOTIMPL) {
    ReleaseDirectInputKeyboard();
    FatalError("Unsupported Cooperative level!");
  }
  if (FAILED(result)) {
    FatalError("Keyboard setcooperative level failed!");
  }
  if (!SetBufferSize(gKeyboardDevice, kKeyboardBufferItems)) {
    return;
  }
  gKeyboardDevice->Acquire();
}

void CreateDirectInputMouse(HWND window) {
  ReleaseDirectInputMouse();
  gMouseDevice = CreateDevice(GUID_SysMouse);
  if (gMouseDevice == nullptr) {
    FatalError("Unable to create DirectInput (mouse) object!");
  }
  if (FAILED(gMouseDevice->SetDataFormat(&c_dfDIMouse))) {
    FatalError("Unable to set DirectInput (mouse) dataformat!");
  }
  const HRESULT result = gMouseDevice->SetCooperativeLevel(window, kMouseCooperation);
  if (result == E_NOTIMPL) {
    ReleaseDirectInputMouse();
    FatalError("Unable to set DirectInput (mouse) Cooperative level!");
  }
  if (FAILED(result)) {
    return;
  }
  if (!SetBufferSize(gMouseDevice, kMouseBufferItems)) {
    ReleaseDirectInputMouse();
    FatalError("Unable to set DirectInput (mouse) property buffersize!");
  }
  gMouseDevice->Acquire();
}

void ReleaseDirectInputKeyboard() { ReleaseDevice(&gKeyboardDevice); }

void ReleaseDirectInputMouse() { ReleaseDevice(&gMouseDevice); }

void ReleaseDirectInput() {
  if (gDirectInput != nullptr) {
    gDirectInput->Release();
    gDirectInput = nullptr;
  }
}

void PollDirectInputKeyboard() {
  if (gKeyboardDevice == nullptr) {
    return;
  }
  DIDEVICEOBJECTDATA items[kKeyboardBufferItems];
  DWORD count = 0;
  if (!ReadItems(gKeyboardDevice, items, kKeyboardBufferItems, &count)) {
    return;
  }
  for (DWORD i = 0; i < count; i++) {
    tKeyboardEventData key = {items[i].dwOfs, KeyCodeForScanCode(items[i].dwOfs)};
    SendKeyboardEvent((items[i].dwData & kPressedBit) != 0 ? kKeyboardKeyDown : kKeyboardKeyUp, &key);
  }
}

void PollDirectInputMouse() {
  if (gMouseDevice == nullptr) {
    return;
  }
  DIDEVICEOBJECTDATA items[kMouseBufferItems];
  DWORD count = 0;
  if (!ReadItems(gMouseDevice, items, kMouseBufferItems, &count)) {
    return;
  }
  for (DWORD i = 0; i < count; i++) {
    SendMouseItem(items[i]);
  }
}

void CreateInputDevices(HWND window) {
  CreateDirectInput();
  CreateDirectInputKeyboard(window);
  CreateDirectInputMouse(window);
}

void PollInputDevices() {
  PollDirectInputMouse();
  PollDirectInputKeyboard();
}

void ReleaseInputDevices() {
  ReleaseDirectInputKeyboard();
  ReleaseDirectInputMouse();
  ReleaseDirectInput();
}
