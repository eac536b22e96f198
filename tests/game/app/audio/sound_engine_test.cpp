// Tests of CSoundEngine: the 3-D mix, the paced buffer update on the manual
// pump and an injected clock, sounds out of range, start-up failures, the
// handle fatals, and the buffer calls the music stream relies on.
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/game/app/audio/sound_fixture.h"

namespace {

tSoundBuffer Record(bool is3D, RwV3d position) {
  tSoundBuffer buffer = {};
  buffer.sampleRate = 22050;
  buffer.bitsPerSample = 16;
  buffer.channels = 1;
  buffer.params = {static_cast<u8>(is3D ? 1 : 0), 0, 1.0f, 1.0f, 0.5f, 50.0f, position, {0.0f, 0.0f, 0.0f}};
  buffer.playWhileTimeScaled = 1;
  return buffer;
}

const tSoundListener kListener = {{0, 0, 0}, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}};

TEST(SoundMixTest, VolumePanAndFrequencyFollowTheRules) {
  struct Case {
    const char* what;
    tSoundBuffer buffer;
    tSoundListener listener;
    f32 effects;
    f32 timeScale;
    tSoundMix expected;
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, tSoundBuffer buffer, tSoundMix expected, f32 effects = 1.0f, f32 timeScale = 1.0f,
                 tSoundListener listener = kListener) {
    cases.push_back({what, buffer, listener, effects, timeScale, expected});
  };
  tSoundBuffer b = Record(false, {30, 0, 0});
  add("2-D at unity, wherever it is", b, {true, 22050, 0, 0});
  b.params.volume = 0.5f;
  add("2-D half volume is 6 dB down", b, {true, 22050, -602, 0});
  b = Record(false, {0, 0, 0});
  add("effects volume 0 is silent", b, {true, 22050, -10000, 0}, 0.0f);
  b.params.frequencyFactor = 10.0f;
  add("frequency capped", b, {true, 100000, 0, 0});
  b = Record(false, {0, 0, 0});
  add("time-scaled but allowed", b, {true, 22050, 0, 0}, 1.0f, 0.5f);
  b.playWhileTimeScaled = 0;
  add("time-scaled and muted", b, {true, 22050, -10000, 0}, 1.0f, 0.5f);

  b = Record(true, {0, 0, 0});
  add("3-D at the listener: ratio 1, pan 0", b, {true, 22050, 0, 0});
  b = Record(true, {1, 0, 0});
  add("3-D at twice the minimum, on the left", b, {true, 22050, -602, -3600});
  b = Record(true, {0, 0, 50.5f});
  add("3-D beyond the maximum", b, {false, 0, 0, 0});
  b = Record(true, {0, 0, 0.001f});
  b.params.minDistance = 0.0f;
  b.params.maxDistance = 0.0f;
  add("minimum 0 becomes 1e-9, maximum 20 x that", b, {false, 0, 0, 0});
  b.params.position = {0, 0, 0};
  add("minimum 0 at the listener", b, {true, 22050, 0, 0});
  b = Record(true, {0, 39.9f, 0});
  b.params.minDistance = 2.0f;
  b.params.maxDistance = 1.0f;
  add("maximum below the minimum becomes 20 x minimum", b, {true, 22050, -10000, 0});
  b = Record(true, {10, 0, 0});
  b.params.minDistance = 20.0f;
  b.params.velocity = {-200, 0, 0};
  add("Doppler of an approaching source clamped at 2", b, {true, 44100, 0, -3600});
  b.params.velocity = {0, 0, 0};
  tSoundListener leaving = kListener;
  leaving.velocity = {-300, 0, 0};
  add("Doppler of a leaving listener clamped at 0.5", b, {true, 11025, 0, -3600}, 1.0f, 1.0f, leaving);
  b.params.velocity = {std::numeric_limits<f32>::quiet_NaN(), 0, 0};
  add("a velocity that is not a number shifts nothing", b, {true, 22050, 0, -3600});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tSoundMix mix = ComputeSoundMix(c.buffer, c.listener, c.effects, 1.0f, c.timeScale);
    EXPECT_EQ(c.expected.audible, mix.audible);
    if (c.expected.audible) {
      EXPECT_EQ(c.expected.frequency, mix.frequency);
      EXPECT_EQ(c.expected.volume, mix.volume);
      EXPECT_EQ(c.expected.pan, mix.pan);
    }
  }
}

class SoundEngineTest : public SoundTest {
 protected:
  // A loaded mono tone of frames frames at 22050 Hz.
  tSoundBuffer* LoadTone(size_t frames) {
    mTone = ToneSamples(frames, 1, 50.0, 16000.0);
    MountSounds({{"tone", WavWriter::Pcm16(1, 22050, mTone)}});
    CreateEngine();
    tSoundBuffer* buffer = CSoundEngine::LoadWav("tone");
    EXPECT_NE(nullptr, buffer);
    return buffer;
  }

