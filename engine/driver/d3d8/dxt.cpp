// DXT1, DXT3 and DXT5 block decoders. Colours are 5:6:5 with red in the top
// bits, widened by shifting (the low bits stay 0); indices are two bits a
// texel, one byte a row, the leftmost texel in the lowest bits.
#include "engine/driver/d3d8/dxt.h"

namespace {

constexpr RwInt32 kChannels = 4;  // red, green, blue, alpha
constexpr RwUInt8 kOpaque = 255;
constexpr RwInt32 kColourBlockIndexOffset = 4;
constexpr RwInt32 kAlphaBlockColourOffset = 8;

struct Colour {
  RwUInt8 c[kChannels];
};

RwUInt32 ReadU16(const RwUInt8* bytes) {
  return static_cast<RwUInt32>(bytes[0]) | (static_cast<RwUInt32>(bytes[1]) << 8);
}

Colour Expand565(RwUInt32 packed) {
  Colour colour;
  colour.c[0] = static_cast<RwUInt8>(((packed >> 11) & 0x1F) << 3);
  colour.c[1] = static_cast<RwUInt8>(((packed >> 5) & 0x3F) << 2);
  colour.c[2] = static_cast<RwUInt8>((packed & 0x1F) << 3);
  colour.c[3] = kOpaque;
  return colour;
}

Colour Mix(const Colour& a, RwInt32 weightA, const Colour& b, RwInt32 weightB, RwInt32 divisor) {
  Colour colour;
  for (RwInt32 i = 0; i < 3; ++i) {
    colour.c[i] = static_cast<RwUInt8>((weightA * a.c[i] + weightB * b.c[i]) / divisor);
  }
  colour.c[3] = kOpaque;
  return colour;
}

// The four colours of a colour block. With c0 <= c1 the fourth is given by
// the caller: transparent black for DXT1, opaque cyan under an alpha block.
void BlockPalette(const RwUInt8* block, const Colour& fourth, Colour palette[4], RwBool* threeColour) {
  const RwUInt32 c0 = ReadU16(block);
  const RwUInt32 c1 = ReadU16(block + 2);
  palette[0] = Expand565(c0);
  palette[1] = Expand565(c1);
  *threeColour = c0 <= c1;
  if (!*threeColour) {
    palette[2] = Mix(palette[0], 2, palette[1], 1, 3);
    palette[3] = Mix(palette[0], 1, palette[1], 2, 3);
  } else {
    palette[2] = Mix(palette[0], 1, palette[1], 1, 2);
    palette[3] = fourth;
  }
}

RwUInt8* Texel(RwUInt32* pixels, RwInt32 width, RwInt32 x, RwInt32 y) {
  return reinterpret_cast<RwUInt8*>(pixels + static_cast<size_t>(y) * width + x);
}

// Writes a colour block's 16 texels at block (bx, by); true when index 3 of
// a three-colour block was used.
RwBool DecodeColourBlock(const RwUInt8* block, const Colour& fourth, RwUInt32* pixels, RwInt32 width, RwInt32 bx,
                         RwInt32 by) {
  Colour palette[4];
  RwBool threeColour = FALSE;
  BlockPalette(block, fourth, palette, &threeColour);
  RwBool usedFourth = FALSE;
  for (RwInt32 row = 0; row < kRwDxtBlockEdge; ++row) {
    const RwUInt8 indices = block[kColourBlockIndexOffset + row];
    for (RwInt32 column = 0; column < kRwDxtBlockEdge; ++column) {
      const RwInt32 index = (indices >> (2 * column)) & 3;
      usedFourth = usedFourth || (threeColour && index == 3);
      RwUInt8* texel = Texel(pixels, width, bx * kRwDxtBlockEdge + column, by * kRwDxtBlockEdge + row);
      for (RwInt32 i = 0; i < kChannels; ++i) {
        texel[i] = palette[index].c[i];
      }
    }
  }
  return usedFourth;
}

void SetAlpha(RwUInt32* pixels, RwInt32 width, RwInt32 bx, RwInt32 by, RwInt32 texelIndex, RwUInt8 alpha) {
  const RwInt32 x = bx * kRwDxtBlockEdge + texelIndex % kRwDxtBlockEdge;
  const RwInt32 y = by * kRwDxtBlockEdge + texelIndex / kRwDxtBlockEdge;
  Texel(pixels, width, x, y)[3] = alpha;
}

void DecodeExplicitAlpha(const RwUInt8* block, RwUInt32* pixels, RwInt32 width, RwInt32 bx, RwInt32 by) {
  for (RwInt32 row = 0; row < kRwDxtBlockEdge; ++row) {
    const RwUInt32 nibbles = ReadU16(block + 2 * row);
    for (RwInt32 column = 0; column < kRwDxtBlockEdge; ++column) {
      const RwUInt32 a = (nibbles >> (4 * column)) & 0xF;
      SetAlpha(pixels, width, bx, by, row * kRwDxtBlockEdge + column, static_cast<RwUInt8>(a | (a << 4)));
    }
  }
}

void DecodeInterpolatedAlpha(const RwUInt8* block, RwUInt32* pixels, RwInt32 width, RwInt32 bx, RwInt32 by) {
  const RwInt32 a0 = block[0];
  const RwInt32 a1 = block[1];
  RwUInt8 alphas[8];
  alphas[0] = static_cast<RwUInt8>(a0);
  alphas[1] = static_cast<RwUInt8>(a1);
  if (a0 > a1) {
    for (RwInt32 i = 1; i <= 6; ++i) {
      alphas[i + 1] = static_cast<RwUInt8>(((7 - i) * a0 + i * a1) / 7);
    }
  } else {
    for (RwInt32 i = 1; i <= 4; ++i) {
      alphas[i + 1] = static_cast<RwUInt8>(((5 - i) * a0 + i * a1) / 5);
    }
    alphas[6] = 0;
    alphas[7] = kOpaque;
  }
  // Two groups of eight 3-bit indices, each in three bytes, lowest bits first.
  for (RwInt32 group = 0; group < 2; ++group) {
    const RwUInt8* bytes = block + 2 + 3 * group;
    const RwUInt32 bits = static_cast<RwUInt32>(bytes[0]) | (static_cast<RwUInt32>(bytes[1]) << 8) |
                          (static_cast<RwUInt32>(bytes[2]) << 16);
    for (RwInt32 i = 0; i < 8; ++i) {
      SetAlpha(pixels, width, bx, by, 8 * group + i, alphas[(bits >> (3 * i)) & 7]);
    }
  }
}

// The 16-byte blocks of DXT2..DXT5: alpha in the first eight bytes, read by
// the given decoder, then a colour block whose fourth colour is cyan.
void DecodeAlphaBlocks(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks,
                       void (*decodeAlpha)(const RwUInt8* block, RwUInt32* pixels, RwInt32 width, RwInt32 bx,
                                           RwInt32 by)) {
  const Colour cyan = {{0, kOpaque, kOpaque, kOpaque}};
  for (RwInt32 by = 0; by < height / kRwDxtBlockEdge; ++by) {
    for (RwInt32 bx = 0; bx < width / kRwDxtBlockEdge; ++bx) {
      DecodeColourBlock(blocks + kAlphaBlockColourOffset, cyan, pixels, width, bx, by);
      decodeAlpha(blocks, pixels, width, bx, by);
      blocks += kRwDxtAlphaBlockBytes;
    }
  }
}

}  // namespace

