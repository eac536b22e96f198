// DirectSound 8 as the game calls it, played by the stand-in's own mixer on
// SDL audio.
//
// Interfaces are C++ classes with virtual methods and reference counts
// (AddRef returns the new count, Release the remaining one and frees the
// object at zero). A buffer holds a reference on its device, so the device
// lives until its last buffer is released.
//
// How the stand-in behaves where DirectSound leaves room:
// - The primary buffer's SetFormat opens the SDL audio device in that format
//   (SDL converts for the hardware); its Play starts the device and its Stop
//   pauses it. Before any SetFormat the primary format is 22050 Hz, 16 bits,
//   stereo. Nothing is mixed while the primary buffer is stopped.
// - Secondary buffers hold 16-bit PCM, mono or stereo, DSBSIZE_MIN to
//   DSBSIZE_MAX bytes, zero-filled at creation. A trailing part frame is
//   never played.
// - The mix: each playing buffer is resampled linearly from its frequency to
//   the primary's, scaled by 10^(volume / 2000), the channel opposite the pan
//   attenuated by |pan| / 100 dB (DSBVOLUME_MIN or below is silence), a mono
//   buffer feeding both channels; the sum saturates to 16 bits. At 0 dB,
//   centre pan and equal rates a buffer passes bit-exact.
// - Play cursors advance at the buffer's frequency as it is mixed; a looping
//   buffer wraps, a one-shot stops at its end with its cursor back at 0, and
//   Stop keeps the cursor. The write cursor equals the play cursor: data past
//   the play cursor has not been mixed yet. Positions are rounded down to
//   whole frames.
// - Lock hands out a copy of the region (two parts when it wraps past the
//   end); Unlock writes the parts back. The mixer thread never sees a half
//   written region.
// - No 3-D: DSBCAPS_CTRL3D is accepted on the primary buffer only. The
//   cooperative level's window is not used; sound plays whatever window has
//   the focus.
#pragma once

#include "platform/win/win32.h"

// Results.
#define DS_OK S_OK
#define DSOUND_ERROR(code) ((HRESULT)(0x88780000u | (code)))
#define DSERR_ALLOCATED DSOUND_ERROR(10)
#define DSERR_CONTROLUNAVAIL DSOUND_ERROR(30)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL DSOUND_ERROR(50)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED DSOUND_ERROR(70)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT DSOUND_ERROR(100)
#define DSERR_UNSUPPORTED E_NOTIMPL
#define DSERR_NODRIVER DSOUND_ERROR(120)
#define DSERR_ALREADYINITIALIZED DSOUND_ERROR(130)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_BUFFERLOST DSOUND_ERROR(150)
#define DSERR_UNINITIALIZED DSOUND_ERROR(170)

// Cooperative levels.
#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002
#define DSSCL_EXCLUSIVE 0x00000003
#define DSSCL_WRITEPRIMARY 0x00000004

// Buffer description flags.
#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRL3D 0x00000010
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

// Volume and pan in hundredths of a decibel of attenuation.
#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000

// Hz; DSBFREQUENCY_ORIGINAL sets a buffer back to its format's rate.
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 100000

// Bytes of a secondary buffer.
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

// dwSize must be sizeof(DSBUFFERDESC). A primary buffer gives no size and no
// format; a secondary buffer gives both.
struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
};
typedef DSBUFFERDESC* LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

class IDirectSoundBuffer {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  // Byte offsets of the play and write cursors; either pointer may be null.
  virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
  virtual HRESULT GetVolume(LPLONG volume) = 0;
  virtual HRESULT GetPan(LPLONG pan) = 0;
  virtual HRESULT GetFrequency(LPDWORD frequency) = 0;
  virtual HRESULT GetStatus(LPDWORD status) = 0;
  // bytes from offset (or from the write cursor, or the entire buffer, by
  // flags); the second part is null with size 0 unless the region wraps.
  virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                       DWORD flags) = 0;
  // reserved1 and priority must be 0.
  virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
  virtual HRESULT SetCurrentPosition(DWORD newPosition) = 0;
  // Primary buffer only, at DSSCL_PRIORITY or above: 8 or 16-bit PCM, mono or
  // stereo, DSBFREQUENCY_MIN..DSBFREQUENCY_MAX Hz.
  virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
  virtual HRESULT SetVolume(LONG volume) = 0;
  virtual HRESULT SetPan(LONG pan) = 0;
  virtual HRESULT SetFrequency(DWORD frequency) = 0;
  virtual HRESULT Stop() = 0;
  // The parts Lock gave, with the bytes written into each (at most the sizes
  // Lock gave); only those bytes reach the buffer.
  virtual HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) = 0;

 protected:
  virtual ~IDirectSoundBuffer() = default;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

class IDirectSound8 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  // Needs a cooperative level first. Asking for the primary buffer again
  // gives the same buffer with one more reference. outer must be null.
  virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void* outer) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;

 protected:
  virtual ~IDirectSound8() = default;
};
typedef IDirectSound8* LPDIRECTSOUND8;

// device null: the default playback device (the only one). outer must be
// null. DSERR_NODRIVER when SDL audio cannot start.
HRESULT WINAPI DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* directSound, void* outer);
