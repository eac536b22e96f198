// Lights: creation from the light free list (engine plugin 0x505, which also
// holds the lighting passes' marker counter), setters, the cone angle and the
// light chunk.
#include "engine/world/light.h"

#include <cmath>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/world_internal.h"

namespace {

struct RpLightModule {
  RwFreeList* freeList;
  RwUInt16 markerCounter;  // advanced once per lighting pass
};
static_assert(sizeof(RpLightModule) <= kRpLightModuleDataSize, "module data fits its engine block");

constexpr RwUInt32 kLightsPerBlock = 32;
constexpr RwUInt8 kCreationFlags = rpLIGHTLIGHTATOMICS | rpLIGHTLIGHTWORLD;
constexpr RwRGBAReal kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr RwReal kPi = 3.14159265358979f;
// Struct word: type in bits 16-23, flags in bits 0-7.
constexpr RwUInt32 kTypeShift = 16;
constexpr RwUInt32 kByteMask = 0xFF;

RwPluginRegistry gLightRegistry = RwPluginRegistryInitializer(sizeof(RpLight));
// The module's block in the engine instance while the engine is started.
RpLightModule* gModule = nullptr;

RpLightModule* Module() { return gModule; }

// The frame sync callback until the world-object plugin installs its own.
RwObjectHasFrame* SyncNothing(RwObjectHasFrame* object) { return object; }

RwUInt8 GreyFlag(const RwRGBAReal& color) {
  return color.red == color.green && color.red == color.blue ? kRpLightPrivateGrey : 0;
}

void Release(RpLight* light) {
  RwPluginRegistryDeInitObject(&gLightRegistry, light);
  RwObjectHasFrameReleaseFrame(&light->object);
}

void ReleaseLeftOver(void* entry, void*) { Release(static_cast<RpLight*>(entry)); }

}  // namespace

void* _rpLightOpen(void* instance, RwInt32 offset, RwInt32) {
  gModule = RwPluginDataGet(RpLightModule, instance, offset);
  RpLightModule* module = Module();
  module->markerCounter = 0;
  module->freeList = RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(gLightRegistry.sizeOfStruct), kLightsPerBlock,
                                                    alignof(RpLight), 1, nullptr);
  return module->freeList != nullptr ? instance : nullptr;
}

void* _rpLightClose(void* instance, RwInt32, RwInt32) {
  RpLightModule* module = Module();
  if (module != nullptr && module->freeList != nullptr) {
    RwFreeListForAllUsed(module->freeList, ReleaseLeftOver, nullptr);
    RwFreeListDestroy(module->freeList);
    module->freeList = nullptr;
  }
  gModule = nullptr;
  return instance;
}

RwUInt16* _rpLightMarkerCounter(void) { return &Module()->markerCounter; }

