// The level's placed objects: the demo level's tables, links across classes,
// statics and lamps, timers, the loader's failures, and loads and teardowns
// one after another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/render/collision/world_collision.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/timer_device.h"
#include "game/world/sensors/sensor_kinds.h"
#include "game/world/static_objects.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/level01/objects.h"
#include "tools/demo/output.h"

namespace {

// A sensor that counts its switches.
class Switch : public cLevelObject {
 public:
  explicit Switch(const char* name) : mLink(this) { SetName(cString(name)); }
  cLevelObject* Clone() override { return nullptr; }
  void Activate() override { on++; }
  void Deactivate() override { off++; }
  cListLink mLink;
  int on = 0, off = 0;
};

class ObjectsTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
  }
  // The demo data with hologram men.
  void WriteDemo() {
    demo::DataFolder data;
    std::string error;
    ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
    ASSERT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile("holo0, holo1", 2)));
  }
  cQXWorld* LoadDemo() {
    EXPECT_TRUE(mConfig.Load(cString("data/config.txt")));
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"));
    for (int step = 0; step < 20; step++) {
      mWorld->Load();
    }
    return mWorld.get();
  }
  template <class T>
  static std::vector<std::string> Names(cQXWorld* world, eObjectSetKind kind) {
    std::vector<std::string> names;
    ForEachClone<T>(world->GetObjectSets(kind), [&](T* clone) { names.push_back(clone->GetName().CStr()); });
    return names;
  }
  template <class T>
  static T* Find(cQXWorld* world, eObjectSetKind kind, const char* name) {
    T* found = nullptr;
    ForEachClone<T>(world->GetObjectSets(kind),
                    [&](T* clone) { found = found == nullptr && clone->GetName() == cString(name) ? clone : found; });
    return found;
  }
};

using ObjectsDeathTest = ObjectsTest;

