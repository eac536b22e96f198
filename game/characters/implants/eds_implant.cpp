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

cEdsImplant::cEdsImplant()
    : cPanelBeamImplant(kEdsImplantModel, kImplantIndexEds, kEdsSound, kEdsColour), mRay(this) {}
