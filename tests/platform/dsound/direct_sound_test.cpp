// Tests of the DirectSound device: creation, cooperative level, the buffer
// descriptions it accepts, the controls a buffer was made with, and output
// through an SDL audio device.
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "tests/platform/dsound/dsound_fixture.h"

namespace {

TEST_F(DirectSoundTest, BufferDescriptionsAreChecked) {
  WAVEFORMATEX mono = PcmFormat(1, 22050);
  IDirectSoundBuffer* buffer = nullptr;
  struct Case {
    const char* what;
    DWORD flags;
    DWORD bytes;
    bool withFormat;
    WAVEFORMATEX format;
    HRESULT expected;
  };
  const Case cases[] = {
      {"no format", kAllControls, 64, false, mono, DSERR_INVALIDPARAM},
      {"8-bit", kAllControls, 64, true, PcmFormat(1, 22050, 8), DSERR_BADFORMAT},
      {"three channels", kAllControls, 64, true, PcmFormat(3, 22050), DSERR_BADFORMAT},
      {"rate too low", kAllControls, 64, true, PcmFormat(1, 99), DSERR_BADFORMAT},
      {"3-D control", DSBCAPS_CTRL3D, 64, true, mono, DSERR_INVALIDPARAM},
      {"too small", kAllControls, DSBSIZE_MIN - 1, true, mono, DSERR_INVALIDPARAM},
      {"too large", kAllControls, DSBSIZE_MAX + 1, true, mono, DSERR_INVALIDPARAM},
      {"primary with a size", DSBCAPS_PRIMARYBUFFER, 64, false, mono, DSERR_INVALIDPARAM},
      {"smallest", 0, DSBSIZE_MIN, true, mono, DS_OK},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.what);
    DSBUFFERDESC desc = BufferDesc(c.flags, c.bytes, c.withFormat ? &c.format : nullptr);
    EXPECT_EQ(c.expected, mDevice->CreateSoundBuffer(&desc, &buffer, nullptr));
    if (buffer != nullptr) {
      mBuffers.push_back(buffer);
      buffer = nullptr;
    }
  }
  // The 32-bit record's size: this build's record holds a 64-bit pointer.
  DSBUFFERDESC shortDesc = BufferDesc(kAllControls, 64, &mono);
  shortDesc.dwSize = 36;
  EXPECT_EQ(DSERR_INVALIDPARAM, mDevice->CreateSoundBuffer(&shortDesc, &buffer, nullptr));
  DSBUFFERDESC desc = BufferDesc(0, 64, &mono);
  int outer = 0;
  EXPECT_EQ(DSERR_NOAGGREGATION, mDevice->CreateSoundBuffer(&desc, &buffer, &outer));
  EXPECT_EQ(DSERR_INVALIDPARAM, mDevice->CreateSoundBuffer(&desc, nullptr, nullptr));

  // The primary buffer is one object, and only it takes a format.
  DSBUFFERDESC primaryDesc = BufferDesc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* again = nullptr;
  ASSERT_EQ(DS_OK, mDevice->CreateSoundBuffer(&primaryDesc, &again, nullptr));
  EXPECT_EQ(mPrimary, again);
  again->Release();
  IDirectSoundBuffer* secondary = MakeBuffer(1, 22050, std::vector<int16_t>(4));
  EXPECT_EQ(DSERR_INVALIDCALL, secondary->SetFormat(&mono));
  WAVEFORMATEX odd = PcmFormat(2, 22050);
  odd.nBlockAlign = 2;
  EXPECT_EQ(DSERR_INVALIDPARAM, mPrimary->SetFormat(&odd));
  WAVEFORMATEX float32 = PcmFormat(2, 22050, 32);
  EXPECT_EQ(DSERR_BADFORMAT, mPrimary->SetFormat(&float32));
  EXPECT_EQ(DSERR_INVALIDPARAM, mPrimary->Play(0, 0, 0));
}

TEST_F(DirectSoundTest, ControlsNeedTheirFlagsAndStayInRange) {
  IDirectSoundBuffer* bare = MakeBuffer(1, 22050, std::vector<int16_t>(8), 0);
  LONG value = 0;
  DWORD frequency = 0;
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, bare->SetVolume(-100));
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, bare->GetPan(&value));
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, bare->SetFrequency(11025));
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, bare->GetFrequency(&frequency));

  IDirectSoundBuffer* full = MakeBuffer(2, 22050, std::vector<int16_t>(8));
  EXPECT_EQ(DSERR_INVALIDPARAM, full->SetVolume(DSBVOLUME_MAX + 1));
  EXPECT_EQ(DSERR_INVALIDPARAM, full->SetVolume(DSBVOLUME_MIN - 1));
  EXPECT_EQ(DSERR_INVALIDPARAM, full->SetPan(DSBPAN_RIGHT + 1));
  EXPECT_EQ(DS_OK, full->SetVolume(-1234));
  EXPECT_EQ(DS_OK, full->SetPan(567));
  EXPECT_EQ(DS_OK, full->GetVolume(&value));
  EXPECT_EQ(-1234, value);
  EXPECT_EQ(DS_OK, full->GetPan(&value));
  EXPECT_EQ(567, value);
  EXPECT_EQ(DSERR_INVALIDPARAM, full->Play(1, 0, 0));
  EXPECT_EQ(DSERR_INVALIDCALL, mPrimary->SetVolume(0));
  EXPECT_EQ(DSERR_PRIOLEVELNEEDED, mPrimary->Lock(0, 4, nullptr, nullptr, nullptr, nullptr, 0));
}

