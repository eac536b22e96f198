// The world-object plugin (0x509): its engine block with the tie free lists,
// its extensions on cameras, atomics, clumps and lights with the callbacks
// they install, RpWorldObjectPluginAttach, and adding objects to a world and
// removing them.
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/resmem.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object_internal.h"

namespace {

constexpr RwUInt32 kAtomicTiesPerBlock = 256;
constexpr RwUInt32 kLightTiesPerBlock = 32;
static_assert(sizeof(RpWorldObjectModule) <= kRpWorldObjectModuleDataSize, "module data fits its engine block");

// Where the registries put the plugin's blocks; fixed from attach to RwEngineTerm.
struct ExtensionOffsets {
  RwInt32 camera = -1;
  RwInt32 atomic = -1;
  RwInt32 clump = -1;
  RwInt32 light = -1;
};
ExtensionOffsets gOffsets;
// The module's block in the engine instance while the engine is started.
RpWorldObjectModule* gModule = nullptr;

template <typename Extension>
Extension* ExtensionAt(const void* object, RwInt32 offset) {
  return const_cast<Extension*>(RwPluginDataGetConst(Extension, object, offset));
}

void* ModuleOpen(void* instance, RwInt32 offset, RwInt32) {
  auto* module = RwPluginDataGet(RpWorldObjectModule, instance, offset);
  module->atomicTieFreeList =
      RwFreeListCreateAndPreallocate(sizeof(RpTie), kAtomicTiesPerBlock, alignof(RpTie), 1, nullptr);
  module->lightTieFreeList =
      module->atomicTieFreeList != nullptr
          ? RwFreeListCreateAndPreallocate(sizeof(RpLightTie), kLightTiesPerBlock, alignof(RpLightTie), 1, nullptr)
          : nullptr;
  if (module->lightTieFreeList == nullptr) {
    if (module->atomicTieFreeList != nullptr) {
      RwFreeListDestroy(module->atomicTieFreeList);
    }
    *module = {};
    return nullptr;
  }
  static_cast<RwEngineRecord*>(instance)->renderFrame = 1;
  gModule = module;
  return instance;
}

void* ModuleClose(void* instance, RwInt32, RwInt32) {
  if (gModule != nullptr) {
    // Objects and worlds outlive this block while the engine stops: they
    // must find their tie lists empty.
    _rpWorldObjectUnlinkAllTies(gModule);
    RwFreeListDestroy(gModule->lightTieFreeList);
    RwFreeListDestroy(gModule->atomicTieFreeList);
    *gModule = {};
  }
  gModule = nullptr;
  return instance;
}

void* CameraConstruct(void* object, RwInt32 offset, RwInt32) {
  auto* camera = static_cast<RwCamera*>(object);
  auto* extension = ExtensionAt<RpCameraWorldExtension>(object, offset);
  *extension = {nullptr, 0, 0, nullptr, camera->beginUpdate, camera->endUpdate, camera->object.sync};
  camera->beginUpdate = _rpCameraWorldBeginUpdate;
  camera->endUpdate = _rpCameraWorldEndUpdate;
  camera->object.sync = _rpCameraWorldSync;
  return object;
}

void* CameraDestruct(void* object, RwInt32 offset, RwInt32) {
  auto* camera = static_cast<RwCamera*>(object);
  auto* extension = ExtensionAt<RpCameraWorldExtension>(object, offset);
  _rpCameraFreeSectors(extension);
  camera->beginUpdate = extension->keptBeginUpdate;
  camera->endUpdate = extension->keptEndUpdate;
  camera->object.sync = extension->keptSync;
  return object;
}

void* CameraCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  auto* copy = ExtensionAt<RpCameraWorldExtension>(destination, offset);
  const auto* original = ExtensionAt<RpCameraWorldExtension>(source, offset);
  copy->frustumSectors = nullptr;
  copy->space = 0;
  copy->position = 0;
  if (original->world != nullptr) {
    if (RwFrame* frame = RwCameraGetFrame(static_cast<RwCamera*>(destination))) {
      RwFrameMarkDirty(frame);
    }
    copy->world = original->world;
  }
  return destination;
}

void* AtomicConstruct(void* object, RwInt32 offset, RwInt32) {
  auto* atomic = static_cast<RpAtomic*>(object);
  *ExtensionAt<RpAtomicWorldExtension>(object, offset) = {nullptr, atomic->object.sync};
  atomic->object.sync = _rpAtomicWorldSync;
  // Never equal to the counter, so a new atomic is drawn in the next update.
  atomic->renderFrame = static_cast<RwUInt16>(RwEngineInstance->renderFrame - 1);
  return object;
}

void* AtomicDestruct(void* object, RwInt32 offset, RwInt32) {
  auto* atomic = static_cast<RpAtomic*>(object);
  _rpAtomicRemoveTies(atomic);
  atomic->object.sync = ExtensionAt<RpAtomicWorldExtension>(object, offset)->keptSync;
  return object;
}

void* ClumpConstruct(void* object, RwInt32 offset, RwInt32) {
  ExtensionAt<RpClumpWorldExtension>(object, offset)->world = nullptr;
  return object;
}

