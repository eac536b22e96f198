// Clump render objects: a game object owning one engine clump read from a
// model file, carrying its model's user data and drawn through the game's
// atomic render callback. A model is loaded once as a prototype and copied
// for every placement; copies share the prototype's geometry and materials.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"

class cScene;

constexpr f32 kDefaultLodDistance = 25.0f;
// A copy's LOD range is this many LOD distances.
constexpr f32 kLodRangeFactor = 10.0f;

// The abstract render object.
class cRO {
 public:
  virtual ~cRO() {}
  // A new object of the same kind, copied from this one.
  virtual cRO* Clone() = 0;

  const cString& GetName() const { return mName; }

 protected:
  cString mName;
};

class cClumpRO : public cRO {
 public:
  // Loads the model (fatal when missing, unless it is a collision twin),
  // sets up every atomic from its user data and builds its collision data.
  cClumpRO(const char* fileName, const char* textureFolder);
  // A copy of the prototype: the clump cloned (frames copied, geometry
  // shared), with the prototype's LOD geometry as levels 1 to 9.
  explicit cClumpRO(const cClumpRO& prototype);
  // Takes the clump out of its world, gives the first atomic its shared
  // geometry back and destroys the private copy and the clump.
  ~cClumpRO() override;

  cClumpRO& operator=(const cClumpRO&) = delete;

  cRO* Clone() override { return new cClumpRO(*this); }
  // Called before each draw of one of the object's atomics.
  virtual void Refresh(u32 frameStamp) { (void)frameStamp; }

  RpAtomic* GetFirstAtomic() const { return mClump != nullptr ? mFirstAtomic : nullptr; }
  RpClump* GetClump() const { return mClump; }
  RwFrame* GetFrame() const { return mClump != nullptr ? RpClumpGetFrame(mClump) : nullptr; }
  // The child's frame, reset to identity, becomes a child of this frame.
  void AttachChild(cClumpRO* child);
  // Removes this object's frame from its parent.
  void Detach();

  // User-data settings (model user data).
  const cString& GetModelName() const { return mModelName; }
  void SetModelName(const cString& name) { mModelName = name; }
  s32 GetMirrorFlag() const { return mMirrorFlag; }
  void SetMirrorFlag(s32 flag) { mMirrorFlag = flag; }
  f32 GetLodDistance() const { return mLodDistance; }
  void SetLodDistance(f32 distance) { mLodDistance = distance; }
  RpGeometry* GetLodGeometry() const { return mLodGeometry; }
  // Not owned: copies use it for levels 1 to 9.
  void SetLodGeometry(RpGeometry* geometry) { mLodGeometry = geometry; }

  // With a scene, a mirror for each atomic whose geometry has the
  // "mirror.mirror" key, its value the mirror's size shift; without, every
  // atomic's mirrors are deleted.
  void RegisterMirrors(cScene* scene);

  cScene* GetScene() const { return mScene; }
  void SetScene(cScene* scene) { mScene = scene; }
  const cClumpRO* GetPrototype() const { return mPrototype; }
  u32 GetFrameStamp() const { return mFrameStamp; }
  RpGeometry* GetSharedGeometry() const { return mSharedGeometry; }
  RpGeometry* GetPrivateGeometry() const { return mPrivateGeometry; }

  // Every object of the tinted list loses its private geometry copy (the
  // first atomic takes its shared geometry back), leaves the list and is
  // tinted anew.
  static void RelightAll();
  static void RestoreAllGeometries();
  static u32 GetTintedCount();

 protected:
  // Joins the tinted list at its end.
  void JoinTintedList();
  void LeaveTintedList() { mTintLink.Unlink(); }
  // The first atomic takes its shared geometry back; the copy is destroyed.
  void DropPrivateGeometry();
  // The tint of every atomic, from the start of the clump.
  virtual void Retint() {}
  // The level of detail the atomic was last drawn at; -1 without levels.
  static RwInt32 CurrentLodLevel(const RpAtomic* atomic);
  // The atomic's level 0 geometry, when the object's atomics have levels.
  void SetLodLevelZero(RpAtomic* atomic, RpGeometry* geometry);

  cString mModelName;
  RpClump* mClump;
  cScene* mScene;
  s32 mMirrorFlag;
  RpGeometry* mLodGeometry;
  f32 mLodDistance;
  cListLink mTintLink;
  RpGeometry* mSharedGeometry;
  RpGeometry* mPrivateGeometry;
  RpAtomic* mFirstAtomic;
  u32 mFrameStamp;
  const cClumpRO* mPrototype;
  bool mHasLodLevels = false;  // copies of a prototype with a LOD geometry

 private:
  void TakeFirstAtomic();

  friend RpAtomic* ClumpRenderCallBack(RpAtomic* atomic);
};

// The first atomic of the clump; null for a clump without atomics.
RpAtomic* ClumpFirstAtomic(RpClump* clump);

// The render callback of every atomic of a clump object: refreshes the
// object, then draws the atomic at once (culling off when two-sided) or
// defers it to the render manager's layer of its priority.
RpAtomic* ClumpRenderCallBack(RpAtomic* atomic);
