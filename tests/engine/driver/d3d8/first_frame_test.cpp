// The engine on a window of the Windows stand-in, as a program opens it:
// every frame clears, prints its number with the charset and presents; the
// window is resized by its user and the device lost on the way, and every
// shown frame carries its text; then everything shuts down.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "engine/tool/charse/charset_internal.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/win32.h"
#include "platform/win/win_testing.h"
#include "tests/support/surface_pixel.h"

namespace {

constexpr char kClassName[] = "RwAppClass";
constexpr int kClientWidth = 160;
constexpr int kClientHeight = 120;
constexpr int kResizedWidth = 224;
constexpr int kResizedHeight = 168;
constexpr int kFrames = 60;
constexpr int kResizeFrame = 15;
constexpr int kLossFrame = 35;
constexpr RwRGBA kFirstClearColour = {0x10, 0x30, 0x50, 0xFF};
constexpr uint32_t kFirstClearPixel = 0x103050;
constexpr int kFirstTextX = 8;
constexpr int kFirstTextY = 8;

LRESULT WINAPI WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class FirstFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    RECT rect = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExA(0, kClassName, "first frame", WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(RwD3D8DriverInstall());
    ShowWindow(window_, SW_SHOW);
  }

  void TearDown() override {
    if (window_ != nullptr) {
      DestroyWindow(window_);
    }
    UnregisterClassA(kClassName, nullptr);
  }

  void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  // The camera's rasters follow the client area, as a program's resize
  // handling makes them.
  bool FitCameraRasters() {
    RECT client;
    if (!GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0) {
      return false;
    }
    if (camera_->frameBuffer != nullptr && camera_->frameBuffer->width == client.right &&
        camera_->frameBuffer->height == client.bottom) {
      return true;
    }
    if (camera_->frameBuffer != nullptr) {
      RwRasterDestroy(camera_->frameBuffer);
      RwRasterDestroy(camera_->zBuffer);
    }
    RwCameraSetRaster(camera_, RwRasterCreate(client.right, client.bottom, 0, rwRASTERTYPECAMERA));
    RwCameraSetZRaster(camera_, RwRasterCreate(client.right, client.bottom, 0, rwRASTERTYPEZBUFFER));
    return camera_->frameBuffer != nullptr && camera_->zBuffer != nullptr;
  }

  static uint32_t BackBufferPixel(int x, int y) { return BackBufferPixelRgb(RwD3D8GetCurrentD3DDevice(), x, y); }

  // The first character of the frame's text, 'F', pixel by pixel.
  static bool TextShown() {
    const RwUInt8* rows = _rtCharsetFontGlyph('F' - kRtCharsetFirstCode);
    for (int row = 0; row < kRtCharsetGlyphHeight; row++) {
      for (int pixel = 0; pixel < kRtCharsetGlyphWidth; pixel++) {
        const uint32_t expected = (rows[row] >> pixel) & 1 ? 0xFFFFFFu : kFirstClearPixel;
        if (BackBufferPixel(kFirstTextX + pixel, kFirstTextY + row) != expected) {
          return false;
        }
      }
    }
    return true;
  }

  HWND window_ = nullptr;
  RwCamera* camera_ = nullptr;
};

