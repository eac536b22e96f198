// Clumps: the atomic and clump module (engine plugin 0x504, with both free
// lists), clump creation, destruction and cloning, membership of atomics and,
// through the clump-link extension, of lights and cameras, the walks and
// rendering.
#include "engine/world/clump.h"

#include <cstddef>

#include "engine/src/frame_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kEntriesPerBlock = 128;
static_assert(sizeof(RpClumpModule) <= kRpClumpModuleDataSize, "module data fits its engine block");

RwPluginRegistry gClumpRegistry = RwPluginRegistryInitializer(sizeof(RpClump));
// The module's block in the engine instance while the engine is started.
RpClumpModule* gModule = nullptr;

RpClump* KeepClump(RpClump* clump, void*) { return clump; }

// The clump-link extension of an object whose registry put it at offset.
RpClumpLink* LinkAt(const void* object, RwInt32 offset) {
  return offset < 0 ? nullptr : const_cast<RpClumpLink*>(RwPluginDataGetConst(RpClumpLink, object, offset));
}

RpClumpLink* LightLink(const RpLight* light) {
  return gModule != nullptr ? LinkAt(light, gModule->lightLinkOffset) : nullptr;
}

RpClumpLink* CameraLink(const RwCamera* camera) {
  return gModule != nullptr ? LinkAt(camera, gModule->cameraLinkOffset) : nullptr;
}

// The object whose clump-link extension at offset holds the list link.
void* MemberOfLink(RwLLLink* link, RwInt32 offset) {
  return reinterpret_cast<RwUInt8*>(link) - offsetof(RpClumpLink, inClumpLink) - offset;
}

void Unlink(RpClumpLink* link) {
  if (link->clump != nullptr) {
    rwLLLinkRemove(&link->inClumpLink);
  }
  *link = {nullptr, {nullptr, nullptr}};
}

RwBool Link(RpClump* clump, RwLinkList* list, RpClumpLink* link) {
  if (link == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);  // the clump link is not attached
    return FALSE;
  }
  Unlink(link);
  rwLinkListAddLLLink(list, &link->inClumpLink);
  link->clump = clump;
  return TRUE;
}

void* ClumpLinkConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpClumpLink, object, offset) = {nullptr, {nullptr, nullptr}};
  return object;
}

// A light or camera destroyed while still in a clump leaves it, so that the
// clump's walks never meet a freed member.
void* ClumpLinkDestruct(void* object, RwInt32 offset, RwInt32) {
  Unlink(RwPluginDataGet(RpClumpLink, object, offset));
  return object;
}

// Calls callBack on each member of a list of clump links at offset.
template <typename Member, typename CallBack>
void ForAllLinked(RwLinkList* list, RwInt32 offset, CallBack callBack, void* data) {
  RwLLLink* const end = rwLinkListGetTerminator(list);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != end;) {
    RwLLLink* next = link->next;
    if (callBack(static_cast<Member*>(MemberOfLink(link, offset)), data) == nullptr) {
      return;
    }
    link = next;
  }
}

RpAtomic* FirstAtomic(RpClump* clump) {
  return rwLLLinkGetData(rwLinkListGetFirstLLLink(&clump->atomicList), RpAtomic, inClumpLink);
}

// Destroys everything the clump owns, the record itself excepted.
void DestroyMembers(RpClump* clump) {
  while (!rwLinkListEmpty(&clump->atomicList)) {
    RpAtomicDestroy(FirstAtomic(clump));
  }
  while (!rwLinkListEmpty(&clump->lightList)) {
    auto* light =
        static_cast<RpLight*>(MemberOfLink(rwLinkListGetFirstLLLink(&clump->lightList), gModule->lightLinkOffset));
    RpClumpRemoveLight(clump, light);
    RpLightDestroy(light);
  }
  while (!rwLinkListEmpty(&clump->cameraList)) {
    auto* camera =
        static_cast<RwCamera*>(MemberOfLink(rwLinkListGetFirstLLLink(&clump->cameraList), gModule->cameraLinkOffset));
    RpClumpRemoveCamera(clump, camera);
    RwCameraDestroy(camera);
  }
  RwFrameDestroyHierarchy(RpClumpGetFrame(clump));
  clump->object.parent = nullptr;
}

