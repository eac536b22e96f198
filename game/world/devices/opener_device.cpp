// cOpenerDevice: the property reader, the use by type, the button's return
// and the panel's flip.
#include "game/world/devices/opener_device.h"

#include "game/characters/man.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/devices/door.h"
#include "game/world/qx_world.h"
#include "game/world/sensors/sensor_device.h"

namespace {

const RwV3d kYAxis = {0.0f, 1.0f, 0.0f};
constexpr f32 kHalfTurn = 180.0f;  // degrees
const char* const kUseSound = "sfx/pl_use";

struct tOpenerType {
  const char* text;
  s32 type;
  u32 panelId;  // kTriggerNone: no panel
};
const tOpenerType kOpenerTypes[] = {
    {"button", kDeviceButton, kTriggerNone},   {"laserpanel", kDevicePanel, kTriggerLaser},
    {"edspanel", kDevicePanel, kTriggerEds},   {"key", kDeviceKey, kTriggerNone},
    {"card", kDeviceCard, kTriggerNone},       {"disguise", kDeviceDisguise, kTriggerNone},
    {"special", kDeviceSpecial, kTriggerNone},
};

bool IsTaken(s32 type) {
  return type == kDeviceKey || type == kDeviceCard || type == kDeviceDisguise || type == kDeviceSpecial;
}

// Appends to the array what find makes of each name in the group's list
// under key; names it finds nothing for (null) are left out.
template <class F>
void AppendNamed(const cPropertyGroup* group, const char* key, cPtrArray* array, F find) {
  const cString* value = FindPropertyValue(group, key);
  if (value != nullptr) {
    ForEachListElement(*value, [&](const cString& name) {
      void* found = find(name);
      if (found != nullptr) {
        AppendPointer(array, found);
      }
    });
  }
}

}  // namespace

void AppendPointer(cPtrArray* array, void* value) {
  const u32 count = array->GetCount();
  array->SetCount(count + 1);
  array->Set(count, value);
}

cOpenerDevice::cOpenerDevice(const char* modelPath, cLightmap* lightmap)
    : cDevice(kDeviceButton, modelPath, lightmap),
      mVariant(0),
      mOpenedTime(kOpenerOpenedTime),
      mUsed(0),
      mTimer(0.0f),
      mHeld(0),
      mSavedUsed(0),
      mSavedTimer(0.0f),
      mSavedHeld(0),
      mSavedMatrix() {}

cOpenerDevice::cOpenerDevice(const cOpenerDevice& prototype)
    : cDevice(prototype),
      mVariant(0),
      mOpenedTime(prototype.mOpenedTime),
      mUsed(0),
      mTimer(0.0f),
      mHeld(0),
      mSavedUsed(0),
      mSavedTimer(0.0f),
      mSavedHeld(0),
      mSavedMatrix() {}

cOpenerDevice::~cOpenerDevice() {}

void cOpenerDevice::CreateSounds(cQXWorld*) { mUseSound.Create(kUseSound); }

void cOpenerDevice::TurnAround() { TurnModel(kYAxis, kHalfTurn); }

void cOpenerDevice::ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors,
                                   cQXWorld* world) {
  ReadUseProperties(group);
  const cString* value = FindPropertyValue(group, "OPENEDTIME");
  if (value != nullptr) {
    mOpenedTime = TextToF32(*value);
  }
  bool panel = false;
  value = FindPropertyValue(group, "TYPE");
  if (value != nullptr) {
    SetType(kDeviceButton);
    for (const tOpenerType& type : kOpenerTypes) {
      if (*value != cString(type.text)) {
        continue;
      }
      SetType(type.type);
      if (type.panelId != kTriggerNone) {
        panel = true;
        AddTriggerId(type.panelId);
        mOpenedTime = kPanelOpenedTime;
        TurnAround();
      }
      break;
    }
  }
  if (!panel) {
    AddTriggerId(kTriggerNone);
  }
  value = FindPropertyValue(group, "VARIANT");
  if (value != nullptr) {
    mVariant = TextToIndex(*value);
  }
  value = FindPropertyValue(group, "DOORS");
  if (value != nullptr) {
    ForEachListElement(*value, [&](const cString& name) {
      // Only a door can be driven as one.
      cDevice* device = FindDeviceByName(devices, name);
      if (device != nullptr && device->GetKind() == kSetDoors) {
        AddDoor(static_cast<cDoor*>(device));
      }
    });
  }
  AppendNamed(group, "DEVICES", &mDevices, [&](const cString& name) { return FindDeviceByName(devices, name); });
  AppendNamed(group, "SECURITY", &mSecurity, [&](const cString& name) { return FindLevelObjectByName(sensors, name); });
  // Without a world (levers, searchables, groups) the men are out of reach.
  if (world != nullptr) {
    const cPtrArray& men = world->GetMen();
    AppendNamed(group, "ALERTED", &mAlerted, [&](const cString& name) -> cMan* {
      for (u32 i = 0; i < men.GetCount(); i++) {
        cMan* man = static_cast<cMan*>(men.Get(i));
        if (man != nullptr && man->GetName() == name) {
          return man;
        }
      }
      return nullptr;
    });
  }
  RememberFirstTriggerId();
}

void cOpenerDevice::AddDoor(cDoor* door) {
  AppendPointer(&mDoors, door);
  const s32 type = GetType();
  if (type >= kDeviceButton && type <= kDeviceCard) {
    door->AddTriggerId(kTriggerControl);
  }
}

