// The free-list index. Blocks are ranked in list order (a block linked at the
// head gets a rank above every other), so the first block with a clear entry
// is the open block of highest rank: a bitmap over ranks, with a summary
// level above every 64 words, finds it in a few word scans. Addresses are
// found through a hash of address / block bytes: a block's entry range spans
// at most two such buckets, and a bucket meets at most two blocks.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory_internal.h"

namespace {

constexpr RwUInt32 kBitsPerWord = 64;
constexpr RwUInt32 kMinimumRanks = 64;
// Levels of 64-bit words: enough for any 32-bit rank.
constexpr RwUInt32 kMaxLevels = 6;
// Hash slots per rank: two keys a block at a load of at most one half.
constexpr RwUInt32 kSlotsPerRank = 4;
constexpr RwUInt64 kHashMultiplier = 0x9E3779B97F4A7C15ull;

struct HashSlot {
  uintptr_t key;           // address / block bytes
  RwFreeListBlock* block;  // null for an empty slot
};

}  // namespace

// One allocation: this head, the bitmap words of every level, the blocks by
// rank and the hash slots.
struct RwFreeListIndex {
  RwUInt32 rankCapacity;  // a power of two
  RwUInt32 levels;
  RwUInt32 levelOffset[kMaxLevels];  // first word of each level, leaves first
  RwUInt64* words;
  RwFreeListBlock** byRank;
  HashSlot* slots;
  RwUInt32 slotMask;
  size_t blockBytes;
  // The first open block while it is known (null: ask the bitmap). Runs of
  // allocations take from one block, so the bitmap is asked once a block.
  RwFreeListBlock* firstOpen;
};

namespace {

RwUInt32 LevelWords(RwUInt32 bits) { return (bits + kBitsPerWord - 1) / kBitsPerWord; }

// Word counts of the levels over capacity ranks; returns the total.
RwUInt32 LayOutLevels(RwFreeListIndex* index, RwUInt32 capacity) {
  RwUInt32 total = 0;
  RwUInt32 bits = capacity;
  index->levels = 0;
  do {
    index->levelOffset[index->levels++] = total;
    bits = LevelWords(bits);
    total += bits;
  } while (bits > 1);
  return total;
}

void SetBit(RwFreeListIndex* index, RwUInt32 rank) {
  RwUInt32 position = rank;
  for (RwUInt32 level = 0; level < index->levels; ++level) {
    RwUInt64& word = index->words[index->levelOffset[level] + position / kBitsPerWord];
    const RwBool wasEmpty = word == 0;
    word |= RwUInt64{1} << (position % kBitsPerWord);
    if (!wasEmpty) {
      return;  // the levels above already mark this word
    }
    position /= kBitsPerWord;
  }
}

void ClearBit(RwFreeListIndex* index, RwUInt32 rank) {
  RwUInt32 position = rank;
  for (RwUInt32 level = 0; level < index->levels; ++level) {
    RwUInt64& word = index->words[index->levelOffset[level] + position / kBitsPerWord];
    word &= ~(RwUInt64{1} << (position % kBitsPerWord));
    if (word != 0) {
      return;
    }
    position /= kBitsPerWord;
  }
}

RwUInt32 HomeSlot(const RwFreeListIndex* index, uintptr_t key) {
  return static_cast<RwUInt32>((static_cast<RwUInt64>(key) * kHashMultiplier) >> 32) & index->slotMask;
}

// The keys of the buckets a block's entries lie in (the same key twice when one).
void BlockKeys(const RwFreeList* list, const RwFreeListIndex* index, RwFreeListBlock* block, uintptr_t keys[2]) {
  const uintptr_t first = reinterpret_cast<uintptr_t>(_rwFreeListBlockFirstEntry(list, block));
  const size_t span = static_cast<size_t>(list->entriesPerBlock) * list->entrySize;
  keys[0] = first / index->blockBytes;
  keys[1] = (first + span - 1) / index->blockBytes;
}

void HashInsert(RwFreeListIndex* index, uintptr_t key, RwFreeListBlock* block) {
  RwUInt32 slot = HomeSlot(index, key);
  while (index->slots[slot].block != nullptr) {
    slot = (slot + 1) & index->slotMask;
  }
  index->slots[slot] = {key, block};
}

// Linear probing without tombstones: the slots behind the emptied one move
// back when their home does not lie between it and them.
void HashErase(RwFreeListIndex* index, uintptr_t key, RwFreeListBlock* block) {
  RwUInt32 slot = HomeSlot(index, key);
  while (index->slots[slot].block != nullptr && (index->slots[slot].key != key || index->slots[slot].block != block)) {
    slot = (slot + 1) & index->slotMask;
  }
  if (index->slots[slot].block == nullptr) {
    return;
  }
  RwUInt32 hole = slot;
  index->slots[hole].block = nullptr;
  for (RwUInt32 next = (hole + 1) & index->slotMask; index->slots[next].block != nullptr;
       next = (next + 1) & index->slotMask) {
    const RwUInt32 home = HomeSlot(index, index->slots[next].key);
    const RwBool staysBehindHole = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!staysBehindHole) {
      index->slots[hole] = index->slots[next];
      index->slots[next].block = nullptr;
      hole = next;
    }
  }
}

