// A started engine for the plugin tests: the world module and the test's
// plugins attached, counting memory functions to catch leaks, and helpers
// that write objects to memory and splice sub-chunks into what was written.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/counting_memory.h"
#include "tests/support/started_engine.h"

namespace plugin_test {

class PluginTest : public StartedEngineTest {
 protected:
  // Starts the engine with attach run after the world module's attach.
  void StartWith(bool (*attach)()) {
    CountingMemoryReset();
    StartEngine(attach, CountingMemoryFunctions());
    startBlocks_ = CountingMemoryLiveBlocks();
  }

  // Blocks allocated since the engine started and not yet freed.
  int NewBlocks() const { return CountingMemoryLiveBlocks() - startBlocks_; }

  static std::vector<uint8_t> Written(const std::function<bool(RwStream*)>& write) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteToMemory(write, &bytes));
    return bytes;
  }

  // Runs read on a stream over the bytes after finding the chunk of the type.
  template <typename T>
  static T* ReadChunk(const std::vector<uint8_t>& bytes, RwUInt32 type, T* (*read)(RwStream*)) {
    RwStream* stream = OpenMemoryRead(bytes);
    T* object = RwStreamFindChunk(stream, type, nullptr, nullptr) ? read(stream) : nullptr;
    RwStreamClose(stream, nullptr);
    return object;
  }

 private:
  int startBlocks_ = 0;
};

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
