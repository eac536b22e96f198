// cBeamImplant: the slide out, the payment, the timing and the slide back;
// the implant light and the camera's part in a beam use.
#include "game/characters/implants/beam_implant.h"

#include <cmath>

#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/model_user_data.h"
#include "game/render/scene/light.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/world/qx_world.h"

namespace {

constexpr RwUInt32 kImplantLightFlags = 3;  // atomics and the world
constexpr u32 kImplantRenderPriority = 1;

}  // namespace

bool IsPlayingImplantUse(const cAnimModel* model) {
  if (model == nullptr) {
    return false;
  }
  u32 index = model->GetCurrentIndex();
  if (index == kAnimCrossFade) {
    index = model->GetTargetIndex();
  }
  return index == kImplantUseAnim || index == kImplantUseSneakingAnim;
}

bool IsShowingImplantUse(const cAnimModel* model, u32 actionState) {
  if (IsPlayingImplantUse(model)) {
    return true;
  }
  if (model == nullptr || (actionState != kStateImplant && actionState != kStateImplantSneaking)) {
    return false;
  }
  return !model->HasAnimation(actionState == kStateImplant ? kImplantUseAnim : kImplantUseSneakingAnim);
}

void SetImplantLight(cQXWorld* world, const tRGBAf& colour, f32 radius, const RwV3d& position) {
  RpWorld* engineWorld = world->GetRenderManager().GetWorld();
  RpLight* light = world->GetWorldLight().GetLight();
  if (engineWorld != nullptr && RpLightGetWorld(light) == nullptr) {
    RpWorldAddLight(engineWorld, light);
  }
  const RwRGBAReal rgba = {colour.r, colour.g, colour.b, colour.a};
  RpLightSetColor(light, &rgba);
  RpLightSetRadius(light, radius);
  RpLightSetFlags(light, kImplantLightFlags);
  RwFrame* frame = world->GetWorldLight().GetFrame();
  RwMatrixTranslate(RwFrameGetMatrix(frame), &position, kRwCombineReplace);
  RwMatrixUpdate(RwFrameGetMatrix(frame));
  RwFrameMarkDirty(frame);
}

void RemoveImplantLight(cQXWorld* world) {
  RpLight* light = world->GetWorldLight().GetLight();
  if (RpWorld* engineWorld = RpLightGetWorld(light)) {
    RpWorldRemoveLight(engineWorld, light);
  }
}

void AimGameCamera(cQXWorld* world, const RwV3d& target) {
  // The game camera turns wide towards the beam's target while it acts.
  if (world != nullptr && world->GetGameCamera() != nullptr) {
    world->GetGameCamera()->StartLookAt(true, target.x, target.y, target.z);
  }
}

void FollowWithGameCamera(cQXWorld* world) {
  if (world != nullptr && world->GetGameCamera() != nullptr) {
    world->GetGameCamera()->SetFollowMode();
  }
}

cBeamImplant::cBeamImplant(const char* modelFile)
    : cClumpRO(modelFile, nullptr),
      mState(kBeamIdle),
      mTarget{0.0f, 0.0f, 0.0f},
      mPlayerModel(nullptr),
      mRestOffset(kImplantRestOffset),
      mVelocity(kImplantVelocity),
      mExtension(kImplantExtension),
      mCameraAimed(0) {
  if (RwFrame* frame = cClumpRO::GetFrame()) {
    RwFrameTranslate(frame, &mRestOffset, kRwCombinePostConcat);
  }
  if (RpAtomic* atomic = GetFirstAtomic()) {
    SetAtomicRenderPriority(atomic, kImplantRenderPriority);
  }
}

cBeamImplant::~cBeamImplant() {
  // The clump leaves its world with the clump object.
  RwFrame* frame = cClumpRO::GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
}

void cBeamImplant::Init(cQXWorld* world, cAnimModel* playerModel) {
  cImplant::Init(world);
  world->GetUpdateList().Append(static_cast<cUpdatable*>(this));
  world->GetUpdateList().Append(&mTimer);
  mPlayerModel = playerModel;
}

void cBeamImplant::Start(const RwV3d& target) {
  (void)target;
  mState = kBeamExtending;
  // A use that follows a retraction still under way starts afresh.
  mProgress = 0.0f;
}

void cBeamImplant::Retract() { mState = kBeamRetracting; }

