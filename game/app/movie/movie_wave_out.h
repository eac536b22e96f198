// A movie's sound through the wave-out device: the sound stream is read into
// a ring of headers that the device plays in turn; each header the device
// hands back (MM_WOM_DONE to the window) is refilled with the next samples.
// One device at a time; it exists from the first start to StopWaveOut.
#pragma once

#include "game/foundation/types.h"
#include "platform/vfw/vfw.h"

// Bytes of sound one header carries.
constexpr u32 kWaveBufferBytes = 32768;
// A header block: the header followed by its sound bytes.
constexpr u32 kWaveBlockBytes = sizeof(WAVEHDR) + kWaveBufferBytes;
constexpr u32 kMaxWaveBuffers = 16;
// With fewer headers prepared the sound is not played.
constexpr u32 kMinWaveBuffers = 4;

// Opens the device for the stream's format with the window as callback and
// prepares the headers; true at once when a device is open. False for a
// stream whose sample size is outside 1..kWaveBufferBytes, an unreadable
// format, a device that will not open, or too few headers.
bool OpenWaveOut(HWND window, PAVISTREAM stream);
// Plays the samples [start, end) of the stream (negative start: the stream's
// start; negative end: its end), opening the device first. False when start
// is not before end or the device does not open.
bool PlayWaveAudio(HWND window, PAVISTREAM stream, s32 start, s32 end);
// Reads and writes headers until every one is queued; at the end of the
// samples with nothing queued, stops. False on a read or write failure,
// which leaves the refill stopped.
bool FillWaveBuffers();
// The device reset (every header handed back), then closed.
void StopWaveOut();
// Every header unprepared and freed, the device closed, and its wave-out
// messages still waiting for the window taken off the queue.
void CloseWaveOut();
// A wave-out message of the window: a header done while playing is counted
// back and the ring refilled. wParam is the device that sent it; anything
// else, or any message while nothing plays, is ignored. The header pointer
// of MM_WOM_DONE is never read: after a reset it may already be freed.
void OnWaveOutMessage(HWND window, UINT message, WPARAM wParam);

// Whether sound is playing, and the headers handed to the device and not
// yet back.
bool IsWaveOutPlaying();
u32 GetWaveOutQueued();
