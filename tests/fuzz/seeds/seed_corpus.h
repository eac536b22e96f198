// The common part of the seeds programs: each seed written as a file into the
// folder named on the command line, with "seeds.txt", the comma-separated
// list of them that the smoke run reads.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scratch_path.h"

// A seed: its file name, then its bytes.
typedef std::vector<std::pair<std::string, std::string>> SeedFiles;

// The exit code of the seeds program.
inline int WriteSeedCorpus(int argc, char** argv, const SeedFiles& seeds) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  std::string list;
  for (const auto& seed : seeds) {
    const std::string path = folder + "/" + seed.first;
    if (!WriteWholeFile(path, seed.second)) {
      fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    list += (list.empty() ? "" : ",") + path;
  }
  return WriteWholeFile(folder + "/seeds.txt", list) ? 0 : 1;
}
