// Streams over files, memory and caller callbacks, and the chunk format they
// carry: a 12-byte little-endian header {type, body length, library stamp}
// followed by the body, which may hold further chunks.
#pragma once

#include <cstring>

#include "engine/src/plcore/base_types.h"

struct RwFreeList;

enum RwStreamType : RwUInt32 {
  kRwStreamFile = 1,      // an already open file handle of the file interface
  kRwStreamFileName = 2,  // a file opened (and closed) by the stream
  kRwStreamMemory = 3,
  kRwStreamCustom = 4,  // caller callbacks
};

enum RwStreamAccessType : RwUInt32 {
  kRwStreamRead = 1,
  kRwStreamWrite = 2,
  kRwStreamAppend = 3,
};

// Callbacks of a custom stream; each receives the stream's data pointer.
typedef void (*RwStreamCustomClose)(void* data);
// Bytes read.
typedef RwUInt32 (*RwStreamCustomRead)(void* data, void* buffer, RwUInt32 length);
// Positive on success.
typedef RwInt32 (*RwStreamCustomWrite)(void* data, const void* buffer, RwUInt32 length);
// Positive on success.
typedef RwInt32 (*RwStreamCustomSkip)(void* data, RwUInt32 offset);

// The five words handed to RwStreamOpen for a custom stream.
struct RwStreamCustom {
  RwStreamCustomClose sfnclose;
  RwStreamCustomRead sfnread;
  RwStreamCustomWrite sfnwrite;
  RwStreamCustomSkip sfnskip;
  void* data;
};

struct RwStreamMemory {
  RwUInt32 position;
  RwUInt32 nSize;  // length when reading, capacity when writing
  RwUInt8* memBlock;
  RwUInt8* givenBlock;  // the caller's block of an append stream, else null
};

struct RwStreamFile {
  void* fpFile;  // handle of the engine's file interface
  // A file the stream opened by name for reading learns its length when it
  // opens and counts its position from there, so that the bytes left are
  // known without moving the handle.
  RwUInt32 position;
  RwUInt32 length;
  RwBool lengthKnown;
  // Such a stream also reads ahead through a block of its own, so that small
  // reads cost no call of the file interface each: the bytes from
  // bufferNext to bufferEnd are the next ones. Null when it has none. The
  // block holds bufferSize bytes: no more than the file does, up to 64 KiB.
  // A block that holds the whole file is filled once only, and bytes are
  // lent from it.
  RwUInt32 bufferNext;
  RwUInt8* buffer;
  RwUInt32 bufferEnd;
  RwUInt32 bufferSize;
  // A large file is read from a view of its first length bytes instead
  // (then there is no block): the handle stands at the view's end, or at
  // the position once that is past it. Null when there is none.
  const RwUInt8* view;
};

union RwStreamUnion {
  RwStreamMemory memory;
  RwStreamFile file;
  RwStreamCustom custom;
};

struct RwStream {
  RwUInt32 type;        // RwStreamType
  RwUInt32 accessType;  // RwStreamAccessType
  RwStreamUnion Type;
  RwBool rwOwned;  // the record came from the stream free list
};

// A block of memory: given to RwStreamOpen for memory streams and handed back
// by RwStreamClose for written ones (the block then belongs to the caller,
// who frees it with the engine's free function).
struct RwMemory {
  RwUInt8* start;
  RwUInt32 length;
};

// Engine plugin data of the stream module.
struct RwStreamModule {
  RwFreeList* streamFreeList;
};

// Chunk format.
constexpr RwUInt32 kRwChunkHeaderSize = 12;
constexpr RwUInt32 kRwChunkStruct = 1;
constexpr RwUInt32 kRwChunkString = 2;
// What this engine writes, and the range of versions it reads.
constexpr RwUInt32 kRwLibraryVersion = 0x34005;
constexpr RwUInt32 kRwLibraryBuild = 0xFFFF;
constexpr RwUInt32 kRwLibraryOldestVersion = 0x31000;

