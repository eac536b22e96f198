// Direct3D 8 rasters on the stand-in: format choice and size adjustment,
// locks, palettes, camera, depth and camera-texture rasters, clears,
// rendering, mip levels, sub-rasters and the device reset.
#include <vector>

#include "tests/engine/driver/d3d8/raster_fixture.h"

namespace {

class D3D8RasterCreateTest : public D3D8RasterTest {};

TEST_F(D3D8RasterCreateTest, DefaultFormatsFollowTheDevice) {
  Start();
  RwRaster* texture = RwRasterCreate(16, 8, 0, rwRASTERTYPETEXTURE);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->format << 8, RwUInt32{rwRASTERFORMAT8888});
  EXPECT_EQ(texture->depth, 32);
  EXPECT_EQ(Ext(texture)->d3dFormat, RwUInt32{D3DFMT_A8R8G8B8});
  EXPECT_EQ(Ext(texture)->hasAlpha, 1);
  EXPECT_EQ(Ext(texture)->maxAnisotropy, 1);
  EXPECT_EQ(Ext(texture)->lockedLevel, kRwD3D8NoLockedLevel);

  RwRaster* target = RwRasterCreate(16, 16, 0, rwRASTERTYPECAMERATEXTURE);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->format << 8, RwUInt32{rwRASTERFORMAT888});
  EXPECT_EQ(Ext(target)->renderTarget, 1);

  RwRaster* depth = RwRasterCreate(16, 16, 0, rwRASTERTYPEZBUFFER);
  ASSERT_NE(depth, nullptr);
  EXPECT_EQ(depth->format << 8, RwUInt32{rwRASTERFORMAT32});
  EXPECT_EQ(depth->depth, 32);
  ASSERT_NE(Ext(depth)->surface, nullptr);
  EXPECT_EQ(Ext(depth)->deviceDepthSurface, 0);

  RwRaster* camera = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->depth, 32);
  EXPECT_EQ(camera->flags, rwRASTERDONTALLOCATE);
  EXPECT_EQ(camera->format << 8, RwD3D8FormatToRasterFormat(_rwD3D8Driver.displayMode.format));

  // Width or height 0: no storage, depth 16 when none was chosen.
  RwRaster* empty = RwRasterCreate(0, 0, 0, rwRASTERTYPENORMAL | rwRASTERFORMAT565);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->flags, rwRASTERDONTALLOCATE);
  EXPECT_EQ(empty->stride, 0);
  EXPECT_EQ(empty->depth, 16);
  EXPECT_EQ(Ext(empty)->texture, nullptr);

  for (RwRaster* raster : {texture, target, depth, camera, empty}) {
    EXPECT_TRUE(RwRasterDestroy(raster));
  }
}

TEST_F(D3D8RasterCreateTest, RefusedRequestsFailWithTheirErrors) {
  Start(d3d8test::CapsProfile::Minimal);
  struct Case {
    const char* name;
    RwUInt32 flags;
    RwInt32 error;  // kRwErrNoError: failure without an error
  } cases[] = {
      {"4-bit palette", rwRASTERTYPETEXTURE | rwRASTERFORMATPAL4 | rwRASTERFORMAT888, kRwErrInvalidRasterFormat},
      {"4-bit palette by default", rwRASTERTYPETEXTURE | rwRASTERFORMATPAL4, kRwErrInvalidRasterFormat},
      {"8-bit palette without P8", rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888, kRwErrNoError},
      {"16-bit depth on a 32-bit depth buffer", rwRASTERTYPEZBUFFER | rwRASTERFORMAT16, kRwErrInvalidRasterFormat},
      {"camera in another format", rwRASTERTYPECAMERA | rwRASTERFORMAT565, kRwErrInvalidRasterFormat},
      {"type 3", 3, kRwErrInvalidRasterFormat},
      {"depth-buffer format as a texture", rwRASTERTYPETEXTURE | rwRASTERFORMAT16, kRwErrNoError},
      {"palettised camera texture", rwRASTERTYPECAMERATEXTURE | rwRASTERFORMATLUM8, kRwErrInvalidRasterFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RwRasterCreate(8, 8, 0, c.flags), nullptr);
    EXPECT_EQ(TakeError().errorCode, c.error);
  }
  RwRaster* tooBig = RwRasterCreate(kWindowWidth * 2, kWindowHeight, 0, rwRASTERTYPECAMERA);
  EXPECT_EQ(tooBig, nullptr);
  const RwErrorRecord error = TakeError();
  EXPECT_EQ(error.pluginID, kRwPluginIdCore);
  EXPECT_EQ(error.errorCode, kRwErrD3D8Driver);
}

