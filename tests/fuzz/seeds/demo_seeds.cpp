#include "tests/fuzz/seeds/demo_seeds.h"

#include <algorithm>

#include "tools/demo/demo.h"

namespace {

// The start-up files; the levels need a started engine and seed their own.
const demo::DataFolder& StartupFiles() {
  static const demo::DataFolder data = [] {
    demo::DataFolder files;
    demo::WriteStartupTexts(files);
    demo::WriteFonts(files);
    demo::WriteTextures(files);
    demo::WriteSounds(files);
    demo::WriteMusic(files);
    demo::WriteMovies(files);
    demo::WriteParticles(files);
    return files;
  }();
  return data;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void AddDemoSeeds(SeedCorpus& seeds, const std::vector<std::string>& tails) {
  for (const auto& file : StartupFiles().Files()) {
    for (const std::string& tail : tails) {
      if (EndsWith(file.first, tail)) {
        std::string name = file.first;
        std::replace(name.begin(), name.end(), '/', '_');
        seeds.Add(name, file.second);
        break;
      }
    }
  }
}
