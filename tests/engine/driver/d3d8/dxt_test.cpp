// DXT decoders on hand-encoded blocks: four- and three-colour blocks,
// transparency, explicit and interpolated alpha, block placement, and levels
// too small for a whole block.
#include "engine/driver/d3d8/dxt.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Texel = std::array<int, 4>;

Texel At(const std::vector<RwUInt32>& pixels, int width, int x, int y) {
  const RwUInt8* p = reinterpret_cast<const RwUInt8*>(&pixels[static_cast<size_t>(y) * width + x]);
  return {p[0], p[1], p[2], p[3]};
}

// A colour block: c0, c1 and one index byte per row.
std::vector<RwUInt8> ColourBlock(RwUInt16 c0, RwUInt16 c1, std::array<RwUInt8, 4> rows) {
  return {static_cast<RwUInt8>(c0),
          static_cast<RwUInt8>(c0 >> 8),
          static_cast<RwUInt8>(c1),
          static_cast<RwUInt8>(c1 >> 8),
          rows[0],
          rows[1],
          rows[2],
          rows[3]};
}

constexpr RwUInt16 kRed565 = 0xF800;
constexpr RwUInt16 kBlue565 = 0x001F;
constexpr RwUInt8 kIndices0123 = 0xE4;  // texels 0..3 take indices 0..3

TEST(DxtTest, Dxt1FourColourBlock) {
  std::vector<RwUInt8> blocks = ColourBlock(kRed565, kBlue565, {kIndices0123, 0x00, 0x55, 0xFF});
  std::vector<RwUInt32> pixels(16, 0);
  EXPECT_FALSE(RwD3D8DecompressDXT1(4, 4, pixels.data(), blocks.data()));
  EXPECT_EQ(At(pixels, 4, 0, 0), (Texel{248, 0, 0, 255}));
  EXPECT_EQ(At(pixels, 4, 1, 0), (Texel{0, 0, 248, 255}));
  EXPECT_EQ(At(pixels, 4, 2, 0), (Texel{165, 0, 82, 255}));
  EXPECT_EQ(At(pixels, 4, 3, 0), (Texel{82, 0, 165, 255}));
  EXPECT_EQ(At(pixels, 4, 3, 1), (Texel{248, 0, 0, 255}));
  EXPECT_EQ(At(pixels, 4, 0, 2), (Texel{0, 0, 248, 255}));
  EXPECT_EQ(At(pixels, 4, 2, 3), (Texel{82, 0, 165, 255}));
  // Green widens by two bits, red and blue by three, low bits zero.
  blocks = ColourBlock(0x07E0, 0x0000, {0, 0, 0, 0});
  RwD3D8DecompressDXT1(4, 4, pixels.data(), blocks.data());
  EXPECT_EQ(At(pixels, 4, 0, 0), (Texel{0, 252, 0, 255}));
}

TEST(DxtTest, Dxt1ThreeColourBlockReportsTransparency) {
  const std::vector<RwUInt8> blocks = ColourBlock(kBlue565, kRed565, {kIndices0123, 0, 0, 0});
  std::vector<RwUInt32> pixels(16, 0);
  EXPECT_TRUE(RwD3D8DecompressDXT1(4, 4, pixels.data(), blocks.data()));
  EXPECT_EQ(At(pixels, 4, 2, 0), (Texel{124, 0, 124, 255}));
  EXPECT_EQ(At(pixels, 4, 3, 0), (Texel{0, 0, 0, 0}));
  // Equal colours are a three-colour block too, but index 3 unused is opaque.
  const std::vector<RwUInt8> opaque = ColourBlock(kRed565, kRed565, {0x24, 0, 0, 0});
  EXPECT_FALSE(RwD3D8DecompressDXT1(4, 4, pixels.data(), opaque.data()));
}

