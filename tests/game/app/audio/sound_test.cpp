// Tests of the sound objects: the shared engine's life, loading by name,
// playing read back from the mix, 3-D from the first position, following a
// frame, and objects without a sample.
#include <memory>

#include "tests/game/app/audio/sound_fixture.h"

namespace {

class SoundObjectTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    mTone = ToneSamples(2000, 1, 40.0, 10000.0);
    MountSounds({{"sfx/tone", WavWriter::Pcm16(1, 22050, mTone)}});
  }
  void TearDown() override {
    EXPECT_EQ(0u, cSndEngWin::GetEngineLockCount());
    SoundTest::TearDown();
  }

  // The next update of the engine, as the screens' tick runs it.
  static void Tick() {
    Advance(40);
    cSndEngWin::UpdateAll();
  }

  static LONG DsVolume(const cSndEngWin& sound) {
    LONG volume = 1;
    EXPECT_EQ(DS_OK, sound.GetBuffer()->dsBuffer->GetVolume(&volume));
    return volume;
  }

  std::vector<int16_t> mTone;
};

TEST_F(SoundObjectTest, TheEngineLivesFromTheFirstSoundToTheLast) {
  testing::internal::CaptureStderr();
  auto first = std::make_unique<cSndEngWin>("sfx/tone");
  auto second = std::make_unique<cSndEngWin>("sfx/tone");
  EXPECT_EQ(2u, cSndEngWin::GetEngineLockCount());
  EXPECT_TRUE(cSndEngWin::IsEngineOpen());
  IDirectSound8* device = dsoundtest::NewestDevice();
  first.reset();
  EXPECT_EQ(device, dsoundtest::NewestDevice());
  second.reset();
  EXPECT_FALSE(CSoundEngine::HasDevice());
  EXPECT_EQ(nullptr, dsoundtest::NewestDevice());
  auto third = std::make_unique<cSndEngWin>("sfx/tone");
  EXPECT_TRUE(CSoundEngine::HasDevice());
  third.reset();
  EXPECT_EQ(
      "cSndEngWin Lock cnt++ = 0\nInitializing cSndEngWin\ncSndEngWin Lock cnt++ = 1\nDestroying cSndEngWin\n"
      "cSndEngWin Lock cnt++ = 0\nInitializing cSndEngWin\nDestroying cSndEngWin\n",
      testing::internal::GetCapturedStderr());
}

TEST_F(SoundObjectTest, LoadingAgainKeepsOneLockAndOneBuffer) {
  cSndEngWin sound("sfx/tone");
  tSoundBuffer* before = sound.GetBuffer();
  ASSERT_NE(nullptr, before);
  EXPECT_TRUE(sound.Create(0u));
  EXPECT_TRUE(sound.Create("sfx/tone"));
  EXPECT_FALSE(sound.Create("sfx/missing"));
  EXPECT_STREQ("sfx/missing", sound.GetName());
  EXPECT_EQ(nullptr, sound.GetBuffer());
  EXPECT_EQ(1u, cSndEngWin::GetEngineLockCount());
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
}

TEST_F(SoundObjectTest, ASoundWithoutASampleDoesNothing) {
  cSndEngWin nameless;
  EXPECT_FALSE(nameless.Create(0u));
  EXPECT_EQ(0u, cSndEngWin::GetEngineLockCount());
  // Without an engine the listener and the update are left alone.
  RwV3d somewhere = {4, 5, 6};
  cSndEngWin::SetListener(&somewhere);
  cSndEngWin::UpdateAll();
  EXPECT_NE(4.0f, cSndEngWin::GetListener().position.x);
  cSndEngWin missing("sfx/none");
  EXPECT_EQ(1u, cSndEngWin::GetEngineLockCount());
  for (cSndEngWin* sound : {&nameless, &missing}) {
    RwV3d where = {1, 2, 3};
    sound->Play();
    sound->PlayAt(&where);
    sound->SetLooping(true);
    sound->SetVolume(0.5f);
    sound->SetMinMaxDistance(1.0f, 2.0f);
    sound->Stop();
    Tick();
    EXPECT_FALSE(sound->IsPlaying());
    EXPECT_EQ(nullptr, sound->GetBuffer());
    EXPECT_EQ(0.5f, sound->GetVolume());
    EXPECT_EQ(2.0f, sound->GetPosition().y);
  }
}