RpLight* RpLightCreate(RwInt32 type) {
  RpLightModule* module = Module();
  auto* light = module != nullptr && module->freeList != nullptr
                    ? static_cast<RpLight*>(RwFreeListEntryAlloc(module->freeList))
                    : nullptr;
  if (light == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  light->object.object.type = kRpLightObjectType;
  light->object.object.subType = static_cast<RwUInt8>(type);
  light->object.object.flags = kCreationFlags;
  light->object.object.privateFlags = kRpLightPrivateGrey;
  light->object.object.parent = nullptr;
  rwLLLinkInitialize(&light->object.lFrame);
  light->object.sync = SyncNothing;
  light->radius = 0.0f;
  light->color = kWhite;
  light->minusCosAngle = 1.0f;
  rwLinkListInitialize(&light->WorldSectorsInLight);
  light->inWorld = {nullptr, nullptr};
  light->lightFrame = static_cast<RwUInt16>(module->markerCounter - 1);
  if (RwPluginRegistryInitObject(&gLightRegistry, light) == nullptr) {
    RwFreeListEntryFree(module->freeList, light);
    return nullptr;
  }
  return light;
}

RwBool RpLightDestroy(RpLight* light) {
  Release(light);
  RwFreeListEntryFree(Module()->freeList, light);
  return TRUE;
}

RpLight* RpLightSetRadius(RpLight* light, RwReal radius) {
  light->radius = radius;
  if (RwFrame* frame = RpLightGetFrame(light)) {
    RwFrameMarkDirty(frame);
  }
  return light;
}

RwReal RpLightGetRadius(const RpLight* light) { return light->radius; }

RpLight* RpLightSetColor(RpLight* light, const RwRGBAReal* color) {
  light->color = *color;
  light->object.object.privateFlags = GreyFlag(*color);
  return light;
}

const RwRGBAReal* RpLightGetColor(const RpLight* light) { return &light->color; }

RpLight* RpLightSetConeAngle(RpLight* light, RwReal angle) {
  // Written so that NaN fails too.
  if (!(angle >= 0.0f && angle <= kRpLightMaxConeAngle)) {
    return nullptr;
  }
  light->minusCosAngle = -std::cos(angle);
  return light;
}

RwReal RpLightGetConeAngle(const RpLight* light) {
  const RwReal cosine = -light->minusCosAngle;
  if (cosine >= 1.0f) {
    return 0.0f;
  }
  if (cosine <= -1.0f) {
    return kPi;
  }
  return std::acos(cosine);
}

RwInt32 RpLightGetType(const RpLight* light) { return light->object.object.subType; }

RpLight* RpLightSetFlags(RpLight* light, RwUInt32 flags) {
  light->object.object.flags = static_cast<RwUInt8>(flags);
  return light;
}

RwUInt32 RpLightGetFlags(const RpLight* light) { return light->object.object.flags; }

RpLight* RpLightSetFrame(RpLight* light, RwFrame* frame) {
  RwObjectHasFrameSetFrame(&light->object, frame);
  return light;
}

RwFrame* RpLightGetFrame(const RpLight* light) { return static_cast<RwFrame*>(light->object.object.parent); }

RwInt32 RpLightRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gLightRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpLightRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB,
                                    RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gLightRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpLightGetPluginOffset(RwUInt32 pluginID) { return RwPluginRegistryGetPluginOffset(&gLightRegistry, pluginID); }

RwUInt32 RpLightStreamGetSize(const RpLight* light) {
  return 2 * kRwChunkHeaderSize + kRpLightStreamStructSize +
         static_cast<RwUInt32>(RwPluginRegistryGetSize(&gLightRegistry, light));
}

const RpLight* RpLightStreamWrite(const RpLight* light, RwStream* stream) {
  RwUInt8 body[kRpLightStreamStructSize];
  RwWriteLittleEndianReal(body + 0, light->radius);
  RwWriteLittleEndianReal(body + 4, light->color.red);
  RwWriteLittleEndianReal(body + 8, light->color.green);
  RwWriteLittleEndianReal(body + 12, light->color.blue);
  RwWriteLittleEndianReal(body + 16, light->minusCosAngle);
  RwWriteLittleEndianUInt32(
      body + 20, (static_cast<RwUInt32>(light->object.object.subType) << kTypeShift) | light->object.object.flags);
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkLight, RpLightStreamGetSize(light), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, sizeof(body), kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr ||
      RwStreamWrite(stream, body, sizeof(body)) == nullptr ||
      RwPluginRegistryWriteDataChunks(&gLightRegistry, stream, light) == nullptr) {
    return nullptr;
  }
  return light;
}

RpLight* RpLightStreamRead(RwStream* stream) {
  RwUInt8 body[kRpLightStreamStructSize];
  if (!_rpReadStructRecord(stream, body, sizeof(body), nullptr)) {
    return nullptr;
  }
  const RwUInt32 word = RwReadLittleEndianUInt32(body + 20);
  RpLight* light = RpLightCreate(static_cast<RwInt32>((word >> kTypeShift) & kByteMask));
  if (light == nullptr) {
    return nullptr;
  }
  light->radius = RwReadLittleEndianReal(body + 0);
  light->color = {RwReadLittleEndianReal(body + 4), RwReadLittleEndianReal(body + 8), RwReadLittleEndianReal(body + 12),
                  1.0f};
  light->minusCosAngle = RwReadLittleEndianReal(body + 16);
  light->object.object.privateFlags = GreyFlag(light->color);
  light->object.object.flags = static_cast<RwUInt8>(word & kByteMask);
  if (RwPluginRegistryReadDataChunks(&gLightRegistry, stream, light) == nullptr) {
    RpLightDestroy(light);
    return nullptr;
  }
  return light;
}
