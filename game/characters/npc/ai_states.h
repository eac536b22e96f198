// The NPC's state table: the object of each slot, and the fields of the
// states that a checkpoint keeps.
#pragma once

#include "game/characters/npc/ai_state.h"

struct tNpcCheckpoint;

// The state object of a slot; null for a slot that holds none.
cAiState* CreateAiState(u32 state, cNpc* owner);
// The states' own fields into the checkpoint record, and back.
void SaveStateFields(cNpc* npc, tNpcCheckpoint* checkpoint);
void RestoreStateFields(cNpc* npc, const tNpcCheckpoint& checkpoint);
