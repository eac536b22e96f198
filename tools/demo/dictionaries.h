// The texture dictionary caches ("data/texdicts/*.txd") written ahead, as the
// game writes them on its first run when they are missing: each phase's
// listed textures read from their bitmaps without mask and written as one
// dictionary of native textures. Needs the engine started on the Direct3D 8
// driver.
#pragma once

#include <string>

#include "tools/demo/data_folder.h"

namespace demo {

// The dictionaries' paths, each with the texture names it holds.
struct DictionaryContents {
  std::string path;
  std::vector<std::string> textures;
};
const std::vector<DictionaryContents>& Dictionaries();

// Adds every dictionary of Dictionaries() to data, its textures read from
// data's bitmaps. False, error set, when a texture or a dictionary fails.
bool WriteDictionaries(DataFolder& data, std::string* error);

}  // namespace demo