RwBool RwD3D8DecompressDXT1(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks) {
  const Colour transparent = {{0, 0, 0, 0}};
  RwBool transparency = FALSE;
  for (RwInt32 by = 0; by < height / kRwDxtBlockEdge; ++by) {
    for (RwInt32 bx = 0; bx < width / kRwDxtBlockEdge; ++bx) {
      if (DecodeColourBlock(blocks, transparent, pixels, width, bx, by)) {
        transparency = TRUE;
      }
      blocks += kRwDxt1BlockBytes;
    }
  }
  return transparency;
}

void RwD3D8DecompressDXT3(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks) {
  DecodeAlphaBlocks(width, height, pixels, blocks, DecodeExplicitAlpha);
}

void RwD3D8DecompressDXT5(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks) {
  DecodeAlphaBlocks(width, height, pixels, blocks, DecodeInterpolatedAlpha);
}

RwUInt32 RwD3D8DxtLevelBytes(RwInt32 width, RwInt32 height, RwInt32 blockBytes) {
  const RwUInt32 across = static_cast<RwUInt32>((width + kRwDxtBlockEdge - 1) / kRwDxtBlockEdge);
  const RwUInt32 down = static_cast<RwUInt32>((height + kRwDxtBlockEdge - 1) / kRwDxtBlockEdge);
  return (across > 0 ? across : 1) * (down > 0 ? down : 1) * static_cast<RwUInt32>(blockBytes);
}