TEST(DxtTest, BlocksFillTheirPlaceAndPartialBlocksAreLeftAlone) {
  std::vector<RwUInt8> blocks = ColourBlock(kRed565, kBlue565, {0, 0, 0, 0});
  const std::vector<RwUInt8> second = ColourBlock(kRed565, kBlue565, {0x55, 0x55, 0x55, 0x55});
  blocks.insert(blocks.end(), second.begin(), second.end());
  std::vector<RwUInt32> pixels(8 * 6, 0xDEADBEEF);
  RwD3D8DecompressDXT1(8, 6, pixels.data(), blocks.data());
  EXPECT_EQ(At(pixels, 8, 3, 3), (Texel{248, 0, 0, 255}));
  EXPECT_EQ(At(pixels, 8, 4, 0), (Texel{0, 0, 248, 255}));
  EXPECT_EQ(At(pixels, 8, 7, 3), (Texel{0, 0, 248, 255}));
  EXPECT_EQ(pixels[8 * 4], 0xDEADBEEFu) << "rows below the last whole block row";

  std::vector<RwUInt32> tiny(4, 0xDEADBEEF);
  EXPECT_FALSE(RwD3D8DecompressDXT1(2, 2, tiny.data(), blocks.data()));
  EXPECT_EQ(tiny, std::vector<RwUInt32>(4, 0xDEADBEEF));
}

TEST(DxtTest, Dxt3ExplicitAlphaAndCyanFourthColour) {
  std::vector<RwUInt8> blocks = {0xA5, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x11, 0x11};
  const std::vector<RwUInt8> colour = ColourBlock(kBlue565, kRed565, {kIndices0123, 0, 0, 0});
  blocks.insert(blocks.end(), colour.begin(), colour.end());
  std::vector<RwUInt32> pixels(16, 0);
  RwD3D8DecompressDXT3(4, 4, pixels.data(), blocks.data());
  EXPECT_EQ(At(pixels, 4, 0, 0), (Texel{0, 0, 248, 0x55}));
  EXPECT_EQ(At(pixels, 4, 1, 0), (Texel{248, 0, 0, 0xAA}));
  EXPECT_EQ(At(pixels, 4, 2, 0), (Texel{124, 0, 124, 0x00}));
  EXPECT_EQ(At(pixels, 4, 3, 0), (Texel{0, 255, 255, 0xFF}));
  EXPECT_EQ(At(pixels, 4, 0, 3), (Texel{0, 0, 248, 0x11}));
  EXPECT_EQ(At(pixels, 4, 0, 1), (Texel{0, 0, 248, 0x00}));
}

TEST(DxtTest, Dxt5InterpolatedAlphaInBothModes) {
  // Texels 0..7 take alpha indices 0..7, texels 8..15 index 1.
  RwUInt32 low = 0;
  for (RwUInt32 i = 0; i < 8; ++i) {
    low |= i << (3 * i);
  }
  const RwUInt32 high = 0x249249;  // eight indices of 1
  struct Case {
    RwUInt8 a0;
    RwUInt8 a1;
    std::array<int, 8> alphas;
  };
  const Case cases[] = {{255, 0, {255, 0, 218, 182, 145, 109, 72, 36}}, {0, 255, {0, 255, 51, 102, 153, 204, 0, 255}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a0);
    std::vector<RwUInt8> blocks = {c.a0,
                                   c.a1,
                                   static_cast<RwUInt8>(low),
                                   static_cast<RwUInt8>(low >> 8),
                                   static_cast<RwUInt8>(low >> 16),
                                   static_cast<RwUInt8>(high),
                                   static_cast<RwUInt8>(high >> 8),
                                   static_cast<RwUInt8>(high >> 16)};
    const std::vector<RwUInt8> colour = ColourBlock(kRed565, kBlue565, {0, 0, 0, 0});
    blocks.insert(blocks.end(), colour.begin(), colour.end());
    std::vector<RwUInt32> pixels(16, 0);
    RwD3D8DecompressDXT5(4, 4, pixels.data(), blocks.data());
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(At(pixels, 4, i % 4, i / 4), (Texel{248, 0, 0, c.alphas[i]})) << i;
    }
    for (int i = 8; i < 16; ++i) {
      EXPECT_EQ(At(pixels, 4, i % 4, i / 4)[3], c.alphas[1]) << i;
    }
  }
}

TEST(DxtTest, LevelBytesCoverWholeBlocks) {
  EXPECT_EQ(RwD3D8DxtLevelBytes(4, 4, 8), 8u);
  EXPECT_EQ(RwD3D8DxtLevelBytes(1, 1, 16), 16u);
  EXPECT_EQ(RwD3D8DxtLevelBytes(6, 9, 8), 2u * 3u * 8u);
  EXPECT_EQ(RwD3D8DxtLevelBytes(64, 32, 16), 16u * 8u * 16u);
}

}  // namespace
