// The render-state cache, checked through the stand-in's call recording and
// the states the device ends up holding.
#include <vector>

#include "tests/engine/driver/d3d8/driver_fixture.h"

namespace {

void* IntegerValue(RwInt32 value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

RwUInt32 Wanted(D3DRENDERSTATETYPE state) {
  RwUInt32 value = 0;
  RwD3D8GetRenderState(state, &value);
  return value;
}

RwUInt32 WantedStage(RwUInt32 stage, D3DTEXTURESTAGESTATETYPE type) {
  RwUInt32 value = 0;
  RwD3D8GetTextureStageState(stage, type, &value);
  return value;
}

DWORD DeviceState(D3DRENDERSTATETYPE state) {
  DWORD value = 0xDEADBEEF;
  RwD3D8GetCurrentD3DDevice()->GetRenderState(state, &value);
  return value;
}

DWORD DeviceStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
  DWORD value = 0xDEADBEEF;
  RwD3D8GetCurrentD3DDevice()->GetTextureStageState(stage, type, &value);
  return value;
}

uintptr_t EngineValue(RwInt32 state) {
  uintptr_t value = 0xDEAD;
  EXPECT_TRUE(RwD3D8RenderStateGet(state, &value));
  return value;
}

RwUInt32 FloatBits(RwReal value) {
  RwUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

class RenderStateTest : public D3D8DriverTest {
 protected:
  void SetUp() override {
    D3D8DriverTest::SetUp();
    StartEngine();
    Record();
  }
};

TEST_F(RenderStateTest, DefaultsReachTheDevice) {
  EXPECT_EQ(DeviceState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
  EXPECT_EQ(DeviceState(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(DeviceState(D3DRS_AMBIENT), 0xFFFFFFFFu);
  EXPECT_EQ(DeviceState(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
  EXPECT_EQ(DeviceState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(DeviceState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATER));
  EXPECT_EQ(DeviceState(D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
  EXPECT_EQ(DeviceState(D3DRS_FOGTABLEMODE), DWORD(D3DFOG_LINEAR));
  EXPECT_EQ(DeviceState(D3DRS_FOGVERTEXMODE), DWORD(D3DFOG_NONE));
  EXPECT_EQ(DeviceStage(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG2));
  EXPECT_EQ(DeviceStage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
  EXPECT_EQ(DeviceStage(0, D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
  EXPECT_EQ(DeviceStage(3, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
  EXPECT_EQ(DeviceStage(7, D3DTSS_BORDERCOLOR), 0xFF000000u);
  EXPECT_EQ(EngineValue(kRwRenderStateTextureFilter), uintptr_t(kRwFilterLinear));
  EXPECT_EQ(EngineValue(kRwRenderStateCullMode), uintptr_t(D3DCULL_CW));
}

TEST_F(RenderStateTest, SettingTheCurrentEngineValueQueuesNothing) {
  struct Case {
    RwInt32 state;
    RwInt32 value;
  };
  const Case cases[] = {
      {kRwRenderStateZWriteEnable, 1},  {kRwRenderStateZTestEnable, 1},      {kRwRenderStateSrcBlend, 5},
      {kRwRenderStateDestBlend, 6},     {kRwRenderStateCullMode, 2},         {kRwRenderStateShadeMode, 2},
      {kRwRenderStateFogEnable, 0},     {kRwRenderStateFogType, 1},          {kRwRenderStateTextureAddress, 1},
      {kRwRenderStateTextureFilter, 2}, {kRwRenderStateVertexAlphaEnable, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    EXPECT_TRUE(RwD3D8RenderStateSet(c.state, IntegerValue(c.value)));
  }
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetRenderState"), 0u);
  EXPECT_EQ(Calls("SetTextureStageState"), 0u);
}

TEST_F(RenderStateTest, AStateSetBackToTheDevicesValueBeforeTheFlushIsNotSent) {
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateSrcBlend, IntegerValue(D3DBLEND_ONE)));
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateSrcBlend, IntegerValue(D3DBLEND_SRCALPHA)));
  EXPECT_TRUE(RwD3D8SetRenderState(D3DRS_LIGHTING, 1));
  EXPECT_TRUE(RwD3D8SetRenderState(D3DRS_LIGHTING, 0));
  EXPECT_TRUE(RwD3D8SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE));
  EXPECT_TRUE(RwD3D8SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetRenderState"), 0u);
  EXPECT_EQ(Calls("SetTextureStageState"), 0u);
}

TEST_F(RenderStateTest, TheFlushSendsEachChangedStateOnceAndOnlyOnce) {
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateSrcBlend, IntegerValue(D3DBLEND_ONE)));
  EXPECT_TRUE(RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, 7));
  EXPECT_TRUE(RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, 9));
  EXPECT_EQ(Calls("SetRenderState"), 0u);
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetRenderState"), 2u);
  EXPECT_EQ(Args("SetRenderState"), (std::vector<uint64_t>{D3DRS_TEXTUREFACTOR, 9}));
  EXPECT_EQ(DeviceState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetRenderState"), 2u);

  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureFilter, IntegerValue(kRwFilterLinearMipLinear)));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetTextureStageState"), 1u);  // only the mip filter changed
  EXPECT_EQ(Args("SetTextureStageState"), (std::vector<uint64_t>{0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR}));
  EXPECT_EQ(EngineValue(kRwRenderStateTextureFilter), uintptr_t(kRwFilterLinearMipLinear));
}

TEST_F(RenderStateTest, ZBufferIsEnabledWhileEitherTestOrWriteIsOn) {
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateZWriteEnable, IntegerValue(0)));
  EXPECT_EQ(Wanted(D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(Wanted(D3DRS_ZENABLE), 1u);
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateZTestEnable, IntegerValue(0)));
  EXPECT_EQ(Wanted(D3DRS_ZFUNC), RwUInt32(D3DCMP_ALWAYS));
  EXPECT_EQ(Wanted(D3DRS_ZENABLE), 0u);
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateZWriteEnable, IntegerValue(1)));
  EXPECT_EQ(Wanted(D3DRS_ZENABLE), 1u);
  EXPECT_EQ(EngineValue(kRwRenderStateZTestEnable), 0u);
  EXPECT_EQ(EngineValue(kRwRenderStateZWriteEnable), 1u);
}

TEST_F(RenderStateTest, FogFollowsTheDevicesFogCaps) {
  {
    SCOPED_TRACE("no vertex or table fog");
    const DWORD caps = _rwD3D8Driver.caps.RasterCaps;
    _rwD3D8Driver.caps.RasterCaps &= ~DWORD(D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE);
    EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogEnable, IntegerValue(1)));
    EXPECT_EQ(EngineValue(kRwRenderStateFogEnable), 0u);
    EXPECT_EQ(Wanted(D3DRS_FOGENABLE), 0u);
    _rwD3D8Driver.caps.RasterCaps = caps;
  }
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogEnable, IntegerValue(1)));
  EXPECT_EQ(Wanted(D3DRS_FOGENABLE), 1u);
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogType, IntegerValue(kRwFogTypeExponential)));
  EXPECT_EQ(Wanted(D3DRS_FOGTABLEMODE), RwUInt32(D3DFOG_EXP));
  EXPECT_EQ(Wanted(D3DRS_FOGVERTEXMODE), RwUInt32(D3DFOG_NONE));
  {
    SCOPED_TRACE("table fog without w-fog goes per vertex");
    _rwD3D8Driver.caps.RasterCaps &= ~DWORD(D3DPRASTERCAPS_WFOG);
    EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogType, IntegerValue(kRwFogTypeExponential2)));
    EXPECT_EQ(Wanted(D3DRS_FOGTABLEMODE), RwUInt32(D3DFOG_NONE));
    EXPECT_EQ(Wanted(D3DRS_FOGVERTEXMODE), RwUInt32(D3DFOG_EXP2));
  }
  RwReal density = 0.25f;
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogDensity, &density));
  EXPECT_EQ(Wanted(D3DRS_FOGDENSITY), FloatBits(0.25f));
  EXPECT_EQ(EngineValue(kRwRenderStateFogDensity), uintptr_t(FloatBits(0.25f)));
  EXPECT_FALSE(RwD3D8RenderStateSet(kRwRenderStateFogDensity, nullptr));
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateFogColor, IntegerValue(0x00FF8040)));
  EXPECT_EQ(Wanted(D3DRS_FOGCOLOR), 0x00FF8040u);
}

