// The later levels' non-player men on each level's waypoint graph: guards,
// civilians and a gangster, on the hard branch's "level03" a boss, and a
// guard and a clerk on the last level. The
// bodies are spread so that, with the first level's men, every body walks
// somewhere.
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

// Waypoints 6 and 7 stand in the room either side of the doorway's line;
// no route crosses waypoint 5 by the exit, so that a man there never bars it.
const Npc kLevel02[] = {
    {"guard_1", "guard", "guard1", 6, 90, 50, "[6, 4, 7, 4]"},
    {"guard_2", "guard", "guard2", 3, 270, 60, "[3, 2, 3]"},
    {"civilian_1", "civilian", "civilian", 2, 90, 0, "[2, 3, 2, 1]"},
    {"civilian_2", "civilian", "civilian2", 7, 0, 0, "[7, 4, 7]"},
    {"gangster_1", "gangster", "gangster", 3, 270, 80, "[3, 2]"},
};
const Npc kLevel03[] = {
    {"guard_1", "guard", "guard3", 3, 270, 50, "[3, 2, 3]"},
    {"boss_1", "guard", "guard4", 6, 90, 0, "[6, 4]"},
    {"civilian_1", "civilian", "civilian3", 2, 90, 0, "[2, 1, 2, 3]"},
    {"civilian_2", "civilian", "civilian4", 7, 0, 0, "[7, 4]"},
    {"gangster_1", "gangster", "gangster", 4, 180, 80, "[4, 2, 4]"},
};

// A guard keeps the corridor's east end, a clerk paces the hall.
const Npc kLevel99[] = {
    {"guard_1", "guard", "guard2", 7, 270, 70, "[7, 4, 7]"},
    {"civilian_1", "civilian", "civilian2", 8, 0, 0, "[8, 2, 8]"},
};

template <size_t N>
std::vector<Npc> Rows(const Npc (&rows)[N]) {
  return std::vector<Npc>(rows, rows + N);
}

std::vector<Npc> LevelNpcs(const LevelPlan& plan) {
  if (plan.name == "level02") {
    return Rows(kLevel02);
  }
  if (plan.name == "level03") {
    return Rows(kLevel03);
  }
  if (plan.name == "level99") {
    return Rows(kLevel99);
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
