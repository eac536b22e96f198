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

std::vector<uint8_t> StructBody(const NativeTextureSpec& spec) {
  std::vector<uint8_t> body(88, 0);
  PutU32(body, 0, spec.platform);
  PutU32(body, 4, spec.filterAddressing);
  std::memcpy(body.data() + 8, spec.name.data(), std::min<size_t>(spec.name.size(), 32));
  std::memcpy(body.data() + 40, spec.mask.data(), std::min<size_t>(spec.mask.size(), 32));
  PutU32(body, 72, spec.format);
  PutU32(body, 76, spec.hasAlpha);
  body[80] = static_cast<uint8_t>(spec.width);
  body[81] = static_cast<uint8_t>(spec.width >> 8);
  body[82] = static_cast<uint8_t>(spec.height);
  body[83] = static_cast<uint8_t>(spec.height >> 8);
  body[84] = spec.depth;
  body[85] = spec.levels;
  body[86] = spec.type;
  body[87] = spec.compression;
  body.insert(body.end(), spec.palette.begin(), spec.palette.end());
  for (const std::vector<uint8_t>& level : spec.levelBytes) {
    const size_t at = body.size();
    body.resize(at + 4);
    PutU32(body, at, static_cast<uint32_t>(level.size()));
    body.insert(body.end(), level.begin(), level.end());
  }
  return body;
}

}  // namespace

ChunkBytes NativeTextureStruct(const NativeTextureSpec& spec) {
  const std::vector<uint8_t> body = StructBody(spec);
  ChunkBytes bytes;
  bytes.Header(1, static_cast<uint32_t>(static_cast<int32_t>(body.size()) + spec.structSlack), spec.stamp).Bytes(body);
  return bytes;
}

ChunkBytes NativeTextureChunk(const NativeTextureSpec& spec) {
  const ChunkBytes inner = NativeTextureStruct(spec);
  ChunkBytes bytes;
  bytes.Header(0x15, static_cast<uint32_t>(static_cast<int32_t>(inner.size()) + 12 + spec.chunkSlack))
      .Bytes(inner.bytes())
      .Header(3, 0);
  return bytes;
}

ChunkBytes TexDictionaryBody(const std::vector<NativeTextureSpec>& textures) {
  ChunkBytes bytes;
  bytes.Header(1, 4).U32(static_cast<uint32_t>(textures.size()));
  for (const NativeTextureSpec& spec : textures) {
    bytes.Bytes(NativeTextureChunk(spec).bytes());
  }
  bytes.Header(3, 0);
  return bytes;
}
