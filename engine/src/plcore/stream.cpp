// Streams over files (through the engine's file interface), growable memory
// blocks and caller callbacks; chunk headers and their library stamps; typed
// 32-bit readers and writers.
#include "engine/src/plcore/stream.h"

#include <climits>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/file_functions_internal.h"
#include "engine/src/plcore/stream_internal.h"

namespace {

static_assert(sizeof(RwStreamModule) <= kRwStreamModuleDataSize, "module data exceeds its engine plugin block");

constexpr RwUInt32 kStreamsPerBlock = 16;
constexpr RwUInt32 kStreamAlignment = 8;
constexpr RwUInt32 kMemoryGrowth = 512;         // bytes added to a written memory block at a time
constexpr RwUInt32 kStagingBytes = 256;         // typed words are converted through a buffer of this size
constexpr RwUInt32 kFileReadAhead = 64 * 1024;  // bytes a named read stream reads ahead at most
constexpr RwUInt32 kFileReadAheadLeast = 1024;  // and the least block it takes for a small file
constexpr RwUInt32 kFileViewLeast = 64 * 1024;  // files this long or longer are read through a view
constexpr RwUInt32 kNewStampThreshold = 0xFFFF;
constexpr RwInt32 kSeekStart = 0;
constexpr RwInt32 kSeekCurrent = 1;
constexpr RwInt32 kSeekEnd = 2;

// The module's data in the started engine; null while no engine is started.
RwStreamModule* gStreamModule = nullptr;

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(code)); }

const RwFileFunctions& Files() { return RwEngineInstance->fileFunctions; }

void ReleaseRecord(RwStream* stream) {
  if (stream->rwOwned && gStreamModule != nullptr) {
    RwFreeListEntryFree(gStreamModule->streamFreeList, stream);
  }
}

const char* FileMode(RwUInt32 access) {
  switch (access) {
    case kRwStreamRead:
      return "rb";
    case kRwStreamWrite:
      return "wb";
    case kRwStreamAppend:
      return "ab";
    default:
      return nullptr;
  }
}

// The file's length and the handle's position, learnt once: the handle is
// left where it was. Nothing is known when the file interface cannot tell.
void LearnFileLength(RwStreamFile* file) {
  const RwInt32 position = Files().rwftell(file->fpFile);
  if (position < 0 || Files().rwfseek(file->fpFile, 0, kSeekEnd) != 0) {
    return;
  }
  const RwInt32 end = Files().rwftell(file->fpFile);
  if (Files().rwfseek(file->fpFile, position, kSeekStart) != 0 || end < position) {
    return;
  }
  file->position = static_cast<RwUInt32>(position);
  file->length = static_cast<RwUInt32>(end);
  file->lengthKnown = TRUE;
}

// Whether the read-ahead block was filled with all the file held at the
// open: it is then not filled again (bytes lent from it stay until the
// stream closes), and reads past it go to the handle.
bool HoldsWholeFile(const RwStreamFile* file) { return file->bufferSize >= file->length && file->bufferEnd != 0; }

// Reads what the read-ahead block holds, then refills it, or reads a
// request as long as the block (or past a block that holds the whole file)
// straight into its buffer.
RwUInt32 ReadAhead(RwStreamFile* file, RwUInt8* out, RwUInt32 length) {
  RwUInt32 done = file->bufferEnd - file->bufferNext < length ? file->bufferEnd - file->bufferNext : length;
  std::memcpy(out, file->buffer + file->bufferNext, done);
  file->bufferNext += done;
  const RwUInt32 rest = length - done;
  if (rest >= file->bufferSize || HoldsWholeFile(file)) {
    done += static_cast<RwUInt32>(Files().rwfread(out + done, 1, rest, file->fpFile));
  } else if (rest > 0) {
    // No further than the end the file had when opened (unless the request
    // itself goes further), so the read ends there without asking again.
    const RwUInt32 at = file->position + done;
    const RwUInt32 left = file->length > at ? file->length - at : 0;
    const RwUInt32 ahead = left < rest ? rest : left < file->bufferSize ? left : file->bufferSize;
    file->bufferEnd = static_cast<RwUInt32>(Files().rwfread(file->buffer, 1, ahead, file->fpFile));
    file->bufferNext = file->bufferEnd < rest ? file->bufferEnd : rest;
    std::memcpy(out + done, file->buffer, file->bufferNext);
    done += file->bufferNext;
  }
  return done;
}