TEST_F(RenderStateTest, CombinedTextureAddressIsReadOnlyWhileUAndVAgree) {
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureAddressU, IntegerValue(D3DTADDRESS_CLAMP)));
  uintptr_t value = 0xDEAD;
  EXPECT_FALSE(RwD3D8RenderStateGet(kRwRenderStateTextureAddress, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(EngineValue(kRwRenderStateTextureAddressU), uintptr_t(D3DTADDRESS_CLAMP));
  EXPECT_EQ(EngineValue(kRwRenderStateTextureAddressV), uintptr_t(D3DTADDRESS_WRAP));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureAddress, IntegerValue(D3DTADDRESS_MIRROR)));
  EXPECT_EQ(EngineValue(kRwRenderStateTextureAddress), uintptr_t(D3DTADDRESS_MIRROR));
  EXPECT_EQ(WantedStage(0, D3DTSS_ADDRESSU), RwUInt32(D3DTADDRESS_MIRROR));
  EXPECT_EQ(WantedStage(0, D3DTSS_ADDRESSV), RwUInt32(D3DTADDRESS_MIRROR));
}

TEST_F(RenderStateTest, UnknownStatesAndValuesOutsideTheirTablesAreRefused) {
  uintptr_t value = 0;
  for (RwInt32 state : {-1, 0, 18, 19, 29}) {
    SCOPED_TRACE(state);
    EXPECT_FALSE(RwD3D8RenderStateSet(state, IntegerValue(1)));
    EXPECT_FALSE(RwD3D8RenderStateGet(state, &value));
  }
  EXPECT_FALSE(RwD3D8RenderStateSet(kRwRenderStateTexturePerspective, IntegerValue(0)));
  EXPECT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTexturePerspective, IntegerValue(1)));
  EXPECT_FALSE(RwD3D8RenderStateGet(kRwRenderStateTexturePerspective, &value));
  struct Case {
    RwInt32 state;
    RwInt32 value;
  };
  const Case outside[] = {
      {kRwRenderStateSrcBlend, 12},   {kRwRenderStateDestBlend, -1},      {kRwRenderStateCullMode, 4},
      {kRwRenderStateShadeMode, 3},   {kRwRenderStateTextureFilter, 7},   {kRwRenderStateFogType, 4},
      {kRwRenderStateStencilFail, 9}, {kRwRenderStateStencilFunction, 9}, {kRwRenderStateTextureAddressU, 5}};
  for (const Case& c : outside) {
    SCOPED_TRACE(c.state);
    EXPECT_FALSE(RwD3D8RenderStateSet(c.state, IntegerValue(c.value)));
  }
  EXPECT_FALSE(RwD3D8SetRenderState(D3D8_RENDER_STATE_COUNT, 1));
  EXPECT_FALSE(RwD3D8SetTextureStageState(8, D3DTSS_COLOROP, 1));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(Calls("SetRenderState"), 0u);
}

