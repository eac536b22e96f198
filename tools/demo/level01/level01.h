// The first level: its geometry, objects, models, texts and men.
#pragma once

#include <string>

#include "tools/demo/data_folder.h"

namespace demo {

// Writes every file of "data/level01/" (and the level's models and
// textures wherever the game opens them).
bool WriteLevel01(DataFolder& data);

// The groups "data/config.txt" holds for the level: the level's own group
// and the light groups it names. Grouped property text, LF line ends.
std::string Level01ConfigGroups();

}  // namespace demo
