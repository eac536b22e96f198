// Seed programs of the world module's fuzz targets: the engine started as the
// targets start it, chunks from its own writers, and the corpus folder with
// "seeds.txt", the comma-separated list of its files.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/fuzz/world_fuzz_engine.h"
#include "tests/support/scratch_path.h"

namespace worldseeds {

using Seeds = std::vector<std::pair<std::string, std::string>>;

// What write put on a memory stream; empty when it failed.
inline std::string Written(const std::function<bool(RwStream*)>& write) {
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  const bool ok = stream != nullptr && write(stream);
  RwMemory memory = {nullptr, 0};
  if (stream != nullptr) {
    RwStreamClose(stream, &memory);
  }
  std::string bytes(reinterpret_cast<const char*>(memory.start), ok ? memory.length : 0);
  RwFree(memory.start);
  return bytes;
}

// Starts the engine, has make fill the seeds and writes them into the folder
// named on the command line; the process's exit status.
inline int WriteCorpus(int argc, char** argv, const std::function<void(Seeds*)>& make) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  if (!worldfuzz::StartEngine()) {
    std::fprintf(stderr, "the engine does not start\n");
    return 1;
  }
  Seeds seeds;
  make(&seeds);
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  std::string list;
  for (const auto& seed : seeds) {
    const std::string path = folder + "/" + seed.first;
    if (seed.second.empty() || !WriteWholeFile(path, seed.second)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    list += (list.empty() ? "" : ",") + path;
  }
  return WriteWholeFile(folder + "/seeds.txt", list) ? 0 : 1;
}

}  // namespace worldseeds
