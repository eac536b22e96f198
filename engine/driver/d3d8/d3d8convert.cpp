// Pixel conversion between images (red, green, blue, alpha bytes; palette
// indices with {red, green, blue, alpha} palettes) and the driver's raster
// formats. Raster pixels are little-endian words of the Direct3D formats.
#include "engine/driver/d3d8/d3d8convert.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8convert_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/driver/d3d8/palquant.h"
#include "engine/src/image_resample.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kEntryBytes = 4;
constexpr RwUInt32 kLockWriteWhole = 5;  // write; the old contents are not fetched
constexpr RwUInt32 kPaletteFormats = rwRASTERFORMATPAL8 | rwRASTERFORMATPAL4;

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(code)); }

void RaiseDriver(const char* message) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrD3D8Driver, message)); }

RwUInt32 FormatFlags(const RwRaster* raster) { return static_cast<RwUInt32>(raster->format) << 8; }

RwUInt32 PixelNibble(RwUInt32 formatFlags) { return formatFlags & rwRASTERFORMATPIXELFORMATMASK; }

RwInt32 Min(RwInt32 a, RwInt32 b) { return a < b ? a : b; }

RwUInt32 Luminance(const RwRGBA& c) { return (30u * c.red + 59u * c.green + 11u * c.blue) / 100u * c.alpha / 255u; }

RwRGBA EntryColour(const RwUInt8* entry) { return {entry[0], entry[1], entry[2], entry[3]}; }

void StoreEntry(RwUInt8* out, const RwRGBA& c) {
  out[0] = c.red;
  out[1] = c.green;
  out[2] = c.blue;
  out[3] = c.alpha;
}

RwUInt32 ReadPixel(const RwUInt8* at, RwInt32 bytes) {
  RwUInt32 value = 0;
  if (bytes == 4) {
    std::memcpy(&value, at, 4);
  } else if (bytes == 2) {
    RwUInt16 half;
    std::memcpy(&half, at, 2);
    value = half;
  } else if (bytes == 3) {
    value = static_cast<RwUInt32>(at[0]) | (static_cast<RwUInt32>(at[1]) << 8) | (static_cast<RwUInt32>(at[2]) << 16);
  } else {
    value = at[0];
  }
  return value;
}

void WritePixel(RwUInt8* at, RwInt32 bytes, RwUInt32 value) {
  if (bytes == 4) {
    std::memcpy(at, &value, 4);
  } else if (bytes == 2) {
    const RwUInt16 half = static_cast<RwUInt16>(value);
    std::memcpy(at, &half, 2);
  } else if (bytes == 3) {
    at[0] = static_cast<RwUInt8>(value);
    at[1] = static_cast<RwUInt8>(value >> 8);
    at[2] = static_cast<RwUInt8>(value >> 16);
  } else {
    at[0] = static_cast<RwUInt8>(value);
  }
}

// Bytes a raster pixel of this depth occupies; 0 for depths without one.
RwInt32 PixelBytes(RwInt32 depth) {
  switch (depth) {
    case 4:
    case 8:
      return 1;
    case 16:
      return 2;
    case 24:
      return 3;
    case 32:
      return 4;
    default:
      return 0;
  }
}

// The format 24- and 32-bit rasters are filled and read in.
RwUInt32 WideFormat(RwUInt32 formatFlags) {
  return PixelNibble(formatFlags) == rwRASTERFORMAT888 ? rwRASTERFORMAT888 : rwRASTERFORMAT8888;
}

// What a lock taken by a conversion must undo.
struct ConversionLocks {
  RwRaster* raster;
  bool pixels;
  bool palette;
};

void Release(const ConversionLocks& locks) {
  if (locks.palette) {
    RwRasterUnlockPalette(locks.raster);
  }
  if (locks.pixels) {
    RwRasterUnlock(locks.raster);
  }
}

// ---------------------------------------------------------------------------
// Raster to image.