// Copies what the view holds, then reads the rest (bytes appended since the
// open) from the handle, which stands at the view's end.
RwUInt32 ReadView(RwStreamFile* file, RwUInt8* out, RwUInt32 length) {
  const RwUInt32 left = file->position < file->length ? file->length - file->position : 0;
  const RwUInt32 inView = length < left ? length : left;
  if (inView > 0) {
    std::memcpy(out, file->view + file->position, inView);
  }
  if (inView == length) {
    return length;
  }
  return inView + static_cast<RwUInt32>(Files().rwfread(out + inView, 1, length - inView, file->fpFile));
}

// Drops the view or read-ahead block: the stream reads from the handle alone.
void DropReadAhead(RwStreamFile* file) {
  _rwFileUnmapView(file->view, file->length);
  file->view = nullptr;
  EngineFree(file->buffer);
  file->buffer = nullptr;
  file->bufferNext = 0;
  file->bufferEnd = 0;
}

RwUInt32 ReadFile(RwStream* stream, void* buffer, RwUInt32 length) {
  RwStreamFile& file = stream->Type.file;
  RwUInt32 count;
  if (file.view != nullptr) {
    count = ReadView(&file, static_cast<RwUInt8*>(buffer), length);
  } else if (file.buffer != nullptr) {
    count = ReadAhead(&file, static_cast<RwUInt8*>(buffer), length);
  } else {
    count = static_cast<RwUInt32>(Files().rwfread(buffer, 1, length, file.fpFile));
  }
  file.position += count;
  if (count < length) {
    RaiseCore(Files().rwfeof(stream->Type.file.fpFile) ? kRwErrEndOfStream : kRwErrRead);
  }
  return count;
}

}  // namespace

const RwUInt8* _rwStreamFileLendBytes(RwStream* stream, RwUInt32 length) {
  if (stream->type != kRwStreamFileName) {
    return nullptr;
  }
  RwStreamFile& file = stream->Type.file;
  if (file.buffer == nullptr || file.bufferSize < file.length) {
    return nullptr;
  }
  if (file.bufferEnd == 0) {
    // Not yet filled: from where the stream stands to the end the file had
    // when opened, as a read would fill it.
    const RwUInt32 left = file.length > file.position ? file.length - file.position : 0;
    if (left < length || left == 0) {
      return nullptr;
    }
    file.bufferEnd = static_cast<RwUInt32>(Files().rwfread(file.buffer, 1, left, file.fpFile));
    file.bufferNext = 0;
  }
  if (file.bufferEnd - file.bufferNext < length) {
    return nullptr;
  }
  const RwUInt8* bytes = file.buffer + file.bufferNext;
  file.bufferNext += length;
  file.position += length;
  return bytes;
}

namespace {

RwUInt32 ReadMemory(RwStream* stream, void* buffer, RwUInt32 length) {
  RwStreamMemory& memory = stream->Type.memory;
  const RwUInt32 left = memory.position < memory.nSize ? memory.nSize - memory.position : 0;
  if (length > left) {
    length = left;
    RaiseCore(kRwErrEndOfStream);
  }
  if (length > 0) {
    std::memcpy(buffer, memory.memBlock + memory.position, length);
    memory.position += length;
  }
  return length;
}

RwStream* WriteMemory(RwStream* stream, const void* data, RwUInt32 length) {
  RwStreamMemory& memory = stream->Type.memory;
  if (stream->accessType == kRwStreamRead) {
    // The block is the caller's, perhaps not from the engine's allocator: never grow it.
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamAccess));
    return nullptr;
  }
  if (memory.memBlock == nullptr) {
    memory.memBlock = static_cast<RwUInt8*>(RwMalloc(kMemoryGrowth));
    if (memory.memBlock == nullptr) {
      RaiseCore(kRwErrOutOfMemory);
      return nullptr;
    }
    memory.nSize = kMemoryGrowth;
  }
  if (memory.nSize - memory.position < length) {
    const RwUInt32 growth = length >= kMemoryGrowth ? length : kMemoryGrowth;
    if (memory.nSize > UINT32_MAX - growth) {
      RaiseCore(kRwErrOutOfMemory);  // a memory stream holds at most 4 GB
      return nullptr;
    }
    const RwUInt32 capacity = memory.nSize + growth;
    RwUInt8* grown = static_cast<RwUInt8*>(RwRealloc(memory.memBlock, capacity));
    if (grown == nullptr) {
      RaiseCore(kRwErrOutOfMemory);
      return nullptr;
    }
    memory.memBlock = grown;
    memory.nSize = capacity;
  }
  if (length > 0) {
    std::memcpy(memory.memBlock + memory.position, data, length);
    memory.position += length;
  }
  return stream;
}

