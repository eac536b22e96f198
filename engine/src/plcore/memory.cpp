// Memory functions and free lists. A block is one allocation holding a link,
// the used bitmap (bit 0x80 >> k of byte j marks entry 8j + k) and the
// entries, the first at the first aligned address after the bitmap.
#include "engine/src/plcore/memory.h"

#include <cstdlib>
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory_internal.h"

namespace {

constexpr RwUInt32 kRecordsPerBlock = 16;

// Chain of every free list except the record list itself.
RwLinkList sFreeListChain = {{&sFreeListChain.link, &sFreeListChain.link}};
RwBool sMemoryOpen = FALSE;
RwBool sPreallocate = TRUE;
// Free list that RwFreeList records come from; it lives in static storage.
RwFreeList sRecordListStorage;
RwFreeList* sRecordList = nullptr;

void* DefaultMalloc(size_t size) { return std::malloc(size); }
void DefaultFree(void* block) { std::free(block); }
void* DefaultRealloc(void* block, size_t size) { return std::realloc(block, size); }

void* DefaultCalloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) {
    return nullptr;
  }
  const size_t bytes = count * size;
  void* block = std::malloc(bytes);
  if (block != nullptr) {
    std::memset(block, 0, bytes);
  }
  return block;
}

RwUInt8* BlockBitmap(RwFreeListBlock* block) { return _rwFreeListBlockBitmap(block); }

RwUInt8* BlockFirstEntry(const RwFreeList* list, RwFreeListBlock* block) {
  return _rwFreeListBlockFirstEntry(list, block);
}

RwFreeListBlock* BlockCreate(const RwFreeList* list) {
  const size_t bytes = _rwFreeListBlockBytes(list);
  if (bytes == 0) {
    return nullptr;
  }
  RwFreeListBlock* block = static_cast<RwFreeListBlock*>(RwMalloc(bytes));
  if (block != nullptr) {
    block->used = 0;
    block->rank = 0;
    block->firstClear = 0;
    std::memset(BlockBitmap(block), 0, list->bitmapBytes);
  }
  return block;
}

RwBool BlockIsFull(const RwFreeList* list, const RwFreeListBlock* block) {
  return block->used == list->entriesPerBlock;
}

RwFreeListBlock* BlockFromLink(RwLLLink* link) { return rwLLLinkGetData(link, RwFreeListBlock, link); }

RwBool HasOneBlock(const RwFreeList* list) { return list->blockList.link.next == list->blockList.link.prev; }

// Links a block at the head of the block list with a rank above every other.
void LinkAtHead(RwFreeList* list, RwFreeListBlock* block) {
  block->rank = list->nextRank++;
  rwLinkListAddLLLink(&list->blockList, &block->link);
}

void FreeAllBlocks(RwFreeList* list) {
  _rwFreeListIndexDestroy(list);
  while (!rwLinkListEmpty(&list->blockList)) {
    RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList);
    rwLLLinkRemove(link);
    RwFree(BlockFromLink(link));
  }
}

// Returns a record to where it came from; static records are left alone.
void FreeRecord(RwFreeList* list) {
  if (list->flags & kRwFreeListStatic) {
    return;
  }
  if (sRecordList != nullptr && sRecordList != list) {
    RwFreeListFree(sRecordList, list);
  } else {
    RwFree(list);
  }
}

void DestroyList(RwFreeList* list) {
  rwLLLinkRemove(&list->chainLink);
  FreeAllBlocks(list);
  FreeRecord(list);
}

// The first block in list order with a clear entry, or null: through the
// index when the list has one, else by walking the blocks.
RwFreeListBlock* FirstOpenBlock(RwFreeList* list) {
  if (list->index == nullptr && !HasOneBlock(list)) {
    _rwFreeListIndexBuild(list, 0);  // without one the walk below still answers
  }
  if (list->index != nullptr) {
    return _rwFreeListIndexFirstOpen(list);
  }
  RwLLLink* const end = rwLinkListGetTerminator(&list->blockList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList); link != end; link = link->next) {
    RwFreeListBlock* block = BlockFromLink(link);
    if (!BlockIsFull(list, block)) {
      return block;
    }
  }
  return nullptr;
}

// The block whose entry range holds the entry, or null.
RwFreeListBlock* BlockHolding(RwFreeList* list, const void* entry) {
  if (list->index != nullptr) {
    return _rwFreeListIndexFind(list, entry);
  }
  const RwUInt8* target = static_cast<const RwUInt8*>(entry);
  const size_t span = static_cast<size_t>(list->entriesPerBlock) * list->entrySize;
  RwLLLink* const end = rwLinkListGetTerminator(&list->blockList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList); link != end; link = link->next) {
    RwFreeListBlock* block = BlockFromLink(link);
    const RwUInt8* first = BlockFirstEntry(list, block);
    if (target >= first && target < first + span) {
      return block;
    }
  }
  return nullptr;
}

