// Seeds of the level world's file targets: the first level's lightmaps and
// text files, a small map of padded rows, one whose image outgrows its file,
// and a texts file of dialogues, quotes, gaps and objectives.
#include <string>

#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

namespace {

// A bitmap header with the pixel offset, width and height the map reads,
// a two-entry palette, then the pixels.
std::string SmallMap(int width, int height, const std::string& pixels) {
  std::string bytes(54 + 8, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[10] = static_cast<char>(bytes.size());
  bytes[18] = static_cast<char>(width);
  bytes[19] = static_cast<char>(width >> 8);
  bytes[22] = static_cast<char>(height);
  bytes[23] = static_cast<char>(height >> 8);
  bytes[54] = '\x10';
  bytes[58] = '\x20';
  return bytes + pixels;
}

}  // namespace

TK_FUZZ_SEEDS(game_lightmap_fuzz) {
  AddLevel01Seeds(seeds, ".bmp");
  seeds.Add("padded.bmp", SmallMap(3, 2, std::string("\x01\x00\x01\x00\x00\x01\x00\x00", 8)));
  seeds.Add("outgrown.bmp", SmallMap(0xFFFF, 0xFFFF, "x"));
}

TK_FUZZ_SEEDS(game_level_texts_fuzz) {
  AddLevel01Seeds(seeds, "_d.txt");
  AddLevel01Seeds(seeds, "_eng.txt");
  seeds.Add("texts.txt",
            "[TEXTS]\nMESSAGE00 = \"$07word\"\nMESSAGE01 = $\nMESSAGE03 = gap\nMISSION00 = @01Reach\n"
            "MISSION01 = \"plain\"\nMISSION_OBJECTIVES = 2\nBRIEFING = \"Go\"\nMAINMISSIONTEXT = 9\n");
}