TEST_F(D3D8RasterCreateTest, MinimalDeviceRoundsTexturesToSquarePowersOfTwo) {
  Start(d3d8test::CapsProfile::Minimal);
  for (RwUInt32 type : {rwRASTERTYPETEXTURE, rwRASTERTYPENORMAL, rwRASTERTYPECAMERATEXTURE}) {
    SCOPED_TRACE(testing::Message() << "type " << type);
    RwRaster* raster = RwRasterCreate(300, 200, 0, type);
    ASSERT_NE(raster, nullptr);
    EXPECT_EQ(raster->width, 128);
    EXPECT_EQ(raster->height, 128);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(static_cast<IDirect3DTexture8*>(Ext(raster)->texture)->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 128u);
    RwRasterDestroy(raster);
  }
}

TEST_F(D3D8RasterCreateTest, SupportedFormatsFallBackStepByStep) {
  Refused().textures = {D3DFMT_A8R8G8B8, D3DFMT_L8, D3DFMT_X8R8G8B8};
  Refused().renderTargets = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
  Start(d3d8test::CapsProfile::Minimal);
  struct Case {
    RwUInt32 type;
    RwUInt32 requested;
    RwUInt32 expected;
  } cases[] = {
      {rwRASTERTYPETEXTURE, rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP, rwRASTERFORMAT4444 | rwRASTERFORMATMIPMAP},
      {rwRASTERTYPETEXTURE, rwRASTERFORMAT888, rwRASTERFORMAT565},
      {rwRASTERTYPETEXTURE, rwRASTERFORMATLUM8, rwRASTERFORMAT565},
      {rwRASTERTYPETEXTURE, rwRASTERFORMAT555, rwRASTERFORMAT555},
      {rwRASTERTYPETEXTURE, rwRASTERFORMATDEFAULT, rwRASTERFORMAT4444},
      {rwRASTERTYPETEXTURE, rwRASTERFORMATPAL4 | rwRASTERFORMAT888, rwRASTERFORMAT565},
      {rwRASTERTYPETEXTURE, rwRASTERFORMATPAL8 | rwRASTERFORMAT8888, rwRASTERFORMAT4444},
      // 16-bit requests move to 32 bits on a 32-bit display, then fall back
      // from the missing A8R8G8B8 render target.
      {rwRASTERTYPECAMERATEXTURE, rwRASTERFORMAT4444, rwRASTERFORMAT888},
      {rwRASTERTYPECAMERATEXTURE, rwRASTERFORMAT1555 | rwRASTERFORMATMIPMAP, rwRASTERFORMAT888 | rwRASTERFORMATMIPMAP},
      {rwRASTERTYPECAMERATEXTURE, rwRASTERFORMAT888, rwRASTERFORMAT888},
      {rwRASTERTYPEZBUFFER, rwRASTERFORMATDEFAULT, rwRASTERFORMAT32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << "type " << c.type << " format 0x" << c.requested);
    EXPECT_EQ(RwD3D8RasterFindSupportedFormat(c.type, c.type | c.requested), c.expected);
  }
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
}

TEST_F(D3D8RasterCreateTest, LuminanceWithoutL8BecomesWideWhereTheDeviceHasIt) {
  Refused().textures = {D3DFMT_L8};
  Start();
  EXPECT_EQ(RwD3D8RasterFindSupportedFormat(rwRASTERTYPETEXTURE, rwRASTERTYPETEXTURE | rwRASTERFORMATLUM8),
            RwUInt32{rwRASTERFORMAT888});
  // Asked for outright, the missing format fails without an error.
  EXPECT_EQ(RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATLUM8), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
  // The format search for an image settles on what the device has.
  RwRaster scratch;
  std::memset(&scratch, 0, sizeof(scratch));
  ASSERT_TRUE(RwD3D8RasterSetFormat(&scratch, rwRASTERTYPETEXTURE | rwRASTERFORMATLUM8));
  EXPECT_EQ(scratch.format << 8, RwUInt32{rwRASTERFORMAT888});
  EXPECT_EQ(scratch.depth, 32);
}

