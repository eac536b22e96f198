// The release and restore steps around a device Reset: everything the driver
// made in default memory goes before the Reset (the stand-in refuses to reset
// otherwise) and comes back after it, so 2D drawing works again.
#include <vector>

#include "engine/driver/d3d8/d3d8_camera.h"
#include "tests/engine/driver/d3d8/driver_fixture.h"

namespace {

constexpr RwInt32 kTriList = 3;

void ReleaseForReset() {
  RwD3D8PixelShadersRelease();
  RwD3D8SharedVertexBuffersForget();
  RwD3D8DynamicVertexBuffersRelease();
  RwD3D8Im2DRenderClose();
  RwD3D8Im3DIndexBufferRelease();
}

bool RestoreAfterReset() {
  return RwD3D8DynamicVertexBuffersRestore() && RwD3D8PixelShadersRestore() && RwD3D8LightsRestore() &&
         RwD3D8SharedVertexBuffersCreate() && RwD3D8TransformCacheReset() && RwD3D8Im2DRenderOpen() &&
         RwD3D8Im3DIndexBufferCreate() && (RwD3D8RenderStateRestore(), true);
}

bool DrawRedQuad() {
  const RwUInt32 red = 0xFFFF0000u;
  std::vector<RwIm2DVertex> v = {{4, 4, 0.5f, 1, red, 0, 0}, {30, 4, 0.5f, 1, red, 0, 0},  {30, 30, 0.5f, 1, red, 0, 0},
                                 {4, 4, 0.5f, 1, red, 0, 0}, {30, 30, 0.5f, 1, red, 0, 0}, {4, 30, 0.5f, 1, red, 0, 0}};
  return RwD3D8Im2DRenderPrimitive(kTriList, v.data(), RwInt32(v.size()));
}

class DeviceResetTest : public D3D8DriverTest,
                        public ::testing::WithParamInterface<bool> {  // hardware transform and lighting
};

TEST_P(DeviceResetTest, LostDeviceResetsAndDrawsAgain) {
  TestDirect3D().noHardwareTnL = !GetParam();
  StartEngine();
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(intptr_t(D3DCULL_NONE))));
  ASSERT_TRUE(DrawRedQuad());
  IDirect3DVertexBuffer8* owned = nullptr;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferCreate(0x142, 2048, &owned));
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Direction = {0, 0, 1};
  ASSERT_TRUE(RwD3D8SetLight(0, &light));
  ASSERT_TRUE(RwD3D8EnableLight(0, TRUE));

  d3d8test::InjectDeviceLoss(Device());
  ReleaseForReset();
  if (GetParam()) {
    EXPECT_EQ(owned, nullptr);  // default-memory buffers leave their owners' slots
  }
  ASSERT_EQ(Device()->Reset(&_rwD3D8Driver.present), D3D_OK);
  ASSERT_TRUE(RestoreAfterReset());
  EXPECT_NE(owned, nullptr);
  BOOL enabled = FALSE;
  ASSERT_EQ(Device()->GetLightEnable(0, &enabled), D3D_OK);
  EXPECT_TRUE(enabled);

  ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
  ASSERT_TRUE(DrawRedQuad());
  EXPECT_EQ(BackBufferPixel(16, 16), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(40, 40), 0x000000u);
  RwD3D8DynamicVertexBufferDestroy(owned);
}

INSTANTIATE_TEST_SUITE_P(Driver, DeviceResetTest, ::testing::Bool());

}  // namespace
