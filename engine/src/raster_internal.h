// Raster internals shared with the display driver.
#pragma once

#include "engine/src/raster.h"

// A zeroed record of the full raster size (extensions included) that is not a
// raster yet, for driver calls that fill a scratch raster; and its release.
RwRaster* _rwRasterAllocateScratch(void);
void _rwRasterFreeScratch(RwRaster* scratch);