TEST_F(D3D8RasterCreateTest, CameraRastersOfSixteenBitBackBuffersAreSixteenBitsDeep) {
  Start();
  const D3DFORMAT backBuffer = _rwD3D8Driver.present.BackBufferFormat;
  for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8}) {
    SCOPED_TRACE(testing::Message() << "back buffer format " << format);
    _rwD3D8Driver.present.BackBufferFormat = format;
    RwRaster* camera = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->depth, format == D3DFMT_X8R8G8B8 ? 32 : 16);
    RwRasterDestroy(camera);
  }
  _rwD3D8Driver.present.BackBufferFormat = backBuffer;
}

class D3D8RasterLockTest : public D3D8RasterTest {};

TEST_F(D3D8RasterLockTest, ASecondLockFailsAndLeavesTheFirstIntact) {
  Start();
  RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  ASSERT_NE(raster, nullptr);
  RwUInt8* pixels = RwRasterLock(raster, 0, rwRASTERLOCKWRITE | rwRASTERLOCKREAD);
  ASSERT_NE(pixels, nullptr);
  EXPECT_GE(raster->stride, 32);
  EXPECT_EQ(raster->privateFlags & (kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite),
            kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite);
  EXPECT_EQ(RwRasterLock(raster, 0, rwRASTERLOCKREAD), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrRasterCannotLock);
  EXPECT_EQ(raster->pixels, pixels);
  std::memset(pixels, 0x5A, 4);
  RwRasterUnlock(raster);
  EXPECT_EQ(raster->pixels, nullptr);
  EXPECT_EQ(raster->stride, 0);
  EXPECT_EQ(raster->privateFlags & (kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite), 0);
  EXPECT_EQ(d3d8test::ReadGlTexel(Ext(raster)->texture, 0, 0, 0, 0), 0x5A5A5A5Au);
  RwRasterUnlock(raster);
  EXPECT_EQ(TakeError().errorCode, kRwErrRasterCannotUnlock);
  RwRasterDestroy(raster);
}

