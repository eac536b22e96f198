// cDartImplant: aiming, the shot, the flight and its end.
#include "game/characters/implants/dart_implant.h"

#include "game/characters/implants/game_camera_link.h"
#include "game/characters/man.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/foundation/v3d.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/clump_ro.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/camera.h"
#include "game/world/qx_world.h"

namespace {

// The hand hangs this far to the side of, below and ahead of the camera,
// its arm turned from up to forward.
const RwV3d kHandPlace = {0.25f, -0.3f, 0.45f};
const RwV3d kRight = {1.0f, 0.0f, 0.0f};
constexpr f32 kHandTilt = 90.0f;  // degrees

void DeleteParticles(cMultiParticleSystem** particles) {
  delete *particles;
  *particles = nullptr;
}

void Unhook(RwFrame* frame) {
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
}

void LeaveScene(cClumpRO* object) {
  if (object != nullptr && object->GetScene() != nullptr) {
    object->GetScene()->RemoveClump(object);
  }
}

}  // namespace

cDartImplant::cDartImplant(const char* dartModel, const char* handModel, cLightmap* lightmap, s32 tiltFactor,
                           f32 directionalShare)
    : mImpactParticles(nullptr),
      mState(kDartNotAiming),
      mPlayerModel(nullptr),
      mTarget(nullptr),
      mTargetPosition{0.0f, 0.0f, 0.0f},
      mDart(nullptr),
      mHand(nullptr),
      mFlightStart{0.0f, 0.0f, 0.0f},
      mFlightDirection{0.0f, 0.0f, 1.0f},
      mShotParticlesNew(0),
      mFlying(0),
      mShootAnim(0),
      mMaximumDistance(kDartNoLimit),
      mShotParticles(nullptr) {
  Setup(kImplantIndexDart);
  mDart = new cClumpRO(dartModel, nullptr);
  mHandAnims.Allocate(kHandAnimCount);
  mHandAnims[kHandAimAnim].animation = LoadAnimation(kDartHandAim);
  mHandAnims[kHandShootAnim].animation = LoadAnimation(kDartHandShoot);
  mHand = new cAnimModel(handModel, lightmap, tiltFactor, directionalShare, &mHandAnims, nullptr);
  mHand->SetAnim(kHandAimAnim, 0.0f);
}

cDartImplant::~cDartImplant() {
  EndAim();
  mSound.Stop();
  DeleteParticles(&mImpactParticles);
  delete mDart;
  delete mHand;
  for (u32 i = 0; i < kHandAnimCount; i++) {
    if (mHandAnims[i].animation != nullptr) {
      RtAnimAnimationDestroy(mHandAnims[i].animation);
      mHandAnims[i].animation = nullptr;
    }
  }
}

void cDartImplant::BindToWorld(cQXWorld* world, cAnimModel* playerModel) {
  Init(world);
  world->GetUpdateList().Append(static_cast<cUpdatable*>(this));
  world->GetUpdateList().Append(mHand);
  mPlayerModel = playerModel;
  mSound.Create(kDartShotSound);
}

bool cDartImplant::StartAim() {
  cDynamicLitClumpRO* hand = mHand->GetClumpObject();
  if (mWorld != nullptr && hand != nullptr && hand->GetScene() == nullptr) {
    mWorld->AddClump(hand);
  }
  RwFrame* handFrame = mHand->GetFrame();
  RwFrameTranslate(handFrame, &kHandPlace, kRwCombineReplace);
  RwFrameRotate(handFrame, &kRight, kHandTilt, kRwCombinePreConcat);
  if (cCamera* view = GameView(mWorld)) {
    RwFrameAddChild(view->GetFrame(), handFrame);
  }
  if (mWorld != nullptr && mDart->GetScene() == nullptr) {
    mWorld->AddClump(mDart);
  }
  mState = kDartAiming;
  return mShotCount > 0;
}

void cDartImplant::EndAim() {
  Unhook(mHand->GetFrame());
  LeaveScene(mHand->GetClumpObject());
  LeaveScene(mDart);
  DeleteParticles(&mShotParticles);
  mFlying = 0;
  mState = kDartNotAiming;
}

bool cDartImplant::Fire(cMan* target, f32 maxDistance) {
  mTarget = target;
  mMaximumDistance = maxDistance;
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return false;
  }
  // The dart alone asks for more energy than its cost.
  if (player->GetEnergy() <= mCost) {
    player->GetCannotUseSound().Play();
    return false;
  }
  mState = kDartFiring;
  player->AddEnergy(-mCost);
  return true;
}

RwV3d cDartImplant::ViewDirection() const {
  if (const cCamera* view = GameView(mWorld)) {
    return RwFrameGetLTM(view->GetFrame())->at;
  }
  return mPlayerModel != nullptr ? RwFrameGetMatrix(mPlayerModel->GetFrame())->at : RwV3d{0.0f, 0.0f, 1.0f};
}

RwV3d cDartImplant::MuzzlePoint() const {
  if (mPlayerModel == nullptr) {
    return RwV3d{0.0f, 0.0f, 0.0f};
  }
  const RwMatrix* matrix = RwFrameGetMatrix(mPlayerModel->GetFrame());
  tV3d facing;
  V3dNormalized(&matrix->at, &facing);
  facing.RotateY(kDartMuzzleTurn);
  return RwV3d{matrix->pos.x + kDartMuzzleDistance * facing.x,
               matrix->pos.y + kDartMuzzleHeight + kDartMuzzleDistance * facing.y,
               matrix->pos.z + kDartMuzzleDistance * facing.z};
}

