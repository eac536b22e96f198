// cLightningBeam: one bolt between a bone and a target, for a moment.
#include "game/render/effects/lightning_beam.h"

#include "game/render/models/anim_model.h"
#include "game/render/effects/lightning_ro.h"
#include "game/render/scene/scene.h"

cLightningBeam::cLightningBeam(cScene* scene)
    : mOwners{},
      mSource(nullptr),
      mTarget(nullptr),
      mBolt(CreateEffectBolt(scene)),
      mLifetime(kBeamLifetime),
      mElapsed(0.0f),
      mHierarchy(nullptr),
      mStart{0.0f, 0.0f, 0.0f},
      mFixedTarget{0.0f, 0.0f, 0.0f},
      mFixed(0) {
  scene->GetUpdateList().Append(this);
}

cLightningBeam::~cLightningBeam() {
  for (cLightningBeam** owner : mOwners) {
    if (owner != nullptr && *owner == this) {
      *owner = nullptr;
    }
  }
  delete mBolt;
}

void cLightningBeam::AddOwner(cLightningBeam** owner) {
  for (cLightningBeam**& slot : mOwners) {
    if (slot == nullptr || slot == owner) {
      slot = owner;
      return;
    }
  }
  for (u32 i = 1; i < kBeamOwnerCount; i++) {
    mOwners[i - 1] = mOwners[i];
  }
  mOwners[kBeamOwnerCount - 1] = owner;
}

void cLightningBeam::RemoveOwner(cLightningBeam** owner) {
  for (cLightningBeam**& slot : mOwners) {
    if (slot == owner) {
      slot = nullptr;
    }
  }
}

void cLightningBeam::SetEnds(cAnimModel* source, cAnimModel* target) {
  mSource = source;
  mTarget = target;
  mHierarchy = source != nullptr ? source->GetHierarchy() : nullptr;
}

void cLightningBeam::SetFixedTarget(const RwV3d& point) {
  mFixedTarget = point;
  mFixed = 1;
}

bool cLightningBeam::Update(f32 dt) {
  if (mHierarchy != nullptr) {
    mStart = NodeWorldPosition(mHierarchy, kBeamSourceBone);
  }
  RwV3d end = mFixedTarget;
  if (mFixed == 0 && mTarget != nullptr) {
    end = RwFrameGetLTM(mTarget->GetFrame())->pos;
    end.y += kBeamTargetHeight;
  }
  mBolt->SetEndPoints(mStart, end);
  mElapsed += dt;
  return mElapsed > mLifetime;
}
