// Area-averaging resampling: halving, doubling, fractional steps and the
// expansion of palette images.
#include "engine/src/image_resample.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"

namespace {

class ImageResampleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FakeImageEngineStart(0)); }
  void TearDown() override { FakeImageEngineStop(); }

  // A 32-bit image whose pixel (x, y) is colour(x, y).
  template <typename Colour>
  static RwImage* MakeImage(RwInt32 width, RwInt32 height, Colour colour) {
    RwImage* image = RwImageCreate(width, height, 32);
    EXPECT_NE(RwImageAllocatePixels(image), nullptr);
    for (RwInt32 y = 0; y < height; ++y) {
      for (RwInt32 x = 0; x < width; ++x) {
        const std::vector<RwUInt8> c = colour(x, y);
        for (int i = 0; i < 4; ++i) {
          image->pixels[y * image->stride + 4 * x + i] = c[i];
        }
      }
    }
    return image;
  }

  static const RwUInt8* Pixel(const RwImage* image, RwInt32 x, RwInt32 y) {
    return image->pixels + y * image->stride + 4 * x;
  }
};

TEST_F(ImageResampleTest, HalvingAveragesTwoByTwoBlocks) {
  RwImage* source = MakeImage(4, 4, [](RwInt32 x, RwInt32 y) {
    return std::vector<RwUInt8>{static_cast<RwUInt8>(10 * x + 40 * y), static_cast<RwUInt8>(x * 4),
                                static_cast<RwUInt8>(200), static_cast<RwUInt8>(y < 2 ? 0 : 255)};
  });
  RwImage* half = RwImageCreateResample(source, 2, 2);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->depth, 32);
  for (RwInt32 y = 0; y < 2; ++y) {
    for (RwInt32 x = 0; x < 2; ++x) {
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      // Red: mean of 10 (2x + {0,1}) + 40 (2y + {0,1}) = 20x + 5 + 80y + 20.
      EXPECT_EQ(Pixel(half, x, y)[0], 20 * x + 80 * y + 25);
      EXPECT_EQ(Pixel(half, x, y)[1], 8 * x + 2);
      EXPECT_EQ(Pixel(half, x, y)[2], 200);
      EXPECT_EQ(Pixel(half, x, y)[3], y == 0 ? 0 : 255);
    }
  }
  RwImageDestroy(half);
  RwImageDestroy(source);
}

TEST_F(ImageResampleTest, DoublingRepeatsEachPixelOverABlock) {
  RwImage* source = MakeImage(2, 2, [](RwInt32 x, RwInt32 y) {
    return std::vector<RwUInt8>{static_cast<RwUInt8>(1 + x + 2 * y), 77, static_cast<RwUInt8>(250 - x), 13};
  });
  source->flags |= kRwImageGammaCorrected;
  RwImage* twice = RwImageCreateResample(source, 4, 4);
  ASSERT_NE(twice, nullptr);
  EXPECT_TRUE(twice->flags & kRwImageGammaCorrected);
  for (RwInt32 y = 0; y < 4; ++y) {
    for (RwInt32 x = 0; x < 4; ++x) {
      const RwUInt8* expected = Pixel(source, x / 2, y / 2);
      for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(Pixel(twice, x, y)[c], expected[c]) << x << "," << y << " channel " << c;
      }
    }
  }
  RwImageDestroy(twice);
  RwImageDestroy(source);
}

TEST_F(ImageResampleTest, FractionalStepsWeighPartlyCoveredPixels) {
  // Three pixels into two: each destination pixel covers one source pixel
  // fully and half of the middle one.
  RwImage* source = MakeImage(3, 1, [](RwInt32 x, RwInt32) {
    return std::vector<RwUInt8>{static_cast<RwUInt8>(90 * x), 0, 0, 255};
  });
  RwImage* destination = RwImageCreate(2, 1, 32);
  ASSERT_NE(RwImageAllocatePixels(destination), nullptr);
  ASSERT_EQ(RwImageResample(destination, source), destination);
  EXPECT_EQ(Pixel(destination, 0, 0)[0], 30);   // (0 * 1 + 90 * 0.5) / 1.5
  EXPECT_EQ(Pixel(destination, 1, 0)[0], 150);  // (90 * 0.5 + 180 * 1) / 1.5
  EXPECT_EQ(Pixel(destination, 1, 0)[3], 255);
  RwImageDestroy(destination);
  RwImageDestroy(source);
}

TEST_F(ImageResampleTest, SourcesOfSixtyFiveThousandPixelsOrMoreKeepTheirPositions) {
  // 70000 pixels: the left half red 10, the right half red 200. The span
  // ends of a one- or two-pixel destination lie beyond 32 bits in 16.16.
  constexpr RwInt32 kWidth = 70000;
  RwImage* source = MakeImage(kWidth, 1, [](RwInt32 x, RwInt32) {
    return std::vector<RwUInt8>{static_cast<RwUInt8>(x < kWidth / 2 ? 10 : 200), 0, 0, 255};
  });
  struct Case {
    RwInt32 width;
    std::vector<RwUInt8> reds;
  };
  const Case cases[] = {{2, {10, 200}}, {1, {105}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "destination width " << c.width);
    RwImage* destination = RwImageCreateResample(source, c.width, 1);
    ASSERT_NE(destination, nullptr);
    for (RwInt32 x = 0; x < c.width; ++x) {
      EXPECT_EQ(Pixel(destination, x, 0)[0], c.reds[x]) << "pixel " << x;
      EXPECT_EQ(Pixel(destination, x, 0)[3], 255) << "pixel " << x;
    }
    RwImageDestroy(destination);
  }
  RwImageDestroy(source);
}

TEST_F(ImageResampleTest, PaletteImagesAreExpandedFirst) {
  RwImage* source = RwImageCreate(2, 2, 8);
  ASSERT_NE(RwImageAllocatePixels(source), nullptr);
  const RwUInt8 entries[2][4] = {{255, 0, 0, 255}, {0, 0, 255, 127}};
  std::memcpy(source->palette, entries, sizeof(entries));
  for (RwInt32 y = 0; y < 2; ++y) {
    source->pixels[y * source->stride] = 0;
    source->pixels[y * source->stride + 1] = 1;
  }
  RwImage* wide = RwImageCreateResample(source, 4, 2);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->depth, 32);
  EXPECT_EQ(Pixel(wide, 1, 1)[0], 255);
  EXPECT_EQ(Pixel(wide, 2, 0)[2], 255);
  EXPECT_EQ(Pixel(wide, 3, 1)[3], 127);
  RwImageDestroy(wide);
  RwImageDestroy(source);
}

TEST_F(ImageResampleTest, RefusesImagesThatAreNotTrueColour) {
  RwImage* source = RwImageCreate(2, 2, 8);
  ASSERT_NE(RwImageAllocatePixels(source), nullptr);
  RwImage* destination = RwImageCreate(2, 2, 32);
  ASSERT_NE(RwImageAllocatePixels(destination), nullptr);
  EXPECT_EQ(RwImageResample(destination, source), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageFormatUnsupported);
  RwImageDestroy(destination);
  RwImageDestroy(source);
}

}  // namespace