void cDartImplant::UpdateAim() {
  const RwV3d muzzle = MuzzlePoint();
  const RwV3d view = ViewDirection();
  RwFrame* frame = mDart->GetFrame();
  RwFrameTranslate(frame, &muzzle, kRwCombineReplace);
  const RwV3d ahead = {muzzle.x + view.x, muzzle.y + view.y, muzzle.z + view.z};
  MatrixLookAt(RwFrameGetMatrix(frame), &ahead);
  RwFrameMarkDirty(frame);
}

void cDartImplant::SpawnShotParticles() {
  DeleteParticles(&mShotParticles);
  mShotParticles = new cMultiParticleSystem;
  mShotParticles->Load(mWorld, kDartShotParticles, MuzzlePoint(), ViewDirection());
  mShotParticlesNew = 1;
}

void cDartImplant::MarkHandDirty() { RwFrameMarkDirty(mHand->GetFrame()); }

RwV3d cDartImplant::GetDartPosition() const { return RwFrameGetMatrix(mDart->GetFrame())->pos; }

void cDartImplant::SpawnImpact(const char* file, const RwV3d& position, const RwV3d& direction) {
  DeleteParticles(&mImpactParticles);
  mImpactParticles = new cMultiParticleSystem;
  mImpactParticles->Load(mWorld, file, position, direction);
}

bool cDartImplant::Update(f32 dt) {
  if (mShotParticlesNew != 0) {
    mShotParticlesNew = 0;
  } else if (mShotParticles != nullptr && mShotParticles->IsFinished()) {
    DeleteParticles(&mShotParticles);
  }
  if (mImpactParticles != nullptr && mImpactParticles->IsFinished()) {
    DeleteParticles(&mImpactParticles);
  }
  if (mShootAnim != 0 && mHand->GetCurrentIndex() == kHandShootAnim && mHand->HasWrapped()) {
    mHand->SetAnim(kHandAimAnim, 0.0f);
    mShootAnim = 0;
  }
  switch (mState) {
    case kDartAiming: {
      MarkHandDirty();
      UpdateAim();
      const RwV3d lift = {0.0f, kDartHiddenLift, 0.0f};
      RwFrameTranslate(mDart->GetFrame(), &lift, kRwCombinePostConcat);
      break;
    }
    case kDartFiring: {
      mSound.Play();
      UpdateAim();
      mFlightStart = GetDartPosition();
      if (mTarget != nullptr) {
        mTargetPosition = RwFrameGetLTM(mTarget->GetFrame())->pos;
      }
      V3dNormalized(&RwFrameGetMatrix(mDart->GetFrame())->at, &mFlightDirection);
      mState = kDartFlying;
      mFlying = 1;
      SpawnShotParticles();
      mHand->BlendToAnim(kHandShootAnim, false, 0.0f, -1.0f);
      mShootAnim = 1;
      StartImplantFeedback(mWorld, kDartFeedbackSeconds);
      break;
    }
    case kDartFlying: {
      const RwV3d position = GetDartPosition();
      const f32 flown =
          tV3d(RwV3d{position.x - mFlightStart.x, position.y - mFlightStart.y, position.z - mFlightStart.z}).Length();
      const f32 speed = flown * kDartSpeedGrowth + PlayerSettings().dartSpeed;
      const RwV3d step = {dt * mFlightDirection.x * speed, dt * mFlightDirection.y * speed,
                          dt * mFlightDirection.z * speed};
      RwFrameTranslate(mDart->GetFrame(), &step, kRwCombinePostConcat);
      if (mShotParticles != nullptr) {
        mShotParticles->MoveEmitter(0, step);
      }
      const RwV3d now = GetDartPosition();
      const RwV3d toTarget = {mTargetPosition.x - now.x, mTargetPosition.y - now.y, mTargetPosition.z - now.z};
      if ((mTarget != nullptr && tV3d(toTarget).Length() < kDartHitDistance) || flown > kDartMaximumFlight ||
          flown > mMaximumDistance) {
        mState = kDartHit;
      }
      break;
    }
    case kDartHit:
      Hit();
      break;
    default:
      break;
  }
  return false;
}

void cDartImplant::Hit() {
  DeleteParticles(&mShotParticles);
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (mTarget == nullptr) {
    if (player != nullptr) {
      SpawnImpact(kDartHitParticles, player->GetAimHitPoint(), player->GetAimHitNormal());
    }
  } else {
    mTarget->KnockDown();
    const RwV3d at = RwFrameGetLTM(mTarget->GetFrame())->pos;
    const RwV3d impact = {at.x, at.y + kDartImpactHeight, at.z};
    RwV3d towardsPlayer = {0.0f, 0.0f, 1.0f};
    if (player != nullptr) {
      const RwV3d p = RwFrameGetLTM(player->GetFrame())->pos;
      const RwV3d d = {p.x - at.x, p.y - at.y, p.z - at.z};
      V3dNormalized(&d, &towardsPlayer);
    }
    SpawnImpact(kDartImpactParticles, impact, towardsPlayer);
  }
  mFlying = 0;
  mState = kDartAiming;
}
