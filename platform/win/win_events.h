// For the other platform stand-ins (DirectInput): the Windows stand-in is the
// one reader of SDL's event queue, and hands every event it takes to the
// listeners here, on the thread that pumps, in the order they happened.
#pragma once

#include <SDL.h>

typedef void (*WinEventListener)(const SDL_Event& event, void* user);

// False when the same listener and user are registered already.
bool WinAddEventListener(WinEventListener listener, void* user);
void WinRemoveEventListener(WinEventListener listener, void* user);
