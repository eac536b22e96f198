// Seeds of the targets of the front end's files: the demo data's menu, end
// and credit texts, and save files of every kind of profile table.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

namespace {

// "save.dat": 20 bytes of options, then ten slots of 32 bytes {name[12],
// level index, total, last time, count, difficulty}.
struct SeedSlot {
  std::string name;
  uint32_t level, total, time, count, difficulty;
};

void Word(std::string* bytes, uint32_t value) {
  for (int i = 0; i < 4; i++) {
    bytes->push_back(static_cast<char>(value >> (8 * i)));
  }
}

std::string SaveFile(const std::vector<SeedSlot>& slots) {
  std::string bytes = std::string(1, '\1') + std::string(7, '\0') + std::string(1, '\x50') + std::string(3, '\0') +
                      std::string(8, '\1');
  for (const SeedSlot& slot : slots) {
    bytes += (slot.name + std::string(12, '\0')).substr(0, 12);
    for (uint32_t value : {slot.level, slot.total, slot.time, slot.count, slot.difficulty}) {
      Word(&bytes, value);
    }
  }
  bytes.resize(20 + 10 * 32, '\0');
  return bytes;
}

}  // namespace

TK_FUZZ_SEEDS(game_menu_texts_fuzz) { AddDemoSeeds(seeds, {"data/menu/text_eng.txt", "data/menu/text_d.txt"}); }

TK_FUZZ_SEEDS(game_end_screens_fuzz) {
  AddDemoSeeds(seeds, {"data/endtexts_eng.txt", "data/credits_eng.txt"});
  seeds.Add("both.txt", std::string("[TEXTS]\nMESSAGE01 = one\nMESSAGE04 = four\nMESSAGE06 = six\n"
                                    "[CREDITS]\nCREDITLIST = [^Heading, a line, , [nested, list], last]\n"));
}

TK_FUZZ_SEEDS(game_continue_fuzz) {
  seeds.Add("three.dat", SaveFile({{"Ada", 0, 10, 125, 4, 0}, {"VORNKAPL", 4, 0, 59, 9, 1}, {"Kim", 2, 1, 0, 10, 1}}));
  std::vector<SeedSlot> full;
  for (uint32_t i = 0; i < 10; i++) {
    full.push_back({"P" + std::to_string(i), i % 5, i, 60 * i, i, i % 2});
  }
  seeds.Add("full.dat", SaveFile(full));
  seeds.Add("limits.dat", SaveFile({{"ABCDEFGHIJKL", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
                                    {"", 7, 0, 0, 0x80000000, 2}}));
  seeds.Add("empty.dat", SaveFile({}));
}
