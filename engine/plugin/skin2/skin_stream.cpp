// The skin sub-chunks (0x116). On geometries: the newer form (with the
// largest weight count, the used bones and the split data), the older form
// (neither; both computed from the weights) and the native form (a struct
// with the platform and the bone count). On atomics: the oldest form, read
// only, which gives the atomic's geometry its skin.
#include <cstdint>

#include "engine/plugin/skin2/rpskin.h"
#include "engine/plugin/skin2/skin_internal.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"

namespace {

// Bone count, used-bone count, largest weight count, padding.
constexpr RwUInt32 kHeaderBytes = 4;
constexpr RwUInt32 kMatrixWords = 16;
constexpr RwUInt32 kMatrixBytes = kMatrixWords * 4;
// One bone word and four weights a vertex.
constexpr RwUInt32 kVertexBytes = 4 + 4 * kRpSkinMaxWeights;
// The older form's bytes before each matrix, and the oldest form's.
constexpr RwUInt32 kOlderMatrixPrefix = 4;
constexpr RwUInt32 kOldestMatrixPrefix = 12;
// The oldest form's bone count and the word after it.
constexpr RwUInt32 kOldestHeaderBytes = 8;
// Bone limit and the counts A and B of the split data.
constexpr RwUInt32 kSplitHeaderBytes = 12;
constexpr RwUInt32 kSplitHeaderWords = 3;

RwStream* Fail(RwInt32 code) {
  RwErrorRaise(static_cast<RwInt32>(kRpSkinPluginId), code);
  return nullptr;
}

bool Native(const RpGeometry* geometry) { return (geometry->flags & rpGEOMETRYNATIVE) != 0; }

// Reads a matrix as 16 words, its flags word included.
bool ReadMatrix(RwStream* stream, RwMatrix* matrix, RwUInt32 prefix) {
  if (prefix != 0 && RwStreamSkip(stream, prefix) == nullptr) {
    return false;
  }
  return RwStreamReadReal(stream, reinterpret_cast<RwReal*>(matrix), kMatrixBytes) != nullptr;
}

bool ReadVertices(RwStream* stream, RpSkin* skin) {
  const RwUInt32 vertices = static_cast<RwUInt32>(skin->numVertices);
  if (vertices == 0) {
    return true;
  }
  return RwStreamReadInt32(stream, reinterpret_cast<RwInt32*>(skin->vertexBoneIndices), vertices * 4) != nullptr &&
         RwStreamReadReal(stream, skin->vertexWeights[0].w, vertices * 4 * kRpSkinMaxWeights) != nullptr;
}

bool ReadMatrices(RwStream* stream, RpSkin* skin, RwUInt32 prefix) {
  for (RwUInt32 i = 0; i < skin->numBones; i++) {
    if (!ReadMatrix(stream, &skin->inverseBoneMatrices[i], prefix)) {
      return false;
    }
  }
  return true;
}

// The split data, after checking that its block fits the bytes left.
bool ReadSplit(RwStream* stream, RpSkin* skin, RwUInt32 left) {
  RwInt32 words[kSplitHeaderWords];
  if (RwStreamReadInt32(stream, words, kSplitHeaderBytes) == nullptr) {
    return false;
  }
  const RwUInt32 numA = static_cast<RwUInt32>(words[1]);
  const RwUInt32 numB = static_cast<RwUInt32>(words[2]);
  if (numA != 0 && skin->numBones + 2 * static_cast<uint64_t>(numA) + 2 * static_cast<uint64_t>(numB) > left) {
    Fail(kRwErrRead);
    return false;
  }
  if (!_rpSkinAllocateSplit(skin, static_cast<RwUInt32>(words[0]), numA, numB)) {
    return false;
  }
  const RwUInt32 bytes = _rpSkinSplitBytes(skin);
  return bytes == 0 || RwStreamReadExact(stream, skin->split.boneTable, bytes);
}

// What the older forms lack, from the weights: sorted first, so that the
// count and the used bones see every vertex largest weight first.
void CompleteFromWeights(RpSkin* skin) {
  _rpSkinSortWeights(skin);
  skin->maxWeights = _rpSkinCountWeights(skin);
  _rpSkinFindUsedBones(skin);
}

// Gives the geometry the skin read for it; a skin an earlier sub-chunk gave
// it is the geometry's own and is freed.
void SetReadSkin(RpGeometry* geometry, RpSkin* skin) {
  RpSkin* previous = RpSkinGeometryGetSkin(geometry);
  RpSkinGeometrySetSkin(geometry, skin);
  if (previous != nullptr && previous != skin) {
    _rpSkinFree(previous);
  }
}

RwStream* ReadNative(RwStream* stream, RpGeometry* geometry) {
  RwUInt32 type = 0;
  RwUInt32 length = 0;
  RwUInt32 version = 0;
  if (!RwStreamReadChunkHeader(stream, &type, &length, &version, nullptr)) {
    return nullptr;
  }
  if (type != kRwChunkStruct || !RwChunkVersionSupported(version)) {
    return Fail(kRwErrBadChunkVersion);
  }
  RwInt32 words[2];
  if (length < sizeof(words) || RwStreamReadInt32(stream, words, sizeof(words)) == nullptr) {
    return Fail(kRwErrRead);
  }
  if (static_cast<RwUInt32>(words[0]) != kRpSkinNativePlatform) {
    return nullptr;
  }
  const RwUInt32 numBones = static_cast<RwUInt32>(words[1]);
  if (numBones > kRpSkinMaxBones) {
    return Fail(kRwErrInvalidValue);
  }
  RpSkin* skin = static_cast<RpSkin*>(RwFreeListAlloc(_rpSkinFreeList()));
  if (skin == nullptr) {
    return Fail(kRwErrOutOfMemory);
  }
  *skin = {};
  skin->numBones = numBones;
  SetReadSkin(geometry, skin);
  return stream;
}

RwStream* ReadGeometrySkin(RwStream* stream, RwInt32 length, void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RpGeometry* geometry = static_cast<RpGeometry*>(object);
  if (_rpSkinFreeList() == nullptr) {
    return Fail(kRwErrWrongEngineState);
  }
  if (Native(geometry)) {
    return ReadNative(stream, geometry);
  }
  RwUInt8 header[kHeaderBytes];
  if (!RwStreamReadExact(stream, header, kHeaderBytes)) {
    return nullptr;
  }
  const RwUInt32 numBones = header[0];
  const RwUInt32 maxWeights = header[2];
  const bool newer = maxWeights != 0;
  const RwUInt32 numUsed = newer ? header[1] : numBones;
  if (numBones == 0 || maxWeights > kRpSkinMaxWeights || numUsed > numBones) {
    return Fail(kRwErrInvalidValue);
  }
  const uint64_t vertices = static_cast<uint64_t>(geometry->numVertices);
  const uint64_t fixed = kHeaderBytes + (newer ? numUsed + kSplitHeaderBytes : 0) + vertices * kVertexBytes +
                         numBones * static_cast<uint64_t>(kMatrixBytes + (newer ? 0 : kOlderMatrixPrefix));
  if (fixed > static_cast<uint64_t>(length)) {
    return Fail(kRwErrRead);
  }
  RpSkin* skin = _rpSkinAllocate(geometry->numVertices, numBones, numUsed);
  if (skin == nullptr) {
    return nullptr;
  }
  const bool read = (!newer || numUsed == 0 || RwStreamReadExact(stream, skin->usedBones, numUsed)) &&
                    ReadVertices(stream, skin) && ReadMatrices(stream, skin, newer ? 0 : kOlderMatrixPrefix) &&
                    (!newer || ReadSplit(stream, skin, static_cast<RwUInt32>(static_cast<uint64_t>(length) - fixed)));
  if (!read || !_rpSkinBonesValid(skin)) {
    _rpSkinFree(skin);
    return read ? Fail(kRwErrInvalidValue) : nullptr;
  }
  if (newer) {
    skin->maxWeights = maxWeights;
  } else {
    CompleteFromWeights(skin);
  }
  SetReadSkin(geometry, skin);
  return stream;
}

// Only a skin with vertex data is written; a native geometry writes nothing.
const RpSkin* WrittenSkin(const RpGeometry* geometry) {
  const RpSkin* skin = RpSkinGeometryGetSkin(geometry);
  if (skin == nullptr || Native(geometry) || skin->data == nullptr || skin->numVertices != geometry->numVertices) {
    return nullptr;
  }
  return skin;
}

RwInt32 GeometrySkinSize(const void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  const RpSkin* skin = WrittenSkin(static_cast<const RpGeometry*>(object));
  if (skin == nullptr) {
    return 0;
  }
  return static_cast<RwInt32>(kHeaderBytes + skin->numBones * kMatrixBytes +
                              static_cast<RwUInt32>(skin->numVertices) * kVertexBytes + skin->numUsedBones +
                              kSplitHeaderBytes + _rpSkinSplitBytes(skin));
}

RwStream* WriteGeometrySkin(RwStream* stream, RwInt32 /*length*/, const void* object, RwInt32 /*offset*/,
                            RwInt32 /*size*/) {
  const RpSkin* skin = WrittenSkin(static_cast<const RpGeometry*>(object));
  if (skin == nullptr) {
    return stream;
  }
  const RwUInt8 header[kHeaderBytes] = {static_cast<RwUInt8>(skin->numBones), static_cast<RwUInt8>(skin->numUsedBones),
                                        static_cast<RwUInt8>(skin->maxWeights), 0};
  const RwUInt32 vertices = static_cast<RwUInt32>(skin->numVertices);
  if (RwStreamWrite(stream, header, kHeaderBytes) == nullptr ||
      (skin->numUsedBones != 0 && RwStreamWrite(stream, skin->usedBones, skin->numUsedBones) == nullptr)) {
    return nullptr;
  }
  if (vertices != 0 &&
      (RwStreamWriteInt32(stream, reinterpret_cast<const RwInt32*>(skin->vertexBoneIndices), vertices * 4) == nullptr ||
       RwStreamWriteReal(stream, skin->vertexWeights[0].w, vertices * 4 * kRpSkinMaxWeights) == nullptr)) {
    return nullptr;
  }
  for (RwUInt32 i = 0; i < skin->numBones; i++) {
    if (RwStreamWriteReal(stream, reinterpret_cast<const RwReal*>(&skin->inverseBoneMatrices[i]), kMatrixBytes) ==
        nullptr) {
      return nullptr;
    }
  }
  const RwInt32 split[kSplitHeaderWords] = {static_cast<RwInt32>(skin->split.boneLimit),
                                            static_cast<RwInt32>(skin->split.numA),
                                            static_cast<RwInt32>(skin->split.numB)};
  if (RwStreamWriteInt32(stream, split, kSplitHeaderBytes) == nullptr) {
    return nullptr;
  }
  const RwUInt32 splitBytes = _rpSkinSplitBytes(skin);
  return splitBytes == 0 ? stream : RwStreamWrite(stream, skin->split.boneTable, splitBytes);
}

// The oldest form: skipped (by its length) when the geometry already has a
// skin, or when the atomic has no geometry to give one.
RwStream* ReadAtomicSkin(RwStream* stream, RwInt32 length, void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RpGeometry* geometry = static_cast<RpAtomic*>(object)->geometry;
  if (geometry == nullptr || RpSkinGeometryGetSkin(geometry) != nullptr) {
    return stream;
  }
  if (_rpSkinFreeList() == nullptr) {
    return Fail(kRwErrWrongEngineState);
  }
  RwInt32 words[2];
  if (length < static_cast<RwInt32>(kOldestHeaderBytes) ||
      RwStreamReadInt32(stream, words, kOldestHeaderBytes) == nullptr) {
    return Fail(kRwErrRead);
  }
  const RwUInt32 numBones = static_cast<RwUInt32>(words[0]);
  if (numBones == 0 || numBones > kRpSkinMaxBones) {
    return Fail(kRwErrInvalidValue);
  }
  const uint64_t needed = kOldestHeaderBytes + static_cast<uint64_t>(geometry->numVertices) * kVertexBytes +
                          numBones * static_cast<uint64_t>(kOldestMatrixPrefix + kMatrixBytes);
  if (needed > static_cast<uint64_t>(length)) {
    return Fail(kRwErrRead);
  }
  RpSkin* skin = _rpSkinAllocate(geometry->numVertices, numBones, numBones);
  if (skin == nullptr) {
    return nullptr;
  }
  const bool read = ReadVertices(stream, skin) && ReadMatrices(stream, skin, kOldestMatrixPrefix);
  if (!read || !_rpSkinBonesValid(skin)) {
    _rpSkinFree(skin);
    return read ? Fail(kRwErrInvalidValue) : nullptr;
  }
  CompleteFromWeights(skin);
  RpSkinGeometrySetSkin(geometry, skin);
  return stream;
}

RwStream* WriteAtomicSkin(RwStream* stream, RwInt32 /*length*/, const void* /*object*/, RwInt32 /*offset*/,
                          RwInt32 /*size*/) {
  return stream;
}

RwInt32 AtomicSkinSize(const void* /*object*/, RwInt32 /*offset*/, RwInt32 /*size*/) { return 0; }

}  // namespace

RwBool _rpSkinRegisterStreams(void) {
  return RpGeometryRegisterPluginStream(kRpSkinPluginId, ReadGeometrySkin, WriteGeometrySkin, GeometrySkinSize) >= 0 &&
         RpAtomicRegisterPluginStream(kRpSkinPluginId, ReadAtomicSkin, WriteAtomicSkin, AtomicSkinSize) >= 0;
}
