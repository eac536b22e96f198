// Sounds, music loops and movies: short, small and distinct, each made from
// fixed numbers only.
#include <cmath>
#include <string>
#include <vector>

#include "tools/demo/demo.h"
#include "tools/forge/files/avi_writer.h"
#include "tools/forge/files/ogg_writer.h"
#include "tools/forge/files/wav_writer.h"

namespace demo {
namespace {

constexpr uint32_t kSoundRate = 22050;
constexpr double kPi = 3.14159265358979323846;

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A deterministic noise source (a 32-bit linear congruential generator).
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
  }

 private:
  uint32_t state_;
};

// Sound i: a tone a semitone above sound i - 1, or, for the steps and the
// machinery of the level ("mv_", "env_"), noise filtered to a pitch of its own;
// both fade in and out so that they start and end silently.
std::vector<int16_t> SoundSamples(const std::string& name, size_t index) {
  const bool noisy = name.compare(0, 7, "sfx/mv_") == 0 || name.compare(0, 8, "sfx/env_") == 0;
  const size_t frames = kSoundRate * (noisy ? 15 : 25) / 100;
  const double frequency = 220.0 * std::pow(2.0, static_cast<double>(index) / 12.0);
  const double smoothing = 1.0 / (1.0 + static_cast<double>(index % 16));
  Noise noise(static_cast<uint32_t>(index) * 7919u + 1u);
  std::vector<int16_t> samples(frames);
  double filtered = 0.0;
  const size_t ramp = frames / 10;
  for (size_t i = 0; i < frames; i++) {
    double envelope = 1.0;
    if (i < ramp) {
      envelope = static_cast<double>(i) / ramp;
    } else if (i >= frames - ramp) {
      envelope = static_cast<double>(frames - 1 - i) / ramp;
    }
    double value;
    if (noisy) {
      filtered += (noise.Next() - filtered) * smoothing;
      value = filtered;
    } else {
      value = std::sin(2.0 * kPi * frequency * static_cast<double>(i) / kSoundRate);
    }
    samples[i] = static_cast<int16_t>(std::lround(value * envelope * 12000.0));
  }
  return samples;
}

// Track t: a two-second chord over a root of its own, every partial a whole
// number of cycles long and the swell one full cycle, so the end meets the
// start without a click.
std::vector<int16_t> MusicSamples(size_t track) {
  constexpr size_t kSeconds = 2;
  const size_t frames = kSoundRate * kSeconds;
  const double root = 110.0 + 10.0 * static_cast<double>(track);  // whole hertz
  const double partials[3] = {root, root * 1.5, root * 2.0};      // halves: whole cycles in 2 s
  std::vector<int16_t> samples(frames);
  for (size_t i = 0; i < frames; i++) {
    const double t = static_cast<double>(i) / kSoundRate;
    const double swell = 0.75 + 0.25 * std::sin(2.0 * kPi * t / kSeconds);
    double value = 0.0;
    for (double partial : partials) {
      value += std::sin(2.0 * kPi * partial * t) / 3.0;
    }
    samples[i] = static_cast<int16_t>(std::lround(value * swell * 10000.0));
  }
  return samples;
}

}  // namespace

const std::vector<std::string>& SoundNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all = {
        "sfx/al_1",           "sfx/al_2",         "sfx/al_3",           "sfx/en_bossshoot",  "sfx/en_fall",
        "sfx/en_shoot",       "sfx/env_buzz",     "sfx/env_machinery",  "sfx/env_steam",     "sfx/gui_panelchange",
        "sfx/gui_panelin",    "sfx/gui_panelout", "sfx/im_cantuse",     "sfx/im_dartgun",    "sfx/im_dartshoot",
        "sfx/im_eds",         "sfx/im_hologram",  "sfx/im_laser",       "sfx/im_shield",     "sfx/im_shock",
        "sfx/im_ultra",       "sfx/me_move",      "sfx/me_screen",      "sfx/me_select",     "sfx/mv_changeposture",
        "sfx/ob_doorclose",   "sfx/ob_dooropen",  "sfx/pl_die",         "sfx/pl_hackfail",   "sfx/pl_hacking",
        "sfx/pl_hackpress",   "sfx/pl_hackstart", "sfx/pl_hacksuccess", "sfx/pl_hurt_plain", "sfx/pl_hurt_shield",
        "sfx/pl_searchstart", "sfx/pl_select",    "sfx/pl_success",     "sfx/pl_text",       "sfx/pl_textout",
        "sfx/pl_use",         "sfx/sr_energy",    "sfx/sr_health",      "sfx/sr_keycard",    "sfx/sr_memo",
        "sfx/sr_mission",     "sfx/sr_pizza"};
    // The steps: "_l" and "_r" feet, three variants each.
    for (const char* gait : {"run", "sneak", "walk"}) {
      for (int variant = 0; variant < 3; variant++) {
        for (const char* foot : {"l", "r"}) {
          all.push_back(std::string("sfx/mv_") + gait + "_" + foot + "0" + std::to_string(variant));
        }
      }
    }
    return all;
  }();
  return names;
}

const std::vector<std::string>& MusicNames() {
  static const std::vector<std::string> names = {"INTRO",    "INGAME01", "INGAME02", "INGAME03", "INGAME04",
                                                 "INGAME05", "INGAME06", "INGAME07", "INGAME08", "INGAME09"};
  return names;
}

const std::vector<std::string>& MovieNames() {
  static const std::vector<std::string> names = {"final", "intervie", "stunts"};
  return names;
}

void WriteSounds(DataFolder& data) {
  const std::vector<std::string>& names = SoundNames();
  for (size_t i = 0; i < names.size(); i++) {
    data.Write("data/media/" + names[i] + ".wav",
               Bytes(WavWriter::Pcm16(1, kSoundRate, SoundSamples(names[i], i)).Build()));
  }
}

void WriteMusic(DataFolder& data) {
  const std::vector<std::string>& names = MusicNames();
  for (size_t i = 0; i < names.size(); i++) {
    OggWriter writer = OggWriter::Vorbis(1, kSoundRate, MusicSamples(i));
    writer.quality = 0.0f;
    writer.serial = static_cast<int>(i) + 1;
    data.Write("data/media/music/" + names[i] + ".ogg", Bytes(writer.Build()));
  }
}

void WriteMovies(DataFolder& data) {
  // Two seconds and more of frames, a second longer per movie.
  const std::vector<std::string>& names = MovieNames();
  for (size_t i = 0; i < names.size(); i++) {
    AviWriter writer;
    writer.width = 64;
    writer.height = 64;
    writer.frames = 30 + 15 * static_cast<int>(i);
    writer.rate = 15;
    writer.withSound = true;
    writer.sampleRate = kSoundRate;
    data.Write("data/movies/" + names[i] + ".avi", Bytes(writer.Build()));
  }
}

}  // namespace demo
