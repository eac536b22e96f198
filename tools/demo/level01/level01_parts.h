// The parts of the first level, each written by a file of its own, and the
// plan they share: where the rooms, the corridor and the doorways lie, and
// where the level's files go.
//
// The plan, seen from above (x to the right, z up), floor at y 0, ceilings
// at 3: a corridor runs along x from -1 to 24 between z -2.75 and 2.75, wide
// and long enough that the camera following a player who faces across it,
// or who stands at the start (x 2) facing east, stays inside. Room A (x 0 to
// 8) and room B (x 16 to 24) lie north of it, room C (x 8 to 16) and room D
// (x 16.2 to 24, the way out) south, each behind a wall 0.2 thick and
// reaching to 9.7 from the corridor's middle. One doorway a room, 1.6 wide
// and 2.4 high, at x 4 (A), 20 (B), 12 (C) and 20 (D). A and B cannot see
// each other: both doorways open in the same wall.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/demo/data_folder.h"
#include "tools/forge/forge.h"

namespace demo {
namespace level01 {

constexpr char kLevelName[] = "level01";
constexpr char kFolder[] = "data/level01/";
constexpr char kBspPath[] = "data/level01/level01.bsp";
constexpr char kTwinPath[] = "data/level01/collision/level01.bsp";
constexpr char kModelFolder[] = "data/level01/models/";
constexpr char kLocatorFolder[] = "data/level01/xrf/";
constexpr char kObjectsPath[] = "data/level01/objects";
constexpr char kPropsPath[] = "data/level01/props";
constexpr char kLightmapPrefix[] = "data/level01/lightmap_";
constexpr char kTextsPrefix[] = "data/level01/texts";
constexpr char kGraphPath[] = "data/level01/waypoints";
constexpr char kSkyPath[] = "data/level01/models/sky";
constexpr char kMapPath[] = "data/level01/models/map.dff";

// Textures land in one dictionary by their names, whatever their folder:
// the level's own carry a prefix, so that none takes the place of a texture
// the game reads from another folder by the same name ("seccam").
constexpr char kTexturePrefix[] = "l01_";

constexpr float kRoomHeight = 3.0f;
constexpr float kWallThickness = 0.2f;
constexpr float kCorridorHalfWidth = 2.75f;
// The corridor's west end: it reaches past the rooms' west walls (x 0).
constexpr float kCorridorWestEnd = -1.0f;
// The rooms' near and far walls' faces, measured from the corridor's middle.
constexpr float kRoomNear = kCorridorHalfWidth + kWallThickness;
// The middle of a corridor wall, where its doorways stand.
constexpr float kWallMiddle = kCorridorHalfWidth + kWallThickness * 0.5f;
constexpr float kRoomFar = 9.7f;
constexpr float kDoorwayWidth = 1.6f;
constexpr float kDoorwayHeight = 2.4f;

// An axis-aligned region of the plan (y from the floor to the ceiling).
struct Area {
  const char* name;
  float x0, z0, x1, z1;
};

// The corridor and the four rooms, in that order.
const std::vector<Area>& Spaces();

// A doorway: its centre on the ground and the room it leads into.
struct Doorway {
  float x;
  float z;           // the middle of the wall it pierces
  int room;          // index into Spaces()
  const char* door;  // the door standing in it
};
const std::vector<Doorway>& Doorways();

// A shell of spaces joined by doorways, of three materials (floor, wall,
// ceiling): floors, ceilings, walls pierced by the doorways and the short
// passages through them, cut into cells of at most two units a side so that
// the sectors stay local, faces turned into the spaces they bound, each
// vertex prelit by the function.
ForgeSoup BuildShell(const std::vector<Area>& spaces, const std::vector<Doorway>& doorways,
                     const std::vector<ForgeMaterial>& materials, const std::function<RwRGBA(const RwV3d&)>& prelight);

// The map markers of the devices' ICON keys ("data/textures/iconN"), the
// same on every level: the way out's door blinks on the maps.
enum Icon {
  kIconDoor = 1,
  kIconControl = 2,  // buttons, panels and levers
  kIconPickup = 3,   // things to take
  kIconWayOut = 4,
  kIconCount = 4,
};
constexpr int kFlashIcon = kIconWayOut;

// Level messages are counted from 1 in the property files; the texts hold
// at least this many, the search's among them (search_texts.h).
constexpr int kMessageCount = 75;
constexpr int kMissionObjectives = 4;

// Writers of the level's parts; false when an engine writer failed.
bool WriteGeometry(DataFolder& data);  // render world, twin, lightmaps, world textures
bool WriteModels(DataFolder& data);    // every model, its twin and its textures
void WriteObjects(DataFolder& data);   // objects and props files, locators, waypoints, particle placements
void WriteTexts(DataFolder& data);     // both languages
void WriteMen(DataFolder& data);       // men.txt and camera.txt
std::string BossGroups();              // the boss's men groups (npcs.cpp)

// The level group and the light groups for "data/config.txt"; the level
// group's lightmap keys.
std::string ConfigGroups();
std::string LightmapKeys();

// Image helpers shared by the world and the models: a 24-bit BMP of a
// deterministic pattern, and its 8-bit mask companion.
std::vector<uint8_t> PatternBitmap(int width, int height, uint32_t dark, uint32_t light, uint32_t seed);
std::vector<uint8_t> GlowBitmap(int size, uint32_t colour);
std::vector<uint8_t> GlowMaskBitmap(int size);

}  // namespace level01
}  // namespace demo
