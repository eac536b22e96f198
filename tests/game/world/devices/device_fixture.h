// Devices on a forged room: the men's test level with the demo level's
// device models and sounds, devices placed from locators written by the
// test, PROPS text set up and linked by the device passes.
#pragma once

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/devices/device_passes.h"
#include "tests/game/characters/men_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/forge/files/locator_writer.h"

class DeviceTest : public MenTest {
 protected:
  void SetUp() override {
    MenTest::SetUp();
    static demo::DataFolder* files = nullptr;
    if (files == nullptr) {
      files = new demo::DataFolder;
      ASSERT_TRUE(demo::level01::WriteModels(*files));
      demo::WriteSounds(*files);
      // A bound player makes its implants, which load their particles.
      demo::WriteParticles(*files);
    }
    for (const auto& file : files->Files()) {
      std::ofstream(Folder(file.first), std::ios::binary)
          .write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
    }
  }
  void TearDown() override {
    for (auto& destroy : mDestroy) {
      destroy();
    }
    for (u32 kind = 0; kind < kObjectSetKindCount; kind++) {
      mLevel->GetObjectSets(static_cast<eObjectSetKind>(kind)).SetCount(0);
    }
    MenTest::TearDown();
  }

  // One clone of the model named name, at the position, turned heading
  // degrees about y, registered as usable.
  template <class T, class... Args>
  T* Place(eObjectSetKind kind, const char* model, const char* name, RwV3d at, f32 heading, Args... args) {
    const std::string path = std::string(demo::level01::kModelFolder) + model + ".dff";
    auto* set = new tObjectSet<T>(path.c_str(), &mLevel->GetLightmap(), args...);
    mDestroy.push_back([set] { delete set; });
    LocatorWriterEntry entry;
    const f32 radians = heading * 3.14159265f / 180.0f;
    entry.right[0] = std::cos(radians);
    entry.right[2] = -std::sin(radians);
    entry.at[0] = std::sin(radians);
    entry.at[2] = std::cos(radians);
    entry.pos[0] = at.x;
    entry.pos[1] = at.y;
    entry.pos[2] = at.z;
    entry.name = name;
    LocatorWriter writer;
    writer.headerValue = 1;
    writer.AddEntry(entry);
    const std::string locator = Folder(std::string("xrf/") + name + ".xrf");
    EXPECT_TRUE(writer.WriteFile(locator));
    set->InstantiateDevices(locator.c_str());
    AppendPointer(&mLevel->GetObjectSets(kind), set);
    T* device = set->GetClone(0);
    device->RegisterUsable(mLevel);
    return device;
  }
  cDoor* PlaceDoor(const char* name, RwV3d at, f32 heading = 0.0f) {
    return Place<cDoor>(kSetDoors, "door", name, at, heading, &mLevel->GetMen());
  }
  cOpenerDevice* PlaceOpener(const char* model, const char* name, RwV3d at, f32 heading = 0.0f) {
    return Place<cOpenerDevice>(kSetDevices, model, name, at, heading);
  }
  // The set-up passes in the loader's order, then the level links.
  void Finish(const std::string& props) {
    mProps.ParseText(cString(props.c_str()));
    SetUpDoors(mLevel, mProps);
    SetUpOpenerDevices(mLevel, mProps);
    SetUpMultiDevices(mLevel, mProps);
    SetUpLevers(mLevel, mProps);
    SetUpMultiLevers(mLevel, mProps);
    SetUpSearchables(mLevel, mProps);
    LinkDoors(mLevel->GetObjectSets(kSetDoors), mLevel);
    LinkOpenerDevices(mLevel->GetObjectSets(kSetDevices), mLevel);
    LinkDevices<cMultiDevice>(mLevel->GetObjectSets(kSetMultiDevices), mLevel);
    LinkDevices<cLever>(mLevel->GetObjectSets(kSetLevers), mLevel);
    LinkDevices<cMultiLever>(mLevel->GetObjectSets(kSetMultiLevers), mLevel);
    LinkSearchables(mLevel->GetObjectSets(kSetSearchables), mLevel);
  }
  // The scene's update passes for seconds, in steps of dt.
  void Run(f32 seconds, f32 dt = 0.05f) {
    for (f32 t = 0.0f; t < seconds - 1e-4f; t += dt) {
      mLevel->cScene::Update(dt);
    }
  }
  // The sound engine takes play requests at its update, a frame later.
  static bool Playing(cSndEngWin& sound) {
    sNow += 40;
    cSndEngWin::UpdateAll();
    return sound.IsPlaying();
  }
  static RwV3d Position(cDevice* device) { return RwFrameGetLTM(device->GetFrame())->pos; }
  static RwV3d Axis(cDevice* device, u32 axis) {
    const RwMatrix* m = RwFrameGetLTM(device->GetFrame());
    return axis == 0 ? m->right : axis == 1 ? m->up : m->at;
  }
  std::vector<u32> Ids(cDevice* device) {
    std::vector<u32> ids;
    for (u32 i = 0; i < device->GetTriggerIdCount(); i++) {
      ids.push_back(device->GetTriggerId(i));
    }
    return ids;
  }

  cPropertyFile mProps;
  std::vector<std::function<void()>> mDestroy;
};