// Twice in one process: every table by its key and in locator order, links
// across classes, the device default, statics with and without collision,
// lamps with and without GLOW, the timers chained.
TEST_F(ObjectsTest, TheDemoLevelLoadsItsObjectsTwice) {
  WriteDemo();
  // lamp_corridor loses its GLOW, the pillar its collision twin.
  std::stringstream text;
  text << std::ifstream("data/level01/props.txt").rdbuf();
  std::string props = text.str();
  props.erase(props.find("GLOW = lamp_glow"), std::strlen("GLOW = lamp_glow"));
  std::filesystem::remove("data/level01/models/collision/pillar.dff");
  // The camera names the photocell, a sensor of a later table.
  const size_t named = props.find("ACTIVATED = [listener_1]", props.find("[seccam_1]"));
  props.replace(named, std::strlen("ACTIVATED = [listener_1]"), "ACTIVATED = [photocell_1]");
  ASSERT_TRUE(WriteLevelFile("data/level01/props.txt", props));
  const struct {
    const char* key;
    eObjectSetKind kind;
    std::vector<std::string> (*names)(cQXWorld*, eObjectSetKind);
  } tables[] = {{"XRF", kSetXrf, &Names<cXrfObject>},
                {"GLOWING", kSetGlowing, &Names<cGlowingObject>},
                {"SECURITYCAMERAS", kSetSecurityCameras, &Names<cSecurityCamera>},
                {"PHOTOCELLS", kSetPhotocells, &Names<cPhotocell>},
                {"LISTENERS", kSetListeners, &Names<cListener>},
                {"SPECAREAS", kSetSpecialAreas, &Names<cSpecialArea>},
                {"DOORS", kSetDoors, &Names<cDoor>},
                {"DEVICES", kSetDevices, &Names<cOpenerDevice>},
                {"MULTIDEVICES", kSetMultiDevices, &Names<cMultiDevice>},
                {"LEVERS", kSetLevers, &Names<cLever>},
                {"MULTILEVERS", kSetMultiLevers, &Names<cMultiLever>},
                {"SEARCHABLES", kSetSearchables, &Names<cSearchable>}};
  for (int load = 0; load < 2; load++) {
    cQXWorld* world = LoadDemo();
    for (const auto& table : tables) {
      SCOPED_TRACE(table.key);
      std::vector<std::string> expected;
      for (const auto& placed : demo::level01::PlacedObjects()) {
        expected.insert(expected.end(), placed.key == table.key ? 1 : 0, placed.name);
      }
      std::vector<std::string> names = table.names(world, table.kind);
      std::sort(expected.begin(), expected.end());
      std::sort(names.begin(), names.end());
      EXPECT_EQ(expected, names);
    }
    // The eight sensors in the sensor list once each; the camera's twin shown.
    EXPECT_EQ(8u, world->GetSensors().Count());
    cSecurityCamera* camera = Find<cSecurityCamera>(world, kSetSecurityCameras, "seccam_1");
    ASSERT_TRUE(camera != nullptr && camera->GetActivated().GetCount() == 1);
    EXPECT_EQ(world, camera->GetInactiveModel()->GetScene());
    EXPECT_EQ(static_cast<cLevelObject*>(Find<cPhotocell>(world, kSetPhotocells, "photocell_1")),
              camera->GetActivated().Get(0));
    cOpenerDevice* button = Find<cOpenerDevice>(world, kSetDevices, "button_1");
    ASSERT_TRUE(button != nullptr && button->GetDoors().GetCount() > 0);
    EXPECT_EQ(kSetDoors, static_cast<cDoor*>(button->GetDoors().Get(0))->GetKind());
    cXrfObject* pillar = Find<cXrfObject>(world, kSetXrf, "pillar_1");
    cXrfObject* crate = Find<cXrfObject>(world, kSetXrf, "crate_1");
    ASSERT_TRUE(pillar != nullptr && crate != nullptr);
    EXPECT_TRUE(pillar->GetCollisionClump() == nullptr && pillar->GetModel()->GetScene() == world);
    EXPECT_EQ(world->GetCollisionWorld(), RpClumpGetWorld(crate->GetCollisionClump()));
    EXPECT_EQ(3u, crate->GetModel()->GetColourTableCount());
    RwV3d hit[2] = {};
    const tSegment3d segment(RwV3d{5.0f, 0.5f, 8.5f}, RwV3d{6.0f, 0.5f, 8.5f});
    EXPECT_TRUE(
        world->GetWorldCollision()->IntersectSegment(segment, &hit[0], &hit[1], nullptr, true, false, 0, false));
    EXPECT_NEAR(5.5f, hit[0].x, 1e-3f);
    for (const char* lamp : {"lamp_corridor", "lamp_a"}) {
      SCOPED_TRACE(lamp);
      cGlowingObject* glowing = Find<cGlowingObject>(world, kSetGlowing, lamp);
      ASSERT_TRUE(glowing != nullptr);
      EXPECT_EQ(std::string(lamp) == "lamp_a", glowing->GetBillboard().GetTexture() != nullptr);
      const RwV3d at = RwFrameGetMatrix(glowing->GetBillboard().GetFrame())->pos;
      const RwV3d model = RwFrameGetMatrix(glowing->GetModel()->GetFrame())->pos;
      EXPECT_EQ((std::vector<f32>{model.x, model.y, model.z}), (std::vector<f32>{at.x, at.y, at.z}));
    }
    EXPECT_EQ(1u, world->GetStaticModels().GetCount());
    // timer_1 waits for the microphone and starts timer_2, which stops it.
    const cPtrArray& timers = world->GetTimerDevices();
    auto* first = static_cast<cTimerDevice*>(timers.Get(0));
    EXPECT_TRUE(timers.GetCount() == 2 && !first->IsRunning() && first->GetStartedTimers().Get(0) == timers.Get(1) &&
                static_cast<cTimerDevice*>(timers.Get(1))->GetStoppedTimers().Get(0) == first);
  }
}

// Only the listed keys make sets; an empty list none.
TEST_F(ObjectsTest, OnlyTheListedKeys) {
  WriteDemo();
  ASSERT_TRUE(WriteLevelFile("data/level01/objects.txt", "[OBJECTS]\nDOORS = [door]\nDEVICES = []\n"));
  cQXWorld* world = LoadDemo();
  for (u32 kind = 0; kind < kObjectSetKindCount; kind++) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(kind == kSetDoors ? 1u : 0u, world->GetObjectSets(static_cast<eObjectSetKind>(kind)).GetCount());
  }
  EXPECT_EQ(0u, world->GetStaticModels().GetCount());
}

