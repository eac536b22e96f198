// Tests of secondary buffers through the mix they produce: exact pass-through,
// volume, pan, resampling, cursors at the ends, and locks across the wrap.
#include <cmath>
#include <cstdlib>

#include "tests/platform/dsound/dsound_fixture.h"

namespace {

int MaxAbs(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (int16_t s : samples) {
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  return peak;
}

TEST_F(DirectSoundTest, ToneAtUnityPassesBitExact) {
  {
    SCOPED_TRACE("mono feeds both channels");
    std::vector<int16_t> tone = ToneSamples(2000, 1, 50.0, 30000.0);
    IDirectSoundBuffer* buffer = MakeBuffer(1, 22050, tone);
    ASSERT_EQ(DS_OK, buffer->Play(0, 0, 0));
    std::vector<int16_t> mix = Pump(2000);
    EXPECT_EQ(tone, ChannelOf(mix, 2, 0));
    EXPECT_EQ(tone, ChannelOf(mix, 2, 1));
  }
  {
    SCOPED_TRACE("stereo keeps its channels");
    std::vector<int16_t> tone = ToneSamples(1500, 2, 37.0, -32768.0);
    IDirectSoundBuffer* buffer = MakeBuffer(2, 22050, tone);
    ASSERT_EQ(DS_OK, buffer->Play(0, 0, 0));
    EXPECT_EQ(tone, Pump(1500));
  }
}

TEST_F(DirectSoundTest, VolumeAndPanAttenuate) {
  std::vector<int16_t> tone = ToneSamples(1000, 1, 100.0, 20000.0);
  IDirectSoundBuffer* buffer = MakeBuffer(1, 22050, tone);
  struct Case {
    LONG volume;
    LONG pan;
    double left;  // expected gain of each channel
    double right;
  };
  const Case cases[] = {
      {-600, 0, 0.5012, 0.5012},     // 6 dB: half the amplitude
      {0, DSBPAN_RIGHT, 0.0, 1.0},   // hard right silences the left
      {0, DSBPAN_LEFT, 1.0, 0.0},    // and the other way round
      {0, 2000, 0.1, 1.0},           // 20 dB off the left
      {-1000, -1000, 0.3162, 0.1},   // volume and pan add up
      {DSBVOLUME_MIN, 0, 0.0, 0.0},  // silence
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
    ASSERT_EQ(DS_OK, buffer->SetVolume(c.volume));
    ASSERT_EQ(DS_OK, buffer->SetPan(c.pan));
    ASSERT_EQ(DS_OK, buffer->SetCurrentPosition(0));
    ASSERT_EQ(DS_OK, buffer->Play(0, 0, 0));
    std::vector<int16_t> mix = Pump(1000);
    EXPECT_NEAR(20000.0 * c.left, MaxAbs(ChannelOf(mix, 2, 0)), 20.0);
    EXPECT_NEAR(20000.0 * c.right, MaxAbs(ChannelOf(mix, 2, 1)), 20.0);
  }
}

TEST_F(DirectSoundTest, FrequencySetsHowFastTheBufferIsConsumed) {
  std::vector<int16_t> ramp(4000);
  for (size_t i = 0; i < ramp.size(); i++) {
    ramp[i] = static_cast<int16_t>(i * 8);
  }
  IDirectSoundBuffer* buffer = MakeBuffer(1, 22050, ramp);
  ASSERT_EQ(DS_OK, buffer->SetFrequency(44100));
  ASSERT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));
  std::vector<int16_t> left = ChannelOf(Pump(1000), 2, 0);
  EXPECT_EQ(2000u * 2, PlayCursor(buffer));
  for (size_t i = 0; i < left.size(); i += 97) {
    EXPECT_EQ(ramp[2 * i], left[i]) << i;
  }

  // Half speed interpolates half-way between neighbours.
  ASSERT_EQ(DS_OK, buffer->SetFrequency(11025));
  ASSERT_EQ(DS_OK, buffer->SetCurrentPosition(0));
  left = ChannelOf(Pump(10), 2, 0);
  EXPECT_EQ(std::vector<int16_t>({0, 4, 8, 12, 16, 20, 24, 28, 32, 36}), left);
  EXPECT_EQ(5u * 2, PlayCursor(buffer));
}

