// The engine opened on the Direct3D 8 stand-in in a hidden SDL window, with a
// Direct3D object that can narrow what the adapter reports (modes, caps,
// depth formats, description) to reach the driver's other roads.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/engine.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/window_internal.h"

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

class D3D8DriverTest : public ::testing::Test {
 protected:
  static constexpr int kWindowWidth = 64;
  static constexpr int kWindowHeight = 48;

  void SetUp() override;
  void TearDown() override;

  // RwEngineInit and RwEngineOpen on the window.
  void OpenEngine();
  // Opens, selects the mode and starts.
  void StartEngine(RwInt32 modeIndex = 0);
  // Stops, closes and terminates whatever is open.
  void ShutDownEngine();

  // The index of the first full-screen mode of this size and depth, or -1.
  static RwInt32 FindMode(RwInt32 width, RwInt32 height, RwInt32 depth, RwUInt32 flags);

  static IDirect3DDevice8* Device() { return RwD3D8GetCurrentD3DDevice(); }
  // Starts recording the device's calls from a clean slate.
  static void Record();
  static unsigned Calls(const char* method) { return d3d8test::CallCount(Device(), method); }
  static std::vector<uint64_t> Args(const char* method) { return d3d8test::LastArgs(Device(), method); }
  // Reads back-buffer pixel (x, y) as 0xRRGGBB.
  static uint32_t BackBufferPixel(int x, int y);
  static RwErrorRecord TakeError();

  HWND__ window_;
};

// Implementation, shared by the test files of this program.

namespace driver_fixture {

inline bool Is32BitDepthFormat(D3DFORMAT format) {
  return format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4 || format == D3DFMT_D32 || format == D3DFMT_D24X8;
}

// Passes every call to the stand-in's object, changing the answers the
// options name.
class NarrowedDirect3D : public IDirect3D8 {
 public:
  explicit NarrowedDirect3D(IDirect3D8* real) : real_(real) {}

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      real_->Release();
      delete this;
    }
    return left;
  }
  UINT GetAdapterCount() override { return real_->GetAdapterCount(); }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override {
    const HRESULT result = real_->GetAdapterIdentifier(adapter, flags, identifier);
    if (SUCCEEDED(result) && !TestDirect3D().description.empty()) {
      std::memset(identifier->Description, 0, sizeof identifier->Description);
      std::strncpy(identifier->Description, TestDirect3D().description.c_str(), sizeof identifier->Description - 1);
    }
    return result;
  }
  UINT GetAdapterModeCount(UINT adapter) override {
    return TestDirect3D().modes.empty() ? real_->GetAdapterModeCount(adapter) : UINT(TestDirect3D().modes.size());
  }
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
    if (TestDirect3D().modes.empty()) return real_->EnumAdapterModes(adapter, mode, displayMode);
    if (mode >= TestDirect3D().modes.size()) return D3DERR_INVALIDCALL;
    *displayMode = TestDirect3D().modes[mode];
    return D3D_OK;
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
    if (TestDirect3D().no32BitDepthFormats && (usage & D3DUSAGE_DEPTHSTENCIL) && Is32BitDepthFormat(checkFormat)) {
      return D3DERR_NOTAVAILABLE;
    }
    return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override {
    if (TestDirect3D().no32BitDepthFormats && Is32BitDepthFormat(depthStencilFormat)) return D3DERR_NOTAVAILABLE;
    return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat);
  }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
    const HRESULT result = real_->GetDeviceCaps(adapter, type, caps);
    if (SUCCEEDED(result)) {
      if (TestDirect3D().noHardwareTnL) caps->DevCaps &= ~DWORD(D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE);
      if (TestDirect3D().noWindowedRendering) caps->Caps2 &= ~DWORD(D3DCAPS2_CANRENDERWINDOWED);
    }
    return result;
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
    return real_->CreateDevice(adapter, type, focusWindow, behaviorFlags, params, device);
  }

 private:
  IDirect3D8* real_;
  ULONG refs_ = 1;
};

}  // namespace driver_fixture

inline IDirect3D8* CreateTestDirect3D(UINT sdkVersion) {
  IDirect3D8* real = Direct3DCreate8(sdkVersion);
  return real != nullptr ? new driver_fixture::NarrowedDirect3D(real) : nullptr;
}

inline void D3D8DriverTest::SetUp() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  window_.sdlWindow =
      SDL_CreateWindow("driver", 0, 0, kWindowWidth, kWindowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(window_.sdlWindow, nullptr) << SDL_GetError();
  TestDirect3D() = TestDirect3DOptions();
  _rwD3D8SetDirect3DCreate(CreateTestDirect3D);
}

inline void D3D8DriverTest::TearDown() {
  ShutDownEngine();
  _rwD3D8SetDirect3DCreate(nullptr);
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::Full);
  if (window_.sdlWindow != nullptr) {
    SDL_DestroyWindow(window_.sdlWindow);
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

inline void D3D8DriverTest::OpenEngine() {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  RwEngineOpenParams params = {&window_};
  ASSERT_TRUE(RwEngineOpen(&params));
}

inline void D3D8DriverTest::StartEngine(RwInt32 modeIndex) {
  OpenEngine();
  ASSERT_TRUE(RwEngineSetVideoMode(modeIndex));
  ASSERT_TRUE(RwEngineStart());
  ASSERT_NE(Device(), nullptr);
  TakeError();
}

inline void D3D8DriverTest::ShutDownEngine() {
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

inline void D3D8DriverTest::Record() {
  d3d8test::SetRecording(Device(), true);
  d3d8test::ClearRecording(Device());
}

inline uint32_t D3D8DriverTest::BackBufferPixel(int x, int y) {
  IDirect3DSurface8* back = nullptr;
  if (FAILED(Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) return 0xDEADBEEF;
  D3DLOCKED_RECT locked;
  RECT r = {x, y, x + 1, y + 1};
  uint32_t value = 0xDEADBEEF;
  if (SUCCEEDED(back->LockRect(&locked, &r, D3DLOCK_READONLY))) {
    std::memcpy(&value, locked.pBits, 4);
    value &= 0x00FFFFFFu;
    back->UnlockRect();
  }
  back->Release();
  return value;
}

inline RwErrorRecord D3D8DriverTest::TakeError() {
  RwErrorRecord e = {};
  RwErrorGet(&e);
  return e;
}