TEST(DirectSoundDeviceTest, CooperativeLevelGatesBuffersAndTheFormat) {
  dsoundtest::SetTestMode(true);
  IDirectSound8* device = nullptr;
  int outer = 0;
  EXPECT_EQ(DSERR_NOAGGREGATION, DirectSoundCreate8(nullptr, &device, &outer));
  EXPECT_EQ(nullptr, device);
  ASSERT_EQ(DS_OK, DirectSoundCreate8(nullptr, &device, nullptr));
  EXPECT_EQ(device, dsoundtest::NewestDevice());
  DSBUFFERDESC desc = BufferDesc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  EXPECT_EQ(DSERR_PRIOLEVELNEEDED, device->CreateSoundBuffer(&desc, &primary, nullptr));
  EXPECT_EQ(DSERR_INVALIDPARAM, device->SetCooperativeLevel(nullptr, 0));
  EXPECT_EQ(DSERR_UNSUPPORTED, device->SetCooperativeLevel(nullptr, DSSCL_WRITEPRIMARY));
  ASSERT_EQ(DS_OK, device->SetCooperativeLevel(nullptr, DSSCL_NORMAL));
  ASSERT_EQ(DS_OK, device->CreateSoundBuffer(&desc, &primary, nullptr));
  WAVEFORMATEX format = PcmFormat(2, 44100);
  EXPECT_EQ(DSERR_PRIOLEVELNEEDED, primary->SetFormat(&format));

  // Buffers keep the device: it goes with the last of them.
  EXPECT_EQ(1u, device->Release());
  EXPECT_EQ(device, dsoundtest::NewestDevice());
  EXPECT_EQ(0u, primary->Release());
  EXPECT_EQ(nullptr, dsoundtest::NewestDevice());

  dsoundtest::InjectFailure("DirectSoundCreate8", DSERR_NODRIVER);
  EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate8(nullptr, &device, nullptr));
  EXPECT_EQ(nullptr, device);
  EXPECT_GE(dsoundtest::CallCount("DirectSoundCreate8"), 3u);
  dsoundtest::ClearFailures();
  dsoundtest::SetTestMode(false);
}

// The SDL road: the dummy audio driver pulls the mix in real time, so a
// looping buffer's cursor moves without any pump.
TEST(DirectSoundDeviceTest, SdlOutputPlaysTheMix) {
  IDirectSound8* device = nullptr;
  ASSERT_EQ(DS_OK, DirectSoundCreate8(nullptr, &device, nullptr));
  ASSERT_EQ(DS_OK, device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY));
  DSBUFFERDESC primaryDesc = BufferDesc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(DS_OK, device->CreateSoundBuffer(&primaryDesc, &primary, nullptr));
  WAVEFORMATEX output = PcmFormat(2, 22050, 8);
  ASSERT_EQ(DS_OK, primary->SetFormat(&output));
  ASSERT_EQ(DS_OK, primary->Play(0, 0, DSBPLAY_LOOPING));
  output = PcmFormat(2, 22050);
  ASSERT_EQ(DS_OK, primary->SetFormat(&output));  // reopened while playing
  DWORD status = 0;
  ASSERT_EQ(DS_OK, primary->GetStatus(&status));
  EXPECT_EQ(static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), status);

  WAVEFORMATEX mono = PcmFormat(1, 22050);
  DSBUFFERDESC desc = BufferDesc(kAllControls, 2000, &mono);
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(DS_OK, device->CreateSoundBuffer(&desc, &buffer, nullptr));
  ASSERT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));
  DWORD play = 0;
  for (int i = 0; i < 200 && play == 0; i++) {
    SDL_Delay(10);
    ASSERT_EQ(DS_OK, buffer->GetCurrentPosition(&play, nullptr));
  }
  EXPECT_NE(0u, play);
  EXPECT_EQ(0u, play % 2);
  ASSERT_EQ(DS_OK, primary->Stop());
  buffer->Release();
  primary->Release();
  EXPECT_EQ(0u, device->Release());

  // Without a working audio driver there is no device.
  const char* driver = getenv("SDL_AUDIODRIVER");
  std::string saved = driver != nullptr ? driver : "";
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate8(nullptr, &device, nullptr));
  if (driver != nullptr) {
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

}  // namespace
