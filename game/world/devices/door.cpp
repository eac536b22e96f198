// cDoor: opening, closing, the movement and the doorway test.
#include "game/world/devices/door.h"

#include "game/characters/man.h"
#include "game/foundation/array.h"
#include "game/render/collision/collision_volume.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kDoorUseDistance = 1.8f;
constexpr f32 kDoorUseAngle = 80.0f;   // degrees
constexpr f32 kDoorUserAngle = 40.0f;  // degrees
constexpr f32 kDoorMoveDistance = 1.4f;
constexpr f32 kDoorOpenedTime = 3.0f;
constexpr f32 kDoorDepth = 0.3f;
constexpr f32 kDoorSpeed = 1.0f;
const char* const kDoorOpenSound = "sfx/ob_dooropen";
const char* const kDoorCloseSound = "sfx/ob_doorclose";

RwV3d Scaled(const RwV3d& v, f32 s) {
  RwV3d out;
  V3dTimesScalar(&v, &out, s);
  return out;
}

RwV3d Sum(const RwV3d& a, const RwV3d& b) {
  RwV3d out;
  V3dAdd(&a, &out, &b);
  return out;
}

RwV3d Difference(const RwV3d& a, const RwV3d& b) {
  RwV3d out;
  V3dSub(&a, &out, &b);
  return out;
}

}  // namespace

cDoor::cDoor(const char* modelPath, cLightmap* lightmap, cPtrArray* men)
    : cDevice(kDeviceDoor, modelPath, lightmap),
      mState(kDoorClosed),
      mMoveDirection(kDoorMoveLeft),
      mMoveDistance(kDoorMoveDistance),
      mOpenedTime(kDoorOpenedTime),
      mClosedTime(0.0f),
      mDepth(kDoorDepth),
      mTimer(0.0f),
      mSpeed(kDoorSpeed),
      mProgress(0.0f),
      mRestPosition{0.0f, 0.0f, 0.0f},
      mHeldOpen(0),
      mReopen(0),
      mMen(men),
      mSavedState(kDoorClosed),
      mSavedTimer(0.0f),
      mSavedProgress(0.0f),
      mSavedHeldOpen(0),
      mSavedReopen(0),
      mSavedMatrix() {
  SetUseDistance(kDoorUseDistance);
  SetUseAngles(kDoorUseAngle, kDoorUserAngle);
  SetTwoSided(true);
}

cDoor::cDoor(const cDoor& prototype)
    : cDevice(prototype),
      mState(prototype.mState),
      mMoveDirection(prototype.mMoveDirection),
      mMoveDistance(prototype.mMoveDistance),
      mOpenedTime(prototype.mOpenedTime),
      mClosedTime(prototype.mClosedTime),
      mDepth(prototype.mDepth),
      mTimer(0.0f),
      mSpeed(prototype.mSpeed),
      mProgress(0.0f),
      mRestPosition(prototype.mRestPosition),
      mHeldOpen(0),
      mReopen(0),
      mMen(prototype.mMen),
      mSavedState(kDoorClosed),
      mSavedTimer(0.0f),
      mSavedProgress(0.0f),
      mSavedHeldOpen(0),
      mSavedReopen(0),
      mSavedMatrix() {}

cDoor::~cDoor() {}

void cDoor::CreateSounds(cQXWorld*) {
  mOpenSound.Create(kDoorOpenSound);
  mCloseSound.Create(kDoorCloseSound);
}

void cDoor::ReadProperties(const cPropertyGroup* group) {
  ReadUseProperties(group);
  const cString* value = FindPropertyValue(group, "MOVEDIR");
  if (value != nullptr) {
    mMoveDirection = *value == cString("right") ? kDoorMoveRight
                     : *value == cString("up")  ? kDoorMoveUp
                                                : kDoorMoveLeft;
  }
  struct tFloatKey {
    const char* key;
    f32* field;
  };
  const tFloatKey keys[] = {{"SPEED", &mSpeed},
                            {"MOVEDIST", &mMoveDistance},
                            {"DEPTH", &mDepth},
                            {"OPENEDTIME", &mOpenedTime},
                            {"CLOSEDTIME", &mClosedTime}};
  for (const tFloatKey& key : keys) {
    value = FindPropertyValue(group, key.key);
    if (value != nullptr) {
      *key.field = TextToF32(*value);
    }
  }
  RememberFirstTriggerId();
}

void cDoor::StoreRestPosition() { mRestPosition = GetWorldPosition(); }

RwV3d cDoor::MovementAxis() const {
  RwV3d axis = {0.0f, 0.0f, 0.0f};
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    return axis;
  }
  const RwMatrix* ltm = RwFrameGetLTM(frame);
  if (mMoveDirection == kDoorMoveUp) {
    V3dNormalized(&ltm->up, &axis);
    return axis;
  }
  V3dNormalized(&ltm->right, &axis);
  return Scaled(axis, static_cast<f32>(mMoveDirection));
}

void cDoor::Translate(const RwV3d& axis, f32 distance) {
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    const RwV3d step = Scaled(axis, distance);
    RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  }
}

void cDoor::StartOpening() {
  mState = kDoorOpening;
  mCloseSound.Stop();
  PlaySoundAt(mOpenSound, GetFrame());
  mProgress = 0.0f;
}

void cDoor::StartClosing() {
  mOpenSound.Stop();
  PlaySoundAt(mCloseSound, GetFrame());
  mState = kDoorClosing;
  mProgress = 0.0f;
}

bool cDoor::Open(cQXWorld* world, u32 triggerId) {
  mReopen = 0;
  if (!AcceptsTriggerId(triggerId) || mState == kDoorOpen) {
    return false;
  }
  CompleteDeviceMission(world, GetMission());
  // Progress starts again from 0: a door opened while closing slides the
  // whole distance from where it stands.
  StartOpening();
  return true;
}

