// The DirectSound stand-in's objects: the device with its output and its
// list of buffers, and the buffers (primary and secondary). One lock per
// device guards everything the SDL audio thread reads: the buffer list, the
// voices and the sample data.
#pragma once

#include <SDL.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/mixer.h"
#include "platform/dsound/shared_output.h"

namespace dsound {

class SoundBuffer;

// Output frames the SDL device asks for at a time.
constexpr Uint16 kOutputFrames = 1024;

class Device final : public IDirectSound8 {
 public:
  explicit Device(bool testMode);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void* outer) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override;

  // The primary buffer's calls: the output format, start and pause.
  HRESULT SetOutputFormat(const WAVEFORMATEX& format);
  HRESULT StartOutput();
  void StopOutput();
  bool IsOutputPlaying();
  DWORD GetLevel() const { return mLevel; }

  // Secondary buffers alive (the lock not held).
  size_t BufferCount();
  // Called by a buffer's destructor (the lock not held).
  void ForgetBuffer(SoundBuffer* buffer);

  // Mixes frames output frames of every playing secondary buffer into out
  // (16-bit, the output's channels); the lock must be held.
  void MixLocked(int16_t* out, uint32_t frames);
  // Test mode: mixes frames output frames at once (silence while the primary
  // buffer is stopped).
  std::vector<int16_t> PumpFrames(uint32_t frames);
  bool IsTestMode() const { return mTestMode; }

  // A guest mixed into the output (shared_output.h); adding fails while
  // the output is closed, removing when the guest is not this device's.
  bool AddGuest(GuestMix mix, void* guest);
  bool RemoveGuest(void* guest);

  // Test hook: keeps the next samples 16-bit samples the output plays.
  void StartRecording(size_t samples);
  // The samples kept so far.
  std::vector<int16_t> Recorded();

  std::mutex& GetLock() { return mLock; }

 private:
  struct Guest {
    GuestMix mix;
    void* guest;
  };

  ~Device() override;
  static void AudioCallback(void* user, Uint8* stream, int length);
  HRESULT OpenOutput();
  void CloseOutput();
  // Runs the SDL output while the primary plays or a guest is mixed,
  // pauses it otherwise (the lock not held).
  void UpdatePause();

  std::atomic<ULONG> mRefs{1};
  std::mutex mLock;
  const bool mTestMode;
  const bool mAudioStarted;  // SDL's audio subsystem taken by this device
  DWORD mLevel = 0;
  WAVEFORMATEX mFormat;  // of the output; changed under the lock
  bool mOutputPlaying = false;
  SDL_AudioDeviceID mOutput = 0;
  SoundBuffer* mPrimary = nullptr;  // not counted: the primary counts the device
  std::vector<SoundBuffer*> mBuffers;
  std::vector<Guest> mGuests;  // mixed while the output runs, even with the primary stopped
  std::vector<int32_t> mMix;
  std::vector<int16_t> mSaturated;
  std::vector<int16_t> mRecorded;
  size_t mRecordWanted = 0;
};

// A region handed out by Lock: a copy of the buffer's bytes from offset,
// part 1 up to the end of the buffer, part 2 from its start.
struct LockedRegion {
  std::unique_ptr<uint8_t[]> copy;
  DWORD offset;
  DWORD bytes1;
  DWORD bytes2;
};

class SoundBuffer final : public IDirectSoundBuffer {
 public:
  // Whether the description is one of a primary buffer or a secondary one
  // that the stand-in can make.
  static HRESULT CheckDesc(const DSBUFFERDESC& desc);
  // A primary buffer (format null) or a secondary one of bytes bytes.
  static HRESULT Create(Device* device, const DSBUFFERDESC& desc, SoundBuffer** out);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
  HRESULT GetVolume(LPLONG volume) override;
  HRESULT GetPan(LPLONG pan) override;
  HRESULT GetFrequency(LPDWORD frequency) override;
  HRESULT GetStatus(LPDWORD status) override;
  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
               DWORD flags) override;
  HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override;
  HRESULT SetCurrentPosition(DWORD newPosition) override;
  HRESULT SetFormat(LPCWAVEFORMATEX format) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT SetPan(LONG pan) override;
  HRESULT SetFrequency(DWORD frequency) override;
  HRESULT Stop() override;
  HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;

  bool IsPrimary() const { return mPrimary; }
  // Mixed by the device with its lock held.
  Voice& GetVoice() { return mVoice; }

 private:
  SoundBuffer(Device* device, bool primary, DWORD flags);
  ~SoundBuffer() override;

  // The start of a secondary buffer's call: counted (or failed by a test),
  // not on the primary buffer, and on a buffer made with the control flag.
  HRESULT EnterSecondary(const char* method, DWORD flag) const;

  std::atomic<ULONG> mRefs{1};
  Device* const mDevice;
  const bool mPrimary;
  const DWORD mFlags;
  WAVEFORMATEX mFormat = {};
  DWORD mBytes = 0;
  std::unique_ptr<int16_t[]> mSamples;
  LONG mVolume = 0;
  LONG mPan = 0;
  Voice mVoice;
  std::vector<LockedRegion> mLocks;
};

// A consistent PCM format record.
WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits);

// Counts a call of method for the test hooks and answers the failure a test
// injected for it (S_OK when none).
HRESULT EnterCall(const char* method);

// The registry of live devices, for the test hooks.
void RegisterDevice(Device* device);
void UnregisterDevice(Device* device);
// Devices created from now on have no SDL output (test mode).
bool IsTestModeOn();

}  // namespace dsound
