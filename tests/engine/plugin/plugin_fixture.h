// The world fixture for the plugin tests (counting memory, live-object
// counts, stream helpers) and a splicer of sub-chunks into written chunks.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/chunk_bytes.h"

namespace plugin_test {

// Tests start the engine with their plugins in SetUp: Start(attach).
using PluginTest = world_test::WorldTest;

// A written chunk whose last child is its extension chunk, with one more
// sub-chunk of the plugin id and body at the extension's end; the lengths of
// the extension and the outer chunk grow to match.
inline std::vector<uint8_t> WithSubChunk(const std::vector<uint8_t>& written, RwUInt32 pluginId,
                                         const std::vector<uint8_t>& body) {
  size_t extension = kRwChunkHeaderSize;
  for (size_t at = extension; at + kRwChunkHeaderSize <= written.size();) {
    extension = at;
    at += kRwChunkHeaderSize + RwReadLittleEndianUInt32(&written[at + 4]);
  }
  std::vector<uint8_t> bytes = written;
  const uint32_t added = kRwChunkHeaderSize + static_cast<uint32_t>(body.size());
  RwWriteLittleEndianUInt32(&bytes[4], RwReadLittleEndianUInt32(&bytes[4]) + added);
  RwWriteLittleEndianUInt32(&bytes[extension + 4], RwReadLittleEndianUInt32(&bytes[extension + 4]) + added);
  ChunkBytes subChunk;
  subChunk.Header(pluginId, static_cast<uint32_t>(body.size())).Bytes(body);
  bytes.insert(bytes.end(), subChunk.bytes().begin(), subChunk.bytes().end());
  return bytes;
}

}  // namespace plugin_test