// Ranks every block 0 (the last) up to n - 1 (the first) and fills the
// index from scratch; the capacity holds them.
void Fill(RwFreeList* list, RwFreeListIndex* index, RwUInt32 wordCount) {
  index->firstOpen = nullptr;
  std::memset(index->words, 0, sizeof(RwUInt64) * wordCount);
  std::memset(index->byRank, 0, sizeof(RwFreeListBlock*) * index->rankCapacity);
  std::memset(index->slots, 0, sizeof(HashSlot) * (index->slotMask + 1));
  RwUInt32 rank = 0;
  RwLLLink* const end = rwLinkListGetTerminator(&list->blockList);
  for (RwLLLink* link = end->prev; link != end; link = link->prev) {
    RwFreeListBlock* block = rwLLLinkGetData(link, RwFreeListBlock, link);
    block->rank = rank++;
    _rwFreeListIndexAddBlock(list, block);
  }
  list->nextRank = rank;
}

RwUInt32 CountBlocks(const RwFreeList* list) {
  RwUInt32 count = 0;
  const RwLLLink* const end = &list->blockList.link;
  for (const RwLLLink* link = end->next; link != end; link = link->next) {
    count++;
  }
  return count;
}

}  // namespace

RwBool _rwFreeListIndexBuild(RwFreeList* list, RwUInt32 extraBlocks) {
  const RwUInt32 blocks = CountBlocks(list);
  RwFreeListIndex* index = list->index;
  // Room for twice the blocks, so that a build pays for itself before the next.
  const RwUInt64 wanted = 2 * (static_cast<RwUInt64>(blocks) + extraBlocks);
  if (index == nullptr || index->rankCapacity < wanted) {
    _rwFreeListIndexDestroy(list);
    RwUInt64 capacity = kMinimumRanks;
    while (capacity < wanted) {
      capacity *= 2;
    }
    if (capacity > (UINT32_MAX / kSlotsPerRank) / 2) {
      return FALSE;
    }
    RwFreeListIndex layout;
    const RwUInt32 wordCount = LayOutLevels(&layout, static_cast<RwUInt32>(capacity));
    const size_t slotCount = static_cast<size_t>(capacity) * kSlotsPerRank;
    const size_t bytes = sizeof(RwFreeListIndex) + sizeof(RwUInt64) * wordCount +
                         sizeof(RwFreeListBlock*) * static_cast<size_t>(capacity) + sizeof(HashSlot) * slotCount;
    RwUInt8* memory = static_cast<RwUInt8*>(RwMalloc(bytes));
    if (memory == nullptr) {
      return FALSE;
    }
    index = reinterpret_cast<RwFreeListIndex*>(memory);
    *index = layout;
    index->rankCapacity = static_cast<RwUInt32>(capacity);
    index->words = reinterpret_cast<RwUInt64*>(memory + sizeof(RwFreeListIndex));
    index->byRank = reinterpret_cast<RwFreeListBlock**>(index->words + wordCount);
    index->slots = reinterpret_cast<HashSlot*>(index->byRank + capacity);
    index->slotMask = static_cast<RwUInt32>(slotCount - 1);
    index->blockBytes = _rwFreeListBlockBytes(list);
    list->index = index;
  }
  RwFreeListIndex scratch;
  Fill(list, index, LayOutLevels(&scratch, index->rankCapacity));
  return TRUE;
}

