// The engine started on the Direct3D 8 stand-in in a hidden SDL window with
// the raster extension attached and the raster and conversion functions in
// the standard-function table, for raster and pixel-conversion tests.
#pragma once

#include <cstring>
#include <ostream>
#include <set>

#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "tests/support/d3d8_engine_window.h"
#include "tests/support/forwarding_direct3d.h"

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
class RefusingDirect3D : public ForwardingDirect3D {
 public:
  using ForwardingDirect3D::ForwardingDirect3D;

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
    return ForwardingDirect3D::CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override {
    if (Refused().claimedRenderTargets.count(renderTargetFormat) != 0) {
      return D3D_OK;
    }
    return ForwardingDirect3D::CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat,
                                                      depthStencilFormat);
  }
};

inline IDirect3D8* CreateRefusingDirect3D(UINT sdkVersion) {
  return CreateForwardingDirect3D<RefusingDirect3D>(sdkVersion);
}

class D3D8RasterTest : public D3D8EngineWindowTest {
 protected:
  static constexpr int kWindowWidth = 64;
  static constexpr int kWindowHeight = 48;

  D3D8RasterTest() : D3D8EngineWindowTest("rasters", kWindowWidth, kWindowHeight, 1 << 20) {}

  void SetUp() override {
    D3D8EngineWindowTest::SetUp();
    Refused() = RefusedFormats();
    _rwD3D8SetDirect3DCreate(CreateRefusingDirect3D);
  }

  void TearDown() override {
    ShutDownEngine();
    _rwD3D8SetDirect3DCreate(nullptr);
    Refused() = RefusedFormats();
    D3D8EngineWindowTest::TearDown();
  }

  // Init, open, the mode and start, on the caps profile.
  void Start(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full, RwInt32 mode = 0,
             const RwMemoryFunctions* memory = nullptr) {
    StartEngine(mode, profile, memory);
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
};

inline bool operator==(const RwRGBA& a, const RwRGBA& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

inline std::ostream& operator<<(std::ostream& out, const RwRGBA& c) {
  return out << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ", " << int(c.alpha) << ")";
}
