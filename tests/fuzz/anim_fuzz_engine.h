// Shared start of the engine for the animation fuzz targets and the
// animation benchmark: the fake display device with the animation toolkit
// and hierarchical animation attached.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/fuzz/fake_device_engine.h"

namespace fakedevice {

inline bool StartWithAnimation() {
  return Init(nullptr, 0) && RtAnimPluginAttach() && RpHAnimPluginAttach() && OpenAndStart();
}

// Stops, closes and terminates the engine.
inline void Shutdown() {
  RwEngineStop();
  RwEngineClose();
  RwEngineTerm();
}

// A read stream over a copy of the input, positioned at the body of the
// first chunk of the type; null when there is none. The copy must outlive
// the stream.
inline RwStream* OpenChunk(const uint8_t* data, size_t size, RwUInt32 type, std::vector<RwUInt8>* copy) {
  if (size > UINT32_MAX) {
    return nullptr;
  }
  copy->assign(data, data + size);
  RwMemory memory = {copy->data(), static_cast<RwUInt32>(copy->size())};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream != nullptr && !RwStreamFindChunk(stream, type, nullptr, nullptr)) {
    RwStreamClose(stream, nullptr);
    return nullptr;
  }
  return stream;
}

}  // namespace fakedevice
