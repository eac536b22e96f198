// Wave output: a device plays the queued headers' bytes in order, mixed into
// DirectSound's output when that is open (an output that opens once allows
// no second beside it), otherwise through an SDL output of its own in the
// device's format. One lock guards every device and the table of open ones;
// the SDL audio thread takes it too, and posts MM_WOM_DONE under it, so a
// window sees its headers come back in the order they were written.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <vector>

#include "platform/dsound/mixer.h"
#include "platform/dsound/shared_output.h"
#include "platform/vfw/vfw.h"
#include "platform/vfw/vfw_testing.h"
#include "platform/win/win_audio.h"

struct HWAVEOUT__ {
  WAVEFORMATEX format = {};
  HWND window = nullptr;         // receives the MM_WOM_ messages; null: none
  SDL_AudioDeviceID output = 0;  // 0 in test mode and as a guest
  bool guest = false;            // mixed into DirectSound's output
  bool paused = false;
  std::deque<WAVEHDR*> queue;  // written and not yet played
  DWORD playedOfFront = 0;     // bytes of the front header already played
  // As a guest: the frame the output's next frame starts from, how far past
  // it (units of 2^-32 frame), and room for the bytes of one mix.
  int16_t carried[2] = {0, 0};
  uint32_t fraction = 0;
  std::vector<uint8_t> played;
  std::vector<int16_t> samples;
};

namespace {

// Output frames the SDL device asks for at a time.
constexpr Uint16 kOutputFrames = 1024;
constexpr DWORD kMaxSampleRate = 192000;

struct WaveState {
  std::mutex lock;
  std::vector<HWAVEOUT> devices;  // open ones, oldest first
  bool testMode = false;
  int prepareBudget = -1;  // preparations left before they fail; negative: no limit
};

WaveState& State() {
  static WaveState* state = new WaveState;  // never destroyed: the audio thread may outlive statics
  return *state;
}

bool IsOpenLocked(const WaveState& state, HWAVEOUT device) {
  return device != nullptr && std::find(state.devices.begin(), state.devices.end(), device) != state.devices.end();
}

bool IsPlayableFormat(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels >= 1 && format.nChannels <= 2 &&
         (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
         format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8 && format.nSamplesPerSec >= 1 &&
         format.nSamplesPerSec <= kMaxSampleRate;
}

void Notify(HWAVEOUT device, UINT message, LPARAM lParam) {
  if (device->window != nullptr) {
    PostMessageA(device->window, message, reinterpret_cast<WPARAM>(device), lParam);
  }
}

// Hands the front header back to its owner; the lock is held.
void FinishFrontLocked(HWAVEOUT device) {
  WAVEHDR* header = device->queue.front();
  device->queue.pop_front();
  device->playedOfFront = 0;
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_INQUEUE)) | WHDR_DONE;
  Notify(device, MM_WOM_DONE, reinterpret_cast<LPARAM>(header));
}

// Fills out with the next bytes the device plays; the lock is held.
void PlayLocked(HWAVEOUT device, Uint8* out, size_t bytes) {
  size_t filled = 0;
  while (!device->paused && !device->queue.empty()) {
    WAVEHDR* header = device->queue.front();
    const size_t left = header->dwBufferLength - std::min(device->playedOfFront, header->dwBufferLength);
    const size_t take = std::min(left, bytes - filled);
    if (take != 0) {
      memcpy(out + filled, header->lpData + device->playedOfFront, take);
    }
    filled += take;
    device->playedOfFront += static_cast<DWORD>(take);
    if (take == left) {
      FinishFrontLocked(device);
    }
    if (filled == bytes) {
      break;
    }
  }
  const Uint8 silence = device->format.wBitsPerSample == 8 ? 0x80 : 0x00;
  memset(out + filled, silence, bytes - filled);
}