TEST_F(RenderStateTest, VertexAlphaSwitchesBlendingAndStageZeroAlpha) {
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateVertexAlphaEnable, IntegerValue(1)));
  EXPECT_TRUE(RwD3D8RenderStateIsVertexAlphaEnable());
  EXPECT_EQ(Wanted(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(Wanted(D3DRS_ALPHATESTENABLE), 1u);
  EXPECT_EQ(WantedStage(0, D3DTSS_ALPHAOP), RwUInt32(D3DTOP_SELECTARG2));
  EXPECT_EQ(WantedStage(0, D3DTSS_ALPHAARG2), RwUInt32(D3DTA_DIFFUSE));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateVertexAlphaEnable, IntegerValue(0)));
  EXPECT_EQ(Wanted(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(WantedStage(0, D3DTSS_ALPHAOP), RwUInt32(D3DTOP_DISABLE));
}

TEST_F(RenderStateTest, TextureRasterIsBoundAtOnceAndOnlyWhenItChanges) {
  // A raster without a texture of its own.
  RwRaster* raster = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERDONTALLOCATE);
  ASSERT_NE(raster, nullptr);
  Record();
  ASSERT_TRUE(RwD3D8SetTextureRaster(raster, 1));
  EXPECT_EQ(Calls("SetTexture"), 1u);
  EXPECT_EQ(Args("SetTexture"), (std::vector<uint64_t>{1, 0}));
  EXPECT_EQ(RwD3D8GetTextureRaster(1), raster);
  EXPECT_EQ(WantedStage(1, D3DTSS_COLOROP), RwUInt32(D3DTOP_DISABLE));
  ASSERT_TRUE(RwD3D8SetTextureRaster(raster, 1));
  EXPECT_EQ(Calls("SetTexture"), 1u);
  EXPECT_FALSE(RwD3D8SetTextureRaster(raster, 8));

  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureRaster, raster));
  RwRaster* bound = nullptr;
  ASSERT_TRUE(RwD3D8RenderStateGet(kRwRenderStateTextureRaster, &bound));
  EXPECT_EQ(bound, raster);
  RwRasterDestroy(raster);
}

