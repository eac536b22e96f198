// The movie player on the Direct3D 8 stand-in, reached through PlayMovie with
// "data/movies/<name>.avi" in a scratch folder: the frame shown is the one
// for the elapsed time on an injected clock, padded rows present unsheared,
// skip keys arrive through DirectInput and stop the sound, sound that cannot
// play leaves the movie silent, and unplayable files and rasters end it
// cleanly.
#include "game/app/movie/movie_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/app/screens/screen_stack.h"
#include "platform/vfw/vfw_testing.h"
#include "tests/game/app/input/input_window.h"
#include "tests/support/d3d8_engine_window.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/avi_writer.h"

namespace {

constexpr DWORD kStartMs = 50000;
// A movie still running after this many frames has failed to end; the clock
// skips it so that the test ends.
constexpr unsigned kRunawayFrames = 2000;

// The frame a pattern frame's red tells (37 x 173 = 1 modulo 256).
int FrameOfRed(uint32_t rgb) { return static_cast<int>((((rgb >> 16) & 0xFF) - 11) * 173 & 0xFF); }

class MovieTest : public D3D8EngineWindowTest {
 protected:
  static constexpr int kWidth = static_cast<int>(cInputWindow::kWidth);
  static constexpr int kHeight = static_cast<int>(cInputWindow::kHeight);

  MovieTest() : D3D8EngineWindowTest("movie", kWidth, kHeight, 1 << 22) {}

  void SetUp() override {
    D3D8EngineWindowTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    sTest = this;
    WinTestSetMessageBoxHook(RecordBox, nullptr);
    WinTestSetClock(ReadClock, nullptr);
    vfwtest::SetWaveTestMode(true);
    mInput = std::make_unique<cInputWindow>();
    ASSERT_FALSE(mFolder.Path().empty());
    ASSERT_NE(nullptr, getcwd(mPrevious, sizeof(mPrevious)));
    ASSERT_EQ(0, mkdir(mFolder.File("data").c_str(), 0700));
    ASSERT_EQ(0, mkdir(mFolder.File("data/movies").c_str(), 0700));
    ASSERT_EQ(0, chdir(mFolder.Path().c_str()));
  }

  void TearDown() override {
    if (mPrevious[0] != '\0') {
      EXPECT_EQ(0, chdir(mPrevious));
    }
    DeleteScreenStack();
    mInput.reset();
    ShutDownEngine();
    vfwtest::FailPrepareAfter(-1);
    vfwtest::SetWaveTestMode(false);
    WinTestSetClock(nullptr, nullptr);
    WinTestSetMessageBoxHook(nullptr, nullptr);
    sTest = nullptr;
    D3D8EngineWindowTest::TearDown();
  }

  // The engine on the test's window with the screen stack the movie draws
  // into, presented once (the first present resets the device), and the
  // device's calls counted from then on.
  void Start(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full) {
    StartEngine(0, profile);
    if (HasFatalFailure()) {
      return;
    }
    CreateScreenStack(&window_, kWidth, kHeight);
    ASSERT_NE(nullptr, gScreenStack);
    gScreenStack->Present();
    Record();
  }

  void WriteMovie(const AviWriter& movie, const char* name) {
    ASSERT_TRUE(movie.WriteFile(mFolder.File(std::string("data/movies/") + name + ".avi")));
  }

  // Plays the movie with the clock reading offsets[k] ms after the start
  // while k frames have been presented (the last offset holds), so that
  // every read of one pass of the loop sees the same time.
  void Play(const char* name, std::vector<DWORD> offsets) {
    mOffsets = std::move(offsets);
    mPresents = 0;
    mShown.clear();
    Record();
    PlayMovie(name, 1);
    mOffsets.clear();
  }

  static unsigned Presents() { return Device() != nullptr ? Calls("Present") : 0; }

  // The frame the back buffer shows: red is the same over a whole frame.
  static int ShownFrame() { return FrameOfRed(BackBufferPixel(kWidth / 2, kHeight / 2)); }

