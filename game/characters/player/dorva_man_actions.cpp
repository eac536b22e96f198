// cDorvaMan's action states: their entries, their frame steps, the start of
// a device use and the device use itself.
#include <cmath>

#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/world/devices/device.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kPi = 3.14159265f;
constexpr u32 kNoAnim = 0xffffffffu;
// The idle variations that interrupt a long stand.
constexpr u32 kAnimIdleA = 1;
constexpr u32 kAnimIdleB = 2;

// The entry of a state: its animation, the two animations it follows in
// phase (kNoAnim: none), root motion, and whether the body is perceived low.
struct tStateEntry {
  u32 anim;
  u32 inPhaseA;
  u32 inPhaseB;
  bool rootMotion;
  bool low;
};

const tStateEntry kEntries[kActionStateCount] = {
    {0, kNoAnim, kNoAnim, true, false},    // stand
    {3, kNoAnim, kNoAnim, true, true},     // sneaking stand
    {10, 8, 4, true, false},               // walk
    {8, 10, 4, true, false},               // run
    {4, 8, 10, true, true},                // sneak
    {6, kNoAnim, kNoAnim, true, false},    // sneaking strafe left
    {7, kNoAnim, kNoAnim, true, false},    // sneaking strafe right
    {27, kNoAnim, kNoAnim, true, false},   // sneaking turn left
    {28, kNoAnim, kNoAnim, true, false},   // sneaking turn right
    {11, 5, kNoAnim, true, false},         // walk backward
    {12, kNoAnim, kNoAnim, true, false},   // strafe left
    {13, kNoAnim, kNoAnim, true, false},   // strafe right
    {25, kNoAnim, kNoAnim, true, false},   // forward and left
    {26, kNoAnim, kNoAnim, true, false},   // forward and right
    {9, 11, 5, true, false},               // run backward
    {5, 9, 11, true, true},                // sneak backward
    {30, kNoAnim, kNoAnim, true, false},   // search, sneaking
    {29, kNoAnim, kNoAnim, true, false},   // search
    {14, kNoAnim, kNoAnim, true, false},   // turn left
    {15, kNoAnim, kNoAnim, true, false},   // turn right
    {16, kNoAnim, kNoAnim, true, false},   // use high
    {17, kNoAnim, kNoAnim, true, false},   // use low
    {18, kNoAnim, kNoAnim, true, false},   // use high, sneaking
    {19, kNoAnim, kNoAnim, true, false},   // use low, sneaking
    {18, kNoAnim, kNoAnim, false, false},  // implant, sneaking
    {16, kNoAnim, kNoAnim, false, false},  // implant
    {0, kNoAnim, kNoAnim, true, false},    // aiming (set at once)
    {18, kNoAnim, kNoAnim, false, false},  // hack, sneaking
    {16, kNoAnim, kNoAnim, false, false},  // hack
    {30, kNoAnim, kNoAnim, true, false},   // body search, sneaking
    {30, kNoAnim, kNoAnim, true, false},   // body search
};

// The animation playing, or the one a cross-fade runs towards.
u32 PlayingAnim(const cAnimModel* model) {
  return model->GetCurrentIndex() == kAnimCrossFade ? model->GetTargetIndex() : model->GetCurrentIndex();
}

}  // namespace

void cDorvaMan::EnterActionState() {
  cAnimModel* model = GetModel();
  const u32 state = mActionState < kActionStateCount ? mActionState : kStateStand;
  const tStateEntry& entry = kEntries[state];
  const u32 playing = PlayingAnim(model);
  if (state == kStateAiming) {
    model->SetAnim(entry.anim, 0.0f);
  } else if (playing != kNoAnim && (playing == entry.inPhaseA || playing == entry.inPhaseB)) {
    model->BlendToAnimInPhase(entry.anim, true, -1.0f);
  } else {
    model->BlendToAnim(entry.anim, entry.rootMotion, 0.0f, -1.0f);
  }
  if (entry.low) {
    SetPerceivableOffset(RwV3d{0.0f, kPerceivableLowHeight, 0.0f});
  }
  if (state == kStateStand) {
    mIdleMark = mIdleTimer.GetMilliseconds();
  }
  if (state == kStateSearch || state == kStateSearchSneaking) {
    mSearchSound.PlayAt(&RwFrameGetLTM(GetFrame())->pos);
  }
  if (state == kStateImplant || state == kStateImplantSneaking) {
    FaceActionTarget(true);
  }
  if (state == kStateHack || state == kStateHackSneaking) {
    // The panel view: the player faces the panel and the game camera turns
    // narrowly to its use point.
    AlignToDevice();
    if (mTargetDevice != nullptr && GetGameCamera() != nullptr) {
      RwV3d usePoint;
      mTargetDevice->GetUsePoint(&usePoint, mTargetDevice->IsOtherSide());
      GetGameCamera()->StartLookAt(false, usePoint.x, usePoint.y, usePoint.z);
    }
  }
  SetNoiseLevel(NoiseOfState(state));
}

