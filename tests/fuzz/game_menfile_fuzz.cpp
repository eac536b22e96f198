// Fuzz target for a level's men file: any bytes as "men.txt", read as a
// property file and through the men's static data (the used-animation lists
// and the animation table, whose animation files it names) and released
// again. A bad file ends the game through FatalError, which is the answer to
// it and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/characters/man.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr char kGamePath[] = "data/level01/men.txt";
constexpr char kEnginePath[] = "data\\level01\\men.txt";
constexpr size_t kMaxInput = 16384;

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !RpWorldPluginAttach() || !RtAnimPluginAttach() || !RpHAnimPluginAttach() ||
      !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  return true;
}

void ReadMenFile(const uint8_t* bytes, size_t size) {
  memoryfiles::Serve(kEnginePath, bytes, size);
  cPropertyFile file;
  file.Load(cString(kGamePath));
  cMan::LoadStaticData(&file);
  for (u32 slot = 0; slot < kManAnimCount; slot++) {
    const f32 left = ManAnimData().GetLeftFootTime(slot);
    if (!ManAnimData().IsUsed(slot) && left != kNoFootTime) {
      __builtin_trap();
    }
  }
}

// Whatever was loaded goes, so that the next input starts with nothing used.
void ReleaseMen() { cMan::ReleaseStaticData(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  return fatalworker::TestOneInput(started, bytes, size, kMaxInput, ReadMenFile, ReleaseMen);
}
