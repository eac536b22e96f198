// Ties between world sectors and the atomics and positioned lights that
// reach them: made at each synchronisation of the object's frame by walking
// the BSP with the object's box, freed when the object leaves the world or
// the world is destroyed, and walked by the sector and atomic walks.
#include <initializer_list>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object_internal.h"

namespace {

RpTie* AtomicTieOfSectorLink(RwLLLink* link) { return rwLLLinkGetData(link, RpTie, lWorldSector); }
RpTie* AtomicTieOfAtomicLink(RwLLLink* link) { return rwLLLinkGetData(link, RpTie, lAtomic); }
RpLightTie* LightTieOfSectorLink(RwLLLink* link) { return rwLLLinkGetData(link, RpLightTie, lightInWorldSector); }
RpLightTie* LightTieOfLightLink(RwLLLink* link) { return rwLLLinkGetData(link, RpLightTie, WorldSectorInLight); }

void FreeAtomicTie(RpTie* tie) {
  rwLLLinkRemove(&tie->lWorldSector);
  rwLLLinkRemove(&tie->lAtomic);
  RwFreeListEntryFree(_rpWorldObjectModule()->atomicTieFreeList, tie);
}

void FreeLightTie(RpLightTie* tie) {
  rwLLLinkRemove(&tie->lightInWorldSector);
  rwLLLinkRemove(&tie->WorldSectorInLight);
  RwFreeListEntryFree(_rpWorldObjectModule()->lightTieFreeList, tie);
}

// Frees every tie of a list; tieOf gives the tie of one of the list's links.
template <typename Tie, typename Free>
void FreeTies(RwLinkList* list, Tie* (*tieOf)(RwLLLink*), Free free) {
  while (!rwLinkListEmpty(list)) {
    free(tieOf(rwLinkListGetFirstLLLink(list)));
  }
}

void RaiseOutOfMemory() { RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory); }

// Ties the atomic to the sector; false (0x80000013) when no tie can be had.
RwBool TieAtomic(RpAtomic* atomic, RpWorldSector* sector) {
  auto* tie = static_cast<RpTie*>(RwFreeListEntryAlloc(_rpWorldObjectModule()->atomicTieFreeList));
  if (tie == nullptr) {
    RaiseOutOfMemory();
    return FALSE;
  }
  tie->apAtom = atomic;
  tie->worldSector = sector;
  RwLinkList* list = (RpAtomicGetFlags(atomic) & rpATOMICCOLLISIONTEST) != 0 ? &sector->collAtomicsInWorldSector
                                                                             : &sector->noCollAtomicsInWorldSector;
  rwLinkListAddLLLink(list, &tie->lWorldSector);
  rwLinkListAddLLLink(&atomic->llWorldSectorsInAtomic, &tie->lAtomic);
  return TRUE;
}

RwBool TieLight(RpLight* light, RpWorldSector* sector) {
  auto* tie = static_cast<RpLightTie*>(RwFreeListEntryAlloc(_rpWorldObjectModule()->lightTieFreeList));
  if (tie == nullptr) {
    RaiseOutOfMemory();
    return FALSE;
  }
  tie->light = light;
  tie->sect = sector;
  rwLinkListAddLLLink(&sector->lightsInWorldSector, &tie->lightInWorldSector);
  rwLinkListAddLLLink(&light->WorldSectorsInLight, &tie->WorldSectorInLight);
  return TRUE;
}

RwBBox BoxAround(const RwV3d& center, RwReal radius) {
  return {{center.x + radius, center.y + radius, center.z + radius},
          {center.x - radius, center.y - radius, center.z - radius}};
}

void UnlinkAtomicTie(void* entry, void*) {
  auto* tie = static_cast<RpTie*>(entry);
  rwLLLinkRemove(&tie->lWorldSector);
  rwLLLinkRemove(&tie->lAtomic);
}

void UnlinkLightTie(void* entry, void*) {
  auto* tie = static_cast<RpLightTie*>(entry);
  rwLLLinkRemove(&tie->lightInWorldSector);
  rwLLLinkRemove(&tie->WorldSectorInLight);
}

}  // namespace

void _rpAtomicRemoveTies(RpAtomic* atomic) {
  FreeTies(&atomic->llWorldSectorsInAtomic, AtomicTieOfAtomicLink, FreeAtomicTie);
}

