// The names the game opens on the demo set, walked as the game walks them:
// from "data/config.txt" along the level chain (NEXTSTAGE and NEXTSTAGEHARD),
// each level's keys, objects, locators, men, camera and texts, and the
// start-up files. The generator checks its set against them.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/data_folder.h"

namespace demo {

// How the game reads what a name opens.
enum class OpenedKind {
  kFile,             // read raw (sounds, music, movies, font metrics)
  kPropertyFile,     // grouped property text
  kStandaloneGroup,  // one group without a header (camera, input map)
  kConfigGroup,      // a group of "data/config.txt" (path holds its name)
  kWorld,            // a BSP world
  kModel,            // a clump
  kLocator,          // a locator file
  kPicture,          // a BMP texture
  kLightmap,         // an 8-bit lightmap bitmap
};

struct OpenedName {
  OpenedKind kind;
  std::string path;
};

// Every name, in walking order; levels gets the levels the chains from the
// starting levels reach ("level99", which ends the game, is none).
std::vector<OpenedName> OpenedNames(const DataFolder& data, std::vector<std::string>* levels);
// The first name the set lacks, or empty when it holds them all.
std::string FirstMissingName(const DataFolder& data);

}  // namespace demo
