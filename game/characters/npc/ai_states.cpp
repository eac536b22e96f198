// The state table's objects by slot and their checkpoint fields.
#include "game/characters/npc/ai_states.h"

#include "game/characters/npc/ai_states_alert.h"
#include "game/characters/npc/ai_states_attack.h"
#include "game/characters/npc/ai_states_fall.h"
#include "game/characters/npc/ai_states_walk.h"
#include "game/characters/npc/npc.h"

cAiState* CreateAiState(u32 state, cNpc* owner) {
  switch (state) {
    case kAiStateOpenDoor:
      return new cAiState_OpenDoor(owner);
    case kAiStatePatrol:
      return new cAiState_Patrol(owner);
    case kAiStateLookAround:
      return new cAiState_LookAround(owner);
    case kAiStateSearch:
      return new cAiState_Search(owner);
    case kAiStateChase:
      return new cAiState_Chase(owner);
    case kAiStateShotPause:
      return new cAiState_ShotPause(owner);
    case kAiStateShoot:
      return new cAiState_Shoot(owner);
    case kAiStateLightning:
      return new cAiState_Lightning(owner);
    case kAiStateKnockedDown:
      return new cAiState_KnockedDown(owner);
    case kAiStateDead:
      return new cAiState_Dead(owner);
    case kAiStatePanic:
      return new cAiState_Panic(owner);
    case kAiStateShockAttack:
      return new cAiState_ShockAttack(owner);
    default:
      return nullptr;
  }
}

namespace {

template <class T>
T* StateOf(cNpc* npc, u32 state) {
  return static_cast<T*>(npc->GetStateObject(state));
}

}  // namespace

void SaveStateFields(cNpc* npc, tNpcCheckpoint* c) {
  c->lookLoops = StateOf<cAiState_LookAround>(npc, kAiStateLookAround)->GetLoops();
  const auto* search = StateOf<cAiState_Search>(npc, kAiStateSearch);
  c->searchPosition = search->GetLastPosition();
  c->searchTimer = search->GetTimer();
  const auto* chase = StateOf<cAiState_Chase>(npc, kAiStateChase);
  c->chasePosition = chase->GetLastPosition();
  c->chaseTimer = chase->GetTimer();
  c->pauseReturnState = StateOf<cAiState_ShotPause>(npc, kAiStateShotPause)->GetReturnState();
  const auto* shoot = StateOf<cAiState_Shoot>(npc, kAiStateShoot);
  c->openingShot = shoot->IsOpeningShot() ? 1 : 0;
  c->shotsLeft = shoot->GetShotsLeft();
}

void RestoreStateFields(cNpc* npc, const tNpcCheckpoint& c) {
  StateOf<cAiState_LookAround>(npc, kAiStateLookAround)->SetLoops(c.lookLoops);
  auto* search = StateOf<cAiState_Search>(npc, kAiStateSearch);
  search->SetLastPosition(c.searchPosition);
  search->SetTimer(c.searchTimer);
  auto* chase = StateOf<cAiState_Chase>(npc, kAiStateChase);
  chase->SetLastPosition(c.chasePosition);
  chase->SetTimer(c.chaseTimer);
  StateOf<cAiState_ShotPause>(npc, kAiStateShotPause)->SetReturnState(c.pauseReturnState);
  auto* shoot = StateOf<cAiState_Shoot>(npc, kAiStateShoot);
  shoot->SetOpeningShot(c.openingShot != 0);
  shoot->SetShotsLeft(c.shotsLeft);
}
