// Start-up and main-loop steps of the subsystems behind the entry, each
// defined with its subsystem: the input devices (input_handlers.cpp,
// direct_input.cpp), the screen stack (screen_stack.cpp), the application
// holder (application.cpp) and the movie player (movie_player.cpp).
#pragma once

#include "game/foundation/types.h"
#include "platform/win/win32.h"

// Input devices event: registers the keyboard, mouse and pad handlers.
void RegisterGameInputHandlers();
// The DirectInput object with its keyboard and mouse for the window; the
// mouse then the keyboard polled; keyboard, mouse and object released.
void CreateInputDevices(HWND window);
void PollInputDevices();
void ReleaseInputDevices();

// The screen stack for the window, added as the event device's next handler
// and given the camera size; only when none exists yet.
void CreateScreenStack(void* window, u32 width, u32 height);
// An empty entry pushed, the stack taken off the event device and deleted.
void DeleteScreenStack();
// The application holder, which creates the game and pushes it.
void CreateApplicationHolder();
void ShutDownApplicationHolder();

// The movie player: plays the file into the rectangle of the window.
void RunMoviePlayer(HWND window, HDC dc, const char* path, const RECT* rect);
// The movie player's wave-out notifications.
void MovieWaveOutMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
