// Feeds arbitrary bytes to the world chunk reader: the struct's counts that
// size the one block, the material list, nested plane and atomic sectors
// with their arrays and the extensions with the visibility and user-data
// sub-chunks of worlds and sectors. A world that reads is walked, each
// polygon checked against its sector's vertices, and destroyed. Blocks the
// input asks for are capped by the limited memory functions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/limited_memory.h"
#include "tests/fuzz/world_fuzz_engine.h"

namespace {

bool Start() {
  return fakedevice::Init(limitedmemory::Functions(), 1u << 20) && worldfuzz::AttachPlugins() &&
         fakedevice::OpenAndStart() && RwTextureSetReadCallBack(worldfuzz::NamedTexture);
}

RpWorldSector* CheckSector(RpWorldSector* sector, void*) {
  if (sector->polygons == nullptr) {
    return sector;  // a native world's sector
  }
  for (RwUInt16 p = 0; p < sector->numPolygons; ++p) {
    for (RwUInt16 index : sector->polygons[p].vertIndex) {
      if (index >= sector->numVertices) {
        std::abort();
      }
    }
  }
  return sector;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Start();
  if (!started) {
    std::abort();
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  RpWorld* world = RwStreamFindChunk(stream, kRwChunkWorld, nullptr, nullptr) ? RpWorldStreamRead(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  if (world != nullptr) {
    RpWorldForAllWorldSectors(world, CheckSector, nullptr);
    RpWorldDestroy(world);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
