// Plugin data in extension chunks (type 3): each plugin with stream callbacks
// writes one sub-chunk {plugin id, length, stamp, body}. A plugin's reader and
// writer see a stream bounded to their sub-chunk's body, so a plugin can never
// consume its neighbours' bytes and a short read or write is skipped or caught.
#include <climits>

#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/plcore/plugin_registry_internal.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/stream_internal.h"

namespace {

// A window of at most `limit` bytes over an outer stream.
struct BoundedStream {
  RwStream* outer;
  RwUInt32 limit;
  RwUInt32 used;
  RwBool overrun;  // something tried to go past the window
};

RwUInt32 BoundedRead(void* data, void* buffer, RwUInt32 length) {
  BoundedStream* window = static_cast<BoundedStream*>(data);
  RwUInt32 allowed = window->limit - window->used;
  if (length > allowed) {
    window->overrun = TRUE;
    length = allowed;
  }
  const RwUInt32 got = length != 0 ? RwStreamRead(window->outer, buffer, length) : 0;
  window->used += got;
  return got;
}

RwInt32 BoundedWrite(void* data, const void* buffer, RwUInt32 length) {
  BoundedStream* window = static_cast<BoundedStream*>(data);
  if (length > window->limit - window->used) {
    window->overrun = TRUE;
    return 0;
  }
  if (RwStreamWrite(window->outer, buffer, length) == nullptr) {
    return 0;
  }
  window->used += length;
  return 1;
}

RwInt32 BoundedSkip(void* data, RwUInt32 offset) {
  BoundedStream* window = static_cast<BoundedStream*>(data);
  if (offset > window->limit - window->used) {
    window->overrun = TRUE;
    return 0;
  }
  if (offset != 0 && RwStreamSkip(window->outer, offset) == nullptr) {
    return 0;
  }
  window->used += offset;
  return 1;
}

void BoundedStreamInit(RwStream* stream, BoundedStream* window, RwStream* outer, RwUInt32 limit, RwUInt32 accessType) {
  *window = {outer, limit, 0, FALSE};
  stream->type = kRwStreamCustom;
  stream->accessType = accessType;
  stream->Type.custom = {nullptr, BoundedRead, BoundedWrite, BoundedSkip, window};
  stream->rwOwned = FALSE;
}

}  // namespace

const RwStream* _rwBoundedStreamOuter(const RwStream* stream, RwUInt32* left) {
  if (stream->type != kRwStreamCustom || stream->Type.custom.sfnread != BoundedRead) {
    return nullptr;
  }
  const BoundedStream* window = static_cast<const BoundedStream*>(stream->Type.custom.data);
  *left = window->limit - window->used;
  return window->outer;
}

