// Rasters that live in device memory: camera textures, depth rasters,
// drawing rasters into each other, and the release and restore around a
// device Reset.
#include "engine/driver/d3d8/d3d8_camera.h"
#include "tests/engine/driver/d3d8/raster_fixture.h"

namespace {

class D3D8RasterDeviceTest : public D3D8RasterTest {
 protected:
  // Reads texel (x, y) of a raster's level 0 through a lock, as 0xRRGGBB.
  static RwUInt32 RasterPixel(RwRaster* raster, int x, int y) {
    RwImage* image = SolidImage(raster->width, raster->height, {0, 0, 0, 0});
    RwUInt32 value = 0xDEADBEEF;
    if (RwImageSetFromRaster(image, raster) != nullptr) {
      const RwRGBA c = ImagePixel(image, x, y);
      value = (RwUInt32{c.red} << 16) | (RwUInt32{c.green} << 8) | c.blue;
    }
    RwImageDestroy(image);
    return value;
  }

  static void Clear(RwRaster* context, RwUInt32 colour) {
    ASSERT_EQ(RwRasterPushContext(context), context);
    EXPECT_TRUE(RwD3D8RasterClear(nullptr, nullptr, static_cast<RwInt32>(colour)));
    RwRasterPopContext();
  }
};

TEST_F(D3D8RasterDeviceTest, CameraTexturesClearAndLockThroughImageSurfaces) {
  Start();
  RwRaster* target = RwRasterCreate(16, 16, 0, rwRASTERTYPECAMERATEXTURE);
  ASSERT_NE(target, nullptr);
  Clear(target, 0xFF204060u);
  EXPECT_EQ(RasterPixel(target, 15, 15), 0x204060u);
  ASSERT_EQ(RwRasterPushContext(target), target);
  RwRect rect = {4, 4, 4, 4};
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &rect, static_cast<RwInt32>(0xFFFFFFFFu)));
  RwRasterPopContext();
  EXPECT_EQ(RasterPixel(target, 5, 5), 0xFFFFFFu);
  EXPECT_EQ(RasterPixel(target, 3, 5), 0x204060u);

  // Written pixels reach the texture level.
  RwImage* image = SolidImage(16, 16, {1, 2, 3, 255});
  ASSERT_EQ(RwRasterSetFromImage(target, image), target);
  EXPECT_EQ(d3d8test::ReadGlTexel(Ext(target)->texture, 0, 0, 7, 7) & 0xFFFFFF, 0x010203u);
  RwImageDestroy(image);
  RwRasterDestroy(target);
}

TEST_F(D3D8RasterDeviceTest, CameraTexturesWithoutRenderTargetsAreFilledByCopies) {
  // The device claims L8 render targets but cannot make them: the camera
  // texture falls back to a plain texture in the display format.
  Refused().claimedRenderTargets = {D3DFMT_L8};
  Start();
  RwRaster* target = RwRasterCreate(16, 16, 0, rwRASTERTYPECAMERATEXTURE | rwRASTERFORMATLUM8);
  ASSERT_NE(target, nullptr) << std::hex << TakeError().errorCode;
  EXPECT_EQ(Ext(target)->renderTarget, 0);
  EXPECT_EQ(target->format << 8, RwD3D8FormatToRasterFormat(_rwD3D8Driver.displayMode.format));
  EXPECT_EQ(target->depth, _rwD3D8Driver.displayDepth);
  Clear(target, 0xFF405060u);
  EXPECT_EQ(RasterPixel(target, 9, 9), 0x405060u);

  // A texture drawn into it lands on the back buffer and is copied over.
  RwRaster* texture = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  RwImage* image = SolidImage(4, 4, {250, 0, 10, 255});
  ASSERT_EQ(RwRasterSetFromImage(texture, image), texture);
  ASSERT_EQ(Device()->BeginScene(), D3D_OK);
  ASSERT_EQ(RwRasterPushContext(target), target);
  const RwInt32 at[2] = {2, 2};
  EXPECT_TRUE(RwD3D8RasterRender(texture, const_cast<RwInt32*>(at), 0));
  RwRasterPopContext();
  Device()->EndScene();
  EXPECT_EQ(RasterPixel(target, 3, 3), 0xFA000Au);
  RwImageDestroy(image);
  RwRasterDestroy(texture);
  RwRasterDestroy(target);
}