RwBool RasterToImage32(RwImage* image, RwRaster* raster, RwInt32 width, RwInt32 height) {
  const RwUInt32 format = FormatFlags(raster);
  const RwInt32 bytes = PixelBytes(raster->depth);
  const RwUInt32 wide = WideFormat(format);
  if (bytes == 0) {
    RaiseCore(kRwErrInvalidRasterDepth);
    return FALSE;
  }
  if (raster->depth == 16) {
    const RwUInt32 nibble = PixelNibble(format);
    if (nibble != rwRASTERFORMAT1555 && nibble != rwRASTERFORMAT4444 && nibble != rwRASTERFORMAT555 &&
        nibble != rwRASTERFORMAT565) {
      RaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
    }
  }
  for (RwInt32 y = 0; y < height; ++y) {
    const RwUInt8* in = raster->pixels + static_cast<size_t>(y) * raster->stride;
    RwUInt8* out = image->pixels + static_cast<size_t>(y) * image->stride;
    for (RwInt32 x = 0; x < width; ++x) {
      const RwUInt32 value = ReadPixel(in + static_cast<size_t>(x) * bytes, bytes);
      RwRGBA colour;
      if (bytes == 1) {
        const RwUInt8 index = static_cast<RwUInt8>(value);
        colour = raster->palette != nullptr ? EntryColour(raster->palette + kEntryBytes * index)
                                            : RwRGBA{index, index, index, 255};
      } else {
        _rwD3D8UnpackPixel(value, bytes == 2 ? format : wide, &colour);
      }
      StoreEntry(out + static_cast<size_t>(x) * kEntryBytes, colour);
    }
  }
  return TRUE;
}

// Copies width one-byte indices per row.
void CopyIndexRows(RwUInt8* to, RwInt32 toStride, const RwUInt8* from, RwInt32 fromStride, RwInt32 width,
                   RwInt32 height) {
  for (RwInt32 y = 0; y < height; ++y) {
    std::memcpy(to + static_cast<size_t>(y) * toStride, from + static_cast<size_t>(y) * fromStride,
                static_cast<size_t>(width));
  }
}

RwBool RasterToImage8(RwImage* image, RwRaster* raster, RwInt32 width, RwInt32 height) {
  if (raster->depth == 16 || raster->depth == 24 || raster->depth == 32) {
    RaiseDriver("Conversion from non palettised rasters to 8bit images is not supported");
    return FALSE;
  }
  if (raster->depth != 8 && raster->depth != 4) {
    RaiseCore(kRwErrInvalidRasterDepth);
    return FALSE;
  }
  CopyIndexRows(image->pixels, image->stride, raster->pixels, raster->stride, width, height);
  if (image->palette != nullptr) {
    for (RwInt32 i = 0; i < kRwD3D8PaletteEntries; ++i) {
      const RwUInt8 grey = static_cast<RwUInt8>(i);
      const RwRGBA colour =
          raster->palette != nullptr ? EntryColour(raster->palette + kEntryBytes * i) : RwRGBA{grey, grey, grey, 255};
      StoreEntry(image->palette + kEntryBytes * i, colour);
    }
  }
  return TRUE;
}

// ---------------------------------------------------------------------------
// Image to raster.

// The packed value of every palette entry of an indexed image.
void PackPalette(const RwImage* image, RwUInt32 format, RwUInt32 table[256]) {
  const RwInt32 entries = 1 << image->depth;
  for (RwInt32 i = 0; i < 256; ++i) {
    table[i] = 0;
  }
  for (RwInt32 i = 0; i < entries; ++i) {
    const RwRGBA colour = EntryColour(image->palette + kEntryBytes * i);
    _rwD3D8PackColour(&colour, format, &table[i]);
  }
}

