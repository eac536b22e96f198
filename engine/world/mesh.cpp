// The mesh module (engine plugin 0x502): its serial counter, mesh headers and
// their primitive tables, mesh builders, the material order shared by both
// header builders, and the choice between lists and strips.
#include "engine/world/mesh.h"

#include <algorithm>
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/raster.h"
#include "engine/src/texture.h"
#include "engine/world/material.h"
#include "engine/world/world_internal.h"

static_assert(sizeof(RpMeshHeader) == 16 && sizeof(RpMesh) == 24, "meshes follow the header aligned");

namespace {

struct RpMeshModule {
  RwUInt16 nextSerialNum;  // 1 when the engine starts
};
static_assert(sizeof(RpMeshModule) <= kRpMeshModuleDataSize, "module data fits its engine block");

constexpr RwUInt32 kBuildersPerBlock = 50;
// Builders with at most this many materials are grouped by counting, not sorted.
constexpr RwUInt32 kLinearGroupMaterials = 16;
constexpr RwUInt8 kOpaqueAlpha = 255;

// The header every builder without triangles yields; never freed.
RpMeshHeader gEmptyMeshHeader = {0, 0, 0, 0, 0};

// Primitive of each header flag value (index), 0 where no primitive is named.
constexpr RwUInt32 kFlagsToPrimitiveCount = kRpMeshHeaderPointList + 1;
constexpr RwPrimitiveType kFlagsToPrimitive[kFlagsToPrimitiveCount] = {
    kRwPrimTypeTriList, kRwPrimTypeTriStrip, kRwPrimTypeTriFan,  RwPrimitiveType(0),  kRwPrimTypeLineList,
    RwPrimitiveType(0), RwPrimitiveType(0),  RwPrimitiveType(0), kRwPrimTypePolyLine, RwPrimitiveType(0),
    RwPrimitiveType(0), RwPrimitiveType(0),  RwPrimitiveType(0), RwPrimitiveType(0),  RwPrimitiveType(0),
    RwPrimitiveType(0), kRwPrimTypePointList};

// The module's block in the engine instance while the engine is started.
RpMeshModule* gModule = nullptr;
RwInt32 gOpenCount = 0;
RwFreeList* gBuilderFreeList = nullptr;  // shared by every open engine
RpTriStripMeshCallBack gTriStripCallBack = RpMeshDefaultTriStripCallBack;
void* gTriStripData = nullptr;

RpMeshModule* Module() { return gModule; }

RwBool IsTransparent(const RpMaterial* material) {
  if (material->color.alpha != kOpaqueAlpha) {
    return TRUE;
  }
  const RwRaster* raster = material->texture != nullptr ? material->texture->raster : nullptr;
  if (raster == nullptr) {
    return FALSE;
  }
  // Pixel formats with alpha: 1555, 4444 and 8888.
  const RwUInt32 pixelFormat = (static_cast<RwUInt32>(raster->format) << 8) & rwRASTERFORMATPIXELFORMATMASK;
  return pixelFormat == rwRASTERFORMAT1555 || pixelFormat == rwRASTERFORMAT4444 || pixelFormat == rwRASTERFORMAT8888;
}

RwInt32 CompareAddresses(const void* a, const void* b) {
  const uintptr_t x = reinterpret_cast<uintptr_t>(a);
  const uintptr_t y = reinterpret_cast<uintptr_t>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

const void* RasterOf(const RpMaterial* material) {
  return material->texture != nullptr ? material->texture->raster : nullptr;
}

}  // namespace

void* _rpMeshOpen(void* instance, RwInt32 offset, RwInt32) {
  gModule = RwPluginDataGet(RpMeshModule, instance, offset);
  if (gOpenCount == 0) {
    gBuilderFreeList = RwFreeListCreate(sizeof(RpMeshBuilder), kBuildersPerBlock, alignof(RpMeshBuilder));
    if (gBuilderFreeList == nullptr) {
      return nullptr;
    }
  }
  gOpenCount++;
  Module()->nextSerialNum = 1;
  return instance;
}

void* _rpMeshClose(void* instance, RwInt32, RwInt32) {
  if (gOpenCount > 0 && --gOpenCount == 0) {
    RwFreeListDestroy(gBuilderFreeList);
    gBuilderFreeList = nullptr;
  }
  gModule = nullptr;
  return instance;
}

RpMeshHeader* _rpMeshHeaderCreate(RwUInt32 numMeshes, RwUInt32 numIndices, RwBool indices, RwUInt32 flags) {
  if (numMeshes > kRpMeshHeaderMaxMeshes) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);  // the count is a 16-bit field
    return nullptr;
  }
  const size_t bytes =
      sizeof(RpMeshHeader) + sizeof(RpMesh) * numMeshes + (indices ? sizeof(RwUInt16) * numIndices : 0);
  auto* header = static_cast<RpMeshHeader*>(RwMalloc(bytes));
  if (header == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  header->flags = flags;
  header->numMeshes = static_cast<RwUInt16>(numMeshes);
  header->serialNum = Module()->nextSerialNum++;
  header->totalIndicesInMesh = numIndices;
  header->firstMeshOffset = 0;
  std::memset(RpMeshHeaderGetFirstMesh(header), 0, sizeof(RpMesh) * numMeshes);
  return header;
}