void _rpLightRemoveTies(RpLight* light) { FreeTies(&light->WorldSectorsInLight, LightTieOfLightLink, FreeLightTie); }

void _rpWorldSectorFreeTies(RpWorldSector* sector) {
  // The atomics leave the world with their ties: a destroyed world's sectors
  // must not be walked again when they move.
  for (RwLinkList* list : {&sector->collAtomicsInWorldSector, &sector->noCollAtomicsInWorldSector}) {
    while (!rwLinkListEmpty(list)) {
      RpAtomic* atomic = AtomicTieOfSectorLink(rwLinkListGetFirstLLLink(list))->apAtom;
      RpWorldRemoveAtomic(RpAtomicGetWorld(atomic), atomic);
    }
  }
  FreeTies(&sector->lightsInWorldSector, LightTieOfSectorLink, FreeLightTie);
}

void _rpWorldObjectUnlinkAllTies(RpWorldObjectModule* module) {
  RwFreeListForAllUsed(module->atomicTieFreeList, UnlinkAtomicTie, nullptr);
  RwFreeListForAllUsed(module->lightTieFreeList, UnlinkLightTie, nullptr);
}

RwObjectHasFrame* _rpAtomicWorldSync(RwObjectHasFrame* object) {
  auto* atomic = reinterpret_cast<RpAtomic*>(object);
  const RpAtomicWorldExtension* extension = _rpAtomicWorldExtension(atomic);
  if (extension->keptSync(object) == nullptr) {
    return nullptr;
  }
  if (extension->world == nullptr) {
    return object;
  }
  _rpAtomicRemoveTies(atomic);
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(atomic);
  RpWorldForAllSectorsInBox(extension->world->rootSector, BoxAround(sphere->center, sphere->radius),
                            [atomic](RpWorldSector* sector) { return TieAtomic(atomic, sector); });
  return object;
}

RwObjectHasFrame* _rpLightWorldSync(RwObjectHasFrame* object) {
  auto* light = reinterpret_cast<RpLight*>(object);
  const RpLightWorldExtension* extension = _rpLightWorldExtension(light);
  if (extension->keptSync(object) == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrNullArgument);
    return object;
  }
  RwFrame* frame = RpLightGetFrame(light);
  if (RpLightGetType(light) < kRpLightPositioningStart || extension->world == nullptr || frame == nullptr) {
    return object;
  }
  _rpLightRemoveTies(light);
  RpWorldForAllSectorsInBox(extension->world->rootSector, BoxAround(RwFrameGetLTM(frame)->pos, light->radius),
                            [light](RpWorldSector* sector) { return TieLight(light, sector); });
  return object;
}

RpAtomic* RpAtomicForAllWorldSectors(RpAtomic* atomic, RpWorldSectorCallBack callBack, void* data) {
  RwLLLink* const end = rwLinkListGetTerminator(&atomic->llWorldSectorsInAtomic);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&atomic->llWorldSectorsInAtomic); link != end;) {
    RwLLLink* next = link->next;
    if (callBack(AtomicTieOfAtomicLink(link)->worldSector, data) == nullptr) {
      break;
    }
    link = next;
  }
  return atomic;
}

RpWorldSector* RpWorldSectorForAllCollisionAtomics(RpWorldSector* sector, RpAtomicCallBack callBack, void* data) {
  RwLinkList* list = &sector->collAtomicsInWorldSector;
  RwLLLink* const end = rwLinkListGetTerminator(list);
  // A marker tie after the current one stays in the list whatever ties the
  // callback frees, and gives the walk its next link.
  RpTie marker = {{nullptr, nullptr}, nullptr, {nullptr, nullptr}, sector};
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != end;) {
    RpAtomic* atomic = AtomicTieOfSectorLink(link)->apAtom;
    if (atomic == nullptr) {
      link = link->next;  // another walk's marker
      continue;
    }
    marker.lWorldSector.next = link->next;
    marker.lWorldSector.prev = link;
    link->next->prev = &marker.lWorldSector;
    link->next = &marker.lWorldSector;
    const RwBool goOn = callBack(atomic, data) != nullptr;
    link = marker.lWorldSector.next;
    rwLLLinkRemove(&marker.lWorldSector);
    if (!goOn) {
      break;
    }
  }
  return sector;
}