TEST_F(SoundObjectTest, PlaysStopsAndReplaysWithoutRestarting) {
  cSndEngWin sound("sfx/tone");
  sound.Play();
  Tick();
  EXPECT_TRUE(sound.IsPlaying());
  EXPECT_EQ(std::vector<int16_t>(mTone.begin(), mTone.begin() + 500), ChannelOf(Pump(500), 2, 1));
  dsoundtest::ResetCallCounts();
  // Stop and play in one frame: the engine sees the play request only.
  sound.Play();
  Tick();
  EXPECT_EQ(0u, dsoundtest::CallCount("Stop"));
  EXPECT_EQ(std::vector<int16_t>(mTone.begin() + 500, mTone.begin() + 600), ChannelOf(Pump(100), 2, 0));
  sound.Stop();
  Tick();
  EXPECT_FALSE(sound.IsPlaying());
  EXPECT_EQ(std::vector<int16_t>(20, 0), Pump(10));
}

TEST_F(SoundObjectTest, TheFirstPositionMakesASound3D) {
  cSndEngWin sound("sfx/tone");
  RwV3d far = {0, 0, 20};
  cSndEngWin::SetListener(&far);
  sound.SetLooping(true);
  sound.Play();
  Tick();
  EXPECT_EQ(0, DsVolume(sound));  // 2-D: centred, no distance
  EXPECT_EQ(0u, CSoundEngine::GetParams(sound.GetBuffer())->is3D);

  RwV3d origin = {0, 0, 0};
  sound.SetPosition(&origin);
  EXPECT_TRUE(sound.IsPositionSet());
  EXPECT_EQ(1u, CSoundEngine::GetParams(sound.GetBuffer())->is3D);
  Tick();
  // Minimum 5: at 20 the level has halved three times, 18 dB.
  EXPECT_EQ(-1806, DsVolume(sound));
  sound.SetMinMaxDistance(10.0f, 100.0f);
  EXPECT_EQ(10.0f, CSoundEngine::GetParams(sound.GetBuffer())->minDistance);
  Tick();
  EXPECT_EQ(-602, DsVolume(sound));
  sound.SetEffectsVolume(0.5f);
  EXPECT_EQ(0.5f, CSoundEngine::GetEffectsVolume());
  Tick();
  EXPECT_EQ(-1204, DsVolume(sound));
  RwV3d beyond = {0, 0, 200};
  sound.PlayAt(&beyond);
  Tick();
  EXPECT_EQ(0u, sound.GetBuffer()->physicallyPlaying);
}

TEST_F(SoundObjectTest, ASoundInAnUpdateListFollowsItsFrame) {
  cList clients;
  cSndEngWin sound;
  ASSERT_TRUE(sound.Create(&clients, "sfx/tone"));
  EXPECT_EQ(&sound, clients.First());
  RwFrame* frame = RwFrameCreate();
  sound.SetFrame(frame);
  sound.SetLooping(true);
  EXPECT_EQ(frame, sound.GetBuffer()->frame);
  sound.Play();
  Tick();

  RwV3d step = {2, 0, 0};
  RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  UpdateClients(clients, 0.5f);
  EXPECT_EQ(2.0f, sound.GetPosition().x);
  EXPECT_EQ(4.0f, sound.GetVelocity().x);
  EXPECT_EQ(2.0f, CSoundEngine::GetParams(sound.GetBuffer())->position.x);
  // A paused tick carries no time: the velocity stays.
  RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  UpdateClients(clients, 0.0f);
  EXPECT_EQ(4.0f, sound.GetPosition().x);
  EXPECT_EQ(4.0f, sound.GetVelocity().x);
  // A stopped sound stays where it was.
  sound.Stop();
  Tick();
  RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  UpdateClients(clients, 0.5f);
  EXPECT_EQ(4.0f, sound.GetPosition().x);
  RwFrameDestroy(frame);
}

}  // namespace
