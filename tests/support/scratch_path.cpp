// Scratch files and folders for tests (see scratch_path.h).
#include "tests/support/scratch_path.h"

#include <ftw.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::string TemporaryFolder() {
  const char* dir = getenv("TMPDIR");
  return dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// Folders nftw may hold open at once while it walks.
constexpr int kOpenFolders = 16;

}  // namespace

std::string ScratchPath(const std::string& leaf) {
  return TemporaryFolder() + "/tk_" + std::to_string(getpid()) + "_" + leaf;
}

ScratchFolder::ScratchFolder(const std::string& leaf) {
  std::string pattern = TemporaryFolder() + "/tk_" + leaf + "_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) {
    char* absolute = realpath(name.data(), nullptr);
    mPath = absolute != nullptr ? absolute : name.data();
    free(absolute);
  }
}

ScratchFolder::~ScratchFolder() {
  // Deepest entries first; links are removed, never followed.
  if (!mPath.empty()) {
    nftw(mPath.c_str(), RemoveEntry, kOpenFolders, FTW_DEPTH | FTW_PHYS);
  }
}
