// Every generated level after the first loaded whole through the level
// world, the player at its start, and stood in its exit: the level plays on
// until then, and ends there with its statistics, whatever its men do to a
// player kept alive. (The first level's own play test loads it.)
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <type_traits>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "game/world/devices/lever.h"
#include "game/world/devices/multi_device.h"
#include "game/world/devices/opener_device.h"
#include "game/world/devices/searchable.h"
#include "game/world/static_objects.h"
#include "game/world/sensors/sensor_kinds.h"
#include "tools/demo/men/men.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using GeneratedLevelsTest = WorldTest;

constexpr f32 kFrameSeconds = 0.04f;
// Long enough for the exit's message to run out and the level to end.
constexpr int kMostFrames = 500;

TEST_F(GeneratedLevelsTest, EachLevelLoadsAndEndsAtItsExit) {
  MakeScreenStack();
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(mConfig.Load(cString("data/config.txt")));
  const struct {
    const char* level;
    f32 startX, startZ;
    f32 exitX, exitZ;
  } rows[] = {{"level02", 2.0f, 0.0f, 12.0f, 7.5f},
              {"level03", 2.0f, 0.0f, 8.0f, -7.5f},
              {"level99", 4.0f, 7.0f, 12.0f, -7.5f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(row.level));
    cQXWorld* world = mWorld.get();
    for (u32 step = 0; step < kLoadStepCount; step++) {
      world->Load();
    }
    cDorvaMan* player = world->GetPlayer();
    ASSERT_TRUE(player != nullptr);
    const RwV3d start = RwFrameGetLTM(player->GetFrame())->pos;
    EXPECT_NEAR(row.startX, start.x, 1e-3f);
    EXPECT_NEAR(row.startZ, start.z, 1e-3f);
    ASSERT_GE(world->GetMissionFlags().GetCount(), 1u);
    player->SetProtected(1);
    world->CloseInfoView(true);
    world->SetInputLock(0);
    for (int frame = 0; frame < kMostFrames / 10; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelPlaying, world->GetLevelEndState());  // not before the exit
    const RwV3d exit = {row.exitX, 0.0f, row.exitZ};
    RwFrameTranslate(player->GetFrame(), &exit, kRwCombineReplace);
    for (int frame = 0; frame < kMostFrames && world->GetLevelEndState() == kLevelPlaying; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelStatisticsShown, world->GetLevelEndState());
  }
}

// The men a level's file lists.
size_t ListedMen(const std::string& level) {
  std::ifstream in("data/" + level + "/men.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t start = text.find("MEN = [");
  const size_t end = text.find(']', start);
  size_t count = start == std::string::npos || end == std::string::npos ? 0 : 1;
  for (size_t i = start; count > 0 && i < end; i++) {
    count += text[i] == ',' ? 1 : 0;
  }
  return count;
}

// What a loaded level holds, by the names the table below asks for.
void Note(cQXWorld* world, std::set<std::string>* found) {
  const auto Kind = [&](auto* type, eObjectSetKind kind, const char* name) {
    using T = std::remove_pointer_t<decltype(type)>;
    ForEachClone<T>(world->GetObjectSets(kind), [&](T*) { found->insert(name); });
  };
  Kind(static_cast<cGlowingObject*>(nullptr), kSetGlowing, "glowing");
  Kind(static_cast<cXrfObject*>(nullptr), kSetXrf, "static");
  Kind(static_cast<cSecurityCamera*>(nullptr), kSetSecurityCameras, "camera");
  Kind(static_cast<cPhotocell*>(nullptr), kSetPhotocells, "photocell");
  Kind(static_cast<cListener*>(nullptr), kSetListeners, "listener");
  Kind(static_cast<cDoor*>(nullptr), kSetDoors, "door");
  Kind(static_cast<cLever*>(nullptr), kSetLevers, "lever");
  Kind(static_cast<cSearchable*>(nullptr), kSetSearchables, "searchable");
  Kind(static_cast<cMultiDevice*>(nullptr), kSetMultiDevices, "device group");
  Kind(static_cast<cMultiLever*>(nullptr), kSetMultiLevers, "lever group");
  const char* const kDevices[] = {"door",   "button", "panel", "lever", "key", "card", "searchable",
                                  "disguise", "special pickup"};
  ForEachClone<cOpenerDevice>(world->GetObjectSets(kSetDevices), [&](cOpenerDevice* device) {
    found->insert(kDevices[device->GetType()]);
    if (device->GetType() == kDevicePanel) {
      found->insert(device->ListensTo(kTriggerEds) ? "EDS panel" : "laser panel");
    }
  });
  const char* const kAreas[] = {"magnetic area", "matter area", "mission area", "checkpoint area"};
  ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas),
                             [&](cSpecialArea* area) { found->insert(kAreas[area->GetType()]); });
  if (world->GetTimerDevices().GetCount() > 0) {
    found->insert("timer");
  }
  for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
    const cDevice* device = static_cast<const cDevice*>(static_cast<cListLink*>(node)->GetObject());
    for (const auto& target : {std::make_pair(kTriggerLaser, "laser target"), std::make_pair(kTriggerEds, "EDS target")}) {
      if (device->ListensTo(target.first)) {
        found->insert(target.second);
      }
    }
  }
  const char* const kTypes[kManTypeCount] = {"dorvaman", "dorvaholoman", "civilian type", "guard type",
                                             "gangster type"};
  for (u32 i = 0; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    found->insert(kTypes[man->GetTypeIndex()]);
    found->insert("body " + demo::men::BodyNames()[man->GetBodyIndex()]);
    if (man->GetTypeIndex() >= kManTypeCivilian && static_cast<cNpc*>(man)->IsBoss()) {
      found->insert("boss");
    }
  }
}

TEST_F(GeneratedLevelsTest, TogetherTheLevelsHoldEveryKindOfObjectAndMan) {
  MakeScreenStack();
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(mConfig.Load(cString("data/config.txt")));
  std::set<std::string> found;
  u32 mostSearchables = 0;
  for (const char* level : {"level01", "level02", "level03", "level99"}) {
    SCOPED_TRACE(level);
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString(level));
    for (u32 step = 0; step < kLoadStepCount; step++) {
      mWorld->Load();
    }
    // Every man of its file walks in it.
    EXPECT_EQ(ListedMen(level), mWorld->GetMen().GetCount());
    Note(mWorld.get(), &found);
    u32 searchables = 0;
    ForEachClone<cSearchable>(mWorld->GetObjectSets(kSetSearchables), [&](cSearchable*) { searchables++; });
    EXPECT_GE(15u, searchables);
    mostSearchables = std::max(mostSearchables, searchables);
  }
  EXPECT_EQ(15u, mostSearchables);
  std::vector<std::string> wanted = {
      "glowing", "static", "camera", "photocell", "listener", "door", "button", "laser panel", "EDS panel", "key",
      "card", "disguise", "special pickup", "lever", "searchable", "device group", "lever group", "timer",
      "magnetic area", "matter area", "mission area", "checkpoint area", "dorvaman", "dorvaholoman",
      "civilian type", "guard type", "gangster type", "boss",
      // the taser and the dart aim at the guards
      "laser target", "EDS target"};
  for (const std::string& body : demo::men::BodyNames()) {
    wanted.push_back("body " + body);
  }
  for (const std::string& name : wanted) {
    SCOPED_TRACE(name);
    EXPECT_EQ(1u, found.count(name));
  }
}

}  // namespace
