// cLever: the property reader, the use, the swing and the fall-back.
#include "game/world/devices/lever.h"

#include "game/world/qx_world.h"

namespace {

const RwV3d kXAxis = {1.0f, 0.0f, 0.0f};
constexpr f32 kHalfTurn = 180.0f;  // degrees

}  // namespace

cLever::cLever(const char* modelPath, cLightmap* lightmap)
    : cOpenerDevice(modelPath, lightmap),
      mPosition(kLeverDown),
      mInitialPosition(kLeverDown),
      mOpenerPosition(kLeverUp),
      mSwingSpeed(kLeverSwingSpeed),
      mSwingAngle(0.0f),
      mSavedSwingAngle(0.0f),
      mSavedPosition(kLeverDown) {
  SetType(kDeviceLever);
  SetOtherSide(true);
  mOpenedTime = 0.0f;
}

cLever::cLever(const cLever& prototype)
    : cOpenerDevice(prototype),
      mPosition(prototype.mPosition),
      mInitialPosition(prototype.mPosition),
      mOpenerPosition(prototype.mOpenerPosition),
      mSwingSpeed(prototype.mSwingSpeed),
      mSwingAngle(0.0f),
      mSavedSwingAngle(0.0f),
      mSavedPosition(kLeverDown) {
  SetType(kDeviceLever);
  SetOtherSide(mPosition == kLeverDown);
  mOpenedTime = 0.0f;
}

void cLever::ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors, cQXWorld* world) {
  const cString* value = FindPropertyValue(group, "POSITION");
  if (value != nullptr) {
    if (*value == cString("down")) {
      mPosition = kLeverDown;
    } else if (*value == cString("up")) {
      mPosition = kLeverUp;
    }
    SetOtherSide(mPosition == kLeverDown);
    mInitialPosition = mPosition;
  }
  value = FindPropertyValue(group, "OPENERPOS");
  if (value != nullptr) {
    if (*value == cString("up")) {
      mOpenerPosition = kLeverUp;
    } else if (*value == cString("down")) {
      mOpenerPosition = kLeverDown;
    }
  }
  cOpenerDevice::ReadProperties(group, devices, sensors, world);
}

bool cLever::CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool) {
  return mUsed == 0 && BaseCanUse(position, direction, triggerId, world, false);
}

void cLever::StartSwing() {
  mUsed = 1;
  mSwingAngle = 0.0f;
  mPosition = mPosition == kLeverUp ? kLeverDown : kLeverUp;
  SetOtherSide(mPosition == kLeverDown);
}

bool cLever::Use(cQXWorld* world, u32) {
  if (mUsed != 0) {
    return false;
  }
  ShowDeviceMessage(world, GetMessage());
  CompleteDeviceMission(world, GetMission());
  PlaySoundAt(mUseSound, GetFrame());
  StartSwing();
  if (mPosition != mOpenerPosition) {
    CloseDoors();
    ActivateSecurity();
    SetIcon(GetInitialIcon());
  } else {
    mTimer = 0.0f;
    OpenDoors(world);
    DeactivateSecurity();
    SetIcon(0);
  }
  return false;
}

bool cLever::Update(f32 dt) {
  if (mUsed != 0) {
    f32 step = dt * mSwingSpeed;
    mSwingAngle += step;
    if (mSwingAngle > kHalfTurn) {
      step -= mSwingAngle - kHalfTurn;
      mSwingAngle = 0.0f;
      mUsed = 0;
    }
    TurnModel(kXAxis, mPosition == kLeverUp ? -step : step);
  }
  if (mPosition == mOpenerPosition) {
    mTimer += dt;
    // The fall-back closes the doors; sensors and icon stay as they are.
    if (mOpenedTime != 0.0f && mTimer > mOpenedTime) {
      StartSwing();
      mTimer = 0.0f;
      CloseDoors();
    }
  }
  return false;
}

void cLever::Reset() {
  const bool swinging = mUsed != 0;
  cOpenerDevice::Reset();
  u8 standing = mPosition;
  if (swinging) {
    // The partial swing undone leaves the handle where the swing began.
    TurnModel(kXAxis, mPosition == kLeverUp ? mSwingAngle : -mSwingAngle);
    standing = mPosition == kLeverUp ? kLeverDown : kLeverUp;
  }
  if (standing != mInitialPosition) {
    TurnModel(kXAxis, kHalfTurn);
  }
  mSwingAngle = 0.0f;
  mPosition = mInitialPosition;
  SetOtherSide(mPosition == kLeverDown);
}

void cLever::SaveState() {
  cOpenerDevice::SaveState();
  mSavedSwingAngle = mSwingAngle;
  mSavedPosition = mPosition;
}

void cLever::RestoreCheckpoint() {
  cOpenerDevice::RestoreCheckpoint();
  mSwingAngle = mSavedSwingAngle;
  mPosition = mSavedPosition;
}
