// Bounded field reads over a chunk body; see chunk_body_reader.h.
#include "engine/src/plcore/chunk_body_reader.h"

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/file_functions.h"
#include "engine/src/plcore/io_functions.h"
#include "engine/src/plcore/plugin_registry_internal.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/stream_internal.h"

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

// Bytes a file handle holds past its position, or false when the file
// interface cannot tell (the position is restored either way).
RwBool FileBytesLeft(void* file, RwUInt64* left) {
  const RwFileFunctions* files = RwEngineGetFileInterface();
  if (file == nullptr || files->rwftell == nullptr || files->rwfseek == nullptr) {
    return FALSE;
  }
  const RwInt32 position = files->rwftell(file);
  if (position < 0 || files->rwfseek(file, 0, 2) != 0) {
    return FALSE;
  }
  const RwInt32 end = files->rwftell(file);
  files->rwfseek(file, position, 0);
  if (end < position) {
    return FALSE;
  }
  *left = static_cast<RwUInt64>(end - position);
  return TRUE;
}

}  // namespace

// A body can hold no more than its stream has left: a length that claims
// more is cut to that, so counts checked against the body never allocate
// for bytes that are not there.
RwUInt32 _rwStreamBytesAvailable(const RwStream* stream, RwUInt32 length) {
  RwUInt32 windowLeft = 0;
  if (const RwStream* outer = _rwBoundedStreamOuter(stream, &windowLeft)) {
    return _rwStreamBytesAvailable(outer, windowLeft < length ? windowLeft : length);
  }
  RwUInt64 left = length;
  if (stream->type == kRwStreamMemory) {
    const RwStreamMemory& memory = stream->Type.memory;
    left = memory.position <= memory.nSize ? memory.nSize - memory.position : 0;
  } else if (stream->type == kRwStreamFile || stream->type == kRwStreamFileName) {
    RwUInt32 known = 0;
    if (_rwStreamFileBytesLeft(stream, &known)) {
      left = known;
    } else if (!FileBytesLeft(stream->Type.file.fpFile, &left)) {
      left = length;
    }
  }
  return left < length ? static_cast<RwUInt32>(left) : length;
}

RwChunkBodyReader RwChunkBodyReaderOpen(RwStream* stream, RwUInt32 length) {
  return {stream, stream != nullptr ? _rwStreamBytesAvailable(stream, length) : length};
}

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

RwBool RwChunkBodyReadText(RwChunkBodyReader* reader, RwChar** text, RwInt32 pluginID) {
  RwUInt32 length = 0;
  if (!RwChunkBodyReadUInt32(reader, &length)) {
    return FALSE;
  }
  if (length == 0) {
    return TRUE;
  }
  if (!RwChunkBodyReaderHas(reader, length, 1)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  *text = static_cast<RwChar*>(RwMalloc(static_cast<size_t>(length) + 1));
  if (*text == nullptr) {
    RwErrorRaise(pluginID, kRwErrOutOfMemory);
    return FALSE;
  }
  (*text)[length] = '\0';
  return RwChunkBodyReadBytes(reader, *text, length);
}
