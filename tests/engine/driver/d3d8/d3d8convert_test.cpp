// Pixel conversion: packing and unpacking by format, round trips image ->
// raster -> image in every format on the Direct3D 8 stand-in, the best
// format for an image, fitting and palette images.
#include <vector>

#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "tests/engine/driver/d3d8/raster_fixture.h"
#include "tests/support/counting_memory.h"

namespace {

RwUInt32 Pack(RwRGBA c, RwUInt32 format) {
  RwUInt32 pixel = 0xDEADBEEF;
  EXPECT_TRUE(RwD3D8RGBToPixel(&pixel, &c, static_cast<RwInt32>(format)));
  return pixel;
}

RwRGBA Unpack(RwUInt32 pixel, RwUInt32 format) {
  RwRGBA c = {1, 2, 3, 4};
  EXPECT_TRUE(RwD3D8PixelToRGB(&c, &pixel, static_cast<RwInt32>(format)));
  return c;
}

TEST(D3D8PixelPackingTest, PacksEachFormatByItsBitLayout) {
  const RwRGBA halfWhite = {255, 255, 255, 127};
  const RwRGBA mixed = {0x12, 0x34, 0x56, 0x78};
  struct Case {
    RwRGBA colour;
    RwUInt32 format;
    RwUInt32 pixel;
  } cases[] = {
      {halfWhite, rwRASTERFORMAT1555, 0x7FFF},
      {halfWhite, rwRASTERFORMAT4444, 0x7FFF},
      {halfWhite, rwRASTERFORMATLUM8, 127},
      {mixed, rwRASTERFORMAT8888, 0x78123456},
      {mixed, rwRASTERFORMATDEFAULT, 0x78123456},
      {mixed, rwRASTERFORMAT888, 0xFF123456},
      {mixed, rwRASTERFORMAT565, 0x11AA},
      {mixed, rwRASTERFORMAT555, 0x08CA},
      {mixed, rwRASTERFORMAT1555, 0x08CA},
      {{0, 0, 0, 0x80}, rwRASTERFORMAT1555, 0x8000},
      {mixed, rwRASTERFORMAT4444, 0x7135},
      {mixed, rwRASTERFORMATLUM8, 21},
      {mixed, rwRASTERFORMAT565 | rwRASTERFORMATMIPMAP, 0x11AA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << c.format);
    EXPECT_EQ(Pack(c.colour, c.format), c.pixel);
  }
}

TEST(D3D8PixelPackingTest, UnpacksWithZeroLowBitsAndFormatAlphaRules) {
  struct Case {
    RwUInt32 pixel;
    RwUInt32 format;
    RwRGBA colour;
  } cases[] = {
      {0xE000, rwRASTERFORMAT4444, {0, 0, 0, 0xE0}},
      {0xF000, rwRASTERFORMAT4444, {0, 0, 0, 255}},
      {0x7135, rwRASTERFORMAT4444, {0x10, 0x30, 0x50, 0x70}},
      {0x08CA, rwRASTERFORMAT1555, {0x10, 0x30, 0x50, 0}},
      {0x88CA, rwRASTERFORMAT1555, {0x10, 0x30, 0x50, 255}},
      {0x08CA, rwRASTERFORMAT555, {0x10, 0x30, 0x50, 255}},
      {0x11AA, rwRASTERFORMAT565, {0x10, 0x34, 0x50, 255}},
      {0x78123456, rwRASTERFORMAT8888, {0x12, 0x34, 0x56, 0x78}},
      {0x78123456, rwRASTERFORMAT888, {0x12, 0x34, 0x56, 255}},
      {0x4D, rwRASTERFORMATLUM8, {0x4D, 0x4D, 0x4D, 255}},
      {0x44332211, rwRASTERFORMATPAL8 | rwRASTERFORMAT888, {0x11, 0x22, 0x33, 0x44}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pixel 0x" << std::hex << c.pixel << " format 0x" << c.format);
    EXPECT_EQ(Unpack(c.pixel, c.format), c.colour);
  }
}

class D3D8ConvertTest : public D3D8RasterTest {};

// Colours whose round trips exercise every channel rule.
const RwRGBA kColours[4] = {{0x12, 0x34, 0x56, 0x78}, {255, 255, 255, 127}, {0, 0, 0, 0}, {0xF8, 0x0C, 0xA0, 255}};

struct RoundTrip {
  const char* name;
  RwUInt32 format;
  RwRGBA expected[4];
};

TEST_F(D3D8ConvertTest, RoundTripsThroughEveryRasterFormat) {
  Start();
  const RoundTrip trips[] = {
      {"8888", rwRASTERFORMAT8888, {kColours[0], kColours[1], kColours[2], kColours[3]}},
      {"888",
       rwRASTERFORMAT888,
       {{0x12, 0x34, 0x56, 255}, {255, 255, 255, 255}, {0, 0, 0, 255}, {0xF8, 0x0C, 0xA0, 255}}},
      {"4444",
       rwRASTERFORMAT4444,
       {{0x10, 0x30, 0x50, 0x70}, {0xF0, 0xF0, 0xF0, 0x70}, {0, 0, 0, 0}, {0xF0, 0, 0xA0, 255}}},
      {"1555",
       rwRASTERFORMAT1555,
       {{0x10, 0x30, 0x50, 0}, {0xF8, 0xF8, 0xF8, 0}, {0, 0, 0, 0}, {0xF8, 0x08, 0xA0, 255}}},
      {"565",
       rwRASTERFORMAT565,
       {{0x10, 0x34, 0x50, 255}, {0xF8, 0xFC, 0xF8, 255}, {0, 0, 0, 255}, {0xF8, 0x0C, 0xA0, 255}}},
      {"555",
       rwRASTERFORMAT555,
       {{0x10, 0x30, 0x50, 255}, {0xF8, 0xF8, 0xF8, 255}, {0, 0, 0, 255}, {0xF8, 0x08, 0xA0, 255}}},
      {"LUM8", rwRASTERFORMATLUM8, {{21, 21, 21, 255}, {127, 127, 127, 255}, {0, 0, 0, 255}, {99, 99, 99, 255}}},
      {"PAL8 8888", rwRASTERFORMATPAL8 | rwRASTERFORMAT8888, {kColours[0], kColours[1], kColours[2], kColours[3]}},
      {"PAL8 888", rwRASTERFORMATPAL8 | rwRASTERFORMAT888, {kColours[0], kColours[1], kColours[2], kColours[3]}},
  };
  for (const RoundTrip& trip : trips) {
    SCOPED_TRACE(trip.name);
    RwRaster* raster = RwRasterCreate(4, 2, 0, rwRASTERTYPETEXTURE | trip.format);
    ASSERT_NE(raster, nullptr) << "error " << std::hex << TakeError().errorCode;
    EXPECT_EQ(raster->format << 8, trip.format);
    RwImage* image = SolidImage(4, 2, kColours[0]);
    for (int i = 0; i < 4; ++i) {
      std::memcpy(image->pixels + 4 * i, &kColours[i], 4);
      std::memcpy(image->pixels + image->stride + 4 * i, &kColours[3 - i], 4);
    }
    image->flags |= kRwImageGammaCorrected;
    ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
    EXPECT_TRUE(raster->privateFlags & kRwRasterGammaCorrected);
    const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(trip.format);
    EXPECT_EQ(Ext(raster)->hasAlpha, info->hasAlpha);
    RwImage* back = SolidImage(4, 2, {9, 9, 9, 9});
    ASSERT_EQ(RwImageSetFromRaster(back, raster), back);
    EXPECT_TRUE(back->flags & kRwImageGammaCorrected);
    EXPECT_EQ(raster->pixels, nullptr);
    EXPECT_EQ(raster->palette, nullptr);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(ImagePixel(back, i, 0), trip.expected[i]) << "pixel " << i;
      EXPECT_EQ(ImagePixel(back, 3 - i, 1), trip.expected[i]) << "pixel " << i << " of row 1";
    }
    RwImageDestroy(back);
    RwImageDestroy(image);
    RwRasterDestroy(raster);
  }
}

TEST_F(D3D8ConvertTest, NormalRastersAreFilledInTheirOwnFormat) {
  Start();
  // An opaque image would be best kept as 888; the raster's pixels are 4444.
  RwRaster* raster = RwRasterCreate(2, 2, 0, rwRASTERTYPENORMAL | rwRASTERFORMAT4444);
  ASSERT_NE(raster, nullptr);
  RwImage* image = SolidImage(2, 2, {0x1A, 0x2B, 0x3C, 255});
  ASSERT_EQ(RwD3D8ImageFindFormat(image), RwUInt32{rwRASTERFORMAT888});
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  RwImage* back = SolidImage(2, 2, {0, 0, 0, 0});
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  EXPECT_EQ(ImagePixel(back, 1, 1), (RwRGBA{0x10, 0x20, 0x30, 255}));
  RwImageDestroy(back);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8ConvertTest, PaletteImagesKeepTheirIndicesAndPalette) {
  Start();
  RwRaster* raster = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888);
  ASSERT_NE(raster, nullptr);
  RwImage* image = RwImageCreate(4, 4, 8);
  ASSERT_NE(RwImageAllocatePixels(image), nullptr);
  for (int i = 0; i < 256; ++i) {
    const RwRGBA entry = {static_cast<RwUInt8>(i), static_cast<RwUInt8>(255 - i), 7, 255};
    std::memcpy(image->palette + 4 * i, &entry, 4);
  }
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      image->pixels[y * image->stride + x] = static_cast<RwUInt8>(16 * y + x * 3);
    }
  }
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  RwImage* back = RwImageCreate(4, 4, 8);
  ASSERT_NE(RwImageAllocatePixels(back), nullptr);
  ASSERT_EQ(RwImageSetFromRaster(back, raster), back);
  EXPECT_EQ(std::memcmp(back->palette, image->palette, 1024), 0);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(std::memcmp(back->pixels + y * back->stride, image->pixels + y * image->stride, 4), 0) << y;
  }
  // The device receives the palette when it is unlocked after writing.
  PALETTEENTRY entries[256];
  ASSERT_EQ(Device()->GetPaletteEntries(Ext(raster)->palette->paletteNumber, entries), D3D_OK);
  EXPECT_EQ(entries[200].peRed, 200);
  EXPECT_EQ(entries[200].peGreen, 55);

  // A 32-bit raster cannot fill an 8-bit image, nor any raster a 4-bit one.
  RwRaster* wide = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  EXPECT_EQ(RwImageSetFromRaster(back, wide), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrD3D8Driver);
  RwImage* nibbles = RwImageCreate(4, 4, 4);
  ASSERT_NE(RwImageAllocatePixels(nibbles), nullptr);
  EXPECT_EQ(RwImageSetFromRaster(nibbles, raster), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrD3D8Driver);
  EXPECT_EQ(raster->pixels, nullptr);
  RwImageDestroy(nibbles);
  RwRasterDestroy(wide);
  RwImageDestroy(back);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8ConvertTest, TrueColourImagesAreQuantisedIntoPaletteRasters) {
  Start();
  RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT8888);
  ASSERT_NE(raster, nullptr);
  RwImage* image = SolidImage(8, 8, {200, 16, 40, 255});
  for (int x = 0; x < 8; ++x) {
    const RwRGBA stripe = {0, 128, 255, 64};
    std::memcpy(image->pixels + 3 * image->stride + 4 * x, &stripe, 4);
  }
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  RwUInt8* indices = RwRasterLock(raster, 0, rwRASTERLOCKREAD);
  ASSERT_NE(indices, nullptr);
  const RwInt32 stride = raster->stride;
  const RwUInt8 stripeIndex = indices[3 * stride];
  const RwUInt8 solidIndex = indices[0];
  EXPECT_NE(stripeIndex, solidIndex);
  EXPECT_EQ(indices[3 * stride + 7], stripeIndex);
  EXPECT_EQ(indices[7 * stride + 7], solidIndex);
  RwRasterUnlock(raster);
  RwImage* back = SolidImage(8, 8, {0, 0, 0, 0});
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  EXPECT_EQ(ImagePixel(back, 5, 3), (RwRGBA{0, 128, 255, 64}));
  EXPECT_EQ(ImagePixel(back, 5, 6), (RwRGBA{200, 16, 40, 255}));
  RwImageDestroy(back);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8ConvertTest, AFailedQuantisationFailsTheConversionAndUnlocks) {
  CountingMemoryReset();
  Start(d3d8test::CapsProfile::Full, 0, CountingMemoryFunctions());
  RwRaster* raster = RwRasterCreate(16, 16, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888);
  ASSERT_NE(raster, nullptr);
  RwImage* image = SolidImage(16, 16, {0, 0, 0, 255});
  for (int i = 0; i < 256; ++i) {
    image->pixels[4 * i] = static_cast<RwUInt8>(i);  // 32 tree cells: more nodes than one block
  }
  bool failedOnce = false;
  for (int failAt = 1; failAt <= 8; ++failAt) {
    SCOPED_TRACE(testing::Message() << "failing allocation " << failAt);
    CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + failAt;
    RwRaster* result = RwRasterSetFromImage(raster, image);
    CountingMemoryState().failMallocNumber = 0;
    if (result == nullptr) {
      failedOnce = true;
      EXPECT_EQ(TakeError().errorCode, kRwErrOutOfMemory);
    }
    EXPECT_EQ(raster->pixels, nullptr);
    EXPECT_EQ(raster->palette, nullptr);
    EXPECT_EQ(raster->privateFlags & (kRwRasterPixelLockedWrite | kRwRasterPaletteLocked), 0);
  }
  EXPECT_TRUE(failedOnce);
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8ConvertTest, ImagesOfAnotherSizeAreFittedToTheRaster) {
  Start();
  RwRaster* raster = RwRasterCreate(64, 64, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  ASSERT_NE(raster, nullptr);
  // 2 x 2 blocks of a checkerboard average to grey.
  RwImage* image = SolidImage(128, 128, {0, 0, 0, 255});
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      if ((x + y) % 2 == 0) {
        const RwRGBA white = {200, 100, 50, 255};
        std::memcpy(image->pixels + y * image->stride + 4 * x, &white, 4);
      }
    }
  }
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  RwImage* back = SolidImage(64, 64, {0, 0, 0, 0});
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  EXPECT_EQ(ImagePixel(back, 0, 0), (RwRGBA{100, 50, 25, 255}));
  EXPECT_EQ(ImagePixel(back, 63, 63), (RwRGBA{100, 50, 25, 255}));
  RwImageDestroy(back);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8ConvertTest, BestFormatFollowsAlphaDisplayDepthAndDevice) {
  Start();
  RwImage* cutOut = SolidImage(4, 4, {10, 20, 30, 255});
  cutOut->pixels[3] = 0;
  RwImage* smooth = SolidImage(4, 4, {10, 20, 30, 255});
  smooth->pixels[cutOut->stride + 7] = 128;
  RwImage* opaque = SolidImage(4, 4, {10, 20, 30, 255});
  ASSERT_GT(_rwD3D8Driver.displayDepth, 16);
  EXPECT_EQ(RwD3D8ImageFindFormat(cutOut), RwUInt32{rwRASTERFORMAT8888});
  EXPECT_EQ(RwD3D8ImageFindFormat(smooth), RwUInt32{rwRASTERFORMAT8888});
  EXPECT_EQ(RwD3D8ImageFindFormat(opaque), RwUInt32{rwRASTERFORMAT888});
  const RwInt32 depth = _rwD3D8Driver.displayDepth;
  _rwD3D8Driver.displayDepth = 16;
  EXPECT_EQ(RwD3D8ImageFindFormat(cutOut), RwUInt32{rwRASTERFORMAT1555});
  EXPECT_EQ(RwD3D8ImageFindFormat(opaque), RwUInt32{rwRASTERFORMAT565});
  EXPECT_EQ(RwD3D8ImageFindFormat(smooth), RwUInt32{rwRASTERFORMAT4444});
  _rwD3D8Driver.displayDepth = depth;

  RwImage* indexed = RwImageCreate(2, 1, 8);
  ASSERT_NE(RwImageAllocatePixels(indexed), nullptr);
  std::memset(indexed->palette, 255, 1024);
  indexed->pixels[0] = 1;
  indexed->pixels[1] = 1;
  EXPECT_EQ(RwD3D8ImageFindFormat(indexed), RwUInt32{rwRASTERFORMATPAL8 | rwRASTERFORMAT888});
  indexed->palette[4 * 9 + 3] = 0;  // a translucent entry no pixel uses
  EXPECT_EQ(RwD3D8ImageFindFormat(indexed), RwUInt32{rwRASTERFORMATPAL8 | rwRASTERFORMAT888});
  indexed->pixels[1] = 9;
  EXPECT_EQ(RwD3D8ImageFindFormat(indexed), RwUInt32{rwRASTERFORMATPAL8 | rwRASTERFORMAT8888});
  indexed->depth = 4;
  EXPECT_EQ(RwD3D8ImageFindFormat(indexed), RwUInt32{rwRASTERFORMATPAL4 | rwRASTERFORMAT8888});
  indexed->depth = 8;
  for (RwImage* image : {cutOut, smooth, opaque, indexed}) {
    RwImageDestroy(image);
  }
}