// The device's bytes as 16-bit samples.
void ToSamples(const WAVEFORMATEX& format, const uint8_t* bytes, size_t count, int16_t* samples) {
  for (size_t i = 0; i < count; i++) {
    if (format.wBitsPerSample == 8) {
      samples[i] = static_cast<int16_t>((bytes[i] - 0x80) * 0x100);
    } else {
      samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
  }
}

// As a guest of DirectSound's output: plays the bytes that frames output
// frames at rate Hz take and mixes them in, resampled from the frame carried
// over from the last mix.
void MixAsGuest(void* user, int32_t* mix, uint32_t frames, uint32_t rate, uint32_t channels) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  HWAVEOUT device = static_cast<HWAVEOUT>(user);
  if (!IsOpenLocked(state, device) || rate == 0) {
    return;
  }
  const WAVEFORMATEX& format = device->format;
  const uint64_t step = (static_cast<uint64_t>(format.nSamplesPerSec) << 32) / rate;
  if (frames != 0 && step > (UINT64_MAX - UINT32_MAX) / frames) {
    return;  // rates too far apart to mix; no output asks for that many frames
  }
  const size_t fresh = static_cast<size_t>((device->fraction + step * frames) >> 32);
  const size_t perFrame = format.nChannels;
  device->played.resize(fresh * format.nBlockAlign);
  PlayLocked(device, device->played.data(), device->played.size());
  device->samples.resize((fresh + 1) * perFrame);
  std::copy(device->carried, device->carried + perFrame, device->samples.begin());
  ToSamples(format, device->played.data(), fresh * perFrame, device->samples.data() + perFrame);

  dsound::Voice voice;
  voice.samples = device->samples.data();
  voice.channels = perFrame;
  voice.frames = static_cast<uint32_t>(fresh + 1);
  voice.frequency = format.nSamplesPerSec;
  voice.playing = true;
  voice.fraction = device->fraction;
  dsound::MixVoice(&voice, mix, frames, rate, channels);
  device->fraction = voice.fraction;
  std::copy(device->samples.end() - perFrame, device->samples.end(), device->carried);
}

void AudioCallback(void* user, Uint8* stream, int length) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  PlayLocked(static_cast<HWAVEOUT>(user), stream, static_cast<size_t>(length));
}

MMRESULT OpenOutput(HWAVEOUT device) {
  if (dsound::JoinOpenOutput(MixAsGuest, device)) {
    device->guest = true;
    return MMSYSERR_NOERROR;
  }
  if (!WinStartAudio()) {
    WinReportNoSound(WinSoundLoss::kMovie, SDL_GetError());
    return MMSYSERR_NODRIVER;
  }
  SDL_AudioSpec want = {};
  want.freq = static_cast<int>(device->format.nSamplesPerSec);
  want.format = device->format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(device->format.nChannels);
  want.samples = kOutputFrames;
  want.callback = AudioCallback;
  want.userdata = device;
  // No allowed changes: SDL converts the device's format to the hardware's.
  device->output = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (device->output == 0) {
    WinReportNoSound(WinSoundLoss::kMovie, SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return MMSYSERR_ALLOCATED;
  }
  return MMSYSERR_NOERROR;
}

// Runs change, with the lock held, on a header handed to an open device that
// has not queued it.
template <typename Change>
MMRESULT ChangeIdleHeader(HWAVEOUT device, LPWAVEHDR header, UINT headerSize, Change change) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!IsOpenLocked(state, device)) {
    return MMSYSERR_INVALHANDLE;
  }
  if (header == nullptr || headerSize < sizeof(WAVEHDR) || (header->lpData == nullptr && header->dwBufferLength != 0)) {
    return MMSYSERR_INVALPARAM;
  }
  if ((header->dwFlags & WHDR_INQUEUE) != 0) {
    return WAVERR_STILLPLAYING;
  }
  return change(state);
}

