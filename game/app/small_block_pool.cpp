// Small-block pools behind the engine's memory functions.
#include "game/app/small_block_pool.h"

#include <cstdlib>
#include <cstring>

#include "game/foundation/fatal_error.h"
#include "game/foundation/memory.h"

namespace {

// One recorded block: the full address and its size class beside it (a
// 64-bit address leaves no spare bits to carry the class in).
struct tPoolSlot {
  void* block;  // null: free
  u32 sizeClass;
};

RwFreeList* sFreeLists[kPoolClassCount];
tPoolSlot sTable[kPoolTableSize];
u32 sLiveCount = 0;
u32 sPoolBytes = 0;
bool sSetUp = false;
bool sEnabled = false;
// Set when the pools outlived the engine because blocks were still held (a
// leak): a block released then is dropped from the table, its entry never
// reused, the lists never freed.
bool sRetired = false;
u32 sKeptCount = 0;
// Set while a hook works on the pools themselves; what the C runtime gives
// then is the lists' own memory, recorded so that retired pools keep it.
bool sInPoolWork = false;
constexpr u32 kBackingLimit = 512;
void* sBacking[kBackingLimit];
u32 sBackingCount = 0;

void RecordBacking(void* block) {
  if (block != nullptr && sBackingCount < kBackingLimit) {
    sBacking[sBackingCount++] = block;
  }
}

// The record of the lists' memory holding block; -1 for other memory.
s32 FindBacking(const void* block) {
  for (u32 i = 0; i < sBackingCount; i++) {
    if (sBacking[i] == block) {
      return static_cast<s32>(i);
    }
  }
  return -1;
}

const RwMemoryFunctions kHooks = {PoolMalloc, PoolFree, PoolRealloc, PoolCalloc};

// Probe order around the start slot: 0, +1, -1, +2, -2, ... +11, -11.
s32 ProbeOffset(u32 probe) {
  const s32 step = static_cast<s32>((probe + 1) / 2);
  return (probe % 2 == 1) ? step : -step;
}

u32 ProbeSlot(u32 start, u32 probe) { return static_cast<u32>(static_cast<s32>(start) + ProbeOffset(probe)); }

// The free lists allocate through these same hooks; while a hook works, the
// pools are switched off so that those allocations go to the C runtime.
class cPoolsOff {
 public:
  cPoolsOff() : mWasEnabled(sEnabled), mWasInWork(sInPoolWork) {
    sEnabled = false;
    sInPoolWork = true;
  }
  ~cPoolsOff() {
    sEnabled = mWasEnabled;
    sInPoolWork = mWasInWork;
  }

 private:
  bool mWasEnabled;
  bool mWasInWork;
};

void* TakeFromPools(size_t size) {
  if (sLiveCount >= kPoolLiveLimit) {
    return malloc(size);
  }
  const s32 sizeClass = PoolSizeClass(size);
  if (sizeClass < 0) {
    return malloc(size);
  }
  RwFreeList* list = sFreeLists[sizeClass];
  void* block = list != nullptr ? RwFreeListEntryAlloc(list) : nullptr;
  if (block == nullptr) {
    return malloc(size);
  }
  const u32 start = PoolHash(block);
  for (u32 probe = 0; probe < kPoolProbeCount; probe++) {
    tPoolSlot& slot = sTable[ProbeSlot(start, probe)];
    if (slot.block == nullptr) {
      slot.block = block;
      slot.sizeClass = static_cast<u32>(sizeClass);
      sLiveCount++;
      return block;
    }
  }
  RwFreeListEntryFree(list, block);
  return malloc(size);
}

// Gives a recorded block back to its list and clears its slot.
void ReturnToPool(s32 slotIndex) {
  tPoolSlot& slot = sTable[slotIndex];
  if (!sRetired) {
    RwFreeListEntryFree(sFreeLists[slot.sizeClass], slot.block);
  }
  slot.block = nullptr;
  slot.sizeClass = 0;
  sLiveCount--;
}

}  // namespace

const RwMemoryFunctions* InstallMemoryHooks() { return &kHooks; }

s32 PoolSizeClass(size_t size) {
  for (u32 k = 0; k < kPoolClassCount; k++) {
    if (size <= PoolClassSize(k)) {
      return static_cast<s32>(k);
    }
  }
  return -1;
}

u32 PoolClassSize(u32 sizeClass) { return kPoolSmallestBlock << sizeClass; }

u32 PoolHash(const void* block) {
  // Only the low 14 bits of the sum count, so the low 32 bits of the address
  // give the same slot on any pointer width.
  const u32 p = static_cast<u32>(reinterpret_cast<uintptr_t>(block));
  return (((p >> 5) - (p >> 6) + (p >> 4) + (p >> 3)) & kPoolHashMask) + kPoolHashOffset;
}

