// The driver's device system through the engine's calls: open, video modes,
// adapters, start in windowed and full-screen modes with the depth-format
// choice, the processor settings and the standard functions.
#include <xmmintrin.h>

#include <string>

#include "tests/engine/driver/d3d8/driver_fixture.h"
#include "tests/support/fake_driver.h"

namespace {

constexpr unsigned kFlushToZero = 0x8000;

D3DDISPLAYMODE Mode(UINT width, UINT height, UINT rate, D3DFORMAT format) { return {width, height, rate, format}; }

IDirect3D8* NoDirect3D(UINT) { return nullptr; }

class DeviceTest : public D3D8DriverTest {};

TEST_F(DeviceTest, ModeListStartsWithTheDesktopAndMergesRefreshRates) {
  TestDirect3D().modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(640, 480, 75, D3DFMT_X8R8G8B8),
                          Mode(640, 480, 70, D3DFMT_X8R8G8B8), Mode(800, 600, 60, D3DFMT_X8R8G8B8),
                          Mode(640, 480, 60, D3DFMT_R5G6B5)};
  OpenEngine();
  ASSERT_EQ(RwEngineGetNumVideoModes(), 4);

  D3DDISPLAYMODE desktop;
  ASSERT_EQ(_rwD3D8Driver.d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  RwVideoMode info;
  ASSERT_NE(RwEngineGetVideoModeInfo(&info, 0), nullptr);
  EXPECT_EQ(info.width, RwInt32(desktop.Width));
  EXPECT_EQ(info.height, RwInt32(desktop.Height));
  EXPECT_EQ(info.flags, 0u);

  struct Expected {
    RwInt32 width, height, depth;
    RwUInt32 refreshRate;
  };
  const Expected expected[] = {{640, 480, 32, 75}, {800, 600, 32, 60}, {640, 480, 16, 60}};
  for (RwInt32 i = 1; i < 4; i++) {
    SCOPED_TRACE(i);
    ASSERT_NE(RwEngineGetVideoModeInfo(&info, i), nullptr);
    EXPECT_EQ(info.width, expected[i - 1].width);
    EXPECT_EQ(info.height, expected[i - 1].height);
    EXPECT_EQ(info.depth, expected[i - 1].depth);
    EXPECT_EQ(info.flags, kRwVideoModeExclusive);
    EXPECT_EQ(_rwD3D8Driver.videoModes[i].refreshRate, expected[i - 1].refreshRate);
  }
  EXPECT_EQ(RwEngineGetVideoModeInfo(&info, 4), nullptr);
  EXPECT_EQ(RwEngineGetVideoModeInfo(&info, -1), nullptr);
  EXPECT_FALSE(RwEngineSetVideoMode(4));
}

TEST_F(DeviceTest, AdapterThatCannotRenderWindowedHasNoWindowedMode) {
  TestDirect3D().noWindowedRendering = true;
  TestDirect3D().modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8)};
  OpenEngine();
  ASSERT_EQ(RwEngineGetNumVideoModes(), 1);
  RwVideoMode info;
  ASSERT_NE(RwEngineGetVideoModeInfo(&info, 0), nullptr);
  EXPECT_EQ(info.flags, kRwVideoModeExclusive);
  EXPECT_EQ(info.width, 640);
}