namespace {

// The next length bytes of a block of size bytes read up to position, taken
// from it; null (nothing taken) when fewer are left.
template <typename Size>
const RwUInt8* TakeBytes(const RwUInt8* block, Size size, Size* position, RwUInt32 length) {
  if (*position > size || size - *position < length) {
    return nullptr;
  }
  const RwUInt8* bytes = block + *position;
  *position += length;
  return bytes;
}

// The next length bytes of a stream that holds them in memory, taken from
// it; null (nothing taken) for other streams or when fewer are left.
const RwUInt8* LendBytes(RwStream* stream, RwUInt32 length) {
  if (stream->type == kRwStreamMemory && stream->accessType == kRwStreamRead) {
    RwStreamMemory& memory = stream->Type.memory;
    return TakeBytes(memory.memBlock, memory.nSize, &memory.position, length);
  }
  if (stream->type == kRwStreamFileName && stream->Type.file.view != nullptr) {
    RwStreamFile& file = stream->Type.file;
    return TakeBytes(file.view, file.length, &file.position, length);
  }
  if (stream->type == kRwStreamFileName) {
    return _rwStreamFileLendBytes(stream, length);
  }
  if (stream->type != kRwStreamCustom || stream->Type.custom.sfnread != BoundedRead) {
    return nullptr;
  }
  BoundedStream* window = static_cast<BoundedStream*>(stream->Type.custom.data);
  if (length > window->limit - window->used) {
    return nullptr;
  }
  const RwUInt8* bytes = LendBytes(window->outer, length);
  if (bytes != nullptr) {
    window->used += length;
  }
  return bytes;
}

// The bytes past the position of a stream that holds them in memory, left
// in it, with their count in *left; null for other streams.
const RwUInt8* InMemory(RwStream* stream, RwUInt32* left) {
  if (stream->type == kRwStreamMemory && stream->accessType == kRwStreamRead) {
    const RwStreamMemory& memory = stream->Type.memory;
    const RwUInt32 at = memory.position <= memory.nSize ? memory.position : memory.nSize;
    *left = memory.nSize - at;
    return memory.memBlock + at;
  }
  if (stream->type == kRwStreamFileName && stream->Type.file.view != nullptr) {
    const RwStreamFile& file = stream->Type.file;
    const RwUInt32 at = file.position <= file.length ? file.position : file.length;
    *left = file.length - at;
    return file.view + at;
  }
  if (stream->type != kRwStreamCustom || stream->Type.custom.sfnread != BoundedRead) {
    return nullptr;
  }
  const BoundedStream* window = static_cast<const BoundedStream*>(stream->Type.custom.data);
  const RwUInt8* bytes = InMemory(window->outer, left);
  const RwUInt32 windowLeft = window->limit - window->used;
  if (windowLeft < *left) {
    *left = windowLeft;
  }
  return bytes;
}

// Whether a chunk header announces an empty extension chunk of a version
// this engine reads. *knownStamp caches the last stamp found good, as a run
// of chunks carries one stamp.
bool IsEmptyExtension(const RwUInt8* header, RwUInt32* knownStamp, bool* stampKnown) {
  if (RwReadLittleEndianUInt32(header) != kRwChunkExtension || RwReadLittleEndianUInt32(header + 4) != 0) {
    return false;
  }
  const RwUInt32 stamp = RwReadLittleEndianUInt32(header + 8);
  if (*stampKnown && stamp == *knownStamp) {
    return true;
  }
  RwUInt32 version = 0;
  RwChunkStampDecode(stamp, &version, nullptr);
  if (!RwChunkVersionSupported(version)) {
    return false;
  }
  *knownStamp = stamp;
  *stampKnown = true;
  return true;
}

// Takes up to count empty extension chunks in a row from a stream held in
// memory, without the general chunk search; returns how many. Most objects
// carry no plugin data.
RwInt32 TakeEmptyExtensions(RwStream* stream, RwInt32 count) {
  RwUInt32 left = 0;
  const RwUInt8* bytes = InMemory(stream, &left);
  if (bytes == nullptr) {
    return 0;
  }
  RwUInt32 stamp = 0;
  bool stampKnown = false;
  RwInt32 taken = 0;
  while (taken < count && left >= kRwChunkHeaderSize && IsEmptyExtension(bytes, &stamp, &stampKnown)) {
    ++taken;
    bytes += kRwChunkHeaderSize;
    left -= kRwChunkHeaderSize;
  }
  if (taken != 0) {
    LendBytes(stream, static_cast<RwUInt32>(taken) * kRwChunkHeaderSize);
  }
  return taken;
}

// Runs the always-callbacks after an object's extension chunk was read.
RwBool RunAlwaysCallBacks(const RwPluginRegistry* registry, void* object) {
  for (const RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    if (entry->alwaysCB != nullptr && !entry->alwaysCB(object, entry->offset, entry->size)) {
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

const RwUInt8* _rwStreamLendBytes(RwStream* stream, RwUInt32 length) { return LendBytes(stream, length); }

const RwUInt8* _rwStreamReadInPlace(RwStream* stream, void* buffer, RwUInt32 length) {
  if (const RwUInt8* bytes = LendBytes(stream, length)) {
    return bytes;
  }
  return RwStreamReadExact(stream, buffer, length) ? static_cast<const RwUInt8*>(buffer) : nullptr;
}

namespace {

// Bytes the plugin will write for the object, or 0 when it writes nothing.
RwInt32 EntryDataSize(const RwPluginRegEntry* entry, const void* object) {
  if (entry->getSizeCB == nullptr || entry->writeCB == nullptr) {
    return 0;
  }
  const RwInt32 size = entry->getSizeCB(object, entry->offset, entry->size);
  return size > 0 ? size : 0;
}

// Sum of sub-chunk sizes with headers, or -1 when it does not fit a chunk length.
RwInt32 DataChunksSize(const RwPluginRegistry* registry, const void* object) {
  RwInt32 total = 0;
  for (const RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    const RwInt32 size = EntryDataSize(entry, object);
    if (size == 0) {
      continue;
    }
    if (size > INT_MAX - static_cast<RwInt32>(kRwChunkHeaderSize) - total) {
      return -1;
    }
    total += size + static_cast<RwInt32>(kRwChunkHeaderSize);
  }
  return total;
}

// Reads the next sub-chunk header of an extension chunk with `remaining`
// bytes left and checks that its body fits in what is left.
RwBool ReadSubChunkHeader(RwStream* stream, RwUInt32* remaining, RwUInt32* type, RwUInt32* length) {
  if (*remaining < kRwChunkHeaderSize) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  if (!RwStreamReadChunkHeader(stream, type, length, nullptr, nullptr)) {
    return FALSE;
  }
  *remaining -= kRwChunkHeaderSize;
  // Plugin readers take the length as a signed word.
  if (*length > *remaining || *length > static_cast<RwUInt32>(INT_MAX)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  *remaining -= *length;
  return TRUE;
}

// Hands one sub-chunk body to its plugin's reader and leaves the stream at
// the body's end whatever the reader consumed.
RwBool ReadSubChunk(RwStream* stream, const RwPluginRegEntry* entry, RwUInt32 length, void* object) {
  if (entry == nullptr || entry->readCB == nullptr) {
    return length == 0 || RwStreamSkip(stream, length) != nullptr;
  }
  // A body the stream cannot hold is cut short: fail before the plugin
  // sizes anything by what the body claims.
  if (_rwStreamBytesAvailable(stream, length) < length) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  RwStream bounded;
  BoundedStream window;
  BoundedStreamInit(&bounded, &window, stream, length, kRwStreamRead);
  RwStream* const result = entry->readCB(&bounded, static_cast<RwInt32>(length), object, entry->offset, entry->size);
  if (window.overrun) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  if (result == nullptr) {
    return FALSE;
  }
  const RwUInt32 rest = window.limit - window.used;
  return rest == 0 || RwStreamSkip(stream, rest) != nullptr;
}

}  // namespace

RwInt32 RwPluginRegistryGetSize(const RwPluginRegistry* registry, const void* object) {
  const RwInt32 total = DataChunksSize(registry, object);
  return total > 0 ? total : 0;
}

const RwPluginRegistry* RwPluginRegistryWriteDataChunks(const RwPluginRegistry* registry, RwStream* stream,
                                                        const void* object) {
  const RwInt32 total = DataChunksSize(registry, object);
  if (total < 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
    return nullptr;
  }
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkExtension, static_cast<RwUInt32>(total), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr) {
    return nullptr;
  }
  for (const RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    const RwInt32 size = EntryDataSize(entry, object);
    if (size == 0) {
      continue;
    }
    if (RwStreamWriteVersionedChunkHeader(stream, entry->pluginID, static_cast<RwUInt32>(size), kRwLibraryVersion,
                                          kRwLibraryBuild) == nullptr) {
      return nullptr;
    }
    // The plugin must write exactly the size it announced, or the chunk
    // lengths already written would lie about the data.
    RwStream bounded;
    BoundedStream window;
    BoundedStreamInit(&bounded, &window, stream, static_cast<RwUInt32>(size), kRwStreamWrite);
    RwStream* const result = entry->writeCB(&bounded, size, object, entry->offset, entry->size);
    if (window.overrun || (result != nullptr && window.used != window.limit)) {
      RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
      return nullptr;
    }
    if (result == nullptr) {
      return nullptr;
    }
  }
  return registry;
}

const RwPluginRegistry* RwPluginRegistryReadDataChunks(const RwPluginRegistry* registry, RwStream* stream,
                                                       void* object) {
  RwUInt32 remaining = 0;
  if (TakeEmptyExtensions(stream, 1) == 0 && !RwStreamFindChunk(stream, kRwChunkExtension, &remaining, nullptr)) {
    return nullptr;
  }
  while (remaining != 0) {
    RwUInt32 type = 0;
    RwUInt32 length = 0;
    if (!ReadSubChunkHeader(stream, &remaining, &type, &length) ||
        !ReadSubChunk(stream, _rwPluginRegistryFindEntry(registry, type), length, object)) {
      return nullptr;
    }
  }
  return RunAlwaysCallBacks(registry, object) ? registry : nullptr;
}

RwInt32 _rwPluginRegistryTakeEmptyDataChunks(const RwPluginRegistry* registry, RwStream* stream, RwInt32 count) {
  for (const RwPluginRegEntry* entry = registry->firstRegEntry; entry != nullptr; entry = entry->nextRegEntry) {
    if (entry->alwaysCB != nullptr) {
      return 0;
    }
  }
  return TakeEmptyExtensions(stream, count);
}

const RwPluginRegistry* RwPluginRegistrySkipDataChunks(const RwPluginRegistry* registry, RwStream* stream) {
  RwUInt32 remaining = 0;
  if (!RwStreamFindChunk(stream, kRwChunkExtension, &remaining, nullptr)) {
    return nullptr;
  }
  while (remaining != 0) {
    RwUInt32 type = 0;
    RwUInt32 length = 0;
    if (!ReadSubChunkHeader(stream, &remaining, &type, &length) ||
        (length != 0 && RwStreamSkip(stream, length) == nullptr)) {
      return nullptr;
    }
  }
  return registry;
}
