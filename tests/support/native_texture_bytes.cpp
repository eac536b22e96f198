// Native texture chunk builder; see native_texture_bytes.h.
#include "tests/support/native_texture_bytes.h"

#include <algorithm>
#include <cstring>

namespace {

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

std::vector<uint8_t> StructBody(const NativeTextureDescription& description) {
  std::vector<uint8_t> body(88, 0);
  PutU32(body, 0, description.platform);
  PutU32(body, 4, description.filterAddressing);
  std::memcpy(body.data() + 8, description.name.data(), std::min<size_t>(description.name.size(), 32));
  std::memcpy(body.data() + 40, description.mask.data(), std::min<size_t>(description.mask.size(), 32));
  PutU32(body, 72, description.format);
  PutU32(body, 76, description.hasAlpha);
  body[80] = static_cast<uint8_t>(description.width);
  body[81] = static_cast<uint8_t>(description.width >> 8);
  body[82] = static_cast<uint8_t>(description.height);
  body[83] = static_cast<uint8_t>(description.height >> 8);
  body[84] = description.depth;
  body[85] = description.levels;
  body[86] = description.type;
  body[87] = description.compression;
  body.insert(body.end(), description.palette.begin(), description.palette.end());
  for (const std::vector<uint8_t>& level : description.levelBytes) {
    const size_t at = body.size();
    body.resize(at + 4);
    PutU32(body, at, static_cast<uint32_t>(level.size()));
    body.insert(body.end(), level.begin(), level.end());
  }
  return body;
}

}  // namespace

ChunkBytes NativeTextureStruct(const NativeTextureDescription& description) {
  const std::vector<uint8_t> body = StructBody(description);
  ChunkBytes bytes;
  bytes.Header(1, static_cast<uint32_t>(static_cast<int32_t>(body.size()) + description.structSlack), description.stamp)
      .Bytes(body);
  return bytes;
}

ChunkBytes NativeTextureChunk(const NativeTextureDescription& description) {
  const ChunkBytes inner = NativeTextureStruct(description);
  ChunkBytes bytes;
  bytes.Header(0x15, static_cast<uint32_t>(static_cast<int32_t>(inner.size()) + 12 + description.chunkSlack))
      .Bytes(inner.bytes())
      .Header(3, 0);
  return bytes;
}

ChunkBytes TexDictionaryBody(const std::vector<NativeTextureDescription>& textures) {
  ChunkBytes bytes;
  bytes.Header(1, 4).U32(static_cast<uint32_t>(textures.size()));
  for (const NativeTextureDescription& description : textures) {
    bytes.Bytes(NativeTextureChunk(description).bytes());
  }
  bytes.Header(3, 0);
  return bytes;
}