// Marks the block's first clear entry used (bytes in order, then 0x80
// downwards) and returns it; the block has one.
void* TakeEntry(RwFreeList* list, RwFreeListBlock* block) {
  RwUInt8* bitmap = BlockBitmap(block);
  for (RwUInt32 j = block->firstClear; j < list->bitmapBytes; j++) {
    if (bitmap[j] == 0xFF) {
      continue;
    }
    // The first clear bit from 0x80 down: the leading zeros of the inverted byte.
    const RwUInt32 k = static_cast<RwUInt32>(__builtin_clz(~static_cast<RwUInt32>(bitmap[j]) & 0xFFu)) - 24;
    const RwUInt32 index = 8 * j + k;
    if (index >= list->entriesPerBlock) {
      break;  // the bits past the last entry of the last byte
    }
    bitmap[j] = static_cast<RwUInt8>(bitmap[j] | (0x80u >> k));
    block->firstClear = j;
    block->used++;
    if (list->index != nullptr && BlockIsFull(list, block)) {
      _rwFreeListIndexSetOpen(list, block, FALSE);
    }
    return BlockFirstEntry(list, block) + static_cast<size_t>(index) * list->entrySize;
  }
  return nullptr;
}

// The first block with a clear entry; when every block is full, a new one
// at the head. A list that cannot index its blocks still works, walking
// them. Null when memory runs out.
RwFreeListBlock* OpenBlock(RwFreeList* list) {
  RwFreeListBlock* open = FirstOpenBlock(list);
  if (open != nullptr) {
    return open;
  }
  RwFreeListBlock* block = BlockCreate(list);
  if (block == nullptr) {
    return nullptr;
  }
  const RwBool hadBlocks = !rwLinkListEmpty(&list->blockList);
  LinkAtHead(list, block);
  if (_rwFreeListIndexHasRoom(list)) {
    _rwFreeListIndexAddBlock(list, block);
  } else if (hadBlocks) {
    _rwFreeListIndexBuild(list, 1);
  }
  return block;
}

// Marks up to count clear entries used from the block's first clear one on,
// as long as they follow each other; returns the first and the count taken.
// The block has a clear entry.
RwUInt8* TakeRun(RwFreeList* list, RwFreeListBlock* block, RwUInt32 count, RwUInt32* taken) {
  RwUInt8* first = static_cast<RwUInt8*>(TakeEntry(list, block));
  *taken = 0;
  if (first == nullptr) {
    return nullptr;
  }
  RwUInt8* bitmap = BlockBitmap(block);
  RwUInt32 index = static_cast<RwUInt32>(static_cast<size_t>(first - BlockFirstEntry(list, block)) / list->entrySize);
  RwUInt32 got = 1;
  while (got < count && ++index < list->entriesPerBlock) {
    // A clear byte of eight entries that the run covers is taken whole.
    if (index % 8 == 0 && count - got >= 8 && list->entriesPerBlock - index >= 8 && bitmap[index / 8] == 0) {
      bitmap[index / 8] = 0xFF;
      got += 8;
      index += 7;
      continue;
    }
    const RwUInt8 bit = static_cast<RwUInt8>(0x80u >> (index % 8));
    if ((bitmap[index / 8] & bit) != 0) {
      break;
    }
    bitmap[index / 8] = static_cast<RwUInt8>(bitmap[index / 8] | bit);
    ++got;
  }
  block->used += got - 1;
  *taken = got;
  if (got > 1 && list->index != nullptr && BlockIsFull(list, block)) {
    _rwFreeListIndexSetOpen(list, block, FALSE);
  }
  return first;
}

}  // namespace

size_t _rwFreeListBlockBytes(const RwFreeList* list) {
  const size_t entries = static_cast<size_t>(list->entriesPerBlock);
  if (list->entrySize != 0 && entries > (SIZE_MAX / 2) / list->entrySize) {
    return 0;
  }
  return sizeof(RwFreeListBlock) + list->bitmapBytes + (list->alignment - 1) + entries * list->entrySize;
}

RwFreeList* RwFreeListCreate(RwUInt32 entrySize, RwUInt32 entriesPerBlock, RwUInt32 alignment) {
  return RwFreeListCreateAndPreallocate(entrySize, entriesPerBlock, alignment, 1, nullptr);
}

