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

// Level01's guards and others need the NPCs' class; without it the bench
// loads level01 with its men cut to the player and his double.
#if __has_include("game/characters/npc/npc.h")
constexpr bool kLevelHasNpcClass = true;
#else
constexpr bool kLevelHasNpcClass = false;
#endif

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
    if (!kLevelHasNpcClass && !CutMenToThePlayer()) {
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

  static bool CutMenToThePlayer() {
    std::string men;
    if (!ReadText("data/level01/men.txt", &men)) {
      return false;
    }
    const size_t list = men.find("MEN = [");
    const size_t end = men.find(']', list);
    if (list == std::string::npos || end == std::string::npos) {
      return false;
    }
    men.replace(list, end + 1 - list, "MEN = [dorvaman, dorvaholoman]");
    return WriteWholeFile("data/level01/men.txt", men);
  }
  static bool ReadText(const char* path, std::string* text) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
      return false;
    }
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      text->append(buffer, got);
    }
    std::fclose(file);
    return true;
  }

  bool mOpened = false;
};
