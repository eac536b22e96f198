// cDorvaMan: construction, the properties, the frame step with its input
// combination and state choice, looking, energy and noise.
#include "game/characters/player/dorva_man.h"

#include <cmath>

#include "game/characters/player/player_settings.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/collision/world_collision.h"
#include "game/render/effects/lightning_beam.h"
#include "game/render/models/anim_model.h"
#include "game/render/twin_timer.h"
#include "game/world/qx_world.h"

namespace {

const RwV3d kUp = {0.0f, 1.0f, 0.0f};
// Seconds the hit flash lasts.
constexpr f32 kHitFlashSeconds = 0.1f;
// Energy regeneration is in thousandths per second.
constexpr f32 kEnergyRegenerationScale = 0.001f;

// Noise level of each action state.
const u8 kStateNoise[kActionStateCount] = {0, 0, 2, 3, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 1,
                                           1, 2, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
// Posture class of each action state (4: none).
const u8 kStatePosture[kActionStateCount] = {0, 0, 2, 3, 1, 1, 1, 0, 0, 2, 2, 2, 2, 2, 3, 1,
                                             1, 0, 0, 0, 0, 0, 0, 0, 4, 4, 4, 4, 4, 4, 4};

bool IsSneakingMovement(u32 state) {
  return state == kStateSneakStand || (state >= kStateSneak && state <= kStateSneakTurnRight) ||
         state == kStateSneakBackward;
}

}  // namespace

cDorvaMan::cDorvaMan()
    : cMan(kManKindPlayer, kManTypePlayer),
      mTargetDevice(nullptr),
      mSelectedImplant(kImplantTaser),
      mProtected(0),
      mNoiseLevel(kNoiseNone),
      mInput{},
      mMouseTurnLeftFrames(0),
      mMouseTurnRightFrames(0),
      mActionState(kStateStand),
      mPadDeadZone(kPadDeadZone),
      mKeyTurnSpeed(kKeyTurnSpeed),
      mLookLimit(kLookLimit),
      mSavedLookLimit(kLookLimit),
      mKeyTurnSum(0.0f),
      mLookAngle(0.0f),
      mLookInput(0),
      mHealth(1.0f),
      mEnergy(1.0f),
      mEnergyRegeneration(kDefaultEnergyRegeneration),
      mSkipAnimation(0),
      mDying(0),
      mSkipNextImplantKey(0),
      mIdleMark(0.0f),
      mPostureValue(0.0f),
      mBusy(0),
      mAiming(0),
      mUseReleased(1),
      mKeyFound(0),
      mCardFound(0),
      mLastFrameTime(0.0f),
      mSearchBag{},
      mStats(nullptr),
      mSavedStats(nullptr) {
  SetPerceivableOffset(RwV3d{0.0f, kPerceivableHeight, 0.0f});
  mSearchSound.Create("sfx/pl_searchstart");
  mHealthSound.Create("sfx/sr_health");
  mEnergySound.Create("sfx/sr_energy");
  mKeyCardSound.Create("sfx/sr_keycard");
  mPizzaSound.Create("sfx/sr_pizza");
  mMissionSound.Create("sfx/sr_mission");
  mMemoSound.Create("sfx/sr_memo");
  mHackLostSound.Create("sfx/pl_hackfail");
  mHackWonSound.Create("sfx/pl_hacksuccess");
  SetNoiseLevel(kStateNoise[kStateStand]);
  ShuffleSearchItems();
  CreateImplants();
}

cDorvaMan::~cDorvaMan() {
  DeleteImplants();
  if (mLightningBolt != nullptr) {
    mLightningBolt->RemoveOwner(&mLightningBolt);
  }
  DeletePanels();
  ReleaseItems(&mInventory);
  ReleaseItems(&mSavedInventory);
}

void cDorvaMan::ReadProperties(const cPropertyGroup* group) {
  RwV3d position = {0.0f, 0.0f, 0.0f};
  if (const cProperty* property = group->FindProperty(cString("POSITION"))) {
    property->GetV3dFatal(&position);
  }
  // A restart reads the group again: the frame is set, never added to.
  RwFrame* frame = GetFrame();
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  SetReferencePosition(position);
  if (const cProperty* property = group->FindProperty(cString("ANGLE"))) {
    SetHeading(property->GetAngleFatal());
  }
  if (const cProperty* property = group->FindProperty(cString("ENERGYREGENERATION"))) {
    mEnergyRegeneration = property->GetF32Fatal();
  }
  EnableMaterialColour();
  mHealth = 1.0f;
  mEnergy = 1.0f;
  mSelectedImplant = kImplantTaser;
}

void cDorvaMan::BindToWorld() {
  mSearchSound.Create("sfx/pl_searchstart");
  mPostureSound.Create("sfx/mv_changeposture");
  mCannotUseSound.Create("sfx/im_cantuse");
  mHealthSound.Create("sfx/sr_health");
  mEnergySound.Create("sfx/sr_energy");
  mKeyCardSound.Create("sfx/sr_keycard");
  mPizzaSound.Create("sfx/sr_pizza");
  mMissionSound.Create("sfx/sr_mission");
  mMemoSound.Create("sfx/sr_memo");
  if (GetWorld() != nullptr) {
    GetWorld()->GetUpdateList().Append(&mStats);
    mStats.Reset();
    BindImplants();
    BindInputAndEye();
  }
  CreateHackPanel();
}

bool cDorvaMan::Update(f32 dt) {
  mSkipNextImplantKey = 0;
  if (mHealth < kPlayerDeadHealth) {
    return false;
  }
  mLastFrameTime = dt;
  mIdleTimer.Update(dt);
  f32 regeneration = dt * mEnergyRegeneration * kEnergyRegenerationScale;
  if (gSaveProfiles != nullptr && gSaveProfiles->GetHard() != 0) {
    regeneration *= PlayerSettings().hardEnergyFactor;
  }
  AddEnergy(regeneration);
  const u32 previous = mActionState;
  if (mBusy == 0 && mAiming == 0 && mActionState != kStateAiming) {
    CombineInput();
    SelectStateFromInput();
  }
  if (mBusy == 0 && mInput.useImplant != 0 && GetWorld() != nullptr && GetWorld()->IsInputLocked() == 0) {
    UseImplant();
  }
  mInput.useImplant = 0;
  if (mActionState != previous) {
    EnterActionState();
  } else {
    UpdateActionState(dt);
  }
  if (IsSneakingMovement(previous) && mInput.sneaking == 0) {
    SetPerceivableOffset(RwV3d{0.0f, kPerceivableHeight, 0.0f});
  }
  SetTurnRate(mBusy != 0 ? 0.0f : mKeyTurnSum * mKeyTurnSpeed);
  LookStep();
  SnapToGround(false);
  Turn(GetTurnRate() * dt);
  if (GetTurnRate() == 0.0f) {
    SetSlideSide(0);
  }
  cWorldCollision* collision = GetWorld() != nullptr ? GetWorld()->GetWorldObject() : nullptr;
  if (collision != nullptr && GetCollisionVolume() != nullptr) {
    if (collision->CollideVolume(GetCollisionVolume(), true, 0) != 0) {
      SlideAlongObstacle(GetCollisionVolume());
      mInput.blocked = 1;
    } else {
      mInput.blocked = 0;
      SetSlideSide(0);
    }
  }
  KeepClearOfMen();
  UpdateHudHint();
  if (RwFrame* frame = GetFrame()) {
    SetReferencePosition(RwFrameGetMatrix(frame)->pos);
  }
  PlayFootsteps();
  return false;
}

void cDorvaMan::CombineInput() {
  tPlayerInput& in = mInput;
  in.sneaking = (in.sneakToggle | in.sneakHeld) != 0 ? 1 : 0;
  in.turningLeft = (mMouseTurnLeftFrames > 0 || in.turnLeftKey != 0 || in.turnLeftPad != 0) ? 1 : 0;
  in.turningRight = (mMouseTurnRightFrames > 0 || in.turnRightKey != 0 || in.turnRightPad != 0) ? 1 : 0;
  in.forward = (in.forwardPad | in.forwardKey) != 0 ? 1 : 0;
  in.backward = (in.backwardPad | in.backwardKey) != 0 ? 1 : 0;
  in.strafeLeft = (in.strafeLeftPad | in.strafeLeftKey) != 0 ? 1 : 0;
  in.strafeRight = (in.strafeRightPad | in.strafeRightKey) != 0 ? 1 : 0;
}

void cDorvaMan::SelectStateFromInput() {
  tPlayerInput& in = mInput;
  if (mHealth < kPlayerDeadHealth) {
    return;
  }
  if (in.hologramUse != 0) {
    if (cMan* hologram = GetWorld() != nullptr ? GetWorld()->GetHologram() : nullptr) {
      hologram->GetModel()->BlendToAnim(kManAnimWalk, true, 0.0f, -1.0f);
    }
    in.hologramUse = 0;
  }
  if (in.implantKeyReleased != 0) {
    if (cMan* hologram = GetWorld() != nullptr ? GetWorld()->GetHologram() : nullptr) {
      hologram->GetModel()->BlendToAnim(kManAnimStand, true, 0.0f, -1.0f);
    }
    in.implantKeyReleased = 0;
  }
  const bool sneaking = in.sneaking != 0;
  if (in.useItem != 0) {
    StartAction();
    in.useItem = 0;
  } else if (in.backward != 0) {
    mActionState = sneaking ? kStateSneakBackward : in.run != 0 ? kStateRunBackward : kStateWalkBackward;
  } else if (in.strafeLeft != 0) {
    mActionState = sneaking ? kStateSneakLeft : in.forward != 0 ? kStateForwardLeft : kStateStrafeLeft;
  } else if (in.strafeRight != 0) {
    mActionState = sneaking ? kStateSneakRight : in.forward != 0 ? kStateForwardRight : kStateStrafeRight;
  } else if (in.forward != 0) {
    if (sneaking) {
      mActionState = kStateSneak;
    } else if (in.run == 0) {
      mActionState = kStateWalk;
    } else if (in.blocked == 0 && !IsBlockedAhead()) {
      mActionState = kStateRun;
    }
  } else if (in.turningLeft != 0) {
    mActionState = sneaking ? kStateSneakTurnLeft : kStateTurnLeft;
  } else if (in.turningRight != 0) {
    mActionState = sneaking ? kStateSneakTurnRight : kStateTurnRight;
  } else {
    mActionState = sneaking ? kStateSneakStand : kStateStand;
  }
  in.forward = in.backward = in.strafeLeft = in.strafeRight = 0;
  in.forwardPad = in.backwardPad = in.strafeLeftPad = in.strafeRightPad = 0;
  in.turnLeftPad = in.turnRightPad = 0;
  if (mMouseTurnLeftFrames > 0) {
    mMouseTurnLeftFrames--;
  }
  if (mMouseTurnRightFrames > 0) {
    mMouseTurnRightFrames--;
  }
}

bool cDorvaMan::IsBlockedAhead() {
  RwFrame* frame = GetFrame();
  cWorldCollision* collision = GetWorld() != nullptr ? GetWorld()->GetWorldObject() : nullptr;
  if (frame == nullptr || collision == nullptr || GetCollisionVolume() == nullptr) {
    return false;
  }
  const RwV3d at = RwFrameGetMatrix(frame)->at;
  const RwV3d ahead = {at.x * kBlockedAheadDistance, at.y * kBlockedAheadDistance, at.z * kBlockedAheadDistance};
  const RwV3d back = {-ahead.x, -ahead.y, -ahead.z};
  RwFrameTranslate(frame, &ahead, kRwCombinePostConcat);
  const bool blocked = collision->CollideVolume(GetCollisionVolume(), true, 0) != 0;
  RwFrameTranslate(frame, &back, kRwCombinePostConcat);
  return blocked;
}

void cDorvaMan::LookStep() {
  if (mInput.centreView != 0) {
    mLookAngle = 0.0f;
    return;
  }
  AddLookAngle(static_cast<f32>(mLookInput) * kLookStep);
}

void cDorvaMan::KeepClearOfMen() {
  cQXWorld* world = GetWorld();
  RwFrame* frame = GetFrame();
  if (world == nullptr || frame == nullptr) {
    return;
  }
  const RwV3d here = RwFrameGetMatrix(frame)->pos;
  const f32 reach = 2.0f * GetSharedCapsuleRadius();
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    if (man == nullptr || man == this || !man->IsNotHologram() || !man->IsAlarmReady()) {
      continue;
    }
    const RwV3d there = RwFrameGetMatrix(man->GetFrame())->pos;
    const f32 dx = there.x - here.x;
    const f32 dz = there.z - here.z;
    if (std::sqrt(dx * dx + dz * dz) < reach) {
      // Only a step that closes in is taken back: a man standing within
      // reach would otherwise hold the player where he is for good.
      const RwV3d& r = GetReferencePosition();
      const f32 rx = there.x - r.x;
      const f32 rz = there.z - r.z;
      if (dx * dx + dz * dz >= rx * rx + rz * rz) {
        continue;
      }
      const RwV3d back = {r.x - here.x, r.y - here.y, r.z - here.z};
      RwFrameTranslate(frame, &back, kRwCombinePostConcat);
      return;
    }
  }
}