void cBeamImplant::AttachToBone(u32 bone) {
  RwFrame* frame = cClumpRO::GetFrame();
  if (frame == nullptr || mPlayerModel == nullptr || mWorld == nullptr) {
    return;
  }
  // A use that follows a retraction still under way finds it in the scene.
  if (GetScene() == nullptr) {
    mWorld->AddClump(this);
  }
  RpHAnimHierarchy* hierarchy = mPlayerModel->GetHierarchy();
  RwFrame* boneFrame = nullptr;
  if (hierarchy != nullptr && hierarchy->numNodes > 0) {
    const u32 last = static_cast<u32>(hierarchy->numNodes) - 1;
    boneFrame = hierarchy->pNodeInfo[bone < last ? bone : last].pFrame;
  }
  RwFrameAddChild(boneFrame != nullptr ? boneFrame : mPlayerModel->GetFrame(), frame);
  RwMatrix* matrix = RwFrameGetMatrix(frame);
  RwMatrixTranslate(matrix, &mRestOffset, kRwCombineReplace);
  RwMatrixUpdate(matrix);
  RwFrameMarkDirty(frame);
}

void cBeamImplant::Detach() {
  RwFrame* frame = cClumpRO::GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
  if (GetScene() != nullptr) {
    GetScene()->RemoveClump(this);
  }
}

RwV3d cBeamImplant::GetWorldPosition() const {
  RwFrame* frame = cClumpRO::GetFrame();
  return frame != nullptr ? RwFrameGetLTM(frame)->pos : RwV3d{0.0f, 0.0f, 0.0f};
}

f32 cBeamImplant::DistanceFromRest() const {
  RwFrame* frame = cClumpRO::GetFrame();
  if (frame == nullptr) {
    return 0.0f;
  }
  const RwV3d& pos = RwFrameGetMatrix(frame)->pos;
  const RwV3d d = {pos.x - mRestOffset.x, pos.y - mRestOffset.y, pos.z - mRestOffset.z};
  return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

u32 cBeamImplant::PlayerActionState() const {
  const cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  return player != nullptr ? player->GetActionState() : kStateStand;
}

void cBeamImplant::Move(f32 dt, f32 sign) {
  RwFrame* frame = cClumpRO::GetFrame();
  if (frame != nullptr) {
    const RwV3d step = {sign * dt * mVelocity.x, sign * dt * mVelocity.y, sign * dt * mVelocity.z};
    RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  }
}

bool cBeamImplant::Update(f32 dt) {
  switch (mState) {
    case kBeamExtending:
      if (DistanceFromRest() < mExtension) {
        Move(dt, 1.0f);
      } else if (IsShowingImplantUse(mPlayerModel, PlayerActionState())) {
        mState = kBeamActive;
        if (cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr) {
          player->AddEnergy(-mCost);
        }
        Fire();
        mTimer.SetStartMark(mTimer.GetMilliseconds());
      }
      break;
    case kBeamActive:
      if (mDuration <= 0.0f) {
        mProgress = 1.0f;
        mState = kBeamRetracting;
      } else {
        mProgress = mTimer.GetElapsed() / (mDuration * 1000.0f);
      }
      break;
    case kBeamRetracting: {
      const f32 step =
          dt * std::sqrt(mVelocity.x * mVelocity.x + mVelocity.y * mVelocity.y + mVelocity.z * mVelocity.z);
      if (step >= DistanceFromRest()) {
        Detach();
        mState = kBeamIdle;
        mProgress = 0.0f;
        OnRetracted();
      } else {
        Move(dt, -1.0f);
      }
      break;
    }
    default:
      break;
  }
  return false;
}

cPanelBeamImplant::cPanelBeamImplant(const char* modelFile, u32 index, const char* sound, const tRGBAf& colour)
    : cBeamImplant(modelFile), mColour(colour) {
  Setup(index);
  mSound.Create(sound);
  mSound.SetLooping(true);
}

cPanelBeamImplant::~cPanelBeamImplant() {
  if (mWorld != nullptr) {
    RemoveImplantLight(mWorld);
  }
  mSound.Stop();
}

void cPanelBeamImplant::Init(cQXWorld* world, cAnimModel* playerModel) {
  cBeamImplant::Init(world, playerModel);
  world->GetUpdateList().Append(Beam());
  LoadBeam(world);
}

void cPanelBeamImplant::Start(const RwV3d& target) {
  cBeamImplant::Start(target);
  mTarget = target;
  AimGameCamera(mWorld, target);
  SetCameraAimed(true);
}

void cPanelBeamImplant::Fire() {
  const RwV3d origin = GetWorldPosition();
  ShowBeam(origin, mTarget);
  SetImplantLight(mWorld, mColour, kImplantLightRadius, origin);
  mSound.Play();
}

void cPanelBeamImplant::Stop(cQXWorld* world, bool cut) {
  EndBeam(world, cut);
  if (world != nullptr) {
    RemoveImplantLight(world);
  }
  mSound.Stop();
}

void cPanelBeamImplant::OnRetracted() {
  FollowWithGameCamera(mWorld);
  SetCameraAimed(false);
}
