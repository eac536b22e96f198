// The later levels' non-player men on each level's waypoint graph: guards,
// civilians and a gangster, on the hard branch's "level03" a boss, and a
// guard and a clerk on "level04" and its copy. The bodies are spread so
// that, with the first level's men, every body walks somewhere.
#include "tools/demo/levels/level_plan.h"

namespace demo {
namespace levels {

namespace {

struct Npc {
  const char* name;  // its group; never a body's name
  const char* type;
  const char* body;
  int start;   // waypoint number from 1
  int angle;   // degrees about y
  int looser;  // 0: no LOOSER key
  const char* route;
};

// On the two middle levels guard_1 walks the corridor between its
// waypoint 10, 11 from the start, and the far side of the exit's door; the
// other staff keep to an office (waypoints 1 and 9) whose door opens onto
// the corridor's east part, out of sight of the start: an alarm brings them
// out.
const Npc kLevel02[] = {
    {"guard_1", "guard", "guard1", 10, 90, 50, "[10, 3]"},
    {"guard_2", "guard", "guard2", 9, 270, 60, "[9, 1]"},
    {"civilian_1", "civilian", "civilian", 1, 0, 0, "[1]"},
    {"civilian_2", "civilian", "civilian2", 9, 0, 0, "[9]"},
    {"gangster_1", "gangster", "gangster", 9, 270, 80, "[9, 1, 9]"},
};
const Npc kLevel03[] = {
    {"guard_1", "guard", "guard3", 10, 90, 50, "[10, 3]"},
    {"boss_1", "guard", "guard4", 9, 270, 0, "[9, 1]"},
    {"civilian_1", "civilian", "civilian3", 1, 0, 0, "[1]"},
    {"civilian_2", "civilian", "civilian4", 9, 0, 0, "[9]"},
    {"gangster_1", "gangster", "gangster", 9, 180, 80, "[9, 1, 9]"},
};

// A guard keeps the corridor's east end, a clerk paces the hall's east
// side, out of the way of a player who starts or comes back in the hall.
const Npc kLevel04[] = {
    {"guard_1", "guard", "guard2", 7, 270, 70, "[7, 4, 7]"},
    {"civilian_1", "civilian", "civilian2", 1, 180, 0, "[1, 9]"},
};

template <size_t N>
std::vector<Npc> Rows(const Npc (&rows)[N]) {
  return std::vector<Npc>(rows, rows + N);
}

std::vector<Npc> LevelNpcs(const LevelPlan& plan) {
  if (plan.layout == "level02") {
    return Rows(kLevel02);
  }
  if (plan.layout == "level03") {
    return Rows(kLevel03);
  }
  if (plan.layout == "level04") {
    return Rows(kLevel04);
  }
  return {};
}

}  // namespace

std::vector<std::string> NpcNames(const LevelPlan& plan) {
  std::vector<std::string> names;
  for (const Npc& npc : LevelNpcs(plan)) {
    names.push_back(npc.name);
  }
  return names;
}

std::string NpcGroups(const LevelPlan& plan) {
  std::string text;
  for (const Npc& npc : LevelNpcs(plan)) {
    text += "\n[" + std::string(npc.name) + "]\nTYPE = " + npc.type + "\nBODY = " + npc.body +
            "\nSTARTPOINT = " + std::to_string(npc.start) + "\nANGLE = " + std::to_string(npc.angle) + "\n";
    if (npc.looser != 0) {
      text += "LOOSER = " + std::to_string(npc.looser) + "\n";
    }
    text += "WAYPOINTS = " + std::string(npc.route) + "\n";
  }
  return text;
}

}  // namespace levels
}  // namespace demo
