// The movie's wave-out ring on a device pumped by hand, its messages going
// through the main window's procedure: bytes in order over more headers
// than the ring holds, one MM_WOM_DONE per header written, and a stop that
// leaves no message behind for the next device.
#include "game/app/movie/movie_wave_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/vfw/vfw_testing.h"
#include "tests/game/app/app_fixture.h"
#include "tests/game/app/input/input_window.h"
#include "tools/forge/files/avi_writer.h"

namespace {

class MovieWaveOutTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    vfwtest::SetWaveTestMode(true);
    mWindow = std::make_unique<cInputWindow>();
  }
  void TearDown() override {
    StopWaveOut();
    ReleaseStream();
    mWindow.reset();
    vfwtest::FailPrepareAfter(-1);
    vfwtest::SetWaveTestMode(false);
    AppTest::TearDown();
  }

  // The sound stream of a movie with that many sound blocks.
  void OpenSound(AviWriter* movie, int64_t samples) {
    ReleaseStream();
    movie->withSound = true;
    movie->soundSamples = samples;
    const std::string bytes = movie->Build();
    ASSERT_EQ(AVIERR_OK, vfwtest::OpenStreamFromMemory(bytes.data(), bytes.size(), streamtypeAUDIO, 0, &mStream));
  }

  void ReleaseStream() {
    AVIStreamRelease(mStream);
    mStream = nullptr;
  }

  // Every waiting wave-out message through the window procedure; answers
  // the MM_WOM_DONE among them.
  size_t DispatchWaveOutMessages() {
    size_t done = 0;
    MSG message;
    while (PeekMessageA(&message, mWindow->Get(), MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) {
      done += message.message == MM_WOM_DONE ? 1 : 0;
      DispatchMessageA(&message);
    }
    return done;
  }

  // Pumps and dispatches until the sound stops; answers the bytes played.
  std::string PlayOut(size_t* done) {
    std::string played;
    *done = 0;
    for (int pass = 0; pass < 10000 && IsWaveOutPlaying(); pass++) {
      const std::vector<uint8_t> bytes = vfwtest::PumpWaveOut(vfwtest::NewestWaveOut(), 20000);
      played.append(bytes.begin(), bytes.end());
      *done += DispatchWaveOutMessages();
    }
    return played;
  }

  HWND Window() const { return mWindow->Get(); }

  std::unique_ptr<cInputWindow> mWindow;
  PAVISTREAM mStream = nullptr;
};

TEST_F(MovieWaveOutTest, BytesPlayInOrderWithOneDonePerHeader) {
  struct tCase {
    const char* name;
    uint16_t channels;
    uint16_t bits;
    int64_t samples;
    int preparedHeaders;  // negative: all 16
    s32 start;            // -1: the stream's start
    s32 end;              // -1: its end
  };
  // Over 16 headers' worth, so that headers are refilled and reused.
  const int64_t kLong = 17 * 16384 + 1234;
  const tCase cases[] = {
      {"mono 16", 1, 16, kLong, -1, -1, -1},
      {"stereo 8", 2, 8, 20000, -1, -1, -1},
      {"four headers", 1, 16, kLong, 4, -1, -1},
      {"a range", 1, 16, kLong, -1, 1000, 40000},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.name);
    AviWriter movie;
    movie.channels = c.channels;
    movie.bits = c.bits;
    OpenSound(&movie, c.samples);
    vfwtest::FailPrepareAfter(c.preparedHeaders);
    const size_t block = static_cast<size_t>(movie.BlockSize());
    const size_t first = c.start < 0 ? 0 : static_cast<size_t>(c.start) * block;
    const size_t last = c.end < 0 ? static_cast<size_t>(c.samples) * block : static_cast<size_t>(c.end) * block;
    const std::string expected = movie.SoundBytes().substr(first, last - first);
    const size_t headers = (expected.size() + kWaveBufferBytes - 1) / kWaveBufferBytes;
    const size_t ring = c.preparedHeaders < 0 ? kMaxWaveBuffers : static_cast<size_t>(c.preparedHeaders);

    ASSERT_TRUE(PlayWaveAudio(Window(), mStream, c.start, c.end));
    vfwtest::FailPrepareAfter(-1);
    EXPECT_TRUE(IsWaveOutPlaying());
    EXPECT_EQ(std::min(ring, headers), GetWaveOutQueued());

    size_t done = 0;
    const std::string played = PlayOut(&done);
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(played.compare(0, expected.size(), expected) == 0);
    EXPECT_EQ(headers, done);
    EXPECT_FALSE(IsWaveOutPlaying());
    EXPECT_EQ(0u, GetWaveOutQueued());
    EXPECT_EQ(nullptr, vfwtest::NewestWaveOut());
  }
}

TEST_F(MovieWaveOutTest, AStopLeavesNothingForTheNextDevice) {
  AviWriter movie;
  OpenSound(&movie, 17 * 16384);
  ASSERT_TRUE(PlayWaveAudio(Window(), mStream, -1, -1));
  HWAVEOUT first = vfwtest::NewestWaveOut();
  // Two headers played and their messages waiting, then the reset hands
  // back the other fourteen.
  vfwtest::PumpWaveOut(first, 2 * kWaveBufferBytes);
  StopWaveOut();
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, Window(), MM_WOM_OPEN, MM_WOM_DONE, PM_NOREMOVE));

  // A late notification of the closed device, naming a header long gone,
  // changes nothing.
  PostMessageA(Window(), MM_WOM_DONE, reinterpret_cast<WPARAM>(first), 1);
  EXPECT_EQ(1u, DispatchWaveOutMessages());
  EXPECT_FALSE(IsWaveOutPlaying());

  // The next device plays the sound from its start again, every byte.
  ASSERT_TRUE(PlayWaveAudio(Window(), mStream, -1, -1));
  size_t done = 0;
  const std::string played = PlayOut(&done);
  const std::string expected = movie.SoundBytes();
  ASSERT_GE(played.size(), expected.size());
  EXPECT_TRUE(played.compare(0, expected.size(), expected) == 0);
  EXPECT_EQ(expected.size() / kWaveBufferBytes, done);
}

}  // namespace
