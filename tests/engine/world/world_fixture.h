// A started engine with the world module attached, counting memory functions
// and test plugins on materials, lights, atomics, clumps, frames and cameras
// that count the live objects, so that tests can see leaks of free-list
// records too. Atomics, clumps and frames also carry a tag word that clones
// copy and streams carry.
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
  int atomics = 0;
  int clumps = 0;
  int frames = 0;
  int cameras = 0;
};

inline LiveCounts& Live() {
  static LiveCounts counts;
  return counts;
}

template <int LiveCounts::*count>
void* Born(void* object, RwInt32, RwInt32) {
  (Live().*count)++;
  return object;
}
template <int LiveCounts::*count>
void* Gone(void* object, RwInt32, RwInt32) {
  (Live().*count)--;
  return object;
}

constexpr RwUInt32 kCounterPluginId = 0xFF01;
constexpr RwUInt32 kTagPluginId = 0xFF02;

// A tag word on atomics, clumps and frames: 0 at creation, copied by clones,
// and carried in streams when set.
inline RwUInt32* TagAt(void* object, RwInt32 offset) { return RwPluginDataGet(RwUInt32, object, offset); }
inline void* TagClear(void* object, RwInt32 offset, RwInt32) {
  *TagAt(object, offset) = 0;
  return object;
}
inline void* TagCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  *TagAt(destination, offset) = *RwPluginDataGetConst(RwUInt32, source, offset);
  return destination;
}
inline RwStream* TagRead(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  return RwStreamReadInt32(stream, reinterpret_cast<RwInt32*>(TagAt(object, offset)), 4);
}
inline RwStream* TagWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  return RwStreamWriteInt32(stream, RwPluginDataGetConst(RwInt32, object, offset), 4);
}
inline RwInt32 TagSize(const void* object, RwInt32 offset, RwInt32) {
  return *RwPluginDataGetConst(RwUInt32, object, offset) != 0 ? 4 : 0;
}
inline RwUInt32& AtomicTag(RpAtomic* atomic) { return *TagAt(atomic, RpAtomicGetPluginOffset(kTagPluginId)); }
inline RwUInt32& ClumpTag(RpClump* clump) { return *TagAt(clump, RpClumpGetPluginOffset(kTagPluginId)); }
inline RwUInt32& FrameTag(RwFrame* frame) { return *TagAt(frame, RwFrameGetPluginOffset(kTagPluginId)); }

// Little-endian words in written chunk bytes.
inline uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}
inline void PutU32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

// The members a walk (of a clump's atomics, a world's sectors, ...) visits,
// in its order.
template <typename Member, typename Owner>
std::vector<Member*> Members(Owner* owner, Owner* (*walk)(Owner*, Member* (*)(Member*, void*), void*)) {
  std::vector<Member*> members;
  walk(
      owner,
      [](Member* member, void* data) {
        static_cast<std::vector<Member*>*>(data)->push_back(member);
        return member;
      },
      &members);
  return members;
}

class WorldTest : public StartedEngineTest {
 protected:
  static bool AttachPlugins() {
    Live() = LiveCounts();
    return RpWorldPluginAttach() &&
           RpMaterialRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::materials>, Gone<&LiveCounts::materials>,
                                    nullptr) >= 0 &&
           RpLightRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::lights>, Gone<&LiveCounts::lights>, nullptr) >=
               0 &&
           RpAtomicRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::atomics>, Gone<&LiveCounts::atomics>,
                                  nullptr) >= 0 &&
           RpClumpRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::clumps>, Gone<&LiveCounts::clumps>, nullptr) >=
               0 &&
           RwFrameRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::frames>, Gone<&LiveCounts::frames>, nullptr) >=
               0 &&
           RwCameraRegisterPlugin(0, kCounterPluginId, Born<&LiveCounts::cameras>, Gone<&LiveCounts::cameras>,
                                  nullptr) >= 0 &&
           RpAtomicRegisterPlugin(4, kTagPluginId, TagClear, nullptr, TagCopy) >= 0 &&
           RpAtomicRegisterPluginStream(kTagPluginId, TagRead, TagWrite, TagSize) >= 0 &&
           RpClumpRegisterPlugin(4, kTagPluginId, TagClear, nullptr, TagCopy) >= 0 &&
           RpClumpRegisterPluginStream(kTagPluginId, TagRead, TagWrite, TagSize) >= 0 &&
           RwFrameRegisterPlugin(4, kTagPluginId, TagClear, nullptr, TagCopy) >= 0 &&
           RwFrameRegisterPluginStream(kTagPluginId, TagRead, TagWrite, TagSize) >= 0 &&
           (ExtraAttach() == nullptr || ExtraAttach()());
  }

  // What a test adds to the fixture's attach, read while the engine starts.
  static bool (*&ExtraAttach())() {
    static bool (*extra)() = nullptr;
    return extra;
  }

  void SetUp() override { Start(nullptr); }

  // No atomic, clump, frame, light, camera or material is left.
  static void ExpectAllGone() {
    const LiveCounts& live = Live();
    EXPECT_EQ(live.atomics + live.clumps + live.frames + live.lights + live.cameras + live.materials, 0);
  }

  void TearDown() override {
    if (dictionary_ != nullptr) {
      RwTexDictionaryDestroy(dictionary_);
    }
    StartedEngineTest::TearDown();
  }

  // Starts the engine with the fixture's plugins and what extra attaches.
  void Start(bool (*extra)()) {
    CountingMemoryReset();
    ExtraAttach() = extra;
    StartEngine(AttachPlugins, CountingMemoryFunctions());
    ExtraAttach() = nullptr;
    startBlocks_ = LiveBlocks();
  }

  // A texture without raster, in the current dictionary, so that reading a
  // texture chunk of its name finds it.
  RwTexture* DictionaryTexture(const char* name) {
    if (dictionary_ == nullptr) {
      dictionary_ = RwTexDictionaryCreate();
      RwTexDictionarySetCurrent(dictionary_);
    }
    RwTexture* texture = RwTextureCreate(nullptr);
    RwTextureSetName(texture, name);
    RwTexDictionaryAddTexture(dictionary_, texture);
    return texture;
  }

  // Blocks of the engine's memory functions not yet freed.
  static int LiveBlocks() { return CountingMemoryLiveBlocks(); }
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
  RwTexDictionary* dictionary_ = nullptr;
};

}  // namespace world_test
