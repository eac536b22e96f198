// Lightmap sampling on a 3 x 2 map filled in memory: texel centres, blends
// between centres in each quadrant, edges, positions outside the map, absent
// maps and the palette's last index.
#include "game/render/models/lightmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr u32 kWidth = 3;
constexpr u32 kHeight = 2;

struct tRgb {
  int red;
  int green;
  int blue;
};

bool operator==(const tRgb& a, const tRgb& b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

std::ostream& operator<<(std::ostream& out, const tRgb& c) {
  return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

// Palette entry k is (20k, 100 + 10k, 200 - 30k).
tRgb Entry(int k) { return {20 * k, 100 + 10 * k, 200 - 30 * k}; }

class LightmapTest : public testing::Test {
 protected:
  void SetUp() override {
    mMap.SetSize(kWidth, kHeight);
    mMap.SetScale(1.0f);
    ASSERT_TRUE(mMap.AllocateMap(0, kWidth * kHeight));
    tLightmapColour* palette = mMap.GetPalette(0);
    for (int k = 0; k < 255; k++) {
      palette[k] = {static_cast<u8>(Entry(k).red), static_cast<u8>(Entry(k).green), static_cast<u8>(Entry(k).blue)};
    }
    // Texel (i, j) holds index 1 + i + 3j. The image keeps the bitmap's
    // bottom-up rows: row j = 1 is stored first.
    const u8 image[kWidth * kHeight] = {4, 5, 6, 1, 2, 3};
    memcpy(mMap.GetImage(0), image, sizeof(image));
  }

  tRgb Sample(f32 x, f32 z, u32 map = 0) const {
    u8 colour[3] = {1, 2, 3};
    mMap.Sample(colour, map, x, z);
    return {colour[0], colour[1], colour[2]};
  }

  cLightmap mMap;
};

TEST_F(LightmapTest, TexelCentresGiveTheirOwnColour) {
  for (int j = 0; j < 2; j++) {
    for (int i = 0; i < 3; i++) {
      SCOPED_TRACE(testing::Message() << "texel " << i << ", " << j);
      EXPECT_EQ(Entry(1 + i + 3 * j), Sample(i + 0.5f, j + 0.5f));
    }
  }
  // Origin (texels) and scale (texels per world unit) place the world.
  mMap.SetOrigin(1, 0);
  mMap.SetScale(2.0f);
  EXPECT_EQ(Entry(2), Sample(0.25f, 0.25f));
  EXPECT_EQ(Entry(6), Sample(0.75f, 0.75f));
}

TEST_F(LightmapTest, BlendsBetweenCentresByQuadrant) {
  // Halfway between texels (0, 0) and (1, 0).
  EXPECT_EQ((tRgb{30, 115, 155}), Sample(1.0f, 0.5f));
  // A quarter from the centre of texel 1 towards texel 0, then towards texel 2.
  EXPECT_EQ((tRgb{35, 117, 147}), Sample(1.25f, 0.5f));
  EXPECT_EQ((tRgb{45, 122, 132}), Sample(1.75f, 0.5f));
  // Halfway between rows, and the middle of four texels.
  EXPECT_EQ((tRgb{50, 125, 125}), Sample(0.5f, 1.0f));
  EXPECT_EQ((tRgb{60, 130, 110}), Sample(1.0f, 1.0f));
}

TEST_F(LightmapTest, NeighboursBeyondAnEdgeAreTheTexelItself) {
  EXPECT_EQ(Entry(1), Sample(0.25f, 0.5f));
  EXPECT_EQ(Entry(3), Sample(2.75f, 0.5f));
  EXPECT_EQ(Entry(6), Sample(2.75f, 1.75f));
  EXPECT_EQ(Entry(1), Sample(0.1f, 0.1f));
  // Column beyond the left edge, row inside: the diagonal neighbour is the
  // texel itself too, not the texel above: 20 + ((80 - 15) - 20) / 4 = 31.
  EXPECT_EQ((tRgb{31, 115, 153}), Sample(0.25f, 0.75f));
}

TEST_F(LightmapTest, OutsideTheMapSamplesTexelZeroAndTracesOnce) {
  const struct {
    f32 x;
    f32 z;
    const char* trace;
  } cases[] = {
      {-3.2f, 0.5f, "Out of lightmap(map 0 width: 3, height: 2) x = -3 y = 0\n"},
      {3.0f, 1.5f, "Out of lightmap(map 0 width: 3, height: 2) x = 3 y = 1\n"},
      {2.5f, 200.7f, "Out of lightmap(map 0 width: 3, height: 2) x = 2 y = 200\n"},
      {NAN, 0.5f, "Out of lightmap(map 0 width: 3, height: 2) x = -2147483648 y = 0\n"},
      {1.0f, INFINITY, "Out of lightmap(map 0 width: 3, height: 2) x = 1 y = 2147483647\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.trace);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Entry(1), Sample(c.x, c.z));
    EXPECT_EQ(c.trace, testing::internal::GetCapturedStderr());
  }
  // Inside the map nothing is traced.
  testing::internal::CaptureStderr();
  Sample(2.9f, 1.9f);
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

TEST_F(LightmapTest, AbsentMapsAndTheLastIndexAreBlack) {
  const tRgb black = {0, 0, 0};
  EXPECT_EQ(black, Sample(0.5f, 0.5f, 1));
  EXPECT_EQ(black, Sample(0.5f, 0.5f, 4));
  EXPECT_EQ(Entry(1), Sample(0.5f, 0.5f, 0));
  // The bitmaps' palettes end at index 254.
  mMap.GetImage(0)[3] = 255;
  EXPECT_EQ(black, Sample(0.5f, 0.5f));
  // A map smaller than the shared size is black beyond its own bytes.
  ASSERT_TRUE(mMap.AllocateMap(2, kWidth));
  mMap.GetImage(2)[1] = 7;
  mMap.GetPalette(2)[7] = {9, 8, 7};
  EXPECT_EQ((tRgb{9, 8, 7}), Sample(1.5f, 1.5f, 2));
  EXPECT_EQ(black, Sample(1.5f, 0.5f, 2));
  mMap.FreeMap(0);
  EXPECT_EQ(black, Sample(0.5f, 0.5f));
  EXPECT_FALSE(mMap.AllocateMap(4, 1));
}

}  // namespace
