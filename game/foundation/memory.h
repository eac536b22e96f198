// The game's global operator new and delete: the rendering engine's memory
// functions while the engine is open, the C runtime before and after.
#pragma once

#include <cstddef>

#include "game/foundation/types.h"

// What the global operator new and delete call. GameAllocate ends the game
// with FatalError when memory is exhausted (the game has no exceptions);
// GameTryAllocate returns null then. caller is the code that asked (the
// operators pass their return address): only the program's own code is
// served by the engine. The operators are the whole process's, so the
// libraries below the platform (the OpenGL driver's shader compiler, the C++
// run-time library's own code) reach them too; their blocks, which they may
// keep until the process ends, come from the C runtime and never lie in the
// engine's pools.
void* GameAllocate(size_t size, const void* caller);
void* GameTryAllocate(size_t size, const void* caller);
void GameRelease(void* block);

// Set at the end of a successful engine open, cleared before the engine
// closes. While it is set, operator new and delete call the memory functions
// of the engine instance (the game's own hooks, which fall back to the C
// runtime for blocks they did not hand out).
void SetEngineOpenFlag(bool open);
bool GetEngineOpenFlag();

// While the engine is closed, blocks are released through this function
// instead of the C runtime (null: the C runtime). Memory that outlives the
// engine (pooled blocks that other libraries still hold) is released here.
void SetLateRelease(void (*release)(void* block));
