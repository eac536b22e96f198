// Laser and cLaserImplant.
#include "game/characters/implants/laser_implant.h"

#include <cmath>

#include "game/app/frame_tick.h"
#include "game/characters/implants/beam_object.h"
#include "game/foundation/fatal_error.h"
#include "game/render/effects/lightning_ro.h"
#include "game/render/models/model_user_data.h"
#include "game/render/models/texture_files.h"
#include "game/render/particles/particle_system.h"
#include "game/world/qx_world.h"

namespace {

// The crackle's strip: interior points, strands, scales and colour.
constexpr u32 kCrackleSegments = 10;
constexpr u32 kCrackleStrands = 3;
constexpr f32 kCrackleScale = 0.02f;
const tRGBAf kCrackleColour(1.0f, 1.0f, 1.0f, 0.3f);
constexpr char kCrackleTexture[] = "data/implants/lightning";
const tRGBAf kLaserColour(1.0f, 0.0f, 0.0f, 1.0f);

RpAtomic* ClearCollisionTest(RpAtomic* atomic, void*) {
  RpAtomicSetFlags(atomic, RpAtomicGetFlags(atomic) & ~static_cast<RwUInt32>(kAtomicFlagCollision));
  return atomic;
}

}  // namespace

Laser::Laser(cLaserImplant* owner)
    : cClumpRO(kLaserBeamModel, nullptr),
      mParticles(new cMultiParticleSystem),
      mLastCrackle(GetTimeMs()),
      mOwner(owner),
      mJustStarted(0),
      mWorld(nullptr),
      mStrip(nullptr),
      mHitAtomic(nullptr),
      mEndPoint{0.0f, 0.0f, 0.0f},
      mTarget{0.0f, 0.0f, 0.0f},
      mCut(0) {
  if (mClump != nullptr) {
    RpClumpForAllAtomics(mClump, ClearCollisionTest, nullptr);
  }
}

Laser::~Laser() {
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
  delete mParticles;
  delete mStrip;
}

void Laser::LoadParticles(cQXWorld* world) { LoadBeamParticles(mParticles, world, kLaserParticles); }

void Laser::Init(cQXWorld* world, const RwV3d& origin, const RwV3d& target) {
  mWorld = world;
  mCut = 0;
  mTarget = target;
  AimBeamFrame(GetFrame(), mOwner->cClumpRO::GetFrame(), origin, target, kLaserBeamWidth, kLaserBeamWidth, 1.0f);
  const RwV3d at = RwFrameGetLTM(GetFrame())->at;
  const RwV3d end = {origin.x + at.x, origin.y + at.y, origin.z + at.z};
  RwV3d normal;
  RpAtomic* atomic = nullptr;
  if (!FindBeamHit(world, origin, end, &mEndPoint, &normal, &atomic)) {
    WriteDebugOutput("Laser::Init laser target not Found\n");
    mEndPoint = target;
  } else if (atomic != nullptr) {
    mHitAtomic = atomic;
    CreateLightning();
  }
  mParticles->SetPosition(mEndPoint, normal);
  mParticles->AddToWorld();
  mJustStarted = 1;
  if (GetScene() == nullptr) {
    world->AddClump(this);
  }
}

void Laser::CreateLightning() {
  delete mStrip;
  mStrip = new cLightningRO(kCrackleSegments, kCrackleStrands);
  mStrip->SetFirstScale(kCrackleScale);
  mStrip->SetSecondScale(kCrackleScale);
  mStrip->SetColour(kCrackleColour);
  mStrip->SetTexture(ReadTexture(kCrackleTexture, false));
  mWorld->GetRenderManager().AddAtomicRO(mStrip);
  Crackle();
}

void Laser::Crackle() {
  if (mStrip == nullptr || mHitAtomic == nullptr) {
    return;
  }
  const RpGeometry* geometry = RpAtomicGetGeometry(mHitAtomic);
  const RpMorphTarget* morph = geometry != nullptr ? RpGeometryGetMorphTarget(geometry, 0) : nullptr;
  if (morph == nullptr || morph->verts == nullptr || geometry->numVertices <= 0) {
    return;
  }
  const u32 count = static_cast<u32>(geometry->numVertices);
  RwV3d ends[2] = {morph->verts[RpRandomNext() % count], morph->verts[RpRandomNext() % count]};
  RwV3dTransformPoints(ends, ends, 2, RwFrameGetLTM(RpAtomicGetFrame(mHitAtomic)));
  mStrip->SetEndPoints(ends[0], ends[1]);
}

void Laser::Track() {
  // The hand's pose changes under the beam: it is aimed afresh each frame.
  RwFrame* implant = mOwner->cClumpRO::GetFrame();
  AimBeamFrame(GetFrame(), implant, RwFrameGetLTM(implant)->pos, mTarget, kLaserBeamWidth, kLaserBeamWidth, 1.0f);
  const RwMatrix* matrix = RwFrameGetLTM(GetFrame());
  const RwV3d end = {matrix->pos.x + matrix->at.x, matrix->pos.y + matrix->at.y, matrix->pos.z + matrix->at.z};
  RwV3d point;
  RwV3d normal;
  RpAtomic* atomic = nullptr;
  if (FindBeamHit(mWorld, matrix->pos, end, &point, &normal, &atomic)) {
    mEndPoint = point;
    mParticles->SetPosition(point, normal);
  }
}

void Laser::Stop(bool cut) {
  mCut = cut ? 1 : 0;
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
  if (GetScene() != nullptr) {
    GetScene()->RemoveClump(this);
  }
}

bool Laser::Update(f32 dt) {
  (void)dt;
  if (mWorld == nullptr) {
    return false;
  }
  if (mJustStarted != 0) {
    mJustStarted = 0;
  } else if (GetFrame() != nullptr && RwFrameGetParent(GetFrame()) != nullptr) {
    Track();
  } else if (!mParticles->IsOutOfWorld() && (mCut != 0 || mParticles->IsFinished())) {
    mCut = 0;
    mParticles->RemoveFromWorld();
  }
  if (mStrip != nullptr) {
    if (!mParticles->IsOutOfWorld()) {
      const u32 now = GetTimeMs();
      if (now - mLastCrackle > kLaserCrackleMs) {
        Crackle();
        mLastCrackle = now;
      }
    } else {
      delete mStrip;
      mStrip = nullptr;
      mHitAtomic = nullptr;
    }
  }
  return false;
}

cLaserImplant::cLaserImplant()
    : cPanelBeamImplant(kLaserImplantModel, kImplantIndexLaser, kLaserSound, kLaserColour), mBeam(this) {}
