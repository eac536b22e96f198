// Skin records: the record from the plugin's free list, one data block for
// the used bones, inverse bone matrices, vertex bone bytes and weights, the
// split block, and what follows from the weights (their order, the largest
// weight count, the used bones).
#include <cstddef>
#include <cstring>

#include "engine/plugin/skin2/rpskin.h"
#include "engine/plugin/skin2/skin_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/geometry.h"

namespace {

constexpr size_t kMatrixBytes = sizeof(RwMatrix);
constexpr size_t kVertexBytes = sizeof(RwUInt32) + sizeof(RpSkinVertexWeights);

RwUInt8 BoneByte(RwUInt32 indices, RwUInt32 slot) { return static_cast<RwUInt8>(indices >> (8 * slot)); }

void Raise(RwInt32 code) { RwErrorRaise(static_cast<RwInt32>(kRpSkinPluginId), code); }

// Neighbour swaps until a pass swaps nothing; each bone byte moves with its weight.
void SortVertex(RwUInt32* indices, RpSkinVertexWeights* weights) {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (RwUInt32 k = 0; k + 1 < kRpSkinMaxWeights; k++) {
      if (weights->w[k] < weights->w[k + 1]) {
        const RwReal weight = weights->w[k];
        weights->w[k] = weights->w[k + 1];
        weights->w[k + 1] = weight;
        const RwUInt32 low = BoneByte(*indices, k);
        const RwUInt32 high = BoneByte(*indices, k + 1);
        *indices &= ~(0xFFFFu << (8 * k));
        *indices |= (high | low << 8) << (8 * k);
        swapped = true;
      }
    }
  }
}

void SortUsedBones(RpSkin* skin) {
  for (RwUInt32 i = 1; i < skin->numUsedBones; i++) {
    const RwUInt8 bone = skin->usedBones[i];
    RwUInt32 j = i;
    for (; j > 0 && skin->usedBones[j - 1] > bone; j--) {
      skin->usedBones[j] = skin->usedBones[j - 1];
    }
    skin->usedBones[j] = bone;
  }
}

bool CountsValid(RwInt32 numVertices, RwInt32 numBones) {
  return numVertices >= 0 && numVertices < kRpGeometryMaxVertices && numBones >= 1 &&
         static_cast<RwUInt32>(numBones) <= kRpSkinMaxBones;
}

}  // namespace