  static DWORD ReadClock(void*) {
    MovieTest* test = sTest;
    if (test == nullptr || test->mOffsets.empty()) {
      return kStartMs;
    }
    const unsigned presents = Presents();
    // Once per present, at the next read: the pass that presented is over.
    if (presents != test->mPresents) {
      test->mPresents = presents;
      test->mShown.push_back(ShownFrame());
      if (test->mOnFrame) {
        test->mOnFrame(presents);
      }
      if (presents > kRunawayFrames) {
        gMovieSkip = 1;
      }
    }
    const size_t index = presents < test->mOffsets.size() ? presents : test->mOffsets.size() - 1;
    return kStartMs + test->mOffsets[index];
  }

  static int RecordBox(HWND, const char* text, const char* caption, UINT, void*) {
    sTest->mBoxes.push_back(std::string(text) + " | " + caption);
    return IDOK;
  }

  std::unique_ptr<cInputWindow> mInput;
  std::vector<DWORD> mOffsets;
  unsigned mPresents = 0;
  std::vector<int> mShown;                 // the frame shown after each present
  std::function<void(unsigned)> mOnFrame;  // after each present, with the count
  std::vector<std::string> mBoxes;         // "text | caption"

 private:
  static inline MovieTest* sTest = nullptr;
  ScratchFolder mFolder{"movie"};
  char mPrevious[PATH_MAX] = {};
};

TEST_F(MovieTest, ShowsTheFrameForTheElapsedTimeAndEndsAtTheLength) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  struct tCase {
    const char* name;
    uint32_t rate;
    uint32_t scale;
    int frames;
    std::vector<DWORD> offsets;  // the last one ends the movie
    std::vector<int> shown;
  };
  const tCase cases[] = {
      // 29.97 frames a second: whole 29 would show 29 and 58 at 1010 and 2010 ms.
      {"ntsc", 30000, 1001, 70, {0, 30, 40, 300, 1010, 2010, 2300, 2350}, {0, 0, 1, 8, 30, 60, 68}},
      // Half a frame a second: a whole quotient of 0 would never end.
      {"slow", 1, 2, 3, {0, 1999, 2001, 4100, 5999, 6001}, {0, 0, 1, 2, 2}},
      // A slow machine: frames are skipped, never shown late.
      {"skips", 15, 1, 6, {0, 140, 390, 410}, {0, 2, 5}},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.name);
    AviWriter movie;
    movie.rate = c.rate;
    movie.scale = c.scale;
    movie.frames = c.frames;
    WriteMovie(movie, c.name);
    Play(c.name, c.offsets);
    EXPECT_EQ(c.shown, mShown);
    EXPECT_EQ(c.offsets.size() - 1, Presents());
    EXPECT_EQ(0u, gMoviePlaying);
  }
}

TEST_F(MovieTest, PaddedRowsPresentUnshearedAndUpright) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  const int sizes[][2] = {{64, 48}, {50, 30}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size[0]);
    AviWriter movie;
    movie.width = size[0];
    movie.height = size[1];
    movie.frames = 4;
    WriteMovie(movie, "pattern");
    // Frame 0, then frame 3, then the end.
    Play("pattern", {0, 250, 1000});
    ASSERT_EQ(3, ShownFrame());
    // Every whole 8 x 8 block at its centre, stretched over width - 1 x
    // height - 1 pixels.
    for (int by = 0; by + 8 <= movie.height; by += 8) {
      for (int bx = 0; bx + 8 <= movie.width; bx += 8) {
        uint8_t bgr[3];
        AviPatternPixel(3, bx + 4, by + 4, bgr);
        const int x = static_cast<int>((bx + 4.5) * (kWidth - 1) / movie.width);
        const int y = static_cast<int>((by + 4.5) * (kHeight - 1) / movie.height);
        const uint32_t pixel = BackBufferPixel(x, y);
        SCOPED_TRACE(testing::Message() << "block " << bx << "," << by);
        EXPECT_NEAR(bgr[2], (pixel >> 16) & 0xFF, 2);
        EXPECT_NEAR(bgr[1], (pixel >> 8) & 0xFF, 2);
        EXPECT_NEAR(bgr[0], pixel & 0xFF, 2);
      }
    }
  }
}