TEST_F(ObjectsDeathTest, MissingFilesKeysAndGroupsAreFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  ASSERT_TRUE(WriteLevelFile("o.txt", "[OBJECTS]\n") && WriteLevelFile("p.txt", "[x]\n") &&
              WriteLevelFile("n.txt", "[NOTOBJECTS]\n"));
  const char* rows[][2] = {
      {"XRFPATH = x\nOBJECTS = o\nPROPS = p\n", "cQXWorld::Load : Property not found! \\(DFFPATH\\)"},
      {"DFFPATH = x\nOBJECTS = o\nPROPS = p\n", "cQXWorld::Load : Property not found! \\(XRFPATH\\)"},
      {"DFFPATH = x\nXRFPATH = x\nPROPS = p\n", "No OBJECTS property!"},
      {"DFFPATH = x\nXRFPATH = x\nOBJECTS = none\nPROPS = p\n", "No objects file: none.txt"},
      {"DFFPATH = x\nXRFPATH = x\nOBJECTS = n\nPROPS = p\n",
       "No OBJECTS property! : PropertyGroup not found! \\(OBJECTS\\) in n.txt"},
      {"DFFPATH = x\nXRFPATH = x\nOBJECTS = o\n", "No PROPS property!"},
      {"DFFPATH = x\nXRFPATH = x\nOBJECTS = o\nPROPS = none\n", "No property file: none.txt"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[1]);
    EXPECT_DEATH(MakeWorld(row[0])->LoadLevelObjects(), row[1]);
  }
}

// Expiry at the duration, self-restart, start-then-stop, sensors by first
// name (unknown names dropped), and the checkpoint.
TEST_F(ObjectsTest, TimersRunOutAndChain) {
  Switch sensors[] = {Switch("cam"), Switch("cam"), Switch("cell")};
  struct Row {
    const char* keys;
    f32 afterFirst, afterSecond;  // running after 1 s and after 2 s (seconds updated in 0.5 s steps)
    int camOn, camTwinOn, cellOff;
  };
  const Row rows[] = {
      {"DURATION = 0\nSTARTED = 1\nACTIVATED = [cam, nothing]\n", 0, 0, 1, 0, 0},
      {"DURATION = 1\nSTARTED = 1\nSTARTEDTIMERS = [t]\nDEACTIVATED = [cell]\n", 1, 1, 0, 0, 2},
      {"DURATION = 1\nSTARTED = 1\nSTARTEDTIMERS = [t]\nSTOPPEDTIMERS = [t]\n", 0, 0, 0, 0, 0},
      {"DURATION = 5\n", 0, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    cQXWorld* world = MakeWorld("TIMERDEVICES = [t, u]\n");
    for (Switch& sensor : sensors) {
      sensor.on = sensor.off = 0;
      world->GetSensors().Append(&sensor.mLink);
    }
    cPropertyFile props;
    props.ParseText(cString((std::string("[t]\n") + row.keys + "STARTEDMESSAGE = 1\n").c_str()));
    world->LoadTimerDevices(mConfig.FindGroup(cString("level01")), props);
    cTimerDevice* timer = static_cast<cTimerDevice*>(world->GetTimerDevices().Get(0));
    world->cScene::Update(0.5f);
    world->cScene::Update(0.5f);
    EXPECT_EQ(row.afterFirst != 0, timer->IsRunning());
    world->StoreCheckpoint();
    world->cScene::Update(0.5f);
    world->cScene::Update(0.5f);
    EXPECT_EQ(row.afterSecond != 0, timer->IsRunning());
    EXPECT_EQ((std::vector<int>{row.camOn, row.camTwinOn, row.cellOff}),
              (std::vector<int>{sensors[0].on, sensors[1].on, sensors[2].off}));
    world->RestoreCheckpoint();
    EXPECT_EQ(row.afterFirst != 0, timer->IsRunning());
    EXPECT_FLOAT_EQ(1000.0f, timer->GetClock().GetMilliseconds());
    for (Switch& sensor : sensors) sensor.mLink.Unlink();
  }
}

}  // namespace
