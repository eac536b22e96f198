// The engine opened on the Direct3D 8 stand-in in a hidden SDL window, with a
// Direct3D object that can narrow what the adapter reports (modes, caps,
// depth formats, description) to reach the driver's other roads.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/d3d8_engine_window.h"
#include "tests/support/forwarding_direct3d.h"

// What the Direct3D object of the next open changes in the stand-in's answers.
struct TestDirect3DOptions {
  bool noHardwareTnL = false;         // DevCaps without hardware transform and lighting
  bool noWindowedRendering = false;   // Caps2 without D3DCAPS2_CANRENDERWINDOWED
  bool no32BitDepthFormats = false;   // D24S8, D24X4S4, D32 and D24X8 refused
  std::vector<D3DDISPLAYMODE> modes;  // replaces the adapter's modes when not empty
  std::string description;            // replaces the adapter description when not empty
};

inline TestDirect3DOptions& TestDirect3D() {
  static TestDirect3DOptions options;
  return options;
}
IDirect3D8* CreateTestDirect3D(UINT sdkVersion);

class D3D8DriverTest : public D3D8EngineWindowTest {
 protected:
  static constexpr int kWindowWidth = 64;
  static constexpr int kWindowHeight = 48;

  D3D8DriverTest() : D3D8EngineWindowTest("driver", kWindowWidth, kWindowHeight, 4194304) {}

  void SetUp() override;
  void TearDown() override;

  // The index of the first full-screen mode of this size and depth, or -1.
  static RwInt32 FindMode(RwInt32 width, RwInt32 height, RwInt32 depth, RwUInt32 flags);
};

// Implementation, shared by the test files of this program.

namespace driver_fixture {

inline bool Is32BitDepthFormat(D3DFORMAT format) {
  return format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4 || format == D3DFMT_D32 || format == D3DFMT_D24X8;
}

// Passes every call to the stand-in's object, changing the answers the
// options name.
class NarrowedDirect3D : public ForwardingDirect3D {
 public:
  using ForwardingDirect3D::ForwardingDirect3D;

  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override {
    const HRESULT result = ForwardingDirect3D::GetAdapterIdentifier(adapter, flags, identifier);
    if (SUCCEEDED(result) && !TestDirect3D().description.empty()) {
      std::memset(identifier->Description, 0, sizeof identifier->Description);
      std::strncpy(identifier->Description, TestDirect3D().description.c_str(), sizeof identifier->Description - 1);
    }
    return result;
  }
  UINT GetAdapterModeCount(UINT adapter) override {
    return TestDirect3D().modes.empty() ? ForwardingDirect3D::GetAdapterModeCount(adapter)
                                        : UINT(TestDirect3D().modes.size());
  }
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
    if (TestDirect3D().modes.empty()) return ForwardingDirect3D::EnumAdapterModes(adapter, mode, displayMode);
    if (mode >= TestDirect3D().modes.size()) return D3DERR_INVALIDCALL;
    *displayMode = TestDirect3D().modes[mode];
    return D3D_OK;
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
    if (TestDirect3D().no32BitDepthFormats && (usage & D3DUSAGE_DEPTHSTENCIL) && Is32BitDepthFormat(checkFormat)) {
      return D3DERR_NOTAVAILABLE;
    }
    return ForwardingDirect3D::CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override {
    if (TestDirect3D().no32BitDepthFormats && Is32BitDepthFormat(depthStencilFormat)) return D3DERR_NOTAVAILABLE;
    return ForwardingDirect3D::CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat,
                                                      depthStencilFormat);
  }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
    const HRESULT result = ForwardingDirect3D::GetDeviceCaps(adapter, type, caps);
    if (SUCCEEDED(result)) {
      if (TestDirect3D().noHardwareTnL) caps->DevCaps &= ~DWORD(D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE);
      if (TestDirect3D().noWindowedRendering) caps->Caps2 &= ~DWORD(D3DCAPS2_CANRENDERWINDOWED);
    }
    return result;
  }
};

}  // namespace driver_fixture

inline IDirect3D8* CreateTestDirect3D(UINT sdkVersion) {
  return CreateForwardingDirect3D<driver_fixture::NarrowedDirect3D>(sdkVersion);
}

inline void D3D8DriverTest::SetUp() {
  D3D8EngineWindowTest::SetUp();
  TestDirect3D() = TestDirect3DOptions();
  _rwD3D8SetDirect3DCreate(CreateTestDirect3D);
}

inline void D3D8DriverTest::TearDown() {
  ShutDownEngine();
  _rwD3D8SetDirect3DCreate(nullptr);
  D3D8EngineWindowTest::TearDown();
}

inline RwInt32 D3D8DriverTest::FindMode(RwInt32 width, RwInt32 height, RwInt32 depth, RwUInt32 flags) {
  const RwInt32 count = RwEngineGetNumVideoModes();
  for (RwInt32 i = 0; i < count; i++) {
    RwVideoMode mode;
    if (RwEngineGetVideoModeInfo(&mode, i) != nullptr && mode.width == width && mode.height == height &&
        mode.depth == depth && mode.flags == flags) {
      return i;
    }
  }
  return -1;
}
