// The AI states that only walk: patrolling the WAYPOINTS route (the state
// every NPC starts in and falls back to) and opening a closed door on the
// way before going back to the interrupted state.
#pragma once

#include "game/characters/npc/ai_state.h"

class cDoor;

// The trace a failed patrol plan writes.
constexpr char kNoRouteTrace[] = "Nem talaltam utat!!!_1_ \n";

class cAiState_Patrol : public cAiState {
 public:
  explicit cAiState_Patrol(cNpc* owner) : cAiState(owner), mPatrolIndex(0), mThroughDoor(0) {}

  // Walks, calm, with the patrol sight, onto the nearest edge; back from a
  // door it opened, on along the route it was walking.
  void Enter() override;
  // Perception, then the route; each finished route plans to the next
  // patrol entry.
  void Update(f32 dt) override;

  u32 GetPatrolIndex() const { return mPatrolIndex; }
  void SetPatrolIndex(u32 index) { mPatrolIndex = index; }
  // The door state hands back: the next Enter keeps the unfinished route.
  void WalkOnThroughDoor() { mThroughDoor = 1; }

 private:
  u32 mPatrolIndex;
  u8 mThroughDoor;
};

class cAiState_OpenDoor : public cAiState {
 public:
  explicit cAiState_OpenDoor(cNpc* owner) : cAiState(owner), mDoor(nullptr), mReturnState(0), mPhase(0) {}

  void Enter() override;
  // Plays the use animation, uses the door, waits for it to open.
  void Update(f32 dt) override;

  cDoor* GetDoor() const { return mDoor; }
  void SetDoor(cDoor* door) { mDoor = door; }
  u32 GetReturnState() const { return mReturnState; }
  u8 GetPhase() const { return mPhase; }

 private:
  cDoor* mDoor;  // not owned
  u32 mReturnState;
  u8 mPhase;  // 1 while the use animation plays, 0 while the door opens
};
