// The later levels' plans, named in the order they are played: "level02"
// (its exit in a room north of the corridor's east end), its hard twin
// "level03" (in a room south of it), and "level04" (one room each side)
// with its copy "level05". On level02 and level03 a guard walks the
// corridor in front of the exit's door, never nearer the start than 11:
// beyond the farthest a guard in full light sees a player; the office's
// staff come out through its door into the corridor's east part.
//
// A profile's level index counts its completed levels, and Continue starts
// the level of the number one above it: a finished game on normal (level01,
// level02) continues at level03, one on hard (level01 to level03) at
// level04, and that one at level05. Each of those ends the game again: a
// next level named "level99" ends the game, so no level bears that name.
#include "tools/demo/levels/level_plan.h"

namespace demo {
namespace levels {

namespace {

using level01::kCorridorHalfWidth;
using level01::kRoomFar;
using level01::kRoomNear;
using level01::kWallMiddle;

level01::Area Corridor(float length) {
  return {"corridor", level01::kCorridorWestEnd, -kCorridorHalfWidth, length, kCorridorHalfWidth};
}
level01::Area North(const char* name, float x0) { return {name, x0, kRoomNear, x0 + 8.0f, kRoomFar}; }
level01::Area South(const char* name, float x0) { return {name, x0, -kRoomFar, x0 + 8.0f, -kRoomNear}; }

std::vector<LevelPlan> BuildPlans() {
  LevelPlan level02;
  level02.name = level02.layout = "level02";
  level02.next = "level99";
  level02.nextHard = "level03";
  // The office's door opens onto the guard's west end of the corridor.
  level02.spaces = {Corridor(20.0f), North("store", 12.0f), South("office", 6.0f)};
  level02.doorways = {{16.0f, kWallMiddle, 1, "door_1"}, {13.0f, -kWallMiddle, 2, "door_2"}};
  level02.startX = 2.0f, level02.startZ = 0.0f, level02.startAngle = 90.0f;
  level02.exitX = 16.0f, level02.exitZ = 7.5f;
  // The checkpoints lie out of the guards' sight from their rounds.
  level02.checkpointX = 4.0f, level02.checkpointZ = 0.0f;
  // No furniture to search: a search's mission item completes a level's
  // second objective, which here is the store's key.
  level02.searchables = 0;
  // 1 and 9: the office (a panicking civilian runs to the first waypoint),
  // 8: the start, 10: the guard's west end of the corridor, 11: inside the
  // office's door. The edge from 10 east comes first: a man standing on it
  // walks that edge first.
  level02.waypoints = {{8.0f, -5.5f},
                       {16.0f, 0.0f},
                       {18.0f, 0.0f},
                       {16.0f, kRoomNear + 1.8f},
                       {16.0f, 7.0f},
                       {14.0f, 4.5f},
                       {18.0f, 4.5f},
                       {2.0f, 0.0f},
                       {12.0f, -5.5f},
                       {13.0f, 0.0f},
                       {13.0f, -(kRoomNear + 1.0f)}};
  level02.edges = {10, 2, 8, 10, 2, 3, 2, 4, 4, 5, 4, 6, 4, 7, 1, 9, 9, 11, 11, 10};
  level02.wallDark = 0x483C30, level02.wallLight = 0xB09C84;
  level02.titleEnglish = "The store rooms", level02.titleGerman = "Die Lagerr\xE4ume";
  level02.briefingEnglish = "Level 2: the store rooms. Pass the guard and leave through the store at the far end.";
  level02.briefingGerman = "Level 2: die Lagerr\xE4ume. Vorbei an der Wache, hinaus durch das Lager am Ende.";

  LevelPlan level03;
  level03.name = level03.layout = "level03";
  level03.next = "level99";
  // The office's door opens between the photocell and the vault's door.
  level03.spaces = {Corridor(24.0f), South("vault", 14.0f), North("office", 10.0f)};
  level03.doorways = {{18.0f, -kWallMiddle, 1, "door_1"}, {16.5f, kWallMiddle, 2, "door_2"}};
  level03.startX = 2.0f, level03.startZ = 0.0f, level03.startAngle = 90.0f;
  level03.exitX = 18.0f, level03.exitZ = -7.5f;
  level03.checkpointX = 5.0f, level03.checkpointZ = 0.0f;
  // No furniture to search either: the second objective is the ledger.
  level03.searchables = 0;
  // 1 and 9: the office (a panicking civilian runs to the first waypoint),
  // 8: the start, 10: the guard's west end of the corridor, its edge east
  // first; 11 inside the office's door, 12 in front of it.
  level03.waypoints = {{12.0f, 5.5f},
                       {18.0f, 0.0f},
                       {22.0f, 0.0f},
                       {18.0f, -kRoomNear - 1.8f},
                       {18.0f, -7.0f},
                       {16.0f, -5.0f},
                       {20.0f, -5.0f},
                       {2.0f, 0.0f},
                       {16.0f, 5.5f},
                       {13.0f, 0.0f},
                       {16.5f, kRoomNear + 1.0f},
                       {16.5f, 0.0f}};
  level03.edges = {10, 12, 12, 2, 8, 10, 2, 3, 2, 4, 4, 5, 4, 6, 4, 7, 1, 9, 9, 11, 11, 12};
  level03.wallDark = 0x30403C, level03.wallLight = 0x84B0A4;
  level03.titleEnglish = "The vault", level03.titleGerman = "Der Tresor";
  level03.briefingEnglish = "Level 3: the vault. The hard way in: past the guard to the vault at the far end.";
  level03.briefingGerman = "Level 3: der Tresor. Der schwere Weg: an der Wache vorbei zum Tresor am Ende.";

  LevelPlan level04;
  level04.name = level04.layout = "level04";
  level04.next = "level99";
  level04.spaces = {Corridor(16.0f), North("hall", 0.0f), South("roof", 8.0f)};
  level04.doorways = {{4.0f, kWallMiddle, 1, "door_1"}, {12.0f, -kWallMiddle, 2, "door_2"}};
  level04.startX = 4.0f, level04.startZ = 7.0f, level04.startAngle = 180.0f;
  level04.exitX = 12.0f, level04.exitZ = -7.5f;
  level04.checkpointX = 4.0f, level04.checkpointZ = kRoomNear + 1.3f;  // in the hall, by its door
  level04.searchables = 5;
  // 1 and 9: the hall's east side, the clerk's round, more than 3 from the
  // start and the checkpoint (a panicking civilian runs to the first
  // waypoint); 7: the corridor's east end, 8: the start. The edge 1-9 comes
  // first: the clerk, who starts on 1, walks it first, not 2-1 towards the
  // hall's door.
  level04.waypoints = {{7.2f, 8.8f},
                       {4.0f, kRoomNear + 1.8f},
                       {4.0f, 0.0f},
                       {12.0f, 0.0f},
                       {12.0f, -kRoomNear - 1.8f},
                       {12.0f, -7.0f},
                       {15.0f, 0.0f},
                       {4.0f, 7.0f},
                       {7.2f, 4.6f}};
  level04.edges = {1, 9, 8, 2, 2, 3, 3, 4, 4, 5, 5, 6, 4, 7, 2, 1};
  level04.wallDark = 0x3C4030, level04.wallLight = 0xA4B084;
  level04.titleEnglish = "The bridge", level04.titleGerman =
                                           "Die Br\xFC"
                                           "cke";
  level04.briefingEnglish =
      "Level 4: the bridge. Out of the hall, past the guard, through the door across the corridor.";
  level04.briefingGerman =
      "Level 4: die Br\xFC"
      "cke. Aus der Halle, an der Wache vorbei, durch die T\xFC"
      "r gegen\xFC"
      "ber.";

  // The level a finished game continued once more reaches: level04's
  // rooms, men and devices in their own colours.
  LevelPlan level05 = level04;
  level05.name = "level05";
  level05.wallDark = 0x30383F, level05.wallLight = 0x8498B0;
  level05.titleEnglish = "The tower", level05.titleGerman = "Der Turm";
  level05.briefingEnglish =
      "Level 5: the tower. Out of the hall, past the guard, up through the door across the corridor.";
  level05.briefingGerman =
      "Level 5: der Turm. Aus der Halle, an der Wache vorbei, hinauf durch die T\xFC"
      "r gegen\xFC"
      "ber.";
  return {level02, level03, level04, level05};
}

}  // namespace

const std::vector<LevelPlan>& Plans() {
  static const std::vector<LevelPlan> plans = BuildPlans();
  return plans;
}

std::string Folder(const LevelPlan& plan) { return "data/" + plan.name + "/"; }

std::string TexturePrefix(const LevelPlan& plan) { return "l" + plan.name.substr(5) + "_"; }

}  // namespace levels
}  // namespace demo
