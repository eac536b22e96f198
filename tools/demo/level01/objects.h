// The first level's placed objects, waypoints and particle placements, as
// the objects, props and locator files give them.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace demo {
namespace level01 {

// One placed object: the OBJECTS key of its class, its model (and locator
// file) name, its own name (its PROPS group), where it stands, its heading
// in degrees about y (0: its 'at' axis along +z), its locator data and its
// properties.
typedef std::vector<std::pair<std::string, std::string>> Keys;

struct Placed {
  std::string key;
  std::string model;
  std::string name;
  float x, y, z;
  float heading;
  std::string data;
  Keys keys;
};

// Wall fittings stand this far out from a wall's face.
constexpr float kOnTheWall = 0.05f;
// A length for a property file, to the centimetre.
std::string Number(float value);

// The use keys of a device standing against a wall and facing out of it,
// then the given ones.
Keys WallUse(const Keys& more);

const std::vector<Placed>& PlacedObjects();
// The OBJECTS keys of the object classes, in the loader's order.
const std::vector<std::string>& ObjectKeys();

struct Waypoint {
  float x, z;
};
// Waypoint n (from 1) is element n - 1; EDGES pairs their numbers.
const std::vector<Waypoint>& Waypoints();
const std::vector<int>& Edges();
// The particle files placed in the level (locators in the level's folder).
const std::vector<std::string>& ParticleNames();

// "[a, b, c]".
std::string ListText(const std::vector<std::string>& names);

}  // namespace level01
}  // namespace demo
