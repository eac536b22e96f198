#include "tests/fuzz/seeds/level01_seeds.h"

#include <cstdio>
#include <cstdlib>

#include "tools/demo/level01/level01.h"

void AddLevel01Seeds(SeedCorpus& seeds, const std::string& extension) {
  StartSeedEngine();
  static demo::DataFolder* level = nullptr;
  if (level == nullptr) {
    level = new demo::DataFolder();
    if (!demo::WriteLevel01(*level)) {
      std::fprintf(stderr, "fuzz_seeds: the first level was not written\n");
      std::abort();
    }
  }
  for (const auto& file : level->Files()) {
    const std::string& path = file.first;
    if (path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0) {
      std::string name = path;
      for (char& c : name) {
        c = c == '/' ? '_' : c;
      }
      seeds.Add(name, file.second);
    }
  }
  if (extension == ".txt") {
    seeds.Add("level01_config.txt", demo::Level01ConfigGroups());
  }
}
