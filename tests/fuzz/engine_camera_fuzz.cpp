// Feeds arbitrary bytes to the camera chunk reader as the body of a camera
// chunk, on an engine started over a minimal display driver.
#include <cstddef>
#include <cstdint>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"

namespace {

bool StartEngine() { return fakedevice::Init(nullptr, 1u << 20) && fakedevice::OpenAndStart(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started) {
    return 0;
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  if (RwCamera* camera = RwCameraStreamRead(stream)) {
    RwCameraDestroy(camera);
  }
  RwStreamClose(stream, nullptr);
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
