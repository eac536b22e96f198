// Replaceable memory functions and free lists: pools of fixed-size entries
// carved from blocks, each block with a bitmap of used entries. Every free
// list is kept on one chain so that all of them can be purged or destroyed.
#pragma once

#include <cstddef>

#include "engine/src/plcore/base_types.h"

struct RwMemoryFunctions {
  void* (*rwmalloc)(size_t size);
  void (*rwfree)(void* block);
  void* (*rwrealloc)(void* block, size_t size);
  void* (*rwcalloc)(size_t count, size_t size);
};

// Free-list flags.
constexpr RwUInt32 kRwFreeListStatic = 0x1;        // record is caller storage, never freed
constexpr RwUInt32 kRwFreeListReleaseEmpty = 0x2;  // emptied blocks are released (all lists)

// Entries are aligned to at least this many bytes, whatever the caller asks.
constexpr RwUInt32 kRwFreeListMinimumAlignment = 8;

// The index that finds a list's blocks without walking them (memory.cpp).
struct RwFreeListIndex;

struct RwFreeList {
  RwUInt32 entrySize;  // requested size rounded up to the alignment
  RwUInt32 entriesPerBlock;
  RwUInt32 bitmapBytes;  // (entriesPerBlock + 7) / 8
  RwUInt32 alignment;
  RwLinkList blockList;  // RwFreeListBlock links, newest first
  RwUInt32 flags;
  RwLLLink chainLink;  // link in the engine's chain of free lists
  // What keeps allocation and release O(1) amortised: ranks that give the
  // block order without a walk, and an index of the blocks, made once the
  // list has more than one block (without it, the blocks are walked).
  RwUInt32 nextRank;  // the rank of the next block linked at the head
  RwFreeListIndex* index;
};

// Head of one block; the used bitmap follows it, then the aligned entries.
struct RwFreeListBlock {
  RwLLLink link;
  RwUInt32 used;        // entries in use
  RwUInt32 rank;        // higher than the rank of every block behind it
  RwUInt32 firstClear;  // every bitmap byte before this one is full
};

typedef void (*RwFreeListCallBack)(void* entry, void* data);

RwFreeList* RwFreeListCreate(RwUInt32 entrySize, RwUInt32 entriesPerBlock, RwUInt32 alignment);
// staticRecord, when given, is caller storage that becomes the list record.
RwFreeList* RwFreeListCreateAndPreallocate(RwUInt32 entrySize, RwUInt32 entriesPerBlock, RwUInt32 alignment,
                                           RwUInt32 blocksToPreallocate, RwFreeList* staticRecord);
RwBool RwFreeListDestroy(RwFreeList* list);
void* RwFreeListAlloc(RwFreeList* list);
// Null when the entry lies in none of the list's blocks.
RwFreeList* RwFreeListFree(RwFreeList* list, void* entry);
// Releases blocks without a used entry (keeping one); bytes released as blocks x entry size.
RwInt32 RwFreeListPurge(RwFreeList* list);
// The callback may free the entry it is given.
RwFreeList* RwFreeListForAllUsed(RwFreeList* list, RwFreeListCallBack callBack, void* data);
RwInt32 RwFreeListPurgeAllFreeLists(void);

RwBool RwMemoryOpen(const RwMemoryFunctions* functions);
void RwMemoryClose(void);

// Frees a block that the engine's memory functions allocated; null is ignored.
void EngineFree(void* block);