RwStream* SkipFile(RwStream* stream, RwUInt32 offset) {
  RwStreamFile& file = stream->Type.file;
  // What the view or read-ahead block holds is skipped there; the handle
  // stands at its end.
  const RwUInt32 viewLeft = file.view != nullptr && file.position < file.length ? file.length - file.position : 0;
  const RwUInt32 buffered = file.view != nullptr ? viewLeft : file.bufferEnd - file.bufferNext;
  const RwUInt32 inBlock = offset < buffered ? offset : buffered;
  if (file.view == nullptr) {
    file.bufferNext += inBlock;
  }
  file.position += inBlock;
  offset -= inBlock;
  // The seek entry takes a signed 32-bit offset.
  while (offset > 0) {
    const RwUInt32 step = offset > static_cast<RwUInt32>(INT32_MAX) ? static_cast<RwUInt32>(INT32_MAX) : offset;
    if (Files().rwfseek(stream->Type.file.fpFile, static_cast<RwInt32>(step), kSeekCurrent) != 0) {
      // Wherever the handle is now, the stream follows it from here on.
      DropReadAhead(&stream->Type.file);
      stream->Type.file.lengthKnown = FALSE;
      if (Files().rwfeof(stream->Type.file.fpFile)) {
        RaiseCore(kRwErrEndOfStream);
      }
      return nullptr;
    }
    // A seek may pass the end; the bytes left are 0 from there on.
    const RwUInt64 position = static_cast<RwUInt64>(stream->Type.file.position) + step;
    stream->Type.file.position = position < 0xFFFFFFFFu ? static_cast<RwUInt32>(position) : 0xFFFFFFFFu;
    offset -= step;
  }
  return stream;
}

RwStream* SkipMemory(RwStream* stream, RwUInt32 offset) {
  RwStreamMemory& memory = stream->Type.memory;
  const RwUInt32 left = memory.position < memory.nSize ? memory.nSize - memory.position : 0;
  if (offset > left) {
    memory.position = memory.nSize;
    RaiseCore(kRwErrEndOfStream);
    return nullptr;
  }
  memory.position += offset;
  return stream;
}

}  // namespace

void RwWriteLittleEndianUInt32(RwUInt8* bytes, RwUInt32 value) {
  bytes[0] = static_cast<RwUInt8>(value);
  bytes[1] = static_cast<RwUInt8>(value >> 8);
  bytes[2] = static_cast<RwUInt8>(value >> 16);
  bytes[3] = static_cast<RwUInt8>(value >> 24);
}

void RwWriteLittleEndianReal(RwUInt8* bytes, RwReal value) {
  RwUInt32 bits;
  std::memcpy(&bits, &value, sizeof(bits));
  RwWriteLittleEndianUInt32(bytes, bits);
}

