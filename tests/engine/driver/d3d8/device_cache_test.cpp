// The cached device wrappers and the dynamic vertex buffers, checked through
// the stand-in's call recording and what the device holds.
#include <vector>

#include "tests/engine/driver/d3d8/driver_fixture.h"

namespace {

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}}};
  return m;
}

RwMatrix EngineTranslation(float x, float y, float z) {
  RwMatrix m;
  std::memset(&m, 0, sizeof m);
  m.right.x = 1;
  m.up.y = 1;
  m.at.z = 1;
  m.pos = {x, y, z};
  return m;
}

D3DLIGHT8 PointLight(float red, float x) {
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof light);
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {red, 0.5f, 0.25f, 1.0f};
  light.Position = {x, 0, 0};
  light.Range = 10.0f;
  return light;
}

class DeviceCacheTest : public D3D8DriverTest {
 protected:
  void SetUp() override {
    D3D8DriverTest::SetUp();
    StartEngine();
    Record();
  }
};

TEST_F(DeviceCacheTest, RepeatedSettingsReachTheDeviceOnce) {
  EXPECT_TRUE(RwD3D8SetVertexShader(0x144));
  EXPECT_TRUE(RwD3D8SetVertexShader(0x144));
  EXPECT_EQ(Calls("SetVertexShader"), 1u);
  EXPECT_TRUE(RwD3D8SetVertexShader(0x142));
  EXPECT_EQ(Calls("SetVertexShader"), 2u);

  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferCreate(0x142, 1024, &buffer));
  EXPECT_TRUE(RwD3D8SetStreamSource(0, buffer, 24));
  EXPECT_TRUE(RwD3D8SetStreamSource(0, buffer, 24));
  EXPECT_EQ(Calls("SetStreamSource"), 1u);
  EXPECT_TRUE(RwD3D8SetStreamSource(0, buffer, 28));
  EXPECT_EQ(Calls("SetStreamSource"), 2u);

  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_TRUE(RwD3D8IndexBufferCreate(100, &indices));
  D3DINDEXBUFFER_DESC desc;
  ASSERT_EQ(indices->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Size, 200u);
  EXPECT_EQ(desc.Format, D3DFMT_INDEX16);
  EXPECT_TRUE(RwD3D8SetIndices(indices, 4));
  EXPECT_TRUE(RwD3D8SetIndices(indices, 4));
  EXPECT_EQ(Calls("SetIndices"), 1u);
  EXPECT_TRUE(RwD3D8SetIndices(nullptr, 0));
  EXPECT_TRUE(RwD3D8SetStreamSource(0, nullptr, 0));
  indices->Release();
  RwD3D8DynamicVertexBufferDestroy(buffer);
}

TEST_F(DeviceCacheTest, DrawsConvertCountsToPrimitivesAndFlushStatesFirst) {
  struct Case {
    D3DPRIMITIVETYPE type;
    uint64_t fromSix;
    uint64_t indexedFromSix;
  };
  const Case cases[] = {{D3DPT_POINTLIST, 6, 0},    {D3DPT_LINELIST, 3, 3},      {D3DPT_LINESTRIP, 5, 5},
                        {D3DPT_TRIANGLELIST, 2, 2}, {D3DPT_TRIANGLESTRIP, 4, 4}, {D3DPT_TRIANGLEFAN, 4, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    RwD3D8DrawPrimitive(c.type, 3, 6);
    EXPECT_EQ(Args("DrawPrimitive"), (std::vector<uint64_t>{uint64_t(c.type), 3, c.fromSix}));
    RwD3D8DrawIndexedPrimitive(c.type, 0, 4, 2, 6);
    EXPECT_EQ(Args("DrawIndexedPrimitive"), (std::vector<uint64_t>{uint64_t(c.type), 0, 4, 2, c.indexedFromSix}));
  }
  RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
  RwD3D8DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3);
  const std::vector<std::string> log = d3d8test::CallLog(Device());
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "SetRenderState");
  EXPECT_EQ(log.back(), "DrawPrimitive");
}

