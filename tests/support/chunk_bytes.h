// Builds chunk streams byte by byte for tests: little-endian words, reals,
// chunk headers with any stamp, and memory streams over the result.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/engine.h"

class ChunkBytes {
 public:
  ChunkBytes& U16(uint16_t value);
  ChunkBytes& U32(uint32_t value);
  ChunkBytes& S32(int32_t value);
  ChunkBytes& Real(float value);
  ChunkBytes& Bytes(const std::vector<uint8_t>& bytes);
  // A header with the stamp as given.
  ChunkBytes& Header(uint32_t type, uint32_t length, uint32_t stamp);
  // A header as this engine writes it (version 0x34005, build 0xFFFF).
  ChunkBytes& Header(uint32_t type, uint32_t length);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  // Drops the last n bytes (for truncated streams).
  ChunkBytes& Truncate(size_t n);

  // A read stream over the bytes (which must outlive it).
  RwStream* OpenRead();

 private:
  std::vector<uint8_t> bytes_;
};

// The body of a clump chunk as older files have it: a struct of version
// 0x33000 with the atomic count alone (1), the frame list chunk as given, an
// empty geometry list, and one atomic on frame 0 with flags 4 that carries the
// geometry chunk given inline; no plugin data.
ChunkBytes OldClumpBody(const std::vector<uint8_t>& frameList, const std::vector<uint8_t>& geometry);

// Appends a sub-chunk {type, body} at the end of the chunk reached by path:
// the chunk of path[0] at the start of the bytes, then its first child of
// path[1], and so on. Every chunk on the path grows by the sub-chunk. False
// (bytes unchanged) when the path is not found.
bool AppendSubChunk(std::vector<uint8_t>* bytes, const std::vector<uint32_t>& path, uint32_t type,
                    const std::vector<uint8_t>& body);

// The stamp this engine writes.
constexpr uint32_t kTestStamp = 0x1005FFFF;

// A written chunk whose last child is its extension chunk, with one more
// sub-chunk of the plugin id and body at the extension's end; the lengths of
// the extension and the outer chunk grow to match.
std::vector<uint8_t> WithSubChunk(const std::vector<uint8_t>& written, uint32_t pluginId,
                                  const std::vector<uint8_t>& body);

// Runs write on a fresh memory stream and puts what it wrote into *bytes.
// Returns what write returned.
bool WriteToMemory(const std::function<bool(RwStream*)>& write, std::vector<uint8_t>* bytes);

// A read stream over the bytes (which must outlive it).
RwStream* OpenMemoryRead(const std::vector<uint8_t>& bytes);
