// The men's base: any animated person of a level. A man is made from one
// group of the level's men file, placed into the level's update list, scene
// and perceivable bodies, kept on the ground, turned, made to fall when it
// dies, and saved and restored at checkpoints. The animation table, the
// named animations and the footsteps it shares with every man are in
// man_anim_data.h.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound.h"
#include "game/characters/man_anim_data.h"
#include "game/characters/man_body.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cAnimModel;
class cCollisionVolume;
class cQXWorld;
class cShockEffect;

// Man types, by the TYPE key.
enum eManType : u32 {
  kManTypePlayer = 0,    // "dorvaman"
  kManTypeHologram = 1,  // "dorvaholoman"
  kManTypeCivilian = 2,
  kManTypeGuard = 3,
  kManTypeGangster = 4,
  kManTypeCount
};
constexpr u32 kManBodyCount = 13;
// The body of the boss guard ("guard4").
constexpr u32 kManBodyBoss = 11;

// Footstep sound groups, three sounds each.
enum eFootstepGroup : u32 {
  kFootstepRunLeft,
  kFootstepRunRight,
  kFootstepWalkLeft,
  kFootstepWalkRight,
  kFootstepSneakLeft,
  kFootstepSneakRight,
  kFootstepGroupCount
};
constexpr u32 kFootstepVariants = 3;

constexpr f32 kRadiansToDegrees = 57.295776f;
// The ground is looked for from this far above the man's feet, and at most
// kGroundSearchLength down from there.
constexpr f32 kGroundSearchLift = 0.5f;
constexpr f32 kGroundSearchLength = 5.0f;
// The slide tries directions this many degrees apart, this many on a side.
constexpr f32 kSlideStepDegrees = 20.0f;
constexpr u32 kSlideTries = 5;
// A slide never moves less than this part of the step.
constexpr f32 kSlideMinimumShare = 0.1f;
// A body does not fall onto the player standing nearer than this, within
// the cone of this cosine around the fall's direction.
constexpr f32 kFallPlayerDistance = 3.0f;
constexpr f32 kFallPlayerCosine = 0.8f;

// What a checkpoint keeps of a man.
struct tManCheckpoint {
  f32 capsuleRadius = 0.0f;
  RwV3d referencePosition = {0.0f, 0.0f, 0.0f};
  s32 slideSide = 0;
  u8 searchableBody = 0;
  f32 turnRate = 0.0f;
  RwMatrix matrix = {};
};

class cMan : public cUpdatable, public cManBody {
 public:
  // Deletes the volume, the shock and the model; leaves every list.
  ~cMan() override;

  // The men's shared data of a level, from its men file: the used-animation
  // lists per type, then the animation table. Before any man is made.
  static void LoadStaticData(const cPropertyFile* menFile);
  // The body prototypes and the animation table go.
  static void ReleaseStaticData();
  // Called right after LoadStaticData; nothing to do.
  static void EmptyStaticFunction() {}
  // The man of the group's TYPE with the model of its BODY (fatal for
  // either missing or unknown).
  static cMan* Create(const cPropertyGroup* group, cQXWorld* world);
  // The slots of the group's USED_ANIMS, each marked used in the table.
  static void ReadUsedAnims(const cPropertyFile* file, const char* groupName, cUsedAnimList* usedList);
  static const cUsedAnimList& GetUsedAnims(u32 type);
  // The prototype model of a body, loaded on first use; null before.
  static cAnimModel* GetBodyPrototype(u32 body);
  // The capsule radius the last man added to a world read.
  static f32 GetSharedCapsuleRadius();

  // Into the world's update list (the man before its model), scene and
  // perceivable bodies, with the collision capsule of "CollisionCapsule".
  void AddToWorld(cQXWorld* world);
  // The man's own keys of its group.
  virtual void ReadProperties(const cPropertyGroup* group) = 0;
  virtual void SaveState();
  virtual void RestoreState();
  // Where the body lies once its fall has ended; the lying pose starts.
  virtual void SettleBody();
  // The alarm a sensor or device raises in the man; only the non-player
  // characters react.
  virtual void OnAlarm() {}
  // Whether the man is one the player keeps clear of and aims at: a living
  // guard or civilian.
  virtual bool IsAlarmReady() const { return false; }
  // The alert stage the map view shows (0 calm to 4); men without one
  // answer 0.
  virtual u32 GetAlertStage() const { return 0; }
  // A dart or the taser hit the man: non-player characters fall (and the
  // player's record counts them); others ignore it.
  virtual void KnockDown() {}
  // The player's search of the fallen body, dt seconds of it: what is left
  // (100 at the start) drops by dt x 100 / SEARCH_SPEED; once it is below 0
  // the body cannot be searched again and the answer is true.
  virtual bool SearchBody(f32 dt);
  // What is left of that search.
  virtual f32 GetBodySearchLeft() const { return mBodySearchLeft; }

