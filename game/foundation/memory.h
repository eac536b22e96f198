// The game's global operator new and delete: the rendering engine's memory
// functions while the engine is open, the C runtime before and after.
#pragma once

#include "game/foundation/types.h"

// Set at the end of a successful engine open, cleared before the engine
// closes.
void SetEngineOpenFlag(bool open);
bool GetEngineOpenFlag();
