// Shared set-up of the sound tests: the engine started on the fake driver,
// DirectSound in test mode (mixed by hand and read back), an injected clock,
// message boxes answered at once, and WAV files served from a scratch pack.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/app/audio/sound.h"
#include "game/app/audio/sound_engine.h"
#include "game/app/pak_file.h"
#include "game/app/time_scale.h"
#include "platform/dsound/dsound_testing.h"
#include "platform/win/win_testing.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/pack_writer.h"
#include "tools/forge/files/wav_writer.h"

class SoundTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartedEngineTest::SetUp();
    dsoundtest::SetTestMode(true);
    sNow = 100000;
    WinTestSetClock(Clock, nullptr);
    WinTestSetMessageBoxHook(AnswerBox, nullptr);
    gTimeScale = 1.0f;
    mPackPath = ScratchPath("sounds.pak");
  }
  void TearDown() override {
    CSoundEngine::Shutdown();
    cPakFile::Shutdown();
    remove(mPackPath.c_str());
    WinTestSetMessageBoxHook(nullptr, nullptr);
    WinTestSetClock(nullptr, nullptr);
    dsoundtest::ClearFailures();
    dsoundtest::SetTestMode(false);
    gTimeScale = 1.0f;
    StartedEngineTest::TearDown();
  }

  // Serves "data/media/<name>.wav" from the pack for each file given.
  void MountSounds(const std::vector<std::pair<std::string, WavWriter>>& sounds) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& sound : sounds) {
      files.push_back({"data/media/" + sound.first + ".wav", sound.second.Build()});
    }
    MountFiles(files);
  }

  // Serves each (path, bytes) from the pack.
  void MountFiles(const std::vector<std::pair<std::string, std::string>>& files) {
    PackWriter pack;
    for (const auto& file : files) {
      pack.Add(file.first, file.second);
    }
    ASSERT_TRUE(pack.WriteFile(mPackPath));
    cPakFile::MountDefault(mPackPath.c_str(), "");
    ASSERT_NE(nullptr, cPakFile::GetMounted());
  }

  // The engine as the sound objects start it.
  static void CreateEngine() { ASSERT_TRUE(CSoundEngine::Create(22050, 16, 40.0f)); }

  // Interleaved stereo frames of the current device's mix.
  static std::vector<int16_t> Pump(uint32_t frames) {
    return dsoundtest::PumpFrames(dsoundtest::NewestDevice(), frames);
  }

  static void Advance(DWORD milliseconds) { sNow += milliseconds; }

  static DWORD sNow;

 private:
  static DWORD Clock(void*) { return sNow; }
  static int AnswerBox(HWND, const char*, const char*, UINT, void*) { return IDOK; }

  std::string mPackPath;
};

inline DWORD SoundTest::sNow = 0;
