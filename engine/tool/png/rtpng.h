// The PNG reader: registered for "png" with the image format registry, it
// decodes through libpng, reading through the engine's streams and allocating
// through the engine's memory functions.
#pragma once

#include "engine/src/image.h"

constexpr RwInt32 kRtPNGPluginId = 0x10D;

// Reads the named file into a new image: depth 4 or 8 with a palette for
// palette and grey files, depth 32 (red, green, blue, alpha) otherwise.
RwImage* RtPNGImageRead(const RwChar* imageName);
