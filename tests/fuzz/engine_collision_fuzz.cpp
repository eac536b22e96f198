// Feeds arbitrary bytes to the collision sub-chunk reader through geometry
// chunks with the collision plugin attached; a geometry that reads is written
// back, gets its data rebuilt from its own (unchecked) triangles, and is
// destroyed.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/world_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = worldfuzz::StartEngine(RpCollisionPluginAttach);
  if (!started) {
    std::abort();
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  RpGeometry* geometry =
      RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr) ? RpGeometryStreamRead(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  if (geometry != nullptr) {
    RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
    if (out != nullptr) {
      RpGeometryStreamWrite(geometry, out);
      RwStreamClose(out, nullptr);
    }
    RpCollisionGeometryBuildData(geometry);
    RpGeometryDestroy(geometry);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
