#include "game/world/sensors/sensor_kinds.h"

#include <cmath>
#include <cstring>

#include "game/characters/man.h"
#include "game/characters/player/player_settings.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/devices/device.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kListenerHearingRange = 1.0f;

// Type names of TYPE, indexed by type.
const char* const kAreaTypeNames[] = {"magnetic", "matter", "special", "checkpoint"};

f32 ValueOr(const cPropertyGroup* group, const char* key, f32 fallback) {
  const cString* value = FindPropertyValue(group, key);
  return value != nullptr ? TextToF32(*value) : fallback;
}

}  // namespace

// Listeners.

cListener::cListener(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies,
                     cMan* player)
    : cSensorDevice(modelPath, lightmap, collision, bodies, player) {
  GetPerceptor().mHearingRange = kListenerHearingRange;
}

cListener::cListener(const cListener& prototype) : cSensorDevice(prototype) {
  GetPerceptor().mHearingRange = prototype.GetPerceptor().mHearingRange;
}

void cListener::ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                               const cPtrArray* men) {
  GetPerceptor().mSightRange = ModelScale();
  GetPerceptor().mHearingRange = ValueOr(group, "HEARDIST", GetPerceptor().mHearingRange);
  ReadCommonProperties(group, sensors, timers, men);
}

bool cListener::Update(f32) {
  if (GetState() == kSensorActive) {
    if (GetPerceptor().FindAudible(kManKindPlayer) == nullptr) {
      NoteTargetAbsent();
    } else {
      SetState(kSensorAlarm);
      Fire();
    }
  } else if (GetState() == kSensorAlarm) {
    RaiseAlert(3);
    if (GetPerceptor().FindAudible(kManKindPlayer) == nullptr) {
      SetState(kSensorActive);
    }
  }
  return false;
}

// Special areas.

cSpecialArea::cSpecialArea(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies,
                           cMan* player)
    : cSensorDevice(modelPath, lightmap, collision, bodies, player), mType(kAreaMagnetic), mMission(-1) {}

cSpecialArea::cSpecialArea(const cSpecialArea& prototype)
    : cSensorDevice(prototype), mType(prototype.mType), mMission(prototype.mMission) {}

void cSpecialArea::ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers) {
  GetPerceptor().mAreaRange = 10.0f * ModelScale();
  GetPerceptor().mAreaRange = ValueOr(group, "RANGE", GetPerceptor().mAreaRange);
  const cString* type = FindPropertyValue(group, "TYPE");
  if (type != nullptr) {
    mType = kAreaMagnetic;
    for (s32 i = 0; i < 4; i++) {
      if (*type == cString(kAreaTypeNames[i])) {
        mType = i;
      }
    }
  }
  const cString* mission = FindPropertyValue(group, "MISSION");
  if (mission != nullptr) {
    mMission = TextToIndex(*mission);
  }
  ReadCommonProperties(group, sensors, timers, nullptr);
}

bool cSpecialArea::Update(f32 dt) {
  if (GetState() != kSensorActive) {
    return false;
  }
  if (GetPerceptor().FindInRange(kManKindPlayer) == nullptr) {
    NoteTargetAbsent();
    return false;
  }
  cQXWorld* world = GetWorld();
  switch (mType) {
    case kAreaMatter:
      ChangePlayerHealth(dt * PlayerSettings().matterEffect);
      RaiseAlert(2);
      break;
    case kAreaSpecial:
      if (GetMessageFlag() == kSensorNothingShown) {
        if (world != nullptr) {
          world->ShowMessage(static_cast<u32>(GetMessage1()));
          if (mMission >= 0) {
            world->CompleteMissionObjective(static_cast<u32>(mMission));
          }
        }
        SetMessageFlag(kSensorFirstShown);
      } else if (GetMessageFlag() == kSensorTargetLost && world != nullptr) {
        world->ShowMessage(static_cast<u32>(GetMessage2()));
      }
      break;
    case kAreaCheckpoint:
      if (GetMessageFlag() == kSensorNothingShown) {
        if (world != nullptr) {
          world->ShowMessage(static_cast<u32>(GetMessage1()));
        }
        SetMessageFlag(kSensorFirstShown);
      }
      // Spent before the store, so that the restore keeps it off; its
      // model stays in the scene.
      SetState(kSensorInactive);
      if (world != nullptr) {
        world->StoreCheckpoint();
      }
      return false;
    default:
      ChangePlayerEnergy(dt * PlayerSettings().magneticEffect);
      RaiseAlert(1);
      break;
  }
  SwitchSensors();
  return false;
}

