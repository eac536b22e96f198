// The delta-morph sub-chunk (0x122) of geometries: a target count, then per
// target a length-prefixed name, flags, lock flags, control-byte and delta
// counts, the control bytes, the deltas of each flagged kind and a bounding
// sphere. Counts are checked against the sub-chunk before allocating.
#include <cstring>

#include "engine/plugin/dmorph/dmorph_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/geometry.h"

namespace {

constexpr RwUInt32 kWordSize = 4;
constexpr RwUInt32 kTargetWords = 4;  // flags, lock flags, control bytes, deltas
constexpr RwUInt32 kSphereWords = 4;  // centre and radius
// Name length, the four words and the sphere.
constexpr RwUInt32 kTargetMinimumSize = kWordSize * (1 + kTargetWords + kSphereWords);

RwBool OutOfMemory() {
  RwErrorRaise(kRpDMorphPluginId, kRwErrOutOfMemory);
  return FALSE;
}

RwBool Corrupt() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return FALSE;
}

void* Allocate(size_t bytes) {
  void* block = RwMalloc(bytes);
  if (block == nullptr) {
    OutOfMemory();
    return nullptr;
  }
  std::memset(block, 0, bytes);
  return block;
}

// Lays the delta arrays of the flagged kinds out in the target's block.
void LayOutDeltas(RpDMorphDeltaTarget* target) {
  RwUInt8* at = static_cast<RwUInt8*>(target->deltaBlock);
  const RwUInt32 k = target->numDeltas;
  if ((target->dataTypeFlags & rpDMORPHDATATYPEPOSITIONS) != 0) {
    target->positions = reinterpret_cast<RwV3d*>(at);
    at += sizeof(RwV3d) * k;
  }
  if ((target->dataTypeFlags & rpDMORPHDATATYPENORMALS) != 0) {
    target->normals = reinterpret_cast<RwV3d*>(at);
    at += sizeof(RwV3d) * k;
  }
  if ((target->dataTypeFlags & rpDMORPHDATATYPEPRELITS) != 0) {
    target->preLightColors = reinterpret_cast<RwRGBA*>(at);
    at += sizeof(RwRGBA) * k;
  }
  if ((target->dataTypeFlags & rpDMORPHDATATYPETEXCOORDS) != 0) {
    target->texCoords = reinterpret_cast<RwTexCoords*>(at);
  }
}

RwBool ReadDeltas(RwChunkBodyReader* reader, RpDMorphDeltaTarget* target) {
  const RwUInt32 k = target->numDeltas;
  const RwUInt32 size = _rpDMorphDeltaSize(target->dataTypeFlags);
  if (k == 0 || size == 0) {
    return TRUE;
  }
  if (!RwChunkBodyReaderHas(reader, k, size)) {
    return Corrupt();
  }
  target->deltaBlock = Allocate(static_cast<size_t>(k) * size);
  if (target->deltaBlock == nullptr) {
    return FALSE;
  }
  LayOutDeltas(target);
  return (target->positions == nullptr || RwChunkBodyReadReal(reader, &target->positions[0].x, 3 * k)) &&
         (target->normals == nullptr || RwChunkBodyReadReal(reader, &target->normals[0].x, 3 * k)) &&
         (target->preLightColors == nullptr ||
          RwChunkBodyReadBytes(reader, target->preLightColors, static_cast<RwUInt32>(sizeof(RwRGBA)) * k)) &&
         (target->texCoords == nullptr || RwChunkBodyReadReal(reader, &target->texCoords[0].u, 2 * k));
}

RwBool ReadTarget(RwChunkBodyReader* reader, RpDMorphDeltaTarget* target) {
  RwInt32 words[kTargetWords];
  if (!RwChunkBodyReadText(reader, &target->name, kRpDMorphPluginId) ||
      !RwChunkBodyReadInt32(reader, words, kTargetWords)) {
    return FALSE;
  }
  target->dataTypeFlags = static_cast<RwUInt32>(words[0]);
  target->lockFlags = static_cast<RwUInt32>(words[1]);
  const RwUInt32 m = static_cast<RwUInt32>(words[2]);
  if (!RwChunkBodyReaderHas(reader, m, 1)) {
    return Corrupt();
  }
  if (m != 0) {
    target->controlBytes = static_cast<RwUInt8*>(Allocate(m));
    if (target->controlBytes == nullptr || !RwChunkBodyReadBytes(reader, target->controlBytes, m)) {
      return FALSE;
    }
  }
  target->numControlBytes = m;
  target->numDeltas = static_cast<RwUInt32>(words[3]);
  return ReadDeltas(reader, target) && RwChunkBodyReadReal(reader, &target->boundingSphere.center.x, kSphereWords);
}

