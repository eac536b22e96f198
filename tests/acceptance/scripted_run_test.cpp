// The scripted run: the game started in-process through its own entry on
// the generated demo data, on the engine's Direct3D 8 driver over the
// headless video driver, one 40 ms frame at a time on an injected clock,
// driven by key events through the Windows stand-in. From the logos through
// the language menu and a new game into "level01": the briefing closed, a
// walk to a door that opens, a key taken, the checkpoint reached, the pause
// with its options, a death and the way back to the checkpoint, the first
// objective completed, the statistics closed, and the flow moving on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/app/application.h"
#include "game/app/frame_tick.h"
#include "game/app/main_loop.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/app_config.h"
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

// Stand-ins for what the level does not do yet. Each goes once the game
// does it itself: the message box closes the briefing and the statistics on
// a key, the player's input actions turn keys into its input flags, and its
// restore of the checkpoint gives back its health. The men file is cut down
// in player_only_men.h.

// What closing the message box with a key does to the world.
void CloseMessageBoxAsAKeyWould(cQXWorld* world) {
  world->StartKeyRelease();
  world->CloseInfoView(true);
  if (world->GetLevelEndState() == kLevelStatisticsShown) {
    world->SetLevelEndState(kLevelStatisticsClosed);
  }
}

// What the forward and use keys do to the player's input.
void HoldForwardAsTheKeyWould(cDorvaMan* player, bool held) { player->Input().forwardKey = held ? 1 : 0; }
void UseAsTheKeyWould(cDorvaMan* player) {
  player->Input().useItem = 1;
  player->SetSkipAnimation(1);
}

// What the player's restore of the checkpoint does to its health.
void RestoreHealthAsTheCheckpointWill(cDorvaMan* player) { player->SetHealth(1.0f); }

// The plugins the demo's writers need of the engine.
bool AttachDemoPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach();
}

// The run's state, reached from the frame observer.
struct tRun {
  DWORD now = 100000;
  struct tStep {
    const char* name;
    std::function<void()> start;
    std::function<bool()> done;
    int budget;  // frames
  };
  std::vector<tStep> steps;
  size_t step = 0;
  int frames = 0;  // in the current step
  bool started = false;
  bool focused = false;
  const char* failedStep = nullptr;  // strings made in the run die with its engine
  uint32_t firstLevelPixel = 0;
  bool levelHasCamera = false;
  uint32_t deathPixel = 0xFFFFFFFF;
  RwV3d checkpoint = {};
};

tRun* sRun = nullptr;
constexpr DWORD kMovieClockStep = 2;  // milliseconds a reading

// The movie's loop waits on the clock without sleeping: there each reading
// moves it on.
DWORD ReadClock(void*) {
  if (gMoviePlaying != 0) {
    sRun->now += kMovieClockStep;
  }
  return sRun->now;
}
void Sleep(DWORD milliseconds, void*) { sRun->now += milliseconds + 1; }

void Press(SDL_Keycode key) { WinTestPushKey(WinTestFindWindow(kMainWindowClass), key); }
void Close() { WinTestRequestClose(WinTestFindWindow(kMainWindowClass)); }

cGame* Game() { return gApplication != nullptr ? static_cast<cGame*>(gApplication->GetGame()) : nullptr; }
// The in-game screen while it is the top screen.
cInGame* InGame() {
  cGame* game = Game();
  if (game == nullptr || game->GetState() != kGameLevelOver || gScreenStack->GetTopScreen() == game) {
    return nullptr;
  }
  return static_cast<cInGame*>(gScreenStack->GetTopScreen());
}
cQXWorld* World() { return &InGame()->GetWorld(); }
cDorvaMan* Player() { return World()->GetPlayer(); }
uint32_t MiddlePixel() {
  return BackBufferPixelRgb(RwD3D8GetCurrentD3DDevice(), static_cast<int>(gAppConfig.width / 2),
                            static_cast<int>(gAppConfig.height / 2));
}

template <typename T>
T* FindClone(eObjectSetKind kind, const char* name) {
  T* found = nullptr;
  ForEachClone<T>(World()->GetObjectSets(kind), [&](T* clone) { found = clone->GetName() == name ? clone : found; });
  return found;
}

// Stands the player at the point facing along the heading (x, z).
void Stand(const RwV3d& at, f32 headingX, f32 headingZ) {
  RwFrameTranslate(Player()->GetFrame(), &at, kRwCombineReplace);
  Player()->SetHeading(std::atan2(headingX, headingZ));
}
RwV3d Where() { return RwFrameGetLTM(Player()->GetFrame())->pos; }

