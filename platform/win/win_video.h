// Starting SDL's video for the stand-in's windows and devices. Only platform
// code includes this.
#pragma once

// True for a video driver that shows nothing on any screen (SDL's offscreen
// and dummy drivers).
bool WinVideoDriverShowsNothing(const char* driver);

// Starts SDL's video subsystem on a display. A driver that shows nothing is
// used only when asked for by name (SDL_VIDEODRIVER=offscreen): without a
// display SDL would fall back to one, and a program would run unseen. False,
// with SDL's error saying why, when no display can be had.
bool WinStartVideo();

// True once a start found no display it could open: nothing can be shown on
// one (a message box then only writes its text).
bool WinVideoFoundNoDisplay();
