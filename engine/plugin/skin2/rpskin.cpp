// The plugin itself: the engine plugin whose first open makes the skin free
// list, the palette and the skin pipeline; the atomic extension (the
// hierarchy posing the atomic) and the geometry extension (the skin); and the
// choice of pipeline when an atomic is read.
#include "engine/plugin/skin2/rpskin.h"

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/plugin/skin2/skin_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"

namespace {

// The plugin whose presence alone changes the pipeline type; nothing
// registers it.
constexpr RwUInt32 kType3PluginId = 0x12E;  // 302

// Pipeline types an atomic asks for, and the mask bits of the types the
// plugin can serve; every type is served by the one skin pipeline.
enum SkinPipelineType : RwUInt32 {
  kTypeGeneric = 1,
  kTypeMatFX = 2,
  kTypeThree = 3,
};
constexpr RwUInt32 kMaskGeneric = 0x1;
constexpr RwUInt32 kMaskMatFX = 0x2;
constexpr RwUInt32 kMaskThree = 0x4;

constexpr RwUInt32 kPaletteBytes = kRpSkinPaletteSize * sizeof(RpSkinBlendMatrix) + 15;

struct SkinGlobals {
  RwInt32 openCount;
  RwUInt32 pipelineMask;
  RwFreeList* freeList;
  void* paletteBlock;  // as allocated
  RpSkinBlendMatrix* palette;
  RwPipeline* pipeline;
};
SkinGlobals sGlobals = {};

using HierarchyPointer = RpHAnimHierarchy*;

RwInt32 sAtomicOffset = -1;
RwInt32 sGeometryOffset = -1;

bool PluginRegistered(RwUInt32 pluginId) { return RwEngineGetPluginOffset(pluginId) != -1; }

void Close() {
  if (sGlobals.pipeline != nullptr) {
    RwPipelineDestroy(sGlobals.pipeline);
  }
  if (sGlobals.freeList != nullptr) {
    RwFreeListDestroy(sGlobals.freeList);
  }
  EngineFree(sGlobals.paletteBlock);
  sGlobals = {};
}

void* SkinOpen(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sGlobals.openCount++ > 0) {
    return instance;
  }
  sGlobals.pipelineMask = kMaskGeneric | (PluginRegistered(kRpMatFXPluginId) ? kMaskMatFX : 0) |
                          (PluginRegistered(kType3PluginId) ? kMaskThree : 0);
  sGlobals.freeList = RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(sizeof(RpSkin)), kRpSkinsPerBlock,
                                                     kRwFreeListMinimumAlignment, 1, nullptr);
  sGlobals.paletteBlock = RwCalloc(1, kPaletteBytes);
  if (sGlobals.freeList == nullptr || sGlobals.paletteBlock == nullptr) {
    Close();
    return nullptr;
  }
  const uintptr_t start = reinterpret_cast<uintptr_t>(sGlobals.paletteBlock);
  sGlobals.palette = reinterpret_cast<RpSkinBlendMatrix*>((start + 15) & ~static_cast<uintptr_t>(15));
  _rpSkinForgetPalette();
  _rpSkinSetBlendPath(RwCpuHasSSE() ? RpSkinBlendPath::kSSE : RpSkinBlendPath::kPortable);
  // Every type an atomic can ask for is drawn by the one pipeline; without
  // it skinned atomics keep the pipeline they have.
  if ((sGlobals.pipelineMask & kMaskGeneric) != 0) {
    sGlobals.pipeline = RpSkinD3D8PipelineCreate();
  }
  return instance;
}

void* SkinClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sGlobals.openCount > 0 && --sGlobals.openCount == 0) {
    Close();
  }
  return instance;
}

RpHAnimHierarchy** AtomicSlot(const RpAtomic* atomic) {
  return RwPluginDataGet(RpHAnimHierarchy*, const_cast<RpAtomic*>(atomic), sAtomicOffset);
}

// Free-list records arrive uninitialised: both slots start empty.
void* AtomicConstruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RpHAnimHierarchy*, object, offset) = nullptr;
  return object;
}

void* AtomicCopy(void* destination, const void* source, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(HierarchyPointer, destination, offset) = *RwPluginDataGetConst(HierarchyPointer, source, offset);
  return destination;
}

void* GeometryConstruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RpSkin*, object, offset) = nullptr;
  return object;
}

void* GeometryDestruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  RpSkin** slot = RwPluginDataGet(RpSkin*, object, offset);
  if (*slot != nullptr) {
    _rpSkinFree(*slot);
    *slot = nullptr;
  }
  return object;
}

void* GeometryCopy(void* destination, const void* /*source*/, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RpSkin*, destination, offset) = nullptr;
  return destination;
}

// The atomic's material-effects flag, asked only of a registered plugin.
bool MatFXFlagSet(const RpAtomic* atomic) {
  return PluginRegistered(kRpMatFXPluginId) && RpMatFXAtomicQueryEffects(atomic);
}

bool Skinned(const RpAtomic* atomic) {
  return atomic->geometry != nullptr && RpSkinGeometryGetSkin(atomic->geometry) != nullptr;
}

// Every type is drawn by the one skin pipeline; a plugin without one (its
// creation failed) leaves the atomic's pipeline alone.
void ApplyPipeline(RpAtomic* atomic, RwUInt32 /*type*/) {
  if (sGlobals.pipeline != nullptr) {
    RpAtomicSetPipeline(atomic, sGlobals.pipeline);
  }
}

RwBool AtomicAlways(void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RpAtomic* atomic = static_cast<RpAtomic*>(object);
  if (Skinned(atomic)) {
    ApplyPipeline(atomic, MatFXFlagSet(atomic) ? kTypeMatFX : kTypeGeneric);
  }
  return TRUE;
}

RwInt32 AtomicRights(void* object, RwInt32 /*offset*/, RwInt32 /*size*/, RwUInt32 extraData) {
  RpAtomic* atomic = static_cast<RpAtomic*>(object);
  if (Skinned(atomic)) {
    RwUInt32 type = extraData;
    if ((type == kTypeMatFX && !PluginRegistered(kRpMatFXPluginId)) ||
        (type == kTypeThree && !PluginRegistered(kType3PluginId))) {
      type = kTypeGeneric;
    }
    ApplyPipeline(atomic, type);
  }
  return 1;
}

}  // namespace

RwFreeList* _rpSkinFreeList(void) { return sGlobals.freeList; }

RpSkinBlendMatrix* _rpSkinPalette(void) { return sGlobals.palette; }

RwPipeline* _rpSkinPipeline(void) { return sGlobals.pipeline; }

RpSkin** _rpSkinGeometrySlot(const RpGeometry* geometry) {
  if (sGeometryOffset < 0) {
    return nullptr;
  }
  return RwPluginDataGet(RpSkin*, const_cast<RpGeometry*>(geometry), sGeometryOffset);
}

RwBool RpSkinPluginAttach(void) {
  RwEngineRegisterPlugin(0, kRpSkinPluginId, SkinOpen, SkinClose);
  sAtomicOffset = RpAtomicRegisterPlugin(static_cast<RwInt32>(sizeof(RpHAnimHierarchy*)), kRpSkinPluginId,
                                         AtomicConstruct, nullptr, AtomicCopy);
  RpAtomicSetStreamAlwaysCallBack(kRpSkinPluginId, AtomicAlways);
  RpAtomicSetStreamRightsCallBack(kRpSkinPluginId, AtomicRights);
  sGeometryOffset = RpGeometryRegisterPlugin(static_cast<RwInt32>(sizeof(RpSkin*)), kRpSkinPluginId, GeometryConstruct,
                                             GeometryDestruct, GeometryCopy);
  _rpSkinRegisterStreams();
  return TRUE;
}

RpAtomic* RpSkinAtomicSetHAnimHierarchy(RpAtomic* atomic, RpHAnimHierarchy* hierarchy) {
  if (sAtomicOffset < 0) {
    return nullptr;
  }
  *AtomicSlot(atomic) = hierarchy;
  return atomic;
}

RpHAnimHierarchy* RpSkinAtomicGetHAnimHierarchy(const RpAtomic* atomic) {
  return sAtomicOffset < 0 ? nullptr : *AtomicSlot(atomic);
}
