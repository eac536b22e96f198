// Animated models: hierarchy set-up, root-motion extraction, the three
// playing states (one animation, overlay, cross-fade) and the pose rebuilt
// at draw time.
#include "game/render/models/anim_model.h"

#include <cmath>

#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"
#include "game/render/collision/world_collision.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/models/dynamic_lit_clump_ro.h"

namespace {

// Flags of the blend hierarchies: they only carry interpolators and never
// write to frames.
constexpr RwUInt32 kFrameUpdateFlags = kRpHAnimUpdateModelling | kRpHAnimUpdateLTMs;

RpHAnimHierarchy* FindModelHierarchy(RwFrame* frame);

RwFrame* FindHierarchyCB(RwFrame* frame, void* data) {
  RpHAnimHierarchy** found = static_cast<RpHAnimHierarchy**>(data);
  *found = FindModelHierarchy(frame);
  return *found == nullptr ? frame : nullptr;
}

// Skinned atomics are posed by the model's hierarchy.
RpAtomic* GiveHierarchyCB(RpAtomic* atomic, void* data) {
  const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  if (geometry != nullptr && RpSkinGeometryGetSkin(geometry) != nullptr) {
    RpSkinAtomicSetHAnimHierarchy(atomic, static_cast<RpHAnimHierarchy*>(data));
  }
  return atomic;
}

RpAtomic* ClearCollisionFlagCB(RpAtomic* atomic, void*) {
  RpAtomicSetFlags(atomic, RpAtomicGetFlags(atomic) & ~rpATOMICCOLLISIONTEST);
  return atomic;
}

RpHAnimInterpFrame* RootSlot(RtAnimInterpolator* interpolator) {
  return reinterpret_cast<RpHAnimInterpFrame*>(RtAnimInterpolatorGetSlot(interpolator, 0));
}

RwV3d KeyPosition(const tRootKey& key) { return RwV3d{key.x, key.y, key.z}; }

RwV3d Difference(const RwV3d& a, const RwV3d& b) { return RwV3d{a.x - b.x, a.y - b.y, a.z - b.z}; }

// Time brought into [0, duration); 0 for an animation of no duration.
f32 WrapTime(f32 time, f32 duration) {
  if (!(duration > 0.0f)) {
    return 0.0f;
  }
  return time >= duration ? std::fmod(time, duration) : time;
}

RpHAnimHierarchy* CreateBlendHierarchy(RpHAnimHierarchy* main) {
  RpHAnimHierarchy* hierarchy =
      RpHAnimHierarchyCreateFromHierarchy(main, main->flags & ~kFrameUpdateFlags, sizeof(RpHAnimStdKeyFrame));
  if (hierarchy == nullptr) {
    FatalError("cAnimModel : cannot create a blend hierarchy");
  }
  RtAnimInterpolatorSetKeyFrameCallBacks(hierarchy->currentAnim, kRpHAnimStdKeyFrameTypeId);
  return hierarchy;
}

// The first frame of the tree, depth first, that carries a hierarchy.
RpHAnimHierarchy* FindModelHierarchy(RwFrame* frame) {
  RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(frame);
  if (hierarchy == nullptr) {
    RwFrameForAllChildren(frame, FindHierarchyCB, &hierarchy);
  }
  return hierarchy;
}

}  // namespace

