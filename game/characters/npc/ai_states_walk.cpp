// States 3 (patrol) and 0 (door opening).
#include "game/characters/npc/ai_states_walk.h"

#include "game/characters/npc/npc.h"
#include "game/foundation/fatal_error.h"
#include "game/render/models/anim_model.h"
#include "game/world/devices/door.h"

void cAiState_Patrol::Enter() {
  mOwner->Walk();
  mOwner->SetAlerted(false);
  mOwner->SetSight(0);
  cRouteFollower& follower = mOwner->GetFollower();
  follower.SetRun(false);
  // Back from opening a door on the way, the patrol walks on through it. A
  // plan from the nearest edge would start at that edge's first node, which
  // may lie behind him: he would walk away and come back to a door shut
  // again, for ever.
  const bool throughDoor = mThroughDoor != 0;
  mThroughDoor = 0;
  if (throughDoor && !follower.IsFinished()) {
    return;
  }
  if (!follower.PlanFromNearestEdge()) {
    DebugTrace("%s", kNoRouteTrace);
  }
  follower.SetRun(false);
}

void cAiState_Patrol::Update(f32 dt) {
  (void)dt;
  if (mOwner->Perceive()) {
    return;
  }
  cRouteFollower& follower = mOwner->GetFollower();
  // Without patrol entries the NPC stands once it is on the graph.
  if (!follower.Step(true) || mOwner->GetState() != kAiStatePatrol) {
    return;
  }
  const cRecordArray<u32>& list = mOwner->GetPatrolList();
  if (list.GetCount() == 0) {
    return;
  }
  mPatrolIndex = mPatrolIndex + 1 >= list.GetCount() ? 0 : mPatrolIndex + 1;
  if (!follower.PlanTo(list[mPatrolIndex])) {
    DebugTrace("%s", kNoRouteTrace);
  }
}

void cAiState_OpenDoor::Enter() {
  mReturnState = mOwner->GetPreviousState();
  mOwner->PlayUse();
  mPhase = 1;
}

void cAiState_OpenDoor::Update(f32 dt) {
  (void)dt;
  if (mOwner->Perceive()) {
    return;
  }
  if (mDoor == nullptr) {
    mOwner->SetState(mReturnState);
    return;
  }
  if (mPhase == 1) {
    if (mOwner->GetModel()->HasWrapped()) {
      mDoor->Use(mOwner->GetLevel(), kTriggerAlways);
      mOwner->Stand();
      mPhase = 0;
    }
  } else if (mDoor->GetState() == kDoorOpen) {
    if (mReturnState == kAiStatePatrol) {
      static_cast<cAiState_Patrol*>(mOwner->GetStateObject(kAiStatePatrol))->WalkOnThroughDoor();
    }
    mOwner->SetState(mReturnState);
  }
}
