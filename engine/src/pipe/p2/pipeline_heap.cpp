// The pipeline heap: superblocks cut into blocks, each led by a 32-byte header,
// with sentinel headers at both ends of every superblock and an unsorted array
// of free entries. Freeing merges a block with its free neighbours.
#include <cstring>

#include "engine/src/pipe/p2/pipeline_private.h"

namespace {

struct HeapFreeEntry;

struct HeapBlockHeader {
  HeapBlockHeader* prev;
  HeapBlockHeader* next;
  RwUInt32 size;  // payload bytes after the header
  RwUInt32 padding;
  HeapFreeEntry* freeEntry;  // non-null exactly when the block is free
};

struct HeapFreeEntry {
  RwUInt32 size;
  HeapBlockHeader* block;
};

struct SuperBlock {
  RwUInt8* dataStart;  // aligned to kSuperBlockAlign
  RwUInt32 size;
  SuperBlock* next;
};

constexpr RwUInt32 kHeader = 32;
constexpr RwUInt32 kSuperBlockAlign = 128;
constexpr RwUInt32 kMinimumHeapSize = 1024;
constexpr RwUInt32 kMaximumHeapSize = 0x80000000u;
constexpr RwUInt32 kFreeEntryGrowth = 32;
static_assert(sizeof(HeapBlockHeader) <= kHeader, "block headers are 32 bytes");

}  // namespace

struct RwPipelineHeap {
  RwUInt32 superBlockSize;
  SuperBlock* head;
  HeapBlockHeader* headBlock;
  HeapFreeEntry* freeEntries;
  RwUInt32 freeEntryCapacity;
  RwUInt32 freeEntryCount;
  RwUInt32 dirty;
};

namespace {

HeapBlockHeader* HeaderAt(RwUInt8* address) { return reinterpret_cast<HeapBlockHeader*>(address); }

RwUInt8* Payload(HeapBlockHeader* block) { return reinterpret_cast<RwUInt8*>(block) + kHeader; }

HeapBlockHeader* EndSentinel(const SuperBlock* superBlock) {
  return HeaderAt(superBlock->dataStart + superBlock->size);
}

bool RecordFreeEntry(RwPipelineHeap* heap, HeapBlockHeader* block) {
  if (heap->freeEntryCount == heap->freeEntryCapacity) {
    const RwUInt32 capacity = heap->freeEntryCapacity + kFreeEntryGrowth;
    auto* entries = static_cast<HeapFreeEntry*>(PipeRealloc(heap->freeEntries, sizeof(HeapFreeEntry) * capacity));
    if (entries == nullptr) {
      PipeError(kCoreErrorOutOfMemory);
      return false;
    }
    heap->freeEntries = entries;
    heap->freeEntryCapacity = capacity;
    for (RwUInt32 i = 0; i < heap->freeEntryCount; ++i) {
      entries[i].block->freeEntry = &entries[i];
    }
  }
  HeapFreeEntry* entry = &heap->freeEntries[heap->freeEntryCount++];
  entry->size = block->size;
  entry->block = block;
  block->freeEntry = entry;
  return true;
}

void RemoveFreeEntry(RwPipelineHeap* heap, HeapFreeEntry* entry) {
  entry->block->freeEntry = nullptr;
  HeapFreeEntry* last = &heap->freeEntries[heap->freeEntryCount - 1];
  if (entry != last) {
    *entry = *last;
    entry->block->freeEntry = entry;
  }
  heap->freeEntryCount--;
}

// Lays out one superblock: start sentinel, one free block, end sentinel.
bool InitializeSuperBlock(RwPipelineHeap* heap, SuperBlock* superBlock, SuperBlock* previous) {
  HeapBlockHeader* start = HeaderAt(superBlock->dataStart);
  HeapBlockHeader* block = HeaderAt(superBlock->dataStart + kHeader);
  HeapBlockHeader* end = EndSentinel(superBlock);
  std::memset(start, 0, kHeader);
  std::memset(block, 0, kHeader);
  std::memset(end, 0, kHeader);
  start->next = block;
  block->prev = start;
  block->next = end;
  block->size = superBlock->size - 2 * kHeader;
  end->prev = block;
  if (previous != nullptr) {
    HeapBlockHeader* previousEnd = EndSentinel(previous);
    previousEnd->next = start;
    start->prev = previousEnd;
  }
  return RecordFreeEntry(heap, block);
}

SuperBlock* CreateSuperBlock(RwUInt32 size) {
  // Room for the header, the alignment slack, the data and the end sentinel.
  const size_t bytes = sizeof(SuperBlock) + kSuperBlockAlign - 1 + size + kHeader;
  auto* superBlock = static_cast<SuperBlock*>(PipeMalloc(bytes));
  if (superBlock == nullptr) {
    return nullptr;
  }
  const uintptr_t dataEnd = reinterpret_cast<uintptr_t>(superBlock + 1);
  const uintptr_t aligned = (dataEnd + kSuperBlockAlign - 1) & ~static_cast<uintptr_t>(kSuperBlockAlign - 1);
  superBlock->dataStart = reinterpret_cast<RwUInt8*>(aligned);
  superBlock->size = size;
  superBlock->next = nullptr;
  return superBlock;
}

}  // namespace

