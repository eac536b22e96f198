// Seeds of the men file target: a men file of the demo men's groups, and
// the first level's "men.txt".
#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/demo/men/men.h"

TK_FUZZ_SEEDS(game_menfile_fuzz) {
  seeds.Add("men.txt", std::string("[dorvaman]\nUSED_ANIMS = [0, 10, 31]\n[enemy]\nUSED_ANIMS = [0, 8, 32, 41]\n") +
                           demo::men::AnimDataGroup() + "[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
                           demo::men::BodyGroups({}));
  AddLevel01Seeds(seeds, "men.txt");
}
