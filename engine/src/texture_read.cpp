// Reading textures from image files: the default read, images fitted to the
// raster format the driver chooses, mip levels read from files named with a
// level suffix or generated from level 0, and palettes shared by all levels.
#include <cstring>

#include "engine/driver/d3d8/palquant.h"
#include "engine/src/image_resample.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/texture.h"
#include "engine/src/texture_internal.h"

namespace {

constexpr RwUInt32 kTextureRasterType = rwRASTERTYPETEXTURE;
constexpr RwUInt32 kLevelLockMode = 5;  // write, plus the bit that asks for the level's description
constexpr RwInt32 kMaxPaletteBytes = 1024;
constexpr RwInt32 kMaxMipLevels = 16;
constexpr RwInt32 kMipSuffixRoom = 2;  // "m" and one hexadecimal digit
// A name buffer of a read: the name, a mip suffix, and its NUL.
constexpr RwInt32 kNameBufferBytes = kRwTextureReadNameLength + kMipSuffixRoom;
// Room for a found file extension behind a name.
constexpr RwInt32 kNameWithExtensionBytes = kNameBufferBytes + kRwImageExtensionChars;

RwTextureGlobals* Globals() { return _rwTextureGlobals(); }

RwBool IsPalettised(RwUInt32 format) { return (format & (rwRASTERFORMATPAL8 | rwRASTERFORMATPAL4)) != 0; }

RwUInt32 RasterFormatFlags(const RwRaster* raster) { return static_cast<RwUInt32>(raster->format) << 8; }

RwInt32 PaletteBits(RwUInt32 format) { return (format & rwRASTERFORMATPAL4) ? 4 : 8; }

// The name (and the mask, empty when null) copied into read buffers, cut at
// 255 characters with kRwErrTextureNameTooLong.
void CopyReadNames(RwChar* name, RwChar* mask, const RwChar* sourceName, const RwChar* sourceMask) {
  _rwTextureCopyName(name, sourceName, kRwTextureReadNameLength);
  mask[0] = '\0';
  if (sourceMask != nullptr && sourceMask[0] != '\0') {
    _rwTextureCopyName(mask, sourceMask, kRwTextureReadNameLength);
  }
}

// Appends the extension of the first registered file type found for name.
void AppendFoundExtension(RwChar* buffer) {
  const RwChar* extension = RwImageFindFileType(buffer);
  if (extension != nullptr) {
    std::strncat(buffer, extension, kNameWithExtensionBytes - std::strlen(buffer) - 1);
  }
}

RwTexture* CreateNamedTexture(RwRaster* raster, const RwChar* name, const RwChar* maskName) {
  RwTexture* texture = RwTextureCreate(raster);
  if (texture == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  RwTextureSetName(texture, name);
  RwTextureSetMaskName(texture, maskName != nullptr ? maskName : "");
  return texture;
}

// A 32-bit image of the source's size: a copy unless the source is 32-bit
// already (then the source itself).
RwImage* ThirtyTwoBitImage(RwImage* source) {
  if (source->depth == 32) {
    return source;
  }
  RwImage* copy = RwImageCreate(source->width, source->height, 32);
  if (copy == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(copy) == nullptr || RwImageCopy(copy, source) == nullptr) {
    RwImageDestroy(copy);
    return nullptr;
  }
  return copy;
}

// Quantises a 32-bit image back to depth bits; null when the quantiser or
// the image cannot be made (the caller keeps the 32-bit image then).
RwImage* Requantise(const RwImage* image, RwInt32 depth) {
  RwPalQuant quantiser;
  if (!RwPalQuantInit(&quantiser)) {
    return nullptr;
  }
  RwImage* result = nullptr;
  RwUInt8 palette[kMaxPaletteBytes];
  if (RwPalQuantAddImage(&quantiser, image, 1.0f)) {
    RwPalQuantResolvePalette(palette, 1 << depth, &quantiser);
    result = RwImageCreate(image->width, image->height, depth);
    if (result != nullptr && RwImageAllocatePixels(result) == nullptr) {
      RwImageDestroy(result);
      result = nullptr;
    }
    if (result != nullptr) {
      RwPalQuantMatchImage(result->pixels, result->stride, depth, 0, &quantiser, image);
      std::memcpy(result->palette, palette, static_cast<size_t>(4) << depth);
      result->flags |= image->flags & kRwImageGammaCorrected;
    }
  }
  RwPalQuantTerm(&quantiser);
  return result;
}

// The image resampled to width x height at 32 bits and, when it came with a
// palette, quantised back to its depth. The source is consumed.
RwImage* FitImage(RwImage* image, RwInt32 width, RwInt32 height) {
  const RwInt32 sourceDepth = image->depth;
  RwImage* source = ThirtyTwoBitImage(image);
  if (source != image) {
    RwImageDestroy(image);
  }
  if (source == nullptr) {
    return nullptr;
  }
  RwImage* resampled = RwImageCreate(width, height, 32);
  if (resampled == nullptr) {
    RwImageDestroy(source);
    return nullptr;
  }
  if (RwImageAllocatePixels(resampled) == nullptr || RwImageResample(resampled, source) == nullptr) {
    RwImageDestroy(resampled);
    RwImageDestroy(source);
    return nullptr;
  }
  RwImageDestroy(source);
  if (sourceDepth != 4 && sourceDepth != 8) {
    return resampled;
  }
  RwImage* quantised = Requantise(resampled, sourceDepth);
  if (quantised == nullptr) {
    return resampled;
  }
  RwImageDestroy(resampled);
  return quantised;
}

void DestroyImages(RwImage** images, RwInt32 count, const RwImage* keep) {
  for (RwInt32 i = 0; i < count; ++i) {
    if (images[i] != nullptr && images[i] != keep) {
      RwImageDestroy(images[i]);
    }
    images[i] = nullptr;
  }
}

// Gamma correction of the levels: a palettised raster shares one palette,
// so only level 0 is corrected (which corrects that palette).
void GammaCorrectLevels(RwImage** images, RwInt32 count, RwBool palettised) {
  for (RwInt32 i = 0; i < (palettised ? 1 : count); ++i) {
    RwImageGammaCorrect(images[i]);
  }
  if (!palettised) {
    return;
  }
  // Levels that kept palettes of their own carry copies of the shared one.
  for (RwInt32 i = 1; i < count; ++i) {
    if (images[i]->palette != images[0]->palette && images[i]->depth == images[0]->depth) {
      std::memcpy(images[i]->palette, images[0]->palette, static_cast<size_t>(4) << images[0]->depth);
      images[i]->flags |= images[0]->flags & kRwImageGammaCorrected;
    }
  }
}

// Sets every level of the raster from its image, destroying the images
// (except keep). False when a level cannot be set.
RwBool SetLevelsFromImages(RwRaster* raster, RwImage** images, RwInt32 count, const RwImage* keep) {
  RwBool ok = TRUE;
  for (RwInt32 level = 0; level < count; ++level) {
    if (ok && RwRasterLock(raster, static_cast<RwUInt8>(level), kLevelLockMode) != nullptr) {
      if (RwRasterSetFromImage(raster, images[level]) == nullptr) {
        ok = FALSE;
      }
      RwRasterUnlock(raster);
    }
    if (images[level] != keep) {
      RwImageDestroy(images[level]);
    }
    images[level] = nullptr;
  }
  return ok;
}

// Sets a single-level raster from its image; the image is consumed.
RwRaster* SetRasterFromImage(RwRaster* raster, RwImage* image) {
  RwImageGammaCorrect(image);
  RwRaster* result = RwRasterSetFromImage(raster, image);
  RwImageDestroy(image);
  return result;
}

// Level 0 read and raster creation shared by both reads; null with nothing
// left behind on failure.
RwRaster* ReadLevelZero(RwChar* name, RwChar* mask, RwUInt32 rasterFlags, RwImage** image) {
  Globals()->mipmapNameFunc(name, mask, 0, rasterFlags);
  RwInt32 width = 0;
  RwInt32 height = 0;
  RwInt32 depth = 0;
  RwUInt32 format = 0;
  *image = RwTextureReadImage(name, mask, rasterFlags, &width, &height, &depth, &format);
  if (*image == nullptr) {
    return nullptr;
  }
  format |= rasterFlags & (rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  RwRaster* raster = RwRasterCreate(width, height, depth, format);
  if (raster == nullptr) {
    RwImageDestroy(*image);
    *image = nullptr;
  }
  return raster;
}

}  // namespace

RwBool RwTextureGenerateMipmapName(RwChar* name, RwChar* maskName, RwInt32 mipLevel, RwUInt32 /*rasterFlags*/) {
  static const RwChar kDigits[] = "0123456789abcdef";
  if (mipLevel < 1 || mipLevel >= kMaxMipLevels) {
    return TRUE;
  }
  const RwChar suffix[] = {'m', kDigits[mipLevel], '\0'};
  std::strcat(name, suffix);
  if (maskName != nullptr && maskName[0] != '\0') {
    std::strcat(maskName, suffix);
  }
  return TRUE;
}

RwImage* RwTextureReadImage(const RwChar* name, const RwChar* maskName, RwUInt32 rasterFlags, RwInt32* width,
                            RwInt32* height, RwInt32* depth, RwUInt32* format) {
  RwChar nameBuffer[kNameWithExtensionBytes];
  RwChar maskBuffer[kNameWithExtensionBytes];
  _rwTextureCopyName(nameBuffer, name, kNameBufferBytes);
  AppendFoundExtension(nameBuffer);
  maskBuffer[0] = '\0';
  if (maskName != nullptr && maskName[0] != '\0') {
    _rwTextureCopyName(maskBuffer, maskName, kNameBufferBytes);
    AppendFoundExtension(maskBuffer);
  }
  RwImage* image = RwImageReadMaskedImage(nameBuffer, maskBuffer);
  if (image == nullptr) {
    return nullptr;
  }
  if (*width == 0 || *height == 0) {
    if (RwImageFindRasterFormat(image, rasterFlags, width, height, depth, format) == nullptr) {
      RwImageDestroy(image);
      RwErrorRaise(kRwPluginIdCore, kRwErrImageFormatUnsupported);
      return nullptr;
    }
  }
  if (image->width == *width && image->height == *height) {
    return image;
  }
  return FitImage(image, *width, *height);
}

RwBool RwTexturePalettizeImages(RwUInt8* palette, RwImage* keepImage, RwImage** images, RwInt32 count, RwInt32 bits) {
  // The images keep their pixels when they already share one palette that
  // fits the raster's palette size.
  const RwInt32 firstDepth = images[0]->depth;
  const size_t firstBytes = static_cast<size_t>(4) << firstDepth;
  RwBool shared = images[0]->palette != nullptr && (firstDepth == 4 || firstDepth == 8) && firstDepth <= bits;
  for (RwInt32 i = 1; shared && i < count; ++i) {
    shared = images[i]->palette != nullptr && images[i]->depth == firstDepth &&
             std::memcmp(images[i]->palette, images[0]->palette, firstBytes) == 0;
  }
  if (shared) {
    std::memset(palette, 0, static_cast<size_t>(4) << bits);
    std::memcpy(palette, images[0]->palette, firstBytes);
    return TRUE;
  }
  RwPalQuant quantiser;
  if (!RwPalQuantInit(&quantiser)) {
    return FALSE;
  }
  for (RwInt32 i = 0; i < count; ++i) {
    RwPalQuantAddImage(&quantiser, images[i], 1.0f);
  }
  RwPalQuantResolvePalette(palette, 1 << bits, &quantiser);
  RwBool ok = TRUE;
  for (RwInt32 i = 0; i < count && ok; ++i) {
    RwImage* matched = RwImageCreate(images[i]->width, images[i]->height, bits);
    if (matched != nullptr && RwImageAllocatePixels(matched) == nullptr) {
      RwImageDestroy(matched);
      matched = nullptr;
    }
    if (matched == nullptr) {
      ok = FALSE;
      break;
    }
    RwPalQuantMatchImage(matched->pixels, matched->stride, bits, 0, &quantiser, images[i]);
    matched->flags |= images[i]->flags & kRwImageGammaCorrected;
    matched->palette = palette;  // the shared output; the pixel block keeps its own unused room
    if (images[i] != keepImage) {
      RwImageDestroy(images[i]);
    }
    images[i] = matched;
  }
  RwPalQuantTerm(&quantiser);
  return ok;
}

RwTexture* RwTextureDefaultRead(const RwChar* name, const RwChar* maskName) {
  if (Globals()->haveTexMipmaps) {
    return RwTextureReadMipmapped(name, maskName);
  }
  RwChar nameBuffer[kNameBufferBytes];
  RwChar maskBuffer[kNameBufferBytes];
  CopyReadNames(nameBuffer, maskBuffer, name, maskName);
  RwImage* image = nullptr;
  RwRaster* raster = ReadLevelZero(nameBuffer, maskBuffer, kTextureRasterType, &image);
  if (raster == nullptr) {
    return nullptr;
  }
  const RwUInt32 format = RasterFormatFlags(raster);
  RwUInt8 palette[kMaxPaletteBytes];
  if (IsPalettised(format) && !RwTexturePalettizeImages(palette, nullptr, &image, 1, PaletteBits(format))) {
    if (image != nullptr) {
      RwImageDestroy(image);
    }
    RwRasterDestroy(raster);
    return nullptr;
  }
  if (SetRasterFromImage(raster, image) == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  return CreateNamedTexture(raster, name, maskName);
}

RwTexture* RwTextureReadMipmapped(const RwChar* name, const RwChar* maskName) {
  RwTextureGlobals* globals = Globals();
  const RwUInt32 rasterFlags = kTextureRasterType | rwRASTERFORMATMIPMAP |
                               (globals->generateTexMipmaps ? static_cast<RwUInt32>(rwRASTERFORMATAUTOMIPMAP) : 0u);
  RwChar nameBuffer[kNameBufferBytes];
  RwChar maskBuffer[kNameBufferBytes];
  CopyReadNames(nameBuffer, maskBuffer, name, maskName);
  RwImage* images[kMaxMipLevels] = {};
  RwRaster* raster = ReadLevelZero(nameBuffer, maskBuffer, rasterFlags, &images[0]);
  if (raster == nullptr) {
    return nullptr;
  }
  const RwUInt32 format = RasterFormatFlags(raster);
  if ((format & rwRASTERFORMATMIPMAP) == 0 || (format & rwRASTERFORMATAUTOMIPMAP) != 0) {
    // One level, or lower levels that the driver's unlock generates.
    if (SetRasterFromImage(raster, images[0]) == nullptr) {
      RwRasterDestroy(raster);
      return nullptr;
    }
    return CreateNamedTexture(raster, name, maskName);
  }
  RwInt32 levels = RwRasterGetNumLevels(raster);
  if (levels < 1) {
    levels = 1;
  }
  if (levels > kMaxMipLevels) {
    levels = kMaxMipLevels;
  }
  for (RwInt32 level = 1; level < levels; ++level) {
    CopyReadNames(nameBuffer, maskBuffer, name, maskName);
    globals->mipmapNameFunc(nameBuffer, maskBuffer, level, rasterFlags);
    if (RwRasterLock(raster, static_cast<RwUInt8>(level), kLevelLockMode) == nullptr) {
      DestroyImages(images, level, nullptr);
      RwRasterDestroy(raster);
      return nullptr;
    }
    RwInt32 width = raster->width;
    RwInt32 height = raster->height;
    RwInt32 depth = raster->depth;
    RwUInt32 levelFormat = RasterFormatFlags(raster);
    RwRasterUnlock(raster);
    images[level] = RwTextureReadImage(nameBuffer, maskBuffer, rasterFlags, &width, &height, &depth, &levelFormat);
    if (images[level] == nullptr) {
      DestroyImages(images, level, nullptr);
      RwRasterDestroy(raster);
      return nullptr;
    }
  }
  RwUInt8 palette[kMaxPaletteBytes];
  const RwBool palettised = IsPalettised(format);
  if (palettised && !RwTexturePalettizeImages(palette, nullptr, images, levels, PaletteBits(format))) {
    DestroyImages(images, levels, nullptr);
    RwRasterDestroy(raster);
    return nullptr;
  }
  GammaCorrectLevels(images, levels, palettised);
  if (!SetLevelsFromImages(raster, images, levels, nullptr)) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  return CreateNamedTexture(raster, name, maskName);
}

RwRaster* RwTextureGenerateMipmapsDefault(RwRaster* raster, RwImage* image) {
  RwImage* images[kMaxMipLevels] = {};
  if (image != nullptr) {
    images[0] = ThirtyTwoBitImage(image);
  } else {
    images[0] = RwImageCreate(raster->width, raster->height, 32);
    if (images[0] != nullptr &&
        (RwImageAllocatePixels(images[0]) == nullptr || RwImageSetFromRaster(images[0], raster) == nullptr)) {
      RwImageDestroy(images[0]);
      images[0] = nullptr;
    }
  }
  if (images[0] == nullptr) {
    return nullptr;
  }
  // The caller's image stays the caller's; a copy made here does not.
  RwImage* keep = images[0] == image ? image : nullptr;
  const RwUInt8 savedFormat = raster->format;
  raster->format = static_cast<RwUInt8>(raster->format & ~(rwRASTERFORMATAUTOMIPMAP >> 8));
  RwInt32 levels = RwRasterGetNumLevels(raster);
  if (levels > kMaxMipLevels) {
    levels = kMaxMipLevels;
  }
  if (levels < 1) {
    levels = 1;
  }
  RwRaster* result = raster;
  for (RwInt32 level = 1; level < levels && result != nullptr; ++level) {
    if (RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKREAD) == nullptr) {
      result = nullptr;
      break;
    }
    images[level] = RwImageCreateResample(images[level - 1], raster->width, raster->height);
    RwRasterUnlock(raster);
    if (images[level] == nullptr) {
      result = nullptr;
    }
  }
  const RwUInt32 format = static_cast<RwUInt32>(savedFormat) << 8;
  const RwBool palettised = IsPalettised(format);
  RwUInt8 palette[kMaxPaletteBytes];
  if (result != nullptr && palettised &&
      !RwTexturePalettizeImages(palette, keep, images, levels, PaletteBits(format))) {
    result = nullptr;
  }
  if (result == nullptr) {
    DestroyImages(images, levels, keep);
    raster->format = savedFormat;
    return nullptr;
  }
  GammaCorrectLevels(images, levels, palettised);
  SetLevelsFromImages(raster, images, levels, keep);
  raster->format = savedFormat;
  return raster;
}
