// Feeds arbitrary bytes to the texture dictionary reader as a ".txd" file, on
// an engine started over the Direct3D 8 stand-in in a hidden window, so the
// driver's native texture reader (direct, compressed and converted roads)
// sees every input. Memory functions refuse very large blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/engine.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = d3d8fuzz::Start();
  if (!started) {
    std::abort();
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  if (RwStreamFindChunk(stream, kRwChunkTexDictionary, nullptr, nullptr)) {
    if (RwTexDictionary* dictionary = RwTexDictionaryStreamRead(stream)) {
      RwTexDictionaryDestroy(dictionary);
    }
  }
  RwStreamClose(stream, nullptr);
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
