// Shared set-up of the image reader fuzz targets: an engine started on the
// fake device with memory functions that refuse very large blocks, and file
// functions that serve the fuzz input as the one file read.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/limited_memory.h"
#include "tests/fuzz/memory_files.h"

namespace imagefuzz {

// Starts the engine once, with in-memory files and the readers registered
// for their extensions.
inline bool Start(std::initializer_list<std::pair<const RwChar*, RwImageCallBackRead>> readers) {
  static bool started = false;
  if (started) {
    return true;
  }
  if (!fakedevice::Init(limitedmemory::Functions(), 0) || !fakedevice::OpenAndStart()) {
    std::abort();
  }
  memoryfiles::Install();
  for (const auto& reader : readers) {
    RwImageRegisterImageFormat(reader.first, reader.second, nullptr);
  }
  started = true;
  return true;
}

// Reads the input as the file name through the format registry and releases
// what came back.
inline void ReadInput(const uint8_t* data, size_t size, const RwChar* name) {
  memoryfiles::Files() = {{name, std::vector<uint8_t>(data, data + size)}};
  RwImage* image = RwImageRead(name);
  if (image != nullptr) {
    RwImageDestroy(image);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
}

}  // namespace imagefuzz
