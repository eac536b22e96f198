// Starting SDL's audio for the stand-in's sound devices (DirectSound and the
// wave output), and the one line a player sees when there is no sound. Only
// platform code includes this.
#pragma once

// Starts SDL's audio subsystem, with ALSA's own error lines sent to the
// debugger output instead of stderr. False, with SDL's error saying why,
// when it cannot start.
bool WinStartAudio();

// What goes silent when an output cannot be had: all of the program's sound
// (DirectSound's output) or only a movie's (the wave output's).
enum class WinSoundLoss { kAll, kMovie };

// Says once a process on stderr, for each loss, that there is no sound
// device, why, and what plays without sound; the program goes on. A movie's
// loss says nothing once all sound is known to be lost.
void WinReportNoSound(WinSoundLoss loss, const char* reason);