// A record of count targets with zeroed targets and weights, or null.
RpDMorphGeometryData* CreateData(RwUInt32 count) {
  auto* data = static_cast<RpDMorphGeometryData*>(Allocate(sizeof(RpDMorphGeometryData)));
  if (data == nullptr) {
    return nullptr;
  }
  const size_t targets = sizeof(RpDMorphDeltaTarget) * count;
  data->targets = static_cast<RpDMorphDeltaTarget*>(Allocate(targets + sizeof(RwReal) * count));
  if (data->targets == nullptr) {
    RwFree(data);
    return nullptr;
  }
  data->numTargets = count;
  data->appliedWeights = reinterpret_cast<RwReal*>(reinterpret_cast<RwUInt8*>(data->targets) + targets);
  return data;
}

RwBool WriteWords(RwStream* stream, const RwUInt32* words, RwUInt32 count) {
  return RwStreamWriteInt32(stream, reinterpret_cast<const RwInt32*>(words), kWordSize * count) != nullptr;
}

RwUInt32 NameSize(const RpDMorphDeltaTarget& target) {
  return target.name != nullptr ? static_cast<RwUInt32>(std::strlen(target.name)) + 1 : 0;
}

RwBool WriteTarget(RwStream* stream, const RpDMorphDeltaTarget& target) {
  const RwUInt32 nameSize = NameSize(target);
  const RwUInt32 words[kTargetWords] = {target.dataTypeFlags, target.lockFlags, target.numControlBytes,
                                        target.numDeltas};
  const RwUInt32 k = target.deltaBlock != nullptr ? target.numDeltas : 0;
  return WriteWords(stream, &nameSize, 1) && (nameSize == 0 || RwStreamWrite(stream, target.name, nameSize)) &&
         WriteWords(stream, words, kTargetWords) &&
         (target.numControlBytes == 0 || RwStreamWrite(stream, target.controlBytes, target.numControlBytes)) &&
         (k == 0 || target.positions == nullptr || RwStreamWriteReal(stream, &target.positions[0].x, 12 * k)) &&
         (k == 0 || target.normals == nullptr || RwStreamWriteReal(stream, &target.normals[0].x, 12 * k)) &&
         (k == 0 || target.preLightColors == nullptr || RwStreamWrite(stream, target.preLightColors, 4 * k)) &&
         (k == 0 || target.texCoords == nullptr || RwStreamWriteReal(stream, &target.texCoords[0].u, 8 * k)) &&
         RwStreamWriteReal(stream, &target.boundingSphere.center.x, kWordSize * kSphereWords);
}

}  // namespace

RwStream* _rpDMorphGeometryStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RwUInt32 count = 0;
  if (!RwChunkBodyReadUInt32(&reader, &count)) {
    return nullptr;
  }
  if (!RwChunkBodyReaderHas(&reader, count, kTargetMinimumSize)) {
    Corrupt();
    return nullptr;
  }
  RpDMorphGeometryData* data = nullptr;
  if (count != 0 && (data = CreateData(count)) == nullptr) {
    return nullptr;
  }
  for (RwUInt32 i = 0; i < count; ++i) {
    data->targets[i].geometry = static_cast<RpGeometry*>(object);
    if (!ReadTarget(&reader, &data->targets[i])) {
      _rpDMorphGeometryDataDestroy(data);
      return nullptr;
    }
  }
  // A second delta-morph sub-chunk replaces the first.
  RpDMorphGeometryData** slot = RwPluginDataGet(RpDMorphGeometryData*, object, offset);
  _rpDMorphGeometryDataDestroy(*slot);
  *slot = data;
  return stream;
}

RwStream* _rpDMorphGeometryStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  const RpDMorphGeometryData* data = *RwPluginDataGetConst(RpDMorphGeometryData* const, object, offset);
  if (!WriteWords(stream, &data->numTargets, 1)) {
    return nullptr;
  }
  for (RwUInt32 i = 0; i < data->numTargets; ++i) {
    if (!WriteTarget(stream, data->targets[i])) {
      return nullptr;
    }
  }
  return stream;
}

RwInt32 _rpDMorphGeometryStreamGetSize(const void* object, RwInt32 offset, RwInt32) {
  const RpDMorphGeometryData* data = *RwPluginDataGetConst(RpDMorphGeometryData* const, object, offset);
  if (data == nullptr) {
    return 0;
  }
  RwUInt64 size = kWordSize;
  for (RwUInt32 i = 0; i < data->numTargets; ++i) {
    const RpDMorphDeltaTarget& target = data->targets[i];
    const RwUInt32 k = target.deltaBlock != nullptr ? target.numDeltas : 0;
    size += kTargetMinimumSize + NameSize(target) + target.numControlBytes +
            static_cast<RwUInt64>(k) * _rpDMorphDeltaSize(target.dataTypeFlags);
  }
  return static_cast<RwInt32>(size);
}
