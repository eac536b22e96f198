// The state table's objects by slot and their checkpoint fields.
#include "game/characters/npc/ai_states.h"

#include "game/characters/npc/ai_states_walk.h"
#include "game/characters/npc/npc.h"

cAiState* CreateAiState(u32 state, cNpc* owner) {
  switch (state) {
    case kAiStateOpenDoor:
      return new cAiState_OpenDoor(owner);
    case kAiStatePatrol:
      return new cAiState_Patrol(owner);
    default:
      return nullptr;
  }
}

void SaveStateFields(cNpc* npc, tNpcCheckpoint* checkpoint) {
  (void)npc;
  (void)checkpoint;
}

void RestoreStateFields(cNpc* npc, const tNpcCheckpoint& checkpoint) {
  (void)npc;
  (void)checkpoint;
}