// Photocells.

cPhotocell::cPhotocell(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies,
                       cMan* player)
    : cSensorDevice(modelPath, lightmap, collision, bodies, player), mHurtRate(0.0f) {}

cPhotocell::cPhotocell(const cPhotocell& prototype) : cSensorDevice(prototype), mHurtRate(0.0f) {
  GetPerceptor().mEyeOffset = prototype.GetPerceptor().mEyeOffset;
}

void cPhotocell::ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                                const cPtrArray* men) {
  cPerceptor& ray = GetPerceptor();
  ray.mSightRange = ModelScale();
  ray.mSightRange = ValueOr(group, "RAYLENGTH", ray.mSightRange);
  const cString* height = FindPropertyValue(group, "RAYHEIGHT");
  if (height != nullptr) {
    ray.mEyeOffset = RwV3d{0.0f, TextToF32(*height), 0.0f};
  }
  mHurtRate = ValueOr(group, "HURT", mHurtRate);
  ReadCommonProperties(group, sensors, timers, men);
}

bool cPhotocell::IsBroken(const cMan* player) const {
  RwFrame* frame = GetFrame();
  cCollisionVolume* volume = player != nullptr ? player->GetCollisionVolume() : nullptr;
  if (frame == nullptr || volume == nullptr) {
    return false;
  }
  const RwMatrix* matrix = RwFrameGetLTM(frame);
  const cPerceptor& ray = GetPerceptor();
  RwV3d origin;
  RwV3dTransformPoints(&origin, &ray.mEyeOffset, 1, matrix);
  RwV3d direction;
  V3dNormalized(&matrix->at, &direction);
  const RwV3d end{origin.x + ray.mSightRange * direction.x, origin.y + ray.mSightRange * direction.y,
                  origin.z + ray.mSightRange * direction.z};
  RwV3d point;
  RwV3d normal;
  return volume->IntersectSegment(origin, end, &point, &normal, true);
}

bool cPhotocell::Update(f32 dt) {
  if (GetState() == kSensorActive) {
    if (!IsBroken(GetPlayer())) {
      NoteTargetAbsent();
    } else {
      SetState(kSensorAlarm);
      ChangePlayerHealth(dt * mHurtRate);
      Fire();
    }
  } else if (GetState() == kSensorAlarm) {
    RaiseAlert(3);
    if (IsBroken(GetPlayer())) {
      ChangePlayerHealth(dt * mHurtRate);
    } else {
      SetState(kSensorActive);
    }
  }
  return false;
}

// Set-up passes.

void SetUpPhotocells(cQXWorld* world, const cPropertyFile& props) {
  ForEachClone<cPhotocell>(world->GetObjectSets(kSetPhotocells), [&](cPhotocell* cell) {
    const cPropertyGroup* group = props.FindGroup(cell->GetName());
    if (group != nullptr) {
      cell->ReadProperties(group, world->GetSensors(), world->GetTimerDevices(), &world->GetMen());
    } else {
      cell->GetPerceptor().mSightRange = cell->ModelScale();
    }
  });
}

void SetUpListeners(cQXWorld* world, const cPropertyFile& props) {
  ForEachClone<cListener>(world->GetObjectSets(kSetListeners), [&](cListener* listener) {
    const cPropertyGroup* group = props.FindGroup(listener->GetName());
    if (group != nullptr) {
      listener->ReadProperties(group, world->GetSensors(), world->GetTimerDevices(), &world->GetMen());
    } else {
      listener->GetPerceptor().mSightRange = listener->ModelScale();
    }
  });
}

void SetUpSpecialAreas(cQXWorld* world, const cPropertyFile& props) {
  ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas), [&](cSpecialArea* area) {
    const cPropertyGroup* group = props.FindGroup(area->GetName());
    if (group != nullptr) {
      area->ReadProperties(group, world->GetSensors(), world->GetTimerDevices());
    } else {
      area->GetPerceptor().mAreaRange = 10.0f * area->ModelScale();
    }
  });
}

