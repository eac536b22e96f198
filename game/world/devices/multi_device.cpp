// cMultiDevice and cMultiLever: group membership, the grouped uses and the
// partial message.
#include "game/world/devices/multi_device.h"

#include <cstdio>

#include "game/world/qx_world.h"

namespace {

const RwV3d kYAxis = {0.0f, 1.0f, 0.0f};
constexpr f32 kHalfTurn = 180.0f;  // degrees

// GROUP: the devices of the reader's own kind, in list order.
void ReadGroup(const cPropertyGroup* group, const cList& devices, eObjectSetKind kind, cPtrArray* members) {
  const cString* value = FindPropertyValue(group, "GROUP");
  if (value == nullptr) {
    return;
  }
  ForEachListElement(*value, [&](const cString& name) {
    cDevice* device = FindDeviceByName(devices, name);
    if (device != nullptr && device->GetKind() == kind) {
      AppendPointer(members, device);
    }
  });
}

}  // namespace

void ShowPartialMessage(cQXWorld* world, s32 message, u32 remaining) {
  if (message < 0 || world == nullptr) {
    return;
  }
  const u32 index = static_cast<u32>(message);
  cPtrArray& texts = world->GetMessages();
  cRecordArray<s32>& markers = world->GetMessageMarkers();
  if (index < texts.GetCount() && index < markers.GetCount()) {
    cString* text = static_cast<cString*>(texts.Get(index));
    const s32 marker = markers[index];
    if (text != nullptr && marker >= 0 && static_cast<u32>(marker) < text->Length()) {
      // One character holds the count.
      char digits[16];
      std::snprintf(digits, sizeof(digits), "%1d", static_cast<int>(remaining));
      text->SharedData()[marker] = digits[0];
    }
  }
  ShowDeviceMessage(world, message);
}

cMultiDevice::cMultiDevice(const char* modelPath, cLightmap* lightmap)
    : cOpenerDevice(modelPath, lightmap), mPressed(0), mSynchronised(0), mSavedPressed(0) {}

cMultiDevice::cMultiDevice(const cMultiDevice& prototype)
    : cOpenerDevice(prototype), mPressed(0), mSynchronised(prototype.mSynchronised), mSavedPressed(0) {}

void cMultiDevice::ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors) {
  ReadGroup(group, devices, kSetMultiDevices, &mMembers);
  const cString* value = FindPropertyValue(group, "SYNCRON");
  if (value != nullptr) {
    if (*value == cString("no")) {
      mSynchronised = 0;
    } else if (*value == cString("yes")) {
      mSynchronised = 1;
    }
  }
  cOpenerDevice::ReadProperties(group, devices, sensors, nullptr);
}

bool cMultiDevice::Use(cQXWorld* world, u32 triggerId) {
  if (mSynchronised != 0) {
    // Members already used ignore it.
    for (u32 i = 0; i < mMembers.GetCount(); i++) {
      static_cast<cMultiDevice*>(mMembers.Get(i))->cOpenerDevice::Use(world, triggerId);
    }
    cOpenerDevice::Use(world, triggerId);
    return false;
  }
  mPressed = 1;
  if (mUsed != 0) {
    return false;
  }
  u32 pressed = 0;
  while (pressed < mMembers.GetCount() && static_cast<cMultiDevice*>(mMembers.Get(pressed))->mPressed != 0) {
    pressed++;
  }
  if (pressed == mMembers.GetCount()) {
    // The group is complete: the other buttons return after their time.
    for (u32 i = 0; i < mMembers.GetCount(); i++) {
      cMultiDevice* member = static_cast<cMultiDevice*>(mMembers.Get(i));
      member->mPressed = 0;
      member->mHeld = 0;
      member->mTimer = 0.0f;
    }
    cOpenerDevice::Use(world, triggerId);
    mPressed = 0;
    return false;
  }
  // The button goes down and waits for the group.
  SetIcon(0);
  mUsed = 1;
  mTimer = 0.0f;
  mHeld = 1;
  TurnModel(kYAxis, kHalfTurn);
  u32 done = 0;
  for (u32 i = 0; i < mMembers.GetCount(); i++) {
    done += static_cast<cMultiDevice*>(mMembers.Get(i))->mPressed != 0 ? 1 : 0;
  }
  ShowPartialMessage(world, GetPartialMessage(), mMembers.GetCount() - done);
  return false;
}

void cMultiDevice::Reset() {
  mPressed = 0;
  cOpenerDevice::Reset();
}

void cMultiDevice::SaveState() {
  cOpenerDevice::SaveState();
  mSavedPressed = mPressed;
}

void cMultiDevice::RestoreCheckpoint() {
  cOpenerDevice::RestoreCheckpoint();
  mPressed = mSavedPressed;
}

cMultiLever::cMultiLever(const char* modelPath, cLightmap* lightmap) : cLever(modelPath, lightmap) {}

cMultiLever::cMultiLever(const cMultiLever& prototype) : cLever(prototype), mMembers(prototype.mMembers) {}

void cMultiLever::ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors) {
  ReadGroup(group, devices, kSetMultiLevers, &mMembers);
  cLever::ReadProperties(group, devices, sensors, nullptr);
}

bool cMultiLever::Use(cQXWorld* world, u32) {
  if (IsSwinging()) {
    return false;
  }
  PlaySoundAt(mUseSound, GetFrame());
  StartSwing();
  mTimer = 0.0f;
  u32 done = 0;
  for (u32 i = 0; i < mMembers.GetCount(); i++) {
    const cMultiLever* member = static_cast<cMultiLever*>(mMembers.Get(i));
    done += member->GetPosition() == member->GetOpenerPosition() ? 1 : 0;
  }
  const u32 remaining = mMembers.GetCount() - done;
  if (GetPosition() != GetOpenerPosition()) {
    ShowPartialMessage(world, GetPartialMessage(), remaining);
    CloseDoors();
    ActivateSecurity();
    SetIcon(GetInitialIcon());
    return false;
  }
  if (remaining == 0) {
    ShowDeviceMessage(world, GetMessage());
    CompleteDeviceMission(world, GetMission());
    OpenDoors(world);
    DeactivateSecurity();
  } else {
    ShowPartialMessage(world, GetPartialMessage(), remaining);
  }
  SetIcon(0);
  return false;
}
