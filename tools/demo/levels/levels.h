// The levels after the first: "level02", its hard-branch twin "level03",
// and "level04" and its copy "level05", where a finished game continues;
// each a small complete level on the first level's models and men.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/data_folder.h"

namespace demo {

// Every file of the levels' folders; false when an engine writer failed.
bool WriteLevels(DataFolder& data);
// Their groups of "data/config.txt": each level's group and light groups.
std::string LevelsConfigGroups();
// The names of the levels written here, in chain order.
std::vector<std::string> LevelNames();

}  // namespace demo