RwBool _rwNarrowWords32(const RwUInt8* words, RwUInt16* out, RwUInt32 count, RwUInt32 limit) {
  if (limit == 0) {
    return count == 0;
  }
  RwUInt32 i = 0;
  RwUInt32 largest = 0;
#if defined(__SSE2__)
  // Eight at a time where the words lie in file order: each is compared
  // with the largest allowed with its top bit flipped (a signed compare
  // standing in for the unsigned one), and its low half, sign-extended,
  // packed without saturating.
  if (kRwNativeIsLittleEndian && limit < 0x8000u) {
    // A word below 0x7FFF packed with signed saturation is itself; any other
    // packs to 0x7FFF or to a negative half, as unsigned halves all above
    // limit - 1.
    const __m128i most = _mm_set1_epi16(static_cast<short>(limit - 1));
    __m128i above = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
      const __m128i packed =
          _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i + 16)));
      above = _mm_or_si128(above, _mm_subs_epu16(packed, most));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())) != 0xFFFF) {
      return FALSE;
    }
  } else if (kRwNativeIsLittleEndian) {
    const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i most = _mm_set1_epi32(static_cast<int>((limit - 1) ^ 0x80000000u));
    __m128i above = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i + 16));
      above = _mm_or_si128(above, _mm_cmpgt_epi32(_mm_xor_si128(low, flip), most));
      above = _mm_or_si128(above, _mm_cmpgt_epi32(_mm_xor_si128(high, flip), most));
      const __m128i packed = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(low, 16), 16),
                                             _mm_srai_epi32(_mm_slli_epi32(high, 16), 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
    if (_mm_movemask_epi8(above) != 0) {
      return FALSE;
    }
  }
#endif
  for (; i < count; ++i) {
    const RwUInt32 word = RwReadLittleEndianUInt32(words + 4 * i);
    largest = word > largest ? word : largest;
    out[i] = static_cast<RwUInt16>(word);
  }
  return largest < limit;
}

RwStream* RwStreamOpen(RwUInt32 type, RwUInt32 accessType, const void* data) {
  if (gStreamModule == nullptr) {
    return nullptr;  // no engine started
  }
  RwStream* stream = static_cast<RwStream*>(RwFreeListEntryAlloc(gStreamModule->streamFreeList));
  if (stream == nullptr) {
    RaiseCore(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(stream, 0, sizeof(*stream));
  stream->type = type;
  stream->accessType = accessType;
  stream->rwOwned = TRUE;
  switch (type) {
    case kRwStreamFile:
      stream->Type.file.fpFile = const_cast<void*>(data);
      if (data == nullptr || Files().rwftell(stream->Type.file.fpFile) == -1) {
        ReleaseRecord(stream);
        return nullptr;
      }
      return stream;
    case kRwStreamFileName: {
      const char* mode = FileMode(accessType);
      if (mode == nullptr) {
        RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamAccess));
        ReleaseRecord(stream);
        return nullptr;
      }
      RwStreamFile& file = stream->Type.file;
      if (data == nullptr) {
        file.fpFile = nullptr;
      } else if (accessType == kRwStreamRead) {
        file.fpFile = _rwFileOpenForReading(static_cast<const RwChar*>(data), &file.length, &file.lengthKnown);
      } else {
        file.fpFile = Files().rwfopen(static_cast<const RwChar*>(data), mode);
      }
      if (stream->Type.file.fpFile == nullptr) {
        RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrFileOpen, data));
        ReleaseRecord(stream);
        return nullptr;
      }
      if (accessType == kRwStreamRead) {
        if (!file.lengthKnown) {
          LearnFileLength(&file);
        }
        // Without a known length the bytes left are asked of the handle,
        // which must then stand where the stream does: no read-ahead.
        // A large file is read from a view of it, lent in place where a
        // reader can take it so; a smaller one through a block no larger
        // than the file, the C runtime's own dropped: the bytes are then
        // copied once on their way in.
        if (file.lengthKnown && file.length >= kFileViewLeast) {
          file.view = _rwFileMapView(file.fpFile, file.length);
          if (file.view != nullptr &&
              Files().rwfseek(file.fpFile, static_cast<RwInt32>(file.length), kSeekStart) != 0) {
            DropReadAhead(&file);
          }
        }
        if (file.lengthKnown && file.view == nullptr) {
          const RwUInt32 size = file.length < kFileReadAhead ? file.length : kFileReadAhead;
          file.bufferSize = size > kFileReadAheadLeast ? size : kFileReadAheadLeast;
          file.buffer = static_cast<RwUInt8*>(RwMalloc(file.bufferSize));
          if (file.buffer != nullptr) {
            _rwFileUnbuffered(file.fpFile);
          }
        }
      }
      return stream;
    }
    case kRwStreamMemory: {
      const RwMemory* memory = static_cast<const RwMemory*>(data);
      if (accessType == kRwStreamWrite) {
        return stream;  // position 0, no buffer yet
      }
      if ((accessType != kRwStreamRead && accessType != kRwStreamAppend) || memory == nullptr) {
        RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamAccess));
        ReleaseRecord(stream);
        return nullptr;
      }
      stream->Type.memory.memBlock = memory->start;
      stream->Type.memory.givenBlock = accessType == kRwStreamAppend ? memory->start : nullptr;
      stream->Type.memory.nSize = memory->length;
      stream->Type.memory.position = accessType == kRwStreamAppend ? memory->length : 0;
      return stream;
    }
    case kRwStreamCustom:
      if (data == nullptr) {
        RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
        ReleaseRecord(stream);
        return nullptr;
      }
      stream->Type.custom = *static_cast<const RwStreamCustom*>(data);
      return stream;
    default:
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
      ReleaseRecord(stream);
      return nullptr;
  }
}

