// The first level's boss: a guard of the body "guard4" pacing room B's west
// side behind its locked door, who discharges lightning instead of
// shooting. Off the way out: his lightning kills a player who meets him in
// the corridor.
#include "tools/demo/level01/level01_parts.h"

namespace demo {
namespace level01 {

std::string BossGroups() {
  return "\n[boss_1]\nTYPE = guard\nBODY = guard4\nSTARTPOINT = 17\nANGLE = 180\nWAYPOINTS = [17, 18]\n";
}

}  // namespace level01
}  // namespace demo
