// The movie player: an AVI file shown full screen in the main window with its
// sound, in a blocking loop of its own that draws the frame belonging to the
// time elapsed since the start, until the last frame or a skip key.
#pragma once

#include "game/foundation/types.h"
#include "platform/win/win32.h"

// Plays the file; returns when it ends. Failures are traced to the debugger
// output and return at once; a movie whose sound cannot be had plays silent.
void PlayMovieFile(HWND window, const char* path);