TEST_F(RenderStateTest, StencilStatesStartAsTheDevicesAndEveryChangeReachesIt) {
  EXPECT_EQ(EngineValue(kRwRenderStateStencilFunction), uintptr_t(DeviceState(D3DRS_STENCILFUNC)));
  EXPECT_EQ(EngineValue(kRwRenderStateStencilFail), uintptr_t(DeviceState(D3DRS_STENCILFAIL)));
  EXPECT_EQ(EngineValue(kRwRenderStateStencilFunctionMask), uintptr_t(DeviceState(D3DRS_STENCILMASK)));
  EXPECT_EQ(EngineValue(kRwRenderStateStencilFunctionWriteMask), uintptr_t(DeviceState(D3DRS_STENCILWRITEMASK)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateStencilFunctionMask, IntegerValue(0)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateStencilFunctionWriteMask, IntegerValue(0)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateStencilEnable, IntegerValue(1)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateStencilPass, IntegerValue(D3DSTENCILOP_INCR)));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(DeviceState(D3DRS_STENCILMASK), 0u);
  EXPECT_EQ(DeviceState(D3DRS_STENCILWRITEMASK), 0u);
  EXPECT_EQ(DeviceState(D3DRS_STENCILENABLE), 1u);
  EXPECT_EQ(DeviceState(D3DRS_STENCILPASS), DWORD(D3DSTENCILOP_INCR));
}

TEST_F(RenderStateTest, RestoreResendsTheEngineValues) {
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateZWriteEnable, IntegerValue(0)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateSrcBlend, IntegerValue(D3DBLEND_ONE)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateStencilFunctionRef, IntegerValue(3)));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureAddressU, IntegerValue(D3DTADDRESS_CLAMP)));
  RwD3D8RenderStateFlush();
  // The device forgets everything, as after a Reset.
  Device()->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  Device()->SetRenderState(D3DRS_STENCILREF, 0);
  Device()->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
  RwD3D8RenderStateRestore();
  EXPECT_EQ(DeviceState(D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(DeviceState(D3DRS_ZENABLE), 1u);
  EXPECT_EQ(DeviceState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
  EXPECT_EQ(DeviceState(D3DRS_STENCILREF), 3u);
  EXPECT_EQ(DeviceStage(0, D3DTSS_ADDRESSU), DWORD(D3DTADDRESS_CLAMP));
  EXPECT_EQ(DeviceState(D3DRS_LIGHTING), 0u);
}

}  // namespace
