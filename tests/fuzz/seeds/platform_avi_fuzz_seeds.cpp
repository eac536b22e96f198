// Writes the seed corpus of platform_avi_fuzz into the folder given: movies
// of each layout the reader plays, and damaged ones, from the test writer,
// with "seeds.txt", the comma-separated list of them that the smoke run reads.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/avi_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
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

  std::string list;
  for (const auto& seed : seeds) {
    const std::string path = folder + "/" + seed.first + ".avi";
    if (!seed.second.WriteFile(path)) {
      fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    list += (list.empty() ? "" : ",") + path;
  }
  return WriteWholeFile(folder + "/seeds.txt", list) ? 0 : 1;
}
