// Shared set-up of the image reader fuzz targets: an engine started on the
// fake device, memory functions that refuse very large blocks (so huge
// image sizes fail instead of exhausting memory), and file functions that
// serve the fuzz input as every file.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/limited_memory.h"
#include "tests/fuzz/memory_file.h"

namespace imagefuzz {

using fuzzfile::MemoryFile;

inline MemoryFile& Input() {
  static MemoryFile file = {nullptr, 0, 0};
  return file;
}

inline RwBool FileExists(const RwChar*) { return TRUE; }
inline void* FileOpen(const RwChar*, const RwChar*) {
  Input().position = 0;
  return &Input();
}
inline RwInt32 FileClose(void*) { return 0; }

// Starts the engine once, with the reader registered for its extension.
inline bool Start(const RwChar* extension, RwImageCallBackRead reader) {
  static bool started = false;
  if (started) {
    return true;
  }
  if (!fakedevice::Init(fuzzmemory::Functions(), 0) || !fakedevice::OpenAndStart()) {
    std::abort();
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  files->rwfexist = FileExists;
  files->rwfopen = FileOpen;
  files->rwfclose = FileClose;
  fuzzfile::InstallReaders(files);
  RwImageRegisterImageFormat(extension, reader, nullptr);
  started = true;
  return true;
}

// Reads the input through the format registry and releases what came back.
inline void ReadInput(const uint8_t* data, size_t size, const RwChar* name) {
  Input() = {data, size, 0};
  RwImage* image = RwImageRead(name);
  if (image != nullptr) {
    RwImageDestroy(image);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
}

}  // namespace imagefuzz
