// The map views' data: a level's plan as one atomic of flat, pre-lit quads
// (the first atomic's sphere bounds the full map's panning), and the marker
// textures the map views read.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "tools/demo/data_folder.h"

namespace demo {

// An axis-aligned quad of the plan from (x0, z0) to (x1, z1); later quads
// lie a little higher and so cover earlier ones.
struct PlanQuad {
  float x0, z0, x1, z1;
  RwRGBA colour;
};

// A clump of one atomic holding every quad at y near 0, seen from above and
// below, in its colour without lighting; null on failure.
RpClump* PlanClumpCreate(const std::vector<PlanQuad>& quads);
// Its model file's bytes; false on failure.
bool PlanBytes(const std::vector<PlanQuad>& quads, std::vector<uint8_t>* bytes);

// The full map draws a plan point with a larger x further left and one with
// a larger z further up: the plan seen from below. Turned half round (the
// levels' MAP_ANGLE, degrees) it shows as seen from above, east to the right,
// as the player sees the level from the start facing east: the rooms on his
// right below the corridor, those on his left above it.
constexpr int kMapAngle = 180;

namespace level01 {
// The plan of the first level over its model "map", the cone and security
// camera textures. False when the plan cannot be written.
bool WriteMapData(DataFolder& data);
}  // namespace level01

}  // namespace demo
