// Pixel conversion between images and rasters for the Direct3D 8 driver:
// packing colours into pixels of each raster format and back, filling rasters
// from images and images from rasters, and choosing a raster format for an
// image. The standard functions take (target, object, number).
#pragma once

#include "engine/src/image.h"
#include "engine/src/raster.h"
#include "engine/src/rgba.h"

// Standard function 2: (RwUInt32* pixel out, const RwRGBA* colour, format flags).
RwBool RwD3D8RGBToPixel(void* pixel, void* colour, RwInt32 formatFlags);
// Standard function 3: (RwRGBA* colour out, const RwUInt32* pixel, format flags).
RwBool RwD3D8PixelToRGB(void* colour, void* pixel, RwInt32 formatFlags);
// Standard function 6: (RwImage*, RwRaster*, unused) fills the image.
RwBool RwD3D8ImageGetFromRaster(void* image, void* raster, RwInt32 unused);
// Standard function 7: (RwRaster*, RwImage*, unused) fills the raster, through
// a resampled copy when the sizes differ.
RwBool RwD3D8RasterSetFromImage(void* raster, void* image, RwInt32 unused);
// Standard function 9: (scratch RwRaster*, RwImage*, raster type and flags)
// gives the scratch raster the size, depth, type and format to create.
RwBool RwD3D8ImageFindRasterFormat(void* scratchRaster, void* image, RwInt32 flags);
// The format flags best suited to the image on this device.
RwUInt32 RwD3D8ImageFindFormat(const RwImage* image);
