// Fuzz target for a level's text file: any bytes as a property file whose
// group "TEXTS" fills the level's texts. The parser's fatal answer to deep
// brackets is no finding (tests/fuzz/fatal_worker.h).
#include <cstdint>
#include <cstring>

#include "game/world/level_texts.h"
#include "tests/fuzz/fatal_worker.h"

namespace {

void ReadTexts(const uint8_t* bytes, size_t size) {
  cString text(static_cast<u32>(size));
  if (size > 0) {
    memcpy(text.SharedData(), bytes, size);
  }
  cPropertyFile file;
  file.ParseText(text);
  const cPropertyGroup* group = file.FindGroup(cString("TEXTS"));
  if (group != nullptr) {
    cLevelTexts texts;
    texts.Read(group);
    if (texts.GetObjectiveCount() > kMaxMissionObjectives) {
      __builtin_trap();
    }
  }
}

void Nothing() {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(true, bytes, size, 16384, ReadTexts, Nothing);
}
