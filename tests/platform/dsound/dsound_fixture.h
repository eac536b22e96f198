// A DirectSound device in test mode with its primary buffer playing, and
// secondary buffers filled with given samples; the mix is read back by
// pumping output frames.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/dsound/dsound.h"
#include "platform/dsound/dsound_testing.h"
#include "tools/forge/files/wav_writer.h"

constexpr DWORD kAllControls = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

inline DSBUFFERDESC BufferDesc(DWORD flags, DWORD bytes, WAVEFORMATEX* format) {
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = flags;
  desc.dwBufferBytes = bytes;
  desc.lpwfxFormat = format;
  return desc;
}

class DirectSoundTest : public testing::Test {
 protected:
  void SetUp() override {
    dsoundtest::SetTestMode(true);
    ASSERT_EQ(DS_OK, DirectSoundCreate8(nullptr, &mDevice, nullptr));
    ASSERT_EQ(DS_OK, mDevice->SetCooperativeLevel(nullptr, DSSCL_PRIORITY));
    DSBUFFERDESC desc = BufferDesc(DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, nullptr);
    ASSERT_EQ(DS_OK, mDevice->CreateSoundBuffer(&desc, &mPrimary, nullptr));
    WAVEFORMATEX format = dsoundtest::PcmFormat(2, 22050);
    ASSERT_EQ(DS_OK, mPrimary->SetFormat(&format));
    ASSERT_EQ(DS_OK, mPrimary->Play(0, 0, DSBPLAY_LOOPING));
  }
  void TearDown() override {
    for (IDirectSoundBuffer* buffer : mBuffers) {
      buffer->Release();
    }
    mPrimary->Release();
    EXPECT_EQ(0u, mDevice->Release());
    dsoundtest::ClearFailures();
    dsoundtest::SetTestMode(false);
  }

  // A secondary buffer holding samples (interleaved for stereo), released by
  // the fixture.
  IDirectSoundBuffer* MakeBuffer(WORD channels, DWORD rate, const std::vector<int16_t>& samples,
                                 DWORD flags = kAllControls) {
    WAVEFORMATEX format = dsoundtest::PcmFormat(channels, rate);
    DSBUFFERDESC desc = BufferDesc(flags, static_cast<DWORD>(samples.size() * 2), &format);
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(DS_OK, mDevice->CreateSoundBuffer(&desc, &buffer, nullptr));
    if (buffer == nullptr) {
      return nullptr;
    }
    mBuffers.push_back(buffer);
    void* part1 = nullptr;
    DWORD bytes1 = 0;
    EXPECT_EQ(DS_OK, buffer->Lock(0, 0, &part1, &bytes1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER));
    memcpy(part1, samples.data(), bytes1);
    EXPECT_EQ(DS_OK, buffer->Unlock(part1, bytes1, nullptr, 0));
    return buffer;
  }

  std::vector<int16_t> Pump(uint32_t frames) { return dsoundtest::PumpFrames(mDevice, frames); }

  static DWORD PlayCursor(IDirectSoundBuffer* buffer) {
    DWORD play = 0xFFFFFFFF;
    EXPECT_EQ(DS_OK, buffer->GetCurrentPosition(&play, nullptr));
    return play;
  }

  IDirectSound8* mDevice = nullptr;
  IDirectSoundBuffer* mPrimary = nullptr;
  std::vector<IDirectSoundBuffer*> mBuffers;
};