TEST_F(D3D8RasterLockTest, MipLevelsLockAtTheirOwnSize) {
  Start();
  RwRaster* raster = RwRasterCreate(256, 64, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
  ASSERT_NE(raster, nullptr);
  EXPECT_EQ(RwRasterGetNumLevels(raster), 9);
  ASSERT_NE(RwRasterLock(raster, 2, rwRASTERLOCKREAD), nullptr);
  EXPECT_EQ(raster->width, 64);
  EXPECT_EQ(raster->height, 16);
  RwRasterUnlock(raster);
  EXPECT_EQ(raster->width, 256);
  EXPECT_EQ(raster->height, 64);
  ASSERT_NE(RwRasterLock(raster, 8, rwRASTERLOCKREAD), nullptr);
  EXPECT_EQ(raster->width, 1);
  EXPECT_EQ(raster->height, 1);
  RwRasterUnlock(raster);
  RwRasterDestroy(raster);

  RwRaster* plain = RwRasterCreate(256, 64, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  ASSERT_NE(plain, nullptr);
  RwInt32 levels = 0;
  EXPECT_TRUE(RwD3D8RasterGetNumLevels(&levels, plain, 0));
  EXPECT_EQ(levels, 1);
  RwRasterDestroy(plain);
}

TEST_F(D3D8RasterLockTest, AutomaticMipLevelsFollowLevelZero) {
  Start();
  RwRaster* raster = RwRasterCreate(
      8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  ASSERT_NE(raster, nullptr);
  RwImage* image = SolidImage(8, 8, {40, 80, 120, 255});
  ASSERT_EQ(RwRasterSetFromImage(raster, image), raster);
  for (RwUInt32 level = 1; level < 4; ++level) {
    SCOPED_TRACE(testing::Message() << "level " << level);
    EXPECT_EQ(d3d8test::ReadGlTexel(Ext(raster)->texture, 0, level, 0, 0), 0xFF285078u);
  }
  RwImageDestroy(image);
  RwRasterDestroy(raster);
}

TEST_F(D3D8RasterLockTest, SubRastersLockTheirRectangleOfTheParent) {
  Start();
  RwRaster* parent = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  RwImage* black = SolidImage(8, 8, {0, 0, 0, 255});
  ASSERT_EQ(RwRasterSetFromImage(parent, black), parent);
  RwRaster* sub = RwRasterCreate(0, 0, 0, rwRASTERTYPETEXTURE | rwRASTERDONTALLOCATE);
  ASSERT_NE(sub, nullptr);
  const RwRect rect = {2, 4, 4, 2};
  ASSERT_EQ(RwRasterSubRaster(sub, parent, &rect), sub);
  EXPECT_EQ(sub->parent, parent);
  EXPECT_EQ(sub->depth, 32);
  RwImage* red = SolidImage(4, 2, {255, 0, 0, 255});
  ASSERT_EQ(RwRasterSetFromImage(sub, red), sub);
  RwImage* back = SolidImage(8, 8, {1, 1, 1, 1});
  ASSERT_NE(RwImageSetFromRaster(back, parent), nullptr);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 4 && y < 6;
      EXPECT_EQ(ImagePixel(back, x, y), inside ? (RwRGBA{255, 0, 0, 255}) : (RwRGBA{0, 0, 0, 255})) << x << "," << y;
    }
  }
  RwRasterDestroy(sub);
  RwRasterDestroy(parent);
  for (RwImage* image : {black, red, back}) {
    RwImageDestroy(image);
  }
}

class D3D8RasterPaletteTest : public D3D8RasterTest {};

TEST_F(D3D8RasterPaletteTest, PaletteNumbersAreReused) {
  Start();
  const RwUInt32 flags = rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888;
  RwRaster* first = RwRasterCreate(4, 4, 0, flags);
  RwRaster* second = RwRasterCreate(4, 4, 0, flags);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->depth, 8);
  EXPECT_EQ(Ext(first)->d3dFormat, RwUInt32{D3DFMT_P8});
  const RwUInt32 firstNumber = Ext(first)->palette->paletteNumber;
  EXPECT_NE(Ext(second)->palette->paletteNumber, firstNumber);
  RwRasterDestroy(first);
  RwRaster* third = RwRasterCreate(4, 4, 0, flags);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(Ext(third)->palette->paletteNumber, firstNumber);
  RwRasterDestroy(second);
  RwRasterDestroy(third);
}

TEST_F(D3D8RasterPaletteTest, OnlyRastersWithAPaletteLockOne) {
  Start();
  RwRaster* plain = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(RwRasterLockPalette(plain, rwRASTERLOCKWRITE), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrRasterCannotLock);
  EXPECT_EQ(plain->privateFlags & kRwRasterPaletteLocked, 0);
  RwRasterDestroy(plain);

  RwRaster* depth = RwRasterCreate(4, 4, 0, rwRASTERTYPEZBUFFER);
  EXPECT_EQ(RwRasterLockPalette(depth, rwRASTERLOCKREAD), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrRasterCannotLock);
  RwRasterDestroy(depth);

  RwRaster* indexed = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT8888);
  RwUInt8* palette = RwRasterLockPalette(indexed, rwRASTERLOCKWRITE);
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(indexed->privateFlags & (kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite),
            kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite);
  palette[4 * 3 + 0] = 10;
  palette[4 * 3 + 3] = 99;
  RwRasterUnlockPalette(indexed);
  EXPECT_EQ(indexed->palette, nullptr);
  PALETTEENTRY entries[256];
  ASSERT_EQ(Device()->GetPaletteEntries(Ext(indexed)->palette->paletteNumber, entries), D3D_OK);
  EXPECT_EQ(entries[3].peRed, 10);
  EXPECT_EQ(entries[3].peFlags, 99);
  RwRasterDestroy(indexed);
}

class D3D8RasterClearTest : public D3D8RasterTest {};

