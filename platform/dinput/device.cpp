// Keyboard and mouse devices: each acquired device keeps a ring of the items
// made from the SDL events the Windows stand-in pumps, and a foreground device
// follows its window's keyboard focus; a keyboard acquired again releases the
// keys let go while it was not.
#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/dinput/dinput_internal.h"
#include "platform/win/win_events.h"
#include "platform/win/win_internal.h"

namespace {

constexpr DWORD kPressed = 0x80;
constexpr LONG kWheelNotch = 120;
// A larger buffer size is cut to this many items.
constexpr DWORD kMaxBufferItems = 1024;
constexpr DWORD kCooperativeFlags =
    DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;

// Guards every device and the registry below.
std::mutex gLock;
std::vector<DiDevice*> gDevices;
// SDL id of the window with the keyboard focus as the pump last reported it.
Uint32 gFocusWindowId = 0;
DWORD gSequence = 0;
// Keys down as the pump last reported them, whichever window had the focus.
std::bitset<kDiKeyCount> gKeysDown;

bool IsInputEvent(Uint32 type) {
  return type == SDL_KEYDOWN || type == SDL_KEYUP || type == SDL_MOUSEMOTION || type == SDL_MOUSEWHEEL ||
         type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP;
}

void Listen(const SDL_Event& event, void*) {
  std::lock_guard<std::mutex> guard(gLock);
  if (event.type == SDL_WINDOWEVENT) {
    const Uint32 windowId = event.window.windowID;
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
      gFocusWindowId = windowId;
    } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
      if (gFocusWindowId == windowId) {
        gFocusWindowId = 0;
      }
      for (DiDevice* device : gDevices) {
        device->FocusLost(windowId);
      }
    }
    return;
  }
  if (!IsInputEvent(event.type)) {
    return;
  }
  if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
    gKeysDown[DiKeyFromScancode(event.key.keysym.scancode)] = event.type == SDL_KEYDOWN;
  }
  const DWORD sequence = ++gSequence;
  for (DiDevice* device : gDevices) {
    device->Deliver(event, sequence);
  }
}

}  // namespace

void DiListenToPump() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::lock_guard<std::mutex> guard(gLock);
    SDL_Window* focus = SDL_GetKeyboardFocus();
    gFocusWindowId = focus != nullptr ? SDL_GetWindowID(focus) : 0;
    WinAddEventListener(Listen, nullptr);
  });
}

namespace {

bool ExactlyOne(DWORD flags, DWORD a, DWORD b) { return ((flags & a) != 0) != ((flags & b) != 0); }

DWORD MouseButtonOffset(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return DIMOFS_BUTTON0;
    case SDL_BUTTON_RIGHT:
      return DIMOFS_BUTTON1;
    case SDL_BUTTON_MIDDLE:
      return DIMOFS_BUTTON2;
    case SDL_BUTTON_X1:
      return DIMOFS_BUTTON3;
    default:
      return 0;  // DIMOFS_X: never a button
  }
}

DWORD SignedData(LONG value) { return static_cast<DWORD>(value); }

}  // namespace

DiDevice::DiDevice(DiDeviceKind kind) : mKind(kind) {
  std::lock_guard<std::mutex> guard(gLock);
  gDevices.push_back(this);
}

DiDevice::~DiDevice() {
  std::lock_guard<std::mutex> guard(gLock);
  gDevices.erase(std::remove(gDevices.begin(), gDevices.end(), this), gDevices.end());
}

ULONG DiDevice::AddRef() {
  std::lock_guard<std::mutex> guard(gLock);
  return ++mReferences;
}

