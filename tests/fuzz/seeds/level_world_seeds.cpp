// Seeds of the level world's file targets: the first level's lightmaps and
// text files, a map of padded rows, one outgrowing its file, and texts of
// dialogues, quotes, gaps and objectives.
#include <string>

#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

TK_FUZZ_SEEDS(game_lightmap_fuzz) {
  AddLevel01Seeds(seeds, ".bmp");
  // Pixel offset 54, width at 18, height at 22 (3 x 2, then 65535 x 65535).
  std::string map(54, '\0');
  map[10] = 54;
  map[18] = 3;
  map[22] = 2;
  seeds.Add("padded.bmp", map + std::string("\x01\x00\x01\x00\x00\x01\x00\x00", 8));
  map[18] = map[19] = map[22] = map[23] = '\xFF';
  seeds.Add("outgrown.bmp", map + "x");
}

TK_FUZZ_SEEDS(game_level_texts_fuzz) {
  AddLevel01Seeds(seeds, "_d.txt");
  AddLevel01Seeds(seeds, "_eng.txt");
  seeds.Add("texts.txt",
            "[TEXTS]\nMESSAGE00 = \"$07word\"\nMESSAGE01 = $\nMESSAGE03 = gap\nMISSION00 = @01Reach\n"
            "MISSION_OBJECTIVES = 2\nBRIEFING = \"Go\"\nMAINMISSIONTEXT = 9\n");
}
