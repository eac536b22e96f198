// Beam implants: arm devices that slide out of the player's hand, act and
// slide back. cBeamImplant moves the implant model under the hand's bone,
// pays the energy once it is out and the use animation plays, times the
// effect and calls the concrete Fire and Stop. The laser and the EDS light
// their beams with the world's implant light.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound.h"
#include "game/characters/implants/implant.h"
#include "game/foundation/updatable.h"
#include "game/render/colour.h"
#include "game/render/models/clump_ro.h"

class cAnimModel;
class cQXWorld;

enum eBeamState : u32 {
  kBeamIdle = 0,
  kBeamExtending = 2,
  kBeamActive = 3,
  kBeamRetracting = 4,
};

// The player's animations during an implant use (standing and sneaking).
constexpr u32 kImplantUseAnim = 16;
constexpr u32 kImplantUseSneakingAnim = 18;
// The bone the implants hang on: the right hand.
constexpr u32 kImplantBone = 9;
// The implant rests this far along its bone and slides out this far, at
// this speed (units a second, in the bone's space).
const RwV3d kImplantRestOffset = {0.0f, 0.0f, 0.07f};
const RwV3d kImplantVelocity = {0.0f, 0.0f, 0.5f};
constexpr f32 kImplantExtension = 0.05f;
// The implant light's reach around a beam's origin.
constexpr f32 kImplantLightRadius = 3.0f;

// Whether the model plays (or cross-fades into) one of the use animations.
bool IsPlayingImplantUse(const cAnimModel* model);
// Whether a use in the player's action state shows: the model plays a use
// animation, or the state is an implant use whose animation the table lacks
// (a level that loads no such slot), which then goes on without it rather
// than wait for ever.
bool IsShowingImplantUse(const cAnimModel* model, u32 actionState);

// The world's implant light into the world's engine world at the position,
// in the colour, lighting atomics and the world; and out again.
void SetImplantLight(cQXWorld* world, const tRGBAf& colour, f32 radius, const RwV3d& position);
void RemoveImplantLight(cQXWorld* world);

// The game camera's turn towards a beam's target, and its return to
// following the player.
void AimGameCamera(cQXWorld* world, const RwV3d& target);
void FollowWithGameCamera(cQXWorld* world);

class cBeamImplant : public cImplant, public cClumpRO, public cUpdatable {
 public:
  // The implant model from the file, resting at its offset, drawn late.
  explicit cBeamImplant(const char* modelFile);
  // Leaves the bone and the scene.
  ~cBeamImplant() override;

  // cImplant::Init, then the implant and its timer join the world's update
  // list; the player's model is kept.
  virtual void Init(cQXWorld* world, cAnimModel* playerModel);
  // Starts extending (the target is the beam's; the taser ignores it).
  virtual void Start(const RwV3d& target);
  virtual void Retract();
  // The effect once extended; the end of it.
  virtual void Fire() = 0;
  virtual void Stop(cQXWorld* world, bool cut) = 0;

  // Into the scene, hung under the bone of the player's model at rest.
  void AttachToBone(u32 bone);
  // Off the bone and out of the scene.
  void Detach();

  // The state machine, once a frame.
  bool Update(f32 dt) override;

  u32 GetState() const { return mState; }
  const RwV3d& GetTarget() const { return mTarget; }
  cTimer& GetTimer() { return mTimer; }
  cAnimModel* GetPlayerModel() const { return mPlayerModel; }
  // The implant frame's position in world space.
  RwV3d GetWorldPosition() const;
  // Whether the game camera was turned to the target and not yet returned.
  bool IsCameraAimed() const { return mCameraAimed != 0; }

 protected:
  // Called once the implant is back at rest.
  virtual void OnRetracted() {}
  void SetCameraAimed(bool aimed) { mCameraAimed = aimed ? 1 : 0; }

  u32 mState;
  RwV3d mTarget;
  cAnimModel* mPlayerModel;  // not owned
  cTimer mTimer;             // milliseconds; the mark is set when the effect starts
  RwV3d mRestOffset;
  RwV3d mVelocity;
  f32 mExtension;
  u8 mCameraAimed;

 private:
  // The offset from rest of the model frame.
  f32 DistanceFromRest() const;
  // The world's player's action state; standing without a player.
  u32 PlayerActionState() const;
  void Move(f32 dt, f32 sign);
};

// The laser and the EDS: implants whose beam reaches the device ahead. The
// game camera turns to the target while the beam acts; the implant light
// in the implant's colour and a looping sound go with the beam.
class cPanelBeamImplant : public cBeamImplant {
 public:
  cPanelBeamImplant(const char* modelFile, u32 index, const char* sound, const tRGBAf& colour);
  // The light goes out and the sound stops.
  ~cPanelBeamImplant() override;

  // The beam joins the world's update list and loads its particles.
  void Init(cQXWorld* world, cAnimModel* playerModel) override;
  void Start(const RwV3d& target) override;
  void Fire() override;
  void Stop(cQXWorld* world, bool cut) override;

  cSndEngWin& GetSound() { return mSound; }

 protected:
  void OnRetracted() override;
  // The beam: its update client, its set-up in the world, shown from the
  // origin to the target, and ended (with cut its particles go at once).
  virtual cUpdatable* Beam() = 0;
  virtual void LoadBeam(cQXWorld* world) = 0;
  virtual void ShowBeam(const RwV3d& origin, const RwV3d& target) = 0;
  virtual void EndBeam(cQXWorld* world, bool cut) = 0;

 private:
  cSndEngWin mSound;
  tRGBAf mColour;
};