RwBool RwStreamClose(RwStream* stream, RwMemory* memory) {
  RwBool result = TRUE;
  switch (stream->type) {
    case kRwStreamFile:
      break;  // the caller's handle stays open
    case kRwStreamFileName:
      result = Files().rwfclose(stream->Type.file.fpFile) <= 0 ? TRUE : FALSE;
      DropReadAhead(&stream->Type.file);
      break;
    case kRwStreamMemory:
      if (stream->accessType != kRwStreamRead) {
        if (memory != nullptr) {
          memory->start = stream->Type.memory.memBlock;
          memory->length = stream->Type.memory.position;
        } else if (stream->Type.memory.memBlock != stream->Type.memory.givenBlock) {
          // Nobody takes the block the stream allocated or moved: release it.
          // An append stream's growth already released the caller's block
          // when it moved; a block grown in place stays the caller's.
          EngineFree(stream->Type.memory.memBlock);
        }
      }
      break;
    case kRwStreamCustom:
      if (stream->Type.custom.sfnclose != nullptr) {
        stream->Type.custom.sfnclose(stream->Type.custom.data);
      }
      break;
    default:
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
      return FALSE;
  }
  ReleaseRecord(stream);
  return result;
}

RwUInt32 RwStreamRead(RwStream* stream, void* buffer, RwUInt32 length) {
  switch (stream->type) {
    case kRwStreamFile:
    case kRwStreamFileName:
      return ReadFile(stream, buffer, length);
    case kRwStreamMemory:
      return ReadMemory(stream, buffer, length);
    case kRwStreamCustom: {
      if (stream->Type.custom.sfnread == nullptr) {
        return 0;
      }
      const RwUInt32 count = stream->Type.custom.sfnread(stream->Type.custom.data, buffer, length);
      return count > length ? length : count;
    }
    default:
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
      return 0;
  }
}

RwStream* RwStreamWrite(RwStream* stream, const void* buffer, RwUInt32 length) {
  switch (stream->type) {
    case kRwStreamFile:
    case kRwStreamFileName:
      if (Files().rwfwrite(buffer, 1, length, stream->Type.file.fpFile) < length) {
        RaiseCore(kRwErrWrite);
        return nullptr;
      }
      return stream;
    case kRwStreamMemory:
      return WriteMemory(stream, buffer, length);
    case kRwStreamCustom:
      if (stream->Type.custom.sfnwrite == nullptr ||
          stream->Type.custom.sfnwrite(stream->Type.custom.data, buffer, length) <= 0) {
        return nullptr;
      }
      return stream;
    default:
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
      return nullptr;
  }
}

RwStream* RwStreamSkip(RwStream* stream, RwUInt32 offset) {
  if (offset == 0) {
    return stream;
  }
  switch (stream->type) {
    case kRwStreamFile:
    case kRwStreamFileName:
      return SkipFile(stream, offset);
    case kRwStreamMemory:
      return SkipMemory(stream, offset);
    case kRwStreamCustom:
      if (stream->Type.custom.sfnskip == nullptr ||
          stream->Type.custom.sfnskip(stream->Type.custom.data, offset) <= 0) {
        return nullptr;
      }
      return stream;
    default:
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrBadStreamType));
      return nullptr;
  }
}

