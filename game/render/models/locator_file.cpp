// cLocatorFile: sequential reading of a locator file through an engine stream
// (so a mounted pack file serves it).
#include "game/render/models/locator_file.h"

#include <cstdint>

#include "game/foundation/fatal_error.h"
#include "game/render/engine_file.h"

namespace {

// Texts are stored padded to a multiple of 4 bytes with at least one byte
// after the text for its terminator: n bytes of text occupy (n + 4) & ~3.
uint64_t StoredTextSize(u32 length) { return (static_cast<uint64_t>(length) + 4) & ~static_cast<uint64_t>(3); }

// Reads and drops count bytes; false when the stream ends first.
bool Discard(RwStream* stream, uint64_t count) {
  u8 scratch[256];
  while (count > 0) {
    const u32 step = count < sizeof(scratch) ? static_cast<u32>(count) : static_cast<u32>(sizeof(scratch));
    if (RwStreamRead(stream, scratch, step) != step) {
      return false;
    }
    count -= step;
  }
  return true;
}

bool ReadU32(RwStream* stream, u32* value) {
  u8 bytes[4];
  if (RwStreamRead(stream, bytes, sizeof(bytes)) != sizeof(bytes)) {
    return false;
  }
  *value = RwReadLittleEndianUInt32(bytes);
  return true;
}

}  // namespace

bool cLocatorFile::Open(const char* path) {
  Close();
  mHeaderValue = 0;
  mStream = OpenEngineFile(path, kRwStreamRead);
  if (mStream == nullptr) {
    return false;
  }
  char text[kLocatorHeaderTextSize];
  ReadHeader(text);
  return true;
}

bool cLocatorFile::ReadHeader(char* text) {
  if (mStream == nullptr || !RwStreamFindChunk(mStream, kLocatorHeaderChunk, nullptr, nullptr)) {
    return false;
  }
  // The chunk's length is not used: entries follow the 36 bytes directly.
  u32 value = 0;
  if (!ReadU32(mStream, &value)) {
    return false;
  }
  mHeaderValue = value;
  char scratch[kLocatorHeaderTextSize];
  char* into = text != nullptr ? text : scratch;
  return RwStreamRead(mStream, into, kLocatorHeaderTextSize) == kLocatorHeaderTextSize;
}

bool cLocatorFile::ReadEntry(char* name, u32 nameSize, char* data, u32 dataSize, RwMatrix* matrix) {
  if (mStream == nullptr || !RwStreamFindChunk(mStream, kRwChunkMatrix, nullptr, nullptr)) {
    return false;
  }
  RwMatrix scratch;
  if (RwMatrixStreamRead(mStream, matrix != nullptr ? matrix : &scratch) == nullptr) {
    DebugTrace("cLocatorFile::ReadEntry : bad matrix, the entries end\n");
    return EndEntries();
  }
  if (!ReadText(name, name != nullptr ? nameSize : 0, "name")) {
    return false;
  }
  return data != nullptr ? ReadText(data, dataSize, "data") : SkipText();
}

bool cLocatorFile::ReadText(char* buffer, u32 bufferSize, const char* what) {
  u32 length = 0;
  if (!ReadU32(mStream, &length)) {
    DebugTrace("cLocatorFile::ReadEntry : the file ends before the %s, the entries end\n", what);
    return EndEntries();
  }
  if (length >= bufferSize) {
    DebugTrace("cLocatorFile::ReadEntry : %s of %u bytes does not fit in %u, the entries end\n", what, length,
               bufferSize);
    return EndEntries();
  }
  if (RwStreamRead(mStream, buffer, length) != length || !Discard(mStream, StoredTextSize(length) - length)) {
    DebugTrace("cLocatorFile::ReadEntry : %s of %u bytes runs past the end of the file, the entries end\n", what,
               length);
    return EndEntries();
  }
  buffer[length] = '\0';
  return true;
}

bool cLocatorFile::SkipText() {
  u32 length = 0;
  if (!ReadU32(mStream, &length) || !Discard(mStream, StoredTextSize(length))) {
    DebugTrace("cLocatorFile::ReadEntry : data runs past the end of the file, the entries end\n");
    return EndEntries();
  }
  return true;
}

bool cLocatorFile::EndEntries() {
  Close();
  return false;
}

void cLocatorFile::Close() {
  if (mStream != nullptr) {
    RwStreamClose(mStream, nullptr);
    mStream = nullptr;
  }
}
