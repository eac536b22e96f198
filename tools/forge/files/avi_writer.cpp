// AVI test files built chunk by chunk, little-endian, with list sizes patched
// in once their contents are written.
#include "tools/forge/files/avi_writer.h"

#include <algorithm>
#include <functional>

namespace {

class RiffBytes {
 public:
  void U16(uint32_t value) {
    bytes_ += static_cast<char>(value & 0xFF);
    bytes_ += static_cast<char>((value >> 8) & 0xFF);
  }
  void U32(uint32_t value) {
    U16(value & 0xFFFF);
    U16(value >> 16);
  }
  void Id(const std::string& id) { bytes_ += (id + "    ").substr(0, 4); }
  void Raw(const std::string& bytes) { bytes_ += bytes; }

  // A chunk with its pad byte; returns the offset of its header.
  size_t Chunk(const std::string& id, const std::string& body) {
    const size_t start = bytes_.size();
    Id(id);
    U32(static_cast<uint32_t>(body.size()));
    bytes_ += body;
    if (body.size() % 2 != 0) {
      bytes_ += '\0';
    }
    return start;
  }
  // Opens a list ("RIFF" or "LIST"); returns the offset of its header.
  size_t Begin(const std::string& id, const std::string& type) {
    const size_t start = bytes_.size();
    Id(id);
    U32(0);
    Id(type);
    return start;
  }
  void End(size_t start) {
    const uint32_t size = static_cast<uint32_t>(bytes_.size() - start - 8);
    for (int i = 0; i < 4; ++i) {
      bytes_[start + 4 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
  }

  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

std::string Body(const std::function<void(RiffBytes&)>& write) {
  RiffBytes body;
  write(body);
  return body.bytes();
}

struct IndexEntry {
  std::string id;
  uint32_t flags;
  size_t header;  // offset of the chunk's header in the file
  uint32_t size;
};

constexpr uint32_t kListFlag = 0x01;
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr uint32_t kHasIndexFlag = 0x10;

}  // namespace

void AviPatternPixel(int frame, int x, int y, uint8_t bgr[3]) {
  bgr[0] = static_cast<uint8_t>((y / 8) * 40 + frame * 11);
  bgr[1] = static_cast<uint8_t>((x / 8) * 40 + frame * 3);
  bgr[2] = static_cast<uint8_t>(frame * 37 + 11);
}

int64_t AviWriter::TotalSoundSamples() const {
  if (soundSamples >= 0) {
    return soundSamples;
  }
  // A video without a frame rate has no length in time to match.
  if (rate == 0) {
    return 0;
  }
  return static_cast<int64_t>(frames) * sampleRate * scale / rate;
}

std::string AviWriter::FrameBytes(int frame) const {
  while (frame > 0 && std::find(emptyFrames.begin(), emptyFrames.end(), frame) != emptyFrames.end()) {
    --frame;
  }
  std::string rows(static_cast<size_t>(Stride()) * height, '\0');
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;  // bottom row first
    for (int x = 0; x < width; ++x) {
      AviPatternPixel(frame, x, y, reinterpret_cast<uint8_t*>(&rows[static_cast<size_t>(row) * Stride() + x * 3]));
    }
  }
  return rows;
}

std::vector<int64_t> AviWriter::SoundChunkSamples() const {
  std::vector<int64_t> chunks;
  const int64_t total = TotalSoundSamples();
  const int64_t base = frames > 0 ? total / frames : total;
  int64_t written = 0;
  for (int i = 0; i < frames - 1; ++i) {
    // Uneven sizes, so that reads cross chunk boundaries at varying places.
    int64_t count = base >= 7 ? base + (i % 3 - 1) * 7 : base;
    count = std::min(count, total - written);
    chunks.push_back(count);
    written += count;
  }
  chunks.push_back(total - written);
  return chunks;
}

std::string AviWriter::SoundBytes() const {
  std::string bytes;
  const int64_t total = TotalSoundSamples();
  for (int64_t s = 0; s < total; ++s) {
    for (int c = 0; c < channels; ++c) {
      const uint32_t value =
          bits == 8 ? static_cast<uint32_t>(s * 7 + c * 64) : static_cast<uint32_t>(s * 331 + c * 5000);
      for (int byte = 0; byte < bits / 8; ++byte) {
        bytes += static_cast<char>((value >> (8 * byte)) & 0xFF);
      }
    }
  }
  return bytes;
}

std::string AviWriter::Build() const {
  const uint32_t imageSize = static_cast<uint32_t>(Stride() * height);
  const uint32_t block = static_cast<uint32_t>(BlockSize());
  const std::vector<int64_t> soundChunks = SoundChunkSamples();
  const std::string sound = SoundBytes();
  const uint32_t streams = 1 + (withSound ? 1 : 0) + (extraStreamType.empty() ? 0 : 1);

  RiffBytes out;
  const size_t riff = out.Begin("RIFF", "AVI ");
  const size_t headerList = out.Begin("LIST", "hdrl");
  out.Chunk("avih", Body([&](RiffBytes& b) {
              // Microseconds a frame and bytes a second; 0 for a rate or scale of 0.
              b.U32(rate == 0 ? 0 : static_cast<uint32_t>(1000000ull * scale / rate));
              b.U32(scale == 0 ? 0 : imageSize * rate / scale);
              b.U32(0);
              b.U32(withIndex ? kHasIndexFlag : 0);
              b.U32(static_cast<uint32_t>(frames));
              b.U32(0);
              b.U32(streams);
              b.U32(imageSize);
              b.U32(static_cast<uint32_t>(width));
              b.U32(static_cast<uint32_t>(height));
              for (int i = 0; i < 4; ++i) {
                b.U32(0);
              }
            }));
  auto streamHeader = [&](const std::string& type, const std::string& handler, uint32_t streamScale,
                          uint32_t streamRate, uint32_t length, uint32_t bufferSize, uint32_t sampleSize) {
    return Body([&](RiffBytes& b) {
      b.Id(type);
      if (handler.empty()) {
        b.U32(0);
      } else {
        b.Id(handler);
      }
      b.U32(0);  // flags
      b.U16(0);  // priority
      b.U16(0);  // language
      b.U32(0);  // initial frames
      b.U32(streamScale);
      b.U32(streamRate);
      b.U32(0);  // start
      b.U32(length);
      b.U32(bufferSize);
      b.U32(0xFFFFFFFF);  // quality: the default
      b.U32(sampleSize);
      b.U16(0);
      b.U16(0);
      b.U16(static_cast<uint32_t>(width));
      b.U16(static_cast<uint32_t>(height));
    });
  };

  size_t list = out.Begin("LIST", "strl");
  out.Chunk("strh", streamHeader("vids", "DIB ", scale, rate, static_cast<uint32_t>(frames), imageSize, 0));
  out.Chunk("strf", Body([&](RiffBytes& b) {
              b.U32(40);
              b.U32(static_cast<uint32_t>(width));
              b.U32(static_cast<uint32_t>(topDown ? -height : height));
              b.U16(1);
              b.U16(videoBits);
              b.U32(videoCompression);
              b.U32(imageSize);
              for (int i = 0; i < 4; ++i) {
                b.U32(0);
              }
            }));
  out.Chunk("strn", std::string("video", 6));
  out.End(list);
  if (withSound) {
    const uint32_t sampleSize = sampleSizeOverride >= 0 ? static_cast<uint32_t>(sampleSizeOverride) : block;
    list = out.Begin("LIST", "strl");
    out.Chunk("strh", streamHeader("auds", "", 1, sampleRate, static_cast<uint32_t>(TotalSoundSamples()),
                                   sampleRate * block, sampleSize));
    out.Chunk("strf", Body([&](RiffBytes& b) {
                b.U16(soundFormatTag);
                b.U16(channels);
                b.U32(sampleRate);
                b.U32(sampleRate * block);
                b.U16(block);
                b.U16(bits);
                b.U16(0);  // no extra format bytes
              }));
    out.End(list);
  }
  if (!extraStreamType.empty()) {
    list = out.Begin("LIST", "strl");
    out.Chunk("strh", streamHeader(extraStreamType, "", 1, 1, 0, 0, 0));
    out.Chunk("strf", std::string(16, '\0'));
    out.End(list);
  }
  out.Chunk("JUNK", std::string(13, '\0'));  // odd size: a pad byte follows
  out.End(headerList);

  std::vector<IndexEntry> index;
  const size_t movie = out.Begin("LIST", "movi");
  size_t soundOffset = 0;
  if (!foreignMovieChunk.empty()) {
    out.Chunk(foreignMovieChunk, std::string(24, '\x5A'));
  }
  for (int frame = 0; frame < frames; ++frame) {
    const size_t record = recordLists ? out.Begin("LIST", "rec ") : 0;
    const size_t recordEntry = index.size();
    if (recordLists) {
      index.push_back({"rec ", kListFlag, record, 0});
    }
    if (withSound && frame < static_cast<int>(soundChunks.size())) {
      const size_t bytes = static_cast<size_t>(soundChunks[static_cast<size_t>(frame)]) * block;
      const size_t header = out.Chunk("01wb", sound.substr(soundOffset, bytes));
      index.push_back({"01wb", kKeyFrameFlag, header, static_cast<uint32_t>(bytes)});
      soundOffset += bytes;
    }
    const bool empty = std::find(emptyFrames.begin(), emptyFrames.end(), frame) != emptyFrames.end();
    const std::string pixels = empty ? std::string() : FrameBytes(frame);
    const size_t header = out.Chunk("00db", pixels);
    index.push_back({"00db", empty ? 0 : kKeyFrameFlag, header, static_cast<uint32_t>(pixels.size())});
    if (recordLists) {
      out.End(record);
      index[recordEntry].size = static_cast<uint32_t>(out.bytes().size() - record - 8);
    }
  }
  out.End(movie);

  if (withIndex) {
    const size_t origin = absoluteIndex ? 0 : movie + 8;
    out.Chunk("idx1", Body([&](RiffBytes& b) {
                for (size_t i = 0; i < index.size(); ++i) {
                  const IndexEntry& entry = index[i];
                  b.Id(entry.id);
                  b.U32(entry.flags);
                  b.U32(static_cast<uint32_t>(entry.header - origin + (static_cast<int>(i) == badIndexEntry ? 2 : 0)));
                  b.U32(entry.size);
                }
              }));
  }
  out.End(riff);

  std::string bytes = out.bytes();
  if (truncateTo >= 0 && static_cast<size_t>(truncateTo) < bytes.size()) {
    bytes.resize(static_cast<size_t>(truncateTo));
  }
  return bytes;
}