void ReleaseClump(RpClump* clump) {
  RwPluginRegistryDeInitObject(&gClumpRegistry, clump);
  DestroyMembers(clump);
}

void ReleaseLeftOverClump(void* entry, void*) { ReleaseClump(static_cast<RpClump*>(entry)); }

void ReleaseLeftOverAtomic(void* entry, void*) { _rpAtomicRelease(static_cast<RpAtomic*>(entry)); }

// Each frame of a source hierarchy beside its copy, at the same index.
struct FramePairs {
  RwFrame** sources;
  RwFrame** copies;
  RwInt32 count;
};

// Copies the hierarchy under root, pairing every frame with its copy; the
// copy, or null on failure (nothing left behind).
RwFrame* CloneFrames(RwFrame* root, FramePairs* pairs) {
  const RwInt32 count = RwFrameCount(root);
  pairs->sources = static_cast<RwFrame**>(RwMalloc(2 * sizeof(RwFrame*) * static_cast<size_t>(count)));
  if (pairs->sources == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  pairs->copies = pairs->sources + count;
  pairs->count = count;
  RwInt32 i = 0;
  for (RwFrame* f = root; f != nullptr; f = _rwFrameNextInSubtree(f, root)) {
    pairs->sources[i++] = f;
  }
  return _rwFrameCloneHierarchyPaired(root, pairs->copies);
}

void ReleasePairs(FramePairs* pairs) {
  EngineFree(pairs->sources);
  *pairs = {nullptr, nullptr, 0};
}

// The copy of frame; a frame outside the copied hierarchy is shared.
RwFrame* CopyOfFrame(const FramePairs& pairs, RwFrame* frame) {
  for (RwInt32 i = 0; i < pairs.count; ++i) {
    if (pairs.sources[i] == frame) {
      return pairs.copies[i];
    }
  }
  return frame;
}

// Clones the source's atomics onto the copied frames into clone; false when
// an atomic could not be cloned. A source atomic without a frame stops the
// cloning with error 5 but is not a failure.
RwBool CloneAtomics(RpClump* source, RpClump* clone, const FramePairs& pairs) {
  RwLLLink* const end = rwLinkListGetTerminator(&source->atomicList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&source->atomicList); link != end; link = link->next) {
    RpAtomic* atomic = rwLLLinkGetData(link, RpAtomic, inClumpLink);
    RpAtomic* copy = RpAtomicClone(atomic);
    if (copy == nullptr) {
      return FALSE;
    }
    RwFrame* frame = RpAtomicGetFrame(atomic);
    if (frame == nullptr) {
      RpAtomicDestroy(copy);
      RwErrorRaise(kRwPluginIdWorld, kRpErrAtomicWithoutFrame);
      return TRUE;
    }
    RpAtomicSetFrame(copy, CopyOfFrame(pairs, frame));
    RpClumpAddAtomic(clone, copy);
  }
  return TRUE;
}

}  // namespace

RpClumpModule* _rpClumpModule(void) { return gModule; }

const RwPluginRegistry* _rpClumpRegistry(void) { return &gClumpRegistry; }