  static LONG DsVolume(tSoundBuffer* buffer) {
    LONG volume = 1;
    EXPECT_EQ(DS_OK, buffer->dsBuffer->GetVolume(&volume));
    return volume;
  }

  std::vector<int16_t> mTone;
};

TEST_F(SoundEngineTest, AToneStartsAtTheNextUpdateAndEndsItself) {
  tSoundBuffer* buffer = LoadTone(1000);
  CSoundEngine::Play(buffer);
  EXPECT_FALSE(CSoundEngine::IsPlaying(buffer));
  EXPECT_EQ(std::vector<int16_t>(20, 0), Pump(10));
  CSoundEngine::UpdateNow(true);
  EXPECT_TRUE(CSoundEngine::IsPlaying(buffer));
  std::vector<int16_t> mix = Pump(1200);
  std::vector<int16_t> expected = mTone;
  expected.resize(1200, 0);
  EXPECT_EQ(expected, ChannelOf(mix, 2, 0));
  EXPECT_EQ(expected, ChannelOf(mix, 2, 1));
  CSoundEngine::UpdateNow(true);
  EXPECT_FALSE(CSoundEngine::IsPlaying(buffer));
  EXPECT_EQ(static_cast<u32>(ssStopped), buffer->state);
}

TEST_F(SoundEngineTest, UpdatesArePacedByTheClock) {
  LoadTone(100);
  auto updates = [] { return dsoundtest::CallCount("GetCurrentPosition"); };
  dsoundtest::ResetCallCounts();
  CSoundEngine::Update();
  EXPECT_EQ(1u, updates());
  CSoundEngine::Update();
  Advance(24);
  CSoundEngine::Update();
  EXPECT_EQ(1u, updates());
  Advance(1);
  CSoundEngine::Update();
  EXPECT_EQ(2u, updates());
  CSoundEngine::UpdateNow(false);
  CSoundEngine::Update();
  EXPECT_EQ(3u, updates());
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(4u, updates());
  CSoundEngine::Update();
  EXPECT_EQ(4u, updates());
  // Across the wrap of the millisecond clock.
  sNow = 0xFFFFFFF0u;
  CSoundEngine::UpdateNow(true);
  Advance(30);
  CSoundEngine::Update();
  EXPECT_EQ(6u, updates());
}

TEST_F(SoundEngineTest, DirectSoundIsToldOnlyOfChangesAboveFifty) {
  tSoundBuffer* buffer = LoadTone(100);
  CSoundEngine::Play(buffer);
  tSound3DParams* params = CSoundEngine::GetParams(buffer);
  params->looping = 1;
  CSoundEngine::UpdateNow(true);
  dsoundtest::ResetCallCounts();
  struct Step {
    f32 volume;
    f32 frequencyFactor;
    unsigned volumeCalls;
    unsigned frequencyCalls;
    LONG dsVolume;
  };
  const Step steps[] = {
      {0.995f, 1.0f, 0, 0, 0},     // -4
      {0.9f, 1.0f, 1, 0, -91},     // -91
      {0.89f, 1.002f, 1, 0, -91},  // -101 and 22094 Hz: both within 50
      {0.89f, 1.003f, 1, 1, -91},  // 22116 Hz
      {0.0f, 1.003f, 2, 1, -10000},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "volume " << step.volume << " factor " << step.frequencyFactor);
    params->volume = step.volume;
    params->frequencyFactor = step.frequencyFactor;
    CSoundEngine::UpdateNow(true);
    EXPECT_EQ(step.volumeCalls, dsoundtest::CallCount("SetVolume"));
    EXPECT_EQ(step.frequencyCalls, dsoundtest::CallCount("SetFrequency"));
    EXPECT_EQ(0u, dsoundtest::CallCount("SetPan"));
    EXPECT_EQ(step.dsVolume, DsVolume(buffer));
  }
  EXPECT_EQ(0u, dsoundtest::CallCount("Play"));
}

