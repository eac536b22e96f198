// Plugin registries: registration, lookup, and the constructor, destructor
// and copier passes over objects. Entries come from one free list shared by
// all registries (or single allocations in the plain-allocation mode, where
// the registries that received entries are remembered in an array instead).
#include "engine/src/plcore/plugin_registry.h"

#include <climits>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory_internal.h"
#include "engine/src/plcore/plugin_registry_internal.h"

namespace {

constexpr RwUInt32 kEntriesPerBlock = 64;

RwFreeList* sEntryList = nullptr;
RwPluginRegistry** sRegistries = nullptr;  // plain-allocation mode only
RwInt32 sRegistryCount = 0;

void* DefaultConstructor(void* object, RwInt32 /*offset*/, RwInt32 /*size*/) { return object; }
void* DefaultDestructor(void* object, RwInt32 /*offset*/, RwInt32 /*size*/) { return object; }
void* DefaultCopier(void* destination, const void* /*source*/, RwInt32 /*offset*/, RwInt32 /*size*/) {
  return destination;
}

RwBool PlainAllocationMode() { return RwEngineInstance->freeListEntryAlloc == _rwFreeListAllocPlain; }

RwBool RememberRegistry(RwPluginRegistry* registry) {
  for (RwInt32 i = 0; i < sRegistryCount; i++) {
    if (sRegistries[i] == registry) {
      return TRUE;
    }
  }
  const size_t bytes = sizeof(RwPluginRegistry*) * (static_cast<size_t>(sRegistryCount) + 1);
  RwPluginRegistry** grown = static_cast<RwPluginRegistry**>(RwMalloc(bytes));
  if (grown == nullptr) {
    return FALSE;
  }
  if (sRegistries != nullptr) {
    std::memcpy(grown, sRegistries, sizeof(RwPluginRegistry*) * static_cast<size_t>(sRegistryCount));
    RwFree(sRegistries);
  }
  grown[sRegistryCount++] = registry;
  sRegistries = grown;
  return TRUE;
}

void ResetRegistry(RwPluginRegistry* registry) {
  registry->sizeOfStruct = registry->origSizeOfStruct;
  registry->firstRegEntry = nullptr;
  registry->lastRegEntry = nullptr;
}

void ReleaseEntry(void* entry, void* /*data*/) {
  ResetRegistry(static_cast<RwPluginRegEntry*>(entry)->parentRegistry);
  RwFreeListEntryFree(sEntryList, entry);
}

}  // namespace

RwPluginRegEntry* _rwPluginRegistryFindEntry(const RwPluginRegistry* registry, RwUInt32 pluginID) {
  for (RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    if (entry->pluginID == pluginID) {
      return entry;
    }
  }
  return nullptr;
}

RwInt32 RwPluginRegistryAddPlugin(RwPluginRegistry* registry, RwInt32 size, RwUInt32 pluginID,
                                  RwPluginObjectConstructor constructCB, RwPluginObjectDestructor destructCB,
                                  RwPluginObjectCopy copyCB) {
  if (sEntryList == nullptr) {
    return -1;
  }
  if (_rwEngineOpenCount != 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrPluginRefused);
    return -1;
  }
  if (PlainAllocationMode() && !RememberRegistry(registry)) {
    return -1;
  }
  if (RwPluginRegEntry* existing = _rwPluginRegistryFindEntry(registry, pluginID)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrPluginRefused);
    return existing->offset;
  }
  if (size < 0 || size > INT_MAX - kRwPluginDataAlignment ||
      registry->sizeOfStruct > INT_MAX - RwPluginRegistryAlignSize(size)) {
    return -1;
  }
  const RwInt32 offset = registry->sizeOfStruct;
  const RwInt32 newTotal = offset + RwPluginRegistryAlignSize(size);
  if (registry->maxSizeOfStruct != 0 && newTotal > registry->maxSizeOfStruct) {
    return -1;
  }
  RwPluginRegEntry* entry = static_cast<RwPluginRegEntry*>(RwFreeListEntryAlloc(sEntryList));
  if (entry == nullptr) {
    return -1;
  }

  registry->sizeOfStruct = newTotal;
  entry->offset = offset;
  entry->size = size;
  entry->pluginID = pluginID;
  entry->readCB = nullptr;
  entry->writeCB = nullptr;
  entry->getSizeCB = nullptr;
  entry->alwaysCB = nullptr;
  entry->rightsCB = nullptr;
  entry->constructCB = constructCB != nullptr ? constructCB : DefaultConstructor;
  entry->destructCB = destructCB != nullptr ? destructCB : DefaultDestructor;
  entry->copyCB = copyCB != nullptr ? copyCB : DefaultCopier;
  entry->nextRegEntry = nullptr;
  entry->prevRegEntry = registry->lastRegEntry;
  entry->parentRegistry = registry;
  if (registry->lastRegEntry != nullptr) {
    registry->lastRegEntry->nextRegEntry = entry;
  } else {
    registry->firstRegEntry = entry;
  }
  registry->lastRegEntry = entry;
  return offset;
}

