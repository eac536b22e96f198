// A Direct3D object and a windowed device on a hidden SDL window, for the
// stand-in's tests.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/d3d8/device_internal.h"
#include "platform/win/window_internal.h"
#include "tests/support/stand_in_window.h"

class D3D8Test : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 64;
  static constexpr UINT kHeight = 48;

  void SetUp() override {
    ASSERT_TRUE(OpenStandInWindow(window_, "d3d8", int(kWidth), int(kHeight)));
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      // Nothing the device did was refused by OpenGL.
      EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_ != nullptr) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
    CloseStandInWindow(window_);
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Full);
  }

  D3DPRESENT_PARAMETERS WindowedParams(bool autoDepth = true) {
    D3DPRESENT_PARAMETERS params = {};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_COPY;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.EnableAutoDepthStencil = autoDepth ? TRUE : FALSE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    params.hDeviceWindow = &window_;
    return params;
  }

  D3DPRESENT_PARAMETERS FullScreenParams(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS params = WindowedParams();
    params.Windowed = FALSE;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.BackBufferWidth = width;
    params.BackBufferHeight = height;
    return params;
  }

  void CreateDevice(DWORD behaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    D3DPRESENT_PARAMETERS params = WindowedParams();
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, behaviour, &params, &device_), D3D_OK);
    ASSERT_NE(device_, nullptr);
  }

  // Reads pixel (x, y) of a surface as 0xAARRGGBB through LockRect.
  static uint32_t ReadPixel32(IDirect3DSurface8* surface, int x, int y) {
    D3DLOCKED_RECT locked;
    RECT r = {x, y, x + 1, y + 1};
    if (surface->LockRect(&locked, &r, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEF;
    uint32_t value;
    std::memcpy(&value, locked.pBits, 4);
    surface->UnlockRect();
    return value;
  }

  HWND__ window_;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};
