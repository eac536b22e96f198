// Feeds arbitrary bytes to the camera chunk reader as the body of a camera
// chunk, on an engine started over a minimal display driver.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"

namespace {

RwBool Unsupported(void*, void*, RwInt32) { return FALSE; }

RwBool System(RwInt32 request, void* out, void*, RwInt32 inNumber);

RwDevice gDevice = {1.0f, System, 0.0f, 1.0f, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};

RwBool System(RwInt32 request, void* out, void*, RwInt32 inNumber) {
  if (request == kRwDeviceGetRecord) {
    std::memcpy(out, &gDevice, sizeof(gDevice));
  } else if (request == kRwDeviceStandardFunctions) {
    auto* slots = static_cast<RwStandardFunc*>(out);
    for (RwInt32 i = 0; i < inNumber; ++i) {
      slots[i] = Unsupported;
    }
  }
  return TRUE;
}

RwDevice* DeviceRecord() { return &gDevice; }

bool StartEngine() {
  static const RwDriverHooks hooks = {DeviceRecord, nullptr};
  _rwEngineSetDriverHooks(&hooks);
  static int window = 0;
  RwEngineOpenParams params = {&window};
  return RwEngineInit(nullptr, 0, 1u << 20) && RwEngineOpen(&params) && RwEngineStart();
}

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
