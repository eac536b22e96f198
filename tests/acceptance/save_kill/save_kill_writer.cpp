// Writes "save.dat" over and over through the save-profile table, for the
// test that kills it at random moments: each version one above the whole
// version it found. Prints one line once its engine is up, then writes
// until it is killed or a write fails; with --once it writes one version.
//   save_kill_writer [--once] <folder>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "engine/engine.h"
#include "tests/acceptance/save_kill/save_version.h"

int main(int argc, char** argv) {
  const bool once = argc == 3 && std::strcmp(argv[1], "--once") == 0;
  if ((argc != 2 && !once) || chdir(argv[argc - 1]) != 0) {
    std::fprintf(stderr, "usage: save_kill_writer [--once] <folder>\n");
    return 2;
  }
  if (!RwEngineInit(nullptr, 0, 1u << 20)) {
    std::fprintf(stderr, "save_kill_writer: the engine did not initialise\n");
    return 1;
  }
  cGameOptions options;
  gGameOptions = &options;
  cSaveProfiles profiles;
  profiles.Read();
  u32 version = WholeVersion(profiles, options);
  std::printf("ready %u\n", version);
  std::fflush(stdout);
  for (;;) {
    FillVersion(++version, &profiles, &options);
    if (!profiles.Write()) {
      std::fprintf(stderr, "save_kill_writer: version %u not written\n", version);
      return 1;
    }
    if (once) {
      RwEngineTerm();
      return 0;
    }
  }
}
