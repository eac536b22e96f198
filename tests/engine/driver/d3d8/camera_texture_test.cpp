// Cameras that render into textures: straight into a render-target texture,
// or into the back buffer and copied into a texture that cannot be a target.
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "tests/support/d3d8_camera_engine.h"

namespace {

constexpr int kTextureSize = 64;
constexpr RwRGBA kTextureBlue = {0, 0, 255, 255};
constexpr RwRGBA kBackground = {0x30, 0x30, 0x30, 255};
constexpr uint32_t kBackgroundPixel = 0x303030;

class CameraTextureTest : public CameraDriverTest {
 protected:
  RwCamera* MakeTextureCamera(bool zBuffer = true) {
    return MakeCamera(rwRASTERTYPECAMERATEXTURE, kTextureSize, kTextureSize, zBuffer);
  }

  static IDirect3DBaseTexture8* Texture(RwCamera* camera) { return RwD3D8RasterGetD3DTexture(camera->frameBuffer); }

  // Replaces the camera texture's texture by a plain one of the same format,
  // as the raster module makes when a render-target texture cannot be had.
  static void MakeTextureUnrenderable(RwCamera* camera) {
    RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(camera->frameBuffer);
    ASSERT_NE(extension, nullptr);
    ASSERT_NE(extension->texture, nullptr);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(static_cast<IDirect3DTexture8*>(extension->texture)->GetLevelDesc(0, &desc), D3D_OK);
    IDirect3DTexture8* plain = nullptr;
    ASSERT_EQ(Device()->CreateTexture(desc.Width, desc.Height, 1, 0, desc.Format, D3DPOOL_MANAGED, &plain), D3D_OK);
    extension->texture->Release();
    extension->texture = plain;
    extension->renderTarget = 0;
  }

  // Clears the back buffer, then draws a red rectangle over a blue clear in
  // the texture camera.
  void DrawIntoTexture(RwCamera* camera) {
    RwRGBA background = kBackground;
    ASSERT_NE(RwCameraClear(camera_, &background, kRwCameraClearImage | kRwCameraClearZ), nullptr);
    RwRGBA blue = kTextureBlue;
    ASSERT_NE(RwCameraClear(camera, &blue, kRwCameraClearImage | kRwCameraClearZ), nullptr);
    ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
    ASSERT_TRUE(DrawRect(8, 8, 24, 24, 0xFFFF0000u));
    ASSERT_NE(RwCameraEndUpdate(camera), nullptr);
  }

  static uint32_t Texel(RwCamera* camera, unsigned x, unsigned y) {
    return d3d8test::ReadGlTexel(Texture(camera), 0, 0, x, y) & 0x00FFFFFFu;
  }
};

TEST_F(CameraTextureTest, RenderTargetTextureIsDrawnDirectly) {
  Start();
  RwCamera* camera = MakeTextureCamera();
  ASSERT_NE(camera, nullptr);
  ASSERT_NE(Texture(camera), nullptr);
  Record();
  DrawIntoTexture(camera);
  EXPECT_EQ(Texel(camera, 16, 16), 0xFF0000u);
  EXPECT_EQ(Texel(camera, 40, 40), 0x0000FFu);
  EXPECT_EQ(Calls("CopyRects"), 0u);
  // The back buffer keeps its own clear colour; the device target is back.
  EXPECT_EQ(BackBufferPixel(16, 16), kBackgroundPixel);
  IDirect3DSurface8* target = nullptr;
  ASSERT_EQ(Device()->GetRenderTarget(&target), D3D_OK);
  EXPECT_EQ(target, _rwD3D8Driver.renderTarget);
  target->Release();
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
}

TEST_F(CameraTextureTest, TextureThatCannotBeATargetIsDrawnInTheBackBufferAndCopiedBack) {
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::Minimal);
  Start();
  RwCamera* camera = MakeTextureCamera();
  ASSERT_NE(camera, nullptr);
  MakeTextureUnrenderable(camera);
  Record();
  DrawIntoTexture(camera);
  // Clear and end update each copy the rectangle into the texture.
  EXPECT_EQ(Calls("CopyRects"), 2u);
  EXPECT_EQ(Texel(camera, 16, 16), 0xFF0000u);
  EXPECT_EQ(Texel(camera, 40, 40), 0x0000FFu);
  // The drawing went through the back buffer.
  EXPECT_EQ(BackBufferPixel(16, 16), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(kTextureSize + 10, 10), kBackgroundPixel);

  // The next update copies again.
  ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
  ASSERT_TRUE(DrawRect(30, 30, 50, 50, 0xFF00FF00u));
  ASSERT_NE(RwCameraEndUpdate(camera), nullptr);
  EXPECT_EQ(Calls("CopyRects"), 3u);
  EXPECT_EQ(Texel(camera, 40, 40), 0x00FF00u);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
}

TEST_F(CameraTextureTest, DepthClearOfATextureWithoutZBufferClearsColourOnly) {
  Start();
  RwCamera* camera = MakeTextureCamera(false);
  ASSERT_NE(camera, nullptr);
  Record();
  RwRGBA blue = kTextureBlue;
  ASSERT_NE(RwCameraClear(camera, &blue, kRwCameraClearImage | kRwCameraClearZ | kRwCameraClearStencil), nullptr);
  const std::vector<uint64_t> clear = Args("Clear");
  ASSERT_GE(clear.size(), 3u);
  EXPECT_EQ(clear[2], static_cast<uint64_t>(D3DCLEAR_TARGET));
  EXPECT_EQ(Texel(camera, 1, 1), 0x0000FFu);
}

TEST_F(CameraTextureTest, CameraTextureSurvivesADeviceReset) {
  Start();
  RwCamera* camera = MakeTextureCamera();
  ASSERT_NE(camera, nullptr);
  DrawIntoTexture(camera);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  // A render-target texture lives in default memory: it was made again.
  ASSERT_NE(Texture(camera), nullptr);
  DrawIntoTexture(camera);
  EXPECT_EQ(Texel(camera, 16, 16), 0xFF0000u);
  EXPECT_NE(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
}

}  // namespace
