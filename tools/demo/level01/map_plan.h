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

namespace level01 {
// The plan of the first level over its model "map", the cone, security
// camera and fourth icon textures. False when the plan cannot be written.
bool WriteMapData(DataFolder& data);
}  // namespace level01

}  // namespace demo
