// The engine's colours: 8-bit components (camera clears, images, textures,
// materials) and reals (lights).
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwRGBA {
  RwUInt8 red;
  RwUInt8 green;
  RwUInt8 blue;
  RwUInt8 alpha;
};

// A colour of reals, 0.0 to 1.0 a component (lights).
struct RwRGBAReal {
  RwReal red;
  RwReal green;
  RwReal blue;
  RwReal alpha;
};
