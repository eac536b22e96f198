// Shared start of the engine for the animation fuzz targets and their seed
// writers: the fake display device with the animation toolkit and
// hierarchical animation attached.
#pragma once

#include "tests/fuzz/fake_device_engine.h"

namespace fakedevice {

inline bool StartWithAnimation() {
  return Init(nullptr, 0) && RtAnimPluginAttach() && RpHAnimPluginAttach() && OpenAndStart();
}

}  // namespace fakedevice
