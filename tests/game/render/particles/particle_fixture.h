// Shared pieces of the particle tests: the engine with the random-number
// plugin and element groups parsed from text; scenes, files and a world for
// whole effects.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "game/foundation/property.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/scene.h"
#include "tests/game/render/room_world.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"

// Element groups from text: the group "e" holding the lines of body
// ("KEY = value" lines); the parser keeps the file of the last one.
class ElementGroupParser {
 public:
  const cPropertyGroup& Group(const std::string& body) {
    const std::string text = "[e]\n" + body;
    cString buffer(static_cast<u32>(text.size()));
    memcpy(buffer.SharedData(), text.data(), text.size());
    mFile.ParseText(buffer);
    return *mFile.FindGroup("e");
  }

 private:
  cPropertyFile mFile;
};

class ParticleEngineTest : public StartedEngineTest, protected ElementGroupParser {
 protected:
  void SetUp() override {
    StartEngine([] { return RpRandomPluginAttach() != FALSE; });
    RpRandomSeed(1);
  }
};

// The text of a property value parsed on its own.
inline cString ValueText(const char* text) {
  cString value;
  value.AssignCString(text);
  return value;
}

// A scene whose camera 0 is the one given (or none).
class ParticleTestScene : public cScene {
 public:
  explicit ParticleTestScene(cCamera* camera = nullptr) : mCamera(camera) {}
  cCamera* GetCamera(u32 index) override { return index == 0 ? mCamera : nullptr; }

 private:
  cCamera* mCamera;
};

// The engine on the fake driver with the world module, random numbers and
// the game's atomic plugin; particle files in a scratch folder; a forged
// room as the world of scenes that want one.
class ParticleSceneTest : public StartedEngineTest, protected ElementGroupParser {
 protected:
  ParticleSceneTest() : mFolder("particles") {}

  void SetUp() override {
    StartEngine([] { return RpWorldPluginAttach() && RpRandomPluginAttach() && RegisterAtomicPlugin(); });
    RpRandomSeed(1);
  }
  void TearDown() override {
    mRoom.Release();
    StartedEngineTest::TearDown();
  }

  // Writes the text as the file name in the scratch folder; its path.
  std::string ParticleFile(const std::string& name, const std::string& text) {
    const std::string path = mFolder.File(name);
    EXPECT_TRUE(WriteWholeFile(path, text));
    return path;
  }

  void GiveWorld(cScene* scene) { mRoom.Give(scene); }
  RpWorld* World() const { return mRoom.GetWorld(); }

  ScratchFolder mFolder;
  RoomWorld mRoom;
};