RwFreeList* RwFreeListCreateAndPreallocate(RwUInt32 entrySize, RwUInt32 entriesPerBlock, RwUInt32 alignment,
                                           RwUInt32 blocksToPreallocate, RwFreeList* staticRecord) {
  if (!sPreallocate) {
    blocksToPreallocate = 0;
  }
  if (alignment < kRwFreeListMinimumAlignment) {
    alignment = kRwFreeListMinimumAlignment;
  }
  if (!sMemoryOpen || entriesPerBlock == 0 || entrySize > UINT32_MAX - alignment) {
    return nullptr;
  }

  RwFreeList* list = staticRecord;
  RwUInt32 flags = kRwFreeListReleaseEmpty | kRwFreeListStatic;
  if (list == nullptr) {
    flags = kRwFreeListReleaseEmpty;
    list =
        static_cast<RwFreeList*>(sRecordList != nullptr ? RwFreeListAlloc(sRecordList) : RwMalloc(sizeof(RwFreeList)));
    if (list == nullptr) {
      return nullptr;
    }
  }

  list->entrySize = (entrySize + alignment - 1) / alignment * alignment;
  if (list->entrySize == 0) {
    list->entrySize = alignment;  // every entry needs an address of its own
  }
  list->entriesPerBlock = entriesPerBlock;
  list->bitmapBytes = (entriesPerBlock + 7) / 8;
  list->alignment = alignment;
  list->flags = flags;
  list->nextRank = 0;
  list->index = nullptr;
  rwLinkListInitialize(&list->blockList);
  rwLLLinkInitialize(&list->chainLink);

  for (RwUInt32 i = 0; i < blocksToPreallocate; i++) {
    RwFreeListBlock* block = BlockCreate(list);
    if (block == nullptr) {
      FreeAllBlocks(list);
      FreeRecord(list);
      return nullptr;
    }
    LinkAtHead(list, block);
  }

  rwLinkListAddLLLink(&sFreeListChain, &list->chainLink);
  return list;
}

RwBool RwFreeListDestroy(RwFreeList* list) {
  DestroyList(list);
  return TRUE;
}

void* RwFreeListAlloc(RwFreeList* list) {
  RwFreeListBlock* open = OpenBlock(list);
  return open != nullptr ? TakeEntry(list, open) : nullptr;
}

void* _rwFreeListAllocRun(RwFreeList* list, RwUInt32 count, RwUInt32* taken) {
  *taken = 0;
  RwFreeListBlock* open = count != 0 ? OpenBlock(list) : nullptr;
  if (open == nullptr) {
    return nullptr;
  }
  return TakeRun(list, open, count, taken);
}

RwFreeList* RwFreeListFree(RwFreeList* list, void* entry) {
  RwFreeListBlock* block = BlockHolding(list, entry);
  if (block == nullptr) {
    return nullptr;
  }
  const size_t byteOffset = static_cast<size_t>(static_cast<const RwUInt8*>(entry) - BlockFirstEntry(list, block));
  if (byteOffset % list->entrySize != 0) {
    return nullptr;  // not the start of an entry
  }
  const size_t index = byteOffset / list->entrySize;
  RwUInt8* bitmap = BlockBitmap(block);
  const RwUInt8 bit = static_cast<RwUInt8>(0x80u >> (index % 8));
  const RwUInt32 byte = static_cast<RwUInt32>(index / 8);
  if ((bitmap[byte] & bit) == 0) {
    return list;  // already free
  }
  const RwBool wasFull = BlockIsFull(list, block);
  bitmap[byte] &= static_cast<RwUInt8>(~bit);
  block->used--;
  if (byte < block->firstClear) {
    block->firstClear = byte;
  }

  if ((list->flags & kRwFreeListReleaseEmpty) && block->used == 0 && !HasOneBlock(list)) {
    if (list->index != nullptr) {
      _rwFreeListIndexRemoveBlock(list, block);
    }
    rwLLLinkRemove(&block->link);
    RwFree(block);
  } else if (wasFull && list->index != nullptr) {
    _rwFreeListIndexSetOpen(list, block, TRUE);
  }
  return list;
}

RwInt32 RwFreeListPurge(RwFreeList* list) {
  RwInt32 released = 0;
  RwLLLink* const end = rwLinkListGetTerminator(&list->blockList);
  // The blocks kept are relinked at the head; walk a snapshot of the order.
  RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList);
  while (link != end) {
    RwLLLink* next = link->next;
    rwLLLinkRemove(link);
    if (rwLinkListEmpty(&list->blockList)) {
      LinkAtHead(list, BlockFromLink(link));
      break;
    }
    RwFreeListBlock* block = BlockFromLink(link);
    if (block->used != 0) {
      LinkAtHead(list, block);
    } else {
      RwFree(block);
      released++;
    }
    link = next;
  }
  // The kept blocks have new ranks and the released ones are gone: the
  // index is filled again in the room it has.
  if (list->index != nullptr) {
    _rwFreeListIndexBuild(list, 0);
  }
  return released * static_cast<RwInt32>(list->entrySize);
}

