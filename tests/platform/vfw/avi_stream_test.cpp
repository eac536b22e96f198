// AVI streams: the frames and sound samples read back are exactly those the
// test writer wrote, whatever the frame width, index or interleaving, and
// every file of another layout or damaged fails the open.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/vfw/vfw.h"
#include "platform/vfw/vfw_testing.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/avi_writer.h"

namespace {

// Writes the movie to a scratch file, removed again with the fixture.
class ScratchMovie {
 public:
  explicit ScratchMovie(const AviWriter& writer, const std::string& leaf = "movie.avi") : path_(ScratchPath(leaf)) {
    EXPECT_TRUE(writer.WriteFile(path_));
  }
  ~ScratchMovie() { remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

HRESULT Open(const char* path, DWORD type, PAVISTREAM* stream) {
  return AVIStreamOpenFromFileA(stream, path, type, 0, OF_READ | OF_SHARE_DENY_WRITE, nullptr);
}

void ExpectFramesAsWritten(PAVISTREAM video, const AviWriter& writer) {
  AVISTREAMINFOA info = {};
  ASSERT_EQ(AVIStreamInfoA(video, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.fccType, static_cast<DWORD>(streamtypeVIDEO));
  EXPECT_EQ(info.dwRate, writer.rate);
  EXPECT_EQ(info.dwScale, writer.scale);
  EXPECT_EQ(info.dwLength, static_cast<DWORD>(writer.frames));
  EXPECT_STREQ(info.szName, "video");
  EXPECT_EQ(AVIStreamStart(video), 0);
  EXPECT_EQ(AVIStreamLength(video), writer.frames);

  LONG formatSize = 0;
  ASSERT_EQ(AVIStreamReadFormat(video, 0, nullptr, &formatSize), AVIERR_OK);
  ASSERT_EQ(formatSize, static_cast<LONG>(sizeof(BITMAPINFOHEADER)));
  BITMAPINFOHEADER format = {};
  ASSERT_EQ(AVIStreamReadFormat(video, 0, &format, &formatSize), AVIERR_OK);
  EXPECT_EQ(format.biWidth, writer.width);
  EXPECT_EQ(format.biHeight, writer.height);

  PGETFRAME reader = AVIStreamGetFrameOpen(video, nullptr);
  ASSERT_NE(reader, nullptr);
  // Out of order, and twice, as a player that skips frames reads them.
  std::vector<int> order;
  for (int frame = writer.frames - 1; frame >= 0; frame -= 2) {
    order.push_back(frame);
  }
  for (int frame = 0; frame < writer.frames; ++frame) {
    order.push_back(frame);
  }
  for (int frame : order) {
    SCOPED_TRACE(frame);
    const BYTE* dib = static_cast<const BYTE*>(AVIStreamGetFrame(reader, frame));
    ASSERT_NE(dib, nullptr);
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, writer.width);
    EXPECT_EQ(header.biHeight, writer.height);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    const std::string expected = writer.FrameBytes(frame);
    ASSERT_EQ(header.biSizeImage, expected.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dib + 40), expected.size()), expected);
  }
  EXPECT_EQ(AVIStreamGetFrame(reader, -1), nullptr);
  EXPECT_EQ(AVIStreamGetFrame(reader, writer.frames), nullptr);
  // The reader keeps the stream: releasing it first is allowed.
  EXPECT_EQ(AVIStreamRelease(video), 1u);
  EXPECT_NE(AVIStreamGetFrame(reader, 0), nullptr);
  EXPECT_EQ(AVIStreamGetFrameClose(reader), AVIERR_OK);
}

void ExpectSoundAsWritten(PAVISTREAM sound, const AviWriter& writer) {
  const LONG block = writer.BlockSize();
  const std::string expected = writer.SoundBytes();
  AVISTREAMINFOA info = {};
  ASSERT_EQ(AVIStreamInfoA(sound, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.fccType, static_cast<DWORD>(streamtypeAUDIO));
  EXPECT_EQ(info.dwSampleSize, static_cast<DWORD>(block));
  EXPECT_EQ(AVIStreamLength(sound), static_cast<LONG>(expected.size()) / block);

  LONG formatSize = 0;
  ASSERT_EQ(AVIStreamReadFormat(sound, 0, nullptr, &formatSize), AVIERR_OK);
  ASSERT_EQ(formatSize, static_cast<LONG>(sizeof(WAVEFORMATEX)));
  WAVEFORMATEX format = {};
  ASSERT_EQ(AVIStreamReadFormat(sound, 0, &format, &formatSize), AVIERR_OK);
  EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.nChannels, writer.channels);
  EXPECT_EQ(format.nSamplesPerSec, writer.sampleRate);
  EXPECT_EQ(format.wBitsPerSample, writer.bits);
  EXPECT_EQ(format.nBlockAlign, block);

  // Pieces of 333 samples cross the chunk boundaries at changing places.
  std::string played;
  std::vector<char> buffer(333 * block);
  LONG position = AVIStreamStart(sound);
  const LONG end = position + AVIStreamLength(sound);
  while (position < end) {
    LONG bytes = -1;
    LONG samples = -1;
    ASSERT_EQ(AVIStreamRead(sound, position, 333, buffer.data(), static_cast<LONG>(buffer.size()), &bytes, &samples),
              AVIERR_OK);
    ASSERT_GT(samples, 0);
    ASSERT_EQ(bytes, samples * block);
    played.append(buffer.data(), static_cast<size_t>(bytes));
    position += samples;
  }
  EXPECT_EQ(played, expected);

  // "Convenient" reads give the chunks as written.
  std::vector<int64_t> chunks;
  buffer.resize(expected.size());
  for (position = 0; position < end;) {
    LONG samples = 0;
    ASSERT_EQ(AVIStreamRead(sound, position, AVISTREAMREAD_CONVENIENT, buffer.data(), static_cast<LONG>(buffer.size()),
                            nullptr, &samples),
              AVIERR_OK);
    chunks.push_back(samples);
    position += samples;
    ASSERT_GT(samples, 0);
  }
  std::vector<int64_t> written;
  for (int64_t count : writer.SoundChunkSamples()) {
    if (count != 0) {
      written.push_back(count);
    }
  }
  EXPECT_EQ(chunks, written);
}

struct Layout {
  const char* name;
  void (*apply)(AviWriter& writer);
};

TEST(AviStream, ReturnsExactlyWhatWasWritten) {
  const Layout layouts[] = {
      {"64x48 with index", [](AviWriter&) {}},
      {"50x30 padded rows", [](AviWriter& w) { w.width = 50, w.height = 30; }},
      {"without index", [](AviWriter& w) { w.withIndex = false; }},
      {"50x30 without index", [](AviWriter& w) { w.width = 50, w.height = 30, w.withIndex = false; }},
      {"absolute index offsets", [](AviWriter& w) { w.absoluteIndex = true; }},
      {"index off by two: the list is walked", [](AviWriter& w) { w.badIndexEntry = 3; }},
      {"record lists", [](AviWriter& w) { w.recordLists = true; }},
      {"record lists without index", [](AviWriter& w) { w.recordLists = true, w.withIndex = false; }},
      {"empty chunks repeat the frame before",
       [](AviWriter& w) {
         w.emptyFrames = {2, 3};
       }},
      {"29.97 frames a second", [](AviWriter& w) { w.rate = 30000, w.scale = 1001; }},
  };
  struct Sound {
    const char* name;
    bool on;
    uint16_t channels;
    uint16_t bits;
  };
  const Sound sounds[] = {{"silent", false, 1, 16},
                          {"mono 16-bit", true, 1, 16},
                          {"stereo 8-bit", true, 2, 8},
                          {"mono 8-bit: odd chunks", true, 1, 8}};
  for (const Layout& layout : layouts) {
    for (const Sound& sound : sounds) {
      SCOPED_TRACE(std::string(layout.name) + ", " + sound.name);
      AviWriter writer;
      writer.withSound = sound.on;
      writer.channels = sound.channels;
      writer.bits = sound.bits;
      layout.apply(writer);
      ScratchMovie movie(writer);
      PAVISTREAM video = nullptr;
      ASSERT_EQ(Open(movie.path(), streamtypeVIDEO, &video), AVIERR_OK);
      ExpectFramesAsWritten(video, writer);
      PAVISTREAM audio = nullptr;
      const HRESULT result = Open(movie.path(), streamtypeAUDIO, &audio);
      if (!sound.on) {
        EXPECT_EQ(result, AVIERR_NODATA);
        EXPECT_EQ(audio, nullptr);
        continue;
      }
      ASSERT_EQ(result, AVIERR_OK);
      ExpectSoundAsWritten(audio, writer);
      EXPECT_EQ(AVIStreamRelease(audio), 0u);
    }
  }
}

TEST(AviStream, OtherLayoutsAndDamagedFilesFailTheOpen) {
  struct Case {
    const char* name;
    void (*apply)(AviWriter& writer);
    HRESULT expected;
  };
  const Case cases[] = {
      {"compressed video", [](AviWriter& w) { w.videoCompression = 0x47504A4D; }, AVIERR_UNSUPPORTED},
      {"32-bit video", [](AviWriter& w) { w.videoBits = 32; }, AVIERR_UNSUPPORTED},
      {"top-down rows", [](AviWriter& w) { w.topDown = true; }, AVIERR_UNSUPPORTED},
      {"compressed sound", [](AviWriter& w) { w.withSound = true, w.soundFormatTag = 2; }, AVIERR_UNSUPPORTED},
      {"24-bit sound", [](AviWriter& w) { w.withSound = true, w.bits = 24; }, AVIERR_UNSUPPORTED},
      {"a text stream", [](AviWriter& w) { w.extraStreamType = "txts"; }, AVIERR_UNSUPPORTED},
      {"truncated in a frame", [](AviWriter& w) { w.truncateTo = 2000; }, AVIERR_BADFORMAT},
      {"truncated in the header", [](AviWriter& w) { w.truncateTo = 100; }, AVIERR_BADFORMAT},
      {"truncated index", [](AviWriter& w) { w.truncateTo = static_cast<int64_t>(w.Build().size()) - 4; },
       AVIERR_BADFORMAT},
      {"no RIFF header", [](AviWriter& w) { w.truncateTo = 8; }, AVIERR_BADFORMAT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AviWriter writer;
    c.apply(writer);
    ScratchMovie movie(writer);
    for (DWORD type : {static_cast<DWORD>(streamtypeVIDEO), static_cast<DWORD>(streamtypeAUDIO)}) {
      PAVISTREAM stream = reinterpret_cast<PAVISTREAM>(&writer);
      EXPECT_EQ(Open(movie.path(), type, &stream), c.expected);
      EXPECT_EQ(stream, nullptr);
    }
  }

  // A chunk that only a walk of the list meets: an index that matches the
  // chunks is used as it stands.
  AviWriter foreign;
  foreign.foreignMovieChunk = "ix00";
  ScratchMovie indexed(foreign, "indexed.avi");
  PAVISTREAM video = nullptr;
  ASSERT_EQ(Open(indexed.path(), streamtypeVIDEO, &video), AVIERR_OK);
  ExpectFramesAsWritten(video, foreign);
  foreign.withIndex = false;
  ScratchMovie unindexed(foreign, "unindexed.avi");
  EXPECT_EQ(Open(unindexed.path(), streamtypeVIDEO, &video), AVIERR_BADFORMAT);

  // Damage the index does not hide: a frame chunk of the wrong size makes
  // the index unusable and the walk fails on the same chunk.
  AviWriter writer;
  std::string bytes = writer.Build();
  const size_t frame = bytes.find("00db");
  ASSERT_NE(frame, std::string::npos);
  bytes[frame + 4] ^= 0x04;
  PAVISTREAM stream = nullptr;
  EXPECT_EQ(vfwtest::OpenStreamFromMemory(bytes.data(), bytes.size(), streamtypeVIDEO, 0, &stream), AVIERR_BADFORMAT);
  EXPECT_EQ(vfwtest::OpenStreamFromMemory(nullptr, 0, streamtypeVIDEO, 0, &stream), AVIERR_BADFORMAT);

  EXPECT_EQ(Open(ScratchPath("missing.avi").c_str(), streamtypeVIDEO, &stream), AVIERR_FILEOPEN);
  ScratchMovie movie(writer);
  EXPECT_EQ(AVIStreamOpenFromFileA(&stream, movie.path(), streamtypeVIDEO, 0, OF_WRITE, nullptr), AVIERR_BADFLAGS);
  EXPECT_EQ(AVIStreamOpenFromFileA(&stream, movie.path(), streamtypeVIDEO, 1, OF_READ, nullptr), AVIERR_NODATA);
}

TEST(AviStream, WindowsPathsAndReadLimits) {
  AviWriter writer;
  writer.withSound = true;
  writer.sampleSizeOverride = 40000;  // reported as the file states it
  ScratchMovie movie(writer, "Intro.AVI");
  // The path helper finds the file whatever the case of its name.
  std::string path = ScratchPath("intro.avi");
  PAVISTREAM sound = nullptr;
  ASSERT_EQ(Open(path.c_str(), streamtypeAUDIO, &sound), AVIERR_OK);
  AVISTREAMINFOA info = {};
  ASSERT_EQ(AVIStreamInfoA(sound, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.dwSampleSize, 40000u);

  const LONG length = AVIStreamLength(sound);
  LONG bytes = 0;
  LONG samples = 0;
  char buffer[8];
  EXPECT_EQ(AVIStreamRead(sound, 0, 10, buffer, 1, &bytes, &samples), AVIERR_BUFFERTOOSMALL);
  EXPECT_EQ(samples, 0);
  // As many as fit, and no more than the stream holds.
  EXPECT_EQ(AVIStreamRead(sound, 0, 10, buffer, sizeof buffer, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 4);
  EXPECT_EQ(AVIStreamRead(sound, length - 2, 10, buffer, sizeof buffer, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 2);
  EXPECT_EQ(memcmp(buffer, writer.SoundBytes().data() + (length - 2) * 2, 4), 0);
  EXPECT_EQ(AVIStreamRead(sound, length, 10, buffer, sizeof buffer, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 0);
  EXPECT_EQ(AVIStreamRead(sound, length + 1, 10, buffer, sizeof buffer, &bytes, &samples), AVIERR_BADPARAM);
  EXPECT_EQ(AVIStreamRead(sound, -1, 10, buffer, sizeof buffer, &bytes, &samples), AVIERR_BADPARAM);
  // A null buffer only counts.
  EXPECT_EQ(AVIStreamRead(sound, 0, 100000000, nullptr, 0, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, length);
  EXPECT_EQ(bytes, length * 2);
  EXPECT_EQ(AVIStreamRelease(sound), 0u);
}

}  // namespace