RwBool _rwStreamFileBytesLeft(const RwStream* stream, RwUInt32* left) {
  if ((stream->type != kRwStreamFile && stream->type != kRwStreamFileName) || !stream->Type.file.lengthKnown) {
    return FALSE;
  }
  const RwStreamFile& file = stream->Type.file;
  *left = file.position < file.length ? file.length - file.position : 0;
  return TRUE;
}

RwBool RwStreamReadExact(RwStream* stream, void* buffer, RwUInt32 length) {
  if (RwStreamRead(stream, buffer, length) != length) {
    RaiseCore(kRwErrRead);
    return FALSE;
  }
  return TRUE;
}

RwUInt32 RwChunkStampEncode(RwUInt32 version, RwUInt32 build) {
  return (((version + 0x10000) >> 8) & 0x3FF) << 22 | (version & 0x3F) << 16 | (build & 0xFFFF);
}

void RwChunkStampDecode(RwUInt32 stamp, RwUInt32* version, RwUInt32* build) {
  RwUInt32 decodedVersion;
  RwUInt32 decodedBuild;
  if (stamp > kNewStampThreshold) {
    decodedVersion = 0x30000 + (((stamp >> 22) & 0x3FF) << 8) + ((stamp >> 16) & 0x3F);
    decodedBuild = stamp & 0xFFFF;
  } else {
    decodedVersion = stamp << 8;  // old-style stamp: the version alone
    decodedBuild = 0;
  }
  if (version != nullptr) {
    *version = decodedVersion;
  }
  if (build != nullptr) {
    *build = decodedBuild;
  }
}

RwBool RwChunkVersionSupported(RwUInt32 version) {
  return version >= kRwLibraryOldestVersion && version <= kRwLibraryVersion ? TRUE : FALSE;
}

RwBool RwStreamReadChunkHeader(RwStream* stream, RwUInt32* type, RwUInt32* length, RwUInt32* version, RwUInt32* build) {
  RwUInt8 buffer[kRwChunkHeaderSize];
  const RwUInt8* header = _rwStreamReadInPlace(stream, buffer, kRwChunkHeaderSize);
  if (header == nullptr) {
    return FALSE;
  }
  if (type != nullptr) {
    *type = RwReadLittleEndianUInt32(header);
  }
  if (length != nullptr) {
    *length = RwReadLittleEndianUInt32(header + 4);
  }
  RwChunkStampDecode(RwReadLittleEndianUInt32(header + 8), version, build);
  return TRUE;
}

RwStream* RwStreamWriteVersionedChunkHeader(RwStream* stream, RwUInt32 type, RwUInt32 length, RwUInt32 version,
                                            RwUInt32 build) {
  RwUInt8 header[kRwChunkHeaderSize];
  RwWriteLittleEndianUInt32(header, type);
  RwWriteLittleEndianUInt32(header + 4, length);
  RwWriteLittleEndianUInt32(header + 8, RwChunkStampEncode(version, build));
  return RwStreamWrite(stream, header, kRwChunkHeaderSize);
}

RwBool RwStreamFindChunk(RwStream* stream, RwUInt32 type, RwUInt32* length, RwUInt32* version) {
  RwUInt32 foundType;
  RwUInt32 foundLength;
  RwUInt32 foundVersion;
  // Readers mostly ask for the chunk that comes next: a memory stream's next
  // header, when it is that chunk, is taken where it lies. Anything else
  // goes the general way.
  RwStreamMemory& memory = stream->Type.memory;
  const bool next = stream->type == kRwStreamMemory && stream->accessType == kRwStreamRead &&
                    memory.position <= memory.nSize && memory.nSize - memory.position >= kRwChunkHeaderSize &&
                    RwReadLittleEndianUInt32(memory.memBlock + memory.position) == type;
  if (next) {
    const RwUInt8* header = memory.memBlock + memory.position;
    memory.position += kRwChunkHeaderSize;
    foundLength = RwReadLittleEndianUInt32(header + 4);
    RwChunkStampDecode(RwReadLittleEndianUInt32(header + 8), &foundVersion, nullptr);
  } else {
    if (!RwStreamReadChunkHeader(stream, &foundType, &foundLength, &foundVersion, nullptr)) {
      return FALSE;
    }
    while (foundType != type) {
      if (RwStreamSkip(stream, foundLength) == nullptr ||
          !RwStreamReadChunkHeader(stream, &foundType, &foundLength, &foundVersion, nullptr)) {
        return FALSE;
      }
    }
  }
  if (!RwChunkVersionSupported(foundVersion)) {
    RaiseCore(kRwErrBadChunkVersion);
    return FALSE;
  }
  if (length != nullptr) {
    *length = foundLength;
  }
  if (version != nullptr) {
    *version = foundVersion;
  }
  return TRUE;
}