ULONG DiDevice::Release() {
  ULONG left = 0;
  {
    std::lock_guard<std::mutex> guard(gLock);
    left = --mReferences;
  }
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT DiDevice::SetDataFormat(LPCDIDATAFORMAT format) {
  std::lock_guard<std::mutex> guard(gLock);
  if (mAcquired) {
    return DIERR_ACQUIRED;
  }
  const DIDATAFORMAT* expected = mKind == DiDeviceKind::kKeyboard ? &c_dfDIKeyboard : &c_dfDIMouse;
  if (format != expected) {
    return DIERR_INVALIDPARAM;
  }
  mFormatSet = true;
  return DI_OK;
}

HRESULT DiDevice::SetCooperativeLevel(HWND window, DWORD flags) {
  if ((flags & ~static_cast<DWORD>(kCooperativeFlags)) != 0 ||
      !ExactlyOne(flags, DISCL_EXCLUSIVE, DISCL_NONEXCLUSIVE) ||
      !ExactlyOne(flags, DISCL_FOREGROUND, DISCL_BACKGROUND)) {
    return DIERR_INVALIDPARAM;
  }
  if ((flags & DISCL_EXCLUSIVE) != 0) {
    return E_NOTIMPL;
  }
  if (!WinIsLiveWindow(window) || window->state->kind != WinWindowKind::kTopLevel) {
    return DIERR_INVALIDPARAM;
  }
  const Uint32 windowId = SDL_GetWindowID(window->sdlWindow);
  std::lock_guard<std::mutex> guard(gLock);
  if (mAcquired) {
    return DIERR_ACQUIRED;
  }
  mCooperation = flags;
  mWindowId = windowId;
  return DI_OK;
}

HRESULT DiDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
  if (&property != &DIPROP_BUFFERSIZE) {
    return E_NOTIMPL;
  }
  if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwSize != sizeof(DIPROPDWORD) ||
      header->dwHow != DIPH_DEVICE || header->dwObj != 0) {
    return DIERR_INVALIDPARAM;
  }
  const DWORD size = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
  std::lock_guard<std::mutex> guard(gLock);
  if (mAcquired) {
    return DIERR_ACQUIRED;
  }
  mCapacity = std::min(size, kMaxBufferItems);
  return DI_OK;
}

HRESULT DiDevice::Acquire() {
  std::lock_guard<std::mutex> guard(gLock);
  mAcquireCount++;
  if (!mFormatSet) {
    return DIERR_INVALIDPARAM;
  }
  if (mAcquired) {
    return DI_NOEFFECT;
  }
  if (mGone) {
    return DIERR_INPUTLOST;
  }
  if (IsForeground() && (mWindowId == 0 || mWindowId != gFocusWindowId)) {
    return DIERR_OTHERAPPHASPRIO;
  }
  mAcquired = true;
  mLost = false;
  mItems.clear();
  mOverflow = false;
  if (mKind == DiDeviceKind::kKeyboard) {
    mDeliveredDown = mReadDown;
    ReleaseKeysLetGoMeanwhile();
  }
  return DI_OK;
}

// The items of the time away went with the acquisition. A key the game last
// read as pressed and that went up meanwhile gets its release now, as the
// release itself would have come: else the game holds it for good, and a
// running total such as a turn can never be evened out. A key still down
// stays held; its release comes when it happens.
void DiDevice::ReleaseKeysLetGoMeanwhile() {
  const DWORD time = SDL_GetTicks();
  const DWORD sequence = ++gSequence;
  for (DWORD key = 0; key < kDiKeyCount; key++) {
    if (mReadDown[key] && !gKeysDown[key] && Push(key, 0, time, sequence)) {
      mDeliveredDown[key] = false;
    }
  }
}

HRESULT DiDevice::Unacquire() {
  std::lock_guard<std::mutex> guard(gLock);
  if (!mAcquired) {
    return DI_NOEFFECT;
  }
  mAcquired = false;
  return DI_OK;
}

