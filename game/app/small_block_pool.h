// The game's memory hooks for the engine: small blocks (up to 4096 bytes)
// come from ten engine free lists, one per power-of-two size class, and a
// hashed pointer table remembers which class each handed-out block belongs to,
// so that frees need no header in the block. Everything else goes to the C
// runtime.
#pragma once

#include <cstddef>

#include "engine/engine.h"
#include "game/foundation/types.h"

constexpr u32 kPoolClassCount = 10;
constexpr u32 kPoolSmallestBlock = 8;
constexpr u32 kPoolLargestBlock = 4096;
constexpr u32 kPoolBytesPerFreeListBlock = 16384;
constexpr u32 kPoolMaximumAlignment = 64;
constexpr u32 kPoolHashMask = 0x3FFF;
constexpr u32 kPoolHashOffset = 12;
constexpr u32 kPoolTableSize = 16384 + 24;
constexpr u32 kPoolProbeCount = 23;  // d = 0, +1, -1, ..., +11, -11
constexpr u32 kPoolLiveLimit = 8204;

// The hook table handed to the engine: PoolMalloc, PoolFree, PoolRealloc,
// PoolCalloc.
const RwMemoryFunctions* InstallMemoryHooks();

void* PoolMalloc(size_t size);
void PoolFree(void* block);
void* PoolRealloc(void* block, size_t size);
void* PoolCalloc(size_t count, size_t size);

// Class k serves blocks of 2^(k + 3) bytes; -1 above the largest class.
s32 PoolSizeClass(size_t size);
u32 PoolClassSize(u32 sizeClass);
// The table slot a block's probes start at.
u32 PoolHash(const void* block);
// The table slot that records block, or -1.
s32 PoolFindPointer(const void* block);
// The size class of a recorded block, or -1 for any other block.
s32 PoolBlockClass(const void* block);

// Create the free lists at the end of engine start; destroy them when the
// engine closes. The lists' own memory comes from the C runtime. Every
// object the game made is gone by then; a block still held is a leak, traced
// and counted (GetPoolBlocksKept), and keeps the pools until the program
// ends, so that its holder never writes into freed memory; releasing one
// later only forgets it.
bool CreateSmallBlockPools();
void DestroySmallBlockPools();
// New small requests go to the pools only between these two; blocks handed
// out earlier return to their lists whenever they are freed.
void EnableSmallBlockPools();
void DisableSmallBlockPools();

// State, for tracing and tests.
u32 GetPoolLiveCount();
// The blocks still held when the pools were to be destroyed (0 when they
// could be); kept for the rest of the program.
u32 GetPoolBlocksKept();
u32 GetPoolBytes();
// The free list of the size class; null while the pools are not set up.
const RwFreeList* GetPoolFreeList(u32 sizeClass);
bool ArePoolsSetUp();
bool ArePoolsEnabled();
