// Parallel cameras that draw rasters into camera-texture rasters: the
// shadow image's down-sampling and blur and the mirrors' softening.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// A parallel camera on a frame of its own with a depth raster of width x
// height (stored in *depth); null when the camera cannot be made.
RwCamera* CreateTextureCamera(RwInt32 width, RwInt32 height, RwRaster** depth);
// Destroys the camera with its frame, and the depth raster; nothing for null.
void DestroyTextureCamera(RwCamera* camera, RwRaster* depth);
// One screen quad over the whole target from the source, bilinear, replacing
// what is there (depth test off, blend one / zero); texture coordinates run
// from uvOffset to 1 + uvOffset. Depth test and blending are put back.
void DrawRasterInto(RwCamera* camera, RwRaster* source, RwRaster* target, f32 uvOffset);
