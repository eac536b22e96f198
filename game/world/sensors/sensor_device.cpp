#include "game/world/sensors/sensor_device.h"

#include <cmath>

#include "game/characters/man.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/devices/device.h"
#include "game/world/devices/opener_device.h"
#include "game/world/qx_world.h"

namespace {

// The first timer device of the array with exactly that name.
cLevelObject* FindTimerByName(const cPtrArray& timers, const cString& name) {
  for (u32 i = 0; i < timers.GetCount(); i++) {
    cLevelObject* timer = static_cast<cLevelObject*>(timers.Get(i));
    if (timer != nullptr && timer->GetName() == name) {
      return timer;
    }
  }
  return nullptr;
}

}  // namespace

cSensorDevice::cSensorDevice(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies,
                             cMan* player)
    : mEye(this),
      mWorldLink(static_cast<cLevelObject*>(this)),
      mModel(new cStaticLitClumpRO(modelPath, lightmap, nullptr)),
      mState(kSensorActive),
      mMessageFlag(kSensorNothingShown),
      mSavedState(kSensorActive),
      mSavedMessageFlag(kSensorNothingShown),
      mMessage1(-1),
      mMessage2(-1),
      mPlayer(player),
      mWorld(nullptr) {
  mEye.mCollision = collision;
  mEye.mBodies = bodies;
}

cSensorDevice::cSensorDevice(const cSensorDevice& prototype)
    : cLevelObject(prototype),
      cUpdatable(),
      mEye(this),
      mWorldLink(static_cast<cLevelObject*>(this)),
      mModel(new cStaticLitClumpRO(*prototype.mModel)),
      mState(prototype.mState),
      mMessageFlag(kSensorNothingShown),
      mSavedState(prototype.mState),
      mSavedMessageFlag(kSensorNothingShown),
      mMessage1(-1),
      mMessage2(-1),
      mPlayer(prototype.mPlayer),
      mWorld(nullptr) {
  mEye.mCollision = prototype.mEye.mCollision;
  mEye.mBodies = prototype.mEye.mBodies;
}

cSensorDevice::~cSensorDevice() {
  mWorldLink.Unlink();
  if (gUpdateCursor == static_cast<cListNode*>(this)) {
    gUpdateCursor = cList::Next(this);
  }
  cUpdatable::Unlink();
  if (mModel->GetScene() != nullptr) {
    mModel->GetScene()->RemoveClump(mModel);
  }
  delete mModel;
}

cSensorDevice* cSensorDevice::FromLink(cListNode* node) {
  return static_cast<cSensorDevice*>(static_cast<cLevelObject*>(static_cast<cListLink*>(node)->GetObject()));
}

RwFrame* cSensorDevice::GetFrame() const { return mModel->GetFrame(); }

void cSensorDevice::Reset() {
  // A spent sensor may still have its model in the scene; it goes in once.
  if (mState == kSensorInactive && mModel->GetScene() == nullptr && mWorld != nullptr) {
    mWorld->AddClump(mModel);
  }
  mState = kSensorActive;
  mMessageFlag = kSensorNothingShown;
}

void cSensorDevice::StoreState() {
  mSavedState = mState;
  mSavedMessageFlag = mMessageFlag;
}

void cSensorDevice::RestoreState() {
  mState = mSavedState;
  mMessageFlag = mSavedMessageFlag;
}

void cSensorDevice::Activate() {
  if (mState != kSensorInactive) {
    return;
  }
  mState = kSensorActive;
  if (mWorld != nullptr && mModel->GetScene() == nullptr) {
    mWorld->AddClump(mModel);
  }
}

void cSensorDevice::Deactivate() {
  if (mState == kSensorInactive) {
    return;
  }
  mState = kSensorInactive;
  if (mModel->GetScene() != nullptr) {
    mModel->GetScene()->RemoveClump(mModel);
  }
}

