// Load step 8: the level's placed objects. Each OBJECTS list names models;
// a model makes a prototype, cloned once per entry of its locator file, and
// every clone reads the PROPS group of its name. All sets exist before the
// first property pass, so a list may name an object of any class.
#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/timer_device.h"
#include "game/world/qx_world.h"
#include "game/world/sensors/sensor_kinds.h"
#include "game/world/static_objects.h"

namespace {

const char* const kLoadTag = "cQXWorld::Load";

typedef void (*tCreateSet)(cQXWorld* world, const cString& model, const cString& locator);

template <class T>
tObjectSet<T>* AppendSet(cQXWorld* world, eObjectSetKind kind, tObjectSet<T>* set) {
  AppendPointer(&world->GetObjectSets(kind), set);
  return set;
}

template <class T, eObjectSetKind kKind>
void CreateStatics(cQXWorld* world, const cString& model, const cString& locator) {
  auto* set = new tObjectSet<T>(model.CStr(), &world->GetLightmap());
  set->InstantiateStatics(locator.CStr());
  AppendSet(world, kKind, set);
}

// Devices join the usable-device list as their set is made, in clone order.
template <class T, eObjectSetKind kKind>
void AddDevices(cQXWorld* world, const cString& locator, tObjectSet<T>* set) {
  set->InstantiateDevices(locator.CStr());
  AppendSet(world, kKind, set);
  for (u32 i = 0; i < set->GetCount(); i++) {
    set->GetClone(i)->RegisterUsable(world);
  }
}

template <class T, eObjectSetKind kKind>
void CreateDevices(cQXWorld* world, const cString& model, const cString& locator) {
  AddDevices<T, kKind>(world, locator, new tObjectSet<T>(model.CStr(), &world->GetLightmap()));
}

void CreateDoors(cQXWorld* world, const cString& model, const cString& locator) {
  AddDevices<cDoor, kSetDoors>(world, locator,
                               new tObjectSet<cDoor>(model.CStr(), &world->GetLightmap(), &world->GetMen()));
}

// Sensors join the sensor list and get the world as their set is made, so
// that every property pass can name any of them, whatever its table.
template <class T, eObjectSetKind kKind>
void CreateSensors(cQXWorld* world, const cString& model, const cString& locator) {
  auto* set = new tObjectSet<T>(model.CStr(), &world->GetLightmap(), world->GetWorldCollision(), &world->GetBodies(),
                                world->GetPlayer());
  set->InstantiateSensors(locator.CStr());
  AppendSet(world, kKind, set);
  for (u32 i = 0; i < set->GetCount(); i++) {
    T* sensor = set->GetClone(i);
    world->GetSensors().Append(&sensor->GetWorldLink());
    sensor->SetWorld(world);
  }
}

struct tObjectKey {
  const char* key;
  tCreateSet create;
};

// In the order the lists are read.
const tObjectKey kObjectKeys[] = {
    {"XRF", &CreateStatics<cXrfObject, kSetXrf>},
    {"GLOWING", &CreateStatics<cGlowingObject, kSetGlowing>},
    {"SECURITYCAMERAS", &CreateSensors<cSecurityCamera, kSetSecurityCameras>},
    {"PHOTOCELLS", &CreateSensors<cPhotocell, kSetPhotocells>},
    {"LISTENERS", &CreateSensors<cListener, kSetListeners>},
    {"SPECAREAS", &CreateSensors<cSpecialArea, kSetSpecialAreas>},
    {"DOORS", &CreateDoors},
    {"DEVICES", &CreateDevices<cOpenerDevice, kSetDevices>},
    {"MULTIDEVICES", &CreateDevices<cMultiDevice, kSetMultiDevices>},
    {"LEVERS", &CreateDevices<cLever, kSetLevers>},
    {"MULTILEVERS", &CreateDevices<cMultiLever, kSetMultiLevers>},
    {"SEARCHABLES", &CreateDevices<cSearchable, kSetSearchables>},
};

template <class T>
void DeleteSets(cPtrArray& sets) {
  for (u32 i = 0; i < sets.GetCount(); i++) {
    delete static_cast<tObjectSet<T>*>(sets.Get(i));
  }
  sets.SetCount(0);
}

// The value of the key; fatal with the key's name when missing.
const cString& RequireValue(const cPropertyGroup* group, const char* key) {
  const cString* value = FindPropertyValue(group, key);
  if (value == nullptr) {
    FatalPropertyNotFound(kLoadTag, group, key);
  }
  return *value;
}

}  // namespace

void cQXWorld::LoadLevelObjects() {
  const cPropertyGroup* level = FindLevelGroup(kLoadTag);
  const cString dffPath = RequireValue(level, "DFFPATH");
  const cString xrfPath = RequireValue(level, "XRFPATH");
  const cString* objectsName = FindPropertyValue(level, "OBJECTS");
  if (objectsName == nullptr) {
    FatalInGroup(level, "No OBJECTS property!");
  }
  cPropertyFile objectsFile;
  const cString objectsPath = *objectsName + cString(".txt");
  if (!objectsFile.Load(objectsPath)) {
    FatalError("No objects file: %s", objectsPath.CStr());
  }
  const cPropertyGroup* objects = FindGroupFatal(&objectsFile, cString("OBJECTS"), "No OBJECTS property!");
  const cString* propsName = FindPropertyValue(level, "PROPS");
  if (propsName == nullptr) {
    FatalInGroup(level, "No PROPS property!");
  }
  cPropertyFile props;
  const cString propsPath = *propsName + cString(".txt");
  if (!props.Load(propsPath)) {
    FatalError("No property file: %s", propsPath.CStr());
  }
  LoadObjects(objects, props, dffPath, xrfPath);
  LoadStaticModels(objects, dffPath);
  LoadTimerDevices(level, props);
}

