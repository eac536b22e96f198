// Writes the seed corpus of platform_avi_fuzz into the folder given: movies
// of each layout the reader plays, and damaged ones, from the test writer,
// with "seeds.txt", the comma-separated list of them that the smoke run reads.
#include <string>
#include <utility>
#include <vector>

#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/avi_writer.h"

int main(int argc, char** argv) {
  // Small frames keep the seeds small, so mutations reach every part.
  AviWriter small;
  small.width = 6;
  small.height = 4;
  small.frames = 3;
  small.sampleRate = 600;
  std::vector<std::pair<std::string, AviWriter>> seeds;
  seeds.push_back({"silent", small});
  AviWriter w = small;
  w.withSound = true;
  seeds.push_back({"sound", w});
  w.withIndex = false;
  seeds.push_back({"unindexed", w});
  w = small;
  w.withSound = true;
  w.channels = 2;
  w.bits = 8;
  w.recordLists = true;
  seeds.push_back({"records", w});
  w = small;
  w.withSound = true;
  w.absoluteIndex = true;
  w.emptyFrames = {1};
  seeds.push_back({"absolute", w});
  w = small;
  w.width = 5;
  w.badIndexEntry = 1;
  seeds.push_back({"badindex", w});
  w = small;
  w.videoCompression = 0x47504A4D;
  seeds.push_back({"compressed", w});
  w = small;
  w.withSound = true;
  w.truncateTo = 300;
  seeds.push_back({"truncated", w});

  SeedFiles files;
  for (const auto& seed : seeds) {
    files.push_back({seed.first + ".avi", seed.second.Build()});
  }
  return WriteSeedCorpus(argc, argv, files);
}
