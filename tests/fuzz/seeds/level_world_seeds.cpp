// Seeds of the level world's file targets: the first level's bitmaps and
// text files, and texts of dialogues, quotes, gaps and objectives.
#include <string>

#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

TK_FUZZ_SEEDS(game_lightmap_fuzz) { AddLevel01Seeds(seeds, ".bmp"); }

TK_FUZZ_SEEDS(game_level_texts_fuzz) {
  AddLevel01Seeds(seeds, "_d.txt");
  AddLevel01Seeds(seeds, "_eng.txt");
  seeds.Add("texts.txt",
            "[TEXTS]\nMESSAGE00 = \"$07word\"\nMESSAGE01 = $\nMESSAGE03 = gap\nMISSION00 = @01Reach\n"
            "MISSION_OBJECTIVES = 2\nBRIEFING = \"Go\"\nMAINMISSIONTEXT = 9\n");
}
