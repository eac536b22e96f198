// Scratch files for tests (see scratch_path.h).
#include "tests/support/scratch_path.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

std::string ScratchPath(const std::string& leaf) {
  const char* dir = getenv("TMPDIR");
  std::string base = dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
  return base + "/tk_" + std::to_string(getpid()) + "_" + leaf;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}
