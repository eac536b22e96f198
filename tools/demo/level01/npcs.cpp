// The first level's boss: a guard of the body "guard4" pacing the corridor's
// east end, who discharges lightning instead of shooting.
#include "tools/demo/level01/level01_parts.h"

namespace demo {
namespace level01 {

std::string BossGroups() {
  return "\n[boss_1]\nTYPE = guard\nBODY = guard4\nSTARTPOINT = 5\nANGLE = 270\nWAYPOINTS = [5, 4]\n";
}

}  // namespace level01
}  // namespace demo
