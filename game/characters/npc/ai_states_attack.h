// The attacking AI states of guards and gangsters: gun fire in bursts with
// pauses between them, and a boss's lightning discharge; and how a gun hit
// hurts the player.
#pragma once

#include "game/characters/npc/ai_state.h"
#include "game/characters/npc/npc_settings.h"

class cManBody;

// A burst: shots left counts hits from this down below 0.
constexpr s32 kBurstShots = 6;

// What one gun shot at ground distance d does.
struct tShot {
  bool inRange;  // within the shooting range: damage and success by distance
  f32 damage;    // health, negative
  f32 success;   // hit chance 0..1
};

class cAiState_Shoot : public cAiState {
 public:
  explicit cAiState_Shoot(cNpc* owner)
      : cAiState(owner), mOpeningShot(0), mShotsLeft(kBurstShots), mDistanceLimit(0.0f) {}

  // The damage and hit chance at ground distance d within the range, with
  // the NPC's own distance limit.
  static tShot ComputeShot(f32 d, f32 range, f32 distanceLimit, const tNpcSettings& settings);

  void Enter() override;
  void Leave() override;
  void Update(f32 dt) override;
  // A gun hit on the player: LOOSER, the hard factor, the hidden mode; the
  // sound, the hit flash, the count and the flinch in any case.
  void HurtPlayer(f32 amount);

  bool IsOpeningShot() const { return mOpeningShot != 0; }
  void SetOpeningShot(bool opening) { mOpeningShot = opening ? 1 : 0; }
  s32 GetShotsLeft() const { return mShotsLeft; }
  void SetShotsLeft(s32 shots) { mShotsLeft = shots; }
  // SHOOT_DIST_LIMIT as this NPC uses it now; opening shots widen it.
  f32 GetDistanceLimit() const { return mDistanceLimit; }

 private:
  // Muzzle, impact or block effects and the damage of a shot that hit.
  void Hit(cManBody* target, f32 damage);

  u8 mOpeningShot;
  s32 mShotsLeft;
  f32 mDistanceLimit;
};

class cAiState_ShotPause : public cAiState {
 public:
  explicit cAiState_ShotPause(cNpc* owner) : cAiState(owner), mReturnState(kAiStateShoot) {}

  void Enter() override;
  // Faces the target until the pause animation completes a cycle.
  void Update(f32 dt) override;

  u32 GetReturnState() const { return mReturnState; }
  void SetReturnState(u32 state) { mReturnState = state; }

 private:
  u32 mReturnState;
};

class cAiState_Lightning : public cAiState {
 public:
  explicit cAiState_Lightning(cNpc* owner) : cAiState(owner) {}

  void Enter() override;
  // A bolt every second period within half of SHOOT_DIST_LIMIT; it always
  // hits.
  void Update(f32 dt) override;
};
