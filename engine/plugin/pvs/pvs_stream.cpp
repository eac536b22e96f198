// The visibility sub-chunks (0x12A): the world's {has-data flag, hooked flag}
// and each sector's {index, bitmap length, a stored word, bitmap}. Reading
// the world's chunk, which follows its sectors, numbers them and computes
// their regions; a bitmap's length is checked against its sub-chunk.
#include <cstring>

#include "engine/plugin/pvs/pvs_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kWordSize = 4;
constexpr RwUInt32 kWorldWords = 2;
constexpr RwUInt32 kSectorWords = 3;

RwStream* Corrupt() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return nullptr;
}

}  // namespace

RwStream* _rpPVSWorldStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RwInt32 words[kWorldWords];
  if (!RwChunkBodyReadInt32(&reader, words, kWorldWords)) {
    return nullptr;
  }
  RpPVSWorld* pvs = RwPluginDataGet(RpPVSWorld, object, offset);
  pvs->hasData = words[0];
  // The stored hooked flag describes the writer's frame, not this world.
  pvs->hooked = 0;
  _rpPVSWorldComputeRegions(static_cast<RpWorld*>(object));
  return stream;
}

RwStream* _rpPVSWorldStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  const RpPVSWorld* pvs = RwPluginDataGetConst(RpPVSWorld, object, offset);
  const RwInt32 words[kWorldWords] = {pvs->hasData, pvs->hooked};
  return RwStreamWriteInt32(stream, words, sizeof(words));
}

RwInt32 _rpPVSWorldStreamGetSize(const void* object, RwInt32 offset, RwInt32) {
  return RwPluginDataGetConst(RpPVSWorld, object, offset)->hasData != 0 ? kWordSize * kWorldWords : 0;
}

RwStream* _rpPVSSectorStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RwInt32 words[kSectorWords];
  if (!RwChunkBodyReadInt32(&reader, words, kSectorWords)) {
    return nullptr;
  }
  const RwInt32 bitmapLength = words[1];
  if (bitmapLength < 0 || !RwChunkBodyReaderHas(&reader, static_cast<RwUInt32>(bitmapLength), 1)) {
    return Corrupt();
  }
  RwUInt8* bitmap = nullptr;
  if (bitmapLength != 0) {
    bitmap = static_cast<RwUInt8*>(RwMalloc(static_cast<size_t>(bitmapLength)));
    if (bitmap == nullptr) {
      RwErrorRaise(kRpPVSPluginId, kRwErrOutOfMemory);
      return nullptr;
    }
    if (!RwChunkBodyReadBytes(&reader, bitmap, static_cast<RwUInt32>(bitmapLength))) {
      RwFree(bitmap);
      return nullptr;
    }
  }
  RpPVSSector* pvs = RwPluginDataGet(RpPVSSector, object, offset);
  RwFree(pvs->bitmap);
  pvs->sectorIndex = words[0];
  pvs->bitmapLength = bitmapLength;
  pvs->reserved = words[2];
  pvs->bitmap = bitmap;
  return stream;
}

RwStream* _rpPVSSectorStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  const RpPVSSector* pvs = RwPluginDataGetConst(RpPVSSector, object, offset);
  const RwInt32 words[kSectorWords] = {pvs->sectorIndex, pvs->bitmapLength, pvs->reserved};
  if (RwStreamWriteInt32(stream, words, sizeof(words)) == nullptr) {
    return nullptr;
  }
  return pvs->bitmapLength == 0 ? stream : RwStreamWrite(stream, pvs->bitmap, static_cast<RwUInt32>(pvs->bitmapLength));
}

RwInt32 _rpPVSSectorStreamGetSize(const void* object, RwInt32 offset, RwInt32) {
  const RpPVSSector* pvs = RwPluginDataGetConst(RpPVSSector, object, offset);
  return pvs->sectorIndex != -1 ? static_cast<RwInt32>(kWordSize * kSectorWords) + pvs->bitmapLength : 0;
}