RwInt32 RpMeshSortMaterialCompare(const RpMaterial* a, const RpMaterial* b) {
  if (a == b) {
    return 0;
  }
  const RwInt32 transparentA = a != nullptr ? IsTransparent(a) : FALSE;
  const RwInt32 transparentB = b != nullptr ? IsTransparent(b) : FALSE;
  if (transparentA != transparentB) {
    return transparentA - transparentB;
  }
  const RwInt32 byRaster = CompareAddresses(a != nullptr ? RasterOf(a) : nullptr, b != nullptr ? RasterOf(b) : nullptr);
  if (byRaster != 0) {
    return byRaster;
  }
  const RwInt32 byPipeline =
      CompareAddresses(a != nullptr ? a->pipeline : nullptr, b != nullptr ? b->pipeline : nullptr);
  if (byPipeline != 0) {
    return byPipeline;
  }
  const RwInt32 byTexture = CompareAddresses(a != nullptr ? a->texture : nullptr, b != nullptr ? b->texture : nullptr);
  if (byTexture != 0) {
    return byTexture;
  }
  return CompareAddresses(a, b);
}

namespace {

// The builder's distinct materials when it has at most kLinearGroupMaterials
// of them, in material order; false when it has more.
RwBool FewMaterials(const RpMeshBuilder* builder, RpMaterial** materials, RwUInt32* numMaterials) {
  RwUInt32 count = 0;
  const RpMaterial* last = nullptr;
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    RpMaterial* material = builder->entries[i].material;
    if (i > 0 && material == last) {
      continue;
    }
    last = material;
    RwUInt32 m = 0;
    while (m < count && materials[m] != material) {
      m++;
    }
    if (m == count) {
      if (count == kLinearGroupMaterials) {
        return FALSE;
      }
      materials[count++] = material;
    }
  }
  // Distinct materials never compare equal, so this order is total.
  for (RwUInt32 i = 1; i < count; ++i) {
    RpMaterial* material = materials[i];
    RwUInt32 j = i;
    while (j > 0 && RpMeshSortMaterialCompare(materials[j - 1], material) > 0) {
      materials[j] = materials[j - 1];
      j--;
    }
    materials[j] = material;
  }
  *numMaterials = count;
  return TRUE;
}

// Places the entries by material in the materials' order, each material's in
// the order they were added: what the sort gives, in linear time.
void GroupEntries(const RpMeshBuilder* builder, RpMaterial* const* materials, RwUInt32 numMaterials,
                  const RpMeshBuilderEntry** sorted) {
  RwUInt32 next[kLinearGroupMaterials] = {};
  auto groupOf = [materials, numMaterials](const RpMaterial* material) {
    RwUInt32 m = 0;
    while (m + 1 < numMaterials && materials[m] != material) {
      m++;
    }
    return m;
  };
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    next[groupOf(builder->entries[i].material)]++;
  }
  RwUInt32 start = 0;
  for (RwUInt32 m = 0; m < numMaterials; ++m) {
    const RwUInt32 count = next[m];
    next[m] = start;
    start += count;
  }
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    sorted[next[groupOf(builder->entries[i].material)]++] = &builder->entries[i];
  }
}

}  // namespace

