// A started engine with the world module attached, counting memory functions
// and test plugins on materials and lights that count the live objects, so
// that tests can see leaks of free-list records too.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/counting_memory.h"
#include "tests/support/started_engine.h"

namespace world_test {

struct LiveCounts {
  int materials = 0;
  int lights = 0;
};

inline LiveCounts& Live() {
  static LiveCounts counts;
  return counts;
}

inline void* MaterialBorn(void* object, RwInt32, RwInt32) {
  Live().materials++;
  return object;
}
inline void* MaterialGone(void* object, RwInt32, RwInt32) {
  Live().materials--;
  return object;
}
inline void* LightBorn(void* object, RwInt32, RwInt32) {
  Live().lights++;
  return object;
}
inline void* LightGone(void* object, RwInt32, RwInt32) {
  Live().lights--;
  return object;
}

constexpr RwUInt32 kCounterPluginId = 0xFF01;

class WorldTest : public StartedEngineTest {
 protected:
  static bool AttachPlugins() {
    Live() = LiveCounts();
    return RpWorldPluginAttach() &&
           RpMaterialRegisterPlugin(0, kCounterPluginId, MaterialBorn, MaterialGone, nullptr) >= 0 &&
           RpLightRegisterPlugin(0, kCounterPluginId, LightBorn, LightGone, nullptr) >= 0;
  }

  void SetUp() override {
    CountingMemoryReset();
    StartEngine(AttachPlugins, CountingMemoryFunctions());
    startBlocks_ = LiveBlocks();
  }

  // Blocks of the engine's memory functions not yet freed.
  static int LiveBlocks() { return CountingMemoryState().mallocs - CountingMemoryState().frees; }
  // Blocks allocated since the engine started and not yet freed.
  int NewBlocks() const { return LiveBlocks() - startBlocks_; }

  static RpMaterial* Material(RwUInt8 alpha = 255) {
    RpMaterial* material = RpMaterialCreate();
    const RwRGBA color = {200, 100, 50, alpha};
    RpMaterialSetColor(material, &color);
    return material;
  }

  // What write put on a memory stream.
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

  // Runs read on a stream over the bytes, which start with a chunk's body.
  template <typename T>
  static T* ReadBody(const ChunkBytes& bytes, T* (*read)(RwStream*)) {
    RwStream* stream = OpenMemoryRead(bytes.bytes());
    T* object = read(stream);
    RwStreamClose(stream, nullptr);
    return object;
  }

 private:
  int startBlocks_ = 0;
};

}  // namespace world_test
