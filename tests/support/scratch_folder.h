// A scratch folder for tests that need several files side by side: made
// under the system's temporary folder, removed with what was written to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ScratchFolder {
 public:
  // Makes a fresh folder whose name starts with the leaf.
  explicit ScratchFolder(const std::string& leaf);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Ok() const { return !folder_.empty(); }
  // The folder's path with a trailing '/'.
  const std::string& Folder() const { return folder_; }
  // Writes (or replaces) a file in the folder, or in a subfolder made for it
  // ("fonts/a.met"); false when it cannot.
  bool Write(const std::string& name, const std::vector<uint8_t>& bytes);
  bool Write(const std::string& name, const std::string& text);

 private:
  std::string folder_;
  std::vector<std::string> files_;    // written, relative to the folder
  std::vector<std::string> folders_;  // made below it, in order
};
