// cDevice: models, use geometry, trigger ids, the use test and the level
// links every usable device shares.
#include "game/world/devices/device.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/app/audio/sound.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/models/model_files.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kDegreesToHalfRadians = 3.14159265f / 180.0f * 0.5f;
constexpr u32 kUsePointElements = 2;

struct tImplantName {
  const char* text;
  u32 id;
};
const tImplantName kImplantNames[] = {
    {"none", kTriggerNone}, {"not", kTriggerAlways},      {"laser", kTriggerLaser},
    {"eds", kTriggerEds},   {"control", kTriggerControl},
};

void* IdToPointer(u32 id) { return reinterpret_cast<void*>(static_cast<uintptr_t>(id)); }
u32 PointerToId(void* pointer) { return static_cast<u32>(reinterpret_cast<uintptr_t>(pointer)); }

// Numbers of property files count from 1: n is stored as n - 1, and 0 or
// less as none (-1).
void ReadIndex(const cPropertyGroup* group, const char* key, s32* out) {
  const cString* value = FindPropertyValue(group, key);
  if (value != nullptr) {
    *out = TextToIndex(*value);
  }
}

}  // namespace

cDevice::cDevice(s32 type, const char* modelPath, cLightmap* lightmap)
    : mModel(new cStaticLitClumpRO(modelPath, lightmap, nullptr)),
      mCollisionModel(new cClumpRO(MakeCollisionPath(modelPath).CStr(), nullptr)),
      mUsableLink(this),
      mUsePoint{0.0f, 0.0f, 0.0f},
      mUseDistance(0.0f),
      mUseCosine(1.0f),
      mUserCosine(1.0f),
      mUseAngle(0.0f),
      mUserAngle(0.0f),
      mIcon(0),
      mInitialIcon(0),
      mTwoSided(0),
      mOtherSide(0),
      mSavedIcon(0),
      mSavedOtherSide(0),
      mType(type),
      mMessage(kNoMessage),
      mPartialMessage(kNoMessage),
      mMission(kNoMessage),
      mFailedMessage(kNoMessage),
      mImplantMessage(kNoMessage),
      mFirstTriggerId(kNoTriggerId) {
  if (mCollisionModel->GetClump() != nullptr) {
    mModel->AttachChild(mCollisionModel);
  }
}

cDevice::cDevice(const cDevice& prototype)
    : cLevelObject(prototype),
      cUpdatable(),
      mModel(new cStaticLitClumpRO(*prototype.mModel)),
      mCollisionModel(new cClumpRO(*prototype.mCollisionModel)),
      mUsableLink(this),
      mUsePoint(prototype.mUsePoint),
      mUseDistance(prototype.mUseDistance),
      mUseCosine(1.0f),
      mUserCosine(1.0f),
      mUseAngle(0.0f),
      mUserAngle(0.0f),
      mIcon(prototype.mIcon),
      mInitialIcon(prototype.mIcon),
      mTwoSided(prototype.mTwoSided),
      mOtherSide(prototype.mOtherSide),
      mSavedIcon(0),
      mSavedOtherSide(0),
      mType(prototype.mType),
      mMessage(kNoMessage),
      mPartialMessage(kNoMessage),
      mMission(kNoMessage),
      mFailedMessage(kNoMessage),
      mImplantMessage(kNoMessage),
      mFirstTriggerId(kNoTriggerId) {
  SetUseAngles(prototype.mUseAngle, prototype.mUserAngle);
  if (mCollisionModel->GetClump() != nullptr) {
    mModel->AttachChild(mCollisionModel);
  }
}

cDevice::~cDevice() {
  if (mCollisionModel->GetClump() != nullptr) {
    mCollisionModel->Detach();
  }
  delete mCollisionModel;
  delete mModel;
}

void cDevice::SetColourTable(const char* text) { mModel->SetColourTable(text); }

void cDevice::SetUseAngles(f32 useAngle, f32 userAngle) {
  mUseAngle = useAngle;
  mUserAngle = userAngle;
  mUseCosine = std::cos(useAngle * kDegreesToHalfRadians);
  mUserCosine = std::cos(userAngle * kDegreesToHalfRadians);
}

RwFrame* cDevice::GetFrame() const { return mModel->GetFrame(); }

RwV3d cDevice::GetWorldPosition() const {
  RwFrame* frame = GetFrame();
  return frame != nullptr ? RwFrameGetLTM(frame)->pos : RwV3d{0.0f, 0.0f, 0.0f};
}

void cDevice::GetUsePoint(RwV3d* out, bool otherSide) const {
  RwV3d point = mUsePoint;
  if (otherSide) {
    point.x = -point.x;
  }
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    *out = point;
    return;
  }
  RwV3dTransformPoints(out, &point, 1, RwFrameGetLTM(frame));
}

