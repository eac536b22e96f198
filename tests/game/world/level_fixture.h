// Levels for the world's tests: the demo's first level loaded whole with
// hologram doubles for men, or a world of a texts file with its HUD.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/characters/man.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

class LevelTest : public WorldTest {
 protected:
  LevelTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RpRandomPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach() &&
             RegisterAtomicPlugin();
    };
  }
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
  }
  void TearDown() override {
    gInputLatch = 0;
    WorldTest::TearDown();
  }

  // The demo's first level loaded whole, with two hologram doubles for men.
  cQXWorld* DemoLevel() {
    static demo::DataFolder* data = nullptr;
    if (data == nullptr) {
      data = new demo::DataFolder;
      EXPECT_TRUE(demo::WriteDataSet(*data));
    }
    std::string error;
    EXPECT_TRUE(demo::WriteOutput(*data, mFolder.Path(), {}, &error)) << error;
    EXPECT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile({"holo0", "holo1"}, 2)));
    EXPECT_TRUE(mConfig.Load(cString("data/config.txt")));
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"));
    for (int step = 0; step < 20; step++) {
      mWorld->Load();
    }
    return mWorld.get();
  }
  // A world of the level with its HUD and the texts file, unlocked.
  cQXWorld* TextWorld(const std::string& texts, const char* level = "level01") {
    EXPECT_TRUE(WriteLevelFile("data/level01/texts_d.txt", texts));
    cQXWorld* world = MakeWorld("TEXTS = data/level01/texts\n", level);
    mConfig.ParseText(cString((std::string("[") + level + "]\nTEXTS = data/level01/texts\n").c_str()));
    world->CreateHud();
    world->LoadTexts();
    world->SetInputLock(0);
    return world;
  }
  static std::vector<std::string> Messages(cQXWorld* world) {
    std::vector<std::string> texts;
    for (u32 i = 0; i < world->GetMessageCount(); i++) {
      texts.push_back(world->GetMessageText(i).CStr());
    }
    return texts;
  }
  static RwV3d Position(cMan* man) { return RwFrameGetLTM(man->GetFrame())->pos; }
  static cMan* Man(cQXWorld* world, u32 i) { return static_cast<cMan*>(world->GetMen().Get(i)); }
};
