// The growable array: starts with room for 20 entries and grows by a quarter.
#include "engine/src/plcore/list.h"

#include <cstdint>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kInitialCapacity = 20;

void RaiseOutOfMemory() { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrOutOfMemory)); }

// Grows the storage to capacity entries; false (with the error recorded) on failure.
bool Grow(RwList* list, RwInt64 capacity) {
  const RwInt64 bytes = capacity * list->entrySize;
  if (capacity > INT32_MAX || bytes <= 0) {
    RaiseOutOfMemory();
    return false;
  }
  void* grown = RwRealloc(list->entries, static_cast<size_t>(bytes));
  if (grown == nullptr) {
    RaiseOutOfMemory();
    return false;
  }
  list->entries = grown;
  list->capacity = static_cast<RwInt32>(capacity);
  return true;
}

}  // namespace

RwList* RwListCreate(RwInt32 entrySize) {
  RwList* list = static_cast<RwList*>(RwMalloc(sizeof(RwList)));
  if (list == nullptr) {
    RaiseOutOfMemory();
    return nullptr;
  }
  list->entries = RwMalloc(static_cast<size_t>(kInitialCapacity) * static_cast<size_t>(entrySize));
  if (list->entries == nullptr) {
    RaiseOutOfMemory();
    RwFree(list);
    return nullptr;
  }
  list->count = 0;
  list->capacity = kInitialCapacity;
  list->entrySize = entrySize;
  return list;
}

void RwListEmpty(RwList* list) { list->count = 0; }

RwBool RwListDestroy(RwList* list) {
  EngineFree(list->entries);
  RwFree(list);
  return TRUE;
}

void* RwListGetNewEntry(RwList* list) {
  if (list->count >= list->capacity && !Grow(list, static_cast<RwInt64>(list->capacity) + list->capacity / 4)) {
    return nullptr;
  }
  return RwListGetEntry(list, list->count++);
}

void* RwListGetNewEntries(RwList* list, RwInt32 n) {
  if (n < 0) {
    return nullptr;
  }
  if (static_cast<RwInt64>(list->count) + n >= list->capacity &&
      !Grow(list, static_cast<RwInt64>(list->capacity) + list->capacity / 4 + n)) {
    return nullptr;
  }
  void* first = RwListGetEntry(list, list->count);
  list->count += n;
  return first;
}

void* RwListGetArray(RwList* list) { return list->count > 0 ? list->entries : nullptr; }

RwInt32 RwListGetNumEntries(const RwList* list) { return list->count; }

void* RwListGetEntry(RwList* list, RwInt32 index) {
  return static_cast<RwUInt8*>(list->entries) + static_cast<size_t>(index) * static_cast<size_t>(list->entrySize);
}

void* RwListToArray(RwList* list) {
  void* entries = list->entries;
  if (list->count == 0) {
    EngineFree(entries);
    entries = nullptr;
  }
  RwFree(list);
  return entries;
}