void cDorvaMan::AddHealth(f32 amount) {
  if (amount < 0.0f) {
    FlashHudBars();
  }
  mHealth += amount;
  if (mProtected != 0 && mHealth <= kPlayerDeadHealth) {
    mHealth -= amount;
  }
  if (mHealth > 1.0f) {
    mHealth = 1.0f;
  } else if (mHealth < 0.0f) {
    mHealth = 0.0f;
  }
}

void cDorvaMan::AddEnergy(f32 amount) {
  mEnergy += amount;
  if (mEnergy > 1.0f) {
    mEnergy = 1.0f;
  } else if (mEnergy < 0.0f) {
    mEnergy = 0.0f;
  }
}

void cDorvaMan::StartHitTimer() {
  cQXWorld* world = GetWorld();
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && world != nullptr && world->GetTwinTimer() != nullptr) {
    world->GetTwinTimer()->StartSecond(kHitFlashSeconds);
  }
}

void cDorvaMan::SetNoiseLevel(u32 level) {
  const tPlayerSettings& settings = PlayerSettings();
  const f32 values[] = {0.0f, settings.noiseSoft, settings.noiseMedium, settings.noiseLoud};
  if (level > kNoiseLoud) {
    return;
  }
  mNoiseLevel = level;
  SetNoise(values[level]);
}