TEST_F(MovieTest, SkipKeysEndTheMovieAtTheNextFrameAndStopItsSound) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  AviWriter movie;
  movie.withSound = true;
  WriteMovie(movie, "skipped");
  for (SDL_Scancode key : {SDL_SCANCODE_SPACE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_RETURN}) {
    SCOPED_TRACE(key);
    bool soundOpen = false;
    mOnFrame = [&](unsigned presents) {
      soundOpen = soundOpen || vfwtest::NewestWaveOut() != nullptr;
      if (presents == 2) {
        mInput->PushKey(key, true);
      }
    };
    // The clock stands still: only the key ends the movie.
    Play("skipped", {0});
    // The key arrives while the third frame is drawn and is read before the
    // fourth.
    EXPECT_EQ(3u, Presents());
    EXPECT_TRUE(soundOpen);
    EXPECT_EQ(nullptr, vfwtest::NewestWaveOut());
    mInput->PushKey(key, false);
    cInputWindow::PollEvents();
  }
}

TEST_F(MovieTest, MoviesWhoseSoundCannotPlayRunSilent) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  struct tCase {
    const char* name;
    bool withSound;
    int64_t sampleSize;
    int preparedHeaders;  // negative: all
    bool traced;          // "Failed to load sound stream\n"
  };
  const tCase cases[] = {
      {"nosound", false, -1, -1, true},
      {"sizezero", true, 0, -1, false},
      {"sizehuge", true, 32769, -1, false},
      {"threeheaders", true, -1, 3, false},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.name);
    AviWriter movie;
    movie.withSound = c.withSound;
    movie.sampleSizeOverride = c.sampleSize;
    WriteMovie(movie, c.name);
    vfwtest::FailPrepareAfter(c.preparedHeaders);
    bool soundOpen = false;
    mOnFrame = [&](unsigned) { soundOpen = soundOpen || vfwtest::NewestWaveOut() != nullptr; };
    testing::internal::CaptureStderr();
    Play(c.name, {0, 100, 200, 300, 410});
    const std::string trace = testing::internal::GetCapturedStderr();
    vfwtest::FailPrepareAfter(-1);
    EXPECT_EQ(4u, Presents());
    EXPECT_FALSE(soundOpen);
    EXPECT_EQ(c.traced, trace.find("Failed to load sound stream\n") != std::string::npos) << trace;
  }
}

TEST_F(MovieTest, UnplayableFilesAreTracedAndShowNothing) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  AviWriter noRate;
  noRate.rate = 0;
  WriteMovie(noRate, "norate");
  AviWriter noScale;
  noScale.scale = 0;
  WriteMovie(noScale, "noscale");
  AviWriter cut;
  cut.withSound = true;
  cut.truncateTo = 3000;
  WriteMovie(cut, "cut");
  AviWriter compressed;
  compressed.videoCompression = 0x34363248;  // "H264"
  WriteMovie(compressed, "compressed");
  for (const char* name : {"missing", "norate", "noscale", "cut", "compressed"}) {
    SCOPED_TRACE(name);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Play(name, {0, 1000});
    const std::string trace = testing::internal::GetCapturedStderr();
    // The movie's name is a trace too: the player sees nothing on standard output.
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_NE(std::string::npos, trace.find(std::string("Playing movie (PC):data/movies/") + name + ".avi\n"));
    EXPECT_NE(std::string::npos, trace.find("Failed to open video steam\n")) << trace;
    EXPECT_EQ(0u, Presents());
    EXPECT_EQ(nullptr, vfwtest::NewestWaveOut());
  }
}

TEST_F(MovieTest, ARasterOfAnotherSizeShowsTheErrorAndEndsTheMovie) {
  // Square power-of-two textures only: a 64 x 48 frame gets a 32 x 32 raster.
  Start(d3d8test::CapsProfile::Minimal);
  ASSERT_FALSE(HasFatalFailure());
  AviWriter movie;
  movie.withSound = true;
  WriteMovie(movie, "minimal");
  Play("minimal", {0});
  EXPECT_EQ(std::vector<std::string>{"Raster error: height, width or depth! | Movie not played!"}, mBoxes);
  EXPECT_EQ(0u, Presents());
  EXPECT_EQ(nullptr, vfwtest::NewestWaveOut());
}

}  // namespace
