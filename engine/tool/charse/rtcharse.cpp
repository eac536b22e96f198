// The charset toolkit's set-up: open and close, and charsets created,
// coloured and destroyed. The glyphs are drawn into an 8-bit image with a
// two-entry palette and converted into the charset's raster.
#include <cstring>

#include "engine/src/image.h"
#include "engine/src/plcore/error.h"
#include "engine/tool/charse/charset_internal.h"

RtCharsetModule _rtCharsetModule = {nullptr, nullptr, nullptr, 0, FALSE};

namespace {

constexpr RwInt32 kSmallestRasterSize = 32;
constexpr RwInt32 kPaletteBackground = 0;
constexpr RwInt32 kPaletteForeground = 1;

RwInt32 GlyphsPerRow(RwInt32 size) { return size / kRtCharsetCellWidth; }

RwInt32 GlyphRows(RwInt32 size) {
  const RwInt32 perRow = GlyphsPerRow(size);
  return perRow > 0 ? (kRtCharsetGlyphCount + perRow - 1) / perRow : kRtCharsetGlyphCount;
}

void SetPaletteEntry(RwUInt8* palette, RwInt32 index, const RwRGBA* colour) {
  RwUInt8* entry = palette + index * 4;
  entry[0] = colour->red;
  entry[1] = colour->green;
  entry[2] = colour->blue;
  entry[3] = colour->alpha;
}

// Each cell: its 15 rows of 9 pixels cleared to the background, then the
// glyph's bits set; the ninth column stays background.
void DrawGlyphs(RwImage* image) {
  const RwInt32 perRow = GlyphsPerRow(image->width);
  for (RwInt32 glyph = 0; glyph < kRtCharsetGlyphCount; glyph++) {
    const RwUInt8* rows = _rtCharsetFontGlyph(glyph);
    const RwInt32 left = (glyph % perRow) * kRtCharsetCellWidth;
    const RwInt32 top = (glyph / perRow) * kRtCharsetCellHeight;
    for (RwInt32 row = 0; row < kRtCharsetCellHeight; row++) {
      RwUInt8* pixels = image->pixels + static_cast<size_t>(top + row) * image->stride + left;
      std::memset(pixels, kPaletteBackground, kRtCharsetCellWidth);
      for (RwInt32 pixel = 0; pixel < kRtCharsetGlyphWidth; pixel++) {
        if (rows[row] & (1u << pixel)) {
          pixels[pixel] = kPaletteForeground;
        }
      }
    }
  }
}

}  // namespace

RwBool _rtCharsetHoldsFont(const RtCharset* charset) {
  return charset->width >= kRtCharsetCellWidth && GlyphRows(charset->width) * kRtCharsetCellHeight <= charset->height;
}

RwInt32 _rtCharsetRasterSize(void) {
  RwInt32 size = kSmallestRasterSize;
  while (GlyphRows(size) * kRtCharsetCellHeight > size) {
    size *= 2;
  }
  return size;
}

RwBool RtCharsetOpen(void) {
  RtCharsetModule& module = _rtCharsetModule;
  if (module.open) {
    return TRUE;
  }
  module.vertices =
      static_cast<RwIm2DVertex*>(RwMalloc(sizeof(RwIm2DVertex) * 4 * static_cast<size_t>(kRtCharsetBatchCharacters)));
  if (module.vertices == nullptr) {
    return FALSE;
  }
  module.indices =
      static_cast<RwUInt16*>(RwMalloc(sizeof(RwUInt16) * 6 * static_cast<size_t>(kRtCharsetBatchCharacters)));
  if (module.indices == nullptr) {
    RwFree(module.vertices);
    module.vertices = nullptr;
    return FALSE;
  }
  module.batchCharset = nullptr;
  module.pending = 0;
  module.open = TRUE;
  return TRUE;
}

void RtCharsetClose(void) {
  RtCharsetModule& module = _rtCharsetModule;
  if (module.vertices != nullptr) {
    RwFree(module.vertices);
  }
  if (module.indices != nullptr) {
    RwFree(module.indices);
  }
  module = {nullptr, nullptr, nullptr, 0, FALSE};
}

RtCharset* RtCharsetCreate(const RwRGBA* foreground, const RwRGBA* background) {
  if (foreground == nullptr || background == nullptr) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrNullArgument);
    return nullptr;
  }
  const RwInt32 size = _rtCharsetRasterSize();
  RtCharset* charset = RwRasterCreate(size, size, 0, rwRASTERTYPETEXTURE);
  if (charset == nullptr) {
    return nullptr;
  }
  if (RtCharsetSetColors(charset, foreground, background) == nullptr) {
    _rtCharsetBatchFlush(charset);
    RwRasterDestroy(charset);
    return nullptr;
  }
  return charset;
}

RtCharset* RtCharsetSetColors(RtCharset* charset, const RwRGBA* foreground, const RwRGBA* background) {
  if (charset == nullptr || foreground == nullptr || background == nullptr) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrNullArgument);
    return nullptr;
  }
  // A raster too small for the font would have its glyph cells drawn
  // outside the image.
  if (!_rtCharsetHoldsFont(charset)) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  _rtCharsetBatchFlush(charset);
  RwImage* image = RwImageCreate(charset->width, charset->height, 8);
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  // Cells outside the glyphs stay background too.
  std::memset(image->pixels, kPaletteBackground, static_cast<size_t>(image->stride) * image->height);
  std::memset(image->palette, 0, 256 * 4);
  SetPaletteEntry(image->palette, kPaletteBackground, background);
  SetPaletteEntry(image->palette, kPaletteForeground, foreground);
  DrawGlyphs(image);
  RtCharset* result = RwRasterSetFromImage(charset, image);
  RwImageDestroy(image);
  return result;
}

RtCharset* RtCharsetGetDesc(RtCharset* charset, RtCharsetDesc* desc) {
  if (charset == nullptr || desc == nullptr) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrNullArgument);
    return nullptr;
  }
  const RwInt32 size = _rtCharsetRasterSize();
  desc->width = kRtCharsetGlyphWidth;
  desc->height = kRtCharsetGlyphHeight;
  desc->cellWidth = kRtCharsetCellWidth;
  desc->cellHeight = kRtCharsetCellHeight;
  desc->count = kRtCharsetGlyphCount;
  desc->tileWidth = GlyphsPerRow(size);
  desc->tileHeight = GlyphRows(size);
  return charset;
}

RwBool RtCharsetDestroy(RtCharset* charset) {
  if (charset == nullptr) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrNullArgument);
    return FALSE;
  }
  _rtCharsetBatchFlush(charset);
  RwRasterDestroy(charset);
  return TRUE;
}
