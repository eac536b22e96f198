// Material lists: the materials that triangles index by position. A material
// may sit at several positions; each entry holds one reference. The stream
// form (chunk 8) writes each material once and refers back to it.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/world/material.h"

struct RwStream;

constexpr RwUInt32 kRwChunkMaterialList = 8;
// Entries added each time a full list grows.
constexpr RwInt32 kRpMaterialListGrowth = 20;

struct RpMaterialList {
  RpMaterial** materials;  // null while the list is empty
  RwInt32 numMaterials;
  RwInt32 space;  // capacity of the array
};

RpMaterialList* RpMaterialListInitialize(RpMaterialList* list);
// Releases every entry's material and empties the list.
RpMaterialList* RpMaterialListDeinitialize(RpMaterialList* list);
// No bounds check.
RpMaterial* RpMaterialListGetMaterial(const RpMaterialList* list, RwInt32 index);
RwInt32 RpMaterialListGetNumMaterials(const RpMaterialList* list);
// The new entry's index, or -1 (list unchanged) when the array cannot grow.
RwInt32 RpMaterialListAppendMaterial(RpMaterialList* list, RpMaterial* material);
// The highest index that holds the material, or -1.
RwInt32 RpMaterialListFindMaterialIndex(const RpMaterialList* list, const RpMaterial* material);

// Length of the material list chunk's body.
RwUInt32 RpMaterialListStreamGetSize(const RpMaterialList* list);
// Writes the whole material list chunk, header included.
const RpMaterialList* RpMaterialListStreamWrite(const RpMaterialList* list, RwStream* stream);
// The stream is at the body of a material list chunk; the list is emptied
// first and stays empty when the read fails.
RpMaterialList* RpMaterialListStreamRead(RwStream* stream, RpMaterialList* list);
