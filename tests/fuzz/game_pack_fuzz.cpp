// Fuzz target for pack mounting: any bytes as "data.pak" behind an in-memory
// file-function table, then every entry opened and read in several ways.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/app/pak_file.h"
#include "tests/fuzz/memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) {
    return 0;
  }
  memoryfiles::Serve("data.pak", data, size);
  RwFileFunctions table = memoryfiles::Table();
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