RwStream* RwStreamOpen(RwUInt32 type, RwUInt32 accessType, const void* data);
// A written memory stream closed without a memory out frees the block it made
// or moved; an append stream's block that never moved stays the caller's.
RwBool RwStreamClose(RwStream* stream, RwMemory* memory);
RwUInt32 RwStreamRead(RwStream* stream, void* buffer, RwUInt32 length);
RwStream* RwStreamWrite(RwStream* stream, const void* buffer, RwUInt32 length);
RwStream* RwStreamSkip(RwStream* stream, RwUInt32 offset);

RwBool RwStreamReadChunkHeader(RwStream* stream, RwUInt32* type, RwUInt32* length, RwUInt32* version, RwUInt32* build);
RwStream* RwStreamWriteVersionedChunkHeader(RwStream* stream, RwUInt32 type, RwUInt32 length, RwUInt32 version,
                                            RwUInt32 build);
// Skips chunks until one of the type; leaves the stream at its body.
RwBool RwStreamFindChunk(RwStream* stream, RwUInt32 type, RwUInt32* length, RwUInt32* version);

// Library stamp of a chunk header, and its decoding.
RwUInt32 RwChunkStampEncode(RwUInt32 version, RwUInt32 build);
void RwChunkStampDecode(RwUInt32 stamp, RwUInt32* version, RwUInt32* build);
RwBool RwChunkVersionSupported(RwUInt32 version);

// 32-bit words in file order; bytes is the byte count (a multiple of 4). The
// readers fail with null on any short read.
RwStream* RwStreamWriteReal(RwStream* stream, const RwReal* reals, RwUInt32 bytes);
RwStream* RwStreamReadReal(RwStream* stream, RwReal* reals, RwUInt32 bytes);
RwStream* RwStreamWriteInt32(RwStream* stream, const RwInt32* ints, RwUInt32 bytes);
RwStream* RwStreamReadInt32(RwStream* stream, RwInt32* ints, RwUInt32 bytes);
// Converts 32-bit words between file (little-endian) and native order in place.
void* RwMemNative32(void* memory, RwUInt32 bytes);
void* RwMemLittleEndian32(void* memory, RwUInt32 bytes);
// Whether file order is native order: the conversions above then leave the
// words as they are.
constexpr bool kRwNativeIsLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

// Reads exactly length bytes; a short read records the read error and fails.
RwBool RwStreamReadExact(RwStream* stream, void* buffer, RwUInt32 length);

// Little-endian fields of a chunk body held in a byte buffer; inline, as
// readers take every field of every record through them.
inline RwUInt32 RwReadLittleEndianUInt16(const RwUInt8* bytes) {
  return static_cast<RwUInt32>(bytes[0]) | static_cast<RwUInt32>(bytes[1]) << 8;
}
inline void RwWriteLittleEndianUInt16(RwUInt8* bytes, RwUInt32 value) {
  bytes[0] = static_cast<RwUInt8>(value);
  bytes[1] = static_cast<RwUInt8>(value >> 8);
}
inline RwUInt32 RwReadLittleEndianUInt32(const RwUInt8* bytes) {
  return static_cast<RwUInt32>(bytes[0]) | static_cast<RwUInt32>(bytes[1]) << 8 |
         static_cast<RwUInt32>(bytes[2]) << 16 | static_cast<RwUInt32>(bytes[3]) << 24;
}
inline RwInt32 RwReadLittleEndianInt32(const RwUInt8* bytes) {
  const RwUInt32 bits = RwReadLittleEndianUInt32(bytes);
  RwInt32 value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}
inline RwReal RwReadLittleEndianReal(const RwUInt8* bytes) {
  const RwUInt32 bits = RwReadLittleEndianUInt32(bytes);
  RwReal value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}
void RwWriteLittleEndianUInt32(RwUInt8* bytes, RwUInt32 value);
void RwWriteLittleEndianReal(RwUInt8* bytes, RwReal value);
