// Camera update, clear and present on the Direct3D 8 stand-in: a whole frame
// read back, the window size followed, a lost device recovered, camera
// textures drawn directly or copied back, and vertical sync switched.
#include <algorithm>

#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/tool/charse/charset_internal.h"
#include "tests/support/d3d8_camera_engine.h"

namespace {

constexpr RwRGBA kClearColour = {0x20, 0x40, 0x60, 0xFF};
constexpr uint32_t kClearPixel = 0x204060;
constexpr RwUInt32 kRed = 0xFFFF0000u;
constexpr RwUInt32 kGreen = 0xFF00FF00u;
constexpr int kTextX = 100;
constexpr int kTextY = 90;

void* StateValue(RwInt32 value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

class CameraTest : public CameraDriverTest {
 protected:
  void TearDown() override {
    if (charset_ != nullptr) {
      RtCharsetDestroy(charset_);
      charset_ = nullptr;
    }
    RtCharsetClose();
    CameraDriverTest::TearDown();
  }

  void MakeCharset() {
    ASSERT_TRUE(RtCharsetOpen());
    const RwRGBA white = {255, 255, 255, 255};
    const RwRGBA clear = {0, 0, 0, 0};
    charset_ = RtCharsetCreate(&white, &clear);
    ASSERT_NE(charset_, nullptr);
  }

  // One whole frame: clear, a red 2D rectangle, a green 3D triangle, text.
  bool DrawFrame(RwUInt32 showFlags = 0) {
    const bool drawn = DrawScene();
    return RwRasterShowRaster(camera_->frameBuffer, &window_, showFlags) != nullptr && drawn;
  }

  // The frame's updates without the present.
  bool DrawScene() {
    RwRGBA colour = kClearColour;
    if (RwCameraClear(camera_, &colour, kRwCameraClearImage | kRwCameraClearZ) == nullptr) {
      return false;
    }
    if (RwCameraBeginUpdate(camera_) == nullptr) {
      return false;
    }
    bool drawn = DrawRect(10, 10, 40, 30, kRed);
    drawn = DrawTriangle(kGreen) && drawn;
    drawn = RtCharsetPrint(charset_, "AB", kTextX, kTextY) != nullptr && drawn;
    RwCameraEndUpdate(camera_);
    return drawn;
  }

  // Every pixel of glyph 'A' at the text position: foreground white, the
  // rest the clear colour showing through the transparent background.
  void ExpectGlyphA() {
    const RwUInt8* rows = _rtCharsetFontGlyph('A' - kRtCharsetFirstCode);
    int mismatches = 0;
    for (int row = 0; row < kRtCharsetGlyphHeight; row++) {
      for (int pixel = 0; pixel < kRtCharsetGlyphWidth; pixel++) {
        const uint32_t expected = (rows[row] >> pixel) & 1 ? 0xFFFFFFu : kClearPixel;
        const uint32_t actual = BackBufferPixel(kTextX + pixel, kTextY + row);
        if (actual != expected && mismatches++ < 5) {
          ADD_FAILURE() << "glyph pixel " << pixel << ", row " << row << ": " << std::hex << actual << " instead of "
                        << expected;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }

  void ExpectFramePixels() {
    EXPECT_EQ(BackBufferPixel(2, 2), kClearPixel);
    EXPECT_EQ(BackBufferPixel(kWidth - 3, 3), kClearPixel);
    EXPECT_EQ(BackBufferPixel(20, 20), 0xFF0000u);
    EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), 0x00FF00u);
    ExpectGlyphA();
  }

  RtCharset* charset_ = nullptr;
};

TEST_F(CameraTest, FrameShowsClearColourRectangleTriangleAndText) {
  Start();
  MakeCharset();
  Record();
  ASSERT_TRUE(DrawFrame());
  EXPECT_EQ(Calls("BeginScene"), 1u);
  EXPECT_EQ(Calls("EndScene"), 1u);
  EXPECT_EQ(Calls("Present"), 1u);
  EXPECT_EQ(Calls("Reset"), 0u);
  EXPECT_EQ(RwCameraGetCurrentCamera(), nullptr);
  ExpectFramePixels();
}

TEST_F(CameraTest, CamerasUpdatedInOneFrameShareOneScene) {
  Start();
  RwCamera* second = MakeCamera(rwRASTERTYPECAMERA, kWidth / 2, kHeight / 2);
  ASSERT_NE(second, nullptr);
  Record();
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  ASSERT_NE(RwCameraEndUpdate(camera_), nullptr);
  ASSERT_NE(RwCameraBeginUpdate(second), nullptr);
  D3DVIEWPORT8 viewport;
  Device()->GetViewport(&viewport);
  ASSERT_NE(RwCameraEndUpdate(second), nullptr);
  ASSERT_NE(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  EXPECT_EQ(Calls("BeginScene"), 1u);
  EXPECT_EQ(Calls("EndScene"), 1u);
  // The second camera's viewport has its raster's size.
  EXPECT_EQ(viewport.Width, static_cast<DWORD>(kWidth / 2));
  EXPECT_EQ(viewport.Height, static_cast<DWORD>(kHeight / 2));
}

TEST_F(CameraTest, ProjectionAndViewFollowTheCamera) {
  Start();
  const RwV2d window = {0.5f, 0.25f};
  RwCameraSetViewWindow(camera_, &window);
  const RwV2d offset = {0.1f, 0.2f};
  RwCameraSetViewOffset(camera_, &offset);
  const RwV3d move = {1.0f, 2.0f, 3.0f};
  RwFrameTranslate(RwCameraGetFrame(camera_), &move, 0);
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  D3DMATRIX projection;
  RwD3D8GetTransform(D3DTS_PROJECTION, &projection);
  const float q = 100.0f / (100.0f - 0.1f);
  EXPECT_FLOAT_EQ(projection._11, 2.0f);
  EXPECT_FLOAT_EQ(projection._22, 4.0f);
  EXPECT_FLOAT_EQ(projection._31, 0.2f);
  EXPECT_FLOAT_EQ(projection._32, 0.8f);
  EXPECT_FLOAT_EQ(projection._33, q);
  EXPECT_FLOAT_EQ(projection._34, 1.0f);
  EXPECT_FLOAT_EQ(projection._41, -0.2f);
  EXPECT_FLOAT_EQ(projection._42, -0.8f);
  EXPECT_FLOAT_EQ(projection._43, -q * 0.1f);
  EXPECT_FLOAT_EQ(projection._44, 0.0f);
  D3DMATRIX view;
  RwD3D8GetTransform(D3DTS_VIEW, &view);
  // The inverse of a translation, x mirrored.
  EXPECT_FLOAT_EQ(view._11, -1.0f);
  EXPECT_FLOAT_EQ(view._22, 1.0f);
  EXPECT_FLOAT_EQ(view._33, 1.0f);
  EXPECT_FLOAT_EQ(view._41, 1.0f);
  EXPECT_FLOAT_EQ(view._42, -2.0f);
  EXPECT_FLOAT_EQ(view._43, -3.0f);
  EXPECT_FLOAT_EQ(view._44, 1.0f);
  RwCameraEndUpdate(camera_);

  ASSERT_NE(RwCameraSetProjection(camera_, kRwCameraParallel), nullptr);
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  RwD3D8GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_FLOAT_EQ(projection._33, 1.0f / (100.0f - 0.1f));
  EXPECT_FLOAT_EQ(projection._34, 0.0f);
  EXPECT_FLOAT_EQ(projection._44, 1.0f);
  RwCameraEndUpdate(camera_);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
}

TEST_F(CameraTest, ResizedWindowResetsTheDeviceAtTheNextBeginUpdate) {
  Start();
  MakeCharset();
  ASSERT_TRUE(DrawFrame());
  SDL_SetWindowSize(window_.sdlWindow, kWidth + 40, kHeight + 20);
  Record();
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  EXPECT_EQ(Calls("Reset"), 1u);
  EXPECT_EQ(BackBufferDesc().Width, static_cast<UINT>(kWidth + 40));
  EXPECT_EQ(BackBufferDesc().Height, static_cast<UINT>(kHeight + 20));
  EXPECT_EQ(_rwD3D8Driver.displayMode.width, static_cast<RwUInt32>(kWidth + 40));
  EXPECT_EQ(_rwD3D8Driver.displayMode.height, static_cast<RwUInt32>(kHeight + 20));
  RwCameraEndUpdate(camera_);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);

  // The same size again resets nothing; drawing goes on as before.
  ASSERT_TRUE(DrawFrame());
  EXPECT_EQ(Calls("Reset"), 1u);
  ExpectFramePixels();

  // A clear sees a new size too.
  SDL_SetWindowSize(window_.sdlWindow, kWidth, kHeight);
  RwRGBA colour = kClearColour;
  ASSERT_NE(RwCameraClear(camera_, &colour, kRwCameraClearImage), nullptr);
  EXPECT_EQ(Calls("Reset"), 2u);
  EXPECT_EQ(_rwD3D8Driver.displayMode.width, static_cast<RwUInt32>(kWidth));
  EXPECT_EQ(BackBufferDesc().Width, static_cast<UINT>(kWidth));
}

TEST_F(CameraTest, DeviceLostAtPresentIsResetAndTheNextFramesMatch) {
  Start();
  MakeCharset();
  // A render state set before the loss must hold after it.
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  ASSERT_TRUE(RwRenderStateSet(kRwRenderStateShadeMode, StateValue(1)));
  RwCameraEndUpdate(camera_);
  ASSERT_TRUE(DrawFrame());
  ExpectFramePixels();

  Record();
  ASSERT_TRUE(DrawScene());
  d3d8test::InjectDeviceLoss(Device(), true);
  // Present finds the device lost and resets it; the frame is not shown.
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, &window_, 0), nullptr);
  EXPECT_EQ(Calls("Reset"), 1u);
  EXPECT_EQ(Device()->TestCooperativeLevel(), D3D_OK);

  ASSERT_TRUE(DrawFrame());
  ExpectFramePixels();
  void* shade = nullptr;
  ASSERT_TRUE(RwRenderStateGet(kRwRenderStateShadeMode, &shade));
  EXPECT_EQ(reinterpret_cast<intptr_t>(shade), 1);
  DWORD deviceShade = 0;
  Device()->GetRenderState(D3DRS_SHADEMODE, &deviceShade);
  EXPECT_EQ(deviceShade, static_cast<DWORD>(D3DSHADE_FLAT));
  EXPECT_EQ(Calls("Reset"), 1u);
}

TEST_F(CameraTest, DeviceLostWhileMinimisedWaitsUntilItCanBeReset) {
  Start();
  MakeCharset();
  ASSERT_TRUE(DrawFrame());
  d3d8test::InjectDeviceLoss(Device(), false);
  EXPECT_FALSE(DrawFrame());
  // Still lost: the next begin update fails and the frame is skipped.
  RwRGBA colour = kClearColour;
  RwCameraClear(camera_, &colour, kRwCameraClearImage);
  EXPECT_EQ(RwCameraBeginUpdate(camera_), nullptr);
  RwCameraEndUpdate(camera_);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);