void* _rpClumpOpen(void* instance, RwInt32 offset, RwInt32) {
  RpClumpModule* module = RwPluginDataGet(RpClumpModule, instance, offset);
  module->atomicFreeList = RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(_rpAtomicRegistry()->sizeOfStruct),
                                                          kEntriesPerBlock, alignof(RpAtomic), 1, nullptr);
  module->clumpFreeList = module->atomicFreeList != nullptr
                              ? RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(gClumpRegistry.sizeOfStruct),
                                                               kEntriesPerBlock, alignof(RpClump), 1, nullptr)
                              : nullptr;
  if (module->clumpFreeList == nullptr) {
    if (module->atomicFreeList != nullptr) {
      RwFreeListDestroy(module->atomicFreeList);
    }
    *module = {};
    return nullptr;
  }
  // Every plugin is registered before the engine starts.
  module->lightLinkOffset = RpLightGetPluginOffset(kRpPluginIdClumpLink);
  module->cameraLinkOffset = RwCameraGetPluginOffset(kRpPluginIdClumpLink);
  module->atomicWorldOffset = RpAtomicGetPluginOffset(kRpPluginIdWorldObject);
  gModule = module;
  return instance;
}

void* _rpClumpClose(void* instance, RwInt32, RwInt32) {
  if (gModule != nullptr) {
    // Clumps first: they destroy their atomics through the atomic free list.
    RwFreeListForAllUsed(gModule->clumpFreeList, ReleaseLeftOverClump, nullptr);
    RwFreeListDestroy(gModule->clumpFreeList);
    RwFreeListForAllUsed(gModule->atomicFreeList, ReleaseLeftOverAtomic, nullptr);
    RwFreeListDestroy(gModule->atomicFreeList);
    *gModule = {};
  }
  gModule = nullptr;
  return instance;
}

RwBool _rpClumpLinkPluginAttach(void) {
  return RpLightRegisterPlugin(sizeof(RpClumpLink), kRpPluginIdClumpLink, ClumpLinkConstruct, ClumpLinkDestruct,
                               nullptr) >= 0 &&
         RwCameraRegisterPlugin(sizeof(RpClumpLink), kRpPluginIdClumpLink, ClumpLinkConstruct, ClumpLinkDestruct,
                                nullptr) >= 0;
}

