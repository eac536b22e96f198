// The lightning beam: one bolt from a bone of a man's animated model to
// another man's chest height (or to a fixed point), alive for a short time.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cAnimModel;
class cLightningRO;
class cScene;

constexpr f32 kBeamLifetime = 0.1f;  // seconds, unless the caller sets another
// The bone the beam leaves from (the model's last when it has fewer).
constexpr u32 kBeamSourceBone = 39;
constexpr f32 kBeamTargetHeight = 1.2f;  // above the target model's frame
// Pointers that may hold a beam and are cleared when it goes.
constexpr u32 kBeamOwnerCount = 2;

class cLightningBeam : public cUpdatable {
 public:
  // The bolt joins the scene's world (fatal without one) and the beam the
  // scene's update list.
  explicit cLightningBeam(cScene* scene);
  // Deletes the bolt, which leaves the world, and clears every owner's
  // pointer that still names this beam.
  ~cLightningBeam() override;

  // *owner holds the beam until it goes or the owner lets go; beyond
  // kBeamOwnerCount owners the oldest is forgotten.
  void AddOwner(cLightningBeam** owner);
  void RemoveOwner(cLightningBeam** owner);

  // Joins the beam between the two models (not owned).
  void SetEnds(cAnimModel* source, cAnimModel* target);
  // The beam ends at the point instead of at the target.
  void SetFixedTarget(const RwV3d& point);
  void SetLifetime(f32 seconds) { mLifetime = seconds; }

  // Places the bolt between its ends; true (delete it) once it has lived
  // longer than its lifetime.
  bool Update(f32 dt) override;

  cLightningRO* GetBolt() const { return mBolt; }
  const RwV3d& GetStart() const { return mStart; }
  f32 GetElapsed() const { return mElapsed; }

 private:
  cLightningBeam** mOwners[kBeamOwnerCount];
  cAnimModel* mSource;
  cAnimModel* mTarget;
  cLightningRO* mBolt;
  f32 mLifetime;  // seconds
  f32 mElapsed;
  RpHAnimHierarchy* mHierarchy;  // of the source
  RwV3d mStart;
  RwV3d mFixedTarget;
  u8 mFixed;
};
