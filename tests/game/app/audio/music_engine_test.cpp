// Tests of MusicEngine's shared track table: silent entries, owners that
// play and stop in turn, slots that stay put, the sound engine lock the
// table holds, and the reference count's floor.
#include "game/app/audio/music_engine.h"

#include "tests/game/app/audio/music_fixture.h"

namespace {

class MusicEngineTest : public MusicTest {
 protected:
  void SetUp() override {
    MusicTest::SetUp();
    const std::vector<int16_t> tone = ToneSamples(11025, 1, 60.0, 8000.0);
    const std::string bytes = OggWriter::Vorbis(1, 22050, tone).Build();
    const std::string empty = OggWriter::Vorbis(2, 22050, {}).Build();
    MountMusic({{"ONE", bytes}, {"TWO", bytes}, {"THREE", bytes}, {"EMPTY", empty}});
  }
  void TearDown() override {
    EXPECT_EQ(0, MusicEngine::GetReferenceCount());
    EXPECT_EQ(0u, MusicEngine::GetTrackCount());
    EXPECT_EQ(0u, cSndEngWin::GetEngineLockCount());
    MusicTest::TearDown();
  }
};

TEST_F(MusicEngineTest, ANameWithoutAFileKeepsASilentEntryUntilStop) {
  MusicEngine music;
  ASSERT_TRUE(music.Init());
  music.Play("NOFILE");
  ASSERT_EQ(0u, music.GetCurrentTrack());
  CMusicTrack* track = MusicEngine::GetTrack(0);
  ASSERT_NE(nullptr, track);
  EXPECT_TRUE(track->IsSilent());
  EXPECT_EQ(nullptr, track->GetDecoder());
  EXPECT_EQ(0, track->FreeSpace());
  EXPECT_EQ(0, track->Update());
  music.Update();
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
  music.Stop();
  EXPECT_EQ(kNoMusicTrack, music.GetCurrentTrack());
  EXPECT_EQ(nullptr, MusicEngine::GetTrack(0));
  // With no current track, Stop only stops.
  music.Stop();
  EXPECT_EQ(0, music.Release());
}

TEST_F(MusicEngineTest, OwnersPlayAndStopInTurnInTheirOwnSlots) {
  MusicEngine a;
  MusicEngine b;
  a.Init();
  b.Init();
  EXPECT_EQ(2, MusicEngine::GetReferenceCount());
  a.Play("ONE");
  b.Play("TWO");
  ASSERT_EQ(0u, a.GetCurrentTrack());
  ASSERT_EQ(1u, b.GetCurrentTrack());
  CMusicTrack* two = MusicEngine::GetTrack(1);
  EXPECT_EQ(2u, CSoundEngine::GetBufferCount());
  a.Update();
  CSoundEngine::UpdateNow(true);
  EXPECT_TRUE(CSoundEngine::IsPlaying(two->GetBuffer()));

  // A's track goes; B's keeps its slot, its buffer and its decoder.
  a.Stop();
  EXPECT_EQ(nullptr, MusicEngine::GetTrack(0));
  EXPECT_EQ(two, MusicEngine::GetTrack(1));
  EXPECT_EQ(1u, CSoundEngine::GetBufferCount());
  EXPECT_EQ(1u, b.GetCurrentTrack());
  b.Update();
  a.Play("ONE");
  EXPECT_EQ(0u, a.GetCurrentTrack());
  // Playing again replaces the owner's own track, in the first free slot.
  b.Play("THREE");
  EXPECT_EQ(1u, b.GetCurrentTrack());
  EXPECT_EQ(2u, MusicEngine::GetTrackCount());
  EXPECT_EQ(2u, CSoundEngine::GetBufferCount());
  CSoundEngine::UpdateNow(true);
  EXPECT_TRUE(CSoundEngine::IsPlaying(MusicEngine::GetTrack(1)->GetBuffer()));
  b.Stop();
  b.Play("TWO");
  EXPECT_EQ(1u, b.GetCurrentTrack());

  EXPECT_EQ(1, b.Release());
  EXPECT_EQ(nullptr, MusicEngine::GetTrack(1));
  EXPECT_NE(nullptr, MusicEngine::GetTrack(0));
  EXPECT_EQ(0, a.Release());
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
}

TEST_F(MusicEngineTest, TheTableHoldsTheSoundEngineFromFirstInitToLastRelease) {
  MusicEngine music;
  music.Init();
  EXPECT_TRUE(cSndEngWin::IsEngineOpen());
  EXPECT_EQ(1u, cSndEngWin::GetEngineLockCount());
  music.Play("ONE");
  tSoundBuffer* buffer = MusicEngine::GetTrack(0)->GetBuffer();
  // A sound object's life in between leaves the music playing.
  cSndEngWin::LockEngine();
  cSndEngWin::UnlockEngine();
  EXPECT_TRUE(CSoundEngine::HasDevice());
  music.Update();
  CSoundEngine::UpdateNow(true);
  EXPECT_TRUE(CSoundEngine::IsPlaying(buffer));
  EXPECT_NE(std::vector<int16_t>(200, 0), Pump(100));
  music.Release();
  EXPECT_FALSE(CSoundEngine::HasDevice());
}

TEST_F(MusicEngineTest, AStreamWithoutAudioStopsInsteadOfLoopingForever) {
  MusicEngine music;
  music.Init();
  music.Play("EMPTY");
  CMusicTrack* track = MusicEngine::GetTrack(0);
  EXPECT_FALSE(track->IsSilent());
  EXPECT_EQ(-1, track->Update());
  EXPECT_EQ(static_cast<u32>(msStopped), track->GetState());
  EXPECT_EQ(-1, track->Update());
  music.Release();
}

TEST_F(MusicEngineTest, ReleaseBelowZeroIsFatal) {
  MusicEngine music;
  EXPECT_DEATH(music.Release(), "MusicEngine ref count below zero!");
}

}  // namespace
