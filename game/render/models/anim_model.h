// Animated models: a clump driven by the hierarchical-animation plugin,
// updated once a frame. A model plays one animation of its table at a time,
// cross-fades to another, plays one-shot overlays on top, and moves its own
// frame by the root motion taken out of the animations when the first model
// of a table is built, so that the animations themselves play in place.
#pragma once

#include "engine/engine.h"
#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

// The animation table: one slot an animation, shared by every model of a kind.
typedef cAnimSlotArray cAnimTable;

// Current-index values beyond the table's animations.
constexpr u32 kAnimOverlay = 98;    // an overlay plays on top of the previous animation
constexpr u32 kAnimCrossFade = 99;  // a cross-fade runs towards the target animation

constexpr f32 kDefaultGlobalBlendTime = 0.2f;  // seconds
// The step at which root motion is sampled from an animation's keys.
constexpr f32 kRootMotionStep = 0.01f;  // seconds
// A cross-fade starts this far in, so that its first weight is not 0.
constexpr f32 kBlendStartTime = 1e-7f;  // seconds

// Moves the root node's translation out of the slot's animation into its
// root track and velocity, playing it on the hierarchy; the animation then
// plays in place.
void ExtractRootMotion(tAnimSlot* slot, RpHAnimHierarchy* hierarchy);
// The world position of the hierarchy's node (its last node when it has
// fewer); the hierarchy's root frame's for a node bound to no frame.
RwV3d NodeWorldPosition(const RpHAnimHierarchy* hierarchy, u32 node);
// Reads an animation file (a game path, '/' turned into '\'); null when it
// cannot be read.
RtAnimAnimation* LoadAnimation(const char* path);

class cAnimClumpRO;
class cDynamicLitClumpRO;
class cLightmap;
class cShadowCaster;
class cWorldCollision;

class cAnimModel : public cUpdatable {
 public:
  // A model read from the file (textures beside it) and lit from the
  // lightmaps like any dynamic-lit clump object, whose pose is rebuilt when
  // it is drawn. The hierarchy found in its frames drives them and the
  // clump's frame takes the root motion. Table slots without root motion
  // get it now. With a group: START_ANIM_INDEX, GLOBAL_BLEND_TIME and
  // GLOBAL_ANIM_SPEED. Fatal for a model without a hierarchy.
  cAnimModel(const char* fileName, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare, cAnimTable* table,
             const cPropertyGroup* group);
  // The same over a clump that the caller keeps (it outlives the model);
  // the caller rebuilds the pose with RefreshPose before drawing.
  cAnimModel(RpClump* clump, cAnimTable* table, const cPropertyGroup* group);
  // Destroys the two blend hierarchies, then the clump object.
  ~cAnimModel() override;

  // A model of its own over a copy of the prototype's clump (frames copied,
  // geometry shared) on the same table, lit as the prototype, with its
  // blend time and speed, starting on the prototype's current animation.
  // The prototype must be a model read from a file.
  explicit cAnimModel(const cAnimModel& prototype);
  cAnimModel& operator=(const cAnimModel&) = delete;

  // Plays the animation from the start time (seconds) at once. An index
  // without an animation is ignored.
  void SetAnim(u32 index, f32 startTime);
  // Plays the animation once on top of the current one (their keys added);
  // ignored for the current animation and while an overlay or cross-fade runs.
  void StartTransition(u32 index);
  // Cross-fades to the animation from the start time over blendTime seconds
  // (-1: the global blend time); with rootMotion the frame moves by the
  // blend of both animations' velocities. Returns the current index.
  u32 BlendToAnim(u32 index, bool rootMotion, f32 startTime, f32 blendTime);
  // Cross-fades to the animation at the phase of the one playing.
  void BlendToAnimInPhase(u32 index, bool rootMotion, f32 blendTime);
  // Current time over the playing animation's duration; 0 while cross-fading.
  f32 GetAnimPhase() const;
  // Whether the time t (seconds) of the playing animation was passed by the
  // last update; false while an overlay or cross-fade runs.
  bool HasPassedTime(f32 t) const;
  // The first atomic's sphere, saved and then widened to the ground: centre
  // y 0, radius doubled. RestoreBounds puts a saved sphere back.
  void WidenBounds();
  void RestoreBounds();
  // A projected-shadow caster for the model's clump in the world object's
  // world (extent: the shadow box per bounding radius on each axis); the
  // shadow renderer owns it and destroys it with the level.
  cShadowCaster* CreateShadow(cWorldCollision* worldObject, const RwV3d& extent, u8 lightFlag);
  cShadowCaster* GetShadowCaster() const { return mShadow; }

