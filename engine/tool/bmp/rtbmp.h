// The Windows bitmap reader: registered for "bmp" with the image format
// registry, it reads 1-, 4-, 8-, 15/16-, 24- and 32-bit bitmaps, uncompressed
// or 8-bit run-length encoded, with the info header or the older core header.
#pragma once

#include "engine/src/image.h"

constexpr RwInt32 kRtBMPPluginId = 0x19D;

// Reads the named file into a new image (depth 4, 8 or 32); null on failure.
RwImage* RtBMPImageRead(const RwChar* imageName);
