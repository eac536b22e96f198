// A generated demo level for the level benchmarks: the engine on the
// Direct3D 8 stand-in with the level world's plugins, sound in test mode,
// the demo data set written into a scratch working folder, and the level
// loaded whole through the level world, as the men's and world tests set
// them up (their fixture, run outside a test).
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "game/characters/player/dorva_man.h"
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
    demo::DataFolder data;
    std::string error;
    if (!demo::WriteDataSet(data) || !demo::WriteOutput(data, mFolder.Path(), {}, &error)) {
      return false;
    }
    mOpened = mConfig.Load(cString("data/config.txt"));
    return mOpened;
  }
  ~GeneratedLevel() override {
    if (mOpened) {
      TearDown();
    }
  }

  // A fresh world of the level, loaded in all its steps.
  cQXWorld* Load(const char* level) {
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(level));
    for (u32 step = 0; step < kLoadStepCount; step++) {
      mWorld->Load();
    }
    return mWorld.get();
  }
  void Unload() { mWorld.reset(); }

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

  bool mOpened = false;
};