void cDevice::GetUseDirection(RwV3d* out, bool otherSide) const {
  RwFrame* frame = GetFrame();
  RwV3d at = frame != nullptr ? RwFrameGetLTM(frame)->at : RwV3d{0.0f, 0.0f, 0.0f};
  at.y = 0.0f;
  V3dNormalized(&at, out);
  if (otherSide) {
    V3dTimesScalar(out, out, -1.0f);
  }
}

bool cDevice::PassesSide(const RwV3d& position, const RwV3d& direction, bool otherSide) const {
  RwV3d point;
  GetUsePoint(&point, otherSide);
  RwV3d toUser;
  V3dSub(&position, &toUser, &point);
  // The user must stand strictly nearer than the use distance.
  if (RwV3dLength(&toUser) >= mUseDistance) {
    return false;
  }
  toUser.y = 0.0f;
  V3dNormalize(&toUser);
  RwV3d facing;
  GetUseDirection(&facing, otherSide);
  if (RwV3dDotProduct(&toUser, &facing) <= mUseCosine) {
    return false;
  }
  RwV3d look = direction;
  look.y = 0.0f;
  V3dNormalize(&look);
  V3dTimesScalar(&toUser, &toUser, -1.0f);
  return RwV3dDotProduct(&toUser, &look) > mUserCosine;
}

bool cDevice::BaseCanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) {
  bool passed = false;
  if (mTwoSided != 0 || mOtherSide == 0) {
    passed = PassesSide(position, direction, false);
  }
  if (!passed && (mTwoSided != 0 || mOtherSide != 0)) {
    passed = PassesSide(position, direction, true);
  }
  if (!passed) {
    return false;
  }
  if (AcceptsTriggerId(triggerId)) {
    return !query;
  }
  return world != nullptr && triggerId == kTriggerNone && query;
}

bool cDevice::CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) {
  return BaseCanUse(position, direction, triggerId, world, query);
}

bool cDevice::AcceptsTriggerId(u32 id) const { return id == kTriggerAlways || ListensTo(id); }

bool cDevice::ListensTo(u32 id) const {
  for (u32 i = 0; i < mTriggerIds.GetCount(); i++) {
    if (PointerToId(mTriggerIds.Get(i)) == id) {
      return true;
    }
  }
  return false;
}

u32 cDevice::GetTriggerId(u32 index) const { return PointerToId(mTriggerIds.Get(index)); }

void cDevice::AddTriggerId(u32 id) {
  if (ListensTo(id)) {
    return;
  }
  const u32 count = mTriggerIds.GetCount();
  mTriggerIds.SetCount(count + 1);
  mTriggerIds.Set(count, IdToPointer(id));
}

void cDevice::ClearTriggerIds() { mTriggerIds.SetCount(0); }

void cDevice::ReplaceTriggerId(u32 oldId, u32 newId) {
  for (u32 i = 0; i < mTriggerIds.GetCount(); i++) {
    if (PointerToId(mTriggerIds.Get(i)) == oldId) {
      mTriggerIds.Set(i, IdToPointer(newId));
      return;
    }
  }
}

void cDevice::RememberFirstTriggerId() {
  mFirstTriggerId = mTriggerIds.GetCount() > 0 ? static_cast<s32>(GetTriggerId(0)) : kNoTriggerId;
}

void cDevice::SetDefaultTriggerId() {
  AddTriggerId(kTriggerNone);
  RememberFirstTriggerId();
}

void cDevice::ReadUseProperties(const cPropertyGroup* group) {
  const cString* implant = FindPropertyValue(group, "IMPLANT");
  if (implant != nullptr) {
    for (const tImplantName& name : kImplantNames) {
      if (*implant == cString(name.text)) {
        AddTriggerId(name.id);
      }
    }
  }
  const cString* usePoint = FindPropertyValue(group, "USEPOINT");
  cString inner;
  if (usePoint != nullptr && usePoint->FindArray(&inner, '[', ']') == kUsePointElements) {
    cString a;
    cString b;
    inner.SliceNextElement(&a);
    inner.SliceNextElement(&b);
    mUsePoint = RwV3d{TextToF32(a), TextToF32(b), 0.0f};
  }
  const cString* value = FindPropertyValue(group, "USEDIST");
  if (value != nullptr) {
    mUseDistance = TextToF32(*value);
  }
  value = FindPropertyValue(group, "USEANG");
  if (value != nullptr) {
    mUseAngle = TextToF32(*value);
    mUseCosine = std::cos(mUseAngle * kDegreesToHalfRadians);
  }
  value = FindPropertyValue(group, "USERANG");
  if (value != nullptr) {
    mUserAngle = TextToF32(*value);
    mUserCosine = std::cos(mUserAngle * kDegreesToHalfRadians);
  }
  ReadIndex(group, "MISSION", &mMission);
  ReadIndex(group, "MESSAGE", &mMessage);
  ReadIndex(group, "PARTIAL_MESSAGE", &mPartialMessage);
  ReadIndex(group, "FAILEDMESSAGE", &mFailedMessage);
  ReadIndex(group, "IMPLANTMESSAGE", &mImplantMessage);
  value = FindPropertyValue(group, "ICON");
  if (value != nullptr) {
    mIcon = TextToS32(*value);
    mInitialIcon = mIcon;
  }
}

