// The charset toolkit's module state, shared by its create and print halves.
#pragma once

#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/tool/charse/rtcharse.h"

constexpr RwInt32 kRtCharsetBatchCharacters = 1024;

// Characters queued for one charset, drawn together at a flush. Strings are
// drawn as they are printed, so the batch stays empty unless a caller fills it.
struct RtCharsetModule {
  RwIm2DVertex* vertices;  // 4 a character
  RwUInt16* indices;       // 6 a character
  RtCharset* batchCharset;
  RwInt32 pending;
  RwBool open;
};

extern RtCharsetModule _rtCharsetModule;

// The 15 rows of glyph (code - 32); null outside the font.
const RwUInt8* _rtCharsetFontGlyph(RwInt32 glyph);
// The side of the square charset raster: 128.
RwInt32 _rtCharsetRasterSize(void);

// Draws quads (4 vertices and 6 indices each) textured with the charset, with
// the render states the text needs, and puts the caller's states back.
RwBool _rtCharsetDrawQuads(RtCharset* charset, RwIm2DVertex* vertices, RwUInt16* indices, RwInt32 quads);
// True when the raster is wide enough for a cell and tall enough for every
// glyph row its width gives; the glyphs are laid out by the raster's width.
RwBool _rtCharsetHoldsFont(const RtCharset* charset);
// Draws and empties the batch when it belongs to the charset.
void _rtCharsetBatchFlush(RtCharset* charset);
