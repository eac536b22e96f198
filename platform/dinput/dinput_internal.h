// The DirectInput stand-in's devices and the scan-code translation, shared by
// its source files and its test hooks. Not for callers outside platform/dinput.
#pragma once

#include <SDL.h>

#include <bitset>
#include <deque>

#include "platform/dinput/dinput.h"

enum class DiDeviceKind { kKeyboard, kMouse };

// DirectInput key codes (DIK) run from 0 to 255.
constexpr DWORD kDiKeyCount = 256;

// One device object. Every member is guarded by the stand-in's one lock: the
// pump delivers on the thread that pumps, the game calls on its own.
class DiDevice final : public IDirectInputDevice8A {
 public:
  explicit DiDevice(DiDeviceKind kind);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceData(DWORD itemSize, LPDIDEVICEOBJECTDATA data, LPDWORD count, DWORD flags) override;

  // With the lock held: one pumped event, whose items share sequence.
  void Deliver(const SDL_Event& event, DWORD sequence);
  // With the lock held: the window lost the keyboard focus.
  void FocusLost(Uint32 windowId);

  // Test hooks.
  void SetGone(bool gone);
  unsigned GetAcquireCount();

 private:
  ~DiDevice() override;

  bool IsForeground() const { return (mCooperation & DISCL_FOREGROUND) != 0; }
  void DeliverKey(const SDL_KeyboardEvent& key, DWORD sequence);
  void DeliverMouse(const SDL_Event& event, DWORD sequence);
  // False when the ring is full (the overflow is recorded).
  bool Push(DWORD offset, DWORD data, DWORD time, DWORD sequence);
  void ReleaseKeysLetGoMeanwhile();

  const DiDeviceKind mKind;
  ULONG mReferences = 1;
  bool mFormatSet = false;
  // Until SetCooperativeLevel: non-exclusive background, no window.
  DWORD mCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  Uint32 mWindowId = 0;  // SDL id of the cooperative window
  bool mAcquired = false;
  bool mLost = false;  // acquisition lost since the last read
  bool mGone = false;
  unsigned mAcquireCount = 0;
  DWORD mCapacity = 0;  // items; 0: not buffered
  std::deque<DIDEVICEOBJECTDATA> mItems;
  bool mOverflow = false;
  // Keyboard: keys whose last item the game has read is a press.
  std::bitset<kDiKeyCount> mReadDown;
  // Keyboard: keys whose last item handed to the game (read or in the ring)
  // is a press.
  std::bitset<kDiKeyCount> mDeliveredDown;
};

// From the first DirectInput object on, the pump's events reach the devices
// and the keyboard focus is followed.
void DiListenToPump();

// The DIK code of the key at an SDL key position, 0 for a key DirectInput
// does not report.
DWORD DiKeyFromScancode(SDL_Scancode scancode);