TEST_F(DeviceTest, WindowedStartTakesTheWindowsSizeAndTheDesktopFormat) {
  StartEngine(0);
  D3DDISPLAYMODE desktop;
  ASSERT_EQ(_rwD3D8Driver.d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  EXPECT_TRUE(_rwD3D8Driver.present.Windowed);
  EXPECT_EQ(_rwD3D8Driver.present.SwapEffect, D3DSWAPEFFECT_COPY);
  EXPECT_EQ(_rwD3D8Driver.present.BackBufferFormat, desktop.Format);
  EXPECT_EQ(_rwD3D8Driver.displayMode.width, RwUInt32(kWindowWidth));
  EXPECT_EQ(_rwD3D8Driver.displayMode.height, RwUInt32(kWindowHeight));
  EXPECT_EQ(_rwD3D8Driver.present.AutoDepthStencilFormat, D3DFMT_D24S8);
  EXPECT_TRUE(_rwD3D8Driver.zBufferHasStencil);
}

TEST_F(DeviceTest, ModeCannotChangeOnceStarted) {
  OpenEngine();
  const RwInt32 mode = FindMode(640, 480, 32, kRwVideoModeExclusive);
  ASSERT_GE(mode, 1);
  ASSERT_TRUE(RwEngineSetVideoMode(mode));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_FALSE(RwEngineSetVideoMode(0));
  EXPECT_FALSE(RwD3D8SystemHandler(kRwDeviceSetSubSystem, nullptr, nullptr, 0));
  EXPECT_EQ(RwEngineGetCurrentVideoMode(), mode);
  EXPECT_EQ(_rwD3D8Driver.displayMode.flags, kRwVideoModeExclusive);
  EXPECT_EQ(_rwD3D8Driver.displayMode.width, 640u);
}

TEST_F(DeviceTest, ThirtyTwoBitModeWithoutThirtyTwoBitDepthFormatsFallsBackToSixteen) {
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::Minimal);
  TestDirect3D().no32BitDepthFormats = true;
  OpenEngine();
  const RwInt32 mode = FindMode(640, 480, 32, kRwVideoModeExclusive);
  ASSERT_GE(mode, 0);
  ASSERT_TRUE(RwEngineSetVideoMode(mode));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_EQ(_rwD3D8Driver.displayDepth, 16);
  EXPECT_EQ(_rwD3D8Driver.present.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_FALSE(_rwD3D8Driver.zBufferHasStencil);
  EXPECT_FALSE(_rwD3D8Driver.present.Windowed);
  EXPECT_EQ(_rwD3D8Driver.present.BackBufferWidth, 640u);
  EXPECT_EQ(_rwD3D8Driver.present.FullScreen_PresentationInterval, UINT(D3DPRESENT_INTERVAL_IMMEDIATE));
}

TEST_F(DeviceTest, AdapterDescriptionIsCutToTheCallersRecord) {
  TestDirect3D().description = std::string(300, 'x') + "tail";
  OpenEngine();
  EXPECT_EQ(RwEngineGetNumSubSystems(), RwInt32(_rwD3D8Driver.d3d->GetAdapterCount()));
  struct Guarded {
    RwSubSystemInfo info;
    char guard[64];
  } record;
  std::memset(&record, 0x5A, sizeof record);
  ASSERT_NE(RwEngineGetSubSystemInfo(&record.info, 0), nullptr);
  EXPECT_EQ(std::strlen(record.info.name), sizeof record.info.name - 1);
  EXPECT_EQ(std::string(record.info.name), std::string(sizeof record.info.name - 1, 'x'));
  for (char c : record.guard) {
    ASSERT_EQ(c, 0x5A);
  }
  EXPECT_EQ(RwEngineGetSubSystemInfo(&record.info, 99), nullptr);
  EXPECT_EQ(RwEngineGetCurrentSubSystem(), 0);
  EXPECT_TRUE(RwEngineSetSubSystem(0));
  EXPECT_FALSE(RwEngineSetSubSystem(99));
}

TEST_F(DeviceTest, FocusNeedsADeviceAndMaximumTextureSizeComesFromTheCaps) {
  OpenEngine();
  RwDevice* device = &RwEngineInstance->device;
  EXPECT_FALSE(RwD3D8SystemHandler(kRwDeviceFocus, nullptr, nullptr, 1));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_TRUE(RwDeviceSystemRequest(device, kRwDeviceFocus, nullptr, nullptr, 0));
  RwInt32 size = 0;
  ASSERT_TRUE(RwDeviceSystemRequest(device, kRwDeviceGetMaxTextureSize, &size, nullptr, 0));
  EXPECT_EQ(size, RwInt32(RwD3D8GetCaps()->MaxTextureWidth));
  EXPECT_GT(size, 0);
  for (RwInt32 unused : {9, 12, 18, 20}) {
    SCOPED_TRACE(unused);
    EXPECT_FALSE(RwD3D8SystemHandler(unused, &size, nullptr, 0));
  }
}

TEST_F(DeviceTest, FlushToZeroIsOnOnlyWhileStarted) {
  OpenEngine();
  if (!RwCpuHasSSE()) {
    GTEST_SKIP() << "no SSE";
  }
  const unsigned before = _mm_getcsr() & kFlushToZero;
  ASSERT_TRUE(RwEngineStart());
  EXPECT_NE(_mm_getcsr() & kFlushToZero, 0u);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(_mm_getcsr() & kFlushToZero, 0u);
  EXPECT_EQ(before, 0u);
}

TEST_F(DeviceTest, StandardFunctionsFillEverySlotButTheTwoWithoutAJob) {
  OpenEngine();
  const RwStandardFunc* functions = RwEngineInstance->standardFunctions;
  const RwStandardFunc notSupported = functions[0];
  ASSERT_NE(notSupported, nullptr);
  EXPECT_FALSE(notSupported(nullptr, nullptr, 0));
  for (RwInt32 slot = 1; slot < kRwStandardFunctionCount; slot++) {
    SCOPED_TRACE(slot);
    ASSERT_NE(functions[slot], nullptr);
    EXPECT_EQ(functions[slot] == notSupported, slot == 22);
  }
}

TEST_F(DeviceTest, StandardFunctionsFillOnlyTheSlotsAskedFor) {
  RwStandardFunc table[8] = {};
  EXPECT_TRUE(RwD3D8StandardFunctionsSet(table, 5));
  for (RwInt32 slot = 0; slot < 8; slot++) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(table[slot] != nullptr, slot < 5);
  }
}

TEST_F(DeviceTest, OpenFailsWithoutDirect3DAndLeavesTheEngineInitialised) {
  _rwD3D8SetDirect3DCreate(NoDirect3D);
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  RwEngineOpenParams params = {&window_};
  EXPECT_FALSE(RwEngineOpen(&params));
  EXPECT_EQ(RwEngineInstance->engineStatus, kRwEngineStatusInitialised);
  EXPECT_EQ(RwEngineGetOpenCount(), 0);
  // Without Direct3D there are no modes to list.
  EXPECT_FALSE(RwD3D8VideoModeListBuild());
}

TEST_F(DeviceTest, TheLastDriverInstalledBeforeInitIsTheOneUsed) {
  FakeDriverInstall();
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  // Once the engine is initialised its driver stays.
  EXPECT_FALSE(RwD3D8DriverInstall());
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_EQ(_rwD3D8Driver.d3d, nullptr);
  EXPECT_EQ(Device(), nullptr);
  EXPECT_EQ(RwEngineInstance->device.fpSystem, FakeDriverDeviceRecord()->fpSystem);
  FakeEngineShutdown();
  FakeDriverUninstall();
}

TEST_F(DeviceTest, EngineRestartsOnTheSameWindow) {
  StartEngine(0);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_GT(RwEngineGetNumVideoModes(), 0);
  ASSERT_TRUE(RwEngineStart());
  EXPECT_NE(Device(), nullptr);
  ASSERT_TRUE(RwEngineStop());
  ASSERT_TRUE(RwEngineClose());
  RwEngineOpenParams params = {&window_};
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_NE(Device(), nullptr);
}

}  // namespace