void ExtractRootMotion(tAnimSlot* slot, RpHAnimHierarchy* hierarchy) {
  RtAnimAnimation* animation = slot->animation;
  RtAnimInterpolator* interpolator = hierarchy->currentAnim;
  if (animation == nullptr || !RtAnimInterpolatorSetCurrentAnim(interpolator, animation)) {
    return;
  }
  RpHAnimHierarchyUpdateMatrices(hierarchy);
  const f32 duration = animation->duration;
  // Every root key is recorded at most once: the block bounds the count.
  const u32 capacity = static_cast<u32>(animation->numFrames);
  tRootKey* keys = new tRootKey[capacity];
  RpHAnimInterpFrame* root = RootSlot(interpolator);
  keys[0] = tRootKey{root->t.x, root->t.y, root->t.z, interpolator->currentTime};
  root->keyFrame1->t = RwV3d{0.0f, 0.0f, 0.0f};
  u32 used = 1;
  // The root's next key is recorded (and zeroed) once it comes into view.
  const RpHAnimStdKeyFrame* recorded = nullptr;
  while (duration > 0.0f) {
    RpHAnimStdKeyFrame* next = root->keyFrame2;
    if (next != recorded && used < capacity) {
      keys[used++] = tRootKey{next->t.x, next->t.y, next->t.z, next->time};
      next->t = RwV3d{0.0f, 0.0f, 0.0f};
      recorded = next;
    }
    RtAnimInterpolatorAddTime(interpolator, kRootMotionStep);
    RpHAnimHierarchyUpdateMatrices(hierarchy);
    if (interpolator->currentTime + kRootMotionStep >= duration) {
      break;
    }
  }
  slot->rootKeys.Allocate(used);
  for (u32 i = 0; i < used; i++) {
    slot->rootKeys[i] = keys[i];
  }
  delete[] keys;
  const RwV3d travel = Difference(KeyPosition(slot->rootKeys[used - 1]), KeyPosition(slot->rootKeys[0]));
  const f32 perSecond = duration > 0.0f ? 1.0f / duration : 0.0f;
  slot->rootVelocity = RwV3d{travel.x * perSecond, travel.y * perSecond, travel.z * perSecond};
  RtAnimInterpolatorSetCurrentTime(interpolator, 0.0f);
}

RwV3d NodeWorldPosition(const RpHAnimHierarchy* hierarchy, u32 node) {
  const u32 last = static_cast<u32>(hierarchy->numNodes) - 1;
  RwFrame* frame = hierarchy->pNodeInfo[node < last ? node : last].pFrame;
  if (frame == nullptr) {
    frame = hierarchy->parentFrame;
  }
  return RwFrameGetLTM(frame)->pos;
}

RtAnimAnimation* LoadAnimation(const char* path) {
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    return nullptr;
  }
  RtAnimAnimation* animation = RtAnimAnimationRead(native);
  EngineFree(native);
  return animation;
}

// The clump object of an animated model: lit like any dynamic-lit object,
// then posed for the draw.
class cAnimClumpRO : public cDynamicLitClumpRO {
 public:
  cAnimClumpRO(const char* fileName, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare, cAnimModel* model)
      : cDynamicLitClumpRO(fileName, lightmap, tiltFactor, directionalShare, nullptr), mModel(model) {}
  cAnimClumpRO(const cAnimClumpRO& prototype, cAnimModel* model) : cDynamicLitClumpRO(prototype), mModel(model) {}

  void Refresh(u32 frameStamp) override {
    cDynamicLitClumpRO::Refresh(frameStamp);
    mModel->RefreshPose();
  }

 private:
  cAnimModel* mModel;
};

cAnimModel::cAnimModel(const char* fileName, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare,
                       cAnimTable* table, const cPropertyGroup* group)
    : cAnimModel(static_cast<RpClump*>(nullptr), table, nullptr) {
  mClumpObject = new cAnimClumpRO(fileName, lightmap, tiltFactor, directionalShare, this);
  mClump = mClumpObject->GetClump();
  if (mClump == nullptr) {
    FatalError("cAnimModel : no model in %s", fileName);
  }
  SetUp(group);
}

cAnimModel::cAnimModel(const cAnimModel& prototype)
    : cAnimModel(static_cast<RpClump*>(nullptr), prototype.mTable, nullptr) {
  if (prototype.mClumpObject == nullptr) {
    FatalError("cAnimModel : a copied model needs a prototype read from a file");
  }
  mClumpObject = new cAnimClumpRO(*prototype.mClumpObject, this);
  mClump = mClumpObject->GetClump();
  if (mClump == nullptr) {
    FatalError("cAnimModel : the prototype's model could not be copied");
  }
  SetUp(nullptr);
  mGlobalBlendTime = prototype.mGlobalBlendTime;
  mSpeed = prototype.mSpeed;
  const u32 start = prototype.mCurrentIndex < kAnimOverlay ? prototype.mCurrentIndex : prototype.mTargetIndex;
  SetAnim(start, 0.0f);
}

