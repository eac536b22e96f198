// Shared start of the engine for fuzz targets: a display device that grants
// every request and fills the standard-function table with functions that
// refuse, enough for the engine to open and start without a window.
#pragma once

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d_internal.h"
#include "engine/src/pipe/p2/pipeline_internal.h"

namespace fakedevice {

inline RwBool NotSupported(void*, void*, RwInt32) { return FALSE; }

inline RwBool GrantAll(RwInt32 request, void* out, void* in, RwInt32 inNumber);

inline RwDevice* Device() {
  static RwDevice device = {1.0f, GrantAll, 0.0f, 1.0f, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
  return &device;
}

inline RwBool GrantAll(RwInt32 request, void* out, void*, RwInt32 inNumber) {
  if (request == kRwDeviceGetRecord) {
    *static_cast<RwDevice*>(out) = *Device();
  } else if (request == kRwDeviceStandardFunctions) {
    RwStandardFunc* table = static_cast<RwStandardFunc*>(out);
    for (RwInt32 i = 0; i < inNumber; ++i) {
      table[i] = NotSupported;
    }
  }
  return TRUE;
}

// Installs the device as the engine's driver and initialises the engine;
// plugins may be registered between this and OpenAndStart.
inline bool Init(const RwMemoryFunctions* memory, RwUInt32 resourceArenaSize) {
  const RwDriverHooks hooks = {Device, nullptr};
  _rwEngineSetDriverHooks(&hooks);
  _rwPipelineModuleInstall();
  _rwIm3DModuleInstall();
  return RwEngineInit(memory, 0, resourceArenaSize);
}

// Opens the engine on a stand-in window handle and starts it.
inline bool OpenAndStart() {
  static int window = 0;
  RwEngineOpenParams params = {&window};
  return RwEngineOpen(&params) && RwEngineStart();
}

}  // namespace fakedevice