void cDevice::SaveState() {
  mSavedIcon = mIcon;
  mSavedOtherSide = mOtherSide;
  mSavedTriggerIds = mTriggerIds;
}

void cDevice::RestoreState() {
  mIcon = mSavedIcon;
  mOtherSide = mSavedOtherSide;
  mTriggerIds = mSavedTriggerIds;
}

void cDevice::TurnModel(const RwV3d& axis, f32 degrees) {
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    RwFrameRotate(frame, &axis, degrees, kRwCombinePreConcat);
  }
}

void cDevice::SaveMatrix(RwMatrix* matrix) const {
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    *matrix = *RwFrameGetMatrix(frame);
  }
}

void cDevice::RestoreMatrix(const RwMatrix& matrix) {
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    return;
  }
  RwMatrix* modelling = RwFrameGetMatrix(frame);
  *modelling = matrix;
  RwMatrixOptimize(modelling, nullptr);
  RwFrameMarkDirty(frame);
}

void cDevice::LinkToWorld(cQXWorld* world) {
  world->AddClump(mModel);
  mModel->UpdateLightColour(nullptr);
  if (mCollisionModel->GetClump() != nullptr && world->GetCollisionWorld() != nullptr) {
    RpWorldAddClump(world->GetCollisionWorld(), mCollisionModel->GetClump());
  }
  world->GetUpdateList().Append(this);
  CreateSounds(world);
}

void cDevice::RegisterUsable(cQXWorld* world) { world->GetUsableDevices().Append(&mUsableLink); }

void cDevice::RemoveFromWorld(cScene* scene) {
  // A running update walk that would visit this device next goes past it.
  if (gUpdateCursor == static_cast<cListNode*>(this)) {
    gUpdateCursor = cList::Next(this);
  }
  cUpdatable::Unlink();
  if (scene != nullptr) {
    scene->RemoveClump(mModel);
  }
  RpClump* collision = mCollisionModel->GetClump();
  if (collision != nullptr && RpClumpGetWorld(collision) != nullptr) {
    RpWorldRemoveClump(RpClumpGetWorld(collision), collision);
  }
  mUsableLink.Unlink();
}

void cDevice::ReturnToWorld(cQXWorld* world) {
  if (!cUpdatable::IsLinked()) {
    world->GetUpdateList().Append(this);
  }
  if (mModel->GetScene() == nullptr) {
    world->AddClump(mModel);
  }
  RpClump* collision = mCollisionModel->GetClump();
  if (collision != nullptr && RpClumpGetWorld(collision) == nullptr && world->GetCollisionWorld() != nullptr) {
    RpWorldAddClump(world->GetCollisionWorld(), collision);
  }
  if (!mUsableLink.IsLinked()) {
    RegisterUsable(world);
  }
}

cDevice* FindDeviceByName(const cList& devices, const cString& name) {
  for (cListNode* node = devices.First(); node != nullptr; node = cList::Next(node)) {
    cDevice* device = cDevice::FromLink(node);
    if (device->GetName() == name) {
      return device;
    }
  }
  return nullptr;
}

cLevelObject* FindLevelObjectByName(const cList& objects, const cString& name) {
  for (cListNode* node = objects.First(); node != nullptr; node = cList::Next(node)) {
    cLevelObject* object = static_cast<cLevelObject*>(static_cast<cListLink*>(node)->GetObject());
    if (object->GetName() == name) {
      return object;
    }
  }
  return nullptr;
}

const cString* FindPropertyValue(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group->FindProperty(cString(key));
  return property != nullptr ? &property->GetValue() : nullptr;
}

void PlaySoundAt(cSound& sound, RwFrame* frame) {
  if (frame != nullptr) {
    sound.SetPosition(&RwFrameGetLTM(frame)->pos);
  }
  sound.Play();
}

void ShowDeviceMessage(cQXWorld* world, s32 message) {
  if (world != nullptr && message >= 0) {
    world->ShowMessage(static_cast<u32>(message));
  }
}

void CompleteDeviceMission(cQXWorld* world, s32 mission) {
  if (world != nullptr && mission >= 0) {
    world->CompleteMissionObjective(static_cast<u32>(mission));
  }
}
