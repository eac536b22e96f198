// Seeds from the demo data's first level: its files, each fed to the fuzz
// target of its reader.
#pragma once

#include <string>

#include "tests/fuzz/seeds/seed_corpus.h"

// Adds every file of the level whose path ends in the extension (".bsp",
// ".dff", ".xrf", ".txt"), named after its path; the property seeds also get
// the level's groups of "data/config.txt". Starts the seed engine.
void AddLevel01Seeds(SeedCorpus& seeds, const std::string& extension);
