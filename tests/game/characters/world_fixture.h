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
  static inline DWORD sNow = 100000;  // the application clock, milliseconds
  ScratchFolder mFolder{"world"};
  char mPrevious[4096];
  cPropertyFile mConfig;
  std::unique_ptr<cQXWorld> mWorld;
};
