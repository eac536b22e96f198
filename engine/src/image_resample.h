// Area-averaging resampling of 32-bit images to another size, used when an
// image is put into a raster of a different size and for mip levels.
#pragma once

#include "engine/src/image.h"

// Fills the destination's width x height from the whole source; both must be
// 32-bit with pixels. The destination's gamma flag follows the source's.
// Null (error recorded) for other depths or missing pixels.
RwImage* RwImageResample(RwImage* destination, const RwImage* source);
// A new 32-bit image of the given size resampled from the source (4- and
// 8-bit sources are expanded through their palette first), or null.
RwImage* RwImageCreateResample(const RwImage* source, RwInt32 width, RwInt32 height);