cAnimModel::cAnimModel(RpClump* clump, cAnimTable* table, const cPropertyGroup* group)
    : mClumpObject(nullptr),
      mClump(clump),
      mTable(table),
      mPreviousIndex(0),
      mTargetIndex(0),
      mBlendTime(0.0f),
      mBlendDuration(0.0f),
      mGlobalBlendTime(kDefaultGlobalBlendTime),
      mPreviousTime(0.0f),
      mCurrentTime(0.0f),
      mTargetTime(0.0f),
      mSpeed(1.0f),
      mCurrentIndex(0),
      mRootTrackPosition(0),
      mWrapped(0),
      mShadow(nullptr),
      mUpdated(1),
      mRootMotionInBlend(0),
      mSavedBounds{{0.0f, 0.0f, 0.0f}, 0.0f},
      mHierarchy(nullptr),
      mSource(nullptr),
      mTarget(nullptr) {
  if (clump != nullptr) {
    SetUp(group);
  }
}

void cAnimModel::SetUp(const cPropertyGroup* group) {
  mHierarchy = FindModelHierarchy(RpClumpGetFrame(mClump));
  if (mHierarchy == nullptr) {
    FatalError("cAnimModel : the model has no animation hierarchy");
  }
  RpClumpForAllAtomics(mClump, GiveHierarchyCB, mHierarchy);
  mHierarchy->flags |= kRpHAnimUpdateModelling;
  RpHAnimHierarchyAttach(mHierarchy);
  RtAnimInterpolatorSetKeyFrameCallBacks(mHierarchy->currentAnim, kRpHAnimStdKeyFrameTypeId);
  for (u32 i = 0; i < mTable->GetCount(); i++) {
    tAnimSlot& slot = (*mTable)[i];
    if (slot.animation != nullptr && slot.rootKeys.GetCount() == 0) {
      ExtractRootMotion(&slot, mHierarchy);
    }
  }
  mSource = CreateBlendHierarchy(mHierarchy);
  mTarget = CreateBlendHierarchy(mHierarchy);
  u32 start = 0;
  if (group != nullptr) {
    if (const cProperty* index = group->FindProperty("START_ANIM_INDEX")) {
      start = static_cast<u32>(index->GetS32Fatal());
    }
    if (const cProperty* blend = group->FindProperty("GLOBAL_BLEND_TIME")) {
      mGlobalBlendTime = blend->GetF32Fatal();
    }
    if (const cProperty* speed = group->FindProperty("GLOBAL_ANIM_SPEED")) {
      mSpeed = speed->GetF32Fatal();
    }
  }
  if (AnimationOf(start) == nullptr) {
    start = 0;
  }
  SetAnim(start, 0.0f);
  RpClumpForAllAtomics(mClump, ClearCollisionFlagCB, nullptr);
}

cAnimModel::~cAnimModel() {
  if (mTarget != nullptr) {
    RpHAnimHierarchyDestroy(mTarget);
  }
  if (mSource != nullptr) {
    RpHAnimHierarchyDestroy(mSource);
  }
  delete mClumpObject;
}

cDynamicLitClumpRO* cAnimModel::GetClumpObject() const { return mClumpObject; }

RtAnimAnimation* cAnimModel::AnimationOf(u32 index) const {
  // The state codes are never animations, however long the table.
  return index < mTable->GetCount() && index < kAnimOverlay ? (*mTable)[index].animation : nullptr;
}

f32 cAnimModel::DurationOf(u32 index) const {
  const RtAnimAnimation* animation = AnimationOf(index);
  return animation != nullptr ? animation->duration : 0.0f;
}

void cAnimModel::Play(RpHAnimHierarchy* hierarchy, RtAnimAnimation* animation, f32 time) {
  RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation);
  if (animation->duration > 0.0f) {
    RtAnimInterpolatorSetCurrentTime(hierarchy->currentAnim, time);
  }
}

f32 cAnimModel::BlendWeight() const { return mBlendDuration > 0.0f ? mBlendTime / mBlendDuration : 1.0f; }

void cAnimModel::MoveFrame(const RwV3d& offset) {
  RwFrameTranslate(RpClumpGetFrame(mClump), &offset, kRwCombinePreConcat);
}

void cAnimModel::MoveByVelocity(u32 index, f32 seconds) {
  const RwV3d& velocity = (*mTable)[index].rootVelocity;
  MoveFrame(RwV3d{velocity.x * seconds, velocity.y * seconds, velocity.z * seconds});
}