TEST_F(SoundEngineTest, OutOfRangeOneShotEndsByItsVirtualLength) {
  tSoundBuffer* buffer = LoadTone(4410);  // 8820 bytes, 0.2 s
  tSound3DParams* params = CSoundEngine::GetParams(buffer);
  params->is3D = 1;
  params->position = {100, 0, 0};
  CSoundEngine::Play(buffer);
  dsoundtest::ResetCallCounts();
  // Each update moves the virtual cursor on by 22050 x 2 x 0.025 = 1102 bytes.
  u32 updates = 0;
  while (buffer->state != ssStopped && updates < 20) {
    CSoundEngine::UpdateNow(true);
    updates++;
    if (buffer->state != ssStopped) {
      EXPECT_EQ(static_cast<u32>(ssPlayRequested), buffer->state);
      EXPECT_EQ(1102u * updates, buffer->pendingPosition);
    }
  }
  EXPECT_EQ(9u, updates);
  EXPECT_EQ(0u, dsoundtest::CallCount("Play"));
  EXPECT_EQ(std::vector<int16_t>(20, 0), Pump(10));
  // It went back to its start, as a one-shot that ends does.
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(0u, CSoundEngine::GetPlayPosition(buffer));
}

TEST_F(SoundEngineTest, OutOfRangeLoopWrapsAndResumesWhereItWouldBe) {
  tSoundBuffer* buffer = LoadTone(4410);
  tSound3DParams* params = CSoundEngine::GetParams(buffer);
  params->is3D = 1;
  params->looping = 1;
  params->position = {100, 0, 0};
  CSoundEngine::Play(buffer);
  for (int i = 0; i < 9; i++) {
    CSoundEngine::UpdateNow(true);
  }
  EXPECT_EQ((1102u * 9) % 8818, buffer->pendingPosition);
  // In range again: DirectSound plays on from the virtual position.
  params->position = {0, 0, 0};
  dsoundtest::ResetCallCounts();
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(1u, dsoundtest::CallCount("Play"));
  EXPECT_TRUE(CSoundEngine::IsPlaying(buffer));
  EXPECT_EQ(1100u, CSoundEngine::GetPlayPosition(buffer));
  std::vector<int16_t> left = ChannelOf(Pump(4), 2, 0);
  EXPECT_EQ(std::vector<int16_t>(mTone.begin() + 550, mTone.begin() + 554), left);
  // Out of range again: DirectSound stops, the state stays.
  params->position = {0, 100, 0};
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(1u, dsoundtest::CallCount("Stop"));
  EXPECT_EQ(static_cast<u32>(ssPlaying), buffer->state);
  EXPECT_EQ(0u, buffer->physicallyPlaying);
}

TEST_F(SoundEngineTest, ListenerKeepsItsVelocityAgainstJumps) {
  CreateEngine();
  tSoundListener listener = {{1, 2, 3}, {400, 0, 0}, {1, 0, 0}, {0, 0, 1}};
  CSoundEngine::SetListener(&listener);
  listener.position = {4, 5, 6};
  listener.velocity = {0, 501, 0};
  CSoundEngine::SetListener(&listener);
  const tSoundListener& kept = CSoundEngine::GetListener();
  EXPECT_EQ(4.0f, kept.position.x);
  EXPECT_EQ(400.0f, kept.velocity.x);
  EXPECT_EQ(0.0f, kept.velocity.y);
  EXPECT_EQ(1.0f, kept.at.x);
  EXPECT_EQ(1.0f, kept.up.z);
}

