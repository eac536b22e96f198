// cClumpRO: loading, copying, the tinted list and the atomic render callback.
#include "game/render/models/clump_ro.h"

#include "game/app/frame_tick.h"
#include "game/render/effects/mirror.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/models/model_files.h"
#include "game/render/models/model_user_data.h"
#include "game/render/scene/render_manager.h"
#include "game/render/scene/scene.h"

namespace {

// The objects whose geometry or materials the tint changed.
cList& TintedList() {
  static cList list;
  return list;
}

RpAtomic* SetUpAtomic(RpAtomic* atomic, void* data) {
  SetUpModelAtomic(atomic, static_cast<cClumpRO*>(data));
  return atomic;
}

RpAtomic* LinkAtomic(RpAtomic* atomic, void* data) {
  SetAtomicOwner(atomic, data);
  return atomic;
}

RpAtomic* GiveLodLevels(RpAtomic* atomic, void* data) {
  const cClumpRO* prototype = static_cast<const cClumpRO*>(data);
  RpLODAtomicSetGeometry(atomic, 0, RpAtomicGetGeometry(atomic));
  for (RwInt32 level = 1; level < rpLODATOMICMAXLOD; level++) {
    RpLODAtomicSetGeometry(atomic, level, prototype->GetLodGeometry());
  }
  RpLODAtomicSetRange(atomic, kLodRangeFactor * prototype->GetLodDistance());
  return atomic;
}

void LeaveWorld(RpClump* clump) {
  RpWorld* world = RpClumpGetWorld(clump);
  if (world != nullptr) {
    RpWorldRemoveClump(world, clump);
  }
}

}  // namespace

cClumpRO::cClumpRO(const char* fileName, const char* textureFolder)
    : mClump(nullptr),
      mScene(nullptr),
      mMirrorFlag(0),
      mLodGeometry(nullptr),
      mLodDistance(kDefaultLodDistance),
      mTintLink(this),
      mSharedGeometry(nullptr),
      mPrivateGeometry(nullptr),
      mFirstAtomic(nullptr),
      mFrameStamp(0),
      mPrototype(nullptr) {
  mClump = LoadClumpFile(fileName, false, textureFolder, true);
  if (mClump != nullptr) {
    TakeFirstAtomic();
    RpClumpForAllAtomics(mClump, SetUpAtomic, this);
    BuildCollisionAndSave(fileName, mClump);
  }
  mName = mModelName;
}

cClumpRO::cClumpRO(const cClumpRO& prototype)
    : cRO(),
      mModelName(prototype.mModelName),
      mClump(nullptr),
      mScene(prototype.mScene),
      mMirrorFlag(prototype.mMirrorFlag),
      mLodGeometry(prototype.mLodGeometry),
      mLodDistance(prototype.mLodDistance),
      mTintLink(this),
      mSharedGeometry(nullptr),
      mPrivateGeometry(nullptr),
      mFirstAtomic(nullptr),
      mFrameStamp(0),
      mPrototype(&prototype) {
  mName = prototype.mName;
  if (prototype.mClump == nullptr) {
    return;
  }
  mClump = RpClumpClone(prototype.mClump);
  if (mClump == nullptr) {
    return;
  }
  TakeFirstAtomic();
  RpClumpForAllAtomics(mClump, LinkAtomic, this);
  if (mLodGeometry != nullptr) {
    RpClumpForAllAtomics(mClump, GiveLodLevels, const_cast<cClumpRO*>(&prototype));
    mHasLodLevels = true;
  }
}

cClumpRO::~cClumpRO() {
  if (mClump != nullptr) {
    // Mirrors must not outlive their atomics.
    if (mMirrorFlag != 0) {
      RegisterMirrors(nullptr);
    }
    LeaveWorld(mClump);
    DropPrivateGeometry();
    RpClumpDestroy(mClump);
  }
  mTintLink.Unlink();
}

namespace {

RpAtomic* AddMirror(RpAtomic* atomic, void*) {
  const RpUserDataArray* array = FindModelUserData(RpAtomicGetGeometry(atomic), kUserDataMirror);
  if (array != nullptr) {
    cMirror* mirror = new cMirror(atomic, RpUserDataArrayGetInt(array, 0));
    // Without a "mirror" texture it is not listed.
    if (mirror->GetMaterial() == nullptr) {
      delete mirror;
    }
  }
  return atomic;
}

RpAtomic* RemoveMirrors(RpAtomic* atomic, void*) {
  UnregisterMirror(atomic);
  return atomic;
}

}  // namespace