RwBool _rwFreeListIndexHasRoom(const RwFreeList* list) {
  return list->index != nullptr && list->nextRank < list->index->rankCapacity;
}

void _rwFreeListIndexDestroy(RwFreeList* list) {
  if (list->index != nullptr) {
    RwFree(list->index);
    list->index = nullptr;
  }
}

void _rwFreeListIndexAddBlock(RwFreeList* list, RwFreeListBlock* block) {
  RwFreeListIndex* index = list->index;
  index->byRank[block->rank] = block;
  uintptr_t keys[2];
  BlockKeys(list, index, block, keys);
  HashInsert(index, keys[0], block);
  if (keys[1] != keys[0]) {
    HashInsert(index, keys[1], block);
  }
  _rwFreeListIndexSetOpen(list, block, block->used < list->entriesPerBlock);
}

void _rwFreeListIndexRemoveBlock(RwFreeList* list, RwFreeListBlock* block) {
  RwFreeListIndex* index = list->index;
  index->byRank[block->rank] = nullptr;
  ClearBit(index, block->rank);
  if (index->firstOpen == block) {
    index->firstOpen = nullptr;
  }
  uintptr_t keys[2];
  BlockKeys(list, index, block, keys);
  HashErase(index, keys[0], block);
  if (keys[1] != keys[0]) {
    HashErase(index, keys[1], block);
  }
}

void _rwFreeListIndexSetOpen(RwFreeList* list, RwFreeListBlock* block, RwBool open) {
  RwFreeListIndex* index = list->index;
  if (open) {
    SetBit(index, block->rank);
    // An open block ahead of the first open one is the first now.
    if (index->firstOpen != nullptr && block->rank > index->firstOpen->rank) {
      index->firstOpen = block;
    }
  } else {
    ClearBit(index, block->rank);
    if (index->firstOpen == block) {
      index->firstOpen = nullptr;
    }
  }
}

RwFreeListBlock* _rwFreeListIndexFirstOpen(const RwFreeList* list) {
  RwFreeListIndex* index = list->index;
  if (index->firstOpen != nullptr) {
    return index->firstOpen;
  }
  RwUInt32 position = 0;
  for (RwUInt32 level = index->levels; level-- > 0;) {
    const RwUInt64 word = index->words[index->levelOffset[level] + position];
    if (word == 0) {
      return nullptr;  // only the top word can be empty: no block is open
    }
    position = position * kBitsPerWord + (kBitsPerWord - 1 - static_cast<RwUInt32>(__builtin_clzll(word)));
  }
  index->firstOpen = index->byRank[position];
  return index->firstOpen;
}

RwFreeListBlock* _rwFreeListIndexFind(const RwFreeList* list, const void* address) {
  const RwFreeListIndex* index = list->index;
  const uintptr_t target = reinterpret_cast<uintptr_t>(address);
  const uintptr_t key = target / index->blockBytes;
  const size_t span = static_cast<size_t>(list->entriesPerBlock) * list->entrySize;
  for (RwUInt32 slot = HomeSlot(index, key); index->slots[slot].block != nullptr; slot = (slot + 1) & index->slotMask) {
    if (index->slots[slot].key != key) {
      continue;
    }
    RwFreeListBlock* block = index->slots[slot].block;
    const uintptr_t first = reinterpret_cast<uintptr_t>(_rwFreeListBlockFirstEntry(list, block));
    if (target >= first && target - first < span) {
      return block;
    }
  }
  return nullptr;
}
