// Test hooks of the DirectInput stand-in.
#include "platform/dinput/dinput_internal.h"
#include "platform/dinput/dinput_testing.h"

void DiTestSetDeviceGone(LPDIRECTINPUTDEVICE8A device, BOOL gone) {
  static_cast<DiDevice*>(device)->SetGone(gone != FALSE);
}

unsigned DiTestGetAcquireCount(LPDIRECTINPUTDEVICE8A device) {
  return static_cast<DiDevice*>(device)->GetAcquireCount();
}

DWORD DiTestKeyFromScancode(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
    return 0;
  }
  return DiKeyFromScancode(static_cast<SDL_Scancode>(scancode));
}
