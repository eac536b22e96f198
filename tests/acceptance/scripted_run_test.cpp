// The scripted run: the game started in-process through its own entry on the
// generated demo data, on the engine's Direct3D 8 driver (headless), one
// 40 ms frame at a time on an injected clock, driven by keys through the
// Windows stand-in: logos, language, a new game into "level01", the briefing,
// a door, a key, the checkpoint, the pause and its options, a death and the
// way back, the first objective, the statistics and on to the end texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>

#include "game/app/application.h"
#include "game/app/frame_tick.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/main_window.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/flow/game.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "tests/acceptance/player_only_men.h"
#include "tests/game/app/app_fixture.h"
#include "tests/support/scratch_path.h"
#include "tests/support/surface_pixel.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"
#include "tools/forge/command/headless_engine.h"

namespace {

// Stand-ins for what the level does not do yet, each to go once the game
// does it: the message box closes the briefing and the statistics on a key,
// the input actions turn keys into the player's input, and the player's
// checkpoint restore gives back its health.
void CloseMessageBoxAsAKeyWould(cQXWorld* world) {
  world->StartKeyRelease();
  world->CloseInfoView(true);
  if (world->GetLevelEndState() == kLevelStatisticsShown) {
    world->SetLevelEndState(kLevelStatisticsClosed);
  }
}
void UseAsTheKeyWould(cDorvaMan* player) {
  player->Input().useItem = 1;
  player->SetSkipAnimation(1);
}

struct tStep {
  const char* name;
  std::vector<SDL_Keycode> keys;  // pressed one every few frames first
  std::function<void()> start;
  std::function<bool()> done;
  int budget;  // frames
};

// The run, reached from the frame observer. Only plain values leave it: what
// the game allocates goes with its engine.
struct tRun {
  DWORD now = 100000;
  std::vector<tStep> steps;
  size_t step = 0;
  int frames = -1;  // in the current step; -1 before its start
  const char* failedStep = nullptr;
  uint32_t levelPixel = 0;
  bool levelHasCamera = false;
  uint32_t deathPixel = 1;  // 1 until taken
  RwV3d mark = {};
} *sRun = nullptr;

constexpr int kFramesPerKey = 4;
constexpr DWORD kMovieClockStep = 2;  // milliseconds a reading while a movie plays

// The movie's loop waits on the clock without sleeping.
DWORD ReadClock(void*) { return sRun->now += gMoviePlaying != 0 ? kMovieClockStep : 0; }
void Sleep(DWORD milliseconds, void*) { sRun->now += milliseconds + 1; }
HWND Window() { return WinTestFindWindow(kMainWindowClass); }

cGame* Game() { return static_cast<cGame*>(gApplication->GetGame()); }
// The in-game screen while it is the top screen, else null.
cInGame* InGame() {
  const bool playing = Game()->GetState() == kGameLevelOver && gScreenStack->GetTopScreen() != Game();
  return playing ? static_cast<cInGame*>(gScreenStack->GetTopScreen()) : nullptr;
}
cQXWorld* World() { return &InGame()->GetWorld(); }
cDorvaMan* Player() { return World()->GetPlayer(); }
RwV3d Where() { return RwFrameGetLTM(Player()->GetFrame())->pos; }
uint32_t MiddlePixel() {
  return BackBufferPixelRgb(RwD3D8GetCurrentD3DDevice(), static_cast<int>(gAppConfig.width / 2),
                            static_cast<int>(gAppConfig.height / 2));
}
void Stand(const RwV3d& at, f32 headingX, f32 headingZ) {
  RwFrameTranslate(Player()->GetFrame(), &at, kRwCombineReplace);
  Player()->SetHeading(std::atan2(headingX, headingZ));
}
cDoor* DoorA() {
  cDoor* found = nullptr;
  ForEachClone<cDoor>(World()->GetObjectSets(kSetDoors), [&](cDoor* d) { found = d->GetName() == "door_a" ? d : found; });
  return found;
}

// One frame of the script, from the idle event before the frame; a step not
// done within its budget ends the run.
void OnFrame() {
  tRun& run = *sRun;
  if (run.step == 0 && run.frames < 0) {
    WinTestPushFocus(Window(), TRUE);  // the input devices take keys while focused
  }
  if (run.step >= run.steps.size()) {
    WinTestRequestClose(Window());
    return;
  }
  tStep& step = run.steps[run.step];
  if (run.frames++ < 0 && step.start) {
    step.start();
  }
  const size_t pressed = static_cast<size_t>(run.frames / kFramesPerKey);
  if (run.frames % kFramesPerKey == 0 && pressed <= step.keys.size() && pressed > 0) {
    WinTestPushKey(Window(), step.keys[pressed - 1]);
  }
  if (pressed >= step.keys.size() && step.done()) {
    run.step++;
    run.frames = -1;
  } else if (run.frames > step.budget) {
    run.failedStep = step.name;
    run.step = run.steps.size();
  }
}

bool AttachDemoPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach();
}

class ScriptedRunTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_NE(nullptr, getcwd(mPrevious, sizeof(mPrevious)));
    demo::DataFolder data;
    {
      forge::HeadlessEngine engine("scripted_run", AttachDemoPlugins);
      ASSERT_TRUE(engine.Start() && demo::WriteDataSet(data));
    }
    std::string error, men;
    ASSERT_TRUE(demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
    std::ifstream in(mFolder.File("data/level01/men.txt"), std::ios::binary);
    men.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_TRUE(std::ofstream(mFolder.File("data/level01/men.txt")) << PlayerAndDoubleOnlyMenFile(men));
    ASSERT_EQ(0, chdir(mFolder.Path().c_str()));
    WinTestSetLockFolder(mFolder.Path().c_str());
    sRun = &mRun;
    WinTestSetClock(ReadClock, nullptr);
    WinTestSetSleepHook(Sleep, nullptr);
    ResetFrameTick();
    SetGameMaker(MakeGame);
    SetAppEventObserver([](u32 code, tAppEventArg argument) {
      RecordEvent(code, argument);
      if (code == kAppEventIdle) {
        OnFrame();
      }
    });
  }
  void TearDown() override {
    SetGameMaker(nullptr);
    WinTestSetSleepHook(nullptr, nullptr);
    WinTestSetClock(nullptr, nullptr);
    WinTestSetArguments(-1, nullptr);
    WinTestSetLockFolder(nullptr);
    EXPECT_EQ(0, chdir(mPrevious));
    AppTest::TearDown();
  }

  // The entry run ("-low": a 640 x 480 window); a watchdog closes the window
  // should the run hang.
  int RunEntry() {
    const char* arguments[] = {"tessarak", "-low"};
    WinTestSetArguments(2, arguments);
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
      std::unique_lock<std::mutex> guard(lock);
      if (!finished.wait_for(guard, std::chrono::seconds(240), [&] { return done; })) {
        WinTestRequestClose(Window());
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

  ScratchFolder mFolder{"scripted_run"};
  char mPrevious[PATH_MAX] = {};
  tRun mRun;
};

TEST_F(ScriptedRunTest, LogosToTheFirstLevelThroughPauseDeathAndItsEnd) {
  const SDL_Keycode enter = SDLK_RETURN, escape = SDLK_ESCAPE;
  mRun.steps = {
      // Enter hurries the logos and takes the language menu's first item.
      {"logos and language", std::vector<SDL_Keycode>(12, enter), nullptr,
       [] { return Game()->GetState() == kGameLoadLevel && gScreenStack->GetTopScreen() != Game(); }, 2000},
      // New game, the name "0", the name grid's end cell, normal difficulty.
      {"new game", {enter, enter, SDLK_UP, SDLK_LEFT, enter, enter}, nullptr, [] { return InGame() != nullptr; },
       3000},
      {"level01 faded in", {}, nullptr,
       [] {
         sRun->levelPixel = MiddlePixel();
         sRun->levelHasCamera = World()->GetCamera(kGameCameraIndex) != nullptr;
         return !World()->GetScreenFader()->IsFading() && gGameOptions->GetLevelName() == cString("level01");
       },
       40},
      {"briefing closed", {enter}, nullptr,
       [] {
         CloseMessageBoxAsAKeyWould(World());
         return Player()->IsBusy() == 0 && World()->IsInputLocked() == 0;
       },
       50},
      // Out from door_a along its use direction, walking back to it.
      {"walks to door_a", {},
       [] {
         RwV3d use, out;
         DoorA()->GetUsePoint(&use, false);
         DoorA()->GetUseDirection(&out, false);
         Stand(RwV3d{use.x + 1.4f * out.x, 0.0f, use.z + 1.4f * out.z}, -out.x, -out.z);
         sRun->mark = Where();
         Player()->Input().forwardKey = 1;
       },
       [] {
         return std::hypot(Where().x - sRun->mark.x, Where().z - sRun->mark.z) > 0.3f &&
                (Player()->Input().forwardKey = 0) == 0;
       },
       100},
      {"opens door_a", {}, [] { UseAsTheKeyWould(Player()); },
       [] { return std::fabs(RwFrameGetLTM(DoorA()->GetFrame())->pos.x - 4.0f) > 0.5f; }, 150},
      {"takes key_1", {},
       [] {
         Stand(RwV3d{1.5f, 0.0f, 3.4f}, 0.0f, -1.0f);
         UseAsTheKeyWould(Player());
       },
       [] { return Player()->GetInventoryCount() == 1; }, 150},
      {"reaches the checkpoint", {}, [] { Stand(RwV3d{6.0f, 0.0f, 0.0f}, 1.0f, 0.0f); },
       [] { return (sRun->mark = Where()), World()->IsCheckpointStored() != 0; }, 50},
      {"escape pauses", {escape}, nullptr, [] { return InGame()->GetPauseMenu()->IsShown(); }, 50},
      {"options, brightness up", {SDLK_DOWN, SDLK_DOWN, enter, SDLK_RIGHT}, nullptr,
       [] { return InGame()->GetPauseMenu()->GetOptionsMenu()->IsShown(); }, 50},
      {"back from the options", {escape}, nullptr, [] { return InGame()->GetPauseMenu()->IsShown(); }, 50},
      {"resume, the brightness applied", {enter}, nullptr,
       [] { return !World()->IsSuspended() && InGame()->GetPauseMenu()->GetBrightnessApplications() == 1; }, 50},
      {"dies of damage, fading to black", {}, [] { Player()->AddHealth(-1.0f); },
       [] {
         const cWgScreenFader* fader = World()->GetScreenFader();
         // The first frame after the fade, before the death menu shows.
         if (sRun->deathPixel == 1 && World()->IsSuspended() && !fader->IsFading() && fader->GetColour().alpha == 255) {
           sRun->deathPixel = MiddlePixel();
         }
         return InGame()->GetDeathMenu()->IsShown();
       },
       300},
      {"back to the checkpoint", {enter}, [] { Player()->SetHealth(1.0f); },  // the restore's health
       [] { return !World()->IsSuspended() && std::fabs(Where().x - sRun->mark.x) < 0.01f; }, 50},
      // The meeting point completes the first objective and ends the level.
      {"first objective", {}, [] { Stand(RwV3d{4.0f, 0.0f, 5.0f}, 0.0f, 1.0f); },
       [] { return World()->GetLevelEndState() == kLevelStatisticsShown; }, 200},
      {"statistics closed", {enter}, nullptr,
       [] {
         if (InGame() != nullptr) {
           CloseMessageBoxAsAKeyWould(World());
         }
         return Game()->GetState() == kGameEndTextsOver;
       },
       600},
  };
  EXPECT_EQ(0, RunEntry());
  EXPECT_EQ(nullptr, mRun.failedStep) << "not done in time: " << mRun.failedStep;
  EXPECT_EQ(mRun.steps.size(), mRun.step);
  EXPECT_EQ(0u, mRun.deathPixel) << "the death fade ends black";
  // The level is drawn through its game camera, once the world makes one.
  EXPECT_TRUE(!mRun.levelHasCamera || mRun.levelPixel != 0) << "the level's first frame shows it";
  EXPECT_TRUE(sBoxes.empty());
}

}  // namespace
