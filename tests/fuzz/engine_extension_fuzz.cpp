// Reads extension chunks (plugin sub-chunks) from arbitrary bytes through
// plugins that read all, part of, more than, or a nested extension of their
// sub-chunk, then skips the same bytes as an extension.
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"

namespace {

struct Thing {
  RwInt32 own;
};

RwPluginRegistry sThingRegistry = RwPluginRegistryInitializer(sizeof(Thing));

// Reads the body in pieces, as a plugin must not trust the length for an allocation.
RwStream* ReadWhole(RwStream* stream, RwInt32 length, void*, RwInt32, RwInt32) {
  RwUInt8 piece[64];
  RwUInt32 left = static_cast<RwUInt32>(length);
  while (left > 0) {
    const RwUInt32 want = left < sizeof(piece) ? left : static_cast<RwUInt32>(sizeof(piece));
    if (RwStreamRead(stream, piece, want) != want) {
      return nullptr;
    }
    left -= want;
  }
  return stream;
}

RwStream* ReadWord(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  RwInt32 word = 0;
  if (RwStreamReadInt32(stream, &word, sizeof(word)) == nullptr) {
    return nullptr;
  }
  *RwPluginDataGet(RwInt32, object, offset) = word;
  return stream;
}

RwStream* ReadNested(RwStream* stream, RwInt32, void* object, RwInt32, RwInt32) {
  return RwPluginRegistryReadDataChunks(&sThingRegistry, stream, object) != nullptr ? stream : nullptr;
}

RwBool AlwaysOk(void*, RwInt32, RwInt32) { return TRUE; }

bool StartEngine() {
  if (!fakedevice::Init(nullptr, 0)) {
    return false;
  }
  RwPluginRegistryAddPlugin(&sThingRegistry, 4, 0x101, nullptr, nullptr, nullptr);
  RwPluginRegistryAddPlugin(&sThingRegistry, 4, 0x102, nullptr, nullptr, nullptr);
  RwPluginRegistryAddPlugin(&sThingRegistry, 4, 0x103, nullptr, nullptr, nullptr);
  RwPluginRegistryAddPlugin(&sThingRegistry, 0, 0x104, nullptr, nullptr, nullptr);
  RwPluginRegistryAddPluginStream(&sThingRegistry, 0x101, ReadWhole, nullptr, nullptr);
  RwPluginRegistryAddPluginStream(&sThingRegistry, 0x102, ReadWord, nullptr, nullptr);
  RwPluginRegistryAddPluginStream(&sThingRegistry, 0x103, ReadNested, nullptr, nullptr);
  RwPluginRegistryAddPluginStreamAlwaysCB(&sThingRegistry, 0x104, AlwaysOk);
  return fakedevice::OpenAndStart();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started || size > UINT32_MAX) {
    return 0;
  }
  std::vector<RwUInt8> copy(data, data + size);
  std::vector<RwUInt8> thing(static_cast<size_t>(sThingRegistry.sizeOfStruct), 0);
  RwMemory memory = {copy.data(), static_cast<RwUInt32>(copy.size())};

  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream != nullptr) {
    RwPluginRegistryReadDataChunks(&sThingRegistry, stream, thing.data());
    RwStreamClose(stream, nullptr);
  }
  stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream != nullptr) {
    RwPluginRegistrySkipDataChunks(&sThingRegistry, stream);
    RwStreamClose(stream, nullptr);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
