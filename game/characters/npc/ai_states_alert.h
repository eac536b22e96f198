// The AI states of an NPC that noticed something: looking around, walking
// to where the target was seen, and running after it until it is in range
// of the shooting states.
#pragma once

#include "game/characters/npc/ai_state.h"
#include "game/characters/npc/v2d.h"

class cAiState_LookAround : public cAiState {
 public:
  explicit cAiState_LookAround(cNpc* owner) : cAiState(owner), mLoops(0.0f) {}

  void Enter() override;
  void Leave() override;
  // LOOKAROUND_ANIMLOOP cycles of the look, then back to patrol; a switch
  // by perception keeps the count for the next visit.
  void Update(f32 dt) override;

  f32 GetLoops() const { return mLoops; }
  void SetLoops(f32 loops) { mLoops = loops; }

 private:
  f32 mLoops;  // completed cycles
};

// Search (walking) and chase (running) share a last known target position
// and a timer.
class cAiState_Pursuit : public cAiState {
 public:
  explicit cAiState_Pursuit(cNpc* owner) : cAiState(owner), mLastPosition{0.0f, 0.0f}, mTimer(0.0f) {}

  void Leave() override;

  const tV2d& GetLastPosition() const { return mLastPosition; }
  void SetLastPosition(const tV2d& position) { mLastPosition = position; }
  f32 GetTimer() const { return mTimer; }
  void SetTimer(f32 seconds) { mTimer = seconds; }

 protected:
  // The common start: sight set, alerted, timer 0, the target's position
  // planned near with the gait; a failed plan turns the NPC round into
  // patrol. False when the plan failed.
  bool Start(u32 sightSet, bool run);

  tV2d mLastPosition;
  f32 mTimer;  // seconds
};

class cAiState_Search : public cAiState_Pursuit {
 public:
  explicit cAiState_Search(cNpc* owner) : cAiState_Pursuit(owner) {}

  void Enter() override;
  // The timer stands still in a frame whose perception switched the state.
  void Update(f32 dt) override;
};

class cAiState_Chase : public cAiState_Pursuit {
 public:
  explicit cAiState_Chase(cNpc* owner) : cAiState_Pursuit(owner) {}

  // Opens fire at once when the route would first lead away from the
  // target.
  void Enter() override;
  // The timer runs while the target is out of sight.
  void Update(f32 dt) override;
};