void cAnimModel::SetAnim(u32 index, f32 startTime) {
  RtAnimAnimation* animation = AnimationOf(index);
  if (animation == nullptr) {
    return;
  }
  mPreviousIndex = mCurrentIndex;
  mCurrentIndex = index;
  const f32 time = animation->duration > 0.0f ? startTime : 0.0f;
  Play(mHierarchy, animation, time);
  mPreviousTime = time;
  mCurrentTime = time;
  mRootTrackPosition = time == 0.0f ? 0 : TrackIndexBefore((*mTable)[index].rootKeys, time);
}

void cAnimModel::StartTransition(u32 index) {
  if (index == mCurrentIndex || mCurrentIndex >= kAnimOverlay || AnimationOf(index) == nullptr ||
      AnimationOf(mCurrentIndex) == nullptr) {
    return;
  }
  Play(mSource, AnimationOf(mCurrentIndex), mCurrentTime);
  mPreviousIndex = mCurrentIndex;
  mCurrentIndex = kAnimOverlay;
  Play(mTarget, AnimationOf(index), 0.0f);
  mTargetTime = 0.0f;
  mTargetIndex = index;
  RtAnimInterpolatorAddTogether(mHierarchy->currentAnim, mSource->currentAnim, mTarget->currentAnim);
}

u32 cAnimModel::BlendToAnim(u32 index, bool rootMotion, f32 startTime, f32 blendTime) {
  RtAnimAnimation* animation = AnimationOf(index);
  if (index == mCurrentIndex || animation == nullptr) {
    return mCurrentIndex;
  }
  // A model whose animation is not loaded (its men file leaves the start
  // animation out of its used ones) has no pose to blend from: it takes the
  // new animation at once.
  if (mCurrentIndex < kAnimOverlay && AnimationOf(mCurrentIndex) == nullptr) {
    SetAnim(index, WrapTime(startTime, animation->duration));
    return mCurrentIndex;
  }
  mRootMotionInBlend = rootMotion ? 1 : 0;
  if (mCurrentIndex == kAnimCrossFade) {
    // A cross-fade from the pose the running one has reached.
    RtAnimInterpolatorCopy(mSource->currentAnim, mHierarchy->currentAnim);
    mPreviousIndex = kAnimCrossFade;
  } else if (mCurrentIndex != kAnimOverlay) {
    Play(mSource, AnimationOf(mCurrentIndex), mCurrentTime);
    mPreviousIndex = mCurrentIndex;
  }
  mBlendDuration = blendTime == -1.0f ? mGlobalBlendTime : blendTime;
  mBlendTime = kBlendStartTime;
  mCurrentIndex = kAnimCrossFade;
  mTargetTime = WrapTime(startTime, animation->duration);
  Play(mTarget, animation, mTargetTime);
  mTargetIndex = index;
  RtAnimInterpolatorBlend(mHierarchy->currentAnim, mSource->currentAnim, mTarget->currentAnim, BlendWeight());
  return mCurrentIndex;
}

void cAnimModel::BlendToAnimInPhase(u32 index, bool rootMotion, f32 blendTime) {
  if (index == mCurrentIndex || index == kAnimCrossFade || mCurrentIndex == kAnimCrossFade) {
    return;
  }
  BlendToAnim(index, rootMotion, GetAnimPhase() * DurationOf(index), blendTime);
}

f32 cAnimModel::GetAnimPhase() const {
  if (mCurrentIndex == kAnimCrossFade) {
    return 0.0f;
  }
  // Under an overlay the phase is the underlying animation's.
  const f32 duration = DurationOf(mCurrentIndex == kAnimOverlay ? mPreviousIndex : mCurrentIndex);
  return duration > 0.0f ? mCurrentTime / duration : 0.0f;
}

bool cAnimModel::HasPassedTime(f32 t) const {
  if (t < 0.0f || mCurrentIndex >= kAnimOverlay) {
    return false;
  }
  if (mPreviousTime < t && t < mCurrentTime) {
    return true;
  }
  return mCurrentTime < mPreviousTime && (t < mCurrentTime || t > mPreviousTime);
}