u32 cDorvaMan::GetPostureClass() {
  const tPlayerSettings& settings = PlayerSettings();
  const f32 values[] = {settings.angleStand, settings.angleSneak, settings.angleWalk, settings.angleRun};
  const u32 posture = mActionState < kActionStateCount ? kStatePosture[mActionState] : 4u;
  if (posture < 4) {
    mPostureValue = values[posture];
  }
  return posture;
}

s32 cDorvaMan::GetZoomDirection() const {
  if (mInput.zoomIn != 0) {
    return 1;
  }
  return mInput.zoomOut != 0 ? -1 : 0;
}

void cDorvaMan::SetLookLimit(f32 degrees) {
  mLookLimit = degrees;
  AddLookAngle(0.0f);
}

void cDorvaMan::AddLookAngle(f32 degrees) {
  mLookAngle += degrees;
  if (mLookAngle > mLookLimit) {
    mLookAngle = mLookLimit;
  } else if (mLookAngle < -mLookLimit) {
    mLookAngle = -mLookLimit;
  }
}

void cDorvaMan::FallAsPlayer() {
  if (mHealth < kPlayerDeadHealth) {
    GetModel()->BlendToAnim(kManAnimCollapse, false, 0.0f, -1.0f);
  }
  AddHealth(-200.0f);
}

u32 cDorvaMan::NoiseOfState(u32 state) {
  return state < kActionStateCount ? kStateNoise[state] : static_cast<u32>(kNoiseNone);
}
