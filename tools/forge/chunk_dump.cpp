// The forge's chunk tree listing: every chunk of a file with its type, body
// length and version, the chunks that hold chunks opened and indented.
#include <cstdio>

#include "tools/forge/forge.h"

namespace {

constexpr size_t kHeaderSize = 12;
// Nesting the listing opens; deeper containers are listed closed.
constexpr int kMaxDepth = 64;

struct ChunkKind {
  RwUInt32 type;
  const char* name;
  bool container;  // its body is a sequence of chunks
};

constexpr ChunkKind kKinds[] = {
    {1, "struct", false},
    {2, "string", false},
    {3, "extension", true},
    {5, "camera", true},
    {6, "texture", true},
    {7, "material", true},
    {8, "material list", true},
    {9, "atomic sector", true},
    {0xA, "plane sector", true},
    {0xB, "world", true},
    {0xD, "matrix", true},
    {0xE, "frame list", true},
    {0xF, "geometry", true},
    {0x10, "clump", true},
    {0x12, "light", true},
    {0x13, "wide string", false},
    {0x14, "atomic", true},
    {0x15, "native texture", true},
    {0x16, "texture dictionary", true},
    {0x1A, "geometry list", true},
    {0x1B, "animation", false},
    {0x1F, "right to render", false},
    {0x112, "level of detail", false},
    {0x116, "skin", false},
    {0x11D, "collision", false},
    {0x11E, "hierarchical animation", false},
    {0x11F, "user data", false},
    {0x120, "material effects", false},
    {0x12A, "visibility", false},
    {0x50E, "bin mesh", false},
    {0x510, "native data", false},
};

const ChunkKind* KindOf(RwUInt32 type) {
  for (const ChunkKind& kind : kKinds) {
    if (kind.type == type) {
      return &kind;
    }
  }
  return nullptr;
}

RwUInt32 Word(const std::vector<RwUInt8>& bytes, size_t at) { return RwReadLittleEndianUInt32(bytes.data() + at); }

// Lists the chunks in bytes[begin, end); false when a header overruns it.
bool DumpRange(const std::vector<RwUInt8>& bytes, size_t begin, size_t end, int depth, std::string* out) {
  size_t at = begin;
  while (at < end) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    if (end - at < kHeaderSize) {
      *out += indent + "(" + std::to_string(end - at) + " bytes left over)\n";
      return false;
    }
    const RwUInt32 type = Word(bytes, at);
    const RwUInt32 length = Word(bytes, at + 4);
    RwUInt32 version = 0;
    RwChunkStampDecode(Word(bytes, at + 8), &version, nullptr);
    const ChunkKind* kind = KindOf(type);
    char line[160];
    std::snprintf(line, sizeof(line), "0x%X %s, %u bytes, version 0x%X\n", static_cast<unsigned>(type),
                  kind != nullptr ? kind->name : "(unknown)", static_cast<unsigned>(length),
                  static_cast<unsigned>(version));
    *out += indent + line;
    at += kHeaderSize;
    if (length > end - at) {
      *out += indent + "  (the body runs " + std::to_string(length - (end - at)) + " bytes past its parent)\n";
      return false;
    }
    if (kind != nullptr && kind->container && depth + 1 < kMaxDepth &&
        !DumpRange(bytes, at, at + length, depth + 1, out)) {
      return false;
    }
    at += length;
  }
  return true;
}

}  // namespace

std::string ForgeDumpChunks(const std::vector<RwUInt8>& bytes, bool* whole) {
  std::string out;
  const bool complete = DumpRange(bytes, 0, bytes.size(), 0, &out);
  if (whole != nullptr) {
    *whole = complete;
  }
  return out;
}

bool ForgeIsChunkFile(const std::vector<RwUInt8>& bytes) {
  // A file of chunks starts with a whole header of a known kind; text and
  // other files almost never do.
  return bytes.size() >= kHeaderSize && KindOf(Word(bytes, 0)) != nullptr;
}
