// The AI states of an NPC in trouble or down: a civilian's panic run, the
// fall after a dart or taser hit, the body lying dead, and the close shock
// attack.
#pragma once

#include "game/characters/npc/ai_state.h"

// A boss falls on this knock-down hit; the ones before send it chasing.
constexpr u32 kBossKnockDownsToFall = 4;
// The shock attack reaches this far, and shocks for this long.
constexpr f32 kShockAttackReach = 2.0f;
constexpr f32 kShockAttackSeconds = 5.0f;

class cAiState_Panic : public cAiState {
 public:
  explicit cAiState_Panic(cNpc* owner) : cAiState(owner), mTimer(0.0f) {}

  // Runs to the graph's first node, alerted.
  void Enter() override;
  // Back to patrol after PANIC_WAYPOINTTIME; no perception meanwhile.
  void Update(f32 dt) override;

  f32 GetTimer() const { return mTimer; }

 private:
  f32 mTimer;  // seconds
};

class cAiState_KnockedDown : public cAiState {
 public:
  explicit cAiState_KnockedDown(cNpc* owner) : cAiState(owner) {}

  // The NPC falls and is alive no more; a boss only counts the hit.
  void Enter() override;
  // Dead once a fall animation finished; a boss chases until its fourth hit.
  void Update(f32 dt) override;
};

class cAiState_Dead : public cAiState {
 public:
  explicit cAiState_Dead(cNpc* owner) : cAiState(owner) {}

  // The body settles and may be searched.
  void Enter() override;
};

class cAiState_ShockAttack : public cAiState {
 public:
  explicit cAiState_ShockAttack(cNpc* owner) : cAiState(owner) {}

  void Enter() override;
  // A shock on a target within reach every SHOOT_PERIOD; farther, the guns.
  void Update(f32 dt) override;
};