void cSensorDevice::ReadCommonProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                                         const cPtrArray* men) {
  const cString* value = FindPropertyValue(group, "MESSAGE1");
  if (value != nullptr) {
    mMessage1 = TextToIndex(*value);
  }
  value = FindPropertyValue(group, "MESSAGE2");
  if (value != nullptr) {
    mMessage2 = TextToIndex(*value);
  }
  struct tSensorList {
    const char* key;
    cPtrArray* array;
  };
  const tSensorList sensorLists[] = {{"ACTIVATED", &mActivated}, {"DEACTIVATED", &mDeactivated}};
  for (const tSensorList& list : sensorLists) {
    value = FindPropertyValue(group, list.key);
    if (value != nullptr) {
      ForEachListElement(*value, [&](const cString& name) {
        cLevelObject* sensor = FindLevelObjectByName(sensors, name);
        if (sensor != nullptr) {
          AppendPointer(list.array, sensor);
        }
      });
    }
  }
  const tSensorList timerLists[] = {{"STARTEDTIMERS", &mStartedTimers}, {"STOPPEDTIMERS", &mStoppedTimers}};
  for (const tSensorList& list : timerLists) {
    value = FindPropertyValue(group, list.key);
    if (value != nullptr) {
      ForEachListElement(*value, [&](const cString& name) {
        cLevelObject* timer = FindTimerByName(timers, name);
        if (timer != nullptr) {
          AppendPointer(list.array, timer);
        }
      });
    }
  }
  value = men != nullptr ? FindPropertyValue(group, "ALERTED") : nullptr;
  if (value != nullptr) {
    ForEachListElement(*value, [&](const cString& name) {
      for (u32 i = 0; i < men->GetCount(); i++) {
        cMan* man = static_cast<cMan*>(men->Get(i));
        if (man != nullptr && man->GetName() == name) {
          AppendPointer(&mAlerted, man);
          break;
        }
      }
    });
  }
}

void cSensorDevice::LinkToWorld(cQXWorld* world) {
  // The loader puts its sensors in the list as it makes them; they keep
  // their place.
  if (!mWorldLink.IsLinked()) {
    world->GetSensors().Append(&mWorldLink);
  }
  mModel->UpdateLightColour(nullptr);
  world->AddClump(mModel);
  world->GetUpdateList().Append(this);
}

void cSensorDevice::Fire() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player != nullptr) {
    player->GetStats().AddToCounter(kCounterSecurityAlerts);
  }
  if (mMessageFlag == kSensorNothingShown) {
    if (mWorld != nullptr) {
      mWorld->ShowMessage(static_cast<u32>(mMessage1));
    }
    mMessageFlag = kSensorFirstShown;
  } else if (mMessageFlag == kSensorTargetLost && mWorld != nullptr) {
    mWorld->ShowMessage(static_cast<u32>(mMessage2));
  }
  for (u32 i = 0; i < mAlerted.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(mAlerted.Get(i));
    if (man != nullptr) {
      man->OnAlarm();
    }
  }
  SwitchSensors();
}

void cSensorDevice::SwitchSensors() {
  for (u32 i = 0; i < mActivated.GetCount(); i++) {
    cSensorDevice* sensor = static_cast<cSensorDevice*>(static_cast<cLevelObject*>(mActivated.Get(i)));
    if (sensor != nullptr) {
      sensor->Activate();
    }
  }
  for (u32 i = 0; i < mDeactivated.GetCount(); i++) {
    cSensorDevice* sensor = static_cast<cSensorDevice*>(static_cast<cLevelObject*>(mDeactivated.Get(i)));
    if (sensor != nullptr) {
      sensor->Deactivate();
    }
  }
}

void cSensorDevice::NoteTargetAbsent() {
  if (mMessageFlag == kSensorFirstShown) {
    mMessageFlag = kSensorTargetLost;
  }
}

void cSensorDevice::RaiseAlert(s32 level) {
  if (mWorld != nullptr) {
    mWorld->RaiseAlertLevel(level);
  }
}

cDorvaMan* cSensorDevice::WorldPlayer() const {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  return player != nullptr && static_cast<cMan*>(player) == mPlayer ? player : nullptr;
}

void cSensorDevice::ChangePlayerHealth(f32 amount) {
  if (cDorvaMan* player = WorldPlayer()) {
    player->AddHealth(amount);
  }
}

void cSensorDevice::ChangePlayerEnergy(f32 amount) {
  if (cDorvaMan* player = WorldPlayer()) {
    player->AddEnergy(amount);
  }
}

f32 cSensorDevice::ModelScale() const {
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    return 0.0f;
  }
  const RwV3d& at = RwFrameGetLTM(frame)->at;
  return 0.1f * sqrtf(V3dLengthSquared(&at));
}
