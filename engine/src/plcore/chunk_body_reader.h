// Field-by-field reading of a chunk body of known length: every read checks
// the bytes left in the body first, so that counts and lengths taken from the
// body can be checked against it before anything is allocated by them.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwStream;

struct RwChunkBodyReader {
  RwStream* stream;
  RwUInt32 left;  // bytes of the body not yet read
};

// The body's length is cut to what the stream has left (see
// _rwStreamBytesAvailable).
RwChunkBodyReader RwChunkBodyReaderOpen(RwStream* stream, RwUInt32 length);
// The smaller of length and the bytes the stream has left past its
// position: memory streams and files know their end, a plugin's sub-chunk
// window knows its own and its outer stream's; other streams are taken at
// their word (length).
RwUInt32 _rwStreamBytesAvailable(const RwStream* stream, RwUInt32 length);
// Reads length bytes and gives where they stand: in the stream's own block
// when it lies in memory (a memory stream, or a plugin's window over one), so
// that they are decoded without a copy, else copied into buffer (length bytes
// of room). Null on a short read, with the read error recorded.
const RwUInt8* _rwStreamReadInPlace(RwStream* stream, void* buffer, RwUInt32 length);
// The next length bytes where the stream holds them in memory, taken from
// it; null, with nothing taken, for other streams or when fewer are left.
const RwUInt8* _rwStreamLendBytes(RwStream* stream, RwUInt32 length);
// True when count items of itemSize bytes each fit in what is left.
RwBool RwChunkBodyReaderHas(const RwChunkBodyReader* reader, RwUInt32 count, RwUInt32 itemSize);
// Each fails (read error recorded) when the body or the stream ends first.
RwBool RwChunkBodyReadInt32(RwChunkBodyReader* reader, RwInt32* values, RwUInt32 count);
RwBool RwChunkBodyReadUInt32(RwChunkBodyReader* reader, RwUInt32* value);
RwBool RwChunkBodyReadReal(RwChunkBodyReader* reader, RwReal* values, RwUInt32 count);
RwBool RwChunkBodyReadBytes(RwChunkBodyReader* reader, void* buffer, RwUInt32 length);
// A length-prefixed text: length 0 leaves *text null, anything else is read
// and terminated whatever the stored bytes hold. Running out of memory is
// recorded under pluginID; a length past the body is a read error.
RwBool RwChunkBodyReadText(RwChunkBodyReader* reader, RwChar** text, RwInt32 pluginID);
