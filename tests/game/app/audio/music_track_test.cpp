// Tests of CMusicTrack by reading back the mix: the mixed music equals the
// decoder's own output across the buffer's wrap and the loop's seam, fades
// step once per update, and a paused track resumes where it stopped.
#include "game/app/audio/music_engine.h"
#include "tests/game/app/audio/music_fixture.h"

namespace {

// 25 ms of output at 22050 Hz: one frame of the game.
constexpr uint32_t kFrameOutput = 551;

class MusicTrackTest : public MusicTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(0, MusicEngine::GetReferenceCount());
    EXPECT_EQ(0u, cSndEngWin::GetEngineLockCount());
    MusicTest::TearDown();
  }

  // Serves a tone of seconds as "TONE", starts the music engine and plays
  // it; the track's first refill is done.
  CMusicTrack* PlayTone(uint16_t channels, double seconds) {
    const size_t frames = static_cast<size_t>(22050 * seconds);
    MountMusic({{"TONE", OggWriter::Vorbis(channels, 22050, ToneSamples(frames, channels, 80.0, 9000.0)).Build()}});
    mDecoded = DecodeFile("TONE");
    mMusic.Init();
    mMusic.Play("TONE");
    CMusicTrack* track = MusicEngine::GetTrack(mMusic.GetCurrentTrack());
    EXPECT_NE(nullptr, track);
    EXPECT_FALSE(track->IsSilent());
    mMusic.Update();
    CSoundEngine::UpdateNow(true);
    return track;
  }

  // One frame of the game: the output mixed meanwhile, then the sound
  // engine's update, then the music refill. Stereo samples.
  std::vector<int16_t> Frame(uint32_t frames = kFrameOutput) {
    std::vector<int16_t> mix = Pump(frames);
    CSoundEngine::UpdateNow(true);
    mMusic.Update();
    return mix;
  }

  // The decoder's output from the start, looped, as count stereo samples.
  std::vector<int16_t> Expected(uint16_t channels, size_t count) const {
    std::vector<int16_t> out;
    size_t i = 0;
    while (out.size() < count) {
      int16_t sample = mDecoded[i % mDecoded.size()];
      out.push_back(sample);
      if (channels == 1) {
        out.push_back(sample);
      }
      i++;
    }
    out.resize(count);
    return out;
  }

  MusicEngine mMusic;
  std::vector<int16_t> mDecoded;
};

class MusicLoopTest : public MusicTrackTest, public testing::WithParamInterface<uint16_t> {};

TEST_P(MusicLoopTest, TheMixIsTheDecoderAcrossTheWrapAndTheSeam) {
  const uint16_t channels = GetParam();
  CMusicTrack* track = PlayTone(channels, 1.5);
  // Filled up to less than two chunks short of the play cursor.
  EXPECT_LT(track->FreeSpace(), 8192);
  EXPECT_GE(track->FreeSpace(), 4096);
  // Enough output to go round the buffer once and then some; the tone
  // loops many times meanwhile.
  const uint32_t bufferFrames = track->GetBufferSize() / (2 * channels);
  std::vector<int16_t> mixed;
  while (mixed.size() < 2 * (bufferFrames + bufferFrames / 4)) {
    std::vector<int16_t> frame = Frame(4 * kFrameOutput);
    mixed.insert(mixed.end(), frame.begin(), frame.end());
  }
  const std::vector<int16_t> expected = Expected(channels, mixed.size());
  size_t firstDifference = 0;
  while (firstDifference < mixed.size() && mixed[firstDifference] == expected[firstDifference]) {
    firstDifference++;
  }
  EXPECT_EQ(mixed.size(), firstDifference) << "of " << mixed.size() << " samples";
  mMusic.Release();
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, MusicLoopTest, testing::Values(1, 2));

TEST_F(MusicTrackTest, EqualPositionsLeaveTheWholeBufferFree) {
  CMusicTrack* track = PlayTone(2, 0.5);
  track->Stop(0.0f);
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(0u, CSoundEngine::GetPlayPosition(track->GetBuffer()));
  EXPECT_EQ(0u, track->GetWritePosition());
  EXPECT_EQ(static_cast<s32>(kMusicChunkSize * kMusicBufferChunks), track->FreeSpace());
  mMusic.Release();
}

TEST_F(MusicTrackTest, FadesStepOncePerUpdate) {
  CMusicTrack* track = PlayTone(1, 0.5);
  auto volume = [track] { return CSoundEngine::GetParams(track->GetBuffer())->volume; };
  track->Play(4.0f);
  EXPECT_EQ(0.0f, volume());
  for (f32 level : {0.25f, 0.5f, 0.75f, 1.0f}) {
    SCOPED_TRACE(level);
    EXPECT_EQ(static_cast<u32>(mfIn), track->GetFadeMode());
    Frame();
    EXPECT_EQ(level, track->GetLevel());
    EXPECT_EQ(level, volume());
  }
  EXPECT_EQ(static_cast<u32>(mfNone), track->GetFadeMode());

  track->Pause(2.0f);
  Frame();
  EXPECT_EQ(0.5f, track->GetLevel());
  EXPECT_EQ(static_cast<u32>(msPlaying), track->GetState());
  Frame();
  EXPECT_EQ(static_cast<u32>(msPaused), track->GetState());
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(std::vector<int16_t>(2 * kFrameOutput, 0), Frame());

  track->Play(2.0f);
  Frame();
  EXPECT_EQ(0.5f, track->GetLevel());
  track->Stop(2.0f);
  Frame();
  EXPECT_EQ(0.0f, track->GetLevel());
  EXPECT_EQ(static_cast<u32>(msStopped), track->GetState());
  EXPECT_EQ(static_cast<u32>(mfNone), track->GetFadeMode());
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(std::vector<int16_t>(2 * kFrameOutput, 0), Frame());
  mMusic.Release();
}

TEST_F(MusicTrackTest, APausedTrackResumesWhereItStopped) {
  CMusicTrack* track = PlayTone(2, 2.0);
  std::vector<int16_t> heard = Frame();
  std::vector<int16_t> more = Frame();
  heard.insert(heard.end(), more.begin(), more.end());
  track->Pause(0.0f);
  CSoundEngine::UpdateNow(true);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(std::vector<int16_t>(2 * kFrameOutput, 0), Frame());
  }
  track->Play(0.0f);
  CSoundEngine::UpdateNow(true);
  more = Frame();
  heard.insert(heard.end(), more.begin(), more.end());
  EXPECT_EQ(Expected(2, heard.size()), heard);
  mMusic.Release();
}

}  // namespace
