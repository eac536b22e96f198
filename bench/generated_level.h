// A generated demo level for the level benchmarks: the engine on the
// Direct3D 8 stand-in with the level world's plugins, sound in test mode,
// the demo data set written into a scratch working folder, and the level
// loaded whole through the level world, as the men's and world tests set
// them up (their fixture, run outside a test); or the level's screen opened
// as the game opens it and run a tick at a time.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "game/app/frame_tick.h"
#include "game/app/screens/screen_stack.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/ingame/in_game.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

class GeneratedLevel : public WorldTest {
 public:
  // Writes the data set and reads the configuration; false on failure.
  bool Open() {
    SetUp();
    if (HasFatalFailure()) {
      return false;
    }
    MakeScreenStack();
    // The data set is made once a process: the same bytes every time.
    static demo::DataFolder data;
    static bool made = false;
    made = made || demo::WriteDataSet(data);
    std::string error;
    if (!made || !demo::WriteOutput(data, mFolder.Path(), {}, &error)) {
      return false;
    }
    mOpened = mConfig.Load(cString("data/config.txt"));
    return mOpened;
  }
  ~GeneratedLevel() override {
    CloseScreen();
    if (mOpened) {
      TearDown();
    }
  }

  // A fresh world of the level, loaded in all its steps.
  cQXWorld* Load(const char* level) { return LoadWorld(level); }
  void Unload() { mWorld.reset(); }

  // The level's screen as the game opens it: the screen stack takes the
  // ticks, the screen is made for the level, loaded in all its steps (the
  // loading screen's part), its HUD attached and pushed. Null before Open.
  cInGame* OpenScreen(const char* level) {
    if (!mOpened || gScreenStack == nullptr) {
      return nullptr;
    }
    gEventDevice->AddEventHandler(gScreenStack);
    gGameOptions->SetLevelName(cString(level));
    mScreen.reset(static_cast<cInGame*>(MakeInGame(&mConfig, gGameOptions)));
    cLoadable* loadable = mScreen->GetLoadable();
    for (u32 step = 0; step < kLoadStepCount; step++) {
      loadable->Load();
    }
    mScreen->AttachHud();
    gScreenStack->Push(mScreen.get());
    return mScreen.get();
  }
  // One frame as the main loop makes it: 40 ms on the clock, a tick queued
  // and dispatched (the screen stack draws and presents the top screen).
  void Tick() {
    sNow += kTickMilliseconds;
    FrameTickAt(sNow);
  }
  void CloseScreen() {
    if (mScreen == nullptr) {
      return;
    }
    gScreenStack->Pop();
    gEventDevice->RemoveEventHandler(gScreenStack);
    mScreen.reset();
  }

  // Open, or the benchmark marked skipped.
  bool OpenOrSkip(benchmark::State& state) {
    if (Open()) {
      return true;
    }
    state.SkipWithError("the generated level could not be set up");
    return false;
  }

 private:
  void TestBody() override {}

  static constexpr DWORD kTickMilliseconds = 40;
  bool mOpened = false;
  std::unique_ptr<cInGame> mScreen;
};