TEST_F(DeviceCacheTest, TransformsAreSentOnlyWhenTheyChange) {
  const D3DMATRIX view = Translation(1, 2, 3);
  EXPECT_TRUE(RwD3D8SetTransform(D3DTS_VIEW, &view));
  EXPECT_TRUE(RwD3D8SetTransform(D3DTS_VIEW, &view));
  EXPECT_EQ(Calls("SetTransform"), 1u);
  const D3DMATRIX other = Translation(1, 2, 4);
  EXPECT_TRUE(RwD3D8SetTransform(D3DTS_VIEW, &other));
  EXPECT_EQ(Calls("SetTransform"), 2u);
  D3DMATRIX read;
  RwD3D8GetTransform(D3DTS_VIEW, &read);
  EXPECT_EQ(std::memcmp(&read, &other, sizeof read), 0);
  RwD3D8GetTransform(D3DTS_PROJECTION, &read);
  EXPECT_EQ(read._11, 1.0f);
  EXPECT_EQ(read._41, 0.0f);
  EXPECT_EQ(read._44, 1.0f);
  EXPECT_FALSE(RwD3D8SetTransform(kRwD3D8TransformStateCount, &view));
}

TEST_F(DeviceCacheTest, WorldMatrixRecordAndIdentityFlag) {
  struct Step {
    const char* what;
    int matrix;  // 0 null, 1 first, 2 second, 3 identity-flagged
    unsigned calls;
  };
  const Step steps[] = {{"identity while the flag is clear", 0, 1},
                        {"identity again", 0, 1},
                        {"flagged identity", 3, 1},
                        {"a matrix", 1, 2},
                        {"the same matrix", 1, 2},
                        {"another matrix", 2, 3},
                        {"identity", 0, 4},
                        {"the record's matrix after identity", 2, 5}};
  const RwMatrix first = EngineTranslation(1, 0, 0);
  const RwMatrix second = EngineTranslation(0, 5, 0);
  RwMatrix flagged = EngineTranslation(9, 9, 9);
  flagged.flags = kRwMatrixIdentityFlags;
  const RwMatrix* matrices[] = {nullptr, &first, &second, &flagged};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_TRUE(RwD3D8SetTransformWorld(matrices[step.matrix]));
    EXPECT_EQ(Calls("SetTransform"), step.calls);
  }
  D3DMATRIX world;
  ASSERT_EQ(Device()->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(world._42, 5.0f);
  EXPECT_EQ(world._44, 1.0f);
  EXPECT_EQ(world._14, 0.0f);
  // The engine's transform cache answers it too, though only the world
  // record's setter ever set it.
  D3DMATRIX cached;
  RwD3D8GetTransform(D3DTS_WORLD, &cached);
  EXPECT_EQ(cached._42, 5.0f);
  EXPECT_EQ(cached._44, 1.0f);

  // The per-state cache and the world record stand for the one world matrix
  // the device holds: setting it through one is seen by the other.
  const D3DMATRIX stateWorld = Translation(0, 7, 0);
  ASSERT_TRUE(RwD3D8SetTransform(D3DTS_WORLD, &stateWorld));
  ASSERT_TRUE(RwD3D8SetTransformWorld(&second));
  ASSERT_EQ(Device()->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(world._42, 5.0f);
  ASSERT_TRUE(RwD3D8SetTransform(D3DTS_WORLD, &stateWorld));
  ASSERT_EQ(Device()->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(world._42, 7.0f);
}

TEST_F(DeviceCacheTest, SurfacePropertiesBuildTheMaterialAndSkipRepeats) {
  const D3DCOLORVALUE ambientLight = {0.5f, 0.25f, 1.0f, 1.0f};
  RwD3D8SetAmbientLightColor(&ambientLight);
  const RwUInt8 orange[4] = {255, 102, 0, 51};
  const RwRGBA* color = reinterpret_cast<const RwRGBA*>(orange);
  const RwSurfaceProperties surface = {0.5f, 0.0f, 0.8f};
  D3DMATERIAL8 material;

  ASSERT_TRUE(RwD3D8SetSurfaceProperties(color, &surface, FALSE));
  ASSERT_EQ(Device()->GetMaterial(&material), D3D_OK);
  EXPECT_FLOAT_EQ(material.Diffuse.r, 0.8f);
  EXPECT_FLOAT_EQ(material.Diffuse.a, 1.0f);
  EXPECT_FLOAT_EQ(material.Ambient.g, 0.125f);
  EXPECT_FLOAT_EQ(material.Ambient.a, 1.0f);

  ASSERT_TRUE(RwD3D8SetSurfaceProperties(color, &surface, TRUE));
  ASSERT_EQ(Device()->GetMaterial(&material), D3D_OK);
  EXPECT_FLOAT_EQ(material.Diffuse.r, 0.8f);
  EXPECT_FLOAT_EQ(material.Diffuse.g, 0.4f * 0.8f);
  EXPECT_FLOAT_EQ(material.Diffuse.b, 0.0f);
  EXPECT_FLOAT_EQ(material.Diffuse.a, 0.2f);
  EXPECT_FLOAT_EQ(material.Ambient.r, 0.25f);
  EXPECT_FLOAT_EQ(material.Ambient.a, 0.2f);
  EXPECT_EQ(Calls("SetMaterial"), 2u);
  ASSERT_TRUE(RwD3D8SetSurfaceProperties(color, &surface, TRUE));
  EXPECT_EQ(Calls("SetMaterial"), 2u);

  // An ambient coefficient of exactly one takes the ambient light as it is.
  const RwSurfaceProperties full = {1.0f, 0.0f, 1.0f};
  ASSERT_TRUE(RwD3D8SetSurfaceProperties(color, &full, FALSE));
  ASSERT_EQ(Device()->GetMaterial(&material), D3D_OK);
  EXPECT_FLOAT_EQ(material.Ambient.b, 1.0f);
}

TEST_F(DeviceCacheTest, LightCacheGrowsOnDemandAndSkipsEqualLights) {
  const D3DLIGHT8 light = PointLight(1.0f, 2.0f);
  ASSERT_TRUE(RwD3D8SetLight(2, &light));
  EXPECT_EQ(Calls("SetLight"), 1u);
  EXPECT_EQ(_rwD3D8Driver.numLights, 3);
  EXPECT_EQ(_rwD3D8Driver.lights[0].enabled, 0u);

  D3DLIGHT8 sameForTheCache = light;
  sameForTheCache.Specular = {1, 1, 1, 1};
  sameForTheCache.Attenuation1 = 0.5f;
  sameForTheCache.Falloff = 2.0f;
  ASSERT_TRUE(RwD3D8SetLight(2, &sameForTheCache));
  EXPECT_EQ(Calls("SetLight"), 1u);
  const D3DLIGHT8 moved = PointLight(1.0f, 3.0f);
  ASSERT_TRUE(RwD3D8SetLight(2, &moved));
  EXPECT_EQ(Calls("SetLight"), 2u);

  EXPECT_TRUE(RwD3D8EnableLight(1, TRUE));
  EXPECT_TRUE(RwD3D8EnableLight(1, TRUE));
  EXPECT_EQ(Calls("LightEnable"), 1u);
  EXPECT_TRUE(RwD3D8EnableLight(7, TRUE));
  EXPECT_EQ(Calls("LightEnable"), 1u);

  EXPECT_TRUE(RwD3D8LightsRestore());
  EXPECT_EQ(Calls("SetLight"), 5u);
  EXPECT_EQ(Calls("LightEnable"), 4u);
}

TEST_F(DeviceCacheTest, LightsCompareByTheFieldsTheirTypeUses) {
  D3DLIGHT8 a = PointLight(1.0f, 0.0f);
  D3DLIGHT8 b = a;
  b.Direction = {0, 0, 1};
  EXPECT_TRUE(RwD3D8LightsEqual(&a, &b));
  a.Type = b.Type = D3DLIGHT_DIRECTIONAL;
  EXPECT_FALSE(RwD3D8LightsEqual(&a, &b));
  b.Direction = a.Direction;
  b.Position = {5, 5, 5};
  EXPECT_TRUE(RwD3D8LightsEqual(&a, &b));
  a.Type = b.Type = D3DLIGHT_SPOT;
  EXPECT_FALSE(RwD3D8LightsEqual(&a, &b));
  b.Position = a.Position;
  b.Phi = 1.0f;
  EXPECT_FALSE(RwD3D8LightsEqual(&a, &b));
  b = a;
  b.Diffuse.g = 0.0f;
  EXPECT_FALSE(RwD3D8LightsEqual(&a, &b));
}

TEST_F(DeviceCacheTest, DynamicBuffersAreReusedByFormatAndSize) {
  IDirect3DVertexBuffer8* slot = nullptr;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferCreate(0x142, 4096, &slot));
  IDirect3DVertexBuffer8* const first = slot;
  const unsigned created = Calls("CreateVertexBuffer");
  RwD3D8DynamicVertexBufferDestroy(first);
  EXPECT_EQ(slot, nullptr);
  IDirect3DVertexBuffer8* again = nullptr;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferCreate(0x142, 4096, &again));
  EXPECT_EQ(again, first);
  EXPECT_EQ(Calls("CreateVertexBuffer"), created);
  // Another format reuses the largest free node with a new buffer.
  RwD3D8DynamicVertexBufferDestroy(again);
  IDirect3DVertexBuffer8* other = nullptr;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferCreate(0x152, 512, &other));
  EXPECT_EQ(Calls("CreateVertexBuffer"), created + 1);
  RwD3D8DynamicVertexBufferDestroy(other);
}

