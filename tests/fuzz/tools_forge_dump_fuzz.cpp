// Feeds arbitrary bytes to the forge's chunk tree listing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/forge/forge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ForgeDumpChunks(std::vector<RwUInt8>(data, data + size));
  return 0;
}