// A clump destroyed in a world leaves it, so that the world's clump list
// never holds a freed clump.
void* ClumpDestruct(void* object, RwInt32 offset, RwInt32) {
  if (RpWorld* world = ExtensionAt<RpClumpWorldExtension>(object, offset)->world) {
    RpWorldRemoveClump(world, static_cast<RpClump*>(object));
  }
  return object;
}

void* ClumpCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  if (RpWorld* world = ExtensionAt<RpClumpWorldExtension>(source, offset)->world) {
    RpWorldAddClump(world, static_cast<RpClump*>(destination));
  }
  return destination;
}

void* LightConstruct(void* object, RwInt32 offset, RwInt32) {
  auto* light = static_cast<RpLight*>(object);
  *ExtensionAt<RpLightWorldExtension>(object, offset) = {nullptr, light->object.sync};
  light->object.sync = _rpLightWorldSync;
  return object;
}

// A light destroyed in a world leaves its light list too, so that the world
// never holds a freed light.
void* LightDestruct(void* object, RwInt32 offset, RwInt32) {
  auto* light = static_cast<RpLight*>(object);
  if (RpWorld* world = ExtensionAt<RpLightWorldExtension>(object, offset)->world) {
    RpWorldRemoveLight(world, light);
  }
  light->object.sync = ExtensionAt<RpLightWorldExtension>(object, offset)->keptSync;
  return object;
}

RwBool IsPositioned(const RpLight* light) { return RpLightGetType(light) >= kRpLightPositioningStart; }

// Links the light into the world's list for its type.
void LinkLight(RpWorld* world, RpLight* light) {
  if (IsPositioned(light)) {
    if (RwFrame* frame = RpLightGetFrame(light)) {
      RwFrameMarkDirty(frame);
    }
    rwLinkListAddLLLink(&world->lightList, &light->inWorld);
  } else {
    rwLinkListAddLLLink(&world->directionalLightList, &light->inWorld);
  }
}

void UnlinkLight(RpLight* light) {
  if (light->inWorld.next != nullptr) {
    rwLLLinkRemove(&light->inWorld);
  }
  light->inWorld = {nullptr, nullptr};
}

void* LightCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  if (RpWorld* world = ExtensionAt<RpLightWorldExtension>(source, offset)->world) {
    auto* copy = static_cast<RpLight*>(destination);
    ExtensionAt<RpLightWorldExtension>(destination, offset)->world = world;
    UnlinkLight(copy);
    LinkLight(world, copy);
  }
  return destination;
}

RpAtomic* AddAtomic(RpAtomic* atomic, void* world) {
  return RpWorldAddAtomic(static_cast<RpWorld*>(world), atomic) != nullptr ? atomic : nullptr;
}
RpLight* AddLight(RpLight* light, void* world) {
  return RpWorldAddLight(static_cast<RpWorld*>(world), light) != nullptr ? light : nullptr;
}
RwCamera* AddCamera(RwCamera* camera, void* world) {
  return RpWorldAddCamera(static_cast<RpWorld*>(world), camera) != nullptr ? camera : nullptr;
}

RpAtomic* RemoveAtomic(RpAtomic* atomic, void* world) {
  if (RpAtomicGetWorld(atomic) == world) {
    RpWorldRemoveAtomic(static_cast<RpWorld*>(world), atomic);
  }
  return atomic;
}
RpLight* RemoveLight(RpLight* light, void* world) {
  if (RpLightGetWorld(light) == world) {
    RpWorldRemoveLight(static_cast<RpWorld*>(world), light);
  }
  return light;
}
RwCamera* RemoveCamera(RwCamera* camera, void* world) {
  if (RwCameraGetWorld(camera) == world) {
    RpWorldRemoveCamera(static_cast<RpWorld*>(world), camera);
  }
  return camera;
}

RwBool RegisterExtensions() {
  gOffsets.camera = RwCameraRegisterPlugin(sizeof(RpCameraWorldExtension), kRpPluginIdWorldObject, CameraConstruct,
                                           CameraDestruct, CameraCopy);
  gOffsets.atomic = RpAtomicRegisterPlugin(sizeof(RpAtomicWorldExtension), kRpPluginIdWorldObject, AtomicConstruct,
                                           AtomicDestruct, nullptr);
  gOffsets.clump = RpClumpRegisterPlugin(sizeof(RpClumpWorldExtension), kRpPluginIdWorldObject, ClumpConstruct,
                                         ClumpDestruct, ClumpCopy);
  gOffsets.light = RpLightRegisterPlugin(sizeof(RpLightWorldExtension), kRpPluginIdWorldObject, LightConstruct,
                                         LightDestruct, LightCopy);
  return gOffsets.camera >= 0 && gOffsets.atomic >= 0 && gOffsets.clump >= 0 && gOffsets.light >= 0;
}

}  // namespace

RpWorldObjectModule* _rpWorldObjectModule(void) { return gModule; }

