// First-fit-from-the-lowest-free-block heap with 32-byte blocks, carved from
// one caller-owned block; the resource arena keeps its entries in it.
#pragma once

#include "engine/src/plcore/base_types.h"

// Header in front of every block's data; exactly one alignment unit.
struct RwResHeapBlock;
struct RwResHeap {
  RwResHeapBlock* first;
  RwResHeapBlock* freeHint;  // lowest free block, or null when none is free
};

struct RwResHeapBlock {
  RwResHeap* heap;
  RwResHeapBlock* next;
  RwResHeapBlock* prev;
  RwUInt32 size;   // bytes of data behind the header, a multiple of kResHeapAlignment
  RwUInt32 flags;  // kResHeapBlockUsed
#if UINTPTR_MAX == 0xFFFFFFFFu
  RwUInt32 unused[3];
#endif
};

constexpr RwUInt32 kResHeapAlignment = 32;
constexpr RwUInt32 kResHeapBlockUsed = 0x1;
static_assert(sizeof(RwResHeapBlock) == kResHeapAlignment, "heap block header must be one alignment unit");

// Places the heap record and one free block covering the rest in the given
// memory. False when the memory cannot hold a block of one alignment unit.
RwBool RwResHeapInit(void* memory, RwUInt32 size);

// The smallest free block that holds size bytes (rounded up to the alignment);
// returns its 32-byte-aligned data, or null when no free block is large enough.
void* RwResHeapAlloc(RwResHeap* heap, RwUInt32 size);

// Returns a block from RwResHeapAlloc; free neighbours merge with it.
void RwResHeapFree(void* data);