TEST_F(SoundEngineTest, StartUpFailuresAreTracedAndLeaveNoDevice) {
  struct Case {
    const char* method;
    const char* trace;
  };
  const Case cases[] = {
      {"DirectSoundCreate8", "Failed to create DirectSound object."},
      {"SetCooperativeLevel", "Failed to set DirectSound cooperative level."},
      {"CreateSoundBuffer", "Failed to create primary sound buffer."},
      {"SetFormat", "Failed to set primary sound buffer format (22050 Hz, 16 bits)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    dsoundtest::InjectFailure(c.method, DSERR_GENERIC);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CSoundEngine::Create(22050, 16, 40.0f));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find(c.trace));
    EXPECT_FALSE(CSoundEngine::HasDevice());
    EXPECT_EQ(nullptr, dsoundtest::NewestDevice());
    EXPECT_EQ(nullptr, CSoundEngine::CreateBuffer(64, 1, 22050));
    dsoundtest::ClearFailures();
  }
  CreateEngine();
  EXPECT_FALSE(CSoundEngine::Create(22050, 16, 40.0f));
}

TEST_F(SoundEngineTest, ShutdownDestroysEveryBufferAndTheEngineStartsAgain) {
  CreateEngine();
  tSoundBuffer* first = CSoundEngine::CreateBuffer(100, 1, 22050);
  CSoundEngine::CreateBuffer(100, 2, 22050);
  CSoundEngine::DestroyBuffer(first);
  EXPECT_EQ(1u, CSoundEngine::GetBufferCount());
  CSoundEngine::Shutdown();
  EXPECT_EQ(nullptr, dsoundtest::NewestDevice());
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
  CSoundEngine::Play(first);  // no device: nothing happens
  EXPECT_FALSE(CSoundEngine::IsPlaying(first));
  CreateEngine();
}

// The music stream's road: a large looping buffer written in chunks through
// locks that wrap, its play position set and read back.
TEST_F(SoundEngineTest, StreamBufferLocksAcrossItsEnd) {
  CreateEngine();
  const u32 size = 819200;
  tSoundBuffer* buffer = CSoundEngine::CreateBuffer(size, 2, 44100);
  ASSERT_NE(nullptr, buffer);
  tSoundLock lock;
  ASSERT_TRUE(CSoundEngine::Lock(buffer, size - 1000, 4096, &lock));
  EXPECT_EQ(1000u, lock.bytes1);
  EXPECT_EQ(3096u, lock.bytes2);
  memset(lock.part1, 0x11, lock.bytes1);
  memset(lock.part2, 0x22, lock.bytes2);
  CSoundEngine::Unlock(buffer, &lock);
  EXPECT_FALSE(CSoundEngine::Lock(buffer, size, 16, &lock));

  CSoundEngine::SetPlayPosition(buffer, size - 8);
  CSoundEngine::GetParams(buffer)->looping = 1;
  CSoundEngine::Play(buffer);
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(size - 8, CSoundEngine::GetPlayPosition(buffer));
  // Each output frame takes two frames of the 44100 Hz buffer.
  std::vector<int16_t> mix = Pump(4);
  EXPECT_EQ(0x1111, mix[0]);
  EXPECT_EQ(0x1111, mix[1]);
  EXPECT_EQ(0x2222, mix[2]);
  EXPECT_EQ(0x2222, mix[7]);
  CSoundEngine::UpdateNow(true);
  EXPECT_EQ(6u * 4, CSoundEngine::GetPlayPosition(buffer));
}

using SoundEngineDeathTest = SoundEngineTest;

TEST_F(SoundEngineDeathTest, BadHandlesAndDirectSoundFailuresAreFatal) {
  CreateEngine();
  tSoundBuffer* buffer = CSoundEngine::CreateBuffer(64, 1, 22050);
  tSoundBuffer bogus = *buffer;
  tSound3DParams params = {};
  EXPECT_DEATH(CSoundEngine::Play(&bogus), "Buffer must exist 002\\.");
  EXPECT_DEATH(CSoundEngine::Stop(&bogus), "Buffer must exist 003\\.");
  EXPECT_DEATH(CSoundEngine::GetParams(&bogus), "Buffer must exist 007\\.");
  EXPECT_DEATH(CSoundEngine::SetParams(&bogus, &params), "Buffer must exist 008\\.");
  EXPECT_DEATH(CSoundEngine::GetPlayPosition(&bogus), "Buffer must exist 009\\.");
  EXPECT_DEATH(CSoundEngine::SetPlayPosition(&bogus, 0), "Buffer must exist 010\\.");
  EXPECT_DEATH(CSoundEngine::SetPlayWhileTimeScaled(&bogus, true), "Buffer must exist 013\\.");
  EXPECT_DEATH(CSoundEngine::DestroyBuffer(&bogus), "Destroying buffer which is not in buffers array\\.");
  tSoundLock stray = {&params, 4, nullptr, 0};
  EXPECT_DEATH(CSoundEngine::Unlock(buffer, &stray), "Unlock buffer");
  // The quiet calls ignore what is not a buffer.
  CSoundEngine::SetVolume(&bogus, 0.5f);
  CSoundEngine::SetPosition(nullptr, nullptr);
  CSoundEngine::AttachFrame(&bogus, nullptr, true);
  EXPECT_FALSE(CSoundEngine::IsPlaying(&bogus));
  EXPECT_FALSE(CSoundEngine::Lock(&bogus, 0, 4, &stray));

  CSoundEngine::Play(buffer);
  dsoundtest::InjectFailure("GetCurrentPosition", DSERR_GENERIC);
  EXPECT_DEATH(CSoundEngine::UpdateNow(true), "Get position of buffer");
  dsoundtest::InjectFailure("SetCurrentPosition", DSERR_GENERIC);
  CSoundEngine::SetPlayPosition(buffer, 2);
  EXPECT_DEATH(CSoundEngine::UpdateNow(true), "Calculate buffer position");
  dsoundtest::ClearFailures();
  dsoundtest::InjectFailure("Play", DSERR_GENERIC);
  EXPECT_DEATH(CSoundEngine::UpdateNow(true), "Start playing sound");
  CSoundEngine::Shutdown();
  EXPECT_DEATH(CSoundEngine::Create(22050, 16, 40.0f), "Not make primary buffer play continuously");
}

}  // namespace