RpCameraWorldExtension* _rpCameraWorldExtension(const RwCamera* camera) {
  return ExtensionAt<RpCameraWorldExtension>(camera, gOffsets.camera);
}
RpAtomicWorldExtension* _rpAtomicWorldExtension(const RpAtomic* atomic) {
  return ExtensionAt<RpAtomicWorldExtension>(atomic, gOffsets.atomic);
}
RpClumpWorldExtension* _rpClumpWorldExtension(const RpClump* clump) {
  return ExtensionAt<RpClumpWorldExtension>(clump, gOffsets.clump);
}
RpLightWorldExtension* _rpLightWorldExtension(const RpLight* light) {
  return ExtensionAt<RpLightWorldExtension>(light, gOffsets.light);
}

RwBool RpWorldObjectPluginAttach(void) {
  const RwBool engine =
      RwEngineRegisterPlugin(kRpWorldObjectModuleDataSize, kRpPluginIdWorldObject, ModuleOpen, ModuleClose) >= 0;
  return engine && RegisterExtensions() && _rpGeometryBinMeshPluginAttach() && _rpWorldSectorBinMeshPluginAttach() &&
         _rpAtomicRightToRenderPluginAttach() && _rpWorldRightToRenderPluginAttach() && _rpNativeDataPluginAttach();
}

RpWorld* RpWorldAddClump(RpWorld* world, RpClump* clump) {
  RpClumpWorldExtension* extension = _rpClumpWorldExtension(clump);
  if (extension->world != nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRpErrClumpInWorld);
    return nullptr;
  }
  rwLinkListAddLLLink(&world->clumpList, &clump->inWorldLink);
  world->numClumpsInWorld++;
  extension->world = world;
  RpClumpForAllAtomics(clump, AddAtomic, world);
  RpClumpForAllLights(clump, AddLight, world);
  RpClumpForAllCameras(clump, AddCamera, world);
  if (RwFrame* frame = RpClumpGetFrame(clump)) {
    RwMatrixOptimize(RwFrameGetMatrix(frame), nullptr);
    RwFrameMarkDirty(frame);
  }
  return world;
}

RpWorld* RpWorldRemoveClump(RpWorld* world, RpClump* clump) {
  RpClumpWorldExtension* extension = _rpClumpWorldExtension(clump);
  if (extension->world == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRpErrClumpNotInWorld);
    return nullptr;
  }
  world->numClumpsInWorld--;
  if (world->currentClumpLink == &clump->inWorldLink) {
    world->currentClumpLink = clump->inWorldLink.next;
  }
  rwLLLinkRemove(&clump->inWorldLink);
  clump->inWorldLink = {nullptr, nullptr};
  RpClumpForAllAtomics(clump, RemoveAtomic, world);
  RpClumpForAllLights(clump, RemoveLight, world);
  RpClumpForAllCameras(clump, RemoveCamera, world);
  extension->world = nullptr;
  return world;
}

RpWorld* RpWorldAddAtomic(RpWorld* world, RpAtomic* atomic) {
  if (RwFrame* frame = RpAtomicGetFrame(atomic)) {
    RwFrameMarkDirty(frame);
  }
  _rpAtomicWorldExtension(atomic)->world = world;
  return world;
}

RpWorld* RpWorldRemoveAtomic(RpWorld* world, RpAtomic* atomic) {
  if (atomic->repEntry != nullptr) {
    RwResourcesFreeResEntry(atomic->repEntry);
    atomic->repEntry = nullptr;
  }
  _rpAtomicRemoveTies(atomic);
  _rpAtomicWorldExtension(atomic)->world = nullptr;
  return world;
}

RpWorld* RpWorldAddLight(RpWorld* world, RpLight* light) {
  _rpLightWorldExtension(light)->world = world;
  // A light added again moves rather than being linked twice.
  UnlinkLight(light);
  LinkLight(world, light);
  return world;
}

RpWorld* RpWorldRemoveLight(RpWorld* world, RpLight* light) {
  _rpLightWorldExtension(light)->world = nullptr;
  _rpLightRemoveTies(light);
  UnlinkLight(light);
  return world;
}

RpWorld* RpWorldAddCamera(RpWorld* world, RwCamera* camera) {
  if (RwFrame* frame = RwCameraGetFrame(camera)) {
    RwFrameMarkDirty(frame);
  }
  _rpCameraWorldExtension(camera)->world = world;
  return world;
}

RpWorld* RpWorldRemoveCamera(RpWorld* world, RwCamera* camera) {
  RpCameraWorldExtension* extension = _rpCameraWorldExtension(camera);
  if (extension->world == nullptr) {
    return nullptr;
  }
  _rpCameraFreeSectors(extension);
  extension->world = nullptr;
  return world;
}

RpWorld* RpClumpGetWorld(const RpClump* clump) { return _rpClumpWorldExtension(clump)->world; }
RpWorld* RpLightGetWorld(const RpLight* light) { return _rpLightWorldExtension(light)->world; }
RpWorld* RwCameraGetWorld(const RwCamera* camera) { return _rpCameraWorldExtension(camera)->world; }