// Runs the script one frame at a time from the idle event, before the frame.
// A step that is not done within its budget ends the run; the test reports
// it after the run (what the run allocates goes with its engine).
void OnFrame() {
  tRun& run = *sRun;
  if (!run.focused) {
    // The input devices take keys while the window has the focus.
    run.focused = WinTestPushFocus(WinTestFindWindow(kMainWindowClass), TRUE) != FALSE;
  }
  if (run.step >= run.steps.size()) {
    Close();
    return;
  }
  tRun::tStep& step = run.steps[run.step];
  if (!run.started) {
    run.started = true;
    run.frames = 0;
    if (step.start) {
      step.start();
    }
  }
  if (step.done()) {
    run.step++;
    run.started = false;
  } else if (++run.frames > step.budget) {
    run.failedStep = step.name;
    run.step = run.steps.size();
  }
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
    std::string error;
    ASSERT_TRUE(demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
    const std::string menPath = mFolder.File("data/level01/men.txt");
    std::ifstream in(menPath, std::ios::binary);
    const std::string men((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(static_cast<bool>(std::ofstream(menPath, std::ios::binary) << PlayerAndDoubleOnlyMenFile(men)));
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
    sRun = nullptr;
    EXPECT_EQ(0, chdir(mPrevious));
    AppTest::TearDown();
  }

  // The entry run; a watchdog closes the window should the run hang.
  int RunEntry() {
    const char* arguments[] = {"tessarak", "-low"};
    WinTestSetArguments(2, arguments);
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
      std::unique_lock<std::mutex> guard(lock);
      if (!finished.wait_for(guard, std::chrono::seconds(240), [&] { return done; })) {
        Close();
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

  // Keys pressed one every few frames, then waiting until done.
  static tRun::tStep Keys(const char* name, std::vector<SDL_Keycode> keys, std::function<bool()> done, int budget) {
    auto left = std::make_shared<std::vector<SDL_Keycode>>(std::move(keys));
    auto wait = std::make_shared<int>(0);
    return tRun::tStep{name, nullptr,
                       [left, wait, done] {
                         if (!left->empty() && ++*wait % 4 == 0) {
                           Press(left->front());
                           left->erase(left->begin());
                         }
                         return left->empty() && done();
                       },
                       budget};
  }

  ScratchFolder mFolder{"scripted_run"};
  char mPrevious[PATH_MAX] = {};
  tRun mRun;
};

TEST_F(ScriptedRunTest, LogosToTheFirstLevelThroughPauseDeathAndItsEnd) {
  std::vector<tRun::tStep>& s = mRun.steps;
  // The logos hurried by Enter; the language menu's first item.
  s.push_back({"logos and language", nullptr,
               [] {
                 if (sRun->frames % 8 == 7) {
                   Press(SDLK_RETURN);
                 }
                 return Game() != nullptr && Game()->GetState() == kGameLoadLevel &&
                        gScreenStack->GetTopScreen() != Game();
               },
               2000});
  // New game, the name "0", its end cell, the normal difficulty.
  s.push_back(Keys("new game into level01", {SDLK_RETURN, SDLK_RETURN, SDLK_UP, SDLK_LEFT, SDLK_RETURN, SDLK_RETURN},
                   [] { return InGame() != nullptr; }, 3000));
  // The level fades in from black over its first frames.
  s.push_back({"level01 shows once faded in, keys reaching it", nullptr,
               [] {
                 if (World()->GetScreenFader()->IsFading()) {
                   return false;
                 }
                 sRun->firstLevelPixel = MiddlePixel();
                 sRun->levelHasCamera = World()->GetCamera(kGameCameraIndex) != nullptr;
                 return gGameOptions->GetLevelName() == cString("level01") && gInputEnabled == 1;
               },
               40});
  s.push_back({"briefing closed", [] { Press(SDLK_RETURN); },
               [] {
                 CloseMessageBoxAsAKeyWould(World());
                 return Player()->IsBusy() == 0 && World()->IsInputLocked() == 0;
               },
               50});
  // Along door_a's use direction, out into the corridor, then facing it.
  s.push_back({"walks to door_a",
               [] {
                 cDoor* door = FindClone<cDoor>(kSetDoors, "door_a");
                 RwV3d use, out;
                 door->GetUsePoint(&use, false);
                 door->GetUseDirection(&out, false);
                 Stand(RwV3d{use.x + 1.4f * out.x, 0.0f, use.z + 1.4f * out.z}, -out.x, -out.z);
                 sRun->checkpoint = Where();
                 HoldForwardAsTheKeyWould(Player(), true);
               },
               [] {
                 const RwV3d at = Where();
                 const f32 walked = std::hypot(at.x - sRun->checkpoint.x, at.z - sRun->checkpoint.z);
                 if (walked < 0.3f) {
                   return false;
                 }
                 HoldForwardAsTheKeyWould(Player(), false);
                 return true;
               },
               100});
  s.push_back({"opens door_a", [] { UseAsTheKeyWould(Player()); },
               [] {
                 cDoor* door = FindClone<cDoor>(kSetDoors, "door_a");
                 const RwV3d leaf = RwFrameGetLTM(door->GetFrame())->pos;
                 return std::fabs(leaf.x - 4.0f) > 0.5f;
               },
               150});
  s.push_back({"takes key_1", [] { Stand(RwV3d{1.5f, 0.0f, 3.4f}, 0.0f, -1.0f); UseAsTheKeyWould(Player()); },
               [] { return Player()->GetInventoryCount() == 1; }, 150});
  s.push_back({"reaches the checkpoint", [] { Stand(RwV3d{6.0f, 0.0f, 0.0f}, 1.0f, 0.0f); },
               [] {
                 sRun->checkpoint = Where();
                 return World()->IsCheckpointStored() != 0;
               },
               50});
  s.push_back(Keys("escape pauses", {SDLK_ESCAPE}, [] { return InGame()->GetPauseMenu()->IsShown(); }, 50));
  s.push_back(Keys("options from the pause", {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_RIGHT},
                   [] { return InGame()->GetPauseMenu()->GetOptionsMenu()->IsShown(); }, 50));
  s.push_back(Keys("back from the options", {SDLK_ESCAPE}, [] { return InGame()->GetPauseMenu()->IsShown(); }, 50));
  s.push_back(Keys("resume with the brightness one up", {SDLK_RETURN},
                   [] {
                     return World()->IsSuspended() == 0 &&
                            InGame()->GetPauseMenu()->GetBrightnessApplications() == 1;
                   },
                   50));
  // Damage past the end of the health: the death fade, its black frame and
  // the death menu's checkpoint item.
  s.push_back({"dies", [] { Player()->AddHealth(-1.0f); },
               [] {
                 cWgScreenFader* fader = World()->GetScreenFader();
                 if (World()->IsSuspended() && !fader->IsFading() && fader->GetColour().alpha == 255) {
                   sRun->deathPixel = sRun->deathPixel == 0xFFFFFFFF ? MiddlePixel() : sRun->deathPixel;
                 }
                 return InGame()->GetDeathMenu()->IsShown();
               },
               300});
  s.push_back({"death menu's checkpoint item", [] { RestoreHealthAsTheCheckpointWill(Player()); },
               [] { return true; }, 1});
  s.push_back(Keys("back to the checkpoint", {SDLK_RETURN}, [] { return World()->IsSuspended() == 0; }, 50));
  s.push_back({"stands at the checkpoint", nullptr,
               [] {
                 const RwV3d at = Where();
                 return std::fabs(at.x - sRun->checkpoint.x) < 0.01f && std::fabs(at.z - sRun->checkpoint.z) < 0.01f;
               },
               1});
  // The meeting point completes the first objective and ends the level.
  s.push_back({"completes the first objective", [] { Stand(RwV3d{4.0f, 0.0f, 5.0f}, 0.0f, 1.0f); },
               [] { return World()->GetLevelEndState() == kLevelStatisticsShown; }, 200});
  s.push_back({"statistics closed", [] { Press(SDLK_RETURN); },
               [] {
                 if (InGame() != nullptr) {
                   CloseMessageBoxAsAKeyWould(World());
                 }
                 return Game()->GetState() >= kGameEndTexts;
               },
               300});
  s.push_back({"the flow moves on to the end texts", nullptr,
               [] { return Game()->GetState() == kGameEndTextsOver; }, 300});

  EXPECT_EQ(0, RunEntry());
  EXPECT_EQ(nullptr, mRun.failedStep) << "step not done in time: " << mRun.failedStep;
  EXPECT_EQ(mRun.steps.size(), mRun.step);
  // The level is drawn through its game camera, which the world makes once
  // the camera is built in load step 7.
  if (mRun.levelHasCamera) {
    EXPECT_NE(0u, mRun.firstLevelPixel) << "the level's first frame is not black";
  }
  EXPECT_EQ(0u, mRun.deathPixel) << "the death fade ends black";
  EXPECT_TRUE(sBoxes.empty());
}

}  // namespace
