// Chunk stream builder for tests.
#include "tests/support/chunk_bytes.h"

#include <cstring>

ChunkBytes& ChunkBytes::U16(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value));
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
  return *this;
}

ChunkBytes& ChunkBytes::U32(uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  return *this;
}

ChunkBytes& ChunkBytes::S32(int32_t value) { return U32(static_cast<uint32_t>(value)); }

ChunkBytes& ChunkBytes::Real(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return U32(bits);
}

ChunkBytes& ChunkBytes::Bytes(const std::vector<uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ChunkBytes& ChunkBytes::Header(uint32_t type, uint32_t length, uint32_t stamp) {
  return U32(type).U32(length).U32(stamp);
}

ChunkBytes& ChunkBytes::Header(uint32_t type, uint32_t length) { return Header(type, length, kTestStamp); }

ChunkBytes& ChunkBytes::Truncate(size_t n) {
  bytes_.resize(n < bytes_.size() ? bytes_.size() - n : 0);
  return *this;
}

RwStream* ChunkBytes::OpenRead() { return OpenMemoryRead(bytes_); }

ChunkBytes OldClumpBody(const std::vector<uint8_t>& frameList, const std::vector<uint8_t>& geometry) {
  constexpr uint32_t kOldVersion = 0x33000;
  constexpr uint32_t kAtomicBody = 40;  // struct and extension
  ChunkBytes body;
  body.Header(kRwChunkStruct, 4, RwChunkStampEncode(kOldVersion, 0)).U32(1).Bytes(frameList);
  body.Header(kRwChunkGeometryList, 16).Header(kRwChunkStruct, 4).U32(0);
  body.Header(kRwChunkAtomic, kAtomicBody + static_cast<uint32_t>(geometry.size()));
  body.Header(kRwChunkStruct, 16).U32(0).U32(0).U32(rpATOMICRENDER).U32(0).Bytes(geometry);
  return body.Header(kRwChunkExtension, 0).Header(kRwChunkExtension, 0);  // the atomic's, the clump's
}

namespace {

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) { return RwReadLittleEndianUInt32(&bytes[offset]); }

void PutWord(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

}  // namespace

bool AppendSubChunk(std::vector<uint8_t>* bytes, const std::vector<uint32_t>& path, uint32_t type,
                    const std::vector<uint8_t>& body) {
  std::vector<size_t> headers;
  size_t at = 0;
  size_t end = bytes->size();
  for (uint32_t wanted : path) {
    while (at + kRwChunkHeaderSize <= end && WordAt(*bytes, at) != wanted) {
      at += kRwChunkHeaderSize + WordAt(*bytes, at + 4);
    }
    if (at + kRwChunkHeaderSize > end) {
      return false;
    }
    headers.push_back(at);
    end = at + kRwChunkHeaderSize + WordAt(*bytes, at + 4);
    at += kRwChunkHeaderSize;
  }
  if (headers.empty() || end > bytes->size()) {
    return false;
  }
  ChunkBytes sub;
  sub.Header(type, static_cast<uint32_t>(body.size())).Bytes(body);
  bytes->insert(bytes->begin() + static_cast<std::ptrdiff_t>(end), sub.bytes().begin(), sub.bytes().end());
  for (size_t header : headers) {
    PutWord(bytes, header + 4, WordAt(*bytes, header + 4) + static_cast<uint32_t>(sub.size()));
  }
  return true;
}

std::vector<uint8_t> WithSubChunk(const std::vector<uint8_t>& written, uint32_t pluginId,
                                  const std::vector<uint8_t>& body) {
  std::vector<uint8_t> bytes = written;
  AppendSubChunk(&bytes, {RwReadLittleEndianUInt32(written.data()), kRwChunkExtension}, pluginId, body);
  return bytes;
}

bool WriteToMemory(const std::function<bool(RwStream*)>& write, std::vector<uint8_t>* bytes) {
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  const bool ok = write(stream);
  RwMemory memory = {nullptr, 0};
  RwStreamClose(stream, &memory);
  bytes->assign(memory.start, memory.start + memory.length);
  RwFree(memory.start);
  return ok;
}

RwStream* OpenMemoryRead(const std::vector<uint8_t>& bytes) {
  // The stream only reads through the pointer.
  RwMemory memory = {const_cast<uint8_t*>(bytes.data()), static_cast<RwUInt32>(bytes.size())};
  return RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
}