// Writes every image pixel packed by the format (LUM8 as luminance).
void FillPacked(RwRaster* raster, const RwImage* image, RwUInt32 format, RwInt32 bytes, RwInt32 width, RwInt32 height) {
  const bool indexed = image->depth != 32;
  RwUInt32 table[256];
  if (indexed) {
    PackPalette(image, format, table);
  }
  const RwUInt8 lastIndex = static_cast<RwUInt8>(indexed ? (1 << image->depth) - 1 : 0);
  for (RwInt32 y = 0; y < height; ++y) {
    const RwUInt8* in = image->pixels + static_cast<size_t>(y) * image->stride;
    RwUInt8* out = raster->pixels + static_cast<size_t>(y) * raster->stride;
    for (RwInt32 x = 0; x < width; ++x) {
      RwUInt32 value = 0;
      if (indexed) {
        value = table[in[x] & lastIndex];
      } else {
        const RwRGBA colour = EntryColour(in + static_cast<size_t>(x) * kEntryBytes);
        _rwD3D8PackColour(&colour, format, &value);
      }
      WritePixel(out + static_cast<size_t>(x) * bytes, bytes, value);
    }
  }
}

// Indices and palette of an indexed image into a palettised raster.
void FillIndexed(RwRaster* raster, const RwImage* image, RwInt32 width, RwInt32 height) {
  CopyIndexRows(raster->pixels, raster->stride, image->pixels, image->stride, width, height);
  if (raster->palette != nullptr) {
    std::memcpy(raster->palette, image->palette, static_cast<size_t>(kEntryBytes) << image->depth);
  }
}

// A palettised raster from a true-colour image: the image is quantised into
// an index image of the raster's palette size first.
RwBool FillQuantised(RwRaster* raster, const RwImage* image, RwUInt32 format, RwInt32 width, RwInt32 height) {
  const RwInt32 indexDepth = (format & rwRASTERFORMATPAL4) ? 4 : 8;
  RwImage* indices = RwImageCreate(image->width, image->height, indexDepth);
  if (indices == nullptr) {
    return FALSE;
  }
  if (RwImageAllocatePixels(indices) == nullptr) {
    RwImageDestroy(indices);
    return FALSE;
  }
  RwPalQuant quantiser;
  bool ok = RwPalQuantInit(&quantiser) != FALSE;
  if (ok) {
    ok = RwPalQuantAddImage(&quantiser, image, 1.0f) != FALSE;
    if (ok) {
      RwPalQuantResolvePalette(indices->palette, 1 << indexDepth, &quantiser);
      RwPalQuantMatchImage(indices->pixels, indices->stride, indexDepth, 0, &quantiser, image);
    }
    RwPalQuantTerm(&quantiser);
  }
  if (ok) {
    FillIndexed(raster, indices, width, height);
  }
  RwImageDestroy(indices);
  return ok ? TRUE : FALSE;
}

RwBool ImageToRaster8(RwRaster* raster, const RwImage* image, RwUInt32 format, RwInt32 width, RwInt32 height) {
  if (format & kPaletteFormats) {
    if (image->depth == 32) {
      return FillQuantised(raster, image, format, width, height);
    }
    FillIndexed(raster, image, width, height);
    return TRUE;
  }
  if (PixelNibble(format) == rwRASTERFORMATLUM8) {
    FillPacked(raster, image, format, 1, width, height);
    return TRUE;
  }
  RaiseCore(kRwErrInvalidRasterFormat);
  return FALSE;
}

RwBool ImageToRaster(RwRaster* raster, const RwImage* image) {
  const RwUInt32 format = FormatFlags(raster);
  const RwInt32 width = Min(raster->width, image->width);
  const RwInt32 height = Min(raster->height, image->height);
  switch (raster->depth) {
    case 4:
    case 8:
      return ImageToRaster8(raster, image, format, width, height);
    case 16: {
      const RwUInt32 nibble = PixelNibble(format);
      if (nibble == rwRASTERFORMATDEFAULT || nibble == rwRASTERFORMAT16) {
        RaiseCore(kRwErrInvalidRasterFormat);
        return FALSE;
      }
      FillPacked(raster, image, format, 2, width, height);
      return TRUE;
    }
    case 24:
    case 32:
      FillPacked(raster, image, WideFormat(format), PixelBytes(raster->depth), width, height);
      return TRUE;
    default:
      RaiseCore(kRwErrInvalidRasterDepth);
      return FALSE;
  }
}