  d3d8test::AllowDeviceReset(Device());
  Record();
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);  // resets and begins the scene
  EXPECT_EQ(Calls("Reset"), 1u);
  RwCameraEndUpdate(camera_);
  RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
  ASSERT_TRUE(DrawFrame());
  ExpectFramePixels();
}

TEST_F(CameraTest, VerticalSyncSwitchesResetTheDeviceOnceEachWay) {
  Start();
  MakeCharset();
  Record();
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 0u);
  EXPECT_TRUE(DrawFrame(1));
  EXPECT_EQ(Calls("Reset"), 1u);
  EXPECT_EQ(_rwD3D8Driver.present.SwapEffect, D3DSWAPEFFECT_COPY_VSYNC);
  ASSERT_TRUE(DrawFrame(1));
  EXPECT_EQ(Calls("Reset"), 1u);
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 2u);
  EXPECT_EQ(_rwD3D8Driver.present.SwapEffect, D3DSWAPEFFECT_COPY);
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 2u);
  ExpectFramePixels();
}

}  // namespace

namespace {

TEST_F(CameraTest, CameraOnASecondWindowPresentsThroughItsOwnSwapChain) {
  Start();
  HWND__ second;
  second.sdlWindow = SDL_CreateWindow("second", 0, 0, 96, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(second.sdlWindow, nullptr);
  RwCamera* camera = MakeCamera(rwRASTERTYPECAMERA, 32, 32);
  ASSERT_NE(camera, nullptr);
  EXPECT_FALSE(RwD3D8CameraAttachWindow(camera, &window_));  // the device's own window
  if (!RwD3D8CameraAttachWindow(camera, &second)) {
    // The stand-in could not draw into the second window; the camera keeps
    // its rasters.
    EXPECT_EQ(camera->frameBuffer->width, 32);
    SDL_DestroyWindow(second.sdlWindow);
    GTEST_SKIP() << "no additional swap chain on this display";
  }
  EXPECT_EQ(camera->frameBuffer->width, 96);
  EXPECT_EQ(camera->frameBuffer->height, 64);
  ASSERT_NE(camera->zBuffer, nullptr);
  Record();
  RwRGBA colour = kClearColour;
  ASSERT_NE(RwCameraClear(camera, &colour, kRwCameraClearImage | kRwCameraClearZ), nullptr);
  ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
  ASSERT_TRUE(DrawRect(0, 0, 10, 10, kRed));
  ASSERT_NE(RwCameraEndUpdate(camera), nullptr);
  EXPECT_NE(RwRasterShowRaster(camera->frameBuffer, nullptr, 0), nullptr);
  EXPECT_EQ(Calls("SwapChain::Present"), 1u);
  EXPECT_EQ(Calls("Present"), 0u);
  // The window's back buffer holds the frame; the device's does not.
  RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(camera->frameBuffer);
  ASSERT_NE(extension, nullptr);
  EXPECT_EQ(SurfacePixel(extension->surface, 5, 5), 0xFF0000u);
  EXPECT_EQ(SurfacePixel(extension->surface, 50, 50), kClearPixel);
  EXPECT_NE(BackBufferPixel(5, 5), 0xFF0000u);

  // A reset keeps the window's swap chain working.
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
  ASSERT_NE(RwCameraEndUpdate(camera), nullptr);
  EXPECT_NE(RwRasterShowRaster(camera->frameBuffer, nullptr, 0), nullptr);

  // The camera's rasters follow its window's size.
  SDL_SetWindowSize(second.sdlWindow, 120, 80);
  ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
  EXPECT_EQ(camera->frameBuffer->width, 120);
  EXPECT_EQ(camera->frameBuffer->height, 80);
  EXPECT_EQ(camera->zBuffer->width, 120);
  ASSERT_TRUE(DrawRect(100, 60, 110, 70, kGreen));
  ASSERT_NE(RwCameraEndUpdate(camera), nullptr);
  EXPECT_NE(RwRasterShowRaster(camera->frameBuffer, nullptr, 0), nullptr);
  extension = _rwD3D8RasterExtensionGet(camera->frameBuffer);
  EXPECT_EQ(SurfacePixel(extension->surface, 105, 65), 0x00FF00u);

  DestroyCamera(camera);
  cameras_.erase(std::find(cameras_.begin(), cameras_.end(), camera));
  SDL_DestroyWindow(second.sdlWindow);
}

}  // namespace

namespace {

class FullScreenCameraTest : public CameraTest {
 protected:
  // The first full-screen mode, or -1.
  static RwInt32 FullScreenMode() {
    const RwInt32 count = RwEngineGetNumVideoModes();
    for (RwInt32 i = 0; i < count; i++) {
      RwVideoMode mode;
      if (RwEngineGetVideoModeInfo(&mode, i) != nullptr && (mode.flags & kRwVideoModeExclusive) != 0) {
        return i;
      }
    }
    return -1;
  }
};

TEST_F(FullScreenCameraTest, VerticalSyncSwitchesThePresentationIntervalOnceEachWay) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1 << 22));
  RwEngineOpenParams params = {&window_};
  ASSERT_TRUE(RwEngineOpen(&params));
  const RwInt32 mode = FullScreenMode();
  RwEngineClose();
  RwEngineTerm();
  if (mode < 0) {
    GTEST_SKIP() << "no full-screen mode";
  }
  Start(mode);
  MakeCharset();
  RwVideoMode info;
  ASSERT_NE(RwEngineGetVideoModeInfo(&info, mode), nullptr);
  Record();
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 0u);
  EXPECT_EQ(_rwD3D8Driver.present.FullScreen_PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
  EXPECT_TRUE(DrawFrame(1));
  EXPECT_EQ(Calls("Reset"), 1u);
  EXPECT_EQ(_rwD3D8Driver.present.FullScreen_PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
  ASSERT_TRUE(DrawFrame(1));
  EXPECT_EQ(Calls("Reset"), 1u);
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 2u);
  EXPECT_EQ(_rwD3D8Driver.present.FullScreen_PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
  // The frame drawn before a switch is lost with the Reset; the next shows.
  ASSERT_TRUE(DrawFrame(0));
  EXPECT_EQ(Calls("Reset"), 2u);
  EXPECT_EQ(BackBufferDesc().Width, static_cast<UINT>(info.width));
  ExpectGlyphA();
}

}  // namespace

namespace {

TEST_F(CameraTest, ResetRefusedWhileSomethingHoldsDeviceMemoryIsRetriedNextFrame) {
  Start();
  MakeCharset();
  ASSERT_TRUE(DrawFrame());
  // Memory in the default pool the driver does not know of holds up a Reset.
  IDirect3DVertexBuffer8* held = nullptr;
  ASSERT_EQ(Device()->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &held), D3D_OK);
  ASSERT_TRUE(DrawScene());
  d3d8test::InjectDeviceLoss(Device(), true);
  Record();
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  EXPECT_EQ(Calls("Reset"), 1u);
  // The next begin update resets again: refused, then retried in the
  // desktop's format, and the frame is skipped.
  EXPECT_EQ(RwCameraBeginUpdate(camera_), nullptr);
  EXPECT_EQ(Calls("Reset"), 3u);
  RwCameraEndUpdate(camera_);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, nullptr, 0), nullptr);
  held->Release();
  // Once the memory is free the device comes back and draws as before.
  DrawFrame();
  ASSERT_TRUE(DrawFrame());
  ExpectFramePixels();
}

}  // namespace
