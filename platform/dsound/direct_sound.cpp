// The DirectSound device: its cooperative level, its buffers and its output,
// an SDL audio device opened in the primary buffer's format whose callback
// runs the mixer.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/dsound/dsound_internal.h"
#include "platform/win/win_audio.h"

namespace dsound {

namespace {

constexpr DWORD kDefaultOutputRate = 22050;
constexpr WORD kDefaultOutputBits = 16;
constexpr WORD kDefaultOutputChannels = 2;

// 8 or 16-bit PCM, mono or stereo, in the frequency range, with consistent
// block and byte rates.
HRESULT CheckOutputFormat(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM || (format.nChannels != 1 && format.nChannels != 2) ||
      (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) || format.nSamplesPerSec < DSBFREQUENCY_MIN ||
      format.nSamplesPerSec > DSBFREQUENCY_MAX) {
    return DSERR_BADFORMAT;
  }
  if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8 ||
      format.nAvgBytesPerSec != format.nBlockAlign * format.nSamplesPerSec) {
    return DSERR_INVALIDPARAM;
  }
  return DS_OK;
}

}  // namespace

Device::Device(bool testMode)
    : mTestMode(testMode),
      mAudioStarted(!testMode),
      mFormat(PcmFormat(kDefaultOutputChannels, kDefaultOutputRate, kDefaultOutputBits)) {
  RegisterDevice(this);
}

Device::~Device() {
  CloseOutput();
  if (mAudioStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  UnregisterDevice(this);
}

ULONG Device::AddRef() { return ++mRefs; }

ULONG Device::Release() {
  ULONG left = --mRefs;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT Device::SetCooperativeLevel(HWND, DWORD level) {
  if (HRESULT hr = EnterCall("SetCooperativeLevel"); FAILED(hr)) {
    return hr;
  }
  // Writing the primary buffer directly is not offered: the mixer owns it.
  if (level == DSSCL_WRITEPRIMARY) {
    return DSERR_UNSUPPORTED;
  }
  if (level < DSSCL_NORMAL || level > DSSCL_EXCLUSIVE) {
    return DSERR_INVALIDPARAM;
  }
  mLevel = level;
  return DS_OK;
}

HRESULT Device::CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, void* outer) {
  if (HRESULT hr = EnterCall("CreateSoundBuffer"); FAILED(hr)) {
    return hr;
  }
  if (buffer == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *buffer = nullptr;
  if (outer != nullptr) {
    return DSERR_NOAGGREGATION;
  }
  if (desc == nullptr || desc->dwSize != sizeof(DSBUFFERDESC)) {
    return DSERR_INVALIDPARAM;
  }
  if (mLevel == 0) {
    return DSERR_PRIOLEVELNEEDED;
  }
  if (HRESULT hr = SoundBuffer::CheckDesc(*desc); FAILED(hr)) {
    return hr;
  }
  if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0 && mPrimary != nullptr) {
    mPrimary->AddRef();
    *buffer = mPrimary;
    return DS_OK;
  }
  SoundBuffer* made = nullptr;
  HRESULT hr = SoundBuffer::Create(this, *desc, &made);
  if (FAILED(hr)) {
    return hr;
  }
  if (made->IsPrimary()) {
    mPrimary = made;
  } else {
    std::lock_guard<std::mutex> guard(mLock);
    mBuffers.push_back(made);
  }
  *buffer = made;
  return DS_OK;
}

size_t Device::BufferCount() {
  std::lock_guard<std::mutex> guard(mLock);
  return mBuffers.size();
}

void Device::ForgetBuffer(SoundBuffer* buffer) {
  if (buffer == mPrimary) {
    mPrimary = nullptr;
    return;
  }
  std::lock_guard<std::mutex> guard(mLock);
  mBuffers.erase(std::remove(mBuffers.begin(), mBuffers.end(), buffer), mBuffers.end());
}

HRESULT Device::SetOutputFormat(const WAVEFORMATEX& format) {
  if (mLevel < DSSCL_PRIORITY) {
    return DSERR_PRIOLEVELNEEDED;
  }
  if (HRESULT hr = CheckOutputFormat(format); FAILED(hr)) {
    return hr;
  }
  WAVEFORMATEX previous = mFormat;
  // The callback takes the lock, and closing waits for the callback: close
  // first, then change the format under the lock.
  CloseOutput();
  {
    std::lock_guard<std::mutex> guard(mLock);
    mFormat = PcmFormat(format.nChannels, format.nSamplesPerSec, format.wBitsPerSample);
  }
  if (mTestMode) {
    return DS_OK;
  }
  // Opened here, so that a missing audio device shows as a failed format.
  HRESULT hr = OpenOutput();
  if (FAILED(hr)) {
    std::lock_guard<std::mutex> guard(mLock);
    mFormat = previous;
  }
  return hr;
}

HRESULT Device::StartOutput() {
  if (!mTestMode && mOutput == 0) {
    if (HRESULT hr = OpenOutput(); FAILED(hr)) {
      return hr;
    }
  }
  {
    std::lock_guard<std::mutex> guard(mLock);
    mOutputPlaying = true;
  }
  UpdatePause();
  return DS_OK;
}

void Device::StopOutput() {
  {
    std::lock_guard<std::mutex> guard(mLock);
    mOutputPlaying = false;
  }
  UpdatePause();
}

// Made outside the lock: SDL holds its own device lock around the callback,
// which takes this one.
void Device::UpdatePause() {
  bool running = false;
  {
    std::lock_guard<std::mutex> guard(mLock);
    running = mOutputPlaying || !mGuests.empty();
  }
  if (mOutput != 0) {
    SDL_PauseAudioDevice(mOutput, running ? 0 : 1);
  }
}

bool Device::IsOutputPlaying() {
  std::lock_guard<std::mutex> guard(mLock);
  return mOutputPlaying;
}

HRESULT Device::OpenOutput() {
  SDL_AudioSpec want = {};
  want.freq = static_cast<int>(mFormat.nSamplesPerSec);
  want.format = mFormat.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(mFormat.nChannels);
  want.samples = kOutputFrames;
  want.callback = AudioCallback;
  want.userdata = this;
  SDL_AudioSpec have = {};
  // No allowed changes: SDL converts our format to the hardware's.
  mOutput = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (mOutput == 0) {
    WinReportNoSound(WinSoundLoss::kAll, SDL_GetError());
    return DSERR_NODRIVER;
  }
  UpdatePause();
  return DS_OK;
}

void Device::CloseOutput() {
  if (mOutput != 0) {
    SDL_CloseAudioDevice(mOutput);
    mOutput = 0;
  }
}

bool Device::AddGuest(GuestMix mix, void* guest) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mOutput == 0) {
      return false;
    }
    mGuests.push_back({mix, guest});
  }
  UpdatePause();
  return true;
}