const RpMeshBuilderEntry** _rpMeshBuilderSortEntries(const RpMeshBuilder* builder, RwUInt32* numGroups) {
  const RwUInt32 count = builder->numTriangles;
  auto** sorted = static_cast<const RpMeshBuilderEntry**>(RwMalloc(sizeof(RpMeshBuilderEntry*) * (count + 1)));
  if (sorted == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  RpMaterial* materials[kLinearGroupMaterials];
  RwUInt32 numMaterials = 0;
  if (FewMaterials(builder, materials, &numMaterials)) {
    GroupEntries(builder, materials, numMaterials, sorted);
    *numGroups = numMaterials;
    return sorted;
  }
  for (RwUInt32 i = 0; i < count; ++i) {
    sorted[i] = &builder->entries[i];
  }
  // Entries of one material keep the order they were added in.
  std::sort(sorted, sorted + count, [](const RpMeshBuilderEntry* a, const RpMeshBuilderEntry* b) {
    const RwInt32 order = RpMeshSortMaterialCompare(a->material, b->material);
    return order != 0 ? order < 0 : a < b;
  });
  RwUInt32 groups = 0;
  for (RwUInt32 i = 0; i < count; ++i) {
    if (i == 0 || sorted[i]->material != sorted[i - 1]->material) {
      groups++;
    }
  }
  *numGroups = groups;
  return sorted;
}

RpMeshBuilder* RpMeshBuilderCreate(RwUInt32 numTriangles) {
  auto* builder =
      gBuilderFreeList != nullptr ? static_cast<RpMeshBuilder*>(RwFreeListEntryAlloc(gBuilderFreeList)) : nullptr;
  if (builder == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  builder->capacity = numTriangles;
  builder->numTriangles = 0;
  builder->entries = nullptr;
  if (numTriangles != 0) {
    builder->entries = static_cast<RpMeshBuilderEntry*>(RwMalloc(sizeof(RpMeshBuilderEntry) * numTriangles));
    if (builder->entries == nullptr) {
      RwFreeListEntryFree(gBuilderFreeList, builder);
      RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
      return nullptr;
    }
  }
  return builder;
}

RpMeshBuilder* RpMeshBuilderAddTriangle(RpMeshBuilder* builder, RpMaterial* material, RwUInt16 index0, RwUInt16 index1,
                                        RwUInt16 index2) {
  if (builder->numTriangles == builder->capacity) {
    const size_t bytes = sizeof(RpMeshBuilderEntry) * (static_cast<size_t>(builder->capacity) + 1);
    void* grown = builder->entries != nullptr ? RwRealloc(builder->entries, bytes) : RwMalloc(bytes);
    if (grown == nullptr) {
      RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
      return nullptr;
    }
    builder->entries = static_cast<RpMeshBuilderEntry*>(grown);
    builder->capacity++;
  }
  RpMeshBuilderEntry& entry = builder->entries[builder->numTriangles++];
  entry.vertexIndex[0] = index0;
  entry.vertexIndex[1] = index1;
  entry.vertexIndex[2] = index2;
  entry.material = material;
  return builder;
}

RwBool RpMeshBuilderDestroy(RpMeshBuilder* builder) {
  if (builder->entries != nullptr) {
    RwFree(builder->entries);
  }
  RwFreeListEntryFree(gBuilderFreeList, builder);
  return TRUE;
}

RpMeshHeader* RpMeshBuilderToMeshHeader(RpMeshBuilder* builder, RwUInt8 flags) {
  if (builder == nullptr) {
    return nullptr;
  }
  RpMeshHeader* header = nullptr;
  if (builder->numTriangles == 0) {
    header = &gEmptyMeshHeader;
  } else if ((flags & kRpMeshHeaderTriStrip) != 0) {
    header = gTriStripCallBack(builder, gTriStripData);
  } else {
    header = RpMeshBuilderToTriLists(builder);
  }
  if (header != nullptr) {
    RpMeshBuilderDestroy(builder);
  }
  return header;
}

void RpMeshSetTriStripMethod(RpTriStripMeshCallBack callBack, void* data) {
  gTriStripCallBack = callBack != nullptr ? callBack : RpMeshDefaultTriStripCallBack;
  gTriStripData = data;
}

void RpMeshGetTriStripMethod(RpTriStripMeshCallBack* callBack, void** data) {
  if (callBack != nullptr) {
    *callBack = gTriStripCallBack;
  }
  if (data != nullptr) {
    *data = gTriStripData;
  }
}

RwBool RpMeshHeaderDestroy(RpMeshHeader* header) {
  // Compared by address: a header read or built with every field 0 (an empty
  // bin mesh after the serial counter wrapped) is still freed.
  if (header != &gEmptyMeshHeader) {
    RwFree(header);
  }
  return TRUE;
}

RpMeshHeader* RpMeshHeaderForAllMeshes(RpMeshHeader* header, RpMeshCallBack callBack, void* data) {
  RpMesh* mesh = RpMeshHeaderGetFirstMesh(header);
  for (RwUInt32 i = 0; i < header->numMeshes; ++i) {
    if (callBack(&mesh[i], header, data) == nullptr) {
      break;
    }
  }
  return header;
}

RwPrimitiveType RpMeshHeaderGetPrimitiveType(const RpMeshHeader* header) {
  const RwUInt32 flags = header->flags & kRpMeshHeaderPrimitiveMask;
  return flags < kFlagsToPrimitiveCount ? kFlagsToPrimitive[flags] : RwPrimitiveType(0);
}

RwUInt32 RpMeshPrimitiveTypeToFlags(RwPrimitiveType primitiveType) {
  switch (primitiveType) {
    case kRwPrimTypeLineList:
      return kRpMeshHeaderLineList;
    case kRwPrimTypePolyLine:
      return kRpMeshHeaderPolyLine;
    case kRwPrimTypeTriStrip:
      return kRpMeshHeaderTriStrip;
    case kRwPrimTypeTriFan:
      return kRpMeshHeaderTriFan;
    case kRwPrimTypePointList:
      return kRpMeshHeaderPointList;
    case kRwPrimTypeTriList:
    default:
      return kRpMeshHeaderTriList;
  }
}