void cClumpRO::RegisterMirrors(cScene* scene) {
  if (mClump != nullptr) {
    RpClumpForAllAtomics(mClump, scene != nullptr ? AddMirror : RemoveMirrors, nullptr);
  }
}

void cClumpRO::TakeFirstAtomic() {
  mFirstAtomic = ClumpFirstAtomic(mClump);
  mSharedGeometry = mFirstAtomic != nullptr ? RpAtomicGetGeometry(mFirstAtomic) : nullptr;
}

void cClumpRO::AttachChild(cClumpRO* child) {
  RwFrame* frame = GetFrame();
  RwFrame* childFrame = child->GetFrame();
  if (frame == nullptr || childFrame == nullptr) {
    return;
  }
  RwFrameSetIdentity(childFrame);
  RwFrameAddChild(frame, childFrame);
}

void cClumpRO::Detach() {
  RwFrame* frame = GetFrame();
  if (frame != nullptr && RwFrameGetParent(frame) != nullptr) {
    RwFrameRemoveChild(frame);
  }
}

RwInt32 cClumpRO::CurrentLodLevel(const RpAtomic* atomic) { return RpLODAtomicGetCurrentLOD(atomic); }

void cClumpRO::SetLodLevelZero(RpAtomic* atomic, RpGeometry* geometry) {
  if (mHasLodLevels) {
    RpLODAtomicSetGeometry(atomic, 0, geometry);
  }
}

void cClumpRO::JoinTintedList() { TintedList().Append(&mTintLink); }

void cClumpRO::DropPrivateGeometry() {
  if (mPrivateGeometry == nullptr) {
    return;
  }
  mTintLink.Unlink();
  if (mFirstAtomic != nullptr) {
    // Keeps the atomic's bounding sphere: the copy had the shared one's.
    RpAtomicSetGeometry(mFirstAtomic, mSharedGeometry, 1);
    SetLodLevelZero(mFirstAtomic, mSharedGeometry);
  }
  // The hold taken while the copy stood in; the atomic holds it again.
  RpGeometryDestroy(mSharedGeometry);
  RpGeometryDestroy(mPrivateGeometry);
  mPrivateGeometry = nullptr;
}

void cClumpRO::RelightAll() {
  // The objects are moved out first: a tint may put its object back.
  cList pending;
  while (!TintedList().IsEmpty()) {
    pending.Append(TintedList().First());
  }
  while (!pending.IsEmpty()) {
    cClumpRO* object = static_cast<cClumpRO*>(static_cast<cListLink*>(pending.First())->GetObject());
    object->DropPrivateGeometry();
    object->mTintLink.Unlink();
    object->Retint();
  }
}

void cClumpRO::RestoreAllGeometries() { RelightAll(); }

u32 cClumpRO::GetTintedCount() { return TintedList().Count(); }

RpAtomic* ClumpFirstAtomic(RpClump* clump) {
  RpAtomic* first = nullptr;
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) -> RpAtomic* {
        *static_cast<RpAtomic**>(data) = atomic;
        return nullptr;
      },
      &first);
  return first;
}

RpAtomic* ClumpRenderCallBack(RpAtomic* atomic) {
  cClumpRO* object = static_cast<cClumpRO*>(GetAtomicOwner(atomic));
  if (object == nullptr) {
    return GetDefaultAtomicRender()(atomic);
  }
  cScene* scene = object->mScene;
  if (scene != nullptr && scene->GetPvsFlag() != 0 && !RpPVSAtomicVisible(atomic)) {
    return atomic;
  }
  object->mFrameStamp = gFrameNumber;
  object->Refresh(gFrameNumber);
  const u32 priority = GetAtomicRenderPriority(atomic);
  cRenderManager* manager = cRenderManager::GetCurrent();
  if (priority != 0 && manager != nullptr) {
    // Priorities past the last layer share it.
    const u32 layer = priority - 1 < kRenderItemLayerCount ? priority - 1 : kRenderItemLayerCount - 1;
    manager->GetItemLayer(layer)->AddRenderItemAtomic(atomic);
  } else {
    DrawModelAtomic(atomic);
  }
  if (scene != nullptr) {
    scene->GetAmbientLight().SetFlags(0);
    scene->GetDirectionalLight().SetFlags(0);
  }
  return atomic;
}