  // Advances the playing state by dt seconds (times the speed) and moves
  // the frame by the root motion. Never asks to be deleted.
  bool Update(f32 dt) override;
  // The draw-time refresh: rebuilds the pose of the last update and tells
  // the shadow caster that the model is drawn.
  void RefreshPose();

  RpHAnimHierarchy* GetHierarchy() const { return mHierarchy; }
  // The clump object of a model read from a file; null over a kept clump.
  cDynamicLitClumpRO* GetClumpObject() const;
  RwFrame* GetFrame() const { return RpClumpGetFrame(mClump); }
  RpClump* GetClump() const { return mClump; }
  // Whether the table holds an animation at the index (one the model can play).
  bool HasAnimation(u32 index) const { return AnimationOf(index) != nullptr; }
  u32 GetCurrentIndex() const { return mCurrentIndex; }
  u32 GetPreviousIndex() const { return mPreviousIndex; }
  u32 GetTargetIndex() const { return mTargetIndex; }
  f32 GetCurrentTime() const { return mCurrentTime; }
  f32 GetPreviousTime() const { return mPreviousTime; }
  f32 GetTargetTime() const { return mTargetTime; }
  f32 GetBlendTime() const { return mBlendTime; }
  f32 GetBlendDuration() const { return mBlendDuration; }
  f32 GetGlobalBlendTime() const { return mGlobalBlendTime; }
  f32 GetSpeed() const { return mSpeed; }
  void SetSpeed(f32 speed) { mSpeed = speed; }
  bool HasWrapped() const { return mWrapped != 0; }
  bool IsPoseStale() const { return mUpdated != 0; }

 private:
  // The hierarchy set up on mClump, root motion, blend hierarchies, group.
  void SetUp(const cPropertyGroup* group);
  RtAnimAnimation* AnimationOf(u32 index) const;
  // The animation's duration; 0 for an index without an animation.
  f32 DurationOf(u32 index) const;
  // Plays the animation on the hierarchy from the time.
  static void Play(RpHAnimHierarchy* hierarchy, RtAnimAnimation* animation, f32 time);
  // The cross-fade's weight of the target.
  f32 BlendWeight() const;
  // Moves the frame in its own axes.
  void MoveFrame(const RwV3d& offset);
  void MoveByVelocity(u32 index, f32 seconds);

  void UpdatePlaying(f32 d);
  void UpdateOverlay(f32 d);
  void UpdateCrossFade(f32 dt, f32 d);
  // The root track's position at time t, searched from the entry *index,
  // which becomes the entry at or before t.
  RwV3d TrackPosition(const cRootKeyArray& track, f32 t, u32* index) const;
  // The last entry of the track earlier than t (0 for none).
  static u32 TrackIndexBefore(const cRootKeyArray& track, f32 t);

  cAnimClumpRO* mClumpObject;  // owned; null over a kept clump
  RpClump* mClump;
  cAnimTable* mTable;
  u32 mPreviousIndex;
  u32 mTargetIndex;
  f32 mBlendTime;      // seconds into the cross-fade
  f32 mBlendDuration;  // seconds
  f32 mGlobalBlendTime;
  f32 mPreviousTime;  // seconds, of the playing animation before the last update
  f32 mCurrentTime;
  f32 mTargetTime;  // seconds, of the overlay or of the cross-fade's target
  f32 mSpeed;
  u32 mCurrentIndex;
  u32 mRootTrackPosition;
  u32 mWrapped;
  cShadowCaster* mShadow;  // not owned
  u32 mUpdated;            // the pose must be rebuilt at the next draw
  u32 mRootMotionInBlend;
  RwSphere mSavedBounds;  // radius 0: nothing saved
  RpHAnimHierarchy* mHierarchy;
  RpHAnimHierarchy* mSource;  // of the overlay or cross-fade
  RpHAnimHierarchy* mTarget;
};