TEST_F(D3D8ConvertTest, MinimalDeviceFindsSquarePowerOfTwoFormatsWithoutWideAlpha) {
  Refused().textures = {D3DFMT_A8R8G8B8};
  Start(d3d8test::CapsProfile::Minimal);
  RwImage* smooth = SolidImage(300, 200, {10, 20, 30, 128});
  RwInt32 width = 0;
  RwInt32 height = 0;
  RwInt32 depth = 0;
  RwUInt32 flags = 0;
  ASSERT_NE(
      RwImageFindRasterFormat(smooth, rwRASTERTYPETEXTURE | rwRASTERFORMATMIPMAP, &width, &height, &depth, &flags),
      nullptr);
  EXPECT_EQ(width, 128);
  EXPECT_EQ(height, 128);
  EXPECT_EQ(depth, 16);
  EXPECT_EQ(flags & rwRASTERTYPEMASK, RwUInt32{rwRASTERTYPETEXTURE});
  EXPECT_TRUE(flags & rwRASTERFORMATMIPMAP);
  EXPECT_EQ(flags & rwRASTERFORMATPIXELFORMATMASK, RwUInt32{rwRASTERFORMAT4444});

  // The raster made from those answers takes the image, fitted.
  RwRaster* raster = RwRasterCreate(width, height, depth, flags);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(raster->width, 128);
  ASSERT_EQ(RwRasterSetFromImage(raster, smooth), raster);
  RwImage* back = SolidImage(128, 128, {0, 0, 0, 0});
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  EXPECT_EQ(ImagePixel(back, 64, 64), (RwRGBA{0, 0x10, 0x10, 0x80}));
  RwImageDestroy(back);
  RwRasterDestroy(raster);

  // Palette images lose their palette where the device has no P8 textures.
  RwImage* indexed = RwImageCreate(300, 200, 8);
  ASSERT_NE(RwImageAllocatePixels(indexed), nullptr);
  std::memset(indexed->palette, 255, 1024);
  std::memset(indexed->pixels, 0, static_cast<size_t>(indexed->stride) * 200);
  ASSERT_NE(RwImageFindRasterFormat(indexed, rwRASTERTYPETEXTURE, &width, &height, &depth, &flags), nullptr);
  EXPECT_FALSE(flags & rwRASTERFORMATPAL8);
  EXPECT_EQ(flags & rwRASTERFORMATPIXELFORMATMASK, RwUInt32{rwRASTERFORMAT888});
  EXPECT_EQ(depth, 32);
  RwImageDestroy(indexed);
  RwImageDestroy(smooth);
}

}  // namespace
