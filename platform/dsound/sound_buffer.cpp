// DirectSound buffers. The primary buffer stands for the device's output
// (format, start, pause); a secondary buffer holds 16-bit samples and the
// voice the mixer plays them through.
#include <cstring>
#include <new>

#include "platform/dsound/dsound_internal.h"

namespace dsound {

namespace {

// Flags that make no sense on the primary buffer here.
constexpr DWORD kPrimaryRefused = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPOSITIONNOTIFY;

HRESULT CheckSecondaryFormat(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.wBitsPerSample != 16 ||
      (format.nChannels != 1 && format.nChannels != 2) || format.nSamplesPerSec < DSBFREQUENCY_MIN ||
      format.nSamplesPerSec > DSBFREQUENCY_MAX) {
    return DSERR_BADFORMAT;
  }
  if (format.nBlockAlign != format.nChannels * 2) {
    return DSERR_INVALIDPARAM;
  }
  return DS_OK;
}

}  // namespace

SoundBuffer::SoundBuffer(Device* device, bool primary, DWORD flags)
    : mDevice(device), mPrimary(primary), mFlags(flags) {
  mDevice->AddRef();
}

SoundBuffer::~SoundBuffer() {
  mDevice->ForgetBuffer(this);
  mDevice->Release();
}

HRESULT SoundBuffer::CheckDesc(const DSBUFFERDESC& desc) {
  if ((desc.dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
    if ((desc.dwFlags & kPrimaryRefused) != 0 || desc.dwBufferBytes != 0 || desc.lpwfxFormat != nullptr) {
      return DSERR_INVALIDPARAM;
    }
    return DS_OK;
  }
  // The game computes 3-D itself; secondary buffers have no 3-D control.
  if ((desc.dwFlags & DSBCAPS_CTRL3D) != 0 || desc.lpwfxFormat == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (HRESULT hr = CheckSecondaryFormat(*desc.lpwfxFormat); FAILED(hr)) {
    return hr;
  }
  if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX) {
    return DSERR_INVALIDPARAM;
  }
  return DS_OK;
}

HRESULT SoundBuffer::Create(Device* device, const DSBUFFERDESC& desc, SoundBuffer** out) {
  *out = nullptr;
  if (HRESULT hr = CheckDesc(desc); FAILED(hr)) {
    return hr;
  }
  if ((desc.dwFlags & DSBCAPS_PRIMARYBUFFER) != 0) {
    *out = new (std::nothrow) SoundBuffer(device, true, desc.dwFlags);
    return *out != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
  }
  SoundBuffer* buffer = new (std::nothrow) SoundBuffer(device, false, desc.dwFlags);
  if (buffer == nullptr) {
    return DSERR_OUTOFMEMORY;
  }
  buffer->mSamples.reset(new (std::nothrow) int16_t[(desc.dwBufferBytes + 1) / 2]());
  if (buffer->mSamples == nullptr) {
    buffer->Release();
    return DSERR_OUTOFMEMORY;
  }
  buffer->mFormat = *desc.lpwfxFormat;
  buffer->mFormat.cbSize = 0;
  buffer->mBytes = desc.dwBufferBytes;
  Voice& voice = buffer->mVoice;
  voice.samples = buffer->mSamples.get();
  voice.channels = buffer->mFormat.nChannels;
  voice.frames = buffer->mBytes / buffer->mFormat.nBlockAlign;
  voice.frequency = buffer->mFormat.nSamplesPerSec;
  *out = buffer;
  return DS_OK;
}

ULONG SoundBuffer::AddRef() { return ++mRefs; }

ULONG SoundBuffer::Release() {
  ULONG left = --mRefs;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT SoundBuffer::EnterSecondary(const char* method, DWORD flag) const {
  if (HRESULT hr = EnterCall(method); FAILED(hr)) {
    return hr;
  }
  if (mPrimary) {
    return DSERR_INVALIDCALL;
  }
  if (flag != 0 && (mFlags & flag) == 0) {
    return DSERR_CONTROLUNAVAIL;
  }
  return DS_OK;
}

HRESULT SoundBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
  if (HRESULT hr = EnterSecondary("GetCurrentPosition", 0); FAILED(hr)) {
    return hr;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  DWORD position = mVoice.position * mFormat.nBlockAlign;
  if (playCursor != nullptr) {
    *playCursor = position;
  }
  if (writeCursor != nullptr) {
    *writeCursor = position;
  }
  return DS_OK;
}

HRESULT SoundBuffer::GetVolume(LPLONG volume) {
  if (HRESULT hr = EnterSecondary("GetVolume", DSBCAPS_CTRLVOLUME); FAILED(hr)) {
    return hr;
  }
  if (volume == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *volume = mVolume;
  return DS_OK;
}

HRESULT SoundBuffer::GetPan(LPLONG pan) {
  if (HRESULT hr = EnterSecondary("GetPan", DSBCAPS_CTRLPAN); FAILED(hr)) {
    return hr;
  }
  if (pan == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *pan = mPan;
  return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(LPDWORD frequency) {
  if (HRESULT hr = EnterSecondary("GetFrequency", DSBCAPS_CTRLFREQUENCY); FAILED(hr)) {
    return hr;
  }
  if (frequency == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  *frequency = mVoice.frequency;
  return DS_OK;
}

HRESULT SoundBuffer::GetStatus(LPDWORD status) {
  if (HRESULT hr = EnterCall("GetStatus"); FAILED(hr)) {
    return hr;
  }
  if (status == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (mPrimary) {
    *status = mDevice->IsOutputPlaying() ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : 0;
    return DS_OK;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  *status = 0;
  if (mVoice.playing) {
    *status = DSBSTATUS_PLAYING | (mVoice.looping ? DSBSTATUS_LOOPING : 0);
  }
  return DS_OK;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                          DWORD flags) {
  if (HRESULT hr = EnterCall("Lock"); FAILED(hr)) {
    return hr;
  }
  if (mPrimary) {
    return DSERR_PRIOLEVELNEEDED;
  }
  if (part1 == nullptr || bytes1 == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) {
    offset = mVoice.position * mFormat.nBlockAlign;
  }
  if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
    bytes = mBytes;
  }
  if (offset >= mBytes || bytes == 0 || bytes > mBytes) {
    return DSERR_INVALIDPARAM;
  }
  LockedRegion region;
  region.offset = offset;
  region.bytes1 = bytes < mBytes - offset ? bytes : mBytes - offset;
  region.bytes2 = bytes - region.bytes1;
  if (region.bytes2 != 0 && (part2 == nullptr || bytes2 == nullptr)) {
    return DSERR_INVALIDPARAM;
  }
  region.copy.reset(new (std::nothrow) uint8_t[bytes]);
  if (region.copy == nullptr) {
    return DSERR_OUTOFMEMORY;
  }
  const uint8_t* data = reinterpret_cast<const uint8_t*>(mSamples.get());
  memcpy(region.copy.get(), data + offset, region.bytes1);
  memcpy(region.copy.get() + region.bytes1, data, region.bytes2);
  *part1 = region.copy.get();
  *bytes1 = region.bytes1;
  if (part2 != nullptr) {
    *part2 = region.bytes2 != 0 ? region.copy.get() + region.bytes1 : nullptr;
  }
  if (bytes2 != nullptr) {
    *bytes2 = region.bytes2;
  }
  mLocks.push_back(std::move(region));
  return DS_OK;
}

HRESULT SoundBuffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) {
  if (HRESULT hr = EnterSecondary("Unlock", 0); FAILED(hr)) {
    return hr;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  for (auto it = mLocks.begin(); it != mLocks.end(); ++it) {
    if (it->copy.get() != part1) {
      continue;
    }
    uint8_t* second = it->bytes2 != 0 ? it->copy.get() + it->bytes1 : nullptr;
    if (bytes1 > it->bytes1 || bytes2 > it->bytes2 || (bytes2 != 0 && part2 != second)) {
      return DSERR_INVALIDPARAM;
    }
    uint8_t* data = reinterpret_cast<uint8_t*>(mSamples.get());
    memcpy(data + it->offset, it->copy.get(), bytes1);
    memcpy(data, it->copy.get() + it->bytes1, bytes2);
    mLocks.erase(it);
    return DS_OK;
  }
  return DSERR_INVALIDPARAM;
}

HRESULT SoundBuffer::Play(DWORD reserved1, DWORD priority, DWORD flags) {
  if (HRESULT hr = EnterCall("Play"); FAILED(hr)) {
    return hr;
  }
  if (reserved1 != 0 || priority != 0) {
    return DSERR_INVALIDPARAM;
  }
  if (mPrimary) {
    // The primary buffer only ever plays looping.
    if ((flags & DSBPLAY_LOOPING) == 0) {
      return DSERR_INVALIDPARAM;
    }
    return mDevice->StartOutput();
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mVoice.playing = true;
  mVoice.looping = (flags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT SoundBuffer::Stop() {
  if (HRESULT hr = EnterCall("Stop"); FAILED(hr)) {
    return hr;
  }
  if (mPrimary) {
    mDevice->StopOutput();
    return DS_OK;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mVoice.playing = false;
  return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD newPosition) {
  if (HRESULT hr = EnterSecondary("SetCurrentPosition", 0); FAILED(hr)) {
    return hr;
  }
  if (newPosition >= mBytes) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mVoice.position = newPosition / mFormat.nBlockAlign;
  mVoice.fraction = 0;
  return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX format) {
  if (HRESULT hr = EnterCall("SetFormat"); FAILED(hr)) {
    return hr;
  }
  if (!mPrimary) {
    return DSERR_INVALIDCALL;
  }
  if (format == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  return mDevice->SetOutputFormat(*format);
}

HRESULT SoundBuffer::SetVolume(LONG volume) {
  if (HRESULT hr = EnterSecondary("SetVolume", DSBCAPS_CTRLVOLUME); FAILED(hr)) {
    return hr;
  }
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mVolume = volume;
  SetVoiceGains(&mVoice, mVolume, mPan);
  return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
  if (HRESULT hr = EnterSecondary("SetPan", DSBCAPS_CTRLPAN); FAILED(hr)) {
    return hr;
  }
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mPan = pan;
  SetVoiceGains(&mVoice, mVolume, mPan);
  return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
  if (HRESULT hr = EnterSecondary("SetFrequency", DSBCAPS_CTRLFREQUENCY); FAILED(hr)) {
    return hr;
  }
  if (frequency == DSBFREQUENCY_ORIGINAL) {
    frequency = mFormat.nSamplesPerSec;
  }
  if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) {
    return DSERR_INVALIDPARAM;
  }
  std::lock_guard<std::mutex> guard(mDevice->GetLock());
  mVoice.frequency = frequency;
  return DS_OK;
}

}  // namespace dsound
