// The first level's models as the forge builds them.
#pragma once

#include <string>
#include <vector>

#include "tools/forge/forge.h"

namespace demo {
namespace level01 {

struct ModelSpec {
  std::string name;  // file name without ".dff", in the model folder
  std::vector<ForgePart> parts;
  bool twin;  // has a collision twin
};

// Every model of the level, in the order they are written.
const std::vector<ModelSpec>& Models();

}  // namespace level01
}  // namespace demo
