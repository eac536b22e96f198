// The whole entry run in-process on the fake display driver: start-up events
// in their order, the paced loop on an injected clock, a clean quit when the
// window is asked to close, a refused second instance and a failed engine.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "game/app/frame_tick.h"
#include "game/app/main_loop.h"
#include "game/app/startup/main_window.h"
#include "game/foundation/memory.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/vfw/vfw_testing.h"
#include "tests/game/app/app_fixture.h"
#include "tests/support/fake_driver.h"
#include "tests/support/scratch_path.h"
#include "tests/support/surface_pixel.h"
#include "tools/forge/files/avi_writer.h"

namespace {

constexpr u32 kIdlesBeforeClose = 5;

struct tLoopClock {
  DWORD now = 100000;
  std::vector<DWORD> sleeps;
};

tLoopClock sClock;

DWORD ReadClock(void*) { return sClock.now; }

// Each sleep moves the clock on by what was asked and one more millisecond;
// after enough frames the window is asked to close, as its close button would.
void SleepHook(DWORD milliseconds, void*) {
  sClock.sleeps.push_back(milliseconds);
  sClock.now += milliseconds + 1;
  if (AppTest::CountIdles() >= kIdlesBeforeClose) {
    WinTestRequestClose(WinTestFindWindow(kMainWindowClass));
  }
}

class WinMainTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_FALSE(mFolder.Path().empty());
    WinTestSetLockFolder(mFolder.Path().c_str());
    sClock = tLoopClock();
    WinTestSetClock(ReadClock, nullptr);
    WinTestSetSleepHook(SleepHook, nullptr);
    FakeDriverInstall();
    SetDisplayDriverInstall(FakeDriverInstallHooks);
    ResetFrameTick();
    // The game starts in the folder that holds its data folder.
    ASSERT_EQ(0, mkdir(mFolder.File("data").c_str(), 0700));
    ASSERT_NE(nullptr, getcwd(mPrevious, sizeof(mPrevious)));
    ASSERT_EQ(0, chdir(mFolder.Path().c_str()));
  }
  void TearDown() override {
    EXPECT_EQ(0, chdir(mPrevious));
    WinTestSetSleepHook(nullptr, nullptr);
    WinTestSetClock(nullptr, nullptr);
    WinTestSetArguments(-1, nullptr);
    FakeEngineShutdown();
    SetDisplayDriverInstall(nullptr);
    FakeDriverUninstall();
    WinTestSetLockFolder(nullptr);
    AppTest::TearDown();
  }

  // Runs the entry with the arguments; a watchdog closes the window should the
  // loop not end by itself.
  int RunEntry(std::vector<const char*> arguments) {
    WinTestSetArguments(static_cast<int>(arguments.size()), arguments.data());
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
      std::unique_lock<std::mutex> guard(lock);
      if (!finished.wait_for(guard, std::chrono::seconds(20), [&] { return done; })) {
        WinTestRequestClose(WinTestFindWindow(kMainWindowClass));
      }
    });
    const int result = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
    {
      std::lock_guard<std::mutex> guard(lock);
      done = true;
    }
    finished.notify_one();
    watchdog.join();
    return result;
  }

  std::vector<u32> EventCodes() const {
    std::vector<u32> codes;
    for (const tRaisedEvent& event : sEvents) {
      if (codes.empty() || codes.back() != event.code || event.code != kAppEventIdle) {
        codes.push_back(event.code);
      }
    }
    return codes;
  }

  // The single-instance lock file lives here, beside the data folder.
  ScratchFolder mFolder{"app_test"};
  char mPrevious[PATH_MAX] = {};
};

TEST_F(WinMainTest, StartsTicksAndQuitsWhenTheWindowCloses) {
  EXPECT_EQ(0, RunEntry({"tessarak", "-low", "levels/one.txt"}));

  // Start-up in order, the idle events (shown once), then the teardown.
  const std::vector<u32> expected = {kAppEventInitialise,       kAppEventOption,          kAppEventOption,
                                     kAppEventEngineInitialise, kAppEventDebugInitialise, kAppEventPluginAttach,
                                     kAppEventInputDevices,     kAppEventSelectDevice,    kAppEventImageReaders,
                                     kAppEventArgument,         kAppEventFileLoad,        kAppEventArgument,
                                     kAppEventFileLoad,         kAppEventCameraSize,      kAppEventIdle,
                                     kAppEventEngineTerminate,  kAppEventTerminate};
  std::vector<u32> codes = EventCodes();
  codes.erase(std::remove(codes.begin(), codes.end(), static_cast<u32>(kAppEventActivate)), codes.end());
  EXPECT_EQ(expected, codes);
  EXPECT_EQ((std::vector<std::string>{"-low", "levels/one.txt"}), EventTexts(kAppEventOption));
  EXPECT_EQ((std::vector<std::string>{"-low", "levels/one.txt"}), EventTexts(kAppEventFileLoad));
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
  EXPECT_EQ(kIdlesBeforeClose, gFrameNumber);

  // Between frames the loop sleeps half of what is left of the 40 ms.
  ASSERT_GE(sClock.sleeps.size(), 5u);
  const std::vector<DWORD> firstGap = {20, 9, 4, 2, 0};
  EXPECT_EQ(firstGap, std::vector<DWORD>(sClock.sleeps.begin(), sClock.sleeps.begin() + 5));

  // "-low" on the fake driver: the windowed 640 x 480 mode.
  EXPECT_EQ(0, FakeDriver().currentMode);
  EXPECT_EQ(640u, gAppConfig.width);
  EXPECT_EQ(0u, gAppRunning);
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
  EXPECT_FALSE(GetEngineOpenFlag());
  EXPECT_EQ(nullptr, gEventDevice);
  EXPECT_EQ(nullptr, WinTestFindWindow(kMainWindowClass));
  EXPECT_TRUE(sBoxes.empty());
}

