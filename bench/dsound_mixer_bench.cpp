// Cost of the DirectSound stand-in's mixer: 32 looping buffers at mixed rates,
// volumes and pans, mono and stereo, mixed for one second of output. The
// counter "realtime" is seconds of sound mixed per second of time: how many
// times faster than real time the mixer runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/dsound_testing.h"

namespace {

constexpr int kBufferCount = 32;
constexpr DWORD kBufferFrames = 22050;  // a second at the output rate

// A test-mode device with a playing primary buffer at rate Hz, stereo, and
// the 32 playing buffers.
class Mixer {
 public:
  explicit Mixer(DWORD rate) {
    dsoundtest::SetTestMode(true);
    DirectSoundCreate8(nullptr, &device_, nullptr);
    device_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    device_->CreateSoundBuffer(&desc, &primary_, nullptr);
    WAVEFORMATEX format = dsoundtest::PcmFormat(2, rate);
    primary_->SetFormat(&format);
    primary_->Play(0, 0, DSBPLAY_LOOPING);
    const DWORD rates[] = {8000, 11025, 22050, 44100, 48000, 16000, 32000, 22050};
    for (int i = 0; i < kBufferCount; i++) {
      WORD channels = static_cast<WORD>(1 + i % 2);
      WAVEFORMATEX bufferFormat = dsoundtest::PcmFormat(channels, rates[i % 8]);
      desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
      desc.dwBufferBytes = kBufferFrames * bufferFormat.nBlockAlign;
      desc.lpwfxFormat = &bufferFormat;
      IDirectSoundBuffer* buffer = nullptr;
      device_->CreateSoundBuffer(&desc, &buffer, nullptr);
      Fill(buffer, 40.0 + i);
      buffer->SetVolume(-100 * (i % 10));
      buffer->SetPan(-3600 + 240 * i);
      buffer->Play(0, 0, DSBPLAY_LOOPING);
      buffers_.push_back(buffer);
    }
  }
  ~Mixer() {
    for (IDirectSoundBuffer* buffer : buffers_) {
      buffer->Release();
    }
    primary_->Release();
    device_->Release();
    dsoundtest::SetTestMode(false);
  }
  IDirectSound8* device() const { return device_; }

 private:
  static void Fill(IDirectSoundBuffer* buffer, double period) {
    void* part = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    std::vector<int16_t> samples(bytes / 2);
    for (size_t i = 0; i < samples.size(); i++) {
      samples[i] = static_cast<int16_t>(8000.0 * std::sin(6.283185307179586 * static_cast<double>(i) / period));
    }
    memcpy(part, samples.data(), bytes);
    buffer->Unlock(part, bytes, nullptr, 0);
  }

  IDirectSound8* device_ = nullptr;
  IDirectSoundBuffer* primary_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

void BM_MixOneSecond(benchmark::State& state) {
  const uint32_t rate = static_cast<uint32_t>(state.range(0));
  Mixer mixer(rate);
  for (auto _ : state) {
    std::vector<int16_t> out = dsoundtest::PumpFrames(mixer.device(), rate);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixOneSecond)->Arg(22050)->Arg(44100)->Unit(benchmark::kMillisecond);

}  // namespace
