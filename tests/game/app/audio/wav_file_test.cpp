// Tests of WAV loading: samples reach the buffer as they stand, from the pack
// or the folder; damaged and unsupported files load nothing and leave no
// buffer behind.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "tests/game/app/audio/sound_fixture.h"
#include "tests/support/scratch_path.h"

namespace {

// The buffer's bytes as 16-bit samples.
std::vector<int16_t> BufferSamples(tSoundBuffer* buffer) {
  tSoundLock lock;
  EXPECT_TRUE(CSoundEngine::Lock(buffer, 0, buffer->sizeBytes, &lock));
  std::vector<int16_t> samples(lock.bytes1 / 2);
  memcpy(samples.data(), lock.part1, samples.size() * 2);
  CSoundEngine::Unlock(buffer, &lock);
  return samples;
}

TEST_F(SoundTest, SamplesLoadAsTheyStand) {
  std::vector<int16_t> mono = ToneSamples(1001, 1, 40.0, 12000.0);
  std::vector<int16_t> stereo = ToneSamples(700, 2, 33.0, 20000.0);
  WavWriter eightBit;
  eightBit.bits = 8;
  eightBit.data = "\x01\x02\x03\x04\x05";
  WavWriter padded = WavWriter::Pcm16(1, 11025, mono);
  padded.before.push_back({"LIST", "odd"});  // 3 bytes and a pad byte
  padded.formatSize = 18;                    // with the cbSize field
  MountSounds({{"sfx/mono", WavWriter::Pcm16(1, 22050, mono)},
               {"sfx/stereo", WavWriter::Pcm16(2, 44100, stereo)},
               {"sfx/eight", eightBit},
               {"sfx/padded", padded}});
  CreateEngine();
  {
    SCOPED_TRACE("mono");
    tSoundBuffer* buffer = CSoundEngine::LoadWav("sfx/mono");
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(1u, buffer->channels);
    EXPECT_EQ(22050u, buffer->sampleRate);
    EXPECT_EQ(2002u, buffer->sizeBytes);
    EXPECT_EQ(mono, BufferSamples(buffer));
    EXPECT_EQ(nullptr, buffer->frame);
    EXPECT_EQ(static_cast<u32>(ssStopped), buffer->state);
  }
  {
    SCOPED_TRACE("stereo");
    tSoundBuffer* buffer = CSoundEngine::LoadWav("sfx/stereo");
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(2u, buffer->channels);
    EXPECT_EQ(44100u, buffer->sampleRate);
    EXPECT_EQ(stereo, BufferSamples(buffer));
  }
  {
    SCOPED_TRACE("8-bit bytes go into the 16-bit buffer unchanged, rounded up to a frame");
    tSoundBuffer* buffer = CSoundEngine::LoadWav("sfx/eight");
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(6u, buffer->sizeBytes);
    EXPECT_EQ(std::vector<int16_t>({0x0201, 0x0403, 0x0005}), BufferSamples(buffer));
  }
  {
    SCOPED_TRACE("an odd chunk before the data is followed by its pad byte");
    tSoundBuffer* buffer = CSoundEngine::LoadWav("sfx/padded");
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(mono, BufferSamples(buffer));
  }
  EXPECT_EQ(4u, CSoundEngine::GetBufferCount());
}

TEST_F(SoundTest, DamagedAndUnsupportedFilesLoadNothing) {
  std::vector<int16_t> tone = ToneSamples(200, 1, 20.0, 5000.0);
  const WavWriter good = WavWriter::Pcm16(1, 22050, tone);
  const size_t fullSize = good.Build().size();
  std::vector<std::pair<std::string, WavWriter>> sounds;
  auto add = [&](const std::string& name, WavWriter writer) { sounds.push_back({name, writer}); };
  WavWriter w = good;
  w.formatTag = 3;  // floating point
  add("nonpcm", w);
  add("slow", WavWriter::Pcm16(1, 3000, tone));
  add("fast", WavWriter::Pcm16(1, 50000, tone));
  add("three", WavWriter::Pcm16(3, 22050, tone));
  w = good;
  w.hasData = false;
  add("nodata", w);
  w = good;
  w.hasData = false;
  w.before.push_back({"LIST", std::string(100, 'x')});
  add("listonly", w);
  w = good;
  w.dataSizeOverride = static_cast<int64_t>(tone.size() * 2 + 1);
  add("datalong", w);
  w = good;
  w.dataSizeOverride = 0xFFFFFFF0;
  add("datahuge", w);
  w = good;
  w.dataSizeOverride = 0;
  add("dataempty", w);
  w = good;
  w.formatSize = 10;
  add("fmtshort", w);
  w = good;
  w.before.push_back({"junk", "x", 0x7FFFFFFF});
  add("junkhuge", w);
  for (size_t cut : {0ul, 7ul, 12ul, 15ul, 20ul, 30ul, 40ul, 43ul, fullSize - 1}) {
    w = good;
    w.truncateTo = static_cast<int64_t>(cut);
    add("cut" + std::to_string(cut), w);
  }
  MountSounds(sounds);
  CreateEngine();
  dsoundtest::ResetCallCounts();
  for (const auto& sound : sounds) {
    SCOPED_TRACE(sound.first);
    EXPECT_EQ(nullptr, CSoundEngine::LoadWav(sound.first.c_str()));
  }
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
  // Only the empty data chunk gets as far as asking for a buffer.
  EXPECT_EQ(1u, dsoundtest::CallCount("CreateSoundBuffer"));
  EXPECT_EQ(nullptr, CSoundEngine::LoadWav("missing"));
  EXPECT_EQ(nullptr, CSoundEngine::LoadWav(nullptr));
  EXPECT_EQ(nullptr, CSoundEngine::LoadWav(std::string(300, 'n').c_str()));
}

TEST_F(SoundTest, NothingLoadsWithoutADevice) {
  MountSounds({{"tone", WavWriter::Pcm16(1, 22050, ToneSamples(10, 1, 5.0, 100.0))}});
  EXPECT_EQ(nullptr, CSoundEngine::LoadWav("tone"));
  CreateEngine();
  EXPECT_NE(nullptr, CSoundEngine::LoadWav("tone"));
}

TEST_F(SoundTest, SamplesLoadFromTheFolder) {
  std::string root = ScratchPath("media_root");
  std::string media = root + "/data/media";
  ASSERT_EQ(0, mkdir(root.c_str(), 0700));
  ASSERT_EQ(0, mkdir((root + "/data").c_str(), 0700));
  ASSERT_EQ(0, mkdir(media.c_str(), 0700));
  std::vector<int16_t> tone = ToneSamples(64, 2, 8.0, 9000.0);
  ASSERT_TRUE(WavWriter::Pcm16(2, 22050, tone).WriteFile(media + "/Door.wav"));
  char previous[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
  ASSERT_EQ(0, chdir(root.c_str()));
  CreateEngine();
  tSoundBuffer* buffer = CSoundEngine::LoadWav("door");
  EXPECT_EQ(0, chdir(previous));
  remove((media + "/Door.wav").c_str());
  rmdir(media.c_str());
  rmdir((root + "/data").c_str());
  rmdir(root.c_str());
  ASSERT_NE(nullptr, buffer);
  EXPECT_EQ(tone, BufferSamples(buffer));
}

}  // namespace
