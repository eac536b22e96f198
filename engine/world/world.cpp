// Worlds and sectors: the world and sector plugin registries, the engine
// plugin that keeps the worlds loaded as one block (0x507) and the module
// counters beside it, destruction, the sector walks, the world a sector
// belongs to and the sector render callbacks.
#include "engine/world/world.h"

#include <initializer_list>

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/resmem.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/world_pipe.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object.h"

namespace {

// A world loaded as one block, with the block's size.
struct BlockEntry {
  RwLLLink link;
  RpWorld* world;
  size_t size;
};

struct RpWorldModule {
  RwFreeList* entryFreeList;
  RwLinkList blockWorlds;  // BlockEntry.link
};
static_assert(sizeof(RpWorldModule) <= kRpWorldModuleDataSize, "module data fits its engine block");

struct RpOpenCount {
  RwInt32 opens;
};
static_assert(sizeof(RpOpenCount) <= kRpOpenCountDataSize, "module data fits its engine block");

constexpr RwUInt32 kEntriesPerBlock = 8;

RwPluginRegistry gWorldRegistry = RwPluginRegistryInitializer(sizeof(RpWorld));
RwPluginRegistry gSectorRegistry = RwPluginRegistryInitializer(sizeof(RpWorldSector));
// The module's block in the engine instance while the engine is started.
RpWorldModule* gModule = nullptr;

BlockEntry* EntryOf(RwLLLink* link) { return rwLLLinkGetData(link, BlockEntry, link); }

BlockEntry* FindEntry(const RpWorld* world) {
  if (gModule == nullptr) {
    return nullptr;
  }
  RwLLLink* const end = rwLinkListGetTerminator(&gModule->blockWorlds);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&gModule->blockWorlds); link != end; link = link->next) {
    if (EntryOf(link)->world == world) {
      return EntryOf(link);
    }
  }
  return nullptr;
}

// Frees what an atomic sector holds outside the block and runs its plugin
// destructors.
void ReleaseSector(RpWorldSector* sector) {
  if (sector->mesh != nullptr) {
    RpMeshHeaderDestroy(sector->mesh);
    sector->mesh = nullptr;
  }
  if (sector->repEntry != nullptr) {
    RwResourcesFreeResEntry(sector->repEntry);
    sector->repEntry = nullptr;
  }
  _rpWorldSectorFreeTies(sector);
  RwPluginRegistryDeInitObject(&gSectorRegistry, sector);
}

// Every atomic sector reachable from the root, left subtree first; a
// subtree that a failed read left unlinked (null) is passed over.
void ReleaseSectors(RpSector* root) {
  RpSectorStack<RpSector*> pending;
  RpSector* sector = root;
  for (;;) {
    if (sector != nullptr && RpSectorIsAtomic(sector)) {
      if (sector->type != rpSECTOREMPTY) {
        ReleaseSector(RpSectorAsAtomic(sector));
      }
      sector = nullptr;
    } else if (sector != nullptr) {
      const RpPlaneSector* plane = RpSectorAsPlane(sector);
      pending.Push(plane->rightSubTree);
      sector = plane->leftSubTree;
      continue;
    }
    if (!pending.Pop(&sector)) {
      return;
    }
  }
}

RpOpenCount* CountAt(void* instance, RwInt32 offset) { return RwPluginDataGet(RpOpenCount, instance, offset); }

void* CountOpen(void* instance, RwInt32 offset, RwInt32) {
  CountAt(instance, offset)->opens++;
  return instance;
}

void* CountClose(void* instance, RwInt32 offset, RwInt32) {
  CountAt(instance, offset)->opens--;
  return instance;
}

