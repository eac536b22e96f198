// Laying the demo data set out on disk. The output folder is the game's
// working folder: "data/" and "data.pak" lie in it. A stamp file marks a
// folder this generator wrote, and only a stamped folder is emptied before a
// new set is written (with the game's caches: the ".txd" files it wrote back).
// A saved game ("save.dat") is kept, and a folder holding nothing else (but
// empty folders) counts as empty.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/data_folder.h"

namespace demo {

constexpr char kStampName[] = "demo_data.stamp";
constexpr char kPackName[] = "data.pak";
// The longest file name a pack entry holds.
constexpr size_t kPackNameBytes = 55;

// Whether a file goes into the pack: all but the movies, which the game
// always reads from the folder.
bool IsPacked(const std::string& path);
// The pack of every packed file, in path order; false (error set) when a
// name is too long for the pack.
bool PackBytes(const DataFolder& data, std::vector<uint8_t>* bytes, std::string* error);

struct OutputOptions {
  // Writes "data.pak" with every packed file; only the movies stay loose.
  bool pack = false;
};

// Empties root when it holds the stamp (refusing a folder without it that
// holds files), then writes the stamp and the files. False, error set, on
// refusal or a failed write.
bool WriteOutput(const DataFolder& data, const std::string& root, const OutputOptions& options, std::string* error);

}  // namespace demo
