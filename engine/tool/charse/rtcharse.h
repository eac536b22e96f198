// The charset toolkit: text in a fixed 8 x 14 pixel font carried as a bitmap
// table. A charset is a 128 x 128 texture raster holding every glyph in two
// colours; printing draws one textured immediate-mode 2D quad a character
// into the raster of the camera in update.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/raster.h"
#include "engine/src/rgba.h"

constexpr RwInt32 kRtCharsetPluginId = 0x180;

// The built-in font: codes 32 (space) to 122 ('z'), 15 rows of 8 pixels a
// glyph, one byte a row from the top, bit 0 the leftmost pixel.
constexpr RwInt32 kRtCharsetFirstCode = 32;
constexpr RwInt32 kRtCharsetGlyphCount = 91;
constexpr RwInt32 kRtCharsetGlyphRows = 15;
constexpr RwInt32 kRtCharsetFontBytes = kRtCharsetGlyphCount * kRtCharsetGlyphRows;  // 1365
constexpr RwInt32 kRtCharsetGlyphWidth = 8;
constexpr RwInt32 kRtCharsetGlyphHeight = 14;
constexpr RwInt32 kRtCharsetCellWidth = 9;
constexpr RwInt32 kRtCharsetCellHeight = 15;

// A charset is its raster.
typedef RwRaster RtCharset;

// The font's metrics and its layout in the charset raster.
struct RtCharsetDesc {
  RwInt32 width;       // glyph width: 8
  RwInt32 height;      // glyph height: 14
  RwInt32 cellWidth;   // 9
  RwInt32 cellHeight;  // 15
  RwInt32 count;       // glyphs: 91
  RwInt32 tileWidth;   // glyphs a row of the raster: 14
  RwInt32 tileHeight;  // glyph rows of the raster: 7
};

RwBool RtCharsetOpen(void);
void RtCharsetClose(void);
// Null (error {0x180, 0x80000016}) for a null colour.
RtCharset* RtCharsetCreate(const RwRGBA* foreground, const RwRGBA* background);
// Redraws every glyph in the given colours.
RtCharset* RtCharsetSetColors(RtCharset* charset, const RwRGBA* foreground, const RwRGBA* background);
RtCharset* RtCharsetGetDesc(RtCharset* charset, RtCharsetDesc* desc);
// Draws the string with its top-left corner at pixel (x, y) of the current
// camera's raster; null when nothing of it lies on the raster.
RtCharset* RtCharsetPrint(RtCharset* charset, const RwChar* string, RwInt32 x, RwInt32 y);
RwBool RtCharsetDestroy(RtCharset* charset);