TEST_F(DeviceCacheTest, LockLargerThanEverySharedBufferReplacesTheCurrentOne) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  void* memory = nullptr;
  RwUInt32 base = 99;
  const RwUInt32 stride = 32;
  const RwUInt32 count = kRwD3D8SharedVertexBufferSize / stride + 10;
  ASSERT_TRUE(RwD3D8DynamicVertexBufferLock(stride, count, &buffer, &memory, &base));
  EXPECT_EQ(base, 0u);
  const RwD3D8SharedVertexBuffer& current = _rwD3D8Driver.shared[_rwD3D8Driver.currentShared];
  EXPECT_EQ(current.size, stride * count);
  EXPECT_EQ(current.buffer, buffer);
  D3DVERTEXBUFFER_DESC desc;
  ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Size, stride * count);
  std::memset(memory, 0xAB, stride * count);
  EXPECT_TRUE(RwD3D8DynamicVertexBufferUnlock(buffer));

  // The next small lock appends to the buffer that has room.
  ASSERT_TRUE(RwD3D8DynamicVertexBufferLock(stride, 4, &buffer, &memory, &base));
  EXPECT_TRUE(RwD3D8DynamicVertexBufferUnlock(buffer));
  EXPECT_FALSE(RwD3D8DynamicVertexBufferLock(0, 4, &buffer, &memory, &base));
}

