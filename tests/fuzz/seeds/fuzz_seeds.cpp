// fuzz_seeds ROOT TARGET...: writes the seed corpus of every named fuzz
// target into ROOT/TARGET/ and the list of its seed files, comma-separated
// for libFuzzer's -seed_inputs=@list, into ROOT/TARGET.seeds. A target
// without a registered writer is an error: every fuzz target has seeds.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <string>

#include "tests/fuzz/seeds/seed_corpus.h"

namespace {

std::map<std::string, SeedWriter>& Writers() {
  static std::map<std::string, SeedWriter> writers;
  return writers;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool WriteCorpus(const std::string& root, const std::string& target) {
  const auto found = Writers().find(target);
  if (found == Writers().end()) {
    std::fprintf(stderr, "fuzz_seeds: no seeds for %s: add TK_FUZZ_SEEDS(%s) in tests/fuzz/seeds/\n", target.c_str(),
                 target.c_str());
    return false;
  }
  SeedCorpus corpus;
  found->second(corpus);
  if (corpus.Seeds().empty()) {
    std::fprintf(stderr, "fuzz_seeds: the writer of %s made no seeds\n", target.c_str());
    return false;
  }
  const std::string folder = root + "/" + target;
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    std::perror(folder.c_str());
    return false;
  }
  std::string list;
  for (const SeedCorpus::Seed& seed : corpus.Seeds()) {
    const std::string path = folder + "/" + seed.name;
    if (!WriteFile(path, seed.bytes)) {
      std::perror(path.c_str());
      return false;
    }
    list += (list.empty() ? "" : ",") + path;
  }
  return WriteFile(root + "/" + target + ".seeds", std::vector<uint8_t>(list.begin(), list.end()));
}

}  // namespace

bool RegisterSeedWriter(const char* target, SeedWriter writer) {
  Writers()[target] = writer;
  return true;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_seeds ROOT TARGET...\n");
    return 2;
  }
  const std::string root = argv[1];
  if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
    std::perror(root.c_str());
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    if (!WriteCorpus(root, argv[i])) {
      return 1;
    }
  }
  return 0;
}