void cAnimModel::WidenBounds() {
  RpAtomic* atomic = ClumpFirstAtomic(mClump);
  if (atomic == nullptr) {
    return;
  }
  if ((atomic->interpolator.flags & rpINTERPOLATORDIRTYSPHERE) != 0) {
    RpAtomicInterpolateBoundingSphere(atomic);
  }
  mSavedBounds = atomic->boundingSphere;
  atomic->boundingSphere.center.y = 0.0f;
  atomic->boundingSphere.radius *= 2.0f;
  // The world sphere is cached until the frame moves.
  RwFrameMarkDirty(RpAtomicGetFrame(atomic));
}

void cAnimModel::RestoreBounds() {
  RpAtomic* atomic = ClumpFirstAtomic(mClump);
  if (atomic == nullptr || mSavedBounds.radius == 0.0f) {
    return;
  }
  atomic->boundingSphere = mSavedBounds;
  mSavedBounds.radius = 0.0f;
  RwFrameMarkDirty(RpAtomicGetFrame(atomic));
}

bool cAnimModel::Update(f32 dt) {
  const f32 d = dt * mSpeed;
  mUpdated = 1;
  mWrapped = 0;
  if (mCurrentIndex == kAnimOverlay) {
    UpdateOverlay(d);
  } else if (mCurrentIndex == kAnimCrossFade) {
    UpdateCrossFade(dt, d);
  } else {
    UpdatePlaying(d);
  }
  return false;
}

void cAnimModel::UpdatePlaying(f32 d) {
  const f32 duration = DurationOf(mCurrentIndex);
  if (!(duration > 0.0f)) {
    // Nothing plays, or an animation of no length: it stays at its start.
    mPreviousTime = 0.0f;
    mCurrentTime = 0.0f;
    return;
  }
  mPreviousTime = mCurrentTime;
  mCurrentTime += d;
  // Set when this update ended the animation, or the next one of this
  // length will.
  if (mCurrentTime + d >= duration) {
    mWrapped = 1;
  }
  const bool wrapped = mCurrentTime >= duration;
  mCurrentTime = WrapTime(mCurrentTime, duration);
  const tAnimSlot& slot = (*mTable)[mCurrentIndex];
  const cRootKeyArray& track = slot.rootKeys;
  if (track.GetCount() == 2) {
    MoveByVelocity(mCurrentIndex, d);
    return;
  }
  if (track.GetCount() == 0) {
    return;
  }
  u32 index = mRootTrackPosition;
  const RwV3d before = TrackPosition(track, mPreviousTime, &index);
  const RwV3d now = TrackPosition(track, mCurrentTime, &index);
  mRootTrackPosition = index;
  RwV3d move = Difference(now, before);
  if (wrapped) {
    const RwV3d toEnd = Difference(KeyPosition(track[track.GetCount() - 1]), before);
    const RwV3d fromStart = Difference(now, KeyPosition(track[0]));
    move = RwV3d{toEnd.x + fromStart.x, toEnd.y + fromStart.y, toEnd.z + fromStart.z};
  }
  MoveFrame(move);
}

void cAnimModel::UpdateOverlay(f32 d) {
  const f32 overlayDuration = DurationOf(mTargetIndex);
  if (mTargetTime >= overlayDuration) {
    RpHAnimHierarchyAttach(mHierarchy);
    RtAnimAnimation* underlying = AnimationOf(mPreviousIndex);
    if (underlying != nullptr) {
      Play(mHierarchy, underlying, mCurrentTime);
      mRootTrackPosition = TrackIndexBefore((*mTable)[mPreviousIndex].rootKeys, mCurrentTime);
    }
    mWrapped = 1;
    mCurrentIndex = mPreviousIndex;
    mPreviousIndex = kAnimOverlay;
    return;
  }
  mCurrentTime = WrapTime(mCurrentTime + d, DurationOf(mPreviousIndex));
  mTargetTime = mTargetTime + d < overlayDuration ? mTargetTime + d : overlayDuration;
  if (AnimationOf(mPreviousIndex) != nullptr && (*mTable)[mPreviousIndex].rootKeys.GetCount() == 2) {
    MoveByVelocity(mPreviousIndex, d);
  }
}