TEST_F(DeviceCacheTest, FormatChecksAskTheAdapter) {
  EXPECT_TRUE(RwD3D8CheckTextureFormat(D3DFMT_A8R8G8B8));
  EXPECT_FALSE(RwD3D8CheckTextureFormat(D3DFMT_A8));
  EXPECT_TRUE(RwD3D8CheckZBufferFormat(D3DFMT_D24S8));
  EXPECT_FALSE(RwD3D8CheckZBufferFormat(D3DFMT_D24X4S4));
  EXPECT_TRUE(RwD3D8CheckRenderTargetFormat(D3DFMT_A8R8G8B8));
  EXPECT_FALSE(RwD3D8CheckRenderTargetFormat(D3DFMT_DXT1));
}

TEST_F(DeviceCacheTest, PixelShadersThatTheDeviceRefusesLeaveNoRecord) {
  const RwUInt32 tokens[] = {D3DPS_VERSION(1, 1), 0x0000FFFF};
  RwUInt32 handle = 0;
  const RwBool created = RwD3D8CreatePixelShader(tokens, &handle);
  if (created) {
    EXPECT_NE(_rwD3D8Driver.pixelShaders, nullptr);
    RwD3D8DeletePixelShader(handle);
  }
  EXPECT_EQ(_rwD3D8Driver.pixelShaders, nullptr);
  EXPECT_TRUE(RwD3D8SetPixelShader(0));
}

}  // namespace
