// Free-list internals: the plain-allocation entry functions that the engine's
// initialisation chooses between, the block layout, and the index that finds
// blocks without walking the block list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/src/plcore/memory.h"

// Free-list entry functions of the plain-allocation mode: one memory-function
// call per entry, the list's blocks untouched.
void* _rwFreeListAllocPlain(RwFreeList* list);
RwFreeList* _rwFreeListFreePlain(RwFreeList* list, void* entry);
// Up to count entries that follow each other in one block (entrySize bytes
// apart), in the order single allocations would take them; *taken tells how
// many. Null (none taken) when memory runs out. Each is freed on its own.
void* _rwFreeListAllocRun(RwFreeList* list, RwUInt32 count, RwUInt32* taken);
// Up to count records in a row, entrySize bytes apart (*taken of them),
// each freed on its own with RwFreeListEntryFree: a run from one block when
// the engine uses its free lists, else a single record. Null when memory
// runs out.
void* _rwFreeListEntryAllocRun(RwFreeList* list, RwUInt32 count, RwUInt32* taken);
// Whether lists created from now on preallocate their blocks (default on).
void _rwFreeListSetPreallocation(RwBool preallocate);
// Calls back with every free list on the engine's chain, newest first, and
// the number of its entries in use (the list of list records is not on it).
typedef void (*RwFreeListCensusCallBack)(const RwFreeList* list, RwUInt32 used, void* data);
void _rwFreeListForAllLists(RwFreeListCensusCallBack callBack, void* data);

// The used bitmap of a block, right behind its head.
inline RwUInt8* _rwFreeListBlockBitmap(RwFreeListBlock* block) { return reinterpret_cast<RwUInt8*>(block + 1); }

// The first entry of a block: the first aligned address after its bitmap.
inline RwUInt8* _rwFreeListBlockFirstEntry(const RwFreeList* list, RwFreeListBlock* block) {
  const uintptr_t bitmapEnd = reinterpret_cast<uintptr_t>(_rwFreeListBlockBitmap(block) + list->bitmapBytes);
  const uintptr_t alignment = list->alignment;
  return reinterpret_cast<RwUInt8*>((bitmapEnd + alignment - 1) / alignment * alignment);
}

// Bytes of one block allocation, or 0 when the size does not fit in memory.
size_t _rwFreeListBlockBytes(const RwFreeList* list);

// The free-list index: which blocks have a clear entry, by rank, and which
// block holds an address. Every function keeps it exactly in step with the
// block list; a list without an index walks its blocks instead.
//
// Makes the index hold every block of the list (ranks renumbered in list
// order) with room for extraBlocks more; false when its memory cannot be had,
// the list then has no index.
RwBool _rwFreeListIndexBuild(RwFreeList* list, RwUInt32 extraBlocks);
// Whether a block with the list's next rank can be added without a build.
RwBool _rwFreeListIndexHasRoom(const RwFreeList* list);
void _rwFreeListIndexDestroy(RwFreeList* list);
// A block just linked at the head (its rank the newest) or about to be unlinked.
void _rwFreeListIndexAddBlock(RwFreeList* list, RwFreeListBlock* block);
void _rwFreeListIndexRemoveBlock(RwFreeList* list, RwFreeListBlock* block);
// Records whether the block has a clear entry.
void _rwFreeListIndexSetOpen(RwFreeList* list, RwFreeListBlock* block, RwBool open);
// The first block in list order with a clear entry, or null.
RwFreeListBlock* _rwFreeListIndexFirstOpen(const RwFreeList* list);
// The block whose entry range holds the address, or null.
RwFreeListBlock* _rwFreeListIndexFind(const RwFreeList* list, const void* address);
