// Test hooks of the DirectSound stand-in: devices without SDL output whose
// mix is pumped by hand and read back, call counts, and injected failures.
// Only tests (and benchmarks) include this header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dsound/dsound.h"

namespace dsoundtest {

// A PCM format record with its block and byte rates filled in.
WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits = 16);

// While on, devices created from then on open no SDL device: nothing plays
// until PumpFrames mixes. Off at start.
void SetTestMode(bool on);

// The most recently created device that is still alive, or null.
IDirectSound8* NewestDevice();

// Mixes exactly frames output frames of a test-mode device in its primary
// format's rate and channels, 16-bit whatever the primary's bits, advancing
// every playing buffer; silence while the primary buffer is stopped.
std::vector<int16_t> PumpFrames(IDirectSound8* device, uint32_t frames);

// The next samples 16-bit samples (frames interleaved) the SDL output of a
// device not in test mode plays, as its audio thread mixes them; fewer when
// they do not come within 20 s. Empty for a test-mode device.
std::vector<int16_t> RecordOutput(IDirectSound8* device, size_t samples);

// Calls of every DirectSound function and method by name ("SetVolume",
// "Play", "DirectSoundCreate8"...), over all objects, since the last reset.
unsigned CallCount(const char* method);
void ResetCallCounts();

// Secondary buffers alive on every device.
unsigned LiveBufferCount();

// Every later call of method answers result (a failure code) until
// ClearFailures.
void InjectFailure(const char* method, HRESULT result);
void ClearFailures();

}  // namespace dsoundtest
