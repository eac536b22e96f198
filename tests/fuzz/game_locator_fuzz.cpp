// Fuzz target for locator files: any bytes as "data\level\objects.xrf"
// behind an in-memory file-function table, read by cLocatorFile entry by
// entry into the level's buffer sizes, every other entry without its data.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/render/locator_file.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr u32 kNameSize = 32;
constexpr u32 kDataSize = 10240;
// The least an entry occupies: matrix chunk and struct headers, the matrix
// body, and two empty texts with their lengths.
constexpr size_t kSmallestEntry = 12 + 12 + 52 + 4 + 4 + 4 + 4;

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size > 1 << 20) {
    return 0;
  }
  memoryfiles::Serve("data\\level\\objects.xrf", bytes, size);
  cLocatorFile file;
  if (!file.Open("data/level/objects.xrf")) {
    __builtin_trap();
  }
  static char name[kNameSize];
  static char data[kDataSize];
  RwMatrix matrix;
  size_t entries = 0;
  while (file.ReadEntry(name, kNameSize, entries % 2 == 0 ? data : nullptr, kDataSize, &matrix)) {
    entries++;
    if (strnlen(name, kNameSize) == kNameSize || strnlen(data, kDataSize) == kDataSize ||
        entries * kSmallestEntry > size) {
      __builtin_trap();
    }
  }
  file.Close();
  if (file.ReadEntry(name, kNameSize, data, kDataSize, &matrix)) {
    __builtin_trap();
  }
  return 0;
}