RwFreeList* RwFreeListForAllUsed(RwFreeList* list, RwFreeListCallBack callBack, void* data) {
  RwLLLink* const end = rwLinkListGetTerminator(&list->blockList);
  RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList);
  while (link != end) {
    RwLLLink* next = link->next;
    RwFreeListBlock* block = BlockFromLink(link);
    RwUInt8* copy = static_cast<RwUInt8*>(RwMalloc(list->bitmapBytes));
    if (copy == nullptr) {
      return nullptr;
    }
    std::memcpy(copy, BlockBitmap(block), list->bitmapBytes);
    RwUInt8* first = BlockFirstEntry(list, block);
    for (RwUInt32 j = 0; j < list->bitmapBytes; j++) {
      for (RwUInt32 k = 0; k < 8; k++) {
        if (copy[j] & (0x80u >> k)) {
          callBack(first + static_cast<size_t>(8 * j + k) * list->entrySize, data);
        }
      }
    }
    RwFree(copy);
    link = next;
  }
  return list;
}

RwInt32 RwFreeListPurgeAllFreeLists(void) {
  RwInt32 total = 0;
  RwLLLink* const end = rwLinkListGetTerminator(&sFreeListChain);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&sFreeListChain); link != end; link = link->next) {
    const RwInt32 released = RwFreeListPurge(rwLLLinkGetData(link, RwFreeList, chainLink));
    if (released > 0) {
      total += released;
    }
  }
  return total;
}

void _rwFreeListForAllLists(RwFreeListCensusCallBack callBack, void* data) {
  RwLLLink* const end = rwLinkListGetTerminator(&sFreeListChain);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&sFreeListChain); link != end; link = link->next) {
    RwFreeList* list = rwLLLinkGetData(link, RwFreeList, chainLink);
    RwUInt32 used = 0;
    RwLLLink* const blocksEnd = rwLinkListGetTerminator(&list->blockList);
    for (RwLLLink* block = rwLinkListGetFirstLLLink(&list->blockList); block != blocksEnd; block = block->next) {
      used += BlockFromLink(block)->used;
    }
    callBack(list, used, data);
  }
}

RwBool RwMemoryOpen(const RwMemoryFunctions* functions) {
  if (functions != nullptr && (functions->rwmalloc == nullptr || functions->rwfree == nullptr ||
                               functions->rwrealloc == nullptr || functions->rwcalloc == nullptr)) {
    return FALSE;  // a partial table would fail at its first use
  }
  rwLinkListInitialize(&sFreeListChain);
  sMemoryOpen = TRUE;

  // Install the functions first: the record list's growth allocates through them.
  if (functions != nullptr) {
    RwEngineInstance->memoryFunctions = *functions;
  } else {
    RwEngineInstance->memoryFunctions = {DefaultMalloc, DefaultFree, DefaultRealloc, DefaultCalloc};
  }

  // The record list never preallocates, whatever the switch says.
  sRecordList =
      RwFreeListCreateAndPreallocate(sizeof(RwFreeList), kRecordsPerBlock, alignof(RwFreeList), 0, &sRecordListStorage);
  if (sRecordList == nullptr) {
    sMemoryOpen = FALSE;
    return FALSE;
  }
  rwLLLinkRemove(&sRecordList->chainLink);
  return TRUE;
}

void RwMemoryClose(void) {
  while (!rwLinkListEmpty(&sFreeListChain)) {
    DestroyList(rwLLLinkGetData(rwLinkListGetFirstLLLink(&sFreeListChain), RwFreeList, chainLink));
  }
  if (sRecordList != nullptr) {
    RwFreeList* recordList = sRecordList;
    sRecordList = nullptr;
    FreeAllBlocks(recordList);
  }
  sMemoryOpen = FALSE;
}

void* _rwFreeListAllocPlain(RwFreeList* list) { return RwMalloc(list->entrySize); }

void* _rwFreeListEntryAllocRun(RwFreeList* list, RwUInt32 count, RwUInt32* taken) {
  if (RwEngineInstance->freeListEntryAlloc == RwFreeListAlloc) {
    return _rwFreeListAllocRun(list, count, taken);
  }
  void* entry = count != 0 ? RwFreeListEntryAlloc(list) : nullptr;
  *taken = entry != nullptr ? 1 : 0;
  return entry;
}

RwFreeList* _rwFreeListFreePlain(RwFreeList* list, void* entry) {
  RwFree(entry);
  return list;
}

void _rwFreeListSetPreallocation(RwBool preallocate) { sPreallocate = preallocate; }

void EngineFree(void* block) {
  if (block != nullptr) {
    RwFree(block);
  }
}