RwInt32 RwPluginRegistryGetPluginOffset(const RwPluginRegistry* registry, RwUInt32 pluginID) {
  const RwPluginRegEntry* entry = _rwPluginRegistryFindEntry(registry, pluginID);
  return entry != nullptr ? entry->offset : -1;
}

const RwPluginRegistry* RwPluginRegistryInitObject(const RwPluginRegistry* registry, void* object) {
  for (RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    if (entry->constructCB(object, entry->offset, entry->size) == nullptr) {
      for (RwPluginRegEntry* done = entry->prevRegEntry; done != nullptr; done = done->prevRegEntry) {
        done->destructCB(object, done->offset, done->size);
      }
      return nullptr;
    }
  }
  return registry;
}

const RwPluginRegistry* RwPluginRegistryDeInitObject(const RwPluginRegistry* registry, void* object) {
  for (RwPluginRegEntry* entry = registry->lastRegEntry; entry != nullptr; entry = entry->prevRegEntry) {
    entry->destructCB(object, entry->offset, entry->size);
  }
  return registry;
}

const RwPluginRegistry* RwPluginRegistryCopyObject(const RwPluginRegistry* registry, void* destination,
                                                   const void* source) {
  for (RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    entry->copyCB(destination, source, entry->offset, entry->size);
  }
  return registry;
}

RwInt32 RwPluginRegistryAddPluginStream(RwPluginRegistry* registry, RwUInt32 pluginID,
                                        RwPluginDataChunkReadCallBack readCB, RwPluginDataChunkWriteCallBack writeCB,
                                        RwPluginDataChunkGetSizeCallBack getSizeCB) {
  RwPluginRegEntry* entry = _rwPluginRegistryFindEntry(registry, pluginID);
  if (entry == nullptr) {
    return -1;
  }
  entry->readCB = readCB;
  entry->writeCB = writeCB;
  entry->getSizeCB = getSizeCB;
  return entry->offset;
}

RwInt32 RwPluginRegistryAddPluginStreamAlwaysCB(RwPluginRegistry* registry, RwUInt32 pluginID,
                                                RwPluginDataChunkAlwaysCallBack alwaysCB) {
  RwPluginRegEntry* entry = _rwPluginRegistryFindEntry(registry, pluginID);
  if (entry == nullptr) {
    return -1;
  }
  entry->alwaysCB = alwaysCB;
  return entry->offset;
}

RwInt32 RwPluginRegistryAddPluginStreamRightsCB(RwPluginRegistry* registry, RwUInt32 pluginID,
                                                RwPluginDataChunkRightsCallBack rightsCB) {
  RwPluginRegEntry* entry = _rwPluginRegistryFindEntry(registry, pluginID);
  if (entry == nullptr) {
    return -1;
  }
  entry->rightsCB = rightsCB;
  return entry->offset;
}

const RwPluginRegistry* RwPluginRegistryInvokeRights(const RwPluginRegistry* registry, RwUInt32 pluginID, void* object,
                                                     RwUInt32 extraData) {
  const RwPluginRegEntry* entry = _rwPluginRegistryFindEntry(registry, pluginID);
  if (entry == nullptr || entry->rightsCB == nullptr ||
      entry->rightsCB(object, entry->offset, entry->size, extraData) <= 0) {
    return nullptr;
  }
  return registry;
}

RwBool RwPluginRegistryOpen(void) {
  sEntryList = RwFreeListCreate(sizeof(RwPluginRegEntry), kEntriesPerBlock, alignof(RwPluginRegEntry));
  return sEntryList != nullptr;
}

RwBool RwPluginRegistryClose(void) {
  if (sEntryList == nullptr) {
    return FALSE;
  }
  // Block mode: every used entry knows its registry. Plain mode: entries are
  // in no block, so walk the remembered registries' chains.
  RwFreeListForAllUsed(sEntryList, ReleaseEntry, nullptr);
  for (RwInt32 i = 0; i < sRegistryCount; i++) {
    RwPluginRegEntry* entry = sRegistries[i]->firstRegEntry;
    while (entry != nullptr) {
      RwPluginRegEntry* next = entry->nextRegEntry;
      RwFreeListEntryFree(sEntryList, entry);
      entry = next;
    }
    ResetRegistry(sRegistries[i]);
  }
  if (sRegistries != nullptr) {
    RwFree(sRegistries);
  }
  sRegistries = nullptr;
  sRegistryCount = 0;
  RwFreeListDestroy(sEntryList);
  sEntryList = nullptr;
  return TRUE;
}