TEST_F(FirstFrameTest, FramesPrintTheirTextThroughResizeAndDeviceLossAndShutDown) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1 << 22));
  RwEngineOpenParams params = {window_};
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineSetVideoMode(0));
  ASSERT_TRUE(RwEngineStart());
  ASSERT_TRUE(RtCharsetOpen());
  const RwRGBA white = {255, 255, 255, 255};
  const RwRGBA transparent = {0, 0, 0, 0};
  RtCharset* charset = RtCharsetCreate(&white, &transparent);
  ASSERT_NE(charset, nullptr);
  camera_ = RwCameraCreate();
  RwFrame* frame = RwFrameCreate();
  ASSERT_NE(camera_, nullptr);
  RwCameraSetFrame(camera_, frame);
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  d3d8test::SetRecording(device, true);

  int shown = 0;
  int withText = 0;
  for (int number = 0; number < kFrames; number++) {
    if (number == kResizeFrame) {
      // The frame dragged to a new size: the window takes it and hears of it.
      RECT rect = {0, 0, kResizedWidth, kResizedHeight};
      AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
      ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                               SWP_NOMOVE | SWP_NOZORDER));
      ASSERT_TRUE(WinTestPushResize(window_, kResizedWidth, kResizedHeight, TRUE));
    }
    PumpMessages();
    ASSERT_TRUE(FitCameraRasters());
    RwRGBA colour = kFirstClearColour;
    RwCameraClear(camera_, &colour, kRwCameraClearImage | kRwCameraClearZ);
    if (RwCameraBeginUpdate(camera_) != nullptr) {
      char text[32];
      std::snprintf(text, sizeof text, "Frame %d", number);
      RtCharsetPrint(charset, text, kFirstTextX, kFirstTextY);
      RwCameraEndUpdate(camera_);
    }
    if (number == kLossFrame) {
      d3d8test::InjectDeviceLoss(device, true);
    }
    if (RwRasterShowRaster(camera_->frameBuffer, window_, 0) != nullptr) {
      shown++;
      withText += TextShown() ? 1 : 0;
    }
  }
  EXPECT_EQ(shown, kFrames - 1);  // only the frame that lost the device
  EXPECT_EQ(withText, shown);
  EXPECT_EQ(d3d8test::CallCount(device, "Reset"), 2u);
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, kResizedWidth);
  EXPECT_EQ(BackBufferPixel(kResizedWidth - 2, kResizedHeight - 2), kFirstClearPixel);

  RwRasterDestroy(camera_->frameBuffer);
  RwRasterDestroy(camera_->zBuffer);
  RwCameraSetRaster(camera_, nullptr);
  RwCameraSetZRaster(camera_, nullptr);
  RwCameraDestroy(camera_);
  RwFrameDestroy(frame);
  EXPECT_TRUE(RtCharsetDestroy(charset));
  RtCharsetClose();
  EXPECT_TRUE(RwEngineStop());
  EXPECT_TRUE(RwEngineClose());
  EXPECT_TRUE(RwEngineTerm());
}

}  // namespace

namespace {

TEST_F(FirstFrameTest, WindowTooLargeForABackBufferIsSizedBack) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1 << 22));
  RwEngineOpenParams params = {window_};
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineSetVideoMode(0));
  ASSERT_TRUE(RwEngineStart());
  camera_ = RwCameraCreate();
  ASSERT_NE(camera_, nullptr);
  ASSERT_TRUE(FitCameraRasters());

  // Wider than any back buffer the device can make: the Reset fails.
  const int tooWide = static_cast<int>(RwD3D8GetCaps()->MaxTextureWidth) + 16;
  RECT rect = {0, 0, tooWide, 64};
  AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
  ASSERT_TRUE(
      SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER));
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  if (client.right != tooWide) {
    GTEST_SKIP() << "the display keeps windows smaller than a back buffer can be";
  }
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  d3d8test::SetRecording(device, true);
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  RwCameraEndUpdate(camera_);
  EXPECT_EQ(d3d8test::CallCount(device, "Reset"), 2u);  // the new size, then the old one
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, kClientWidth);
  EXPECT_EQ(client.bottom, kClientHeight);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  back->Release();
  EXPECT_EQ(desc.Width, static_cast<UINT>(kClientWidth));
  EXPECT_EQ(desc.Height, static_cast<UINT>(kClientHeight));
  EXPECT_NE(RwRasterShowRaster(camera_->frameBuffer, window_, 0), nullptr);

  RwRasterDestroy(camera_->frameBuffer);
  RwRasterDestroy(camera_->zBuffer);
  RwCameraSetRaster(camera_, nullptr);
  RwCameraSetZRaster(camera_, nullptr);
  RwCameraDestroy(camera_);
  EXPECT_TRUE(RwEngineStop());
  EXPECT_TRUE(RwEngineClose());
  EXPECT_TRUE(RwEngineTerm());
}

}  // namespace