void cAnimModel::UpdateCrossFade(f32 dt, f32 d) {
  if (mBlendTime < mBlendDuration) {
    const RtAnimAnimation* source = mSource->currentAnim->pCurrentAnim;
    mCurrentTime = WrapTime(mCurrentTime + d, source != nullptr ? source->duration : 0.0f);
    mTargetTime = WrapTime(mTargetTime + d, DurationOf(mTargetIndex));
    mBlendTime = mBlendTime + d < mBlendDuration ? mBlendTime + d : mBlendDuration;
  }
  if (mRootMotionInBlend != 0 && mPreviousIndex != kAnimCrossFade && AnimationOf(mPreviousIndex) != nullptr) {
    const f32 w = BlendWeight();
    const RwV3d& to = (*mTable)[mTargetIndex].rootVelocity;
    const RwV3d& from = (*mTable)[mPreviousIndex].rootVelocity;
    MoveFrame(RwV3d{(w * to.x + (1.0f - w) * from.x) * dt, (w * to.y + (1.0f - w) * from.y) * dt,
                    (w * to.z + (1.0f - w) * from.z) * dt});
  }
  if (mBlendTime >= mBlendDuration) {
    RpHAnimHierarchyAttach(mHierarchy);
    Play(mHierarchy, AnimationOf(mTargetIndex), mTargetTime);
    mPreviousTime = mTargetTime;
    mCurrentTime = mTargetTime;
    mCurrentIndex = mTargetIndex;
    mPreviousIndex = kAnimCrossFade;
    mRootTrackPosition = TrackIndexBefore((*mTable)[mTargetIndex].rootKeys, mTargetTime);
    mBlendTime = mBlendDuration;
  }
}

cShadowCaster* cAnimModel::CreateShadow(cWorldCollision* worldObject, const RwV3d& extent, u8 lightFlag) {
  mShadow = new cShadowCaster();
  mShadow->Setup(worldObject->GetWorld(), worldObject, mClump, extent, lightFlag);
  return mShadow;
}

void cAnimModel::RefreshPose() {
  if (mShadow != nullptr) {
    mShadow->MarkDrawn();
  }
  if (mUpdated == 0) {
    return;
  }
  RtAnimInterpolator* main = mHierarchy->currentAnim;
  if (mCurrentIndex == kAnimOverlay) {
    RtAnimInterpolatorSetCurrentTime(mSource->currentAnim, mCurrentTime);
    RtAnimInterpolatorSetCurrentTime(mTarget->currentAnim, mTargetTime);
    RtAnimInterpolatorAddTogether(main, mSource->currentAnim, mTarget->currentAnim);
  } else if (mCurrentIndex == kAnimCrossFade) {
    // A source copied from a running cross-fade holds its pose.
    if (mPreviousIndex != kAnimCrossFade) {
      RtAnimInterpolatorSetCurrentTime(mSource->currentAnim, mCurrentTime);
    }
    RtAnimInterpolatorSetCurrentTime(mTarget->currentAnim, mTargetTime);
    RtAnimInterpolatorBlend(main, mSource->currentAnim, mTarget->currentAnim, BlendWeight());
  } else if (AnimationOf(mCurrentIndex) != nullptr) {
    RtAnimInterpolatorSetCurrentTime(main, mCurrentTime);
  }
  if (main->pCurrentAnim != nullptr) {
    RpHAnimHierarchyUpdateMatrices(mHierarchy);
  }
  mUpdated = 0;
}

RwV3d cAnimModel::TrackPosition(const cRootKeyArray& track, f32 t, u32* index) const {
  const u32 count = track.GetCount();
  u32 i = *index;
  if (i >= count || track[i].time > t) {
    i = 0;
  }
  while (i + 1 < count && track[i + 1].time <= t) {
    i++;
  }
  *index = i;
  const tRootKey& a = track[i];
  if (i + 1 >= count || t <= a.time) {
    return KeyPosition(a);
  }
  const tRootKey& b = track[i + 1];
  const f32 s = (t - a.time) / (b.time - a.time);
  return RwV3d{a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s};
}

u32 cAnimModel::TrackIndexBefore(const cRootKeyArray& track, f32 t) {
  u32 index = 0;
  for (u32 i = 0; i < track.GetCount(); i++) {
    if (track[i].time < t) {
      index = i;
    }
  }
  return index;
}