// Clumps and lights still in the world leave it (atomics tied to its sectors
// leave with their ties), so that none keeps a destroyed world.
void DetachObjects(RpWorld* world) {
  while (!rwLinkListEmpty(&world->clumpList)) {
    RwLLLink* link = rwLinkListGetFirstLLLink(&world->clumpList);
    if (RpWorldRemoveClump(world, rwLLLinkGetData(link, RpClump, inWorldLink)) == nullptr) {
      rwLLLinkRemove(link);
    }
  }
  for (RwLinkList* list : {&world->lightList, &world->directionalLightList}) {
    while (!rwLinkListEmpty(list)) {
      RpWorldRemoveLight(world, rwLLLinkGetData(rwLinkListGetFirstLLLink(list), RpLight, inWorld));
    }
  }
}

void DestroyLeftOverWorld(void* entry, void*) { _rpWorldRelease(static_cast<BlockEntry*>(entry)->world, TRUE); }

}  // namespace

void* _rpWorldModuleOpen(void* instance, RwInt32 offset, RwInt32 size) { return CountOpen(instance, offset, size); }
void* _rpWorldModuleClose(void* instance, RwInt32 offset, RwInt32 size) { return CountClose(instance, offset, size); }
void* _rpSectorModuleOpen(void* instance, RwInt32, RwInt32) { return instance; }
void* _rpSectorModuleClose(void* instance, RwInt32, RwInt32) { return instance; }
void* _rpBinMeshModuleOpen(void* instance, RwInt32, RwInt32) { return instance; }
void* _rpBinMeshModuleClose(void* instance, RwInt32, RwInt32) { return instance; }

void* _rpWorldOpen(void* instance, RwInt32 offset, RwInt32) {
  RpWorldModule* module = RwPluginDataGet(RpWorldModule, instance, offset);
  module->entryFreeList =
      RwFreeListCreateAndPreallocate(sizeof(BlockEntry), kEntriesPerBlock, alignof(BlockEntry), 1, nullptr);
  if (module->entryFreeList == nullptr) {
    return nullptr;
  }
  // The pipelines that draw atomics and sectors open and close with worlds.
  if (!RpWorldPipeOpen()) {
    RwFreeListDestroy(module->entryFreeList);
    module->entryFreeList = nullptr;
    return nullptr;
  }
  rwLinkListInitialize(&module->blockWorlds);
  gModule = module;
  return instance;
}

void* _rpWorldClose(void* instance, RwInt32, RwInt32) {
  if (gModule != nullptr) {
    // Worlds the game did not destroy; their ties went with the world-object
    // plugin, which closes first.
    RwFreeListForAllUsed(gModule->entryFreeList, DestroyLeftOverWorld, nullptr);
    RwFreeListDestroy(gModule->entryFreeList);
    *gModule = {};
    RpWorldPipeClose();
  }
  gModule = nullptr;
  return instance;
}

RwBool _rpWorldRegisterBlock(RpWorld* world, size_t size) {
  auto* entry = gModule != nullptr ? static_cast<BlockEntry*>(RwFreeListEntryAlloc(gModule->entryFreeList)) : nullptr;
  if (entry == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return FALSE;
  }
  entry->world = world;
  entry->size = size;
  rwLinkListAddLLLink(&gModule->blockWorlds, &entry->link);
  return TRUE;
}

void _rpWorldRelease(RpWorld* world, RwBool constructed) {
  if (BlockEntry* entry = FindEntry(world)) {
    rwLLLinkRemove(&entry->link);
    RwFreeListEntryFree(gModule->entryFreeList, entry);
  }
  DetachObjects(world);
  if (world->rootSector != nullptr) {
    ReleaseSectors(world->rootSector);
  }
  RpMaterialListDeinitialize(&world->matList);
  if (constructed) {
    RwPluginRegistryDeInitObject(&gWorldRegistry, world);
  }
  RwFree(world);
}

const RwPluginRegistry* _rpWorldRegistry(void) { return &gWorldRegistry; }
const RwPluginRegistry* _rpWorldSectorRegistry(void) { return &gSectorRegistry; }