HRESULT DiDevice::GetDeviceData(DWORD itemSize, LPDIDEVICEOBJECTDATA data, LPDWORD count, DWORD flags) {
  if (itemSize != sizeof(DIDEVICEOBJECTDATA) || count == nullptr || (flags & ~static_cast<DWORD>(DIGDD_PEEK)) != 0) {
    return DIERR_INVALIDPARAM;
  }
  const DWORD wanted = *count;
  *count = 0;
  std::lock_guard<std::mutex> guard(gLock);
  if (mLost) {
    // Reported once; after that the device is merely not acquired.
    mLost = false;
    return DIERR_INPUTLOST;
  }
  if (!mAcquired) {
    return DIERR_NOTACQUIRED;
  }
  if (mCapacity == 0) {
    return DIERR_NOTBUFFERED;
  }
  const DWORD taken = static_cast<DWORD>(std::min<size_t>(wanted, mItems.size()));
  if (data != nullptr) {
    std::copy(mItems.begin(), mItems.begin() + taken, data);
  }
  const HRESULT result = mOverflow ? DI_BUFFEROVERFLOW : DI_OK;
  if ((flags & DIGDD_PEEK) == 0) {
    if (mKind == DiDeviceKind::kKeyboard) {
      for (DWORD i = 0; i < taken; i++) {
        mReadDown[mItems[i].dwOfs] = (mItems[i].dwData & kPressed) != 0;
      }
    }
    mItems.erase(mItems.begin(), mItems.begin() + taken);
    mOverflow = false;
  }
  *count = taken;
  return result;
}

void DiDevice::Deliver(const SDL_Event& event, DWORD sequence) {
  if (!mAcquired) {
    return;
  }
  if (mKind == DiDeviceKind::kKeyboard) {
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
      DeliverKey(event.key, sequence);
    }
  } else {
    DeliverMouse(event, sequence);
  }
}

void DiDevice::DeliverKey(const SDL_KeyboardEvent& key, DWORD sequence) {
  if (key.repeat != 0) {
    return;
  }
  const DWORD code = DiKeyFromScancode(key.keysym.scancode);
  if (code == 0) {
    return;
  }
  if ((mCooperation & DISCL_NOWINKEY) != 0 && (code == DIK_LWIN || code == DIK_RWIN)) {
    return;
  }
  // A release whose press the game never got (the key went down while the
  // window was away) is dropped: passed on, it would unbalance whatever the
  // game counts from presses and releases, such as a turn, for good.
  const bool pressed = key.state == SDL_PRESSED;
  if (!pressed && !mDeliveredDown[code]) {
    return;
  }
  if (Push(code, pressed ? kPressed : 0, key.timestamp, sequence)) {
    mDeliveredDown[code] = pressed;
  }
}

void DiDevice::DeliverMouse(const SDL_Event& event, DWORD sequence) {
  const DWORD time = event.common.timestamp;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (event.motion.xrel != 0) {
        Push(DIMOFS_X, SignedData(event.motion.xrel), time, sequence);
      }
      if (event.motion.yrel != 0) {
        Push(DIMOFS_Y, SignedData(event.motion.yrel), time, sequence);
      }
      break;
    case SDL_MOUSEWHEEL: {
      // SDL's y is positive away from the user unless the system flips it.
      LONG notches = event.wheel.y;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
        notches = -notches;
      }
      if (notches != 0) {
        Push(DIMOFS_Z, SignedData(notches * kWheelNotch), time, sequence);
      }
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const DWORD offset = MouseButtonOffset(event.button.button);
      if (offset != 0) {
        Push(offset, event.button.state == SDL_PRESSED ? kPressed : 0, time, sequence);
      }
      break;
    }
    default:
      break;
  }
}

bool DiDevice::Push(DWORD offset, DWORD data, DWORD time, DWORD sequence) {
  if (mItems.size() >= mCapacity) {
    mOverflow = true;
    return false;
  }
  DIDEVICEOBJECTDATA item = {};
  item.dwOfs = offset;
  item.dwData = data;
  item.dwTimeStamp = time;
  item.dwSequence = sequence;
  mItems.push_back(item);
  return true;
}

void DiDevice::FocusLost(Uint32 windowId) {
  if (IsForeground() && mAcquired && windowId == mWindowId) {
    mAcquired = false;
    mLost = true;
  }
}

void DiDevice::SetGone(bool gone) {
  std::lock_guard<std::mutex> guard(gLock);
  mGone = gone;
  if (gone && mAcquired) {
    mAcquired = false;
    mLost = true;
  }
}

unsigned DiDevice::GetAcquireCount() {
  std::lock_guard<std::mutex> guard(gLock);
  return mAcquireCount;
}
