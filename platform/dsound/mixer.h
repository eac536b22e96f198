// The stand-in's mixer: one voice per secondary buffer, resampled, scaled and
// summed into 16-bit output frames. Nothing here locks; callers hold the
// device's lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dsound {

// Gains are fixed point with 16 fraction bits: a sample times kUnityGain,
// shifted right by 16, is the sample itself.
constexpr int32_t kUnityGain = 1 << 16;

// The gain of an attenuation in hundredths of a decibel (0 or above: unity;
// DSBVOLUME_MIN or below: silence).
int32_t GainForAttenuation(int32_t hundredthsOfDecibel);

struct Voice {
  const int16_t* samples = nullptr;  // frames of channels interleaved samples
  uint32_t channels = 1;
  uint32_t frames = 0;
  uint32_t frequency = 22050;  // Hz the samples are consumed at
  int32_t gainLeft = kUnityGain;
  int32_t gainRight = kUnityGain;
  bool playing = false;
  bool looping = false;
  uint32_t position = 0;  // frame about to be played
  uint32_t fraction = 0;  // of the way to the next frame, in units of 2^-32
};

// Sets the voice's channel gains from a volume and a pan (both in hundredths
// of a decibel, DSBVOLUME and DSBPAN ranges).
void SetVoiceGains(Voice* voice, int32_t volume, int32_t pan);

// Adds frames output frames of a playing voice to mix (outChannels int32
// samples a frame, outRate Hz) and advances its cursor; a one-shot voice that
// reaches its end stops with its cursor back at 0.
void MixVoice(Voice* voice, int32_t* mix, uint32_t frames, uint32_t outRate, uint32_t outChannels);

// Saturates count mixed samples to 16 bits.
void SaturateMix(const int32_t* mix, int16_t* out, size_t count);

}  // namespace dsound
