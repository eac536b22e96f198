// The game's global operator new and delete: the rendering engine's memory
// functions while the engine is open, the C runtime before and after.
#pragma once

#include "game/foundation/types.h"

// Set at the end of a successful engine open, cleared before the engine
// closes. While it is set, operator new and delete call the memory functions
// of the engine instance (the game's own hooks, which fall back to the C
// runtime for blocks they did not hand out).
void SetEngineOpenFlag(bool open);
bool GetEngineOpenFlag();
