// Until the non-player men have their classes, the demo's first level is
// played with its men file cut down to the player and the double. Drop this
// once the guards, the civilian and the gangster load.
#pragma once

#include <string>

// The generated men file with the player and the double only.
inline std::string PlayerAndDoubleOnlyMenFile(std::string men) {
  const std::string list = "MEN = [dorvaman, dorvaholoman, guard_1, civilian_1, gangster_1]";
  const size_t at = men.find(list);
  if (at != std::string::npos) {
    men.replace(at, list.size(), "MEN = [dorvaman, dorvaholoman]");
  }
  return men;
}
