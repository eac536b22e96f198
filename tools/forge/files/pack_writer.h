// Builds "data.pak" archives for tests and data: a "PACK" header, the files' data and
// a directory of 64-byte entries, with hooks to write damaged archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/forge/files/whole_file.h"

struct PackWriterEntry {
  std::string name;  // up to 55 bytes; more are cut (and then unterminated)
  std::string data;
  bool terminated = true;       // false fills all 56 name bytes, no NUL
  int64_t offsetOverride = -1;  // written instead of the real offset
  int64_t sizeOverride = -1;    // written instead of the real size
};

class PackWriter {
 public:
  PackWriter& Add(const std::string& name, const std::string& data);
  PackWriter& AddEntry(const PackWriterEntry& entry);

  // Header fields and layout changes for damaged archives.
  uint32_t magic = 0x4B434150;
  int64_t directoryOffsetOverride = -1;
  int64_t directoryLengthOverride = -1;
  uint32_t directoryRemainder = 0;  // extra bytes after the last entry

  // The archive bytes: header, data in order, then the directory in the order
  // entries were added.
  std::string Build() const;
  // Builds and writes to path; false when the file cannot be written.
  bool WriteFile(const std::string& path) const;

  std::vector<PackWriterEntry> entries;
};
