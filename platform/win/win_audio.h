// Starting SDL's audio for the stand-in's sound devices (DirectSound and the
// wave output), and the one line a player sees when there is no sound. Only
// platform code includes this.
#pragma once

// Starts SDL's audio subsystem, with ALSA's own error lines sent to the
// debugger output instead of stderr. False, with SDL's error saying why,
// when it cannot start.
bool WinStartAudio();

// Says once a process on stderr that there is no sound device and why; the
// program goes on without sound.
void WinReportNoSound(const char* reason);
