// The dart implant, aimed in first person: a hand hangs on the game camera,
// a dart waits at a muzzle point in front of the player, and a shot sends
// it along the camera's view, faster the farther it flies, until it meets
// the chosen man, its maximum distance or 100 units. A man it reaches is
// knocked down.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound.h"
#include "game/characters/implants/implant.h"
#include "game/foundation/array.h"
#include "game/foundation/updatable.h"

class cAnimModel;
class cClumpRO;
class cLightmap;
class cMan;
class cMultiParticleSystem;

enum eDartState : u32 {
  kDartAiming = 0,
  kDartFiring = 1,
  kDartFlying = 2,
  kDartHit = 3,
  kDartNotAiming = 4,
};

constexpr char kDartModel[] = "data/implants/dart/dart2.dff";
constexpr char kDartHandModel[] = "data/implants/dart/hand.dff";
constexpr char kDartHandAim[] = "data/implants/dart/handaim.anm";
constexpr char kDartHandShoot[] = "data/implants/dart/handshoot.anm";
constexpr char kDartShotSound[] = "sfx/im_dartshoot";
constexpr char kDartShotParticles[] = "data/implants/particles_dartshot.txt";
constexpr char kDartHitParticles[] = "data/implants/particles_darthit.txt";
constexpr char kDartImpactParticles[] = "data/implants/particles_dartimpact.txt";
// The hand's two animations.
constexpr u32 kHandAimAnim = 0;
constexpr u32 kHandShootAnim = 1;
constexpr u32 kHandAnimCount = 2;
// The muzzle: this far ahead of the player, this high, turned this far
// (radians) about the vertical from the player's facing.
constexpr f32 kDartMuzzleDistance = 2.0f;
constexpr f32 kDartMuzzleHeight = 1.35f;
constexpr f32 kDartMuzzleTurn = -0.20943952f;
// While aiming the dart waits this far above the muzzle, out of sight.
constexpr f32 kDartHiddenLift = 100.0f;
// The flight's speed grows by this much per unit flown.
constexpr f32 kDartSpeedGrowth = 3.5f;
// A flight ends this near the target's position at the shot, or this far
// from its start.
constexpr f32 kDartHitDistance = 1.6f;
constexpr f32 kDartMaximumFlight = 100.0f;
// The range of a shot at a man, and of one that meets nothing.
constexpr f32 kDartNoLimit = 9000.0f;
// The knocked-down man's impact shows this high above his feet.
constexpr f32 kDartImpactHeight = 1.5f;
// Seconds of the feedback pulse of a shot.
constexpr f32 kDartFeedbackSeconds = 0.15f;

class cDartImplant : public cImplant, public cUpdatable {
 public:
  // The dart and hand models (the hand lit from the level's lightmaps with
  // the tilt factor and directional share) and the hand's two animations.
  cDartImplant(const char* dartModel, const char* handModel, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare);
  // Both models leave the camera and the scene; the animations, the models
  // and the particles go.
  ~cDartImplant() override;

  // Init with the world; the implant and the hand join the update list;
  // the player's model is kept.
  void BindToWorld(cQXWorld* world, cAnimModel* playerModel);
  // The hand on the camera and the dart in the scene; whether shots are
  // left (they always are).
  bool StartAim();
  // Both out of the scene, no shot particles, not aiming.
  void EndAim();
  // A shot at the man (or none) over at most maxDistance: refused with the
  // cannot-use cue unless the energy is above the cost; else paid.
  bool Fire(cMan* target, f32 maxDistance);
  bool Update(f32 dt) override;

  // The muzzle point of the player's pose.
  RwV3d MuzzlePoint() const;
  // The dart at the muzzle, looking along the camera's view.
  void UpdateAim();
  void SpawnShotParticles();
  void MarkHandDirty();

  u32 GetState() const { return mState; }
  bool IsFlying() const { return mFlying != 0; }
  cMan* GetTarget() const { return mTarget; }
  const RwV3d& GetTargetPosition() const { return mTargetPosition; }
  f32 GetMaximumDistance() const { return mMaximumDistance; }
  const RwV3d& GetFlightStart() const { return mFlightStart; }
  RwV3d GetDartPosition() const;
  cClumpRO* GetDart() const { return mDart; }
  cAnimModel* GetHand() const { return mHand; }
  cMultiParticleSystem* GetShotParticles() const { return mShotParticles; }
  cMultiParticleSystem* GetImpactParticles() const { return mImpactParticles; }
  cSndEngWin& GetSound() { return mSound; }

 private:
  // The camera's view direction; the player's facing without a camera.
  RwV3d ViewDirection() const;
  // The impact particles replaced by the file's at the position.
  void SpawnImpact(const char* file, const RwV3d& position, const RwV3d& direction);
  void Hit();

  cSndEngWin mSound;
  cMultiParticleSystem* mImpactParticles;  // owned
  u32 mState;
  cAnimModel* mPlayerModel;   // not owned
  cMan* mTarget;              // not owned
  RwV3d mTargetPosition;      // where the target stood at the shot
  cClumpRO* mDart;            // owned
  cAnimModel* mHand;          // owned
  cAnimSlotArray mHandAnims;  // the hand's own table; the animations owned
  RwV3d mFlightStart;
  RwV3d mFlightDirection;  // unit
  u32 mShotParticlesNew;
  u8 mFlying;
  u8 mShootAnim;
  f32 mMaximumDistance;
  cMultiParticleSystem* mShotParticles;  // owned
};