TEST_F(D3D8RasterDeviceTest, TexturesAreDrawnIntoRenderTargetCameraTextures) {
  Start();
  RwRaster* target = RwRasterCreate(16, 16, 0, rwRASTERTYPECAMERATEXTURE);
  ASSERT_NE(target, nullptr);
  ASSERT_EQ(Ext(target)->renderTarget, 1);
  Clear(target, 0xFF000000u);
  RwRaster* texture = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  RwImage* image = SolidImage(4, 4, {0, 0, 240, 255});
  ASSERT_EQ(RwRasterSetFromImage(texture, image), texture);
  ASSERT_EQ(Device()->BeginScene(), D3D_OK);
  ASSERT_EQ(RwRasterPushContext(target), target);
  RwRect rect = {8, 8, 8, 8};
  EXPECT_EQ(RwRasterRenderScaled(texture, &rect), texture);
  RwRasterPopContext();
  Device()->EndScene();
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
  EXPECT_EQ(RasterPixel(target, 12, 12), 0x0000F0u);
  EXPECT_EQ(RasterPixel(target, 4, 4), 0u);
  // The back buffer is not the target.
  IDirect3DSurface8* current = nullptr;
  ASSERT_EQ(Device()->GetRenderTarget(&current), D3D_OK);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  EXPECT_EQ(current, back);
  current->Release();
  back->Release();
  RwImageDestroy(image);
  RwRasterDestroy(texture);
  RwRasterDestroy(target);
}

TEST_F(D3D8RasterDeviceTest, CameraTexturesOutOfVideoMemoryFailCleanly) {
  Start();
  d3d8test::SetVideoMemoryBudget(Device(), 1024);
  Record();
  EXPECT_EQ(RwRasterCreate(64, 64, 0, rwRASTERTYPECAMERATEXTURE), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrD3D8Driver);
  EXPECT_EQ(d3d8test::CallCount(Device(), "ResourceManagerDiscardBytes"), 1u);
  EXPECT_EQ(d3d8test::CallCount(Device(), "CreateTexture"), 2u);
  EXPECT_EQ(RwRasterCreate(64, 64, 0, rwRASTERTYPEZBUFFER), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrD3D8Driver);
  d3d8test::SetVideoMemoryBudget(Device(), 0);
  RwRaster* fits = RwRasterCreate(64, 64, 0, rwRASTERTYPECAMERATEXTURE);
  ASSERT_NE(fits, nullptr);
  RwRasterDestroy(fits);
}

TEST_F(D3D8RasterDeviceTest, DepthRastersOfTheWindowSizeShareTheDeviceSurface) {
  Start();
  RwRaster* shared = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPEZBUFFER);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(Ext(shared)->deviceDepthSurface, 1);
  IDirect3DSurface8* deviceDepth = nullptr;
  ASSERT_EQ(Device()->GetDepthStencilSurface(&deviceDepth), D3D_OK);
  EXPECT_EQ(Ext(shared)->surface, deviceDepth);
  deviceDepth->Release();

  RwRaster* own = RwRasterCreate(32, 32, 0, rwRASTERTYPEZBUFFER);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Ext(own)->deviceDepthSurface, 0);
  EXPECT_NE(Ext(own)->surface, nullptr);
  Record();
  ASSERT_EQ(RwRasterPushContext(own), own);
  RwRect rect = {0, 0, 16, 16};
  EXPECT_TRUE(RwD3D8RasterClearRect(nullptr, &rect, 0));
  RwRasterPopContext();
  // The depth surface is swapped in for the clear and out again.
  EXPECT_EQ(d3d8test::CallCount(Device(), "SetRenderTarget"), 2u);
  EXPECT_EQ(d3d8test::CallCount(Device(), "Clear"), 1u);
  const std::vector<uint64_t> clear = d3d8test::LastArgs(Device(), "Clear");
  ASSERT_GE(clear.size(), 3u);
  EXPECT_EQ(clear[2], uint64_t{D3DCLEAR_ZBUFFER});
  IDirect3DSurface8* now = nullptr;
  ASSERT_EQ(Device()->GetDepthStencilSurface(&now), D3D_OK);
  EXPECT_NE(now, Ext(own)->surface);
  now->Release();
  RwRasterDestroy(own);
  RwRasterDestroy(shared);
}

