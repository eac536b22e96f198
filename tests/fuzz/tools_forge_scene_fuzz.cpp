// Feeds arbitrary text to the forge's scene reader; a scene that reads is
// laid out as a world (without writing it, which needs an engine).
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/forge/forge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ForgeSoup soup;
  ForgeWorldOptions options;
  std::string error;
  if (ForgeReadScene(std::string(reinterpret_cast<const char*>(data), size), &soup, &options, &error) &&
      soup.triangles.size() < 4096) {
    ForgeWorldLayout layout;
    ForgeLayoutWorld(soup, options, &layout, &error);
  }
  return 0;
}
