// The sensor base on the devices' forged room: the common properties and
// their name resolution, the firing pattern, activation and the reset.
#include "game/world/sensors/sensor_device.h"

#include <gtest/gtest.h>

#include <string>

#include "game/render/models/static_lit_clump_ro.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

// A sensor whose update fires when told to and notes the target's absence
// otherwise.
class SensorDouble : public cSensorDevice {
 public:
  SensorDouble(const char* path, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player)
      : cSensorDevice(path, lightmap, collision, bodies, player) {}
  SensorDouble(const SensorDouble& prototype) : cSensorDevice(prototype) {}
  cLevelObject* Clone() override { return new SensorDouble(*this); }
  eObjectSetKind GetKind() const override { return kSetListeners; }
  bool Update(f32) override {
    if (GetState() != kSensorInactive) {
      present ? Fire() : NoteTargetAbsent();
    }
    return false;
  }
  bool present = false;
};

class SensorDeviceTest : public DeviceTest {
 protected:
  SensorDouble* PlaceSensor(const char* name) {
    const std::string path = std::string(demo::level01::kModelFolder) + "listener.dff";
    auto* set = new tObjectSet<SensorDouble>(path.c_str(), &mLevel->GetLightmap(), mLevel->GetWorldCollision(),
                                             &mLevel->GetBodies(), nullptr);
    mDestroy.push_back([set] { delete set; });
    LocatorWriter writer;
    writer.headerValue = 1;
    writer.Add(name, "", 0.0f, 1.0f, 0.0f);
    const std::string locator = Folder(std::string("xrf/") + name + ".xrf");
    EXPECT_TRUE(writer.WriteFile(locator));
    set->InstantiateDevices(locator.c_str());
    AppendPointer(&mLevel->GetObjectSets(kSetListeners), set);
    return set->GetClone(0);
  }
  // Every placed sensor linked, attached and given its group's properties.
  void Link(const std::string& props) {
    mProps.ParseText(cString(props.c_str()));
    const cPtrArray& sets = mLevel->GetObjectSets(kSetListeners);
    LinkSensors<SensorDouble>(sets, mLevel);
    AttachSensorsToWorld<SensorDouble>(sets, mLevel);
    ForEachClone<SensorDouble>(sets, [this](SensorDouble* sensor) {
      const cPropertyGroup* group = mProps.FindGroup(sensor->GetName());
      if (group != nullptr) {
        sensor->ReadCommonProperties(group, mLevel->GetSensors(), mLevel->GetTimerDevices(), &mLevel->GetMen());
      }
    });
  }
};

TEST_F(SensorDeviceTest, FiringSwitchesTheResolvedSensors) {
  SensorDouble* a = PlaceSensor("a");
  SensorDouble* b = PlaceSensor("b");
  SensorDouble* c = PlaceSensor("c");
  Link("[a]\nACTIVATED = [a, nobody, b, b]\nDEACTIVATED = [c]\n[b]\nDEACTIVATED = [B]\n");
  EXPECT_EQ(3u, a->GetActivated().GetCount());
  EXPECT_EQ(0u, b->GetDeactivated().GetCount());
  struct Row {
    const char* what;
    s32 before[3];
    s32 after[3];
  };
  const Row rows[] = {
      {"itself unaffected", {1, 0, 1}, {1, 1, 0}},
      {"alarm kept", {2, 2, 0}, {2, 2, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SensorDouble* sensors[] = {a, b, c};
    for (int i = 0; i < 3; i++) {
      sensors[i]->SetState(row.before[i]);
    }
    a->Fire();
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(row.after[i], sensors[i]->GetState()) << i;
      EXPECT_EQ(row.after[i] != kSensorInactive, sensors[i]->GetModel()->GetScene() != nullptr) << i;
    }
  }
}

TEST_F(SensorDeviceTest, ResetPutsTheModelBackOnce) {
  SensorDouble* sensor = PlaceSensor("a");
  Link("");
  struct Row {
    const char* what;
    s32 state;
    bool removeModel;
  };
  const Row rows[] = {{"deactivated", kSensorInactive, true}, {"spent, model in", kSensorInactive, false},
                      {"active", kSensorActive, false}, {"alarm", kSensorAlarm, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    sensor->Activate();
    if (row.removeModel) {
      sensor->Deactivate();
    }
    sensor->SetState(row.state);
    sensor->Reset();
    EXPECT_EQ(kSensorActive, sensor->GetState());
    EXPECT_EQ(kSensorNothingShown, sensor->GetMessageFlag());
    EXPECT_EQ(mLevel, sensor->GetModel()->GetScene());
    EXPECT_EQ(mLevel->GetRenderManager().GetWorld(), RpClumpGetWorld(sensor->GetModel()->GetClump()));
  }
}

TEST_F(SensorDeviceTest, FirstMessageThenTheSecondOnEveryReturn) {
  SensorDouble* sensor = PlaceSensor("a");
  Link("[a]\nMESSAGE1 = 2\nMESSAGE2 = 1\n");
  EXPECT_EQ(1, sensor->GetMessage1());
  EXPECT_EQ(0, sensor->GetMessage2());
  const struct {
    bool present;
    s32 flag;
  } frames[] = {{false, -1}, {true, 0}, {true, 0}, {false, 1}, {true, 1}, {false, 1}, {true, 1}};
  for (size_t i = 0; i < sizeof(frames) / sizeof(frames[0]); i++) {
    SCOPED_TRACE(i);
    sensor->present = frames[i].present;
    sensor->Update(0.1f);
    EXPECT_EQ(frames[i].flag, sensor->GetMessageFlag());
  }
  sensor->StoreState();
  sensor->Reset();
  sensor->RestoreState();
  EXPECT_EQ(kSensorTargetLost, sensor->GetMessageFlag());
}

}  // namespace
