// Engine file streams opened on native paths.
#include "game/render/engine_file.h"

#include <cstdio>

#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"

RwStream* OpenEngineFile(const char* path, RwUInt32 accessType) {
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    return nullptr;
  }
  RwStream* stream = RwStreamOpen(kRwStreamFileName, accessType, native);
  EngineFree(native);
  return stream;
}

bool WriteEngineFile(const char* path, const RwMemory& memory) {
  RwStream* stream = OpenEngineFile(path, kRwStreamWrite);
  if (stream == nullptr) {
    return false;
  }
  const bool written = RwStreamWrite(stream, memory.start, memory.length) != nullptr;
  return RwStreamClose(stream, nullptr) != FALSE && written;
}

namespace {

// Why a file that opens cannot be read as a file of chunks whose first is of
// the type: it is empty, ends before the size its first chunk declares,
// starts with another chunk, or its contents are damaged inside.
void DescribeUnreadableChunkFile(RwStream* stream, RwUInt32 type, const char* what, char* reason, u32 size) {
  // The first chunk's header, then the bytes the file holds after it.
  RwUInt8 header[kRwChunkHeaderSize] = {};
  const RwUInt32 headerBytes = RwStreamRead(stream, header, kRwChunkHeaderSize);
  uint64_t total = headerBytes;
  RwUInt8 scratch[4096];
  for (RwUInt32 got = headerBytes; got > 0 && headerBytes == kRwChunkHeaderSize;) {
    got = RwStreamRead(stream, scratch, sizeof(scratch));
    total += got;
  }
  const RwUInt32 firstType = RwReadLittleEndianUInt32(header);
  const uint64_t declared = uint64_t(kRwChunkHeaderSize) + RwReadLittleEndianUInt32(header + 4);
  if (total == 0) {
    snprintf(reason, size, "it is empty");
  } else if (headerBytes < kRwChunkHeaderSize) {
    snprintf(reason, size, "it ends after %u bytes, too early for a %s", static_cast<u32>(total), what);
  } else if (firstType != type) {
    snprintf(reason, size, "it holds no %s: its first chunk is of type 0x%X, not 0x%X", what, firstType, type);
  } else if (declared > total) {
    snprintf(reason, size, "it ends early: %llu of the %llu bytes its %s declares",
             static_cast<unsigned long long>(total), static_cast<unsigned long long>(declared), what);
  } else {
    snprintf(reason, size, "the %s in it is damaged", what);
  }
}

}  // namespace

void FatalUnreadableChunkFile(const char* path, RwUInt32 type, const char* what) {
  RwStream* stream = OpenEngineFile(path, kRwStreamRead);
  if (stream == nullptr) {
    FatalError("Missing file: %s\n", path);
  }
  char reason[256];
  DescribeUnreadableChunkFile(stream, type, what, reason, sizeof(reason));
  RwStreamClose(stream, nullptr);
  FatalError("Damaged file: %s (%s)", path, reason);
}
