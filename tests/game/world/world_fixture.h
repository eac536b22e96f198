// Forged levels for the world's tests: the engine on the Direct3D 8 stand-in
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
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"
#include "tools/forge/forge.h"

class WorldTest : public ScreenEngineTest {
 protected:
  WorldTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RpRandomPluginAttach() && RegisterAtomicPlugin();
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
  // A room 20 wide and 5 high at the BSP path; its collision twin also holds
  // a pillar from x 2 to 4.
  static void WriteLevelWorlds(const std::string& bsp) {
    const std::string folder = bsp.substr(0, bsp.find_last_of('/') + 1);
    for (const std::string& path : {bsp, folder + "collision/" + bsp.substr(folder.size())}) {
      ForgeSoup soup;
      soup.materials.push_back(ForgeMaterial());
      ForgeAddBox(&soup, RwV3d{-10.0f, 0.0f, -10.0f}, RwV3d{10.0f, 5.0f, 10.0f}, 0);
      if (path != bsp) {
        ForgeAddBox(&soup, RwV3d{2.0f, 0.0f, -1.0f}, RwV3d{4.0f, 5.0f, 1.0f}, 0);
      }
      ASSERT_TRUE(ForgeWriteWorldFile(Folder(path).c_str(), soup, ForgeWorldOptions()));
    }
  }
  // The world of the level in a configuration of the group text.
  cQXWorld* MakeWorld(const std::string& group, const char* level = "level01") {
    mConfig.ParseText(cString(("[level01]\n" + group).c_str()));
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(level));
    return mWorld.get();
  }
  std::vector<f32> Load(int calls) {
    std::vector<f32> progress;
    while (calls-- > 0) {
      progress.push_back(mWorld->Load());
    }
    return progress;
  }
  // A tick of value seconds, or a key event pressed when value is 1.
  static void Feed(cInputListener* listener, u32 type, f32 value) {
    tEvent event;
    event.type = type;
    if (type == kEventTick) {
      event.tick.frameTime = value;
    } else {
      event.key = tKeyEvent{0, 0, static_cast<u8>(value)};
    }
    listener->OnEvent(&event);
  }

  static inline DWORD sNow = 100000;  // the application clock, milliseconds
  ScratchFolder mFolder{"world"};
  char mPrevious[4096];
  cPropertyFile mConfig;
  std::unique_ptr<cQXWorld> mWorld;
};
