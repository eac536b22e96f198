// Test hooks of the Video for Windows stand-in: streams opened from bytes in
// memory, wave-out devices without SDL output that play when pumped by hand,
// and header preparation that fails on demand. Only tests include this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/vfw/vfw.h"

namespace vfwtest {

// AVIStreamOpenFromFileA over a copy of size bytes.
HRESULT OpenStreamFromMemory(const void* data, size_t size, DWORD type, LONG streamIndex, PAVISTREAM* stream);

// While on, wave-out devices opened from then on have no SDL output: they
// play only when PumpWaveOut asks. Off at start.
void SetWaveTestMode(bool on);
// The most recently opened wave-out device still open, or null.
HWAVEOUT NewestWaveOut();
// Plays bytes bytes of a test-mode device as its SDL output would, finishing
// headers on the way (their MM_WOM_DONE posted from the calling thread), and
// returns them; silence where nothing is queued or the device is paused.
// Empty for any other device.
std::vector<uint8_t> PumpWaveOut(HWAVEOUT device, size_t bytes);

// waveOutPrepareHeader succeeds for the next headers calls, then answers
// MMSYSERR_NOMEM; negative: never fails (the start).
void FailPrepareAfter(int headers);

}  // namespace vfwtest
