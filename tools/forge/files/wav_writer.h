// Builds WAV files for tests and data: the RIFF header, a format chunk, chunks before
// the data, and the "data" chunk, with hooks for damaged files. Also the 16-bit
// tones the sound tests play and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/forge/files/whole_file.h"

struct WavChunk {
  std::string id;  // 4 characters
  std::string body;
  int64_t sizeOverride = -1;  // written instead of the body's size
};

class WavWriter {
 public:
  // 16-bit PCM holding samples (interleaved when stereo).
  static WavWriter Pcm16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples);

  uint16_t formatTag = 1;  // PCM
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  // Bytes of the format chunk's body: the fields are cut to it, or padded with
  // zeros past their 16 bytes.
  uint32_t formatSize = 16;
  std::vector<WavChunk> before;  // between the format and "data" chunks
  bool hasData = true;
  std::string data;
  int64_t dataSizeOverride = -1;  // written instead of the data's size
  // Cuts the file to this many bytes (negative: whole).
  int64_t truncateTo = -1;

  // Odd-sized chunks get their pad byte.
  std::string Build() const;
  bool WriteFile(const std::string& path) const { return WriteWholeFile(path, Build()); }
};

// frames frames of a sine tone with period frames a cycle, amplitude at most
// 32767; a stereo tone has its right channel at half the left's amplitude.
std::vector<int16_t> ToneSamples(size_t frames, uint16_t channels, double period, double amplitude);
// The samples' little-endian bytes.
std::string SampleBytes(const std::vector<int16_t>& samples);
// One channel of interleaved samples.
std::vector<int16_t> ChannelOf(const std::vector<int16_t>& samples, uint16_t channels, uint16_t channel);
