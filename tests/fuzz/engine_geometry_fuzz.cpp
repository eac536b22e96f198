// Feeds arbitrary bytes to the geometry chunk reader: the struct with its
// arrays and morph targets, the material list with its materials, and the
// extension with the bin mesh; what reads is written back and destroyed.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/world_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  worldfuzz::ReadWriteDestroy(data, size, kRwChunkGeometry, RpGeometryStreamRead, RpGeometryStreamWrite,
                              RpGeometryDestroy);
  return 0;
}
