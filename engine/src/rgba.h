// The engine's 8-bit colour, used by camera clears, images, textures and lights.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwRGBA {
  RwUInt8 red;
  RwUInt8 green;
  RwUInt8 blue;
  RwUInt8 alpha;
};
