// Feeds arbitrary bytes to the light chunk reader; what reads is written back
// and destroyed.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/world_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  worldfuzz::ReadWriteDestroy(data, size, kRwChunkLight, RpLightStreamRead, RpLightStreamWrite, RpLightDestroy);
  return 0;
}
