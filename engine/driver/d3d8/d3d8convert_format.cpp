// The raster format an image is best kept in on this device, and the size,
// depth and format a raster of a given type takes for an image.
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"

namespace {

constexpr RwUInt8 kAlphaSmooth = 16;  // alphas from here to 254 need more than one alpha bit
constexpr RwUInt8 kOpaque = 255;

// The alphas of a 32-bit image: smooth (one between 16 and 254), cut out
// (only below 16 and 255) or opaque.
enum class Alphas { kOpaque, kCutOut, kSmooth };

Alphas ExamineAlphas(const RwImage* image) {
  Alphas found = Alphas::kOpaque;
  for (RwInt32 y = 0; y < image->height; ++y) {
    const RwUInt8* row = image->pixels + static_cast<size_t>(y) * image->stride;
    for (RwInt32 x = 0; x < image->width; ++x) {
      const RwUInt8 alpha = row[4 * static_cast<size_t>(x) + 3];
      if (alpha >= kAlphaSmooth && alpha < kOpaque) {
        return Alphas::kSmooth;
      }
      if (alpha < kOpaque) {
        found = Alphas::kCutOut;
      }
    }
  }
  return found;
}

// Whether the indexed image needs its palette's alpha: only when a pixel
// uses an entry that is not opaque.
bool PaletteAlphaUsed(const RwImage* image) {
  const RwInt32 entries = 1 << image->depth;
  bool anyTranslucent = false;
  for (RwInt32 i = 0; i < entries; ++i) {
    anyTranslucent = anyTranslucent || image->palette[4 * i + 3] != kOpaque;
  }
  if (!anyTranslucent) {
    return false;
  }
  for (RwInt32 y = 0; y < image->height; ++y) {
    const RwUInt8* row = image->pixels + static_cast<size_t>(y) * image->stride;
    for (RwInt32 x = 0; x < image->width; ++x) {
      if (image->palette[4 * (row[x] & (entries - 1)) + 3] != kOpaque) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

RwUInt32 RwD3D8ImageFindFormat(const RwImage* image) {
  const bool deep = _rwD3D8RasterDisplayDepth() > 16;
  if (image->depth == 32 && image->pixels != nullptr) {
    switch (ExamineAlphas(image)) {
      case Alphas::kSmooth:
        if (deep && _rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT8888)) return rwRASTERFORMAT8888;
        return _rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT4444) ? rwRASTERFORMAT4444 : rwRASTERFORMAT1555;
      case Alphas::kCutOut:
        if (!deep) return rwRASTERFORMAT1555;
        return _rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT8888) ? rwRASTERFORMAT8888 : rwRASTERFORMAT1555;
      case Alphas::kOpaque:
        if (!deep) return rwRASTERFORMAT565;
        return _rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT888) ? rwRASTERFORMAT888 : rwRASTERFORMAT565;
    }
  }
  if ((image->depth == 8 || image->depth == 4) && image->pixels != nullptr && image->palette != nullptr) {
    const RwUInt32 palette = image->depth == 8 ? rwRASTERFORMATPAL8 : rwRASTERFORMATPAL4;
    return palette | (PaletteAlphaUsed(image) ? rwRASTERFORMAT8888 : rwRASTERFORMAT888);
  }
  return rwRASTERFORMAT8888;
}

RwBool RwD3D8ImageFindRasterFormat(void* scratchObject, void* imageObject, RwInt32 number) {
  RwRaster* scratch = static_cast<RwRaster*>(scratchObject);
  const RwImage* image = static_cast<const RwImage*>(imageObject);
  const RwUInt32 flags = static_cast<RwUInt32>(number);
  const RwUInt32 type = flags & rwRASTERTYPEMASK;
  const RwUInt32 mipFlags = flags & (rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  scratch->width = image->width;
  scratch->height = image->height;
  scratch->depth = 0;
  switch (type) {
    case rwRASTERTYPENORMAL:
      RwD3D8RasterAdjustSize(scratch, type);
      return RwD3D8RasterSetFormat(scratch, (RwD3D8ImageFindFormat(image) | flags) & ~mipFlags);
    case rwRASTERTYPEZBUFFER:
    case rwRASTERTYPECAMERA:
      return RwD3D8RasterSetFormat(scratch, flags);
    case rwRASTERTYPETEXTURE:
    case rwRASTERTYPECAMERATEXTURE:
      RwD3D8RasterAdjustSize(scratch, type);
      return RwD3D8RasterSetFormat(scratch, type | RwD3D8ImageFindFormat(image) | mipFlags);
    default:
      _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
  }
}
