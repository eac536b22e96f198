// The resource arena's block heap: a doubly linked chain of blocks in address
// order, best fit starting at the lowest free block, neighbours merged on free.
#include "engine/src/plcore/resmem_heap.h"

namespace {

constexpr RwUInt32 kSplitSlack = 2 * kResHeapAlignment;

RwUInt8* AlignUp(RwUInt8* p) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(p);
  return reinterpret_cast<RwUInt8*>((v + kResHeapAlignment - 1) & ~static_cast<uintptr_t>(kResHeapAlignment - 1));
}

RwUInt8* AlignDown(RwUInt8* p) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(p);
  return reinterpret_cast<RwUInt8*>(v & ~static_cast<uintptr_t>(kResHeapAlignment - 1));
}

RwUInt8* BlockData(RwResHeapBlock* block) { return reinterpret_cast<RwUInt8*>(block + 1); }

bool IsFree(const RwResHeapBlock* block) { return block != nullptr && (block->flags & kResHeapBlockUsed) == 0; }

// Folds the free block behind `block` into it.
void AbsorbNext(RwResHeapBlock* block) {
  RwResHeapBlock* next = block->next;
  RwResHeap* heap = block->heap;
  block->size += next->size + kResHeapAlignment;
  block->next = next->next;
  if (next->next != nullptr) {
    next->next->prev = block;
  }
  if (heap->freeHint == next) {
    heap->freeHint = block;
  }
}

}  // namespace

RwBool RwResHeapInit(void* memory, RwUInt32 size) {
  if (memory == nullptr || size < sizeof(RwResHeap)) {
    return FALSE;
  }
  RwUInt8* start = static_cast<RwUInt8*>(memory);
  RwUInt8* first = AlignUp(start + sizeof(RwResHeap));
  RwUInt8* end = AlignDown(start + size);
  if (end < first || static_cast<size_t>(end - first) < 2 * static_cast<size_t>(kResHeapAlignment)) {
    return FALSE;
  }
  RwResHeap* heap = static_cast<RwResHeap*>(memory);
  RwResHeapBlock* block = reinterpret_cast<RwResHeapBlock*>(first);
  block->heap = heap;
  block->next = nullptr;
  block->prev = nullptr;
  block->size = static_cast<RwUInt32>(end - first) - kResHeapAlignment;
  block->flags = 0;
  heap->first = block;
  heap->freeHint = block;
  return TRUE;
}

void* RwResHeapAlloc(RwResHeap* heap, RwUInt32 size) {
  if (heap == nullptr || size > UINT32_MAX - kResHeapAlignment) {
    return nullptr;
  }
  const RwUInt32 n = (size + kResHeapAlignment - 1) & ~(kResHeapAlignment - 1);
  RwResHeapBlock* chosen = nullptr;
  for (RwResHeapBlock* b = heap->freeHint; b != nullptr; b = b->next) {
    if (IsFree(b) && b->size >= n && (chosen == nullptr || b->size < chosen->size)) {
      chosen = b;
    }
  }
  if (chosen == nullptr) {
    return nullptr;
  }
  if (chosen->size > n + kSplitSlack) {
    RwResHeapBlock* rest = reinterpret_cast<RwResHeapBlock*>(BlockData(chosen) + n);
    rest->heap = heap;
    rest->flags = 0;
    rest->prev = chosen;
    rest->next = chosen->next;
    rest->size = chosen->size - n - kResHeapAlignment;
    if (rest->next != nullptr) {
      rest->next->prev = rest;
    }
    chosen->next = rest;
    chosen->size = n;
    if (IsFree(rest->next)) {
      AbsorbNext(rest);
    }
  }
  chosen->flags |= kResHeapBlockUsed;
  if (heap->freeHint == chosen) {
    RwResHeapBlock* b = chosen->next;
    while (b != nullptr && !IsFree(b)) {
      b = b->next;
    }
    heap->freeHint = b;
  }
  return BlockData(chosen);
}

void RwResHeapFree(void* data) {
  if (data == nullptr) {
    return;
  }
  RwResHeapBlock* block = reinterpret_cast<RwResHeapBlock*>(data) - 1;
  RwResHeap* heap = block->heap;
  block->flags &= ~kResHeapBlockUsed;
  if (heap->freeHint == nullptr || block < heap->freeHint) {
    heap->freeHint = block;
  }
  if (IsFree(block->prev)) {
    block = block->prev;
    AbsorbNext(block);
  }
  if (IsFree(block->next)) {
    AbsorbNext(block);
  }
}
