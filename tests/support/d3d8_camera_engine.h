// The engine started on the Direct3D 8 stand-in with its Direct3D 8 driver
// (rasters, camera functions, immediate-mode 3D), a window of the stand-in
// and a camera with its frame, frame-buffer and z-buffer rasters; helpers to
// draw a frame's parts and read pixels back.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/win32.h"
#include "platform/win/window_internal.h"

class CameraDriverTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_.sdlWindow = SDL_CreateWindow("camera", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window_.sdlWindow, nullptr) << SDL_GetError();
    // The driver finds the window functions only when the stand-in's window
    // module is linked; asking once for the client area links it.
    RECT client;
    ASSERT_TRUE(GetClientRect(&window_, &client));
  }

  void TearDown() override {
    ShutDown();
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Full);
    SDL_DestroyWindow(window_.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  // Init, open, the mode (0: windowed), start and a camera.
  void Start(RwInt32 mode = 0) {
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 1 << 22));
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineSetVideoMode(mode));
    ASSERT_TRUE(RwEngineStart());
    ASSERT_NE(Device(), nullptr);
    camera_ = MakeCamera(kRwRasterTypeCameraFlags);
    ASSERT_NE(camera_, nullptr);
    TakeError();
  }

  static constexpr RwUInt32 kRwRasterTypeCameraFlags = rwRASTERTYPECAMERA;

  // A perspective camera at the origin looking along +z, near 0.1, far 100,
  // with a frame-buffer raster of the given type and a z-buffer raster.
  RwCamera* MakeCamera(RwUInt32 rasterFlags, RwInt32 width = kWidth, RwInt32 height = kHeight, bool zBuffer = true) {
    RwCamera* camera = RwCameraCreate();
    RwFrame* frame = RwFrameCreate();
    if (camera == nullptr || frame == nullptr) {
      return nullptr;
    }
    RwCameraSetFrame(camera, frame);
    RwCameraSetNearClipPlane(camera, 0.1f);
    RwCameraSetFarClipPlane(camera, 100.0f);
    RwRaster* raster = RwRasterCreate(width, height, 0, rasterFlags);
    RwRaster* zRaster = zBuffer ? RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER) : nullptr;
    if (raster == nullptr || (zBuffer && zRaster == nullptr)) {
      return nullptr;
    }
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, zRaster);
    cameras_.push_back(camera);
    return camera;
  }

  static void DestroyCamera(RwCamera* camera) {
    RwFrame* frame = RwCameraGetFrame(camera);
    if (camera->frameBuffer != nullptr) {
      RwRasterDestroy(camera->frameBuffer);
    }
    if (camera->zBuffer != nullptr) {
      RwRasterDestroy(camera->zBuffer);
    }
    RwCameraSetRaster(camera, nullptr);
    RwCameraSetZRaster(camera, nullptr);
    RwCameraDestroy(camera);
    if (frame != nullptr) {
      RwFrameDestroy(frame);
    }
  }

  void ShutDown() {
    for (RwCamera* camera : cameras_) {
      DestroyCamera(camera);
    }
    cameras_.clear();
    camera_ = nullptr;
    if (RwEngineInstance == nullptr) {
      return;
    }
    if (RwEngineInstance->engineStatus == kRwEngineStatusStarted) {
      EXPECT_TRUE(RwEngineStop());
    }
    if (RwEngineInstance->engineStatus == kRwEngineStatusOpened) {
      EXPECT_TRUE(RwEngineClose());
    }
    if (RwEngineInstance->engineStatus == kRwEngineStatusInitialised) {
      EXPECT_TRUE(RwEngineTerm());
    }
  }

  static IDirect3DDevice8* Device() { return RwD3D8GetCurrentD3DDevice(); }
  static void Record() {
    d3d8test::SetRecording(Device(), true);
    d3d8test::ClearRecording(Device());
  }
  static unsigned Calls(const char* method) { return d3d8test::CallCount(Device(), method); }
  static std::vector<uint64_t> Args(const char* method) { return d3d8test::LastArgs(Device(), method); }

  static RwErrorRecord TakeError() {
    RwErrorRecord e = {};
    RwErrorGet(&e);
    return e;
  }

  // Reads pixel (x, y) of a surface as 0xRRGGBB.
  static uint32_t SurfacePixel(IDirect3DSurface8* surface, int x, int y) {
    D3DLOCKED_RECT locked;
    RECT r = {x, y, x + 1, y + 1};
    uint32_t value = 0xDEADBEEF;
    if (SUCCEEDED(surface->LockRect(&locked, &r, D3DLOCK_READONLY))) {
      std::memcpy(&value, locked.pBits, 4);
      value &= 0x00FFFFFFu;
      surface->UnlockRect();
    }
    return value;
  }

  static uint32_t BackBufferPixel(int x, int y) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) {
      return 0xDEADBEEF;
    }
    const uint32_t value = SurfacePixel(back, x, y);
    back->Release();
    return value;
  }

  static D3DSURFACE_DESC BackBufferDesc() {
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface8* back = nullptr;
    if (SUCCEEDED(Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) && back != nullptr) {
      back->GetDesc(&desc);
      back->Release();
    }
    return desc;
  }

  // A screen rectangle of one colour through immediate-mode 2D.
  static bool DrawRect(RwReal left, RwReal top, RwReal right, RwReal bottom, RwUInt32 colour) {
    const RwReal z = RwIm2DGetNearScreenZ();
    const RwReal recipZ = 1.0f / 0.1f;
    RwIm2DVertex quad[4] = {{left, top, z, recipZ, colour, 0, 0},
                            {left, bottom, z, recipZ, colour, 0, 0},
                            {right, bottom, z, recipZ, colour, 0, 0},
                            {right, top, z, recipZ, colour, 0, 0}};
    RwRenderStateSet(kRwRenderStateTextureRaster, nullptr);
    return RwIm2DRenderPrimitive(5, quad, 4);
  }

  // A large immediate-mode 3D triangle 5 units in front of the camera,
  // covering the centre of the view.
  static bool DrawTriangle(RwUInt32 colour) {
    RwIm3DVertex triangle[3] = {};
    const RwV3d corners[3] = {{-1.0f, -1.0f, 5.0f}, {1.0f, -1.0f, 5.0f}, {0.0f, 1.0f, 5.0f}};
    for (int i = 0; i < 3; i++) {
      triangle[i].objVertex = corners[i];
      triangle[i].color = colour;
    }
    RwRenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
    RwRenderStateSet(kRwRenderStateTextureRaster, nullptr);
    if (RwIm3DTransform(triangle, 3, nullptr, 0) == nullptr) {
      return false;
    }
    const bool drawn = RwIm3DRenderPrimitive(kRwPrimTypeTriList) != 0;
    RwIm3DEnd();
    return drawn;
  }

  HWND__ window_;
  RwCamera* camera_ = nullptr;
  std::vector<RwCamera*> cameras_;
};