void StoreAllSensorStates(cQXWorld* world) {
  StoreSensorStates<cSecurityCamera>(world->GetObjectSets(kSetSecurityCameras));
  StoreSensorStates<cPhotocell>(world->GetObjectSets(kSetPhotocells));
  StoreSensorStates<cListener>(world->GetObjectSets(kSetListeners));
  StoreSensorStates<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas));
}

void RestoreAllSensorStates(cQXWorld* world) {
  RestoreSensorStates<cSecurityCamera>(world->GetObjectSets(kSetSecurityCameras));
  RestoreSensorStates<cPhotocell>(world->GetObjectSets(kSetPhotocells));
  RestoreSensorStates<cListener>(world->GetObjectSets(kSetListeners));
  RestoreSensorStates<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas));
}

void ResetAllSensors(cQXWorld* world) {
  for (cListNode* node = world->GetSensors().First(); node != nullptr; node = cList::Next(node)) {
    cSensorDevice::FromLink(node)->Reset();
  }
}

// Security cameras.

namespace {

constexpr f32 kCameraRangeCosine = 0.5f;  // a range angle of 120 degrees
constexpr f32 kCameraSpeed = 12.0f;
constexpr f32 kCameraAlertTime = 5.0f;
constexpr f32 kCameraSightRange = 10.0f;
constexpr f32 kCameraViewAngle = 40.0f;
constexpr f32 kCameraFollowTolerance = 0.001f;
constexpr f32 kHalfDegreeInRadians = 3.1415927f / 180.0f * 0.5f;

cString InactiveModelPath(const char* modelPath) {
  const u32 length = static_cast<u32>(strlen(modelPath));
  return cString(modelPath).Slice(0, length >= 4 ? length - 4 : 0) + cString("Inactive.dff");
}

f32 Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

cSecurityCamera::cSecurityCamera(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies,
                                 cMan* player)
    : cSensorDevice(modelPath, lightmap, collision, bodies, player),
      mInactiveModel(new cStaticLitClumpRO(InactiveModelPath(modelPath).CStr(), lightmap, nullptr)),
      mRangeCosine(kCameraRangeCosine),
      mSpeed(kCameraSpeed),
      mRestDirection(Facing()),
      mAlertTime(kCameraAlertTime),
      mAlarmTimer(0.0f),
      mSavedAlarmTimer(0.0f),
      mSavedMatrix() {
  GetPerceptor().mSightRange = kCameraSightRange;
  GetPerceptor().SetViewAngle(kCameraViewAngle);
}

cSecurityCamera::cSecurityCamera(const cSecurityCamera& prototype)
    : cSensorDevice(prototype),
      mInactiveModel(static_cast<cStaticLitClumpRO*>(prototype.mInactiveModel->Clone())),
      mRangeCosine(prototype.mRangeCosine),
      mSpeed(prototype.mSpeed),
      mRestDirection(prototype.mRestDirection),
      mAlertTime(prototype.mAlertTime),
      mAlarmTimer(0.0f),
      mSavedAlarmTimer(0.0f),
      mSavedMatrix() {
  GetPerceptor().mSightRange = prototype.GetPerceptor().mSightRange;
  GetPerceptor().SetViewAngle(prototype.GetPerceptor().mViewAngle);
}

cSecurityCamera::~cSecurityCamera() {
  if (mInactiveModel->GetScene() != nullptr) {
    mInactiveModel->GetScene()->RemoveClump(mInactiveModel);
  }
  delete mInactiveModel;
}

void cSecurityCamera::ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                                     const cPtrArray* men) {
  cPerceptor& eye = GetPerceptor();
  eye.mSightRange = ValueOr(group, "SEEDIST", eye.mSightRange);
  const cString* value = FindPropertyValue(group, "RANGEANG");
  if (value != nullptr) {
    mRangeCosine = cosf(TextToF32(*value) * kHalfDegreeInRadians);
  }
  value = FindPropertyValue(group, "SEEANG");
  if (value != nullptr) {
    eye.mViewAngle = TextToF32(*value);
    eye.mCosineLimit = cosf(eye.mViewAngle * kHalfDegreeInRadians);
  }
  mSpeed = ValueOr(group, "SPEED", mSpeed);
  mAlertTime = ValueOr(group, "ALERTTIME", mAlertTime);
  ReadCommonProperties(group, sensors, timers, men);
}

RwV3d cSecurityCamera::Facing() const {
  RwFrame* frame = GetFrame();
  return frame != nullptr ? RwFrameGetLTM(frame)->at : RwV3d{0.0f, 0.0f, 0.0f};
}

