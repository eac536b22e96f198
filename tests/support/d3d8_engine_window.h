// A test fixture base for the engine on the Direct3D 8 stand-in: a hidden
// window of the stand-in (stand_in_window.h), the
// engine's init, open, mode and start on it, the orderly shutdown, and
// helpers to watch the device and read its back buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/engine.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/win32.h"
#include "platform/win/window_internal.h"
#include "tests/support/error_record.h"
#include "tests/support/stand_in_window.h"
#include "tests/support/surface_pixel.h"

class D3D8EngineWindowTest : public ::testing::Test {
 protected:
  // The window's title and client size, and the resource arena the engine
  // is initialised with.
  D3D8EngineWindowTest(const char* title, int width, int height, RwUInt32 resourceArenaSize)
      : title_(title), width_(width), height_(height), resourceArenaSize_(resourceArenaSize) {}

  void SetUp() override {
    ASSERT_TRUE(OpenStandInWindow(window_, title_, width_, height_));
    ASSERT_TRUE(RwD3D8DriverInstall());
  }

  void TearDown() override {
    ShutDownEngine();
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Full);
    CloseStandInWindow(window_);
  }

  // RwEngineInit, the plugins attach_ registers (when set) and RwEngineOpen
  // on the window.
  void OpenEngine(const RwMemoryFunctions* memory = nullptr) {
    ASSERT_TRUE(RwEngineInit(memory, 0, resourceArenaSize_));
    if (attach_ != nullptr) {
      ASSERT_TRUE(attach_());
    }
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
  }

  // Opens, selects the mode (0: windowed) and starts, with the caps profile
  // set first when one is given (otherwise the test's own choice stands),
  // then clears the error record.
  void StartEngine(RwInt32 mode = 0, std::optional<d3d8test::CapsProfile> profile = std::nullopt,
                   const RwMemoryFunctions* memory = nullptr) {
    if (profile.has_value()) {
      d3d8test::SetCapsProfile(*profile);
    }
    OpenEngine(memory);
    if (HasFatalFailure()) {
      return;
    }
    ASSERT_TRUE(RwEngineSetVideoMode(mode));
    ASSERT_TRUE(RwEngineStart());
    ASSERT_NE(Device(), nullptr);
    TakeError();
  }

  // Stops, closes and terminates whatever is open.
  static void ShutDownEngine() {
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
  // Starts recording the device's calls from a clean slate.
  static void Record() {
    d3d8test::SetRecording(Device(), true);
    d3d8test::ClearRecording(Device());
  }
  static unsigned Calls(const char* method) { return d3d8test::CallCount(Device(), method); }
  static std::vector<uint64_t> Args(const char* method) { return d3d8test::LastArgs(Device(), method); }

  // Reads pixel (x, y) of a surface as 0xRRGGBB (0xDEADBEEF when it cannot).
  static uint32_t SurfacePixel(IDirect3DSurface8* surface, int x, int y) { return SurfacePixelRgb(surface, x, y); }

  // Reads back-buffer pixel (x, y) as 0xRRGGBB.
  static uint32_t BackBufferPixel(int x, int y) { return BackBufferPixelRgb(Device(), x, y); }

  HWND__ window_;
  // Registers plugins between RwEngineInit and RwEngineOpen; null: none.
  bool (*attach_)() = nullptr;

 private:
  const char* title_;
  int width_;
  int height_;
  RwUInt32 resourceArenaSize_;
};
