// The demo data generator: writes the game's data set into a folder (the
// game's working folder), on a headless engine for the models and worlds.
//   demo [--pack] [--dictionaries] <folder>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "tools/demo/check/opened_names.h"
#include "tools/demo/demo.h"
#include "tools/demo/dictionaries.h"
#include "tools/demo/output.h"
#include "tools/forge/command/headless_engine.h"

namespace {

// The plugins whose data the models and worlds carry.
bool AttachPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach();
}

int Usage() {
  std::fprintf(stderr,
               "usage: demo [--pack] [--dictionaries] <folder>\n"
               "  Writes the demo data set into <folder> (the game's working folder: data/ and data.pak).\n"
               "  --pack          every file but the movies goes into data.pak\n"
               "  --dictionaries  the texture dictionary caches (data/texdicts/) are written ahead\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  demo::OutputOptions options;
  bool dictionaries = false;
  const char* folder = nullptr;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--pack") == 0) {
      options.pack = true;
    } else if (std::strcmp(argv[i], "--dictionaries") == 0) {
      dictionaries = true;
    } else if (argv[i][0] == '-' || folder != nullptr) {
      return Usage();
    } else {
      folder = argv[i];
    }
  }
  if (folder == nullptr) {
    return Usage();
  }
  demo::DataFolder data;
  {
    forge::HeadlessEngine engine("demo", AttachPlugins);
    if (!engine.Start()) {
      std::fprintf(stderr, "demo: the engine did not start\n");
      return 1;
    }
    if (!demo::WriteDataSet(data)) {
      std::fprintf(stderr, "demo: the data set could not be built\n");
      return 1;
    }
    const std::string missing = demo::FirstMissingName(data);
    if (!missing.empty()) {
      std::fprintf(stderr, "demo: the data set lacks %s, which the game opens\n", missing.c_str());
      return 1;
    }
    std::string error;
    if (dictionaries && !demo::WriteDictionaries(data, &error)) {
      std::fprintf(stderr, "demo: %s\n", error.c_str());
      return 1;
    }
  }
  std::string error;
  if (!demo::WriteOutput(data, folder, options, &error)) {
    std::fprintf(stderr, "demo: %s\n", error.c_str());
    return 1;
  }
  size_t bytes = 0;
  for (const auto& file : data.Files()) {
    bytes += file.second.size();
  }
  std::printf("demo: %zu files, %zu bytes in %s%s\n", data.Files().size(), bytes, folder,
              options.pack ? " (packed)" : "");
  return 0;
}