bool cDoor::Close() {
  if (mState != kDoorOpen) {
    return false;
  }
  mReopen = 0;
  StartClosing();
  return true;
}

bool cDoor::Use(cQXWorld* world, u32 triggerId) {
  if (triggerId == kTriggerLaser || triggerId == kTriggerEds) {
    // A beam on a door that listens to it makes the door hand-openable.
    if (AcceptsTriggerId(triggerId)) {
      AddTriggerId(kTriggerNone);
    }
    return false;
  }
  Open(world, triggerId);
  return false;
}

bool cDoor::Update(f32 dt) {
  mTimer += dt;
  const f32 step = dt * mSpeed;
  switch (mState) {
    case kDoorClosed:
      if (mClosedTime != 0.0f && mTimer >= mClosedTime) {
        StartOpening();
      }
      break;
    case kDoorOpen:
      if (mReopen == 0 && (mHeldOpen != 0 || mOpenedTime == 0.0f || mTimer < mOpenedTime)) {
        break;
      }
      // A blocked doorway keeps the door open and is tested again next frame.
      if (IsDoorwayClear()) {
        StartClosing();
        mReopen = 0;
      }
      break;
    case kDoorClosing: {
      if (!IsDoorwayClear()) {
        mState = kDoorOpening;
        mProgress = mMoveDistance - mProgress;
        mCloseSound.Stop();
        PlaySoundAt(mOpenSound, GetFrame());
        mReopen = 1;
        break;
      }
      mProgress += step;
      const RwV3d axis = MovementAxis();
      Translate(axis, -step);
      const RwV3d position = GetWorldPosition();
      const RwV3d back = Difference(mRestPosition, position);
      if (step > RwV3dLength(&back)) {
        RwFrame* frame = GetFrame();
        if (frame != nullptr) {
          RwFrameTranslate(frame, &back, kRwCombinePostConcat);
        }
        mState = kDoorClosed;
        mHeldOpen = 0;
        mTimer = 0.0f;
      }
      break;
    }
    case kDoorOpening:
      mProgress += step;
      // The step that would reach the end is not moved: the open position
      // falls short by less than one step.
      if (mProgress < mMoveDistance) {
        Translate(MovementAxis(), step);
      } else {
        mState = kDoorOpen;
        mTimer = 0.0f;
      }
      break;
    default:
      break;
  }
  return false;
}

bool cDoor::IsDoorwayClear() const {
  if (mMen == nullptr) {
    return true;
  }
  RwFrame* frame = GetFrame();
  RwV3d at = {0.0f, 0.0f, 0.0f};
  if (frame != nullptr) {
    V3dNormalized(&RwFrameGetLTM(frame)->at, &at);
  }
  const RwV3d centre = Sum(mRestPosition, GetUsePointLocal());
  const RwV3d half = Scaled(at, mDepth * 0.5f);
  const RwV3d across = Scaled(MovementAxis(), mMoveDistance * 0.5f);
  const RwV3d depth = Scaled(at, mDepth);
  const RwV3d front0 = Sum(Difference(centre, across), half);
  const RwV3d front1 = Sum(Sum(centre, across), half);
  const RwV3d segments[2][2] = {{front0, front1}, {Difference(front0, depth), Difference(front1, depth)}};
  for (const auto& segment : segments) {
    for (u32 i = 0; i < mMen->GetCount(); i++) {
      cMan* man = static_cast<cMan*>(mMen->Get(i));
      cCollisionVolume* volume = man != nullptr ? man->GetCollisionVolume() : nullptr;
      RwV3d point;
      RwV3d normal;
      if (volume != nullptr && volume->IntersectSegment(segment[0], segment[1], &point, &normal, true)) {
        return false;
      }
    }
  }
  return true;
}

void cDoor::GetDoorwaySegment(tSegment2d* out) const {
  const RwV3d centre = Sum(mRestPosition, GetUsePointLocal());
  RwV3d right = {0.0f, 0.0f, 0.0f};
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    V3dNormalized(&RwFrameGetLTM(frame)->right, &right);
  }
  const RwV3d half = Scaled(right, static_cast<f32>(mMoveDirection) * mMoveDistance * 0.5f);
  const RwV3d a = Difference(centre, half);
  const RwV3d b = Sum(centre, half);
  *out = tSegment2d(RwV2d{a.x, a.z}, RwV2d{b.x, b.z});
}

void cDoor::Reset() {
  ClearTriggerIds();
  if (GetFirstTriggerId() >= 0) {
    AddTriggerId(static_cast<u32>(GetFirstTriggerId()));
  }
  mState = kDoorClosed;
  RwFrame* frame = GetFrame();
  if (frame != nullptr) {
    const RwV3d back = Difference(mRestPosition, GetWorldPosition());
    RwFrameTranslate(frame, &back, kRwCombinePostConcat);
  }
  mHeldOpen = 0;
  mReopen = 0;
  mTimer = 0.0f;
}

void cDoor::SaveState() {
  cDevice::SaveState();
  mSavedState = mState;
  mSavedTimer = mTimer;
  mSavedProgress = mProgress;
  mSavedHeldOpen = mHeldOpen;
  mSavedReopen = mReopen;
  SaveMatrix(&mSavedMatrix);
}

void cDoor::RestoreState() {
  cDevice::RestoreState();
  mState = mSavedState;
  mTimer = mSavedTimer;
  mProgress = mSavedProgress;
  mHeldOpen = mSavedHeldOpen;
  mReopen = mSavedReopen;
  RestoreMatrix(mSavedMatrix);
}