void* RwMemLittleEndian32(void* memory, RwUInt32 bytes) {
  if (kRwNativeIsLittleEndian) {
    return memory;
  }
  RwUInt8* cursor = static_cast<RwUInt8*>(memory);
  for (RwUInt32 i = 0; i + 4 <= bytes; i += 4) {
    RwUInt32 native;
    std::memcpy(&native, cursor + i, sizeof(native));
    RwWriteLittleEndianUInt32(cursor + i, native);
  }
  return memory;
}

void* RwMemNative32(void* memory, RwUInt32 bytes) {
  if (kRwNativeIsLittleEndian) {
    return memory;
  }
  RwUInt8* cursor = static_cast<RwUInt8*>(memory);
  for (RwUInt32 i = 0; i + 4 <= bytes; i += 4) {
    const RwUInt32 native = RwReadLittleEndianUInt32(cursor + i);
    std::memcpy(cursor + i, &native, sizeof(native));
  }
  return memory;
}

void* _rwMemNative16(void* memory, RwUInt32 bytes) {
  if (kRwNativeIsLittleEndian) {
    return memory;
  }
  RwUInt8* cursor = static_cast<RwUInt8*>(memory);
  for (RwUInt32 i = 0; i + 2 <= bytes; i += 2) {
    const auto native = static_cast<RwUInt16>(RwReadLittleEndianUInt16(cursor + i));
    std::memcpy(cursor + i, &native, sizeof(native));
  }
  return memory;
}

namespace {

// Writes 32-bit words in file order through a staging buffer.
RwStream* WriteWords(RwStream* stream, const void* words, RwUInt32 bytes) {
  const RwUInt8* source = static_cast<const RwUInt8*>(words);
  RwUInt8 staging[kStagingBytes];
  while (bytes > 0) {
    const RwUInt32 chunk = bytes < kStagingBytes ? bytes : kStagingBytes;
    std::memcpy(staging, source, chunk);
    RwMemLittleEndian32(staging, chunk);
    if (RwStreamWrite(stream, staging, chunk) == nullptr) {
      return nullptr;
    }
    source += chunk;
    bytes -= chunk;
  }
  return stream;
}

// Reads 32-bit words in file order; anything short of the whole request fails.
RwStream* ReadWords(RwStream* stream, void* words, RwUInt32 bytes) {
  if (!RwStreamReadExact(stream, words, bytes)) {
    return nullptr;
  }
  RwMemNative32(words, bytes);
  return stream;
}

}  // namespace

RwStream* RwStreamWriteReal(RwStream* stream, const RwReal* reals, RwUInt32 bytes) {
  return WriteWords(stream, reals, bytes);
}

RwStream* RwStreamReadReal(RwStream* stream, RwReal* reals, RwUInt32 bytes) { return ReadWords(stream, reals, bytes); }

RwStream* RwStreamWriteInt32(RwStream* stream, const RwInt32* ints, RwUInt32 bytes) {
  return WriteWords(stream, ints, bytes);
}

RwStream* RwStreamReadInt32(RwStream* stream, RwInt32* ints, RwUInt32 bytes) { return ReadWords(stream, ints, bytes); }

void* _rwStreamModuleOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwStreamModule* module = RwPluginDataGet(RwStreamModule, instance, offset);
  module->streamFreeList = RwFreeListCreate(sizeof(RwStream), kStreamsPerBlock, kStreamAlignment);
  if (module->streamFreeList == nullptr) {
    return nullptr;
  }
  gStreamModule = module;
  return instance;
}

void* _rwStreamModuleClose(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwStreamModule* module = RwPluginDataGet(RwStreamModule, instance, offset);
  if (module->streamFreeList != nullptr) {
    RwFreeListDestroy(module->streamFreeList);
    module->streamFreeList = nullptr;
  }
  gStreamModule = nullptr;
  return instance;
}
