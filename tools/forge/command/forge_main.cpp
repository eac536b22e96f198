// The forge command:
//   forge world <scene.txt> <out.bsp>   forges the scene's world into a BSP file
//   forge dump <file>                   lists the file's chunk tree; a file
//                                       that is not one of chunks is refused
// "world" runs on the engine started headless on the Direct3D 8 stand-in
// (SDL's offscreen video unless SDL_VIDEODRIVER names another), with the
// world module attached. Exit status 0 on success, 1 on failure, 2 for a
// wrong command line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/engine.h"
#include "tools/forge/command/headless_engine.h"
#include "tools/forge/forge.h"

namespace {

bool ReadFile(const char* path, std::string* contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  *contents = text.str();
  return true;
}

bool AttachPlugins() { return RpWorldPluginAttach() && RpMatFXPluginAttach(); }

int ForgeWorld(const char* scenePath, const char* outPath) {
  std::string text;
  if (!ReadFile(scenePath, &text)) {
    std::fprintf(stderr, "forge: cannot read %s\n", scenePath);
    return 1;
  }
  ForgeSoup soup;
  ForgeWorldOptions options;
  std::string error;
  if (!ForgeReadScene(text, &soup, &options, &error)) {
    std::fprintf(stderr, "forge: %s: %s\n", scenePath, error.c_str());
    return 1;
  }
  forge::HeadlessEngine engine("forge", AttachPlugins);
  if (!engine.Start()) {
    std::fprintf(stderr, "forge: the engine did not start\n");
    return 1;
  }
  // A scene that cannot be laid out is the scene's fault; a failed write the
  // output's.
  ForgeWorldLayout layout;
  if (!ForgeLayoutWorld(soup, options, &layout, &error)) {
    std::fprintf(stderr, "forge: %s: %s\n", scenePath, error.c_str());
    return 1;
  }
  if (!ForgeWriteWorldFile(outPath, soup, options, &error)) {
    std::fprintf(stderr, "forge: %s: %s\n", outPath, error.empty() ? "cannot write" : error.c_str());
    return 1;
  }
  std::printf("%s: %zu triangles in %zu sectors under %zu planes\n", outPath, soup.triangles.size(),
              layout.sectors.size(), layout.planes.size());
  return 0;
}

int Dump(const char* path) {
  std::string contents;
  if (!ReadFile(path, &contents)) {
    std::fprintf(stderr, "forge: cannot read %s\n", path);
    return 1;
  }
  const std::vector<RwUInt8> bytes(contents.begin(), contents.end());
  if (!ForgeIsChunkFile(bytes)) {
    std::fprintf(stderr, "forge: %s is not a file of chunks (it starts with no chunk header the forge knows)\n", path);
    return 1;
  }
  bool whole = false;
  std::fputs(ForgeDumpChunks(bytes, &whole).c_str(), stdout);
  if (!whole) {
    std::fprintf(stderr, "forge: %s: its chunks end early\n", path);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "world" && argc == 4) {
    return ForgeWorld(argv[2], argv[3]);
  }
  if (command == "dump" && argc == 3) {
    return Dump(argv[2]);
  }
  std::fprintf(stderr, "usage: forge world <scene.txt> <out.bsp>\n       forge dump <file>\n");
  return 2;
}