RpSkin* _rpSkinAllocate(RwInt32 numVertices, RwUInt32 numBones, RwUInt32 numUsedBones) {
  RwFreeList* freeList = _rpSkinFreeList();
  if (freeList == nullptr || numVertices < 0 || numVertices >= kRpGeometryMaxVertices || numBones > kRpSkinMaxBones ||
      numUsedBones > kRpSkinMaxBones) {
    Raise(kRwErrInvalidValue);
    return nullptr;
  }
  RpSkin* skin = static_cast<RpSkin*>(RwFreeListAlloc(freeList));
  if (skin == nullptr) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(skin, 0, sizeof(*skin));
  // Every count is bounded above, so the sum cannot overflow.
  const size_t vertices = static_cast<size_t>(numVertices);
  const size_t bytes = numUsedBones + (kRpSkinMatrixAlignment - 1) + numBones * kMatrixBytes + vertices * kVertexBytes;
  RwUInt8* block = static_cast<RwUInt8*>(RwCalloc(1, bytes));
  if (block == nullptr) {
    RwFreeListFree(freeList, skin);
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  skin->data = block;
  skin->numBones = numBones;
  skin->numUsedBones = numUsedBones;
  skin->numVertices = numVertices;
  skin->usedBones = block;
  const uintptr_t afterList = reinterpret_cast<uintptr_t>(block + numUsedBones);
  const uintptr_t aligned =
      (afterList + kRpSkinMatrixAlignment - 1) & ~static_cast<uintptr_t>(kRpSkinMatrixAlignment - 1);
  RwUInt8* matrices = block + numUsedBones + (aligned - afterList);
  skin->inverseBoneMatrices = reinterpret_cast<RwMatrix*>(matrices);
  RwUInt8* indices = matrices + numBones * kMatrixBytes;
  skin->vertexBoneIndices = reinterpret_cast<RwUInt32*>(indices);
  skin->vertexWeights = reinterpret_cast<RpSkinVertexWeights*>(indices + vertices * sizeof(RwUInt32));
  return skin;
}

RwBool _rpSkinAllocateSplit(RpSkin* skin, RwUInt32 boneLimit, RwUInt32 numA, RwUInt32 numB) {
  skin->split = {boneLimit, numA, numB, nullptr, nullptr, nullptr};
  if (numA == 0) {
    return TRUE;
  }
  RwUInt8* block = static_cast<RwUInt8*>(RwCalloc(1, _rpSkinSplitBytes(skin)));
  if (block == nullptr) {
    Raise(kRwErrOutOfMemory);
    return FALSE;
  }
  skin->split.boneTable = block;
  skin->split.secondPart = block + skin->numBones;
  skin->split.thirdPart = skin->split.secondPart + 2 * static_cast<size_t>(numA);
  return TRUE;
}

RwUInt32 _rpSkinSplitBytes(const RpSkin* skin) {
  if (skin->split.numA == 0) {
    return 0;
  }
  // The readers bound both counts by the sub-chunk's length first.
  return skin->numBones + 2 * skin->split.numA + 2 * skin->split.numB;
}

void _rpSkinFree(RpSkin* skin) {
  EngineFree(skin->data);
  EngineFree(skin->split.boneTable);
  RwFreeListFree(_rpSkinFreeList(), skin);
}

void _rpSkinSortWeights(RpSkin* skin) {
  for (RwInt32 i = 0; i < skin->numVertices; i++) {
    if (skin->vertexWeights[i].w[0] < 1.0f) {
      SortVertex(&skin->vertexBoneIndices[i], &skin->vertexWeights[i]);
    }
  }
  SortUsedBones(skin);
}

RwUInt32 _rpSkinCountWeights(const RpSkin* skin) {
  RwUInt32 largest = 1;
  for (RwInt32 i = 0; i < skin->numVertices && largest < kRpSkinMaxWeights; i++) {
    RwUInt32 count = 0;
    while (count < kRpSkinMaxWeights && skin->vertexWeights[i].w[count] != 0.0f) {
      count++;
    }
    if (count > largest) {
      largest = count;
    }
  }
  return largest;
}

void _rpSkinFindUsedBones(RpSkin* skin) {
  bool used[kRpSkinPaletteSize] = {};
  for (RwInt32 i = 0; i < skin->numVertices; i++) {
    for (RwUInt32 k = 0; k < skin->maxWeights; k++) {
      if (skin->vertexWeights[i].w[k] != 0.0f) {
        used[BoneByte(skin->vertexBoneIndices[i], k)] = true;
      }
    }
  }
  // Bytes past the bone count are refused before the list is built, so it
  // never outgrows its numBones entries.
  skin->numUsedBones = 0;
  for (RwUInt32 bone = 0; bone < skin->numBones; bone++) {
    if (used[bone]) {
      skin->usedBones[skin->numUsedBones++] = static_cast<RwUInt8>(bone);
    }
  }
}

RwBool _rpSkinBonesValid(const RpSkin* skin) {
  for (RwInt32 i = 0; i < skin->numVertices; i++) {
    for (RwUInt32 k = 0; k < kRpSkinMaxWeights; k++) {
      if (skin->vertexWeights[i].w[k] != 0.0f && BoneByte(skin->vertexBoneIndices[i], k) >= skin->numBones) {
        return FALSE;
      }
    }
  }
  for (RwUInt32 i = 0; i < skin->numUsedBones; i++) {
    if (skin->usedBones[i] >= skin->numBones) {
      return FALSE;
    }
  }
  return TRUE;
}

RpSkin* RpSkinCreate(RwInt32 numVertices, RwInt32 numBones, const RwUInt32* boneIndices,
                     const RpSkinVertexWeights* weights, const RwMatrix* inverseBoneMatrices) {
  if (!CountsValid(numVertices, numBones) || (numVertices > 0 && (boneIndices == nullptr || weights == nullptr)) ||
      inverseBoneMatrices == nullptr) {
    Raise(kRwErrInvalidValue);
    return nullptr;
  }
  const RwUInt32 bones = static_cast<RwUInt32>(numBones);
  RpSkin* skin = _rpSkinAllocate(numVertices, bones, bones);
  if (skin == nullptr) {
    return nullptr;
  }
  const size_t vertices = static_cast<size_t>(numVertices);
  if (vertices > 0) {
    std::memcpy(skin->vertexBoneIndices, boneIndices, vertices * sizeof(RwUInt32));
    std::memcpy(skin->vertexWeights, weights, vertices * sizeof(RpSkinVertexWeights));
  }
  std::memcpy(skin->inverseBoneMatrices, inverseBoneMatrices, bones * sizeof(RwMatrix));
  if (!_rpSkinBonesValid(skin)) {
    _rpSkinFree(skin);
    Raise(kRwErrInvalidValue);
    return nullptr;
  }
  // Sorted first, so that the count and the used bones see each vertex's
  // weights largest first.
  _rpSkinSortWeights(skin);
  skin->maxWeights = _rpSkinCountWeights(skin);
  _rpSkinFindUsedBones(skin);
  return skin;
}

RwBool RpSkinDestroy(RpSkin* skin) {
  if (skin == nullptr) {
    return FALSE;
  }
  _rpSkinFree(skin);
  return TRUE;
}

RpSkin* RpSkinGeometryGetSkin(const RpGeometry* geometry) {
  RpSkin** slot = _rpSkinGeometrySlot(geometry);
  return slot != nullptr ? *slot : nullptr;
}

RpGeometry* RpSkinGeometrySetSkin(RpGeometry* geometry, RpSkin* skin) {
  RpSkin** slot = _rpSkinGeometrySlot(geometry);
  if (slot == nullptr) {
    return nullptr;
  }
  if (*slot == skin) {
    return geometry;
  }
  // Blending reads one bone word and four weights a geometry vertex.
  if (skin != nullptr && skin->vertexBoneIndices != nullptr && skin->numVertices != geometry->numVertices) {
    Raise(kRwErrInvalidValue);
    return nullptr;
  }
  *slot = skin;
  if (skin != nullptr) {
    _rpSkinSortWeights(skin);
  }
  return geometry;
}

const RwMatrix* RpSkinGetInverseBoneMatrices(const RpSkin* skin) { return skin->inverseBoneMatrices; }

RwUInt32 RpSkinGetNumBones(const RpSkin* skin) { return skin->numBones; }