void cQXWorld::LoadObjects(const cPropertyGroup* objects, const cPropertyFile& props, const cString& dffPath,
                           const cString& xrfPath) {
  for (const tObjectKey& row : kObjectKeys) {
    const cString* list = FindPropertyValue(objects, row.key);
    if (list == nullptr) {
      continue;
    }
    ForEachListElement(*list, [&](const cString& name) {
      row.create(this, dffPath + name + cString(".dff"), xrfPath + name + cString(".xrf"));
    });
  }
  // Placement before properties, except for doors, which store their rest
  // position from their properties before they are placed.
  LinkXrfObjects(mObjectSets[kSetXrf], this);
  LinkGlowingObjects(mObjectSets[kSetGlowing], this);
  SetUpGlowingObjects(mObjectSets[kSetGlowing], props);
  LinkSecurityCameras(mObjectSets[kSetSecurityCameras], this);
  SetUpSecurityCameras(this, props);
  LinkSensors<cPhotocell>(mObjectSets[kSetPhotocells], this);
  SetUpPhotocells(this, props);
  LinkSensors<cListener>(mObjectSets[kSetListeners], this);
  SetUpListeners(this, props);
  LinkSensors<cSpecialArea>(mObjectSets[kSetSpecialAreas], this);
  SetUpSpecialAreas(this, props);
  SetUpDoors(this, props);
  LinkDoors(mObjectSets[kSetDoors], this);
  LinkOpenerDevices(mObjectSets[kSetDevices], this);
  SetUpOpenerDevices(this, props);
  LinkDevices<cMultiDevice>(mObjectSets[kSetMultiDevices], this);
  SetUpMultiDevices(this, props);
  LinkDevices<cLever>(mObjectSets[kSetLevers], this);
  SetUpLevers(this, props);
  LinkDevices<cMultiLever>(mObjectSets[kSetMultiLevers], this);
  SetUpMultiLevers(this, props);
  LinkSearchables(mObjectSets[kSetSearchables], this);
  SetUpSearchables(this, props);
}

void cQXWorld::LoadStaticModels(const cPropertyGroup* objects, const cString& dffPath) {
  const cString* list = FindPropertyValue(objects, "DFF");
  if (list == nullptr) {
    return;
  }
  ReleaseStaticModels();
  ForEachListElement(*list, [&](const cString& name) {
    const cString path = dffPath + name + cString(".dff");
    cXrfObject* model = new cXrfObject(path.CStr(), &mLightmap);
    AppendPointer(&mStaticModels, model);
    AddClump(model->GetModel());
    RpClump* collision = model->GetCollisionClump();
    if (collision != nullptr && mCollisionWorld != nullptr) {
      RpWorldAddClump(mCollisionWorld, collision);
    }
  });
}

void cQXWorld::LoadTimerDevices(const cPropertyGroup* level, const cPropertyFile& props) {
  const cString* list = FindPropertyValue(level, "TIMERDEVICES");
  if (list == nullptr) {
    return;
  }
  ForEachListElement(*list, [&](const cString& name) { AppendPointer(&mTimerDevices, new cTimerDevice(this, name)); });
  for (u32 i = 0; i < mTimerDevices.GetCount(); i++) {
    cTimerDevice* timer = static_cast<cTimerDevice*>(mTimerDevices.Get(i));
    GetUpdateList().Append(timer);
    timer->ReadProperties(props, mSensors, mTimerDevices);
  }
}

void cQXWorld::ReleaseObjects() {
  for (u32 i = 0; i < mTimerDevices.GetCount(); i++) {
    delete static_cast<cTimerDevice*>(mTimerDevices.Get(i));
  }
  mTimerDevices.SetCount(0);
  DeleteSets<cSearchable>(mObjectSets[kSetSearchables]);
  DeleteSets<cMultiLever>(mObjectSets[kSetMultiLevers]);
  DeleteSets<cMultiDevice>(mObjectSets[kSetMultiDevices]);
  DeleteSets<cLever>(mObjectSets[kSetLevers]);
  DeleteSets<cOpenerDevice>(mObjectSets[kSetDevices]);
  DeleteSets<cDoor>(mObjectSets[kSetDoors]);
  DeleteSets<cSpecialArea>(mObjectSets[kSetSpecialAreas]);
  DeleteSets<cListener>(mObjectSets[kSetListeners]);
  DeleteSets<cPhotocell>(mObjectSets[kSetPhotocells]);
  DeleteSets<cSecurityCamera>(mObjectSets[kSetSecurityCameras]);
  DeleteSets<cXrfObject>(mObjectSets[kSetXrf]);
  DeleteSets<cGlowingObject>(mObjectSets[kSetGlowing]);
}

void cQXWorld::ReleaseStaticModels() {
  for (u32 i = 0; i < mStaticModels.GetCount(); i++) {
    delete static_cast<cXrfObject*>(mStaticModels.Get(i));
  }
  mStaticModels.SetCount(0);
}
