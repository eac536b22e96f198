// Files served from memory for fuzz targets: the read, end, seek, tell and
// line functions of the engine's file interface over a byte range.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/engine.h"

namespace fuzzfile {

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  size_t position;
};

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
// Like fgets: up to maximum - 1 bytes, ending after a newline; null at the end.
inline RwChar* FileGets(RwChar* buffer, RwInt32 maximum, void* handle) {
  MemoryFile* file = static_cast<MemoryFile*>(handle);
  if (maximum <= 0 || file->position >= file->size) {
    return nullptr;
  }
  RwInt32 length = 0;
  while (length < maximum - 1 && file->position < file->size) {
    const RwChar c = static_cast<RwChar>(file->data[file->position++]);
    buffer[length++] = c;
    if (c == '\n') {
      break;
    }
  }
  buffer[length] = '\0';
  return buffer;
}

// Points the engine's read functions at memory files.
inline void InstallReaders(RwFileFunctions* files) {
  files->rwfread = FileRead;
  files->rwfeof = FileEof;
  files->rwfseek = FileSeek;
  files->rwftell = FileTell;
  files->rwfgets = FileGets;
}

}  // namespace fuzzfile
