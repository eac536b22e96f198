// Named files held in memory behind the engine's file functions, so that a
// fuzz target serves a whole set of files (images along a search path, mip
// levels, masks) without touching the disk. Files are found by exact name,
// opened for reading only; every open gets its own position.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace memoryfiles {

struct File {
  std::string name;
  std::vector<uint8_t> data;
};

struct Handle {
  const File* file;
  size_t position;
  bool endOfFile;
};

// The files served; a target replaces them for every input.
inline std::vector<File>& Files() {
  static std::vector<File> files;
  return files;
}

inline const File* Find(const RwChar* name) {
  for (const File& file : Files()) {
    if (name != nullptr && file.name == name) {
      return &file;
    }
  }
  return nullptr;
}

inline RwBool Exists(const RwChar* name) { return Find(name) != nullptr; }

inline void* Open(const RwChar* name, const RwChar* mode) {
  const File* file = Find(name);
  if (file == nullptr || mode == nullptr || mode[0] != 'r' || std::strchr(mode, '+') != nullptr) {
    return nullptr;
  }
  return new Handle{file, 0, false};
}

inline RwInt32 Close(void* handle) {
  delete static_cast<Handle*>(handle);
  return 0;
}

inline size_t Read(void* buffer, size_t size, size_t count, void* opened) {
  Handle* handle = static_cast<Handle*>(opened);
  const std::vector<uint8_t>& data = handle->file->data;
  if (size == 0) {
    return 0;
  }
  const size_t left = handle->position < data.size() ? data.size() - handle->position : 0;
  size_t items = left / size;
  if (items < count) {
    handle->endOfFile = true;
  } else {
    items = count;
  }
  if (items != 0) {  // an empty file has no data pointer at all
    std::memcpy(buffer, data.data() + handle->position, items * size);
  }
  handle->position += items * size;
  return items;
}

inline size_t Write(const void*, size_t, size_t, void*) { return 0; }

inline RwChar* Gets(RwChar* buffer, RwInt32 maximum, void* opened) {
  Handle* handle = static_cast<Handle*>(opened);
  const std::vector<uint8_t>& data = handle->file->data;
  if (maximum <= 0 || handle->position >= data.size()) {
    handle->endOfFile = true;
    return nullptr;
  }
  RwInt32 length = 0;
  while (length < maximum - 1 && handle->position < data.size()) {
    const char c = static_cast<char>(data[handle->position++]);
    buffer[length++] = c;
    if (c == '\n') {
      break;
    }
  }
  buffer[length] = '\0';
  return buffer;
}

inline RwInt32 Puts(const RwChar*, void*) { return -1; }

inline RwInt32 Eof(void* opened) { return static_cast<Handle*>(opened)->endOfFile ? 1 : 0; }

// Like fseek: a position past the end is allowed, one before the start is not.
inline RwInt32 Seek(void* opened, RwInt32 offset, RwInt32 origin) {
  Handle* handle = static_cast<Handle*>(opened);
  int64_t base = 0;
  if (origin == 1) {
    base = static_cast<int64_t>(handle->position);
  } else if (origin == 2) {
    base = static_cast<int64_t>(handle->file->data.size());
  } else if (origin != 0) {
    return -1;
  }
  const int64_t target = base + offset;
  if (target < 0) {
    return -1;
  }
  handle->position = static_cast<size_t>(target);
  handle->endOfFile = false;
  return 0;
}

inline RwInt32 Flush(void*) { return 0; }

inline RwInt32 Tell(void* opened) {
  const size_t position = static_cast<Handle*>(opened)->position;
  return position > INT32_MAX ? -1 : static_cast<RwInt32>(position);
}

inline RwFileFunctions Table() { return {Exists, Open, Close, Read, Write, Gets, Puts, Eof, Seek, Flush, Tell}; }

// Puts the functions into the engine's file interface.
inline void Install() { *RwEngineGetFileInterface() = Table(); }

// Serves data as the one file of that name.
inline void Serve(const char* name, const uint8_t* data, size_t size) {
  Files().assign(1, File{name, std::vector<uint8_t>(data, data + size)});
}

}  // namespace memoryfiles
