// Skin sub-chunk bodies for tests and seed corpora.
#include "tests/support/skin_bytes.h"

#include "tests/support/chunk_bytes.h"

namespace {

constexpr uint32_t kOrthonormal = 3;

// A translation as the stream holds it: 16 words, the flags word included.
void Translation(ChunkBytes* bytes, uint32_t bone) {
  const RwV3d offset = SkinBytesBoneOffset(bone);
  bytes->Real(1.0f).Real(0.0f).Real(0.0f).U32(kOrthonormal);
  bytes->Real(0.0f).Real(1.0f).Real(0.0f).U32(0);
  bytes->Real(0.0f).Real(0.0f).Real(1.0f).U32(0);
  bytes->Real(offset.x).Real(offset.y).Real(offset.z).U32(0);
}

void Vertices(ChunkBytes* bytes, const std::vector<uint32_t>& indices, const std::vector<float>& weights) {
  for (uint32_t word : indices) {
    bytes->U32(word);
  }
  for (float weight : weights) {
    bytes->Real(weight);
  }
}

}  // namespace

RwV3d SkinBytesBoneOffset(uint32_t bone) {
  const RwReal x = static_cast<RwReal>(bone);
  return {x, 2.0f * x, -x};
}

std::vector<uint8_t> OlderSkinBody(uint8_t numBones, const std::vector<uint32_t>& indices,
                                   const std::vector<float>& weights) {
  ChunkBytes body;
  body.Bytes({numBones, 99, 0, 0});  // the used-bone count is not read in this form
  Vertices(&body, indices, weights);
  for (uint32_t bone = 0; bone < numBones; bone++) {
    body.U32(0xDEADBEEF);
    Translation(&body, bone);
  }
  return body.bytes();
}

std::vector<uint8_t> OldestSkinBody(uint32_t numBones, const std::vector<uint32_t>& indices,
                                    const std::vector<float>& weights) {
  ChunkBytes body;
  body.U32(numBones).U32(0);
  Vertices(&body, indices, weights);
  for (uint32_t bone = 0; bone < numBones; bone++) {
    body.U32(1).U32(2).U32(3);
    Translation(&body, bone);
  }
  return body.bytes();
}

std::vector<uint8_t> NativeSkinBody(uint32_t platform, uint32_t numBones, uint32_t stamp) {
  ChunkBytes body;
  body.Header(kRwChunkStruct, 8, stamp).U32(platform).U32(numBones);
  return body.bytes();
}
