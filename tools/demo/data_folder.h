// The folder the demo generator writes: every file of the game's data set,
// by its path relative to the game's working folder ("data/config.txt").
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace demo {

class DataFolder {
 public:
  // Records a file; a second file at the same path replaces the first and
  // its placeholder mark. Paths use '/', never start with '/' and never hold
  // "..".
  void Write(const std::string& path, std::vector<uint8_t> bytes);
  void WriteText(const std::string& path, const std::string& text);
  // Writes a picture that only stands in for a drawn one (a labelled
  // placeholder) and marks it so, until a later Write replaces it.
  void WritePlaceholder(const std::string& path, std::vector<uint8_t> bytes);

  bool Has(const std::string& path) const { return files_.count(path) != 0; }
  const std::vector<uint8_t>* Find(const std::string& path) const;
  // Every file, ordered by path: what the generator lays out on disk.
  const std::map<std::string, std::vector<uint8_t>>& Files() const { return files_; }
  // The paths whose file is still a placeholder.
  const std::set<std::string>& Placeholders() const { return placeholders_; }

 private:
  std::map<std::string, std::vector<uint8_t>> files_;
  std::set<std::string> placeholders_;
};

}  // namespace demo
