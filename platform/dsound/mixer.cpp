// Mixing of voices into 16-bit frames: linear resampling in 32.32 fixed
// point, fixed-point gains, saturation at the end.
#include "platform/dsound/mixer.h"

#include <cmath>

#include "platform/dsound/dsound.h"

namespace dsound {

int32_t GainForAttenuation(int32_t hundredthsOfDecibel) {
  if (hundredthsOfDecibel >= 0) {
    return kUnityGain;
  }
  if (hundredthsOfDecibel <= DSBVOLUME_MIN) {
    return 0;
  }
  return static_cast<int32_t>(std::lround(kUnityGain * std::pow(10.0, hundredthsOfDecibel / 2000.0)));
}

void SetVoiceGains(Voice* voice, int32_t volume, int32_t pan) {
  // A pan to the right attenuates the left channel and the other way round.
  voice->gainLeft = GainForAttenuation(volume - (pan > 0 ? pan : 0));
  voice->gainRight = GainForAttenuation(volume + (pan < 0 ? pan : 0));
}

namespace {

// The sample between frame position and the next one at fraction; equals
// the sample at position when fraction is 0.
inline int32_t Interpolate(int32_t s0, int32_t s1, uint32_t fraction) {
  return s0 + static_cast<int32_t>((static_cast<int64_t>(s1 - s0) * fraction) >> 32);
}

inline int32_t Scale(int32_t sample, int32_t gain) {
  return static_cast<int32_t>((static_cast<int64_t>(sample) * gain) >> 16);
}

template <uint32_t kVoiceChannels, uint32_t kOutChannels>
void MixFrames(Voice* voice, int32_t* mix, uint32_t frames, uint64_t step) {
  const int16_t* samples = voice->samples;
  const uint32_t count = voice->frames;
  const uint32_t stepFrames = static_cast<uint32_t>(step >> 32);
  const uint32_t stepFraction = static_cast<uint32_t>(step);
  uint32_t position = voice->position;
  uint32_t fraction = voice->fraction;
  for (uint32_t i = 0; i < frames; i++) {
    // A one-shot holds its last frame as the far end of the interpolation.
    uint32_t next = position + 1 < count ? position + 1 : (voice->looping ? 0 : position);
    const int16_t* a = samples + static_cast<size_t>(position) * kVoiceChannels;
    const int16_t* b = samples + static_cast<size_t>(next) * kVoiceChannels;
    int32_t left = Scale(Interpolate(a[0], b[0], fraction), voice->gainLeft);
    int32_t right;
    if (kVoiceChannels == 2) {
      right = Scale(Interpolate(a[1], b[1], fraction), voice->gainRight);
    } else {
      right = Scale(Interpolate(a[0], b[0], fraction), voice->gainRight);
    }
    if (kOutChannels == 2) {
      mix[0] += left;
      mix[1] += right;
    } else {
      mix[0] += (left + right) >> 1;
    }
    mix += kOutChannels;

    uint64_t sum = static_cast<uint64_t>(fraction) + stepFraction;
    fraction = static_cast<uint32_t>(sum);
    position += stepFrames + static_cast<uint32_t>(sum >> 32);
    if (position >= count) {
      if (!voice->looping) {
        voice->playing = false;
        position = 0;
        fraction = 0;
        break;
      }
      position %= count;
    }
  }
  voice->position = position;
  voice->fraction = fraction;
}

}  // namespace

void MixVoice(Voice* voice, int32_t* mix, uint32_t frames, uint32_t outRate, uint32_t outChannels) {
  if (!voice->playing || voice->frames == 0 || outRate == 0) {
    return;
  }
  if (voice->position >= voice->frames) {
    voice->position = 0;
    voice->fraction = 0;
  }
  const uint64_t step = (static_cast<uint64_t>(voice->frequency) << 32) / outRate;
  if (voice->channels == 2) {
    if (outChannels == 2) {
      MixFrames<2, 2>(voice, mix, frames, step);
    } else {
      MixFrames<2, 1>(voice, mix, frames, step);
    }
  } else {
    if (outChannels == 2) {
      MixFrames<1, 2>(voice, mix, frames, step);
    } else {
      MixFrames<1, 1>(voice, mix, frames, step);
    }
  }
}

void SaturateMix(const int32_t* mix, int16_t* out, size_t count) {
  for (size_t i = 0; i < count; i++) {
    int32_t s = mix[i];
    out[i] = static_cast<int16_t>(s > 32767 ? 32767 : (s < -32768 ? -32768 : s));
  }
}

}  // namespace dsound
