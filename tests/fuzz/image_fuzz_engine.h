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

namespace imagefuzz {

constexpr size_t kMaximumBlock = 64u << 20;

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  size_t position;
};

inline MemoryFile& Input() {
  static MemoryFile file = {nullptr, 0, 0};
  return file;
}

inline void* LimitedMalloc(size_t size) { return size > kMaximumBlock ? nullptr : std::malloc(size); }
inline void* LimitedRealloc(void* block, size_t size) {
  return size > kMaximumBlock ? nullptr : std::realloc(block, size);
}
inline void* LimitedCalloc(size_t count, size_t size) {
  return (size != 0 && count > kMaximumBlock / size) ? nullptr : std::calloc(count, size);
}

inline RwBool FileExists(const RwChar*) { return TRUE; }
inline void* FileOpen(const RwChar*, const RwChar*) {
  Input().position = 0;
  return &Input();
}
inline RwInt32 FileClose(void*) { return 0; }
inline size_t FileRead(void* buffer, size_t size, size_t count, void* handle) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  if (size == 0 || file->position >= file->size) {
    return 0;
  }
  const size_t items = (file->size - file->position) / size < count ? (file->size - file->position) / size : count;
  if (items != 0) {
    std::memcpy(buffer, file->data + file->position, items * size);
  }
  file->position += items * size;
  return items;
}
inline RwInt32 FileEof(void* handle) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  return file->position >= file->size;
}
inline RwInt32 FileSeek(void* handle, RwInt32 offset, RwInt32 origin) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  int64_t base = origin == 0 ? 0 : (origin == 1 ? static_cast<int64_t>(file->position) : file->size);
  const int64_t target = base + offset;
  if (target < 0) {
    return -1;
  }
  file->position = static_cast<size_t>(target);  // like fseek, past the end is allowed
  return 0;
}
inline RwInt32 FileTell(void* handle) { return static_cast<RwInt32>(static_cast<MemoryFile*>(handle)->position); }

// Starts the engine once, with the reader registered for its extension.
inline bool Start(const RwChar* extension, RwImageCallBackRead reader) {
  static bool started = false;
  if (started) {
    return true;
  }
  static const RwMemoryFunctions memory = {LimitedMalloc, std::free, LimitedRealloc, LimitedCalloc};
  if (!fakedevice::Init(&memory, 0) || !fakedevice::OpenAndStart()) {
    std::abort();
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  files->rwfexist = FileExists;
  files->rwfopen = FileOpen;
  files->rwfclose = FileClose;
  files->rwfread = FileRead;
  files->rwfeof = FileEof;
  files->rwfseek = FileSeek;
  files->rwftell = FileTell;
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
