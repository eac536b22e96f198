// The engine started on the Direct3D 8 stand-in in a hidden SDL window with
// the raster extension attached and the raster and conversion functions in
// the standard-function table, for raster and pixel-conversion tests.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/engine.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/window_internal.h"

// Formats the Direct3D object of the next open refuses, on top of the
// stand-in's own answers (to reach the fall-backs for missing formats).
struct RefusedFormats {
  std::set<D3DFORMAT> textures;
  std::set<D3DFORMAT> renderTargets;
  // Claimed as render-target textures although the device cannot make them.
  std::set<D3DFORMAT> claimedRenderTargets;
};

inline RefusedFormats& Refused() {
  static RefusedFormats refused;
  return refused;
}

// Passes every call to the stand-in's Direct3D object, refusing the formats
// named in Refused().
class RefusingDirect3D : public IDirect3D8 {
 public:
  explicit RefusingDirect3D(IDirect3D8* real) : real_(real) {}
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      real_->Release();
      delete this;
    }
    return left;
  }
  UINT GetAdapterCount() override { return real_->GetAdapterCount(); }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override {
    return real_->GetAdapterIdentifier(adapter, flags, identifier);
  }
  UINT GetAdapterModeCount(UINT adapter) override { return real_->GetAdapterModeCount(adapter); }
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
    return real_->EnumAdapterModes(adapter, mode, displayMode);
  }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
    return real_->GetAdapterDisplayMode(adapter, displayMode);
  }
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed) override {
    return real_->CheckDeviceType(adapter, type, displayFormat, backBufferFormat, windowed);
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
    if (resourceType == D3DRTYPE_TEXTURE && (usage & D3DUSAGE_RENDERTARGET) &&
        Refused().claimedRenderTargets.count(checkFormat) != 0) {
      return D3D_OK;
    }
    if (resourceType == D3DRTYPE_TEXTURE) {
      const std::set<D3DFORMAT>& refused =
          (usage & D3DUSAGE_RENDERTARGET) ? Refused().renderTargets : Refused().textures;
      if (refused.count(checkFormat) != 0) {
        return D3DERR_NOTAVAILABLE;
      }
    }
    return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override {
    if (Refused().claimedRenderTargets.count(renderTargetFormat) != 0) {
      return D3D_OK;
    }
    return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat);
  }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
    return real_->GetDeviceCaps(adapter, type, caps);
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
    return real_->CreateDevice(adapter, type, focusWindow, behaviorFlags, params, device);
  }

 private:
  IDirect3D8* real_;
  ULONG references_ = 1;
};

inline IDirect3D8* CreateRefusingDirect3D(UINT sdkVersion) {
  IDirect3D8* real = Direct3DCreate8(sdkVersion);
  return real != nullptr ? new RefusingDirect3D(real) : nullptr;
}

class D3D8RasterTest : public ::testing::Test {
 protected:
  static constexpr int kWindowWidth = 64;
  static constexpr int kWindowHeight = 48;

  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    window_.sdlWindow =
        SDL_CreateWindow("rasters", 0, 0, kWindowWidth, kWindowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window_.sdlWindow, nullptr) << SDL_GetError();
    Refused() = RefusedFormats();
    _rwD3D8SetDirect3DCreate(CreateRefusingDirect3D);
  }

  void TearDown() override {
    ShutDown();
    _rwD3D8SetDirect3DCreate(nullptr);
    Refused() = RefusedFormats();
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Full);
    SDL_DestroyWindow(window_.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  // Init, open, the mode and start.
  void Start(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full, RwInt32 mode = 0,
             const RwMemoryFunctions* memory = nullptr) {
    d3d8test::SetCapsProfile(profile);
    ASSERT_TRUE(RwEngineInit(memory, 0, 1 << 20));
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineSetVideoMode(mode));
    ASSERT_TRUE(RwEngineStart());
    ASSERT_NE(Device(), nullptr);
    TakeError();
  }

  void ShutDown() {
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

  static RwErrorRecord TakeError() {
    RwErrorRecord e = {};
    RwErrorGet(&e);
    return e;
  }

  // Starts recording the device's calls from a clean slate.
  static void Record() {
    d3d8test::SetRecording(Device(), true);
    d3d8test::ClearRecording(Device());
  }

  static RwD3D8RasterExtension* Ext(RwRaster* raster) { return _rwD3D8RasterExtensionGet(raster); }

  // A 32-bit image of the size with every pixel the colour.
  static RwImage* SolidImage(RwInt32 width, RwInt32 height, RwRGBA colour) {
    RwImage* image = RwImageCreate(width, height, 32);
    if (image == nullptr || RwImageAllocatePixels(image) == nullptr) {
      return nullptr;
    }
    for (RwInt32 y = 0; y < height; ++y) {
      for (RwInt32 x = 0; x < width; ++x) {
        std::memcpy(image->pixels + y * image->stride + 4 * x, &colour, 4);
      }
    }
    return image;
  }

  static RwRGBA ImagePixel(const RwImage* image, RwInt32 x, RwInt32 y) {
    RwRGBA c;
    std::memcpy(&c, image->pixels + y * image->stride + 4 * x, 4);
    return c;
  }

  // Back-buffer pixel (x, y) as 0xRRGGBB.
  static RwUInt32 BackBufferPixel(int x, int y) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) return 0xDEADBEEF;
    D3DLOCKED_RECT locked;
    RECT r = {x, y, x + 1, y + 1};
    RwUInt32 value = 0xDEADBEEF;
    if (SUCCEEDED(back->LockRect(&locked, &r, D3DLOCK_READONLY))) {
      std::memcpy(&value, locked.pBits, 4);
      value &= 0x00FFFFFFu;
      back->UnlockRect();
    }
    back->Release();
    return value;
  }

  HWND__ window_;
};

inline bool operator==(const RwRGBA& a, const RwRGBA& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

inline std::ostream& operator<<(std::ostream& out, const RwRGBA& c) {
  return out << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ", " << int(c.alpha) << ")";
}
