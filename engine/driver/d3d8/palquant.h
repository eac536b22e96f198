// Colour quantiser: builds a 16- or 256-entry palette for true-colour images
// and maps their colours to palette indices. Colours are kept in a 16-way
// tree over 5 bits of red, green, blue and alpha; when there are more leaves
// than entries, the colour space is cut into boxes of least variance.
#pragma once

#include "engine/src/image.h"
#include "engine/src/plcore/memory.h"

constexpr RwInt32 kRwPalQuantChannelBits = 5;
constexpr RwInt32 kRwPalQuantLevels = 5;
constexpr RwInt32 kRwPalQuantChildren = 16;
constexpr RwInt32 kRwPalQuantMaxEntries = 256;

// A box of the colour space in 5-bit units; the high bounds are exclusive.
struct RwPalQuantBox {
  RwUInt8 low[4];   // red, green, blue, alpha
  RwUInt8 high[4];  // red, green, blue, alpha
};

struct RwPalQuantNode;

struct RwPalQuant {
  RwUInt32 spread[1 << kRwPalQuantChannelBits];  // bit i of v at bit 16 - 4 i
  RwFreeList* nodeFreeList;
  RwPalQuantNode* root;
  RwPalQuantBox* boxes;  // kRwPalQuantMaxEntries
  RwReal* variances;     // kRwPalQuantMaxEntries
};

// False (out of memory recorded, nothing left allocated) when an allocation fails.
RwBool RwPalQuantInit(RwPalQuant* quantiser);
// Adds every pixel of a 32-bit image, or the palette entry of every pixel of
// a 4- or 8-bit one, with the given weight. False when a tree node cannot be
// allocated (recorded; the colours added so far stay).
RwBool RwPalQuantAddImage(RwPalQuant* quantiser, const RwImage* image, RwReal weight);
// Fills `entries` colours {red, green, blue, alpha} (at most 256) and returns
// the number of colours found; unused entries are (0, 0, 0, 0).
RwInt32 RwPalQuantResolvePalette(RwUInt8* palette, RwInt32 entries, RwPalQuant* quantiser);
// Writes one palette index a byte for every source pixel; with depth 4 and a
// non-zero flag two indices share a byte (the left pixel in the high nibble).
// A colour that was never added maps to index 0.
void RwPalQuantMatchImage(RwUInt8* indices, RwInt32 stride, RwInt32 depth, RwInt32 flag, const RwPalQuant* quantiser,
                          const RwImage* image);
void RwPalQuantTerm(RwPalQuant* quantiser);