void cOpenerDevice::OpenDoors(cQXWorld* world) {
  for (u32 i = 0; i < mDoors.GetCount(); i++) {
    cDoor* door = static_cast<cDoor*>(mDoors.Get(i));
    door->Open(world, kTriggerAlways);
    door->SetHeldOpen(true);
  }
}

void cOpenerDevice::CloseDoors() {
  for (u32 i = 0; i < mDoors.GetCount(); i++) {
    static_cast<cDoor*>(mDoors.Get(i))->Close();
  }
}

void cOpenerDevice::UnlockDoors() {
  for (u32 i = 0; i < mDoors.GetCount(); i++) {
    static_cast<cDoor*>(mDoors.Get(i))->AddTriggerId(kTriggerNone);
  }
}

void cOpenerDevice::UnlockDevices() {
  for (u32 i = 0; i < mDevices.GetCount(); i++) {
    static_cast<cDevice*>(mDevices.Get(i))->AddTriggerId(kTriggerNone);
  }
}

void cOpenerDevice::DeactivateSecurity() {
  for (u32 i = 0; i < mSecurity.GetCount(); i++) {
    cLevelObject* sensor = static_cast<cLevelObject*>(mSecurity.Get(i));
    if (sensor != nullptr) {
      static_cast<cSensorDevice*>(sensor)->Deactivate();
    }
  }
}

void cOpenerDevice::ActivateSecurity() {
  for (u32 i = 0; i < mSecurity.GetCount(); i++) {
    cLevelObject* sensor = static_cast<cLevelObject*>(mSecurity.Get(i));
    if (sensor != nullptr) {
      static_cast<cSensorDevice*>(sensor)->Activate();
    }
  }
}

void cOpenerDevice::AlertAll() {
  for (u32 i = 0; i < mAlerted.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(mAlerted.Get(i));
    if (man != nullptr) {
      man->OnAlarm();
    }
  }
}

bool cOpenerDevice::CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) {
  if (query) {
    return GetType() == kDevicePanel && mUsed == 0 && BaseCanUse(position, direction, triggerId, world, true);
  }
  if (GetType() == kDeviceButton && mUsed != 0) {
    return false;
  }
  return BaseCanUse(position, direction, triggerId, world, false);
}

bool cOpenerDevice::Use(cQXWorld* world, u32) {
  if (mUsed != 0) {
    return false;
  }
  ShowDeviceMessage(world, GetMessage());
  CompleteDeviceMission(world, GetMission());
  mUsed = 1;
  PlaySoundAt(mUseSound, GetFrame());
  switch (GetType()) {
    case kDeviceButton:
      TurnAround();
      mTimer = 0.0f;
      OpenDoors(world);
      DeactivateSecurity();
      SetIcon(0);
      return false;
    case kDevicePanel:
      UnlockDoors();
      DeactivateSecurity();
      if (IsOtherSide()) {
        TurnAround();
        SetOtherSide(false);
      }
      // From now on the panel answers only ids 1 and 4.
      ReplaceTriggerId(kTriggerNone, kTriggerControl);
      ReplaceTriggerId(ListensTo(kTriggerLaser) ? kTriggerLaser : kTriggerEds, kTriggerControl);
      SetIcon(0);
      return false;
    case kDeviceKey:
    case kDeviceCard:
      UnlockDoors();
      UnlockDevices();
      SetIcon(0);
      return true;
    case kDeviceDisguise:
    case kDeviceSpecial:
      SetIcon(0);
      return true;
    default:
      return false;
  }
}

void cOpenerDevice::UpdateButton(f32 dt) {
  mTimer += dt;
  if (mHeld == 0 && mOpenedTime != 0.0f && mTimer > mOpenedTime) {
    mUsed = 0;
    TurnAround();
    mTimer = 0.0f;
    CloseDoors();
  }
}

void cOpenerDevice::UpdatePanel(f32 dt) {
  mTimer += dt;
  if (mOpenedTime != 0.0f && mTimer > mOpenedTime) {
    TurnAround();
    SetOtherSide(!IsOtherSide());
    mTimer = 0.0f;
  }
}

bool cOpenerDevice::Update(f32 dt) {
  if (mUsed != 0 && GetType() == kDeviceButton) {
    UpdateButton(dt);
  } else if (mUsed != 0 && IsTaken(GetType())) {
    // Used by another path than the player's (a synchronised group): the
    // device leaves the world but stays in its set, which deletes it.
    mUsed = 0;
    RemoveFromWorld(mModel->GetScene());
  } else if (mUsed == 0 && GetType() == kDevicePanel) {
    UpdatePanel(dt);
  }
  return false;
}

void cOpenerDevice::Reset() {
  ClearTriggerIds();
  if (GetFirstTriggerId() >= 0) {
    AddTriggerId(static_cast<u32>(GetFirstTriggerId()));
  }
  const s32 type = GetType();
  if (type == kDeviceButton || type == kDevicePanel) {
    if ((type == kDeviceButton && mUsed != 0) || (type == kDevicePanel && IsOtherSide())) {
      TurnAround();
    }
    mHeld = 0;
    SetOtherSide(false);
  }
  mUsed = 0;
  mTimer = 0.0f;
  SetIcon(GetInitialIcon());
}

void cOpenerDevice::SaveState() {
  cDevice::SaveState();
  mSavedUsed = mUsed;
  mSavedTimer = mTimer;
  mSavedHeld = mHeld;
  SaveMatrix(&mSavedMatrix);
}

void cOpenerDevice::RestoreCheckpoint() {
  cDevice::RestoreState();
  mUsed = mSavedUsed;
  mTimer = mSavedTimer;
  mHeld = mSavedHeld;
  RestoreMatrix(mSavedMatrix);
}
