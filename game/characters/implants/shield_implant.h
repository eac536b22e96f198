// The shield implant: while on, the player is tinted blue, the camera's
// light turns blue and the energy drains every second; a guard's shot from
// the front is blocked with a reaction and a burst of particles.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/implants/implant.h"
#include "game/foundation/updatable.h"

class cMultiParticleSystem;

enum eShieldState : u32 {
  kShieldOff = 0,
  kShieldOn = 1,
  kShieldBlockRequested = 2,
  kShieldBlockWaiting = 3,
  kShieldBlocking = 4,
  kShieldBlockEnd = 5,
};

constexpr char kShieldSound[] = "sfx/im_shield";
constexpr char kShieldBlockParticles[] = "data/implants/particles_gunblock.txt";
// The player's block reaction.
constexpr u32 kShieldBlockAnim = 21;
// Seconds the block lasts once its animation plays.
constexpr f32 kShieldBlockSeconds = 0.1f;
// The block's particles burst this high above the player's feet.
constexpr f32 kShieldBlockHeight = 1.7f;

class cShieldImplant : public cImplant, public cUpdatable {
 public:
  cShieldImplant();
  // The sound stops; the block particles go.
  ~cShieldImplant() override;

  // Keeps the world, joins its update list and loads the looping sound.
  void BindToWorld(cQXWorld* world);
  // With the cost at most the energy: sound, on, the player blue, the
  // camera light blue; else the refusal cue.
  void Start();
  // Off from any state: sound, block reaction and particles end, the
  // player's colour and the camera's light come back.
  void Stop();
  // A shot from the front was blocked: the reaction starts.
  void Block();
  // Pays a frame's drain, or switches off when the energy falls short.
  void Drain(f32 dt);
  bool Update(f32 dt) override;
  void SpawnBlockParticles();

  bool IsActive() const { return mState != kShieldOff; }
  u32 GetState() const { return mState; }
  cMultiParticleSystem* GetBlockParticles() const { return mBlockParticles; }
  cSndEngWin& GetSound() { return mSound; }

 private:
  f32 mBlockTimer;                        // seconds
  cMultiParticleSystem* mBlockParticles;  // owned
  cSndEngWin mSound;
  u32 mState;
};
