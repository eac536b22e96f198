// Free-list internals that the engine's initialisation chooses between.
#pragma once

#include "engine/src/plcore/memory.h"

// Free-list entry functions of the plain-allocation mode: one memory-function
// call per entry, the list's blocks untouched.
void* _rwFreeListAllocPlain(RwFreeList* list);
RwFreeList* _rwFreeListFreePlain(RwFreeList* list, void* entry);
// Whether lists created from now on preallocate their blocks (default on).
void _rwFreeListSetPreallocation(RwBool preallocate);
