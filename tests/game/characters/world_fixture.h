// Forged levels for the men's tests: the engine on the Direct3D 8 stand-in
// with a level's plugins, a scratch working folder for the level's files,
// the event device, sound in test mode on an injected clock, and the front
// end's options and save profiles.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/app/audio/sound_engine.h"
#include "game/app/input/event_device.h"
#include "game/app/small_block_pool.h"
#include "game/app/time_scale.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/models/atomic_plugin.h"
#include "game/world/qx_world.h"
#include "platform/dsound/dsound_testing.h"
#include "platform/win/win_testing.h"
#include "tests/support/anim_engine.h"
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/men/men.h"
#include "tools/demo/output.h"
#include "tools/forge/forge.h"

class WorldTest : public ScreenEngineTest {
 protected:
  WorldTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RpRandomPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach() &&
             RegisterAtomicPlugin();
    };
  }
  void SetUp() override {
    ASSERT_TRUE(getcwd(mPrevious, sizeof(mPrevious)) != nullptr && chdir(mFolder.Path().c_str()) == 0);
    ScreenEngineTest::SetUp();
    dsoundtest::SetTestMode(true);
    WinTestSetClock([](void*) { return sNow; }, nullptr);
    CreateEventDevice();
    gGameOptions = new cGameOptions;
    gSaveProfiles = new cSaveProfiles;
  }
  void TearDown() override {
    mWorld.reset();
    delete gSaveProfiles;
    delete gGameOptions;
    gSaveProfiles = nullptr;
    gGameOptions = nullptr;
    DestroyEventDevice();
    CSoundEngine::Shutdown();
    WinTestSetClock(nullptr, nullptr);
    dsoundtest::SetTestMode(false);
    DisableSmallBlockPools();
    gTimeScaleIndex = kTimeScaleNormal;
    ScreenEngineTest::TearDown();
    EXPECT_EQ(0, chdir(mPrevious));
  }

  static std::string Folder(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path("./" + path).parent_path());
    return path;
  }
  // The world of the level in a configuration of the group text.
  cQXWorld* MakeWorld(const std::string& group, const char* level = "level01") {
    mConfig.ParseText(cString(("[level01]\n" + group).c_str()));
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(level));
    return mWorld.get();
  }
  // The generated data set written into the folder and its configuration
  // read; false, with a failure recorded, when either fails.
  bool WriteDemoData() {
    demo::DataFolder data;
    std::string error;
    if (!demo::WriteDataSet(data) || !demo::WriteOutput(data, mFolder.Path(), {}, &error) ||
        !mConfig.Load(cString("data/config.txt"))) {
      ADD_FAILURE() << "the demo data set: " << error;
      return false;
    }
    return true;
  }
  // The generated data set written into the folder and its level01 loaded,
  // with one hologram double in its men file and, when asked, every
  // animation for the player (walking moves by the root's); null, with a
  // failure recorded, when the set cannot be written or read.
  cQXWorld* LoadDemoLevel01(bool everyAnimation = false) {
    std::string men = HologramMenFile("holo0", 1), anims = "[0";
    for (int slot = 1; everyAnimation && slot < demo::men::kAnimationCount; slot++) {
      anims += ", " + std::to_string(slot);
    }
    men.replace(men.find("[0]", men.find("[dorvaman]")), 3, anims + "]");
    if (!WriteDemoData() || !WriteLevelFile("data/level01/men.txt", men)) {
      return nullptr;
    }
    return LoadWorld("level01");
  }
  // A fresh world of the level in the configuration read, loaded in all
  // its steps.
  cQXWorld* LoadWorld(const char* level) {
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(level));
    for (u32 step = 0; step < kLoadStepCount; step++) {
      mWorld->Load();
    }
    return mWorld.get();
  }
  static inline DWORD sNow = 100000;  // the application clock, milliseconds
  ScratchFolder mFolder{"world"};
  char mPrevious[4096];
  cPropertyFile mConfig;
  std::unique_ptr<cQXWorld> mWorld;
};
