// WavWriter: little-endian RIFF WAVE writer.
#include "tools/forge/files/wav_writer.h"

#include <cmath>

namespace {

void PutU16(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string* out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PutChunk(std::string* out, const std::string& id, uint32_t size, const std::string& body) {
  *out += id;
  PutU32(out, size);
  *out += body;
  if (body.size() % 2 != 0) {
    out->push_back('\0');
  }
}

}  // namespace

WavWriter WavWriter::Pcm16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
  WavWriter writer;
  writer.channels = channels;
  writer.rate = rate;
  writer.data = SampleBytes(samples);
  return writer;
}

std::string WavWriter::Build() const {
  std::string format;
  uint32_t blockAlign = channels * bits / 8;
  PutU16(&format, formatTag);
  PutU16(&format, channels);
  PutU32(&format, rate);
  PutU32(&format, blockAlign * rate);
  PutU16(&format, blockAlign);
  PutU16(&format, bits);
  format.resize(formatSize, '\0');

  std::string out = "RIFF";
  PutU32(&out, 0);  // patched below
  out += "WAVE";
  PutChunk(&out, "fmt ", formatSize, format);
  for (const WavChunk& chunk : before) {
    uint32_t size =
        chunk.sizeOverride >= 0 ? static_cast<uint32_t>(chunk.sizeOverride) : static_cast<uint32_t>(chunk.body.size());
    PutChunk(&out, chunk.id, size, chunk.body);
  }
  if (hasData) {
    uint32_t size =
        dataSizeOverride >= 0 ? static_cast<uint32_t>(dataSizeOverride) : static_cast<uint32_t>(data.size());
    PutChunk(&out, "data", size, data);
  }
  std::string riffSize;
  PutU32(&riffSize, static_cast<uint32_t>(out.size() - 8));
  out.replace(4, 4, riffSize);
  if (truncateTo >= 0 && static_cast<size_t>(truncateTo) < out.size()) {
    out.resize(static_cast<size_t>(truncateTo));
  }
  return out;
}

std::vector<int16_t> ToneSamples(size_t frames, uint16_t channels, double period, double amplitude) {
  std::vector<int16_t> samples;
  samples.reserve(frames * channels);
  const double kTwoPi = 6.283185307179586;
  for (size_t i = 0; i < frames; i++) {
    double value = amplitude * std::sin(kTwoPi * static_cast<double>(i) / period);
    samples.push_back(static_cast<int16_t>(std::lround(value)));
    if (channels == 2) {
      samples.push_back(static_cast<int16_t>(std::lround(value / 2)));
    }
  }
  return samples;
}

std::string SampleBytes(const std::vector<int16_t>& samples) {
  std::string bytes;
  for (int16_t sample : samples) {
    PutU16(&bytes, static_cast<uint16_t>(sample));
  }
  return bytes;
}

std::vector<int16_t> ChannelOf(const std::vector<int16_t>& samples, uint16_t channels, uint16_t channel) {
  std::vector<int16_t> out;
  for (size_t i = channel; i < samples.size(); i += channels) {
    out.push_back(samples[i]);
  }
  return out;
}
