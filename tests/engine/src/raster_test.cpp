// Rasters against the fake driver's raster functions: creation, locks at mip
// levels, sub-rasters, the context stack, presenting and image conversion.
#include "engine/src/raster.h"

#include <gtest/gtest.h>

#include "engine/src/image.h"
#include "engine/src/plcore/resmem.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_driver.h"
#include "tests/support/fake_raster_driver.h"

namespace {

class RasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FakeImageEngineStart(4096));
    TakeError();
  }
  void TearDown() override { FakeImageEngineStop(); }
};

TEST_F(RasterTest, CreateLetsTheDriverFillTheRecord) {
  RwRaster* raster = RwRasterCreate(16, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(raster->parent, raster);
  EXPECT_EQ(raster->width, 16);
  EXPECT_EQ(raster->height, 8);
  EXPECT_EQ(raster->depth, 32);
  EXPECT_EQ(raster->type, rwRASTERTYPETEXTURE);
  EXPECT_EQ(raster->format, (rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP) >> 8);
  EXPECT_EQ(raster->pixels, nullptr);
  EXPECT_EQ(raster->stride, 0);
  EXPECT_EQ(RwRasterGetNumLevels(raster), 5);
  EXPECT_EQ(FakeRaster().created, 1);
  RwRasterDestroy(raster);
  EXPECT_EQ(FakeRaster().destroyed, 1);

  RwRaster* empty = RwRasterCreate(0, 0, 0, rwRASTERTYPENORMAL);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->flags & rwRASTERDONTALLOCATE, rwRASTERDONTALLOCATE);
  EXPECT_EQ(empty->stride, 0);
  EXPECT_EQ(empty->depth, 16);
  EXPECT_EQ(RwRasterGetNumLevels(empty), 1);
  RwRasterDestroy(empty);

  FakeRaster().failCreate = true;
  EXPECT_EQ(RwRasterCreate(4, 4, 32, rwRASTERTYPENORMAL), nullptr);
}

