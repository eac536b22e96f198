// A growable array of fixed-size entries.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwList {
  void* entries;
  RwInt32 count;
  RwInt32 capacity;
  RwInt32 entrySize;
};

RwList* RwListCreate(RwInt32 entrySize);
// Forgets the entries and keeps the storage.
void RwListEmpty(RwList* list);
RwBool RwListDestroy(RwList* list);
void* RwListGetNewEntry(RwList* list);
// Room for n entries at the end; the first of them.
void* RwListGetNewEntries(RwList* list, RwInt32 n);
// Null when the list is empty.
void* RwListGetArray(RwList* list);
RwInt32 RwListGetNumEntries(const RwList* list);
// No bounds check.
void* RwListGetEntry(RwList* list, RwInt32 index);
// Hands the entries to the caller (null, and freed, when empty) and frees the list record.
void* RwListToArray(RwList* list);
