// The pixel packers behind the conversion standard functions, shared with the
// driver's raster and native texture code.
#pragma once

#include "engine/driver/d3d8/d3d8convert.h"

// Packs a colour by the pixel nibble of the format flags (default as 8888).
// False (kRwErrInvalidRasterFormat recorded) for a format without a packer.
RwBool _rwD3D8PackColour(const RwRGBA* colour, RwUInt32 formatFlags, RwUInt32* pixel);
// Unpacks a pixel by the format flags; with PAL8 the four pixel bytes are
// the colour. False (recorded) for a format without an unpacker.
RwBool _rwD3D8UnpackPixel(RwUInt32 pixel, RwUInt32 formatFlags, RwRGBA* colour);
