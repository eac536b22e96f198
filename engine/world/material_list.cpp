// Material lists: growth by fixed steps, search from the end, and the list
// chunk with its back-references to earlier entries.
#include "engine/world/material_list.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/world_internal.h"

namespace {

// Stored in place of an index when the material is written in full.
constexpr RwInt32 kNewMaterial = -1;
constexpr RwUInt32 kIndexBytes = 4;

// The nearest entry before index that holds the same material, or -1.
RwInt32 EarlierIndex(const RpMaterialList* list, RwInt32 index) {
  for (RwInt32 i = index - 1; i >= 0; --i) {
    if (list->materials[i] == list->materials[index]) {
      return i;
    }
  }
  return kNewMaterial;
}

RwUInt32 StructSize(const RpMaterialList* list) {
  return kIndexBytes + kIndexBytes * static_cast<RwUInt32>(list->numMaterials);
}

// Reads the material an index of the stream names: the next material chunk
// for -1, else an earlier entry of the list. The caller gets one reference.
RpMaterial* ReadEntry(RwStream* stream, const RpMaterialList* list, RwInt32 index) {
  if (index < 0) {
    if (!RwStreamFindChunk(stream, kRwChunkMaterial, nullptr, nullptr)) {
      return nullptr;
    }
    return RpMaterialStreamRead(stream);
  }
  // Only a position already filled can be referred back to.
  if (index >= list->numMaterials) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return nullptr;
  }
  return RpMaterialAddRef(list->materials[index]);
}

}  // namespace

RpMaterialList* RpMaterialListInitialize(RpMaterialList* list) {
  list->materials = nullptr;
  list->numMaterials = 0;
  list->space = 0;
  return list;
}

RpMaterialList* RpMaterialListDeinitialize(RpMaterialList* list) {
  for (RwInt32 i = 0; i < list->numMaterials; ++i) {
    RpMaterialDestroy(list->materials[i]);
  }
  if (list->materials != nullptr) {
    RwFree(list->materials);
  }
  return RpMaterialListInitialize(list);
}

RpMaterial* RpMaterialListGetMaterial(const RpMaterialList* list, RwInt32 index) { return list->materials[index]; }

RwInt32 RpMaterialListGetNumMaterials(const RpMaterialList* list) { return list->numMaterials; }

RwInt32 RpMaterialListAppendMaterial(RpMaterialList* list, RpMaterial* material) {
  if (list->space <= list->numMaterials) {
    const size_t bytes = sizeof(RpMaterial*) * static_cast<size_t>(list->space + kRpMaterialListGrowth);
    void* grown = list->materials != nullptr ? RwRealloc(list->materials, bytes) : RwMalloc(bytes);
    if (grown == nullptr) {
      RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
      return -1;
    }
    list->materials = static_cast<RpMaterial**>(grown);
    list->space += kRpMaterialListGrowth;
  }
  list->materials[list->numMaterials] = RpMaterialAddRef(material);
  return list->numMaterials++;
}

RwInt32 RpMaterialListFindMaterialIndex(const RpMaterialList* list, const RpMaterial* material) {
  for (RwInt32 i = list->numMaterials - 1; i >= 0; --i) {
    if (list->materials[i] == material) {
      return i;
    }
  }
  return -1;
}

RwUInt32 RpMaterialListStreamGetSize(const RpMaterialList* list) {
  RwUInt32 size = kRwChunkHeaderSize + StructSize(list);
  for (RwInt32 i = 0; i < list->numMaterials; ++i) {
    if (EarlierIndex(list, i) == kNewMaterial) {
      size += kRwChunkHeaderSize + RpMaterialStreamGetSize(list->materials[i]);
    }
  }
  return size;
}

const RpMaterialList* RpMaterialListStreamWrite(const RpMaterialList* list, RwStream* stream) {
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkMaterialList, RpMaterialListStreamGetSize(list),
                                        kRwLibraryVersion, kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, StructSize(list), kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr) {
    return nullptr;
  }
  const RwInt32 count = list->numMaterials;
  if (RwStreamWriteInt32(stream, &count, sizeof(count)) == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < list->numMaterials; ++i) {
    const RwInt32 index = EarlierIndex(list, i);
    if (RwStreamWriteInt32(stream, &index, sizeof(index)) == nullptr) {
      return nullptr;
    }
  }
  for (RwInt32 i = 0; i < list->numMaterials; ++i) {
    if (EarlierIndex(list, i) == kNewMaterial && RpMaterialStreamWrite(list->materials[i], stream) == nullptr) {
      return nullptr;
    }
  }
  return list;
}

RpMaterialList* RpMaterialListStreamRead(RwStream* stream, RpMaterialList* list) {
  RpMaterialListDeinitialize(list);
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return nullptr;
  }
  // The indices stay where the stream holds them while the materials are read.
  RwUInt8* owned = nullptr;
  const RwUInt8* body = _rpLendChunkBody(stream, length, &owned);
  if (body == nullptr) {
    return nullptr;
  }
  const RwInt32 count = length >= kIndexBytes ? RwReadLittleEndianInt32(body) : -1;
  // The indices must lie in the struct, which bounds what the count allocates.
  if (count < 0 || static_cast<RwUInt64>(count) > (length - kIndexBytes) / kIndexBytes) {
    EngineFree(owned);
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return nullptr;
  }
  if (count == 0) {
    EngineFree(owned);
    return list;
  }
  list->materials = static_cast<RpMaterial**>(RwMalloc(sizeof(RpMaterial*) * static_cast<size_t>(count)));
  if (list->materials == nullptr) {
    EngineFree(owned);
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  list->space = count;
  for (RwInt32 i = 0; i < count; ++i) {
    const RwInt32 index = RwReadLittleEndianInt32(body + kIndexBytes * (1 + static_cast<RwUInt32>(i)));
    RpMaterial* material = ReadEntry(stream, list, index);
    if (material == nullptr) {
      EngineFree(owned);
      RpMaterialListDeinitialize(list);
      return nullptr;
    }
    // The array holds count entries, so appending cannot fail.
    RpMaterialListAppendMaterial(list, material);
    RpMaterialDestroy(material);
  }
  EngineFree(owned);
  return list;
}