TEST_F(DirectSoundTest, LoopsWrapOneShotsStopAtTheirEndAndStopKeepsTheCursor) {
  std::vector<int16_t> tone = ToneSamples(100, 1, 10.0, 1000.0);
  IDirectSoundBuffer* buffer = MakeBuffer(1, 22050, tone);
  DWORD status = 0;
  {
    SCOPED_TRACE("looping");
    ASSERT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));
    std::vector<int16_t> left = ChannelOf(Pump(250), 2, 0);
    for (size_t i = 0; i < left.size(); i++) {
      ASSERT_EQ(tone[i % 100], left[i]) << i;
    }
    EXPECT_EQ(50u * 2, PlayCursor(buffer));
    ASSERT_EQ(DS_OK, buffer->GetStatus(&status));
    EXPECT_EQ(static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), status);
  }
  {
    SCOPED_TRACE("stop keeps the cursor, play goes on from it");
    ASSERT_EQ(DS_OK, buffer->Stop());
    EXPECT_EQ(std::vector<int16_t>(20, 0), Pump(10));
    EXPECT_EQ(50u * 2, PlayCursor(buffer));
    ASSERT_EQ(DS_OK, buffer->Play(0, 0, 0));
    std::vector<int16_t> left = ChannelOf(Pump(10), 2, 0);
    EXPECT_EQ(std::vector<int16_t>(tone.begin() + 50, tone.begin() + 60), left);
  }
  {
    SCOPED_TRACE("one-shot");
    std::vector<int16_t> left = ChannelOf(Pump(60), 2, 0);
    EXPECT_EQ(std::vector<int16_t>(tone.begin() + 60, tone.end()),
              std::vector<int16_t>(left.begin(), left.begin() + 40));
    EXPECT_EQ(std::vector<int16_t>(20, 0), std::vector<int16_t>(left.begin() + 40, left.end()));
    ASSERT_EQ(DS_OK, buffer->GetStatus(&status));
    EXPECT_EQ(0u, status);
    EXPECT_EQ(0u, PlayCursor(buffer));
  }
}

TEST_F(DirectSoundTest, LockGivesTwoPartsAcrossTheWrap) {
  std::vector<int16_t> zeros(8, 0);
  IDirectSoundBuffer* buffer = MakeBuffer(1, 22050, zeros);  // 16 bytes
  void* part1 = nullptr;
  void* part2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  ASSERT_EQ(DS_OK, buffer->Lock(10, 10, &part1, &bytes1, &part2, &bytes2, 0));
  EXPECT_EQ(6u, bytes1);
  EXPECT_EQ(4u, bytes2);
  ASSERT_NE(nullptr, part2);
  const int16_t head[3] = {1, 2, 3};
  const int16_t tail[2] = {4, 5};
  memcpy(part1, head, sizeof(head));
  memcpy(part2, tail, sizeof(tail));
  ASSERT_EQ(DS_OK, buffer->Unlock(part1, bytes1, part2, bytes2));

  // A lock that fits has no second part.
  ASSERT_EQ(DS_OK, buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, DSBLOCK_ENTIREBUFFER));
  EXPECT_EQ(16u, bytes1);
  EXPECT_EQ(nullptr, part2);
  EXPECT_EQ(0u, bytes2);
  std::vector<int16_t> all(8);
  memcpy(all.data(), part1, 16);
  EXPECT_EQ(std::vector<int16_t>({4, 5, 0, 0, 0, 1, 2, 3}), all);
  // Only the bytes reported written reach the buffer.
  memset(part1, 0x7F, 16);
  ASSERT_EQ(DS_OK, buffer->Unlock(part1, 2, nullptr, 0));
  ASSERT_EQ(DS_OK, buffer->Play(0, 0, 0));
  std::vector<int16_t> left = ChannelOf(Pump(8), 2, 0);
  EXPECT_EQ(std::vector<int16_t>({0x7F7F, 5, 0, 0, 0, 1, 2, 3}), left);

  int16_t stray[2];
  EXPECT_EQ(DSERR_INVALIDPARAM, buffer->Lock(16, 1, &part1, &bytes1, &part2, &bytes2, 0));
  EXPECT_EQ(DSERR_INVALIDPARAM, buffer->Unlock(stray, 4, nullptr, 0));
}

}  // namespace
