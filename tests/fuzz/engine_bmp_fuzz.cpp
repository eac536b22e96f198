// Fuzzes the bitmap reader with arbitrary file contents.
#include <cstddef>
#include <cstdint>

#include "engine/tool/bmp/rtbmp.h"
#include "tests/fuzz/image_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imagefuzz::Start({{"bmp", RtBMPImageRead}});
  imagefuzz::ReadInput(data, size, "fuzz.bmp");
  return 0;
}
