// Text of the engine's charset placed by glyph columns and rows, aligned to
// the edges or centred in the raster of the camera in update.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

enum eCharsetAlign : u32 {
  kCharsetAlignLeft = 1,
  kCharsetAlignRight = 2,
  kCharsetAlignTop = 4,
  kCharsetAlignBottom = 8,
};

// The pixel position PrintCharsetAligned prints at, for glyphs of
// glyphWidth x glyphHeight in a raster of width x height: left and right
// keep a glyph's margin, top and bottom likewise (bottom two rows up);
// flags 0, 1 and 2 centre vertically, 0, 4 and 8 horizontally (never left
// of 0).
void CharsetAlignedPosition(s32 glyphWidth, s32 glyphHeight, s32 width, s32 height, s32 length, s32 column, s32 row,
                            u32 flags, s32* x, s32* y);
// Prints text at column and row (in glyphs) moved by the flags; nothing
// without a camera in update.
void PrintCharsetAligned(RtCharset* charset, const char* text, s32 column, s32 row, u32 flags);
