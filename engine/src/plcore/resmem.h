// The resource arena: instanced rendering data cached per owner in one fixed
// block, aged once per presented frame and evicted least recently allocated
// first when room runs out.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/resmem_heap.h"

struct RwResEntry;
typedef void (*RwResEntryDestroyNotify)(RwResEntry* entry);

// Header in front of an owner's cached data; the data follows it.
struct RwResEntry {
  RwLLLink link;  // in the aged or current list; next is null for an entry outside the arena
  RwInt32 size;   // bytes of data behind the header
  void* owner;
  RwResEntry** ownerRef;  // the owner's slot that points at this entry, or null
  RwResEntryDestroyNotify destroyNotify;
};

// The module's data in the engine instance (engine plugin kResourcesPluginId).
struct RwResourcesGlobals {
  RwUInt32 arenaSize;  // bytes; 0 means no heap
  RwUInt32 inUse;      // data bytes of live entries
  RwUInt32 evicted;    // data bytes evicted from the current list since the last age step
  RwResHeap* heap;
  void* block;  // the arena's memory, holding the heap
  RwLinkList listA;
  RwLinkList listB;
  RwLinkList* aged;
  RwLinkList* current;
};

constexpr RwUInt32 kResourcesPluginId = 0x40B;

// The data behind an entry's header.
inline void* RwResEntryGetData(RwResEntry* entry) { return entry + 1; }

// Gives owner `size` bytes, evicting other entries as needed; stores the
// entry in *ownerRef when a slot is given. Null (error 12, *ownerRef cleared)
// when the arena cannot hold the request even when empty.
RwResEntry* RwResourcesAllocateResEntry(void* owner, RwResEntry** ownerRef, RwInt32 size,
                                        RwResEntryDestroyNotify destroyNotify);
// Calls the destroy callback, clears the owner's slot and releases the entry.
RwBool RwResourcesFreeResEntry(RwResEntry* entry);
// The entry was used this frame: it moves to the front of the current list,
// to be evicted after everything not used since. Entries outside the arena
// are left alone.
void RwResourcesUseResEntry(RwResEntry* entry);
// One presented frame: everything allocated so far becomes aged.
void RwResourcesAgeEntries(void);
RwBool RwResourcesEmptyArena(void);