bool Device::RemoveGuest(void* guest) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    auto found = std::find_if(mGuests.begin(), mGuests.end(), [&](const Guest& g) { return g.guest == guest; });
    if (found == mGuests.end()) {
      return false;
    }
    mGuests.erase(found);
  }
  UpdatePause();
  return true;
}

void Device::MixLocked(int16_t* out, uint32_t frames) {
  const uint32_t channels = mFormat.nChannels;
  const size_t count = static_cast<size_t>(frames) * channels;
  mMix.assign(count, 0);
  if (mOutputPlaying) {
    for (SoundBuffer* buffer : mBuffers) {
      MixVoice(&buffer->GetVoice(), mMix.data(), frames, mFormat.nSamplesPerSec, channels);
    }
  }
  for (const Guest& guest : mGuests) {
    guest.mix(guest.guest, mMix.data(), frames, mFormat.nSamplesPerSec, channels);
  }
  SaturateMix(mMix.data(), out, count);
}

void Device::StartRecording(size_t samples) {
  std::lock_guard<std::mutex> guard(mLock);
  mRecorded.clear();
  mRecordWanted = samples;
}

std::vector<int16_t> Device::Recorded() {
  std::lock_guard<std::mutex> guard(mLock);
  return mRecorded;
}

std::vector<int16_t> Device::PumpFrames(uint32_t frames) {
  std::lock_guard<std::mutex> guard(mLock);
  std::vector<int16_t> out(static_cast<size_t>(frames) * mFormat.nChannels);
  MixLocked(out.data(), frames);
  return out;
}

void Device::AudioCallback(void* user, Uint8* stream, int length) {
  Device* device = static_cast<Device*>(user);
  std::lock_guard<std::mutex> guard(device->mLock);
  const uint32_t frameBytes = device->mFormat.nBlockAlign;
  const uint32_t frames = static_cast<uint32_t>(length) / frameBytes;
  device->mSaturated.resize(static_cast<size_t>(frames) * device->mFormat.nChannels);
  device->MixLocked(device->mSaturated.data(), frames);
  const size_t record = std::min(device->mRecordWanted - device->mRecorded.size(), device->mSaturated.size());
  device->mRecorded.insert(device->mRecorded.end(), device->mSaturated.begin(), device->mSaturated.begin() + record);
  // A part frame at the end of the stream stays silent.
  memset(stream, device->mFormat.wBitsPerSample == 8 ? 128 : 0, static_cast<size_t>(length));
  if (device->mFormat.wBitsPerSample == 16) {
    memcpy(stream, device->mSaturated.data(), device->mSaturated.size() * sizeof(int16_t));
  } else {
    // Unsigned 8-bit: the top byte, offset to 128 for silence.
    for (size_t i = 0; i < device->mSaturated.size(); i++) {
      stream[i] = static_cast<Uint8>((device->mSaturated[i] + 32768) >> 8);
    }
  }
}

WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = bits;
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = format.nBlockAlign * rate;
  return format;
}

}  // namespace dsound

HRESULT WINAPI DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* directSound, void* outer) {
  if (directSound == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  *directSound = nullptr;
  if (HRESULT hr = dsound::EnterCall("DirectSoundCreate8"); FAILED(hr)) {
    return hr;
  }
  if (outer != nullptr) {
    return DSERR_NOAGGREGATION;
  }
  // Only the default playback device exists.
  if (device != nullptr) {
    return DSERR_NODRIVER;
  }
  bool testMode = dsound::IsTestModeOn();
  if (!testMode && !WinStartAudio()) {
    WinReportNoSound(WinSoundLoss::kAll, SDL_GetError());
    return DSERR_NODRIVER;
  }
  dsound::Device* made = new (std::nothrow) dsound::Device(testMode);
  if (made == nullptr) {
    if (!testMode) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return DSERR_OUTOFMEMORY;
  }
  *directSound = made;
  return DS_OK;
}