RwPipelineHeap* RwHeapCreate(RwUInt32 size) {
  if (size < kMinimumHeapSize) {
    size = kMinimumHeapSize;
  }
  if (size > kMaximumHeapSize) {
    PipeError(kCoreErrorOutOfMemory);  // rounding up would wrap to an empty superblock
    return nullptr;
  }
  auto* heap = static_cast<RwPipelineHeap*>(PipeMalloc(sizeof(RwPipelineHeap)));
  if (heap == nullptr) {
    PipeError(kCoreErrorOutOfMemory);
    return nullptr;
  }
  std::memset(heap, 0, sizeof(*heap));
  heap->dirty = 1;
  heap->superBlockSize = (size + 31) & ~31u;
  heap->head = CreateSuperBlock(heap->superBlockSize);
  if (heap->head == nullptr) {
    PipeError(kCoreErrorOutOfMemory);
    PipeFree(heap);
    return nullptr;
  }
  heap->headBlock = HeaderAt(heap->head->dataStart);
  if (!InitializeSuperBlock(heap, heap->head, nullptr)) {
    RwHeapDestroy(heap);
    return nullptr;
  }
  heap->dirty = 0;
  return heap;
}

void RwHeapDestroy(RwPipelineHeap* heap) {
  if (heap == nullptr) {
    return;
  }
  PipeFree(heap->freeEntries);
  SuperBlock* superBlock = heap->head;
  while (superBlock != nullptr) {
    SuperBlock* next = superBlock->next;
    PipeFree(superBlock);
    superBlock = next;
  }
  PipeFree(heap);
}

RwBool RwHeapReset(RwPipelineHeap* heap) {
  if (heap == nullptr || heap->head == nullptr) {
    return false;
  }
  heap->freeEntryCount = 0;
  bool ok = true;
  // Later superblocks first, in chain order, then the first one after them.
  SuperBlock* previous = nullptr;
  for (SuperBlock* superBlock = heap->head->next; superBlock != nullptr; superBlock = superBlock->next) {
    ok = InitializeSuperBlock(heap, superBlock, previous) && ok;
    if (previous == nullptr) {
      heap->headBlock = HeaderAt(superBlock->dataStart);
    }
    previous = superBlock;
  }
  ok = InitializeSuperBlock(heap, heap->head, previous) && ok;
  if (previous == nullptr) {
    heap->headBlock = HeaderAt(heap->head->dataStart);
  }
  heap->dirty = 0;
  return ok;
}

void* RwHeapMalloc(RwPipelineHeap* heap, RwUInt32 size) {
  if (heap == nullptr || size > heap->superBlockSize) {
    return nullptr;  // no block is larger than a superblock; also keeps the rounding below from wrapping
  }
  const RwUInt32 need = (size + kHeader - 1) & ~(kHeader - 1);
  for (RwUInt32 i = 0; i < heap->freeEntryCount; ++i) {
    HeapFreeEntry* entry = &heap->freeEntries[i];
    if (entry->size < need) {
      continue;
    }
    HeapBlockHeader* block = entry->block;
    if (block->size - need >= 2 * kHeader) {
      // Split: the rest stays free and takes over the entry.
      HeapBlockHeader* rest = HeaderAt(Payload(block) + need);
      std::memset(rest, 0, kHeader);
      rest->size = block->size - need - kHeader;
      rest->prev = block;
      rest->next = block->next;
      block->next->prev = rest;
      block->next = rest;
      block->size = need;
      block->freeEntry = nullptr;
      entry->size = rest->size;
      entry->block = rest;
      rest->freeEntry = entry;
    } else {
      RemoveFreeEntry(heap, entry);
    }
    heap->dirty = 1;
    return Payload(block);
  }
  return nullptr;
}

void RwHeapFree(RwPipelineHeap* heap, void* payload) {
  if (heap == nullptr || payload == nullptr) {
    return;
  }
  HeapBlockHeader* block = HeaderAt(static_cast<RwUInt8*>(payload) - kHeader);
  if (block->freeEntry != nullptr) {
    return;  // already free
  }
  HeapBlockHeader* previous = block->prev;
  HeapBlockHeader* next = block->next;
  const bool previousFree = previous != nullptr && previous->freeEntry != nullptr;
  const bool nextFree = next != nullptr && next->freeEntry != nullptr;
  if (!previousFree && !nextFree) {
    RecordFreeEntry(heap, block);
  } else if (nextFree && !previousFree) {
    block->size += next->size + kHeader;
    HeapFreeEntry* entry = next->freeEntry;
    entry->size = block->size;
    entry->block = block;
    block->freeEntry = entry;
    block->next = next->next;
    next->next->prev = block;
  } else if (previousFree && !nextFree) {
    previous->size += block->size + kHeader;
    previous->freeEntry->size = previous->size;
    previous->next = next;
    next->prev = previous;
  } else {
    RemoveFreeEntry(heap, next->freeEntry);
    previous->size += block->size + next->size + 2 * kHeader;
    previous->freeEntry->size = previous->size;
    previous->next = next->next;
    next->next->prev = previous;
  }
}

RwUInt32 RwHeapGetNumFreeBlocks(const RwPipelineHeap* heap) { return heap == nullptr ? 0 : heap->freeEntryCount; }

RwUInt32 RwHeapGetFreeBlockSize(const RwPipelineHeap* heap, RwUInt32 index) {
  if (heap == nullptr || index >= heap->freeEntryCount) {
    return 0;
  }
  return heap->freeEntries[index].size;
}

RwUInt32 RwHeapGetSuperBlockSize(const RwPipelineHeap* heap) { return heap == nullptr ? 0 : heap->superBlockSize; }

bool PipeHeapIsDirty(const RwPipelineHeap* heap) { return heap != nullptr && heap->dirty != 0; }
