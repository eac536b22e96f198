// cBlueRay and cEdsImplant.
#include "game/characters/implants/eds_implant.h"

#include "game/characters/implants/beam_object.h"
#include "game/foundation/fatal_error.h"
#include "game/render/particles/particle_system.h"
#include "game/world/qx_world.h"

namespace {

const tRGBAf kEdsColour(0.0f, 0.0f, 1.0f, 1.0f);

}  // namespace

cBlueRay::cBlueRay(cEdsImplant* owner)
    : cClumpRO(kEdsRayModel, nullptr),
      mParticles(new cMultiParticleSystem),
      mCut(0),
      mJustStarted(0),
      mOwner(owner),
      mEndPoint{0.0f, 0.0f, 0.0f},
      mTarget{0.0f, 0.0f, 0.0f} {}

cBlueRay::~cBlueRay() {
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
  delete mParticles;
}

void cBlueRay::LoadParticles(cQXWorld* world) { LoadBeamParticles(mParticles, world, kEdsParticles); }

void cBlueRay::Init(cQXWorld* world, const RwV3d& origin, const RwV3d& target) {
  mCut = 0;
  mTarget = target;
  // Aimed afresh each use: the scale never grows from one use to the next.
  AimBeamFrame(GetFrame(), mOwner->cClumpRO::GetFrame(), origin, target, 1.0f, 1.0f, kEdsRayLengthScale);
  RwV3d normal;
  RpAtomic* atomic = nullptr;
  if (!FindBeamHit(world, origin, target, &mEndPoint, &normal, &atomic)) {
    WriteDebugOutput("cBlueRay::Init Sparkle target not Found\n");
  }
  mParticles->SetPosition(mEndPoint, normal);
  mParticles->AddToWorld();
  if (GetScene() == nullptr) {
    world->AddClump(this);
  }
  mJustStarted = 1;
}

void cBlueRay::Stop(cQXWorld* world, bool cut) {
  (void)world;
  mCut = cut ? 1 : 0;
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
  if (GetScene() != nullptr) {
    GetScene()->RemoveClump(this);
  }
}

bool cBlueRay::Update(f32 dt) {
  (void)dt;
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    // The hand's pose changes under the ray: it stays on its target.
    RwFrame* implant = mOwner->cClumpRO::GetFrame();
    AimBeamFrame(frame, implant, RwFrameGetLTM(implant)->pos, mTarget, 1.0f, 1.0f, kEdsRayLengthScale);
  }
  if (mJustStarted != 0) {
    mJustStarted = 0;
  } else if (!mParticles->IsOutOfWorld() && (mCut != 0 || mParticles->IsFinished())) {
    mCut = 0;
    mParticles->RemoveFromWorld();
  }
  return false;
}

cEdsImplant::cEdsImplant() : cBeamImplant(kEdsImplantModel), mRay(this) {
  Setup(kImplantIndexEds);
  mSound.Create(kEdsSound);
  mSound.SetLooping(true);
}

cEdsImplant::~cEdsImplant() {
  if (mWorld != nullptr) {
    RemoveImplantLight(mWorld);
  }
  mSound.Stop();
}

void cEdsImplant::Init(cQXWorld* world, cAnimModel* playerModel) {
  cBeamImplant::Init(world, playerModel);
  world->GetUpdateList().Append(static_cast<cUpdatable*>(&mRay));
  mRay.LoadParticles(world);
}

void cEdsImplant::Start(const RwV3d& target) {
  cBeamImplant::Start(target);
  mTarget = target;
  AimGameCamera(mWorld, target);
  SetCameraAimed(true);
}

void cEdsImplant::Fire() {
  const RwV3d origin = GetWorldPosition();
  mRay.Init(mWorld, origin, mTarget);
  SetImplantLight(mWorld, kEdsColour, kImplantLightRadius, origin);
  mSound.Play();
}

void cEdsImplant::Stop(cQXWorld* world, bool cut) {
  mRay.Stop(world, cut);
  if (world != nullptr) {
    RemoveImplantLight(world);
  }
  mSound.Stop();
}

void cEdsImplant::OnRetracted() {
  FollowWithGameCamera(mWorld);
  SetCameraAimed(false);
}
