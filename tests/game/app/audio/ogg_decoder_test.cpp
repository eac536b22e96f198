// Tests of COggDecoder: chunk bounds and the decoded tone for mono and
// stereo, each header failure with its trace, rewinding after the end.
#include <cstdlib>

#include "tests/game/app/audio/music_fixture.h"

namespace {

constexpr double kPeriod = 100.0;  // frames a cycle
constexpr double kAmplitude = 12000.0;
constexpr size_t kFrames = 22050;

class OggDecoderTest : public MusicTest, public testing::WithParamInterface<uint16_t> {};

TEST_P(OggDecoderTest, ChunksAreBoundedAndCarryTheTone) {
  const uint16_t channels = GetParam();
  const std::vector<int16_t> tone = ToneSamples(kFrames, channels, kPeriod, kAmplitude);
  MountMusic({{"TONE", OggWriter::Vorbis(channels, 22050, tone).Build()}});
  COggDecoder decoder;
  ASSERT_TRUE(decoder.Open(MusicPath("TONE").c_str(), 4096));
  EXPECT_EQ(channels, decoder.GetChannels());
  EXPECT_EQ(22050, decoder.GetSampleRate());
  EXPECT_EQ(2048 / channels, decoder.GetSamplesPerChunk());
  s32 largest = 0;
  std::vector<int16_t> decoded = DecodeToEnd(&decoder, &largest);
  EXPECT_LE(largest, 4096);
  ASSERT_EQ(tone.size(), decoded.size());

  // Blocks of this file give more samples than a 1024-byte chunk holds: each
  // call hands out at most a chunk, and nothing is lost.
  COggDecoder small;
  ASSERT_TRUE(small.Open(MusicPath("TONE").c_str(), 1024));
  EXPECT_EQ(512 / channels, small.GetSamplesPerChunk());
  EXPECT_EQ(decoded, DecodeToEnd(&small, &largest));
  EXPECT_EQ(1024, largest);

  // Lossy, but close to the tone, channel by channel (the right channel of
  // the stereo tone is at half the left's level).
  int worst = 0;
  for (size_t i = 0; i < tone.size(); i++) {
    worst = std::max(worst, std::abs(tone[i] - decoded[i]));
  }
  EXPECT_LT(worst, 600);
  EXPECT_EQ(kOggEndOfStream, decoder.Decode(decoded.data()));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, OggDecoderTest, testing::Values(1, 2));

}  // namespace

namespace {

class OggHeaderTest : public MusicTest {};

TEST_F(OggHeaderTest, EachFailureIsTracedAndOpenFails) {
  OggWriter cut = OggWriter::Vorbis(1, 22050, ToneSamples(4000, 1, kPeriod, kAmplitude));
  cut.firstHeaderOnly = true;
  OggWriter shortFile = OggWriter::Vorbis(1, 22050, {});
  shortFile.truncateTo = 40;  // inside the first page
  const std::string notOgg(5000, 'x');
  struct Case {
    const char* name;
    std::string bytes;
    const char* trace;
  };
  const Case cases[] = {
      {"SHORT", shortFile.Build(), " Out of data.\n"},
      {"NOTOGG", notOgg, " Input does not appear to be an Ogg bitstream.\n"},
      {"VERSION", OggPage({20}, std::string(20, 'v'), 2, 1), " Error reading first page of Ogg bitstream data.\n"},
      {"OPEN", OggPage({255}, std::string(255, 'p')), " Error reading initial header packet.\n"},
      {"NOTVORBIS", OggPage({20}, "\x01vorbix-not-a-header"),
       " This Ogg bitstream does not contain Vorbis audio data.\n"},
      {"CUT", cut.Build(), " End of file before finding all Vorbis headers!\n"},
      {"GARBLED", cut.Build() + OggPage({10}, "\x03garbage!!", 0, 0, 1), ""},
  };
  std::vector<std::pair<std::string, std::string>> files;
  for (const Case& c : cases) {
    files.push_back({c.name, c.bytes});
  }
  MountMusic(files);
  ASSERT_LT(cases[0].bytes.size(), 2048u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    COggDecoder decoder;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(decoder.Open(MusicPath(c.name).c_str(), 4096));
    const std::string trace = *c.trace != '\0' ? MusicPath(c.name) + c.trace : "Corrupt secondary header. Exiting.\n";
    EXPECT_EQ(trace, testing::internal::GetCapturedStderr());
    std::vector<int16_t> out(2048);
    EXPECT_EQ(kOggEndOfStream, decoder.Decode(out.data()));
  }
  COggDecoder missing;
  EXPECT_FALSE(missing.Open(MusicPath("MISSING").c_str(), 4096));
}

TEST_F(OggHeaderTest, RewindStartsAgainFromTheFirstAudio) {
  MountMusic({{"TONE", OggWriter::Vorbis(2, 22050, ToneSamples(5000, 2, kPeriod, kAmplitude)).Build()}});
  COggDecoder decoder;
  ASSERT_TRUE(decoder.Open(MusicPath("TONE").c_str(), 4096));
  const std::vector<int16_t> first = DecodeToEnd(&decoder);
  ASSERT_EQ(10000u, first.size());
  std::vector<int16_t> out(2048);
  EXPECT_EQ(kOggEndOfStream, decoder.Decode(out.data()));
  ASSERT_TRUE(decoder.Rewind());
  EXPECT_EQ(first, DecodeToEnd(&decoder));
  // And in the middle of the stream.
  ASSERT_TRUE(decoder.Rewind());
  for (int i = 0; i < 12; i++) {
    decoder.Decode(out.data());
  }
  ASSERT_TRUE(decoder.Rewind());
  EXPECT_EQ(first, DecodeToEnd(&decoder));
}

}  // namespace
