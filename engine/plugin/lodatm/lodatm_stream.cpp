// The LOD sub-chunk (0x112) of atomics: a 64-byte struct {hooked flag, two
// callback words written as 0, far range, level scale, current level, ten
// level words}, then a geometry chunk for every stored level other than the
// current one, whose geometry is the atomic's own.
#include <cstring>

#include "engine/plugin/lodatm/lodatm_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/geometry.h"

namespace {

constexpr RwUInt32 kStructWords = 6 + rpLODATOMICMAXLOD;
constexpr RwUInt32 kStructSize = 4 * kStructWords;
constexpr RwUInt32 kHeadSize = kRwChunkHeaderSize + kStructSize;

// The level's geometry travels in the sub-chunk.
RwBool IsWritten(const RpLODAtomicRecord* record, RwInt32 level) {
  return record->geometry[level] != nullptr && level != record->currentLOD;
}

RwBool Fail() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return FALSE;
}

// Reads the next geometry chunk of the body; *geometry stays null when the
// body holds no further geometry chunk.
RwBool ReadLevelGeometry(RwChunkBodyReader* reader, RpGeometry** geometry) {
  while (RwChunkBodyReaderHas(reader, 1, kRwChunkHeaderSize)) {
    RwUInt32 type = 0;
    RwUInt32 length = 0;
    if (!RwStreamReadChunkHeader(reader->stream, &type, &length, nullptr, nullptr)) {
      return FALSE;
    }
    reader->left -= kRwChunkHeaderSize;
    if (length > reader->left) {
      return Fail();
    }
    reader->left -= length;
    if (type == kRwChunkGeometry) {
      *geometry = RpGeometryStreamRead(reader->stream);
      return *geometry != nullptr;
    }
    if (length != 0 && RwStreamSkip(reader->stream, length) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool ReadStruct(RwChunkBodyReader* reader, RwInt32* words) {
  RwUInt32 type = 0;
  RwUInt32 length = 0;
  if (!RwChunkBodyReaderHas(reader, 1, kRwChunkHeaderSize) ||
      !RwStreamReadChunkHeader(reader->stream, &type, &length, nullptr, nullptr)) {
    return Fail();
  }
  reader->left -= kRwChunkHeaderSize;
  if (type != kRwChunkStruct || length < kStructSize || length > reader->left) {
    return Fail();
  }
  if (!RwChunkBodyReadInt32(reader, words, kStructWords)) {
    return FALSE;
  }
  const RwUInt32 rest = length - kStructSize;
  reader->left -= rest;
  return rest == 0 || RwStreamSkip(reader->stream, rest) != nullptr;
}

}  // namespace

RwStream* _rpLODAtomicStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32, RwInt32) {
  auto* atomic = static_cast<RpAtomic*>(object);
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RwInt32 words[kStructWords];
  if (!ReadStruct(&reader, words)) {
    return nullptr;
  }
  const RwInt32 current = words[5];
  if (current < -1 || current >= rpLODATOMICMAXLOD) {
    Fail();
    return nullptr;
  }
  RpLODAtomicRecord* record = _rpLODAtomicTakeRecord(atomic);
  if (record == nullptr) {
    return nullptr;
  }
  std::memcpy(&record->farRange, &words[3], sizeof(RwReal));
  std::memcpy(&record->levelScale, &words[4], sizeof(RwReal));
  record->currentLOD = current;
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    if (words[6 + level] == 0 || level == current) {
      continue;
    }
    // A level whose geometry chunk is missing stays empty.
    if (!ReadLevelGeometry(&reader, &record->geometry[level])) {
      return nullptr;
    }
  }
  if (current >= 0 && atomic->geometry != nullptr) {
    record->geometry[current] = RpGeometryAddRef(atomic->geometry);
  }
  record->lodCallBack = _rpLODAtomicDefaultLODCallBack;
  record->previousRender = atomic->renderCallBack;
  atomic->renderCallBack = _rpLODAtomicRender;
  record->hooked = 1;
  return stream;
}

RwStream* _rpLODAtomicStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(static_cast<const RpAtomic*>(object));
  RwUInt8 body[kStructSize];
  RwWriteLittleEndianUInt32(body, record->hooked);
  RwWriteLittleEndianUInt32(body + 4, 0);  // the callbacks are memory values
  RwWriteLittleEndianUInt32(body + 8, 0);
  RwWriteLittleEndianReal(body + 12, record->farRange);
  RwWriteLittleEndianReal(body + 16, record->levelScale);
  RwWriteLittleEndianUInt32(body + 20, static_cast<RwUInt32>(record->currentLOD));
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    RwWriteLittleEndianUInt32(body + 24 + 4 * level, record->geometry[level] != nullptr ? 1 : 0);
  }
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, kStructSize, kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr ||
      RwStreamWrite(stream, body, kStructSize) == nullptr) {
    return nullptr;
  }
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    if (IsWritten(record, level) && RpGeometryStreamWrite(record->geometry[level], stream) == nullptr) {
      return nullptr;
    }
  }
  return stream;
}

RwInt32 _rpLODAtomicStreamGetSize(const void* object, RwInt32, RwInt32) {
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(static_cast<const RpAtomic*>(object));
  if (record == nullptr) {
    return 0;
  }
  RwUInt32 size = kHeadSize;
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    if (IsWritten(record, level)) {
      size += kRwChunkHeaderSize + RpGeometryStreamGetSize(record->geometry[level]);
    }
  }
  return static_cast<RwInt32>(size);
}