TEST_F(WinMainTest, QuitEventEndsTheLoop) {
  static bool sQuitRaised = false;
  sQuitRaised = false;
  SetAppEventObserver([](u32 code, tAppEventArg argument) {
    RecordEvent(code, argument);
    if (code == kAppEventIdle && !sQuitRaised && CountIdles() == 2) {
      sQuitRaised = true;
      AppEventHandler(kAppEventQuit, 0);
    }
  });
  EXPECT_EQ(0, RunEntry({"tessarak", "-low"}));
  EXPECT_EQ(2u, CountIdles());
  EXPECT_EQ(1u, gAppConfig.quit);
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
}

TEST_F(WinMainTest, SecondInstanceIsRefusedSilently) {
  std::mutex lock;
  std::condition_variable changed;
  bool held = false;
  bool release = false;
  std::thread first([&] {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    WaitForSingleObject(mutex, 0);
    std::unique_lock<std::mutex> guard(lock);
    held = true;
    changed.notify_all();
    changed.wait(guard, [&] { return release; });
    ReleaseMutex(mutex);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  });
  {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [&] { return held; });
  }
  EXPECT_EQ(0, RunEntry({"tessarak"}));
  EXPECT_TRUE(sEvents.empty());
  EXPECT_TRUE(sBoxes.empty());
  {
    std::lock_guard<std::mutex> guard(lock);
    release = true;
  }
  changed.notify_all();
  first.join();

  // Once the first has gone, the entry runs (and is closed by the sleep hook).
  EXPECT_EQ(0, RunEntry({"tessarak", "-low"}));
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
}

// Started in a folder with neither "data.pak" nor a data folder, the entry
// says where it is and how to start in one box and ends before any event.
TEST_F(WinMainTest, AStartOutsideTheDataFolderSaysWhereAndEnds) {
  ASSERT_EQ(0, rmdir(mFolder.File("data").c_str()));
  EXPECT_EQ(1, RunEntry({"tessarak", "-low"}));
  EXPECT_TRUE(sEvents.empty());
  ASSERT_EQ(1u, sBoxes.size());
  char folder[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(folder, sizeof(folder)));
  EXPECT_EQ("No game data in " + std::string(folder) +
                ": it holds neither data.pak nor a data folder. Start the game with tools/play.sh, or run it from "
                "the folder build/release/run.",
            sBoxes[0].text);
  EXPECT_EQ(nullptr, WinTestFindWindow(kMainWindowClass));

  // The lock was given back: with the data folder the next start runs.
  ASSERT_EQ(0, mkdir(mFolder.File("data").c_str(), 0700));
  sBoxes.clear();
  EXPECT_EQ(0, RunEntry({"tessarak", "-low"}));
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
}

TEST_F(WinMainTest, FailedEngineShowsTheErrorAndEnds) {
  FakeDriver().refused.insert(kRwDeviceOpen);
  // A failed start says so in the exit status too.
  EXPECT_EQ(1, RunEntry({"tessarak"}));
  const std::vector<u32> expected = {kAppEventInitialise,   kAppEventEngineInitialise, kAppEventDebugInitialise,
                                     kAppEventPluginAttach, kAppEventInputDevices,     kAppEventTerminate};
  EXPECT_EQ(expected, EventCodes());
  ASSERT_EQ(1u, sBoxes.size());
  EXPECT_EQ("Error initializing the render engine.", sBoxes[0].text);
  EXPECT_EQ(nullptr, WinTestFindWindow(kMainWindowClass));
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());

  // Everything was given back: the next run starts normally.
  FakeDriver().refused.clear();
  sEvents.clear();
  EXPECT_EQ(0, RunEntry({"tessarak", "-low"}));
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
}

}  // namespace