void cSecurityCamera::RecordRestDirection() { mRestDirection = Facing(); }

void cSecurityCamera::CopyModelMatrix() {
  RwFrame* frame = GetFrame();
  RwFrame* inactive = mInactiveModel->GetFrame();
  if (frame != nullptr && inactive != nullptr) {
    *RwFrameGetMatrix(inactive) = *RwFrameGetMatrix(frame);
    RwFrameMarkDirty(inactive);
  }
}

void cSecurityCamera::Turn(f32 degrees) {
  RwFrame* frames[] = {GetFrame(), mInactiveModel->GetFrame()};
  for (RwFrame* frame : frames) {
    if (frame != nullptr) {
      const RwV3d up = RwFrameGetLTM(frame)->up;
      RwFrameRotate(frame, &up, degrees, kRwCombinePreConcat);
    }
  }
}

void cSecurityCamera::StoreState() {
  cSensorDevice::StoreState();
  mSavedAlarmTimer = mAlarmTimer;
  if (GetFrame() != nullptr) {
    mSavedMatrix = *RwFrameGetMatrix(GetFrame());
  }
}

void cSecurityCamera::RestoreState() {
  cSensorDevice::RestoreState();
  mAlarmTimer = mSavedAlarmTimer;
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    *matrix = mSavedMatrix;
    RwMatrixOptimize(matrix, nullptr);
    RwFrameMarkDirty(frame);
    CopyModelMatrix();
  }
}

void cSecurityCamera::Follow(f32 dt) {
  cMan* player = GetPlayer();
  if (player == nullptr || player->GetFrame() == nullptr || GetFrame() == nullptr) {
    return;
  }
  RwV3d facing = Facing();
  const bool insideCone = !(Dot(facing, mRestDirection) < mRangeCosine);
  facing.y = 0.0f;
  RwV3d toPlayer;
  V3dSub(&RwFrameGetLTM(player->GetFrame())->pos, &toPlayer, &RwFrameGetLTM(GetFrame())->pos);
  RwV3d cross;
  V3dCross(&facing, &cross, &toPlayer);
  if (cross.y < 0.0f) {
    if (mSpeed < 0.0f) {
      mSpeed = -mSpeed;
    }
    if (cross.y < kCameraFollowTolerance && !insideCone) {
      Turn(dt * mSpeed);
    }
  } else {
    if (mSpeed > 0.0f) {
      mSpeed = -mSpeed;
    }
    if (cross.y > kCameraFollowTolerance && !insideCone) {
      Turn(dt * mSpeed);
    }
  }
}

bool cSecurityCamera::Update(f32 dt) {
  if (GetState() == kSensorActive) {
    if (Dot(Facing(), mRestDirection) < mRangeCosine) {
      mSpeed = -mSpeed;
    }
    Turn(dt * mSpeed);
    if (GetPerceptor().FindVisible(kManKindPlayer) == nullptr) {
      NoteTargetAbsent();
    } else {
      Fire();
      SetState(kSensorAlarm);
    }
  } else if (GetState() == kSensorAlarm) {
    if (GetPerceptor().FindVisible(kManKindPlayer) == nullptr || IsPlayerShielded()) {
      mAlarmTimer += dt;
      if (mAlarmTimer > mAlertTime) {
        SetState(kSensorActive);
      }
    } else {
      RaiseAlert(3);
      mAlarmTimer = 0.0f;
      Follow(dt);
    }
  }
  return false;
}

void cSecurityCamera::LinkCameraToWorld(cQXWorld* world) {
  LinkToWorld(world);
  world->AddClump(mInactiveModel);
}

void SetUpSecurityCameras(cQXWorld* world, const cPropertyFile& props) {
  ForEachClone<cSecurityCamera>(world->GetObjectSets(kSetSecurityCameras), [&](cSecurityCamera* camera) {
    camera->CopyModelMatrix();
    camera->RecordRestDirection();
    const cPropertyGroup* group = props.FindGroup(camera->GetName());
    if (group != nullptr) {
      camera->ReadProperties(group, world->GetSensors(), world->GetTimerDevices(), &world->GetMen());
    }
  });
}

void LinkSecurityCameras(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<cSecurityCamera>(sets, [world](cSecurityCamera* camera) { camera->LinkCameraToWorld(world); });
}
