// Seeds from the demo data set's start-up files (tools/demo).
#pragma once

#include <string>
#include <vector>

#include "tests/fuzz/seeds/seed_corpus.h"

// Adds the start-up files whose paths end in one of the tails, each named by
// its path with '/' turned into '_'.
void AddDemoSeeds(SeedCorpus& seeds, const std::vector<std::string>& tails);
