// The base of the NPCs' AI states: the object in one slot of an NPC's state
// table, entered and left by the NPC's state switch and updated once a frame
// while it is the current state.
#pragma once

#include "game/foundation/types.h"

class cNpc;

// State slots; kAiStateNone is the state of a new NPC.
enum eAiState : u32 {
  kAiStateOpenDoor = 0,
  kAiStatePatrol = 3,
  kAiStateLookAround = 4,
  kAiStateSearch = 5,
  kAiStateChase = 6,
  kAiStateShotPause = 7,
  kAiStateShoot = 8,
  kAiStateLightning = 9,
  kAiStateKnockedDown = 10,
  kAiStateDead = 11,
  kAiStatePanic = 12,
  kAiStateShockAttack = 13,
  kAiStateNone = 14,
};
constexpr u32 kAiStateCount = 14;

class cAiState {
 public:
  explicit cAiState(cNpc* owner) : mOwner(owner) {}
  virtual ~cAiState() {}

  cAiState(const cAiState&) = delete;
  cAiState& operator=(const cAiState&) = delete;

  virtual void Enter() {}
  virtual void Leave() {}
  virtual void Update(f32 dt) { (void)dt; }

  cNpc* GetOwner() const { return mOwner; }

 protected:
  cNpc* mOwner;
};
