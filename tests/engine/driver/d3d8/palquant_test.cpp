// The palette quantiser: exact palettes when the colours fit, box cutting
// when they do not, matching, and allocation failures.
#include "engine/driver/d3d8/palquant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/counting_memory.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"

namespace {

struct Colour {
  RwUInt8 r, g, b, a;
};

class PalQuantTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FakeImageEngineStart(0, CountingMemoryFunctions())); }
  void TearDown() override {
    for (RwImage* image : images_) {
      RwImageDestroy(image);
    }
    FakeImageEngineStop();
    CountingMemoryReset();
  }

  // A one-row 32-bit image of the colours.
  RwImage* Row(const std::vector<Colour>& colours) {
    RwImage* image = RwImageCreate(static_cast<RwInt32>(colours.size()), 1, 32);
    EXPECT_NE(RwImageAllocatePixels(image), nullptr);
    for (size_t i = 0; i < colours.size(); ++i) {
      RwUInt8* p = image->pixels + 4 * i;
      p[0] = colours[i].r;
      p[1] = colours[i].g;
      p[2] = colours[i].b;
      p[3] = colours[i].a;
    }
    images_.push_back(image);
    return image;
  }

  std::vector<RwImage*> images_;
};

TEST_F(PalQuantTest, ColoursInTheirOwnCellsGetExactEntriesInTreeOrder) {
  // Ten colours in distinct 5-bit cells, given out of tree order; all channels
  // are multiples of 8 so that the entries come back exactly.
  std::vector<Colour> colours;
  for (int i = 9; i >= 0; --i) {
    colours.push_back(
        {static_cast<RwUInt8>(8 * i), static_cast<RwUInt8>(248 - 16 * i), 64, static_cast<RwUInt8>(i % 2 ? 255 : 128)});
  }
  RwImage* image = Row(colours);
  RwPalQuant quantiser;
  ASSERT_TRUE(RwPalQuantInit(&quantiser));
  ASSERT_TRUE(RwPalQuantAddImage(&quantiser, image, 1.0f));
  RwUInt8 palette[256][4];
  ASSERT_EQ(RwPalQuantResolvePalette(&palette[0][0], 256, &quantiser), 10);

  // Tree order: the most significant bits first, red before green before
  // blue before alpha; red 8 i with i from 0 to 9 sorts by red's top bits.
  std::vector<RwUInt8> indices(colours.size());
  RwPalQuantMatchImage(indices.data(), static_cast<RwInt32>(indices.size()), 8, 0, &quantiser, image);
  RwPalQuantTerm(&quantiser);
  for (size_t i = 0; i < colours.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "colour " << i);
    const RwUInt8* entry = palette[indices[i]];
    EXPECT_EQ(entry[0], colours[i].r);
    EXPECT_EQ(entry[1], colours[i].g);
    EXPECT_EQ(entry[2], colours[i].b);
    EXPECT_EQ(entry[3], colours[i].a);
  }
  // Tree order: level by level from the most significant bits, each level's
  // child index made of red, green, blue and alpha bits in that order.
  auto treeKey = [](const Colour& c) {
    RwUInt32 key = 0;
    for (int bit = 4; bit >= 0; --bit) {
      key = (key << 4) | (((c.r >> 3 >> bit) & 1) << 3) | (((c.g >> 3 >> bit) & 1) << 2) |
            (((c.b >> 3 >> bit) & 1) << 1) | ((c.a >> 3 >> bit) & 1);
    }
    return key;
  };
  std::vector<Colour> sorted = colours;
  std::sort(sorted.begin(), sorted.end(), [&](const Colour& a, const Colour& b) { return treeKey(a) < treeKey(b); });
  for (int entry = 0; entry < 10; ++entry) {
    EXPECT_EQ(palette[entry][0], sorted[entry].r) << entry;
    EXPECT_EQ(palette[entry][1], sorted[entry].g) << entry;
  }
  for (int entry = 10; entry < 256; ++entry) {
    EXPECT_EQ(palette[entry][0] | palette[entry][1] | palette[entry][2] | palette[entry][3], 0) << entry;
  }
}

TEST_F(PalQuantTest, ColoursDifferingBelowBitThreeShareOneEntry) {
  RwImage* image = Row({{64, 64, 64, 255}, {71, 70, 69, 255}});
  RwPalQuant quantiser;
  ASSERT_TRUE(RwPalQuantInit(&quantiser));
  ASSERT_TRUE(RwPalQuantAddImage(&quantiser, image, 1.0f));
  RwUInt8 palette[16][4];
  EXPECT_EQ(RwPalQuantResolvePalette(&palette[0][0], 16, &quantiser), 1);
  RwUInt8 indices[2] = {9, 9};
  RwPalQuantMatchImage(indices, 2, 8, 0, &quantiser, image);
  RwPalQuantTerm(&quantiser);
  EXPECT_EQ(indices[0], 0);
  EXPECT_EQ(indices[1], 0);
  // The mean of both colours: trunc(mean / 255 x 255.9999).
  EXPECT_EQ(palette[0][0], 67);
  EXPECT_EQ(palette[0][1], 67);
  EXPECT_EQ(palette[0][2], 66);
  EXPECT_EQ(palette[0][3], 255);
}

