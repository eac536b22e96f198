// The DirectSound output shared with the stand-in's other player of sound,
// the wave output: an output that opens only once (an exclusive sound card,
// a bare ALSA device, SDL's dummy driver) refuses a second one beside it, so
// the wave output mixes into this one while it is open. Platform code only.
#pragma once

#include <cstdint>

namespace dsound {

// Adds frames frames of a guest's sound to mix (channels int32 samples a
// frame, rate Hz). Runs on the audio thread, the device's lock held.
typedef void (*GuestMix)(void* guest, int32_t* mix, uint32_t frames, uint32_t rate, uint32_t channels);

// Mixes guest into the output of the newest device whose SDL output is
// open, from now on; false when no output is open.
bool JoinOpenOutput(GuestMix mix, void* guest);
// Takes guest out of the output that mixes it (if any): once this returns,
// its mix runs no more.
void LeaveOutput(void* guest);

}  // namespace dsound
