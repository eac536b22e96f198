// Feeds arbitrary bytes to the clump chunk reader: the frame list, the
// geometry list with its geometries, atomics with indices into both lists or
// an inline geometry, lights and cameras by frame index, and the extensions;
// what reads is written back and destroyed.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/world_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  worldfuzz::ReadWriteDestroy(data, size, kRwChunkClump, RpClumpStreamRead, RpClumpStreamWrite, RpClumpDestroy);
  return 0;
}
