// cShockEffect: arcs between bones that jump about, and their end.
#include "game/render/effects/shock_effect.h"

#include "game/render/models/anim_model.h"
#include "game/render/effects/lightning_ro.h"
#include "game/render/random.h"
#include "game/render/scene/scene.h"

namespace {

constexpr char kShockSound[] = "sfx/im_shock";

}  // namespace

cShockEffect::cShockEffect(cAnimModel* model, cShockEffect** owner, cScene* scene, f32 seconds)
    : mModel(model), mOwner(owner), mArcCount(kShockArcCount), mElapsed(0.0f), mDuration(seconds), mSound(kShockSound) {
  for (u32 i = 0; i < mArcCount; i++) {
    tArc& arc = mArcs[i];
    arc.timer = 0.0f;
    arc.bolt = nullptr;
    ChooseBones(&arc);
    arc.bolt = CreateEffectBolt(scene);
    PlaceArc(arc);
  }
  scene->GetUpdateList().Append(this);
  mSound.SetPosition(&RwFrameGetLTM(model->GetFrame())->pos);
  mSound.Play();
}

cShockEffect::~cShockEffect() {
  for (u32 i = 0; i < mArcCount; i++) {
    delete mArcs[i].bolt;
  }
  // A newer shock the man holds is not this one's to forget.
  if (mOwner != nullptr && *mOwner == this) {
    *mOwner = nullptr;
  }
}

u32 cShockEffect::RandomBone() const {
  const u32 nodes = static_cast<u32>(mModel->GetHierarchy()->numNodes);
  const u32 range = nodes - 1 < kShockBoneRange ? nodes - 1 : kShockBoneRange;
  return range == 0 ? 0 : RpRandomNext() % range + 1;
}

void cShockEffect::ChooseBones(tArc* arc) const {
  arc->boneA = RandomBone();
  arc->boneB = RandomBone();
}

void cShockEffect::PlaceArc(const tArc& arc) const {
  const RpHAnimHierarchy* hierarchy = mModel->GetHierarchy();
  arc.bolt->SetEndPoints(NodeWorldPosition(hierarchy, arc.boneA), NodeWorldPosition(hierarchy, arc.boneB));
}

bool cShockEffect::Update(f32 dt) {
  for (u32 i = 0; i < mArcCount; i++) {
    tArc& arc = mArcs[i];
    arc.timer += dt;
    if (arc.timer > kShockArcHold + RandomFloat(-kShockArcJitter, kShockArcJitter)) {
      ChooseBones(&arc);
      arc.timer = 0.0f;
    }
    PlaceArc(arc);
  }
  mElapsed += dt;
  return mElapsed > mDuration;
}
