// The demo data generator: writes the game's data set into a folder (the
// game's working folder), on a headless engine for the models and worlds.
//   demo [--pack] [--dictionaries] <folder>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "platform/win/win32.h"
#include "tools/demo/demo.h"
#include "tools/demo/dictionaries.h"
#include "tools/demo/output.h"

namespace {

constexpr char kClassName[] = "DemoDataClass";
constexpr RwUInt32 kResourceArenaSize = 1u << 20;

LRESULT WINAPI WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The engine with the plugins whose data the models and worlds carry, on a
// window nobody sees.
class HeadlessEngine {
 public:
  HeadlessEngine() = default;
  HeadlessEngine(const HeadlessEngine&) = delete;
  HeadlessEngine& operator=(const HeadlessEngine&) = delete;
  ~HeadlessEngine() { Stop(); }

  bool Start() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) {
      return false;
    }
    window_ =
        CreateWindowExA(0, kClassName, "demo", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    if (window_ == nullptr || !RwD3D8DriverInstall() || !RwEngineInit(nullptr, 0, kResourceArenaSize)) {
      return false;
    }
    initialised_ = true;
    RwEngineOpenParams params = {window_};
    if (!RpWorldPluginAttach() || !RpCollisionPluginAttach() || !RpPVSPluginAttach() || !RpUserDataPluginAttach() ||
        !RpMatFXPluginAttach() || !RpSkinPluginAttach() || !RpHAnimPluginAttach() || !RwEngineOpen(&params)) {
      return false;
    }
    opened_ = true;
    started_ = RwEngineSetVideoMode(0) && RwEngineStart();
    return started_;
  }

  void Stop() {
    if (started_) {
      RwEngineStop();
    }
    if (opened_) {
      RwEngineClose();
    }
    if (initialised_) {
      RwEngineTerm();
    }
    if (window_ != nullptr) {
      DestroyWindow(window_);
    }
    started_ = opened_ = initialised_ = false;
    window_ = nullptr;
    SDL_Quit();
  }

 private:
  HWND window_ = nullptr;
  bool initialised_ = false;
  bool opened_ = false;
  bool started_ = false;
};

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
    HeadlessEngine engine;
    if (!engine.Start()) {
      std::fprintf(stderr, "demo: the engine did not start\n");
      return 1;
    }
    if (!demo::WriteDataSet(data)) {
      std::fprintf(stderr, "demo: the data set could not be built\n");
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
