// Tests of the DirectSound device: creation, cooperative level, the buffer
// descriptions it accepts, the controls a buffer was made with, and output
// through an SDL audio device.
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "tests/platform/dsound/dsound_fixture.h"

namespace {

TEST_F(DirectSoundTest, OnlyWhatTheMixerPlaysIsAccepted) {
  WAVEFORMATEX mono = dsoundtest::PcmFormat(1, 22050);
  struct Case {
    const char* what;
    DWORD flags;
    DWORD bytes;
    WAVEFORMATEX format;
    HRESULT expected;
  };
  const Case cases[] = {
      {"8-bit", kAllControls, 64, dsoundtest::PcmFormat(1, 22050, 8), DSERR_BADFORMAT},
      {"three channels", kAllControls, 64, dsoundtest::PcmFormat(3, 22050), DSERR_BADFORMAT},
      {"3-D control", DSBCAPS_CTRL3D, 64, mono, DSERR_INVALIDPARAM},
      {"too small", kAllControls, DSBSIZE_MIN - 1, mono, DSERR_INVALIDPARAM},
      {"too large", kAllControls, DSBSIZE_MAX + 1, mono, DSERR_INVALIDPARAM},
  };
  IDirectSoundBuffer* buffer = nullptr;
  for (Case c : cases) {
    SCOPED_TRACE(c.what);
    DSBUFFERDESC desc = BufferDesc(c.flags, c.bytes, &c.format);
    EXPECT_EQ(c.expected, mDevice->CreateSoundBuffer(&desc, &buffer, nullptr));
    EXPECT_EQ(nullptr, buffer);
  }
  // The 32-bit record's size: this build's record holds a 64-bit pointer.
  DSBUFFERDESC shortDesc = BufferDesc(kAllControls, 64, &mono);
  shortDesc.dwSize = 36;
  EXPECT_EQ(DSERR_INVALIDPARAM, mDevice->CreateSoundBuffer(&shortDesc, &buffer, nullptr));
  // A control needs its flag; the primary buffer is one object.
  IDirectSoundBuffer* bare = MakeBuffer(1, 22050, std::vector<int16_t>(8), 0);
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, bare->SetVolume(-100));
  DSBUFFERDESC primaryDesc = BufferDesc(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
  ASSERT_EQ(DS_OK, mDevice->CreateSoundBuffer(&primaryDesc, &buffer, nullptr));
  EXPECT_EQ(mPrimary, buffer);
  buffer->Release();
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
  WAVEFORMATEX output = dsoundtest::PcmFormat(2, 22050, 8);
  ASSERT_EQ(DS_OK, primary->SetFormat(&output));
  ASSERT_EQ(DS_OK, primary->Play(0, 0, DSBPLAY_LOOPING));
  output = dsoundtest::PcmFormat(2, 22050);
  ASSERT_EQ(DS_OK, primary->SetFormat(&output));  // reopened while playing
  DWORD status = 0;
  ASSERT_EQ(DS_OK, primary->GetStatus(&status));
  EXPECT_EQ(static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), status);

  WAVEFORMATEX mono = dsoundtest::PcmFormat(1, 22050);
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
