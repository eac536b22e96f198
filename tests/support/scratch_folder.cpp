// Scratch folders for tests (see scratch_folder.h).
#include "tests/support/scratch_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/scratch_path.h"

ScratchFolder::ScratchFolder(const std::string& leaf) {
  std::string pattern = ScratchPath(leaf + "_XXXXXX");
  if (mkdtemp(&pattern[0]) != nullptr) {
    folder_ = pattern + "/";
  }
}

ScratchFolder::~ScratchFolder() {
  if (!Ok()) {
    return;
  }
  for (const std::string& file : files_) {
    std::remove((folder_ + file).c_str());
  }
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    rmdir((folder_ + *it).c_str());
  }
  rmdir(folder_.c_str());
}

bool ScratchFolder::Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!Ok()) {
    return false;
  }
  for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
    const std::string sub = name.substr(0, slash);
    if (std::find(folders_.begin(), folders_.end(), sub) == folders_.end()) {
      if (mkdir((folder_ + sub).c_str(), 0700) != 0) {
        return false;
      }
      folders_.push_back(sub);
    }
  }
  FILE* file = std::fopen((folder_ + name).c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, file) == 1;
  const bool closed = std::fclose(file) == 0;
  if (std::find(files_.begin(), files_.end(), name) == files_.end()) {
    files_.push_back(name);
  }
  return written && closed;
}

bool ScratchFolder::Write(const std::string& name, const std::string& text) {
  return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
}