RpClump* RpClumpCreate(void) {
  auto* clump = gModule != nullptr ? static_cast<RpClump*>(RwFreeListEntryAlloc(gModule->clumpFreeList)) : nullptr;
  if (clump == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  clump->object = {kRpClumpObjectType, 0, 0, 0, nullptr};
  rwLinkListInitialize(&clump->atomicList);
  rwLinkListInitialize(&clump->lightList);
  rwLinkListInitialize(&clump->cameraList);
  clump->inWorldLink = {nullptr, nullptr};
  clump->callback = KeepClump;
  if (RwPluginRegistryInitObject(&gClumpRegistry, clump) == nullptr) {
    RwFreeListEntryFree(gModule->clumpFreeList, clump);
    return nullptr;
  }
  return clump;
}

RwBool RpClumpDestroy(RpClump* clump) {
  ReleaseClump(clump);
  RwFreeListEntryFree(gModule->clumpFreeList, clump);
  return TRUE;
}

RpClump* RpClumpClone(RpClump* clump) {
  RpClump* clone = RpClumpCreate();
  if (clone == nullptr) {
    return nullptr;
  }
  RwFrame* root = RpClumpGetFrame(clump);
  FramePairs pairs = {nullptr, nullptr, 0};
  if (root != nullptr) {
    RpClumpSetFrame(clone, CloneFrames(root, &pairs));
    if (RpClumpGetFrame(clone) == nullptr) {
      ReleasePairs(&pairs);
      RpClumpDestroy(clone);
      return nullptr;
    }
  }
  const RwBool cloned = CloneAtomics(clump, clone, pairs);
  ReleasePairs(&pairs);
  if (!cloned) {
    RpClumpDestroy(clone);
    return nullptr;
  }
  clone->callback = clump->callback;
  RwPluginRegistryCopyObject(&gClumpRegistry, clone, clump);
  return clone;
}

RpClump* RpClumpSetFrame(RpClump* clump, RwFrame* frame) {
  clump->object.parent = frame;
  return clump;
}

RwFrame* RpClumpGetFrame(const RpClump* clump) { return static_cast<RwFrame*>(clump->object.parent); }

RpClump* RpClumpAddAtomic(RpClump* clump, RpAtomic* atomic) {
  if (atomic->clump != nullptr) {
    RpClumpRemoveAtomic(atomic->clump, atomic);
  }
  rwLinkListAddLLLink(&clump->atomicList, &atomic->inClumpLink);
  atomic->clump = clump;
  return clump;
}

RpClump* RpClumpRemoveAtomic(RpClump* clump, RpAtomic* atomic) {
  rwLLLinkRemove(&atomic->inClumpLink);
  atomic->clump = nullptr;
  return clump;
}

RpClump* RpClumpAddLight(RpClump* clump, RpLight* light) {
  return Link(clump, &clump->lightList, LightLink(light)) ? clump : nullptr;
}

RpClump* RpClumpRemoveLight(RpClump* clump, RpLight* light) {
  if (RpClumpLink* link = LightLink(light)) {
    Unlink(link);
  }
  return clump;
}

RpClump* RpClumpAddCamera(RpClump* clump, RwCamera* camera) {
  return Link(clump, &clump->cameraList, CameraLink(camera)) ? clump : nullptr;
}

RpClump* RpClumpRemoveCamera(RpClump* clump, RwCamera* camera) {
  if (RpClumpLink* link = CameraLink(camera)) {
    Unlink(link);
  }
  return clump;
}

RpClump* RpLightGetClump(const RpLight* light) {
  const RpClumpLink* link = LightLink(light);
  return link != nullptr ? link->clump : nullptr;
}

RpClump* RwCameraGetClump(const RwCamera* camera) {
  const RpClumpLink* link = CameraLink(camera);
  return link != nullptr ? link->clump : nullptr;
}

RpClump* RpClumpForAllAtomics(RpClump* clump, RpAtomicCallBack callBack, void* data) {
  RwLLLink* const end = rwLinkListGetTerminator(&clump->atomicList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&clump->atomicList); link != end;) {
    RwLLLink* next = link->next;
    if (callBack(rwLLLinkGetData(link, RpAtomic, inClumpLink), data) == nullptr) {
      break;
    }
    link = next;
  }
  return clump;
}

RpClump* RpClumpForAllLights(RpClump* clump, RpLightCallBack callBack, void* data) {
  ForAllLinked<RpLight>(&clump->lightList, gModule->lightLinkOffset, callBack, data);
  return clump;
}

RpClump* RpClumpForAllCameras(RpClump* clump, RwCameraCallBack callBack, void* data) {
  ForAllLinked<RwCamera>(&clump->cameraList, gModule->cameraLinkOffset, callBack, data);
  return clump;
}

RwInt32 RpClumpGetNumAtomics(RpClump* clump) {
  RwInt32 count = 0;
  RwLLLink* const end = rwLinkListGetTerminator(&clump->atomicList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&clump->atomicList); link != end; link = link->next) {
    ++count;
  }
  return count;
}

RpClump* RpClumpRender(RpClump* clump) {
  RwBool rendered = TRUE;
  RwLLLink* const end = rwLinkListGetTerminator(&clump->atomicList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&clump->atomicList); link != end;) {
    RpAtomic* atomic = rwLLLinkGetData(link, RpAtomic, inClumpLink);
    link = link->next;  // a callback may take its atomic out of the clump
    if ((atomic->object.object.flags & rpATOMICRENDER) == 0) {
      continue;
    }
    if (RwFrame* frame = RpAtomicGetFrame(atomic)) {
      RwFrameGetLTM(frame);
    }
    if (atomic->renderCallBack(atomic) == nullptr) {
      rendered = FALSE;
    }
  }
  return rendered ? clump : nullptr;
}

RwInt32 RpClumpRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gClumpRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpClumpRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB,
                                    RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gClumpRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpClumpGetPluginOffset(RwUInt32 pluginID) { return RwPluginRegistryGetPluginOffset(&gClumpRegistry, pluginID); }
