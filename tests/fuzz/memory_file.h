// An in-memory file-function table for fuzz targets: the input bytes are the
// one file of a given name, open at most once at a time; every other name
// fails to open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/engine.h"

namespace memoryfile {

struct State {
  const char* name;
  const uint8_t* data;
  size_t size;
  size_t position;
  int endOfFile;
  bool open;
};

inline State& Current() {
  static State state;
  return state;
}

// Serves data as the file name (the name must outlive the serving).
inline void Serve(const char* name, const uint8_t* data, size_t size) {
  Current() = State{name, data, size, 0, 0, false};
}

inline RwBool Exists(const char*) { return 0; }
inline void* Open(const char* name, const char*) {
  State& f = Current();
  if (f.open || f.name == nullptr || strcmp(name, f.name) != 0) {
    return nullptr;
  }
  f.open = true;
  f.position = 0;
  f.endOfFile = 0;
  return &f;
}
inline RwInt32 Close(void* handle) {
  static_cast<State*>(handle)->open = false;
  return 0;
}
inline size_t Read(void* buffer, size_t size, size_t count, void* handle) {
  State* f = static_cast<State*>(handle);
  if (size == 0) {
    return 0;
  }
  size_t items = (f->size - f->position) / size;
  if (items < count) {
    f->endOfFile = 1;
    count = items;
  }
  if (count != 0) {  // an empty input has no data pointer at all
    memcpy(buffer, f->data + f->position, count * size);
  }
  f->position += count * size;
  return count;
}
inline size_t Write(const void*, size_t, size_t, void*) { return 0; }
inline char* Gets(char*, RwInt32, void*) { return nullptr; }
inline RwInt32 Puts(const char*, void*) { return -1; }
inline RwInt32 Eof(void* handle) { return static_cast<State*>(handle)->endOfFile; }
inline RwInt32 Seek(void* handle, RwInt32 offset, RwInt32 origin) {
  State* f = static_cast<State*>(handle);
  int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(f->position) : static_cast<int64_t>(f->size);
  int64_t target = base + offset;
  if (origin < 0 || origin > 2 || target < 0 || target > static_cast<int64_t>(f->size)) {
    return -1;
  }
  f->position = static_cast<size_t>(target);
  f->endOfFile = 0;
  return 0;
}
inline RwInt32 Flush(void*) { return 0; }
inline RwInt32 Tell(void* handle) { return static_cast<RwInt32>(static_cast<State*>(handle)->position); }

inline RwFileFunctions Table() { return {Exists, Open, Close, Read, Write, Gets, Puts, Eof, Seek, Flush, Tell}; }

}  // namespace memoryfile
