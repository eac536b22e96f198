// Fuzzes the PNG reader with arbitrary file contents.
#include <cstddef>
#include <cstdint>

#include "engine/tool/png/rtpng.h"
#include "tests/fuzz/image_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imagefuzz::Start({{"png", RtPNGImageRead}});
  imagefuzz::ReadInput(data, size, "fuzz.png");
  return 0;
}
