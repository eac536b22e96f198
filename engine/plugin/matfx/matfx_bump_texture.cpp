// Bump-map textures: the combined texture that carries the material's colours
// with the height source's brightness as alpha, its interleaved name, and the
// bump-map slot's source, found in the current dictionary or built.
#include <cstring>

#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/image.h"
#include "engine/src/image_resample.h"
#include "engine/src/plcore/error.h"
#include "engine/src/raster.h"
#include "engine/src/texture.h"
#include "engine/world/material.h"

namespace {

// Names stop growing once this many characters are written; one step may
// add two, which still leaves room for the terminator.
constexpr RwInt32 kBumpNameStop = kRwTextureNameLength - 2;
constexpr RwUInt32 kWhiteOpaque = 0xFFFFFFFFu;
constexpr RwUInt32 kInheritedFormatBits = rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP;

RwInt32 RasterWidth(const RwTexture* texture) {
  return texture != nullptr && texture->raster != nullptr ? texture->raster->width : 0;
}

// The raster's pixels as a new 32-bit image; null on failure.
RwImage* ImageOfRaster(RwRaster* raster) {
  RwImage* image = RwImageCreate(raster->width, raster->height, 32);
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr || RwImageSetFromRaster(image, raster) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  return image;
}

RwImage* WhiteImage(RwInt32 width, RwInt32 height) {
  RwImage* image = RwImageCreate(width, height, 32);
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  for (RwInt32 y = 0; y < height; y++) {
    RwUInt8* row = image->pixels + static_cast<size_t>(y) * static_cast<size_t>(image->stride);
    std::memset(row, 0xFF, static_cast<size_t>(width) * sizeof(kWhiteOpaque));
  }
  return image;
}

// The colour image with the source's heights as alpha, resampling the
// source to the colour image's size first. False on failure.
bool ApplyHeights(RwImage* colour, RwImage** heights) {
  if ((*heights)->width != colour->width || (*heights)->height != colour->height) {
    RwImage* resampled = RwImageCreateResample(*heights, colour->width, colour->height);
    if (resampled == nullptr) {
      return false;
    }
    RwImageDestroy(*heights);
    *heights = resampled;
  }
  return RwImageMakeMask(*heights) != nullptr && RwImageApplyMask(colour, *heights) != nullptr;
}

// A texture raster made from the image; the mip-map bits follow the model
// raster's.
RwRaster* RasterOfImage(RwImage* image, const RwRaster* model) {
  RwInt32 width = 0;
  RwInt32 height = 0;
  RwInt32 depth = 0;
  RwUInt32 format = 0;
  if (RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE, &width, &height, &depth, &format) == nullptr) {
    return nullptr;
  }
  format |= (static_cast<RwUInt32>(model->format) << 8) & kInheritedFormatBits;
  RwRaster* raster = RwRasterCreate(width, height, depth, format);
  if (raster == nullptr) {
    return nullptr;
  }
  if (RwRasterSetFromImage(raster, image) == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  return raster;
}

}  // namespace

void _rpMatFXBumpMapName(RwChar name[kRwTextureNameLength], const RwChar* baseName, const RwChar* sourceName) {
  RwInt32 written = 0;
  while ((*baseName != '\0' || *sourceName != '\0') && written < kBumpNameStop) {
    if (*baseName != '\0') {
      name[written++] = *baseName++;
    }
    if (*sourceName != '\0') {
      name[written++] = *sourceName++;
    }
  }
  name[written] = '\0';
}

RwTexture* RpMatFXCreateBumpMapTexture(RwTexture* base, RwTexture* source) {
  if (source == nullptr || source->raster == nullptr || (base != nullptr && base->raster == nullptr)) {
    RwErrorRaise(kRpMatFXPluginId, kRwErrNullArgument);
    return nullptr;
  }
  RwImage* heights = ImageOfRaster(source->raster);
  RwImage* colour = nullptr;
  if (heights != nullptr) {
    colour = base != nullptr ? ImageOfRaster(base->raster) : WhiteImage(heights->width, heights->height);
  }
  const RwTexture* model = base != nullptr ? base : source;
  RwRaster* raster = nullptr;
  if (colour != nullptr && ApplyHeights(colour, &heights)) {
    raster = RasterOfImage(colour, model->raster);
  }
  if (colour != nullptr) {
    RwImageDestroy(colour);
  }
  if (heights != nullptr) {
    RwImageDestroy(heights);
  }
  if (raster == nullptr) {
    return nullptr;
  }
  RwTexture* texture = RwTextureCreate(raster);
  if (texture == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  RwTextureSetFilterMode(texture, RwTextureGetFilterMode(model));
  const RwUInt32 addressingU = RwTextureGetAddressingU(model);
  const RwUInt32 addressing = addressingU == RwTextureGetAddressingV(model) ? addressingU : kRwTextureAddressNone;
  RwTextureSetAddressingU(texture, addressing);
  RwTextureSetAddressingV(texture, addressing);
  RwChar name[kRwTextureNameLength];
  _rpMatFXBumpMapName(name, base != nullptr ? base->name : source->name, source->name);
  RwTextureSetName(texture, name);
  return texture;
}

RpMaterial* RpMatFXMaterialSetBumpMapTexture(RpMaterial* material, RwTexture* source) {
  RpMatFXEffectSlot* slot = RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap);
  if (slot == nullptr) {
    RwErrorRaise(kRpMatFXPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  RpMatFXBumpMapData* bump = &slot->bumpMap;
  _rpMatFXTextureReplace(&bump->sourceTexture, nullptr);
  _rpMatFXTextureReplace(&bump->bumpTexture, nullptr);
  bump->inverseBumpWidth = 0.0f;
  RwTexture* base = RpMaterialGetTexture(material);
  if (source == nullptr) {
    bump->inverseBumpWidth = _rpMatFXInverseRasterWidth(base);
    return material;
  }
  _rpMatFXTextureReplace(&bump->sourceTexture, source);
  // Without a material texture the combined texture is built from the
  // source alone, so the source's width stands in for the base's.
  const RwInt32 baseWidth = base != nullptr ? RasterWidth(base) : RasterWidth(source);
  if (RasterWidth(source) <= 0 || baseWidth <= 0) {
    return material;
  }
  RwChar name[kRwTextureNameLength];
  _rpMatFXBumpMapName(name, base != nullptr ? base->name : source->name, source->name);
  RwTexDictionary* dictionary = RwTexDictionaryGetCurrent();
  RwTexture* found = dictionary != nullptr ? RwTexDictionaryFindNamedTexture(dictionary, name) : nullptr;
  if (found != nullptr) {
    bump->bumpTexture = RwTextureAddRef(found);
  } else {
    bump->bumpTexture = RpMatFXCreateBumpMapTexture(base, source);
    if (bump->bumpTexture != nullptr && dictionary != nullptr) {
      RwTexDictionaryAddTexture(dictionary, bump->bumpTexture);
    }
  }
  bump->inverseBumpWidth = _rpMatFXInverseRasterWidth(bump->bumpTexture);
  return material;
}
