// Fuzz target for the devices' property readers: any bytes as a PROPS file,
// every group read by a fresh door, opener device, lever, searchable,
// multi-device and multi-lever, each resolving its lists among the others;
// then by a glowing object and two timers of the level, which run; and by
// the four sensor kinds, each resolving its lists among the others. Deep
// brackets end the game through FatalError, which is the answer to them and
// no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/world/devices/door.h"
#include "game/world/devices/multi_device.h"
#include "game/world/devices/searchable.h"
#include "game/world/devices/timer_device.h"
#include "game/world/qx_world.h"
#include "game/world/sensors/sensor_kinds.h"
#include "game/world/static_objects.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/memory_files.h"
#include "tests/support/quad_model.h"

namespace {

constexpr char kModelFile[] = "data/level/device.dff";

cLightmap gLightmap;

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !RpWorldPluginAttach() || !RpUserDataPluginAttach() || !RegisterAtomicPlugin() ||
      !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  static const std::vector<uint8_t> model = QuadModelBytes({tTestQuad()});
  memoryfiles::Serve("data\\level\\device.dff", model.data(), model.size());
  // The security camera's inactive model.
  memoryfiles::Files().push_back({"data\\level\\deviceInactive.dff", model});
  return true;
}

template <class T>
T* Make(const char* name, cList* devices) {
  T* device = new T(kModelFile, &gLightmap);
  device->SetName(cString(name));
  devices->Append(&device->GetUsableLink());
  return device;
}

template <class T>
T* MakeSensor(const char* name, cList* sensors) {
  T* sensor = new T(kModelFile, &gLightmap, nullptr, nullptr, nullptr);
  sensor->SetName(cString(name));
  sensors->Append(&sensor->GetWorldLink());
  return sensor;
}

// Every group read by a camera, a photocell, a listener and a special area
// listed together; their resolved lists hold only those four.
void ReadSensors(const cPropertyFile& props) {
  cList sensors;
  const cPtrArray timers;
  const cPtrArray men;
  auto* camera = MakeSensor<cSecurityCamera>("camera", &sensors);
  auto* photocell = MakeSensor<cPhotocell>("photocell", &sensors);
  auto* listener = MakeSensor<cListener>("listener", &sensors);
  auto* area = MakeSensor<cSpecialArea>("area", &sensors);
  for (u32 i = 0; i < props.GetCount(); i++) {
    const cPropertyGroup* group = &props.GetGroup(i);
    camera->ReadProperties(group, sensors, timers, &men);
    photocell->ReadProperties(group, sensors, timers, &men);
    listener->ReadProperties(group, sensors, timers, &men);
    area->ReadProperties(group, sensors, timers);
  }
  cSensorDevice* all[] = {camera, photocell, listener, area};
  for (cSensorDevice* sensor : all) {
    for (const cPtrArray* list : {&sensor->GetActivated(), &sensor->GetDeactivated()}) {
      for (u32 i = 0; i < list->GetCount(); i++) {
        void* named = list->Get(i);
        if (named != static_cast<cLevelObject*>(camera) && named != static_cast<cLevelObject*>(photocell) &&
            named != static_cast<cLevelObject*>(listener) && named != static_cast<cLevelObject*>(area)) {
          __builtin_trap();
        }
      }
    }
    if (sensor->GetAlerted().GetCount() != 0 || sensor->GetStartedTimers().GetCount() != 0) {
      __builtin_trap();
    }
  }
  if (area->GetType() < kAreaMagnetic || area->GetType() > kAreaCheckpoint) {
    __builtin_trap();
  }
  for (cSensorDevice* sensor : all) {
    delete sensor;
  }
}

cQXWorld* World() {
  static cPropertyFile config;
  static cQXWorld* world = [] {
    config.ParseText(cString("[fuzz]\nTIMERDEVICES = [timer, other]\n"));
    return new cQXWorld(&config, cString("fuzz"));
  }();
  return world;
}

void ReadDevices(const cPropertyFile& props) {
  cList devices;
  const cList sensors;
  cDoor* door = new cDoor(kModelFile, &gLightmap, nullptr);
  door->SetName(cString("door"));
  devices.Append(&door->GetUsableLink());
  cOpenerDevice* opener = Make<cOpenerDevice>("button", &devices);
  cLever* lever = Make<cLever>("lever", &devices);
  cSearchable* searchable = Make<cSearchable>("searchable", &devices);
  cMultiDevice* multi = Make<cMultiDevice>("multi", &devices);
  cMultiLever* multiLever = Make<cMultiLever>("multilever", &devices);
  cGlowingObject glowing(kModelFile, &gLightmap);
  for (u32 i = 0; i < props.GetCount(); i++) {
    const cPropertyGroup* group = &props.GetGroup(i);
    door->ReadProperties(group);
    opener->ReadProperties(group, devices, sensors, nullptr);
    lever->ReadProperties(group, devices, sensors, nullptr);
    searchable->ReadProperties(group, devices, sensors, nullptr);
    multi->ReadProperties(group, devices, sensors);
    multiLever->ReadProperties(group, devices, sensors);
    glowing.ReadProperties(group);
  }
  const cDevice* all[] = {door, opener, lever, searchable, multi, multiLever};
  for (const cDevice* device : all) {
    if (device->GetFirstTriggerId() < -1 || device->GetTriggerIdCount() > 5) {
      __builtin_trap();
    }
    delete device;
  }
}

void ReadTimers(const cPropertyFile& props) {
  cQXWorld* world = World();
  world->LoadTimerDevices(world->GetConfig()->FindGroup(cString("fuzz")), props);
  for (u32 frame = 0; frame < 4; frame++) {
    world->cScene::Update(1.0f);
  }
}

void ReadProps(const uint8_t* bytes, size_t size) {
  cPropertyFile props;
  props.ParseText(cString(std::string(reinterpret_cast<const char*>(bytes), size).c_str()));
  ReadDevices(props);
  ReadTimers(props);
  ReadSensors(props);
}

// The level's timers go, and with them whatever a fatal end left listed.
void DeleteTimers() {
  cPtrArray& timers = World()->GetTimerDevices();
  for (u32 i = 0; i < timers.GetCount(); i++) {
    delete static_cast<cTimerDevice*>(timers.Get(i));
  }
  timers.SetCount(0);
  World()->GetUpdateList().Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  return fatalworker::TestOneInput(started, bytes, size, 1 << 16, ReadProps, DeleteTimers);
}
