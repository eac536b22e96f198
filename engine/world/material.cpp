// Materials: creation from the material free list (engine plugin 0x501),
// reference counts, textures, the module-wide default surface properties and
// the material chunk.
#include "engine/world/material.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/texture.h"
#include "engine/src/texture_stream.h"
#include "engine/world/world_internal.h"

namespace {

struct RpMaterialModule {
  RwFreeList* freeList;
};
static_assert(sizeof(RpMaterialModule) <= kRpMaterialModuleDataSize, "module data fits its engine block");

constexpr RwUInt32 kMaterialsPerBlock = 256;
constexpr RpSurfaceProperties kUnitSurfaceProperties = {1.0f, 1.0f, 1.0f};
constexpr RwRGBA kWhite = {255, 255, 255, 255};
// Offsets within the struct body.
constexpr RwUInt32 kColorOffset = 4;
constexpr RwUInt32 kTexturedOffset = 12;
constexpr RwUInt32 kSurfaceOffset = 16;

RwPluginRegistry gMaterialRegistry = RwPluginRegistryInitializer(sizeof(RpMaterial));
// The module's block in the engine instance while the engine is started.
RpMaterialModule* gModule = nullptr;
RpSurfaceProperties gDefaultSurfaceProperties = kUnitSurfaceProperties;

RpMaterialModule* Module() { return gModule; }

void FreeRecord(RpMaterial* material) { RwFreeListEntryFree(Module()->freeList, material); }

}  // namespace

void* _rpMaterialOpen(void* instance, RwInt32 offset, RwInt32) {
  gModule = RwPluginDataGet(RpMaterialModule, instance, offset);
  gDefaultSurfaceProperties = kUnitSurfaceProperties;
  RpMaterialModule* module = Module();
  module->freeList = RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(gMaterialRegistry.sizeOfStruct),
                                                    kMaterialsPerBlock, alignof(RpMaterial), 1, nullptr);
  return module->freeList != nullptr ? instance : nullptr;
}

void* _rpMaterialClose(void* instance, RwInt32, RwInt32) {
  RpMaterialModule* module = Module();
  if (module != nullptr && module->freeList != nullptr) {
    RwFreeListDestroy(module->freeList);
    module->freeList = nullptr;
  }
  gModule = nullptr;
  return instance;
}

RpMaterial* RpMaterialCreate(void) {
  RpMaterialModule* module = Module();
  auto* material = module != nullptr && module->freeList != nullptr
                       ? static_cast<RpMaterial*>(RwFreeListEntryAlloc(module->freeList))
                       : nullptr;
  if (material == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  material->texture = nullptr;
  material->color = kWhite;
  material->pipeline = nullptr;
  material->surfaceProps = gDefaultSurfaceProperties;
  material->refCount = 1;
  if (RwPluginRegistryInitObject(&gMaterialRegistry, material) == nullptr) {
    FreeRecord(material);
    return nullptr;
  }
  return material;
}

RwBool RpMaterialDestroy(RpMaterial* material) {
  if (material->refCount != 1) {
    material->refCount -= 1;
    return TRUE;
  }
  RwPluginRegistryDeInitObject(&gMaterialRegistry, material);
  if (material->texture != nullptr) {
    RwTextureDestroy(material->texture);
    material->texture = nullptr;
  }
  material->refCount = 0;
  FreeRecord(material);
  return TRUE;
}

RpMaterial* RpMaterialAddRef(RpMaterial* material) {
  material->refCount += 1;
  return material;
}

RpMaterial* RpMaterialSetTexture(RpMaterial* material, RwTexture* texture) {
  // The new reference is taken first, so setting the texture a material
  // already holds never frees it.
  if (texture != nullptr) {
    RwTextureAddRef(texture);
  }
  if (material->texture != nullptr) {
    RwTextureDestroy(material->texture);
  }
  material->texture = texture;
  return material;
}

RwTexture* RpMaterialGetTexture(const RpMaterial* material) { return material->texture; }

RpMaterial* RpMaterialSetColor(RpMaterial* material, const RwRGBA* color) {
  material->color = *color;
  return material;
}

const RwRGBA* RpMaterialGetColor(const RpMaterial* material) { return &material->color; }

void RpMaterialSetDefaultSurfaceProperties(const RpSurfaceProperties* surfaceProperties) {
  gDefaultSurfaceProperties = surfaceProperties != nullptr ? *surfaceProperties : kUnitSurfaceProperties;
}

RwInt32 RpMaterialRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                 RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gMaterialRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpMaterialRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                       RwPluginDataChunkWriteCallBack writeCB,
                                       RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gMaterialRegistry, pluginID, readCB, writeCB, getSizeCB);
}