TEST_F(D3D8RasterClearTest, ClearsAreClippedToTheContextRaster) {
  Start();
  RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  RwImage* black = SolidImage(8, 8, {0, 0, 0, 255});
  ASSERT_EQ(RwRasterSetFromImage(raster, black), raster);
  ASSERT_EQ(RwRasterPushContext(raster), raster);
  RwRect corner = {-2, -2, 4, 4};
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &corner, static_cast<RwInt32>(0xFF00FF00u)));
  RwRect beyond = {6, 6, 100, 100};
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &beyond, static_cast<RwInt32>(0xFFFF0000u)));
  RwRect outside = {20, 20, 4, 4};
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &outside, static_cast<RwInt32>(0xFFFFFFFFu)));
  RwImage* back = SolidImage(8, 8, {1, 1, 1, 1});
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      RwRGBA expected = {0, 0, 0, 255};
      if (x < 2 && y < 2) expected = {0, 255, 0, 255};
      if (x >= 6 && y >= 6) expected = {255, 0, 0, 255};
      EXPECT_EQ(ImagePixel(back, x, y), expected) << x << "," << y;
    }
  }
  RwRasterPopContext();
  RwImageDestroy(back);
  RwImageDestroy(black);
  RwRasterDestroy(raster);
}

TEST_F(D3D8RasterClearTest, PaletteRastersClearToTheNearestEntry) {
  Start();
  RwRaster* raster = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT8888);
  RwUInt8* palette = RwRasterLockPalette(raster, rwRASTERLOCKWRITE);
  ASSERT_NE(palette, nullptr);
  for (int i = 0; i < 256; ++i) {
    palette[4 * i + 0] = static_cast<RwUInt8>(i);  // a byte order the value is compared in
    palette[4 * i + 1] = 0;
    palette[4 * i + 2] = 0;
    palette[4 * i + 3] = 0;
  }
  RwRasterUnlockPalette(raster);
  ASSERT_EQ(RwRasterPushContext(raster), raster);
  EXPECT_TRUE(RwD3D8RasterClear(nullptr, nullptr, 0x00000341));  // low byte 0x41, a little off elsewhere
  RwUInt8* indices = RwRasterLock(raster, 0, rwRASTERLOCKREAD);
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(indices[0], 0x41);
  EXPECT_EQ(indices[3 * raster->stride + 3], 0x41);
  RwRasterUnlock(raster);
  RwRasterPopContext();
  RwRasterDestroy(raster);
}

TEST_F(D3D8RasterClearTest, CameraRastersReadAndWriteThroughImageSurfaces) {
  Start();
  RwRaster* camera = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
  ASSERT_NE(camera, nullptr);
  ASSERT_EQ(RwRasterPushContext(camera), camera);
  EXPECT_TRUE(RwD3D8RasterClear(nullptr, nullptr, static_cast<RwInt32>(0xFF336699u)));
  RwRect rect = {10, 10, 100, 100};  // clipped to the camera
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &rect, static_cast<RwInt32>(0xFF112233u)));
  EXPECT_EQ(BackBufferPixel(0, 0), 0x336699u);
  EXPECT_EQ(BackBufferPixel(kWindowWidth - 1, kWindowHeight - 1), 0x112233u);

  RwUInt8* pixels = RwRasterLock(camera, 0, rwRASTERLOCKREAD | rwRASTERLOCKWRITE);
  ASSERT_NE(pixels, nullptr);
  RwUInt32 value = 0;
  std::memcpy(&value, pixels + 2 * camera->stride + 4 * 3, 4);
  EXPECT_EQ(value & 0xFFFFFF, 0x336699u);
  const RwUInt32 written = 0xFFABCDEFu;
  std::memcpy(pixels + 1 * camera->stride + 4 * 1, &written, 4);
  RwRasterUnlock(camera);
  EXPECT_EQ(BackBufferPixel(1, 1), 0xABCDEFu);
  EXPECT_EQ(BackBufferPixel(2, 1), 0x336699u);

  // A camera image of a 32-bit raster comes back opaque.
  RwImage* image = SolidImage(kWindowWidth, kWindowHeight, {0, 0, 0, 0});
  ASSERT_NE(RwImageSetFromRaster(image, camera), nullptr);
  EXPECT_EQ(ImagePixel(image, 1, 1), (RwRGBA{0xAB, 0xCD, 0xEF, 255}));
  RwImageDestroy(image);
  RwRasterPopContext();
  RwRasterDestroy(camera);
}

}  // namespace
