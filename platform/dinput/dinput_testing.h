// Test hooks of the DirectInput stand-in: devices that go away and come back,
// the re-acquire attempts made, and the key translation. Only tests include
// this header.
#pragma once

#include "platform/dinput/dinput.h"

// A device that is gone is lost at once, and Acquire answers DIERR_INPUTLOST
// until it is back (gone FALSE).
void DiTestSetDeviceGone(LPDIRECTINPUTDEVICE8A device, BOOL gone);
// Acquire calls made on the device since it was created.
unsigned DiTestGetAcquireCount(LPDIRECTINPUTDEVICE8A device);
// The DIK code of an SDL key position (an SDL_Scancode); 0: no item.
DWORD DiTestKeyFromScancode(int scancode);