bool ImageUsable(const RwImage* image) {
  if (image->pixels == nullptr || ((image->depth == 4 || image->depth == 8) && image->palette == nullptr)) {
    RaiseCore(kRwErrNullArgument);
    return false;
  }
  if (image->depth != 4 && image->depth != 8 && image->depth != 32) {
    RaiseCore(kRwErrImageFormatUnsupported);
    return false;
  }
  return true;
}

}  // namespace

RwBool _rwD3D8PackColour(const RwRGBA* c, RwUInt32 formatFlags, RwUInt32* pixel) {
  const RwUInt32 r = c->red;
  const RwUInt32 g = c->green;
  const RwUInt32 b = c->blue;
  const RwUInt32 a = c->alpha;
  switch (PixelNibble(formatFlags)) {
    case rwRASTERFORMATDEFAULT:
    case rwRASTERFORMAT8888:
      *pixel = (a << 24) | (r << 16) | (g << 8) | b;
      return TRUE;
    case rwRASTERFORMAT888:
      *pixel = 0xFF000000u | (r << 16) | (g << 8) | b;
      return TRUE;
    case rwRASTERFORMAT1555:
      *pixel = ((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      return TRUE;
    case rwRASTERFORMAT555:
      *pixel = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      return TRUE;
    case rwRASTERFORMAT565:
      *pixel = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      return TRUE;
    case rwRASTERFORMAT4444:
      *pixel = ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
      return TRUE;
    case rwRASTERFORMATLUM8:
      *pixel = Luminance(*c);
      return TRUE;
    default:
      RaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
  }
}

RwBool _rwD3D8UnpackPixel(RwUInt32 p, RwUInt32 formatFlags, RwRGBA* c) {
  if (formatFlags & rwRASTERFORMATPAL8) {
    std::memcpy(c, &p, sizeof(*c));
    return TRUE;
  }
  switch (PixelNibble(formatFlags)) {
    case rwRASTERFORMATDEFAULT:
    case rwRASTERFORMAT8888:
    case rwRASTERFORMAT888:
      c->alpha = PixelNibble(formatFlags) == rwRASTERFORMAT888 ? 255 : static_cast<RwUInt8>(p >> 24);
      c->red = static_cast<RwUInt8>(p >> 16);
      c->green = static_cast<RwUInt8>(p >> 8);
      c->blue = static_cast<RwUInt8>(p);
      return TRUE;
    case rwRASTERFORMAT1555:
    case rwRASTERFORMAT555:
      c->red = static_cast<RwUInt8>((p >> 7) & 0xF8);
      c->green = static_cast<RwUInt8>((p >> 2) & 0xF8);
      c->blue = static_cast<RwUInt8>((p << 3) & 0xF8);
      c->alpha = (PixelNibble(formatFlags) == rwRASTERFORMAT555 || (p & 0x8000)) ? 255 : 0;
      return TRUE;
    case rwRASTERFORMAT565:
      c->red = static_cast<RwUInt8>((p >> 8) & 0xF8);
      c->green = static_cast<RwUInt8>((p >> 3) & 0xFC);
      c->blue = static_cast<RwUInt8>((p << 3) & 0xF8);
      c->alpha = 255;
      return TRUE;
    case rwRASTERFORMAT4444:
      c->red = static_cast<RwUInt8>((p >> 4) & 0xF0);
      c->green = static_cast<RwUInt8>(p & 0xF0);
      c->blue = static_cast<RwUInt8>((p << 4) & 0xF0);
      c->alpha = ((p >> 12) & 0xF) == 0xF ? 255 : static_cast<RwUInt8>((p >> 8) & 0xF0);
      return TRUE;
    case rwRASTERFORMATLUM8:
      c->red = c->green = c->blue = static_cast<RwUInt8>(p);
      c->alpha = 255;
      return TRUE;
    default:
      RaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
  }
}

RwBool RwD3D8RGBToPixel(void* pixel, void* colour, RwInt32 formatFlags) {
  return _rwD3D8PackColour(static_cast<const RwRGBA*>(colour), static_cast<RwUInt32>(formatFlags),
                           static_cast<RwUInt32*>(pixel));
}

RwBool RwD3D8PixelToRGB(void* colour, void* pixel, RwInt32 formatFlags) {
  return _rwD3D8UnpackPixel(*static_cast<const RwUInt32*>(pixel), static_cast<RwUInt32>(formatFlags),
                            static_cast<RwRGBA*>(colour));
}

RwBool RwD3D8ImageGetFromRaster(void* imageObject, void* rasterObject, RwInt32 /*unused*/) {
  RwImage* image = static_cast<RwImage*>(imageObject);
  RwRaster* raster = static_cast<RwRaster*>(rasterObject);
  if (image->depth != 32 && image->depth != 8) {
    RaiseDriver("Conversion from rasters to 4bit images is not supported");
    return FALSE;
  }
  if (image->pixels == nullptr) {
    RaiseCore(kRwErrNullArgument);
    return FALSE;
  }
  ConversionLocks locks = {raster, false, false};
  if ((raster->privateFlags & kRwRasterPixelLockedRead) == 0) {
    if (RwRasterLock(raster, 0, rwRASTERLOCKREAD) == nullptr) {
      return FALSE;
    }
    locks.pixels = true;
  }
  if ((FormatFlags(raster) & kPaletteFormats) && (raster->privateFlags & kRwRasterPaletteLocked) == 0) {
    locks.palette = RwRasterLockPalette(raster, rwRASTERLOCKREAD) != nullptr;
  }
  const RwInt32 width = Min(image->width, raster->width);
  const RwInt32 height = Min(image->height, raster->height);
  const RwBool result =
      image->depth == 32 ? RasterToImage32(image, raster, width, height) : RasterToImage8(image, raster, width, height);
  Release(locks);
  return result;
}

RwBool RwD3D8RasterSetFromImage(void* rasterObject, void* imageObject, RwInt32 /*unused*/) {
  RwRaster* raster = static_cast<RwRaster*>(rasterObject);
  const RwImage* image = static_cast<const RwImage*>(imageObject);
  if (!ImageUsable(image)) {
    return FALSE;
  }
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(FormatFlags(raster));
  if (RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(raster)) {
    extension->hasAlpha = info != nullptr ? info->hasAlpha : 0;
    if (extension->hasAlpha && raster->parent != raster) {
      if (RwD3D8RasterExtension* parent = _rwD3D8RasterExtensionGet(raster->parent)) {
        parent->hasAlpha = 1;
      }
    }
  }
  // The raster's level-0 size while unlocked, the locked level's while locked.
  RwImage* fitted = nullptr;
  if (image->width != raster->width || image->height != raster->height) {
    fitted = RwImageCreateResample(image, raster->width, raster->height);
    if (fitted == nullptr) {
      return FALSE;
    }
    image = fitted;
  }
  ConversionLocks locks = {raster, false, false};
  RwBool result = TRUE;
  if ((raster->privateFlags & kRwRasterPixelLockedWrite) == 0) {
    if (RwRasterLock(raster, 0, kLockWriteWhole) == nullptr) {
      result = FALSE;
    } else {
      locks.pixels = true;
    }
  }
  if (result && (FormatFlags(raster) & kPaletteFormats) && (raster->privateFlags & kRwRasterPaletteLockedWrite) == 0) {
    if (RwRasterLockPalette(raster, rwRASTERLOCKWRITE) == nullptr) {
      result = FALSE;
    } else {
      locks.palette = true;
    }
  }
  if (result) {
    result = ImageToRaster(raster, image);
  }
  Release(locks);
  if (fitted != nullptr) {
    RwImageDestroy(fitted);
  }
  return result;
}