s32 PoolFindPointer(const void* block) {
  if (block == nullptr) {
    return -1;
  }
  const u32 start = PoolHash(block);
  for (u32 probe = 0; probe < kPoolProbeCount; probe++) {
    const u32 index = ProbeSlot(start, probe);
    if (sTable[index].block == block) {
      return static_cast<s32>(index);
    }
  }
  return -1;
}

s32 PoolBlockClass(const void* block) {
  const s32 slot = PoolFindPointer(block);
  return slot < 0 ? -1 : static_cast<s32>(sTable[slot].sizeClass);
}

void* PoolMalloc(size_t size) {
  if (!sEnabled || !sSetUp || sRetired) {
    void* block = malloc(size);
    if (sInPoolWork) {
      RecordBacking(block);
    }
    return block;
  }
  cPoolsOff off;
  return TakeFromPools(size);
}

void PoolFree(void* block) {
  if (!sSetUp) {
    free(block);
    return;
  }
  cPoolsOff off;
  if (block == nullptr) {
    return;
  }
  const s32 slot = PoolFindPointer(block);
  if (slot >= 0) {
    ReturnToPool(slot);
  } else {
    const s32 backing = FindBacking(block);
    if (backing >= 0 && sRetired) {
      return;  // retired pools keep their memory: blocks may still live in it
    }
    if (backing >= 0) {
      sBacking[backing] = sBacking[--sBackingCount];
    }
    free(block);
  }
}

void* PoolRealloc(void* block, size_t size) {
  if (!sSetUp) {
    return realloc(block, size);
  }
  if (block == nullptr) {
    return PoolMalloc(size);
  }
  const s32 slot = PoolFindPointer(block);
  if (slot < 0) {
    return realloc(block, size);
  }
  const u32 oldSize = PoolClassSize(sTable[slot].sizeClass);
  void* moved = PoolMalloc(size);
  if (moved == nullptr) {
    return nullptr;
  }
  memcpy(moved, block, size < oldSize ? size : oldSize);
  cPoolsOff off;
  // The new block may have taken a slot in the probe range of the old one,
  // but never the old one's slot itself.
  ReturnToPool(slot);
  return moved;
}

void* PoolCalloc(size_t count, size_t size) {
  // A product that does not fit is refused like an exhausted heap.
  if (size != 0 && count > static_cast<size_t>(-1) / size) {
    return nullptr;
  }
  const size_t bytes = count * size;
  void* block = PoolMalloc(bytes);
  if (block != nullptr) {
    memset(block, 0, bytes);
  }
  return block;
}

bool CreateSmallBlockPools() {
  if (sSetUp) {
    return true;
  }
  cPoolsOff off;
  for (u32 k = 0; k < kPoolClassCount; k++) {
    const u32 entrySize = PoolClassSize(k);
    const u32 entries = kPoolBytesPerFreeListBlock / entrySize;
    const u32 alignment = entrySize < kPoolMaximumAlignment ? entrySize : kPoolMaximumAlignment;
    sFreeLists[k] = RwFreeListCreateAndPreallocate(entrySize, entries, alignment, 1, nullptr);
    if (sFreeLists[k] != nullptr) {
      sPoolBytes += entries * entrySize;
    }
  }
  memset(sTable, 0, sizeof(sTable));
  sLiveCount = 0;
  sSetUp = true;
  return true;
}

void DestroySmallBlockPools() {
  sEnabled = false;
  if (!sSetUp) {
    return;
  }
  if (sLiveCount != 0) {
    // Freeing the lists now would pull memory from under its holders.
    DebugTrace("DestroySmallBlockPools : %u blocks still in use; the pools stay\n", sLiveCount);
    sRetired = true;
    sKeptCount = sLiveCount;
    SetLateRelease(PoolFree);
    return;
  }
  for (RwFreeList*& list : sFreeLists) {
    if (list != nullptr) {
      RwFreeListDestroy(list);
      list = nullptr;
    }
  }
  memset(sTable, 0, sizeof(sTable));
  sLiveCount = 0;
  sPoolBytes = 0;
  sBackingCount = 0;
  sSetUp = false;
}

void EnableSmallBlockPools() { sEnabled = true; }
void DisableSmallBlockPools() { sEnabled = false; }

u32 GetPoolLiveCount() { return sLiveCount; }
u32 GetPoolBlocksKept() { return sKeptCount; }
u32 GetPoolBytes() { return sPoolBytes; }
const RwFreeList* GetPoolFreeList(u32 sizeClass) {
  return sSetUp && sizeClass < kPoolClassCount ? sFreeLists[sizeClass] : nullptr;
}
bool ArePoolsSetUp() { return sSetUp; }
bool ArePoolsEnabled() { return sEnabled; }