void cDorvaMan::UpdateActionState(f32 dt) {
  switch (mActionState) {
    case kStateStand:
      UpdateIdle();
      break;
    case kStateRun:
      if (mInput.blocked != 0) {
        mActionState = kStateWalk;
        EnterActionState();
      }
      break;
    case kStateUseHigh:
    case kStateUseLow:
    case kStateUseHighSneaking:
    case kStateUseLowSneaking:
      UpdateDeviceUse();
      break;
    case kStateImplant:
    case kStateImplantSneaking:
      UpdateImplantUse(dt);
      break;
    case kStateSearch:
    case kStateSearchSneaking:
      UpdateSearch(dt);
      break;
    case kStateBody:
    case kStateBodySneaking:
      UpdateBodySearch(dt);
      break;
    case kStateHack:
    case kStateHackSneaking:
      UpdateHack();
      break;
    case kStateAiming:
      UpdateAimingState(dt);
      break;
    default:
      break;
  }
}

void cDorvaMan::BlendToStateAnimation() {
  const tStateEntry& entry = kEntries[mActionState < kActionStateCount ? mActionState : kStateStand];
  GetModel()->BlendToAnim(entry.anim, entry.rootMotion, 0.0f, -1.0f);
}

bool cDorvaMan::StatesPlayAnim(u32 slot) {
  if (slot == kAnimIdleA || slot == kAnimIdleB) {
    return true;
  }
  for (const tStateEntry& entry : kEntries) {
    if (entry.anim == slot) {
      return true;
    }
  }
  return false;
}

void cDorvaMan::UpdateIdle() {
  cAnimModel* model = GetModel();
  const u32 playing = model->GetCurrentIndex();
  if (playing == kManAnimStand) {
    if (mIdleTimer.GetMilliseconds() - mIdleMark > kIdleVariationDelay) {
      model->BlendToAnim((RpRandomNext() & 1) != 0 ? kAnimIdleB : kAnimIdleA, true, 0.0f, -1.0f);
    }
  } else if ((playing == kAnimIdleA || playing == kAnimIdleB) && model->HasWrapped()) {
    model->BlendToAnim(kManAnimStand, true, 0.0f, -1.0f);
    mIdleMark = mIdleTimer.GetMilliseconds();
  }
}

void cDorvaMan::GetUseRay(RwV3d* point, RwV3d* direction) const {
  const RwMatrix* matrix = RwFrameGetLTM(GetFrame());
  *point = RwV3d{matrix->pos.x, matrix->pos.y + kUseReferenceHeight, matrix->pos.z};
  *direction = matrix->at;
}

void cDorvaMan::StartAction() {
  cQXWorld* world = GetWorld();
  if (world == nullptr) {
    return;
  }
  RwV3d point;
  RwV3d direction;
  GetUseRay(&point, &direction);
  mTargetDevice = world->FindUsableDevice(point, direction, kTriggerNone);
  const bool sneaking = mInput.sneaking != 0;
  if (mTargetDevice == nullptr || mTargetDevice->GetType() == kDeviceSearchable) {
    StartSearchOrHack(point, direction);
    return;
  }
  RwV3d usePoint;
  mTargetDevice->GetUsePoint(&usePoint, mTargetDevice->IsOtherSide());
  const bool low = usePoint.y - point.y <= kUseLowLimit;
  if (low) {
    mActionState = sneaking ? kStateUseLowSneaking : kStateUseLow;
  } else {
    mActionState = sneaking ? kStateUseHighSneaking : kStateUseHigh;
  }
  mBusy = 1;
}

void cDorvaMan::UpdateDeviceUse() {
  if (GetModel()->GetAnimPhase() <= kUseActionPhase && mSkipAnimation == 0) {
    return;
  }
  EndAction();
  cDevice* device = mTargetDevice;
  cQXWorld* world = GetWorld();
  if (device == nullptr || world == nullptr) {
    return;
  }
  AddInventoryItem(device);
  if (device->Use(world, kTriggerNone)) {
    device->RemoveFromWorld(world);
  }
}

void cDorvaMan::EndAction() {
  mActionState = mInput.sneaking != 0 ? kStateSneakStand : kStateStand;
  EnterActionState();
  mBusy = 0;
}

f32 cDorvaMan::HeadingDifference(const RwV3d& a, const RwV3d& b) {
  f32 difference = std::atan2(-b.x, b.z) - std::atan2(-a.x, a.z);
  if (std::fabs(difference) >= kPi) {
    difference += difference > 0.0f ? -2.0f * kPi : 2.0f * kPi;
  }
  return difference;
}

void cDorvaMan::AlignToDevice() {
  RwFrame* frame = GetFrame();
  if (mTargetDevice == nullptr || frame == nullptr) {
    return;
  }
  const bool otherSide = mTargetDevice->IsOtherSide();
  RwV3d p;
  RwV3d d;
  mTargetDevice->GetUsePoint(&p, otherSide);
  mTargetDevice->GetUseDirection(&d, otherSide);
  // S = D x up.
  const RwV3d s = {-d.z, 0.0f, d.x};
  const RwV3d place = {p.x + kAlignDistance * d.x + kAlignSide * s.x, p.y + kAlignDistance * d.y + kAlignSide * s.y,
                       p.z + kAlignDistance * d.z + kAlignSide * s.z};
  RwMatrix* matrix = RwFrameGetMatrix(frame);
  const RwV3d facing = matrix->at;
  const RwV3d towards = {-d.x, -d.y, -d.z};
  matrix->pos = place;
  RwMatrixUpdate(matrix);
  RwFrameMarkDirty(frame);
  // A positive turn lowers the heading of HeadingDifference's measure.
  Turn(-HeadingDifference(facing, towards));
  SetReferencePosition(place);
}