TEST_F(D3D8RasterDeviceTest, TexturesAreDrawnIntoCameraRastersAsQuads) {
  Start();
  RwRaster* camera = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
  ASSERT_NE(camera, nullptr);
  Clear(camera, 0xFF000000u);
  RwRaster* texture = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  RwImage* image = SolidImage(8, 8, {0, 200, 0, 255});
  ASSERT_EQ(RwRasterSetFromImage(texture, image), texture);
  ASSERT_EQ(Device()->BeginScene(), D3D_OK);
  ASSERT_EQ(RwRasterPushContext(camera), camera);
  const RwInt32 at[2] = {4, 4};
  EXPECT_TRUE(RwD3D8RasterRender(texture, const_cast<RwInt32*>(at), 0));
  RwRect stretched = {20, 10, 32, 16};
  EXPECT_EQ(RwRasterRenderScaled(texture, &stretched), texture);
  RwRasterPopContext();
  Device()->EndScene();
  EXPECT_EQ(BackBufferPixel(5, 5), 0x00C800u);
  EXPECT_EQ(BackBufferPixel(11, 11), 0x00C800u);
  EXPECT_EQ(BackBufferPixel(13, 13), 0u);
  EXPECT_EQ(BackBufferPixel(50, 24), 0x00C800u);
  EXPECT_EQ(BackBufferPixel(53, 24), 0u);
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);

  // The camera's pixels copied into a texture of the same format.
  RwRaster* copy = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  ASSERT_EQ(RwRasterPushContext(copy), copy);
  RwRaster* window = RwRasterCreate(0, 0, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  const RwRect part = {8, 8, 8, 8};
  ASSERT_EQ(RwRasterSubRaster(window, camera, &part), window);
  const RwInt32 origin[2] = {0, 0};
  EXPECT_TRUE(RwD3D8RasterRenderFast(window, const_cast<RwInt32*>(origin), 0));
  RwRasterPopContext();
  EXPECT_EQ(RasterPixel(copy, 2, 2), 0x00C800u);
  EXPECT_EQ(RasterPixel(copy, 6, 6), 0u);

  // Depth rasters are drawn nowhere.
  RwRaster* depth = RwRasterCreate(8, 8, 0, rwRASTERTYPEZBUFFER);
  ASSERT_EQ(RwRasterPushContext(camera), camera);
  EXPECT_FALSE(RwD3D8RasterRender(depth, const_cast<RwInt32*>(origin), 0));
  EXPECT_EQ(TakeError().errorCode, kRwErrD3D8Driver);
  RwRasterPopContext();

  for (RwRaster* raster : {window, depth, copy, texture, camera}) {
    RwRasterDestroy(raster);
  }
  RwImageDestroy(image);
}

TEST_F(D3D8RasterDeviceTest, RastersSurviveADeviceReset) {
  Start();
  RwRaster* target = RwRasterCreate(16, 16, 0, rwRASTERTYPECAMERATEXTURE);
  RwRaster* depth = RwRasterCreate(32, 32, 0, rwRASTERTYPEZBUFFER);
  RwRaster* shared = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPEZBUFFER);
  RwRaster* camera = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
  RwRaster* indexed = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888);
  RwRaster* managed = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  for (RwRaster* raster : {target, depth, shared, camera, indexed, managed}) {
    ASSERT_NE(raster, nullptr);
  }
  RwUInt8* palette = RwRasterLockPalette(indexed, rwRASTERLOCKWRITE);
  ASSERT_NE(palette, nullptr);
  palette[4 * 7] = 77;
  RwRasterUnlockPalette(indexed);
  IDirect3DBaseTexture8* managedTexture = Ext(managed)->texture;

  d3d8test::InjectDeviceLoss(Device());
  EXPECT_EQ(Device()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  // The driver's recovery: everything in default memory goes, the device is
  // reset, and it all comes back.
  RwD3D8PixelShadersRelease();
  RwD3D8SharedVertexBuffersForget();
  RwD3D8DynamicVertexBuffersRelease();
  RwD3D8Im2DRenderClose();
  RwD3D8Im3DIndexBufferRelease();
  RwD3D8RasterReleaseVideoMemory();
  EXPECT_EQ(Ext(target)->texture, nullptr);
  EXPECT_EQ(Ext(depth)->surface, nullptr);
  ASSERT_EQ(Device()->Reset(&_rwD3D8Driver.present), D3D_OK);
  ASSERT_TRUE(RwD3D8DynamicVertexBuffersRestore());
  ASSERT_TRUE(RwD3D8PixelShadersRestore());
  ASSERT_TRUE(RwD3D8SharedVertexBuffersCreate());
  ASSERT_TRUE(RwD3D8Im2DRenderOpen());
  ASSERT_TRUE(RwD3D8Im3DIndexBufferCreate());
  ASSERT_TRUE(RwD3D8RasterRestoreVideoMemory());
  RwD3D8RenderStateRestore();

  EXPECT_NE(Ext(target)->texture, nullptr);
  EXPECT_NE(Ext(depth)->surface, nullptr);
  IDirect3DSurface8* deviceDepth = nullptr;
  ASSERT_EQ(Device()->GetDepthStencilSurface(&deviceDepth), D3D_OK);
  EXPECT_EQ(Ext(shared)->surface, deviceDepth);
  deviceDepth->Release();
  EXPECT_EQ(Ext(managed)->texture, managedTexture);
  PALETTEENTRY entries[256];
  ASSERT_EQ(Device()->GetPaletteEntries(Ext(indexed)->palette->paletteNumber, entries), D3D_OK);
  EXPECT_EQ(entries[7].peRed, 77);

  // Everything works again on the reset device.
  Clear(target, 0xFF0000FFu);
  EXPECT_EQ(RasterPixel(target, 8, 8), 0x0000FFu);
  Clear(camera, 0xFF00FF00u);
  EXPECT_EQ(BackBufferPixel(3, 3), 0x00FF00u);
  ASSERT_EQ(RwRasterPushContext(depth), depth);
  EXPECT_TRUE(RwD3D8RasterClear(nullptr, nullptr, 0));
  RwRasterPopContext();
  for (RwRaster* raster : {target, depth, shared, camera, indexed, managed}) {
    RwRasterDestroy(raster);
  }
}

}  // namespace
