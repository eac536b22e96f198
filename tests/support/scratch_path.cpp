// Scratch files for tests (see scratch_path.h).
#include "tests/support/scratch_path.h"

#include <unistd.h>

#include <cstdlib>

std::string ScratchPath(const std::string& leaf) {
  const char* dir = getenv("TMPDIR");
  std::string base = dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
  return base + "/tk_" + std::to_string(getpid()) + "_" + leaf;
}
