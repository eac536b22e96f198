// Scratch files and folders for tests, under the system's temporary folder
// ($TMPDIR or /tmp). Test programs run in parallel, so every scratch name
// carries the process id or a unique suffix; nothing is left behind.
#pragma once

#include <string>

#include "tools/forge/files/whole_file.h"

// A path for a scratch file of this test program, removed by the caller.
std::string ScratchPath(const std::string& leaf);

// A folder of its own, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& leaf);
  ~ScratchFolder();

  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's absolute path; empty when it could not be made.
  const std::string& Path() const { return mPath; }
  // The path of name inside the folder.
  std::string File(const std::string& name) const { return mPath + "/" + name; }

 private:
  std::string mPath;
};
