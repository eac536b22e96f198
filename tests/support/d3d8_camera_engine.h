// The engine started on the Direct3D 8 stand-in with its Direct3D 8 driver
// (rasters, camera functions, immediate-mode 3D), a window of the stand-in
// and a camera with its frame, frame-buffer and z-buffer rasters; helpers to
// draw a frame's parts and read pixels back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/src/engine_internal.h"
#include "tests/support/d3d8_engine_window.h"

class CameraDriverTest : public D3D8EngineWindowTest {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  CameraDriverTest() : D3D8EngineWindowTest("camera", kWidth, kHeight, 1 << 22) {}

  void TearDown() override {
    ShutDown();
    D3D8EngineWindowTest::TearDown();
  }

  // Init, open, the mode (0: windowed), start and a camera.
  void Start(RwInt32 mode = 0) {
    StartEngine(mode);
    if (HasFatalFailure()) {
      return;
    }
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

  // Destroys the cameras made here, then stops, closes and terminates the
  // engine.
  void ShutDown() {
    for (RwCamera* camera : cameras_) {
      DestroyCamera(camera);
    }
    cameras_.clear();
    camera_ = nullptr;
    ShutDownEngine();
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

  // Clears the camera to the colour and begins its update with culling off;
  // false when the update cannot begin.
  bool BeginDrawing(const RwRGBA& clear) {
    RwCameraClear(camera_, &clear, kRwCameraClearImage | kRwCameraClearZ);
    if (RwCameraBeginUpdate(camera_) == nullptr) {
      return false;
    }
    RwRenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
    return true;
  }

  // BeginDrawing, draw, and the update ended; false when the update cannot
  // begin or draw fails.
  bool DrawFrame(const RwRGBA& clear, const std::function<bool()>& draw) {
    if (!BeginDrawing(clear)) {
      return false;
    }
    const bool drawn = draw();
    RwCameraEndUpdate(camera_);
    return drawn;
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

  RwCamera* camera_ = nullptr;
  std::vector<RwCamera*> cameras_;
};