const RwPluginRegistry* _rpMaterialRegistry(void) { return &gMaterialRegistry; }

RwInt32 RpMaterialGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&gMaterialRegistry, pluginID);
}

RwUInt32 RpMaterialStreamGetSize(const RpMaterial* material) {
  RwUInt32 size = 2 * kRwChunkHeaderSize + kRpMaterialStreamStructSize +
                  static_cast<RwUInt32>(RwPluginRegistryGetSize(&gMaterialRegistry, material));
  if (material->texture != nullptr) {
    size += kRwChunkHeaderSize + RwTextureStreamGetSize(material->texture);
  }
  return size;
}

const RpMaterial* RpMaterialStreamWrite(const RpMaterial* material, RwStream* stream) {
  RwUInt8 body[kRpMaterialStreamStructSize] = {};
  std::memcpy(body + kColorOffset, &material->color, sizeof(RwRGBA));  // four bytes in R, G, B, A order
  RwWriteLittleEndianUInt32(body + kTexturedOffset, material->texture != nullptr ? 1 : 0);
  RwWriteLittleEndianReal(body + kSurfaceOffset, material->surfaceProps.ambient);
  RwWriteLittleEndianReal(body + kSurfaceOffset + 4, material->surfaceProps.specular);
  RwWriteLittleEndianReal(body + kSurfaceOffset + 8, material->surfaceProps.diffuse);
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkMaterial, RpMaterialStreamGetSize(material), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, sizeof(body), kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr ||
      RwStreamWrite(stream, body, sizeof(body)) == nullptr) {
    return nullptr;
  }
  if (material->texture != nullptr && RwTextureStreamWrite(material->texture, stream) == nullptr) {
    return nullptr;
  }
  if (RwPluginRegistryWriteDataChunks(&gMaterialRegistry, stream, material) == nullptr) {
    return nullptr;
  }
  return material;
}

RpMaterial* RpMaterialStreamRead(RwStream* stream) {
  RwUInt8 body[kRpMaterialStreamStructSize] = {};
  if (!_rpReadStructRecord(stream, body, sizeof(body), nullptr)) {
    return nullptr;
  }
  RpMaterial* material = RpMaterialCreate();
  if (material == nullptr) {
    return nullptr;
  }
  std::memcpy(&material->color, body + kColorOffset, sizeof(RwRGBA));
  material->surfaceProps.ambient = RwReadLittleEndianReal(body + kSurfaceOffset);
  material->surfaceProps.specular = RwReadLittleEndianReal(body + kSurfaceOffset + 4);
  material->surfaceProps.diffuse = RwReadLittleEndianReal(body + kSurfaceOffset + 8);

  if (RwReadLittleEndianUInt32(body + kTexturedOffset) != 0) {
    if (!RwStreamFindChunk(stream, kRwChunkTexture, nullptr, nullptr)) {
      RpMaterialDestroy(material);
      return nullptr;
    }
    // A texture that cannot be found or read leaves the material untextured;
    // the reader's reference becomes the material's.
    material->texture = RwTextureStreamRead(stream);
  }
  if (RwPluginRegistryReadDataChunks(&gMaterialRegistry, stream, material) == nullptr) {
    RpMaterialDestroy(material);
    return nullptr;
  }
  return material;
}