TEST_F(RasterTest, LockAtAMipLevelReportsThatLevelsSize) {
  RwRaster* raster = RwRasterCreate(256, 64, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
  ASSERT_NE(raster, nullptr);
  struct Case {
    RwUInt8 level;
    RwInt32 width, height;
  };
  for (const Case& c : {Case{0, 256, 64}, Case{2, 64, 16}, Case{7, 2, 1}, Case{8, 1, 1}}) {
    SCOPED_TRACE(c.level);
    RwUInt8* pixels = RwRasterLock(raster, c.level, rwRASTERLOCKWRITE | rwRASTERLOCKREAD);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(raster->pixels, pixels);
    EXPECT_EQ(raster->width, c.width);
    EXPECT_EQ(raster->height, c.height);
    EXPECT_EQ(raster->privateFlags & (kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite),
              kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite);
    EXPECT_EQ(RwRasterUnlock(raster), raster);
    EXPECT_EQ(raster->width, 256);
    EXPECT_EQ(raster->height, 64);
    EXPECT_EQ(raster->pixels, nullptr);
  }
  // One lock at a time: the fake refuses a second lock.
  ASSERT_NE(RwRasterLock(raster, 0, rwRASTERLOCKREAD), nullptr);
  EXPECT_EQ(RwRasterLock(raster, 0, rwRASTERLOCKREAD), nullptr);
  RwRasterUnlock(raster);
  RwRasterDestroy(raster);
}

TEST_F(RasterTest, PaletteLockAndUnlockClearTheFlags) {
  RwRaster* raster = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT8888);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(raster->depth, 8);
  ASSERT_NE(RwRasterLockPalette(raster, rwRASTERLOCKWRITE), nullptr);
  EXPECT_EQ(raster->privateFlags & (kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite),
            kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite);
  RwRasterUnlockPalette(raster);
  EXPECT_EQ(raster->privateFlags & (kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite), 0);
  EXPECT_EQ(raster->palette, nullptr);
  RwRasterDestroy(raster);

  RwRaster* plain = RwRasterCreate(4, 4, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  EXPECT_EQ(RwRasterLockPalette(plain, rwRASTERLOCKREAD), nullptr);
  RwRasterDestroy(plain);
}

TEST_F(RasterTest, SubRastersPointAtTheTopLevelRaster) {
  RwRaster* top = RwRasterCreate(64, 64, 32, rwRASTERTYPECAMERA | rwRASTERFORMAT8888);
  RwRaster* middle = RwRasterCreate(0, 0, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  RwRaster* inner = RwRasterCreate(0, 0, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  ASSERT_NE(inner, nullptr);
  const RwRect outerRect = {8, 4, 32, 32};
  const RwRect innerRect = {2, 3, 10, 12};
  ASSERT_EQ(RwRasterSubRaster(middle, top, &outerRect), middle);
  ASSERT_EQ(RwRasterSubRaster(inner, middle, &innerRect), inner);
  EXPECT_EQ(middle->parent, top);
  EXPECT_EQ(inner->parent, top);
  EXPECT_EQ(inner->offsetX, 10);
  EXPECT_EQ(inner->offsetY, 7);
  EXPECT_EQ(inner->width, 10);
  EXPECT_EQ(inner->height, 12);
  EXPECT_EQ(inner->depth, 32);
  // Locking the sub-raster reaches into the parent's pixels.
  RwUInt8* whole = RwRasterLock(top, 0, rwRASTERLOCKWRITE);
  whole[7 * 64 * 4 + 10 * 4] = 0x5A;
  RwRasterUnlock(top);
  RwUInt8* part = RwRasterLock(inner, 0, rwRASTERLOCKREAD);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part[0], 0x5A);
  RwRasterUnlock(inner);

  // A raster that owns pixels cannot become a sub-raster; no error is recorded.
  RwRaster* owner = RwRasterCreate(4, 4, 32, rwRASTERTYPENORMAL);
  EXPECT_EQ(RwRasterSubRaster(owner, top, &innerRect), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
  for (RwRaster* r : {owner, inner, middle, top}) {
    RwRasterDestroy(r);
  }
}

TEST_F(RasterTest, ContextStackPushesPopsAndRefusesOverAndUnderflow) {
  RwRaster* empty = RwRasterGetCurrentContext();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->width, 0);
  EXPECT_EQ(empty->height, 0);
  EXPECT_EQ(empty->flags, rwRASTERDONTALLOCATE);

  RwRaster* a = RwRasterCreate(4, 4, 32, rwRASTERTYPECAMERA);
  RwRaster* b = RwRasterCreate(4, 4, 32, rwRASTERTYPECAMERA);
  ASSERT_EQ(RwRasterPushContext(a), a);
  ASSERT_EQ(RwRasterPushContext(b), b);
  EXPECT_EQ(RwRasterGetCurrentContext(), b);
  EXPECT_EQ(RwRasterPopContext(), b);
  EXPECT_EQ(RwRasterGetCurrentContext(), a);
  EXPECT_EQ(FakeRaster().contexts.back(), a) << "the raster below becomes the driver's context";
  EXPECT_EQ(RwRasterPopContext(), a);
  EXPECT_EQ(RwRasterGetCurrentContext(), empty);

  // Popping at the bottom is refused and keeps the empty raster.
  EXPECT_EQ(RwRasterPopContext(), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrInvalidValue);
  EXPECT_EQ(RwRasterGetCurrentContext(), empty);

  // Nine pushes fill the ten entries; the tenth is refused without reaching the driver.
  for (int i = 0; i < kRwRasterContextStackSize - 1; ++i) {
    ASSERT_EQ(RwRasterPushContext(i % 2 ? a : b), i % 2 ? a : b) << i;
  }
  const size_t driverCalls = FakeRaster().contexts.size();
  EXPECT_EQ(RwRasterPushContext(a), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrInvalidValue);
  EXPECT_EQ(FakeRaster().contexts.size(), driverCalls);
  EXPECT_EQ(RwRasterGetCurrentContext(), b);
  for (int i = 0; i < kRwRasterContextStackSize - 1; ++i) {
    ASSERT_NE(RwRasterPopContext(), nullptr);
  }
  EXPECT_EQ(RwRasterGetCurrentContext(), empty);

  // A push the driver refuses leaves the stack; a refused pop stays popped.
  FakeRaster().failSetContext = true;
  EXPECT_EQ(RwRasterPushContext(a), nullptr);
  EXPECT_EQ(RwRasterGetCurrentContext(), empty);
  FakeRaster().failSetContext = false;
  RwRasterPushContext(a);
  FakeRaster().failSetContext = true;
  EXPECT_EQ(RwRasterPopContext(), nullptr);
  EXPECT_EQ(RwRasterGetCurrentContext(), empty);
  FakeRaster().failSetContext = false;
  RwRasterDestroy(a);
  RwRasterDestroy(b);
}

TEST_F(RasterTest, ShowingARasterAgesTheArena) {
  RwRaster* camera = RwRasterCreate(4, 4, 32, rwRASTERTYPECAMERA);
  RwResourcesGlobals* arena =
      RwPluginDataGet(RwResourcesGlobals, RwEngineInstance, RwEngineGetPluginOffset(kResourcesPluginId));
  RwResEntry* slot = nullptr;
  ASSERT_NE(RwResourcesAllocateResEntry(&slot, &slot, 8, nullptr), nullptr);
  EXPECT_FALSE(rwLinkListEmpty(arena->current));
  int window = 0;
  EXPECT_EQ(RwRasterShowRaster(camera, &window, 0), camera);
  EXPECT_TRUE(rwLinkListEmpty(arena->current));
  EXPECT_FALSE(rwLinkListEmpty(arena->aged));
  ASSERT_EQ(FakeRaster().shown.size(), 1u);
  EXPECT_EQ(FakeRaster().shown[0], camera);
  FakeRaster().failShow = true;
  EXPECT_EQ(RwRasterShowRaster(camera, &window, 0), nullptr);

  const RwRect rect = {1, 2, 3, 4};
  EXPECT_EQ(RwRasterRenderScaled(camera, &rect), camera);
  ASSERT_EQ(FakeRaster().scaledRects.size(), 1u);
  EXPECT_EQ(FakeRaster().scaledRects[0].h, 4);
  RwRasterDestroy(camera);
}

TEST_F(RasterTest, MipCountFailsWhenTheDriverCannotCount) {
  RwEngineInstance->standardFunctions[kRwStdRasterGetMipLevels] = FakeDriverStandardNotSupported;
  RwRaster* raster = RwRasterCreate(8, 8, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
  EXPECT_EQ(RwRasterGetNumLevels(raster), -1);
  RwRasterDestroy(raster);
}

TEST_F(RasterTest, ImagesAndRastersCarryTheGammaFlag) {
  RwImage* image = RwImageCreate(2, 2, 32);
  RwImageAllocatePixels(image);
  image->pixels[4] = 0x77;
  image->flags |= kRwImageGammaCorrected;
  RwInt32 width = 0, height = 0, depth = 0;
  RwUInt32 format = 0;
  ASSERT_EQ(RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE, &width, &height, &depth, &format), image);
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(depth, 32);
  EXPECT_EQ(format, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);

  RwRaster* raster = RwRasterCreate(width, height, depth, format);
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  EXPECT_TRUE(raster->privateFlags & kRwRasterGammaCorrected);

  RwImage* back = RwImageCreate(2, 2, 32);
  RwImageAllocatePixels(back);
  ASSERT_EQ(RwImageSetFromRaster(back, raster), back);
  EXPECT_EQ(back->pixels[4], 0x77);
  EXPECT_TRUE(back->flags & kRwImageGammaCorrected);

  RwImage* paletted = RwImageCreate(2, 2, 8);
  EXPECT_EQ(RwRasterSetFromImage(raster, paletted), nullptr);
  RwImageDestroy(paletted);
  RwImageDestroy(back);
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

}  // namespace
