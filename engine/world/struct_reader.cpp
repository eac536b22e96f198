// Readers of struct chunks for the world module: fixed records zero-filled or
// cut to size, and whole bodies read without trusting their stated length.
#include <cstring>

#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/world_internal.h"

namespace {

// The first piece of a body read, and the largest piece the block grows by.
constexpr RwUInt32 kBodyReadStep = 64 * 1024;

}  // namespace

RwBool _rpReadStructBody(RwStream* stream, RwUInt32 length, void* record, RwUInt32 size) {
  const RwUInt32 kept = length < size ? length : size;
  const RwUInt8* bytes = _rwStreamReadInPlace(stream, record, kept);
  if (bytes == nullptr) {
    return FALSE;
  }
  if (bytes != record) {
    std::memcpy(record, bytes, kept);
  }
  std::memset(static_cast<RwUInt8*>(record) + kept, 0, size - kept);
  return length == kept || RwStreamSkip(stream, length - kept) != nullptr;
}

RwBool _rpReadStructRecord(RwStream* stream, void* record, RwUInt32 size, RwUInt32* version) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, version)) {
    return FALSE;
  }
  return _rpReadStructBody(stream, length, record, size);
}

RwUInt8* _rpReadChunkBody(RwStream* stream, RwUInt32 length) {
  RwUInt32 capacity = length < kBodyReadStep ? length : kBodyReadStep;
  // One byte at least, so that an empty body is a block too.
  auto* block = static_cast<RwUInt8*>(RwMalloc(capacity != 0 ? capacity : 1));
  if (block == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  RwUInt32 done = 0;
  while (done < length) {
    if (done == capacity) {
      const RwUInt32 step = capacity < kBodyReadStep ? kBodyReadStep : capacity;
      capacity = length - capacity > step ? capacity + step : length;
      auto* grown = static_cast<RwUInt8*>(RwRealloc(block, capacity));
      if (grown == nullptr) {
        RwFree(block);
        RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
        return nullptr;
      }
      block = grown;
    }
    if (!RwStreamReadExact(stream, block + done, capacity - done)) {
      RwFree(block);
      return nullptr;
    }
    done = capacity;
  }
  return block;
}

const RwUInt8* _rpLendChunkBody(RwStream* stream, RwUInt32 length, RwUInt8** owned) {
  *owned = nullptr;
  if (const RwUInt8* lent = _rwStreamLendBytes(stream, length)) {
    return lent;
  }
  *owned = _rpReadChunkBody(stream, length);
  return *owned;
}
