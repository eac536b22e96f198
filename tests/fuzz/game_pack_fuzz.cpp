// Fuzz target for pack mounting: any bytes as "data.pak" behind an in-memory
// file-function table, then every entry opened and read in several ways.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/app/pak_file.h"

namespace {

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  size_t position;
  int endOfFile;
};

const uint8_t* sData;
size_t sSize;
MemoryFile sFile;
bool sOpen;

RwBool MemExists(const char*) { return 0; }
void* MemOpen(const char* name, const char*) {
  if (sOpen || strcmp(name, "data.pak") != 0) {
    return nullptr;
  }
  sOpen = true;
  sFile = MemoryFile{sData, sSize, 0, 0};
  return &sFile;
}
RwInt32 MemClose(void*) {
  sOpen = false;
  return 0;
}
size_t MemRead(void* buffer, size_t size, size_t count, void* handle) {
  MemoryFile* f = static_cast<MemoryFile*>(handle);
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
size_t MemWrite(const void*, size_t, size_t, void*) { return 0; }
char* MemGets(char*, RwInt32, void*) { return nullptr; }
RwInt32 MemPuts(const char*, void*) { return -1; }
RwInt32 MemEof(void* handle) { return static_cast<MemoryFile*>(handle)->endOfFile; }
RwInt32 MemSeek(void* handle, RwInt32 offset, RwInt32 origin) {
  MemoryFile* f = static_cast<MemoryFile*>(handle);
  int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(f->position) : static_cast<int64_t>(f->size);
  int64_t target = base + offset;
  if (origin < 0 || origin > 2 || target < 0 || target > static_cast<int64_t>(f->size)) {
    return -1;
  }
  f->position = static_cast<size_t>(target);
  f->endOfFile = 0;
  return 0;
}
RwInt32 MemFlush(void*) { return 0; }
RwInt32 MemTell(void* handle) { return static_cast<RwInt32>(static_cast<MemoryFile*>(handle)->position); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) {
    return 0;
  }
  sData = data;
  sSize = size;
  RwFileFunctions table = {MemExists, MemOpen, MemClose, MemRead,  MemWrite, MemGets,
                           MemPuts,   MemEof,  MemSeek,  MemFlush, MemTell};
  if (!cPakFile::MountInto(&table, "data.pak", "")) {
    return 0;
  }
  cPakFile* pak = cPakFile::GetMounted();
  char buffer[97];
  for (u32 i = 0; i < pak->GetEntryCount(); i++) {
    // Every entry is found by its own name (the first of equal names).
    s32 found = pak->FindEntry(pak->GetEntry(i).name);
    if (found < 0 || static_cast<u32>(found) > i) {
      __builtin_trap();
    }
    const tPakEntry& entry = pak->GetEntry(static_cast<u32>(found));
    void* handle = table.rwfopen(entry.name, "rb");
    if (handle == nullptr) {
      __builtin_trap();
    }
    u32 total = 0;
    size_t got;
    while ((got = table.rwfread(buffer, 1, sizeof(buffer), handle)) > 0) {
      total += static_cast<u32>(got);
    }
    if (total > entry.size) {
      __builtin_trap();
    }
    table.rwfseek(handle, static_cast<RwInt32>(entry.size / 2), 0);
    while (table.rwfgets(buffer, sizeof(buffer), handle) != nullptr) {
      if (strlen(buffer) >= sizeof(buffer)) {
        __builtin_trap();
      }
    }
    table.rwfseek(handle, -3, 2);
    (void)table.rwfread(buffer, 4, 2, handle);
    (void)table.rwftell(handle);
    table.rwfclose(handle);
  }
  if (!cPakFile::Unmount()) {
    __builtin_trap();
  }
  return 0;
}
