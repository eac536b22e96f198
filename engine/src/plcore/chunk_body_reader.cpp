// Bounded field reads over a chunk body; see chunk_body_reader.h.
#include "engine/src/plcore/chunk_body_reader.h"

#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kWordSize = 4;

// Takes length bytes from what is left, or records the read error.
RwBool Take(RwChunkBodyReader* reader, RwUInt64 length) {
  if (length > reader->left) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  reader->left -= static_cast<RwUInt32>(length);
  return TRUE;
}

}  // namespace

RwChunkBodyReader RwChunkBodyReaderOpen(RwStream* stream, RwUInt32 length) { return {stream, length}; }

RwBool RwChunkBodyReaderHas(const RwChunkBodyReader* reader, RwUInt32 count, RwUInt32 itemSize) {
  return static_cast<RwUInt64>(count) * itemSize <= reader->left;
}

RwBool RwChunkBodyReadInt32(RwChunkBodyReader* reader, RwInt32* values, RwUInt32 count) {
  return Take(reader, static_cast<RwUInt64>(count) * kWordSize) &&
         RwStreamReadInt32(reader->stream, values, count * kWordSize) != nullptr;
}

RwBool RwChunkBodyReadUInt32(RwChunkBodyReader* reader, RwUInt32* value) {
  RwInt32 word = 0;
  if (!RwChunkBodyReadInt32(reader, &word, 1)) {
    return FALSE;
  }
  *value = static_cast<RwUInt32>(word);
  return TRUE;
}

RwBool RwChunkBodyReadReal(RwChunkBodyReader* reader, RwReal* values, RwUInt32 count) {
  return Take(reader, static_cast<RwUInt64>(count) * kWordSize) &&
         RwStreamReadReal(reader->stream, values, count * kWordSize) != nullptr;
}

RwBool RwChunkBodyReadBytes(RwChunkBodyReader* reader, void* buffer, RwUInt32 length) {
  return Take(reader, length) && RwStreamReadExact(reader->stream, buffer, length);
}