RwBool RpWorldDestroy(RpWorld* world) {
  _rpWorldRelease(world, TRUE);
  return TRUE;
}

RpWorld* RpWorldForAllWorldSectors(RpWorld* world, RpWorldSectorCallBack callBack, void* data) {
  RpSectorStack<RpSector*> pending;
  RpSector* sector = world->rootSector;
  while (sector != nullptr) {
    if (RpSectorIsAtomic(sector)) {
      if (callBack(RpSectorAsAtomic(sector), data) == nullptr || !pending.Pop(&sector)) {
        break;
      }
      continue;
    }
    const RpPlaneSector* plane = RpSectorAsPlane(sector);
    pending.Push(plane->rightSubTree);
    sector = plane->leftSubTree;
  }
  return world;
}

RpWorld* RpWorldSectorGetWorld(const RpWorldSector* sector) {
  if (gModule == nullptr) {
    return nullptr;
  }
  // Every world is read as one block; the block that holds the sector names it.
  const auto* address = reinterpret_cast<const RwUInt8*>(sector);
  RwLLLink* const end = rwLinkListGetTerminator(&gModule->blockWorlds);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&gModule->blockWorlds); link != end; link = link->next) {
    const BlockEntry* entry = EntryOf(link);
    const auto* block = reinterpret_cast<const RwUInt8*>(entry->world);
    if (address >= block && address < block + entry->size) {
      return entry->world;
    }
  }
  return nullptr;
}

RpWorld* RpWorldSetSectorRenderCallBack(RpWorld* world, RpWorldSectorCallBackRender callBack) {
  world->renderCallBack = callBack != nullptr ? callBack : RpWorldDefaultSectorRenderCallBack;
  return world;
}

RpWorldSectorCallBackRender RpWorldGetSectorRenderCallBack(const RpWorld* world) { return world->renderCallBack; }

RpWorldSector* RpWorldDefaultSectorRenderCallBack(RpWorldSector* sector) {
  if (sector->numPolygons == 0) {
    return sector;
  }
  RwPipeline* pipeline = sector->pipeline;
  const RpWorld* world = RwEngineInstance->currentWorld;
  if (pipeline == nullptr && world != nullptr) {
    pipeline = world->pipeline;
  }
  if (pipeline == nullptr) {
    const RwPipelineGlobals* globals = RwPipelineGetGlobals();
    pipeline = globals != nullptr ? globals->defaultWorldSectorPipeline : nullptr;
  }
  return RwPipelineExecute(pipeline, sector, TRUE) != nullptr ? sector : nullptr;
}

RpWorldSector* RpWorldSectorRender(RpWorldSector* sector) {
  const RpWorld* world = RwEngineInstance->currentWorld;
  return world != nullptr ? world->renderCallBack(sector) : nullptr;
}

RwInt32 RpWorldSectorGetNumTriangles(const RpWorldSector* sector) { return sector->numPolygons; }

RwUInt32 RpWorldGetFlags(const RpWorld* world) { return world->flags; }

const RwBBox* RpWorldGetBBox(const RpWorld* world) { return &world->boundingBox; }

RwInt32 RpWorldRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gWorldRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpWorldRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB,
                                    RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gWorldRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpWorldSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB) {
  return RwPluginRegistryAddPluginStreamRightsCB(&gWorldRegistry, pluginID, rightsCB);
}

RwInt32 RpWorldGetPluginOffset(RwUInt32 pluginID) { return RwPluginRegistryGetPluginOffset(&gWorldRegistry, pluginID); }

RwInt32 RpWorldSectorRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                    RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gSectorRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpWorldSectorRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                          RwPluginDataChunkWriteCallBack writeCB,
                                          RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gSectorRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpWorldSectorSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB) {
  return RwPluginRegistryAddPluginStreamRightsCB(&gSectorRegistry, pluginID, rightsCB);
}

RwInt32 RpWorldSectorGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&gSectorRegistry, pluginID);
}
