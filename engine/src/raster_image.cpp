// Conversions between images and rasters and the choice of a raster format
// for an image; the pixel work itself is the driver's.
#include "engine/src/image.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/raster.h"
#include "engine/src/raster_internal.h"

namespace {

RwBool CallDriver(RwStandardFunctionSlot slot, void* target, void* object, RwInt32 number) {
  return RwEngineInstance->standardFunctions[slot](target, object, number);
}

}  // namespace

RwImage* RwImageSetFromRaster(RwImage* image, RwRaster* raster) {
  if (!CallDriver(kRwStdImageGetRaster, image, raster, 0)) {
    return nullptr;
  }
  if (raster->privateFlags & kRwRasterGammaCorrected) {
    image->flags |= kRwImageGammaCorrected;
  }
  return image;
}

RwRaster* RwRasterSetFromImage(RwRaster* raster, RwImage* image) {
  if (!CallDriver(kRwStdRasterSetImage, raster, image, 0)) {
    return nullptr;
  }
  if (image->flags & kRwImageGammaCorrected) {
    raster->privateFlags |= kRwRasterGammaCorrected;
  }
  return raster;
}

RwImage* RwImageFindRasterFormat(RwImage* image, RwUInt32 rasterType, RwInt32* width, RwInt32* height, RwInt32* depth,
                                 RwUInt32* format) {
  // The driver may fill its extension too, so the scratch has the full size.
  RwRaster* scratch = _rwRasterAllocateScratch();
  if (scratch == nullptr) {
    return nullptr;
  }
  const RwBool found = CallDriver(kRwStdImageFindRasterFormat, scratch, image, static_cast<RwInt32>(rasterType));
  if (found) {
    *width = scratch->width;
    *height = scratch->height;
    *depth = scratch->depth;
    *format = static_cast<RwUInt32>(scratch->type) | (static_cast<RwUInt32>(scratch->format) << 8);
  }
  _rwRasterFreeScratch(scratch);
  return found ? image : nullptr;
}