TEST_F(PalQuantTest, MoreColoursThanEntriesAreCutIntoBoxesOfNearColours) {
  // Four tight clusters of 16 colours each: a palette of four entries finds
  // one entry per cluster, near its mean.
  const Colour centres[4] = {{16, 16, 16, 255}, {224, 32, 32, 255}, {32, 224, 32, 255}, {32, 32, 224, 128}};
  std::vector<Colour> colours;
  for (const Colour& c : centres) {
    for (int i = 0; i < 16; ++i) {
      colours.push_back({static_cast<RwUInt8>(c.r + 8 * (i % 4)), static_cast<RwUInt8>(c.g + 8 * (i / 4)), c.b, c.a});
    }
  }
  RwImage* image = Row(colours);
  RwPalQuant quantiser;
  ASSERT_TRUE(RwPalQuantInit(&quantiser));
  ASSERT_TRUE(RwPalQuantAddImage(&quantiser, image, 1.0f));
  RwUInt8 palette[4][4];
  ASSERT_EQ(RwPalQuantResolvePalette(&palette[0][0], 4, &quantiser), 4);
  std::vector<RwUInt8> indices(colours.size());
  RwPalQuantMatchImage(indices.data(), static_cast<RwInt32>(indices.size()), 8, 0, &quantiser, image);
  RwPalQuantTerm(&quantiser);
  for (int cluster = 0; cluster < 4; ++cluster) {
    SCOPED_TRACE(testing::Message() << "cluster " << cluster);
    const RwUInt8 index = indices[16 * cluster];
    ASSERT_LT(index, 4);
    for (int i = 1; i < 16; ++i) {
      EXPECT_EQ(indices[16 * cluster + i], index);
    }
    const RwUInt8* entry = palette[index];
    EXPECT_LE(std::abs(entry[0] - (centres[cluster].r + 12)), 1);
    EXPECT_LE(std::abs(entry[1] - (centres[cluster].g + 12)), 1);
    EXPECT_EQ(entry[2], centres[cluster].b);
    EXPECT_EQ(entry[3], centres[cluster].a);
  }
}

TEST_F(PalQuantTest, PaletteImagesAddTheEntriesTheirPixelsUse) {
  RwImage* image = RwImageCreate(3, 1, 8);
  ASSERT_NE(RwImageAllocatePixels(image), nullptr);
  images_.push_back(image);
  const RwUInt8 entries[3][4] = {{0, 0, 0, 255}, {248, 0, 0, 255}, {0, 0, 248, 255}};
  std::memcpy(image->palette, entries, sizeof(entries));
  image->pixels[0] = 2;
  image->pixels[1] = 2;
  image->pixels[2] = 1;  // entry 0 is never used
  RwPalQuant quantiser;
  ASSERT_TRUE(RwPalQuantInit(&quantiser));
  ASSERT_TRUE(RwPalQuantAddImage(&quantiser, image, 1.0f));
  RwUInt8 palette[16][4];
  EXPECT_EQ(RwPalQuantResolvePalette(&palette[0][0], 16, &quantiser), 2);
  RwUInt8 indices[3];
  RwPalQuantMatchImage(indices, 3, 8, 0, &quantiser, image);
  RwPalQuantTerm(&quantiser);
  EXPECT_EQ(palette[indices[0]][2], 248);
  EXPECT_EQ(palette[indices[2]][0], 248);
  EXPECT_EQ(indices[0], indices[1]);
}

TEST_F(PalQuantTest, AllocationFailuresAreReportedNotFollowed) {
  for (int failAt = 1; failAt <= 3; ++failAt) {
    SCOPED_TRACE(testing::Message() << "failing allocation " << failAt);
    CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + failAt;
    RwPalQuant quantiser;
    const RwBool initialised = RwPalQuantInit(&quantiser);
    CountingMemoryState().failMallocNumber = 0;
    if (!initialised) {
      EXPECT_EQ(TakeError().errorCode, kRwErrOutOfMemory);
      EXPECT_EQ(quantiser.root, nullptr);
      continue;
    }
    RwPalQuantTerm(&quantiser);
  }
  // A tree that cannot grow: adding stops with the error recorded.
  std::vector<Colour> colours;
  for (int i = 0; i < 200; ++i) {
    colours.push_back({static_cast<RwUInt8>(i), static_cast<RwUInt8>(255 - i), static_cast<RwUInt8>(i * 7), 255});
  }
  RwImage* image = Row(colours);
  RwPalQuant quantiser;
  ASSERT_TRUE(RwPalQuantInit(&quantiser));
  CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + 1;
  EXPECT_FALSE(RwPalQuantAddImage(&quantiser, image, 1.0f));
  CountingMemoryState().failMallocNumber = 0;
  EXPECT_EQ(TakeError().errorCode, kRwErrOutOfMemory);
  RwUInt8 palette[256][4];
  EXPECT_GE(RwPalQuantResolvePalette(&palette[0][0], 256, &quantiser), 0);
  RwPalQuantTerm(&quantiser);
}

}  // namespace