  // Snaps to the ground, turns at the turn rate and steps audibly.
  bool Update(f32 dt) override;
  RwFrame* GetFrame() const override;

  // Stands the man on the first surface below it (flag: the level alone,
  // without the objects placed in it); unchanged without one in reach.
  void SnapToGround(bool flag);
  // Radians about the vertical axis; replaces the rotation.
  void SetHeading(f32 radians);
  void Turn(f32 radians);
  void SetTurnRate(f32 radiansPerSecond) { mTurnRate = radiansPerSecond; }
  // The man moved from the reference position into a collision: the
  // nearest free direction within 100 degrees on either side, or back.
  void SlideAlongObstacle(cCollisionVolume* volume);
  void Die();
  // Whether the man can fall to that side (+1 or -1) without meeting the
  // level or falling onto the player.
  bool CanFallToSide(f32 side);
  // A new shock of seconds on the man, replacing a running one.
  void StartShock(f32 seconds);

  bool IsNotHologram() const { return GetKind() != kManKindHologram; }
  bool IsSearchableBody() const { return GetKind() != kManKindHologram && mSearchableBody != 0; }
  void SetSearchableBody(u8 flag) { mSearchableBody = flag; }
  // The first atomic's geometry is modulated by its material colours, which
  // SetMaterialColour sets for every material (shared by the body's men).
  void EnableMaterialColour();
  void SetMaterialColour(u8 alpha, u8 red, u8 green, u8 blue);

  // Named animations; the gaits keep the phase of the gait they follow.
  void Walk();
  void WalkBackward();
  void Run();
  void RunBackward();
  void Sneak();
  void SneakBackward();
  void Crouch();
  void Stand();
  void PlayUse();
  void PlayLookAround();
  void PlayBlock();
  void PlayShotPause();
  void PlayShoot();
  void PlayShockAttack();
  // The footsteps whose times the last update passed; how many it started.
  u32 PlayFootsteps();

  cAnimModel* GetModel() const { return mModel; }
  // The name of the man's group, by which level objects name him.
  const cString& GetName() const { return mName; }
  void SetName(const cString& name) { mName = name; }
  cQXWorld* GetWorld() const { return mWorld; }
  cCollisionVolume* GetCollisionVolume() const { return mCollisionVolume; }
  cShockEffect* GetShock() const { return mShock; }
  u32 GetTypeIndex() const { return mTypeIndex; }
  u32 GetBodyIndex() const { return mBodyIndex; }
  f32 GetTurnRate() const { return mTurnRate; }
  s32 GetSlideSide() const { return mSlideSide; }
  void SetSlideSide(s32 side) { mSlideSide = side; }
  const RwV3d& GetReferencePosition() const { return mReferencePosition; }
  void SetReferencePosition(const RwV3d& position) { mReferencePosition = position; }
  const RwV2d& GetBodyPoint() const { return mBodyPoint; }
  const tManCheckpoint& GetCheckpoint() const { return mCheckpoint; }
  cSndEngWin& GetFootstep(u32 group, u32 variant) { return mFootsteps[group][variant]; }

 protected:
  cMan(u32 kind, u32 typeIndex);
  // The player's own fall; other men fall by CanFallToSide.
  virtual void FallAsPlayer() {}
  // The model of a man made outside Create (owned from then on).
  void AdoptModel(cAnimModel* model, u32 body) { SetModel(model, body); }

 private:
  // Blends to the slot from time 0, or in phase after one of the two gaits.
  void BlendGait(u32 slot, u32 inPhaseA, u32 inPhaseB);
  void BlendOnce(u32 slot, bool loop);
  void PlayFoot(f32 time, u32 group, u32* started);
  // The player of the world when it is not this man; null otherwise.
  cMan* OtherPlayer() const;
  void SetModel(cAnimModel* model, u32 body) {
    mModel = model;
    mBodyIndex = body;
  }

  cSndEngWin mFootsteps[kFootstepGroupCount][kFootstepVariants];
  cString mName;
  cShockEffect* mShock;  // owned; cleared by the effect when it ends
  u8 mSearchableBody;
  cQXWorld* mWorld;
  cAnimModel* mModel;  // owned
  RwV2d mBodyPoint;    // ground x and z
  cCollisionVolume* mCollisionVolume;
  RwV3d mReferencePosition;
  s32 mSlideSide;  // -1, +1: the side that was free last; 0: both
  u32 mTypeIndex;
  u32 mBodyIndex;
  f32 mTurnRate;  // radians per second
  tManCheckpoint mCheckpoint;
  f32 mBodySearchLeft = 100.0f;
};
