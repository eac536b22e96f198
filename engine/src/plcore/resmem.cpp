// The resource arena. Entries live in two lists: the current list receives
// new entries, the aged list holds those of earlier frames. Eviction takes
// the oldest aged entry first, then the oldest of the current frame.
#include "engine/src/plcore/resmem.h"

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

static_assert(sizeof(RwResourcesGlobals) <= kRwResourcesModuleDataSize, "module data must fit its engine plugin block");

RwInt32 resourcesModuleOffset = -1;

RwResourcesGlobals* Globals() { return RwPluginDataGet(RwResourcesGlobals, RwEngineInstance, resourcesModuleOffset); }

RwResEntry* EntryFromLink(RwLLLink* link) { return rwLLLinkGetData(link, RwResEntry, link); }

void RecordNoRoom() { RwErrorRaise(kRwPluginIdCore, kRwErrArenaFull); }

// Destroy callback, owner slot, unlink and release. An entry whose next link
// is null was allocated outside the arena and goes back through the free hook.
void ReleaseEntry(RwResEntry* entry) {
  if (entry->destroyNotify != nullptr) {
    entry->destroyNotify(entry);
  }
  if (entry->ownerRef != nullptr) {
    *entry->ownerRef = nullptr;
  }
  if (entry->link.next == nullptr) {
    RwFree(entry);
    return;
  }
  rwLLLinkRemove(&entry->link);
  RwResourcesGlobals* globals = Globals();
  globals->inUse -= static_cast<RwUInt32>(entry->size);
  RwResHeapFree(entry);
}

void FreeAllIn(RwLinkList* list) {
  while (!rwLinkListEmpty(list)) {
    ReleaseEntry(EntryFromLink(rwLinkListGetFirstLLLink(list)));
  }
}

// Evicts the oldest entry; false when the arena holds none.
bool EvictOne(RwResourcesGlobals* globals) {
  if (!rwLinkListEmpty(globals->aged)) {
    ReleaseEntry(EntryFromLink(rwLinkListGetLastLLLink(globals->aged)));
    return true;
  }
  if (!rwLinkListEmpty(globals->current)) {
    RwResEntry* entry = EntryFromLink(rwLinkListGetLastLLLink(globals->current));
    globals->evicted += static_cast<RwUInt32>(entry->size);
    ReleaseEntry(entry);
    return true;
  }
  return false;
}

}  // namespace

RwResEntry* RwResourcesAllocateResEntry(void* owner, RwResEntry** ownerRef, RwInt32 size,
                                        RwResEntryDestroyNotify destroyNotify) {
  RwResourcesGlobals* globals = Globals();
  const bool fits =
      size >= 0 && globals->heap != nullptr && static_cast<RwUInt32>(size) <= UINT32_MAX - sizeof(RwResEntry);
  void* memory = nullptr;
  while (fits) {
    memory = RwResHeapAlloc(globals->heap, static_cast<RwUInt32>(size) + sizeof(RwResEntry));
    if (memory != nullptr || !EvictOne(globals)) {
      break;
    }
  }
  if (memory == nullptr) {
    RecordNoRoom();
    if (ownerRef != nullptr) {
      *ownerRef = nullptr;
    }
    return nullptr;
  }
  RwResEntry* entry = static_cast<RwResEntry*>(memory);
  rwLinkListAddLLLink(globals->current, &entry->link);
  entry->size = size;
  entry->owner = owner;
  entry->ownerRef = ownerRef;
  entry->destroyNotify = destroyNotify;
  globals->inUse += static_cast<RwUInt32>(size);
  if (ownerRef != nullptr) {
    *ownerRef = entry;
  }
  return entry;
}

RwBool RwResourcesFreeResEntry(RwResEntry* entry) {
  ReleaseEntry(entry);
  return TRUE;
}

void RwResourcesUseResEntry(RwResEntry* entry) {
  if (entry->link.next == nullptr) {
    return;
  }
  rwLLLinkRemove(&entry->link);
  rwLinkListAddLLLink(Globals()->current, &entry->link);
}

void RwResourcesAgeEntries(void) {
  RwResourcesGlobals* globals = Globals();
  RwLinkList* aged = globals->aged;
  RwLinkList* current = globals->current;
  // Append the aged entries behind the current ones; the combined chain
  // becomes the aged list and the emptied aged head the new current list.
  if (!rwLinkListEmpty(aged)) {
    RwLLLink* agedFirst = aged->link.next;
    RwLLLink* agedLast = aged->link.prev;
    RwLLLink* currentLast = current->link.prev;
    currentLast->next = agedFirst;
    agedFirst->prev = currentLast;
    agedLast->next = &current->link;
    current->link.prev = agedLast;
    rwLinkListInitialize(aged);
  }
  globals->aged = current;
  globals->current = aged;
  globals->evicted = 0;
}

RwBool RwResourcesEmptyArena(void) {
  RwResourcesGlobals* globals = Globals();
  FreeAllIn(&globals->listA);
  FreeAllIn(&globals->listB);
  rwLinkListInitialize(&globals->listA);
  rwLinkListInitialize(&globals->listB);
  globals->evicted = 0;
  return TRUE;
}

void* _rwResourcesOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  resourcesModuleOffset = offset;
  RwResourcesGlobals* globals = Globals();
  globals->arenaSize = RwEngineInstance->resourceArenaSize;
  globals->inUse = 0;
  globals->evicted = 0;
  globals->heap = nullptr;
  globals->block = nullptr;
  rwLinkListInitialize(&globals->listA);
  rwLinkListInitialize(&globals->listB);
  globals->current = &globals->listA;
  globals->aged = &globals->listB;
  if (globals->arenaSize == 0) {
    return instance;
  }
  globals->block = RwMalloc(globals->arenaSize);
  if (globals->block == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  if (!RwResHeapInit(globals->block, globals->arenaSize)) {
    RwFree(globals->block);
    globals->block = nullptr;
    RecordNoRoom();
    return nullptr;
  }
  globals->heap = static_cast<RwResHeap*>(globals->block);
  return instance;
}

void* _rwResourcesClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RwResourcesEmptyArena();
  RwResourcesGlobals* globals = Globals();
  if (globals->block != nullptr) {
    RwFree(globals->block);
  }
  globals->block = nullptr;
  globals->heap = nullptr;
  return instance;
}