MMRESULT SetPaused(HWAVEOUT device, bool paused) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!IsOpenLocked(state, device)) {
    return MMSYSERR_INVALHANDLE;
  }
  device->paused = paused;
  return MMSYSERR_NOERROR;
}

}  // namespace

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR /*instance*/, DWORD flags) {
  if (flags != CALLBACK_NULL && flags != CALLBACK_WINDOW) {
    return MMSYSERR_INVALFLAG;
  }
  if (device == nullptr || format == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  *device = nullptr;
  if (deviceId != WAVE_MAPPER && deviceId != 0) {
    return MMSYSERR_BADDEVICEID;
  }
  if (!IsPlayableFormat(*format)) {
    return WAVERR_BADFORMAT;
  }
  HWND window = flags == CALLBACK_WINDOW ? reinterpret_cast<HWND>(callback) : nullptr;
  if (flags == CALLBACK_WINDOW && !IsWindow(window)) {
    return MMSYSERR_INVALPARAM;
  }
  HWAVEOUT opened = new (std::nothrow) HWAVEOUT__;
  if (opened == nullptr) {
    return MMSYSERR_NOMEM;
  }
  opened->format = *format;
  opened->format.cbSize = 0;
  opened->window = window;
  WaveState& state = State();
  bool testMode = false;
  {
    std::lock_guard<std::mutex> guard(state.lock);
    testMode = state.testMode;
  }
  const MMRESULT result = testMode ? MMSYSERR_NOERROR : OpenOutput(opened);
  if (result != MMSYSERR_NOERROR) {
    delete opened;
    return result;
  }
  {
    std::lock_guard<std::mutex> guard(state.lock);
    state.devices.push_back(opened);
    Notify(opened, MM_WOM_OPEN, 0);
  }
  if (opened->output != 0) {
    SDL_PauseAudioDevice(opened->output, 0);
  }
  *device = opened;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT headerSize) {
  return ChangeIdleHeader(device, header, headerSize, [&](WaveState& state) -> MMRESULT {
    if (state.prepareBudget == 0) {
      return MMSYSERR_NOMEM;
    }
    if (state.prepareBudget > 0) {
      --state.prepareBudget;
    }
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT headerSize) {
  return ChangeIdleHeader(device, header, headerSize, [&](WaveState&) -> MMRESULT {
    header->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT headerSize) {
  return ChangeIdleHeader(device, header, headerSize, [&](WaveState&) -> MMRESULT {
    if ((header->dwFlags & WHDR_PREPARED) == 0) {
      return WAVERR_UNPREPARED;
    }
    header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
    device->queue.push_back(header);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT WINAPI waveOutPause(HWAVEOUT device) { return SetPaused(device, true); }

MMRESULT WINAPI waveOutRestart(HWAVEOUT device) { return SetPaused(device, false); }

MMRESULT WINAPI waveOutReset(HWAVEOUT device) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!IsOpenLocked(state, device)) {
    return MMSYSERR_INVALHANDLE;
  }
  while (!device->queue.empty()) {
    FinishFrontLocked(device);
  }
  device->paused = false;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT device) {
  WaveState& state = State();
  {
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsOpenLocked(state, device)) {
      return MMSYSERR_INVALHANDLE;
    }
    if (!device->queue.empty()) {
      return WAVERR_STILLPLAYING;
    }
    state.devices.erase(std::find(state.devices.begin(), state.devices.end(), device));
    Notify(device, MM_WOM_CLOSE, 0);
  }
  // Outside the lock: closing, or leaving the shared output, waits for a
  // running mix, which takes it.
  if (device->guest) {
    dsound::LeaveOutput(device);
  }
  if (device->output != 0) {
    SDL_CloseAudioDevice(device->output);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  delete device;
  return MMSYSERR_NOERROR;
}

BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT /*flags*/) { return sound == nullptr ? TRUE : FALSE; }

namespace vfwtest {

void SetWaveTestMode(bool on) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.testMode = on;
}

HWAVEOUT NewestWaveOut() {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.devices.empty() ? nullptr : state.devices.back();
}

std::vector<uint8_t> PumpWaveOut(HWAVEOUT device, size_t bytes) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!IsOpenLocked(state, device) || device->output != 0 || device->guest) {
    return {};
  }
  std::vector<uint8_t> played(bytes);
  PlayLocked(device, played.data(), bytes);
  return played;
}

void FailPrepareAfter(int headers) {
  WaveState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.prepareBudget = headers;
}

}  // namespace vfwtest
