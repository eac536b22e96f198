// The plan of one of the later levels: a corridor along x with rooms
// off it behind doorways (the first level's measures), where the player
// starts and where the exit that ends the level lies, and its texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/level01/objects.h"

namespace demo {
namespace levels {

struct LevelPlan {
  std::string name;  // "level02"
  // The plan whose devices, timers, men and objectives it has: its own
  // name, or that of the plan it copies.
  std::string layout;
  std::string next;
  std::string nextHard;  // empty: no hard branch
  // The corridor first, then the rooms; doorways pierce walls along x.
  std::vector<level01::Area> spaces;
  std::vector<level01::Doorway> doorways;
  float startX, startZ, startAngle;  // degrees about y, 90: along +x
  float exitX, exitZ;
  float checkpointX, checkpointZ;
  int searchables;  // along the first room's walls, at most 15
  std::vector<level01::Waypoint> waypoints;
  std::vector<int> edges;  // pairs of waypoint numbers from 1
  uint32_t wallDark, wallLight;
  const char* titleEnglish;
  const char* titleGerman;  // Windows-1252
  const char* briefingEnglish;
  const char* briefingGerman;
};

const std::vector<LevelPlan>& Plans();

// "data/<level>/".
std::string Folder(const LevelPlan& plan);
// "l02_": the level's world textures share one dictionary with every other.
std::string TexturePrefix(const LevelPlan& plan);

// The writers of a level's parts; false when an engine writer failed.
bool WriteShell(const LevelPlan& plan, DataFolder& data);  // worlds, lightmaps, textures, map plan
void WriteObjects(const LevelPlan& plan, DataFolder& data);
void WriteMenAndCamera(const LevelPlan& plan, DataFolder& data);
void WriteTexts(const LevelPlan& plan, DataFolder& data);
std::string ConfigGroups(const LevelPlan& plan);
// The level's non-player men (npcs.cpp): their names for the MEN list and
// their groups of "men.txt".
std::vector<std::string> NpcNames(const LevelPlan& plan);
std::string NpcGroups(const LevelPlan& plan);
// The level's devices and sensors beyond its doors, areas and searchables,
// and its timer devices (devices.cpp).
std::vector<level01::Placed> LevelDevices(const LevelPlan& plan);
std::vector<std::string> TimerNames(const LevelPlan& plan);
std::string TimerGroups(const LevelPlan& plan);
// The level's objectives after the exit's, in mission order from 2, each
// done by the device of its MISSION number (devices.cpp), and the message
// number that tells it done.
struct Objective {
  const char* english;
  const char* german;  // Windows-1252
  int doneMessage;
};
std::vector<Objective> LaterObjectives(const LevelPlan& plan);
std::string LightmapKeys();

}  // namespace levels
}  // namespace demo