namespace {

// The same run on the engine's own Direct3D 8 driver over the headless video
// driver: the window opens in the default full-screen mode or falls back,
// frames tick, and closing the window brings everything down.
TEST_F(WinMainTest, RunsOnTheDisplayDriver) {
  SetDisplayDriverInstall(nullptr);
  EXPECT_EQ(0, RunEntry({"tessarak"}));
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
  EXPECT_EQ(1u, CountEvents(kAppEventEngineTerminate));
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
  EXPECT_FALSE(GetEngineOpenFlag());
  EXPECT_EQ(nullptr, WinTestFindWindow(kMainWindowClass));
  for (const tShownBox& box : sBoxes) {
    EXPECT_EQ("Resolution not found!", box.caption) << box.text;
  }
}

}  // namespace

namespace {

// A movie during the running game: the clock moves 5 ms a frame presented,
// and the wave-out device, pumped by hand, plays 16384 bytes a frame. Both
// happen at the first read after a present: the movie loop's own, outside
// any wave-out call (whose messages read the clock too).
struct tMovieRun {
  IDirect3DDevice8* device = nullptr;
  unsigned presents = 0;
  std::string played;
  uint32_t middlePixel = 0;  // of the back buffer after the movie
  uint32_t cornerPixel = 0;
  u32 width = 0;
  u32 fullScreen = 0;
};

tMovieRun sMovie;

DWORD ReadMovieClock(void*) {
  if (gMoviePlaying != 0 && sMovie.device != nullptr) {
    const unsigned presents = d3d8test::CallCount(sMovie.device, "Present");
    if (presents != sMovie.presents) {
      sMovie.presents = presents;
      sClock.now += 5;
      const std::vector<uint8_t> bytes = vfwtest::PumpWaveOut(vfwtest::NewestWaveOut(), 16384);
      sMovie.played.append(bytes.begin(), bytes.end());
    }
  }
  return sClock.now;
}

// Plays "intro" with the device's presents counted, then reads the screen
// back.
void PlayIntroAndLook() {
  sMovie.device = RwD3D8GetCurrentD3DDevice();
  d3d8test::SetRecording(sMovie.device, true);
  PlayMovie("intro", 1);
  d3d8test::SetRecording(sMovie.device, false);
  const int width = static_cast<int>(gAppConfig.width);
  const int height = static_cast<int>(gAppConfig.height);
  sMovie.width = gAppConfig.width;
  sMovie.fullScreen = gAppWindow.fullScreen;
  sMovie.middlePixel = BackBufferPixelRgb(sMovie.device, width / 2, height / 2);
  sMovie.cornerPixel = BackBufferPixelRgb(sMovie.device, width - 3, height - 3);
  sMovie.device = nullptr;
}

// "data/movies/intro.avi" played by PlayMovie on the engine's own driver,
// full screen, with its sound.
TEST_F(WinMainTest, PlaysAMovieFullScreenWithItsSound) {
  ScratchFolder root("movie_run");
  ASSERT_EQ(0, mkdir(root.File("data").c_str(), 0700));
  ASSERT_EQ(0, mkdir(root.File("data/movies").c_str(), 0700));
  AviWriter movie;
  movie.withSound = true;
  // More than the 16 headers of the ring hold: the movie loop refills them.
  movie.soundSamples = 17 * 16384 + 1234;
  ASSERT_TRUE(movie.WriteFile(root.File("data/movies/intro.avi")));
  char previous[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
  ASSERT_EQ(0, chdir(root.Path().c_str()));
  sMovie = tMovieRun();
  WinTestSetClock(ReadMovieClock, nullptr);
  vfwtest::SetWaveTestMode(true);
  SetAppEventObserver([](u32 code, tAppEventArg argument) {
    RecordEvent(code, argument);
    if (code == kAppEventIdle && CountIdles() == 2) {
      PlayIntroAndLook();
    }
  });
  SetDisplayDriverInstall(nullptr);
  const int result = RunEntry({"tessarak", "-low"});
  vfwtest::SetWaveTestMode(false);
  EXPECT_EQ(0, chdir(previous));

  EXPECT_EQ(0, result);
  EXPECT_EQ(kIdlesBeforeClose, CountIdles());
  // The last of the six frames over the whole screen.
  uint8_t bgr[3];
  AviPatternPixel(movie.frames - 1, 0, 0, bgr);
  EXPECT_EQ(bgr[2], (sMovie.middlePixel >> 16) & 0xFF);
  EXPECT_EQ(bgr[2], (sMovie.cornerPixel >> 16) & 0xFF);
  EXPECT_EQ(640u, sMovie.width);
  EXPECT_EQ(1u, sMovie.fullScreen);
  const std::string expected = movie.SoundBytes();
  ASSERT_GE(sMovie.played.size(), expected.size());
  EXPECT_TRUE(sMovie.played.compare(0, expected.size(), expected) == 0);
  EXPECT_EQ(0u, gMoviePlaying);
}

}  // namespace
