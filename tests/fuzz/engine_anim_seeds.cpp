// Writes the seed corpus of engine_anim_fuzz into the folder given: forged
// animations of one to eight nodes.
#include <cstdio>
#include <string>

#include "tests/fuzz/anim_fuzz_engine.h"
#include "tools/forge/forge.h"

namespace {

ForgeAnimation Walk(int nodes, int keysPerNode, RwReal duration) {
  ForgeAnimation animation;
  animation.duration = duration;
  for (int node = 0; node < nodes; node++) {
    std::vector<ForgeKey> keys;
    for (int k = 0; k < keysPerNode; k++) {
      const RwReal time = duration * static_cast<RwReal>(k) / static_cast<RwReal>(keysPerNode - 1);
      const RwReal turn = 0.1f * static_cast<RwReal>((node + k) % 5);
      keys.push_back({time, {{turn, 0.0f, 0.0f}, 1.0f - turn * turn / 2.0f}, {0.0f, static_cast<RwReal>(node), time}});
    }
    animation.nodes.push_back(keys);
  }
  return animation;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !fakedevice::StartWithAnimation()) {
    return 1;
  }
  const ForgeAnimation seeds[] = {Walk(1, 2, 1.0f), Walk(3, 3, 2.0f), Walk(8, 4, 0.5f), Walk(2, 7, 3.0f)};
  int written = 0;
  for (const ForgeAnimation& seed : seeds) {
    const std::string path = std::string(argv[1]) + "/animation_" + std::to_string(written) + ".anm";
    if (!ForgeWriteAnimationFile(path.c_str(), seed)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    written++;
  }
  fakedevice::Shutdown();
  return 0;
}
