// Drawing through the device: vertex and index buffers, textures and the back
// buffer read back with LockRect, the way the engine draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/platform/d3d8/d3d8_fixture.h"
#include "tests/platform/d3d8/screen_vertices.h"

namespace {

class DrawDeviceTest : public D3D8Test {
 protected:
  void SetUp() override {
    D3D8Test::SetUp();
    CreateDevice();
    ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_), D3D_OK);
    // Untextured drawing as the engine sets it up: the vertex colour.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0),
              D3D_OK);
  }

  void TearDown() override {
    for (IUnknown8* object : objects_) object->Release();
    if (backBuffer_ != nullptr) backBuffer_->Release();
    D3D8Test::TearDown();
  }

  uint32_t Pixel(int x, int y) { return ReadPixel32(backBuffer_, x, y) | 0xFF000000u; }

  IDirect3DVertexBuffer8* MakeVertexBuffer(const void* data, UINT size, DWORD fvf) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer), D3D_OK);
    return Filled(buffer, data, size);
  }

  IDirect3DIndexBuffer8* MakeIndexBuffer(const void* data, UINT size, D3DFORMAT format) {
    IDirect3DIndexBuffer8* buffer = nullptr;
    EXPECT_EQ(device_->CreateIndexBuffer(size, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED, &buffer), D3D_OK);
    return Filled(buffer, data, size);
  }

  // Copies the bytes into a new vertex or index buffer, which TearDown
  // releases; null stays null.
  template <typename Buffer>
  Buffer* Filled(Buffer* buffer, const void* data, UINT size) {
    if (buffer == nullptr) return nullptr;
    BYTE* memory = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &memory, 0), D3D_OK);
    std::memcpy(memory, data, size);
    buffer->Unlock();
    objects_.push_back(buffer);
    return buffer;
  }

  // An A8R8G8B8 texture from rows of texels, first row on top.
  IDirect3DTexture8* MakeTexture(UINT width, UINT height, const std::vector<uint32_t>& texels) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    if (texture == nullptr) return nullptr;
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y) {
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &texels[y * width], width * 4);
    }
    texture->UnlockRect(0);
    objects_.push_back(texture);
    return texture;
  }

  void Quad(float x0, float y0, float x1, float y1, DWORD color) {
    const ScreenVertex v[4] = {
        {x0, y0, 0.5f, 1, color}, {x1, y0, 0.5f, 1, color}, {x0, y1, 0.5f, 1, color}, {x1, y1, 0.5f, 1, color}};
    ASSERT_EQ(device_->SetVertexShader(kScreenFvf), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
  }

  IDirect3DSurface8* backBuffer_ = nullptr;
  std::vector<IUnknown8*> objects_;
};

TEST_F(DrawDeviceTest, PreTransformedQuadCoversExactPixelsOfTheBackBuffer) {
  Quad(10, 20, 30, 25, 0xFFFF0000);
  EXPECT_EQ(Pixel(10, 20), 0xFFFF0000u);
  EXPECT_EQ(Pixel(29, 24), 0xFFFF0000u);
  EXPECT_EQ(Pixel(9, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(30, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 19), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 25), 0xFF000000u);
}

TEST_F(DrawDeviceTest, VertexAndIndexBuffersWithBaseVertexAndStartIndex) {
  // Two quads: vertices 0..3 on the left, 4..7 on the right.
  const ScreenVertex vertices[8] = {{0, 0, 0.5f, 1, 0xFFFF0000},   {16, 0, 0.5f, 1, 0xFFFF0000},
                                    {0, 16, 0.5f, 1, 0xFFFF0000},  {16, 16, 0.5f, 1, 0xFFFF0000},
                                    {32, 0, 0.5f, 1, 0xFF00FF00},  {48, 0, 0.5f, 1, 0xFF00FF00},
                                    {32, 16, 0.5f, 1, 0xFF00FF00}, {48, 16, 0.5f, 1, 0xFF00FF00}};
  IDirect3DVertexBuffer8* vb = MakeVertexBuffer(vertices, sizeof(vertices), kScreenFvf);
  ASSERT_NE(vb, nullptr);
  ASSERT_EQ(device_->SetVertexShader(kScreenFvf), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(ScreenVertex)), D3D_OK);
  // DrawPrimitive from vertex 4: the right quad only.
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
  EXPECT_EQ(Pixel(40, 8), 0xFF00FF00u);
  EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
  // Indices 0..3 drawn with base vertex 4 land on the right quad again; the
  // first three indices are skipped by the start index.
  const uint16_t indices16[9] = {7, 7, 7, 0, 1, 2, 2, 1, 3};
  IDirect3DIndexBuffer8* ib = MakeIndexBuffer(indices16, sizeof(indices16), D3DFMT_INDEX16);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->SetIndices(ib, 4), D3D_OK);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3D_OK);
  EXPECT_EQ(Pixel(40, 8), 0xFF00FF00u);
  EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
  // 32-bit indices with base vertex 0: the left quad.
  const uint32_t indices32[6] = {0, 1, 2, 2, 1, 3};
  IDirect3DIndexBuffer8* ib32 = MakeIndexBuffer(indices32, sizeof(indices32), D3DFMT_INDEX32);
  ASSERT_EQ(device_->SetIndices(ib32, 0), D3D_OK);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
  // Draws reaching past the end of either buffer are refused.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 1, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 5, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0x55555556), D3DERR_INVALIDCALL);
  // Without indices an indexed draw fails.
  ASSERT_EQ(device_->SetIndices(nullptr, 0), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
}

TEST_F(DrawDeviceTest, IndicesNamingVerticesPastTheBufferAreRefused) {
  const ScreenVertex vertices[4] = {{0, 0, 0.5f, 1, 0xFFFF0000},
                                    {16, 0, 0.5f, 1, 0xFFFF0000},
                                    {0, 16, 0.5f, 1, 0xFFFF0000},
                                    {16, 16, 0.5f, 1, 0xFFFF0000}};
  IDirect3DVertexBuffer8* vb = MakeVertexBuffer(vertices, sizeof(vertices), kScreenFvf);
  ASSERT_NE(vb, nullptr);
  ASSERT_EQ(device_->SetVertexShader(kScreenFvf), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(ScreenVertex)), D3D_OK);
  const uint16_t indices16[6] = {0, 1, 2, 2, 1, 7};
  IDirect3DIndexBuffer8* ib = MakeIndexBuffer(indices16, sizeof(indices16), D3DFMT_INDEX16);
  const uint32_t indices32[6] = {0, 1, 2, 2, 1, 0x10003};
  IDirect3DIndexBuffer8* ib32 = MakeIndexBuffer(indices32, sizeof(indices32), D3DFMT_INDEX32);
  ASSERT_NE(ib, nullptr);
  ASSERT_NE(ib32, nullptr);
  {
    SCOPED_TRACE("16-bit index 7 of a four-vertex buffer");
    ASSERT_EQ(device_->SetIndices(ib, 0), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    // The first triangle alone stays inside and is drawn.
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
    EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
  }
  {
    SCOPED_TRACE("a base vertex index that moves good indices past the end");
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->SetIndices(ib, 2), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(Pixel(2, 2), 0xFF000000u);
  }
  {
    SCOPED_TRACE("a 32-bit index above 0xFFFF");
    ASSERT_EQ(device_->SetIndices(ib32, 0), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(Pixel(12, 12), 0xFF000000u);
  }
  {
    SCOPED_TRACE("an index rewritten after a draw that passed is checked again");
    ASSERT_EQ(device_->SetIndices(ib, 0), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    reinterpret_cast<uint16_t*>(data)[2] = 9;
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  }
  {
    SCOPED_TRACE("a stride shorter than the vertex format leaves the last vertex incomplete");
    ASSERT_EQ(device_->SetStreamSource(0, vb, sizeof(ScreenVertex) - 4), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
  }
}

TEST_F(DrawDeviceTest, UserPointerDrawsAndTheirEffectOnStreams) {
  const ScreenVertex vertices[4] = {{0, 0, 0.5f, 1, 0xFF0000FF},
                                    {16, 0, 0.5f, 1, 0xFF0000FF},
                                    {0, 16, 0.5f, 1, 0xFF0000FF},
                                    {16, 16, 0.5f, 1, 0xFF0000FF}};
  IDirect3DVertexBuffer8* vb = MakeVertexBuffer(vertices, sizeof(vertices), kScreenFvf);
  device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
  // Indexed from user memory, with a minimum index: vertices 10..13.
  std::vector<ScreenVertex> far(14);
  for (int i = 0; i < 4; ++i) {
    far[10 + i] = {vertices[i].x + 20, vertices[i].y, 0.5f, 1, 0xFFFFFF00};
  }
  const uint16_t indices[6] = {10, 11, 12, 12, 11, 13};
  ASSERT_EQ(device_->SetVertexShader(kScreenFvf), D3D_OK);
  ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 10, 4, 2, indices, D3DFMT_INDEX16, far.data(),
                                            sizeof(ScreenVertex)),
            D3D_OK);
  EXPECT_EQ(Pixel(28, 8), 0xFFFFFF00u);
  // Stream 0 is unset afterwards.
  IDirect3DVertexBuffer8* current = reinterpret_cast<IDirect3DVertexBuffer8*>(1);
  UINT stride = 1;
  ASSERT_EQ(device_->GetStreamSource(0, &current, &stride), D3D_OK);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  // An index outside the given vertex range is refused, not read.
  const uint16_t bad[3] = {10, 11, 40};
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 10, 4, 1, bad, D3DFMT_INDEX16, far.data(),
                                            sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
}

TEST_F(DrawDeviceTest, EveryPrimitiveType) {
  ASSERT_EQ(device_->SetVertexShader(kScreenFvf), D3D_OK);
  const DWORD white = 0xFFFFFFFF;
  // A point covers the pixel it is centred on.
  const ScreenVertex point = {5, 5, 0.5f, 1, white};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(point)), D3D_OK);
  EXPECT_EQ(Pixel(5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(6, 5), 0xFF000000u);
  // A horizontal line through pixel centres.
  const ScreenVertex line[2] = {{10, 5, 0.5f, 1, white}, {20, 5, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(ScreenVertex)), D3D_OK);
  EXPECT_EQ(Pixel(15, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(15, 7), 0xFF000000u);
  // Both ends are drawn (the last pixel too, by default), nothing beyond.
  EXPECT_EQ(Pixel(10, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(20, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(21, 5), 0xFF000000u);
  const ScreenVertex strip[3] = {{30, 5, 0.5f, 1, white}, {40, 5, 0.5f, 1, white}, {40, 15, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, strip, sizeof(ScreenVertex)), D3D_OK);
  EXPECT_EQ(Pixel(35, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(40, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(40, 15), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(40, 16), 0xFF000000u);
  // Without the last pixel, OpenGL's ends: the end pixel stays empty.
  device_->SetRenderState(D3DRS_LASTPIXEL, FALSE);
  const ScreenVertex open[2] = {{10, 10, 0.5f, 1, white}, {20, 10, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, open, sizeof(ScreenVertex)), D3D_OK);
  EXPECT_EQ(Pixel(19, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(20, 10), 0xFF000000u);
  device_->SetRenderState(D3DRS_LASTPIXEL, TRUE);
  // Indexed from user memory and from buffers, list and strip.
  const uint16_t pair[2] = {1, 0};
  const ScreenVertex reversed[2] = {{12, 12, 0.5f, 1, white}, {2, 12, 0.5f, 1, white}};
  ASSERT_EQ(
      device_->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 2, 1, pair, D3DFMT_INDEX16, reversed, sizeof(ScreenVertex)),
      D3D_OK);
  EXPECT_EQ(Pixel(2, 12), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(12, 12), 0xFFFFFFFFu);
  const ScreenVertex column[3] = {{60, 2, 0.5f, 1, white}, {60, 8, 0.5f, 1, white}, {60, 14, 0.5f, 1, white}};
  IDirect3DVertexBuffer8* vb = MakeVertexBuffer(column, sizeof(column), kScreenFvf);
  const uint16_t order[3] = {0, 1, 2};
  IDirect3DIndexBuffer8* ib = MakeIndexBuffer(order, sizeof(order), D3DFMT_INDEX16);
  device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
  device_->SetIndices(ib, 0);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_LINESTRIP, 0, 3, 0, 2), D3D_OK);
  EXPECT_EQ(Pixel(60, 14), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(60, 15), 0xFF000000u);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 3, 1, 1), D3D_OK);
  EXPECT_EQ(Pixel(60, 14), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(60, 15), 0xFF000000u);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_LINELIST, 1, 1), D3D_OK);
  EXPECT_EQ(Pixel(60, 8), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(60, 14), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(60, 7), 0xFF000000u);
  device_->SetStreamSource(0, nullptr, 0);
  device_->SetIndices(nullptr, 0);
  // Triangle list, strip and fan filling three squares.
  const ScreenVertex list[6] = {{0, 20, 0.5f, 1, white}, {10, 20, 0.5f, 1, white}, {0, 30, 0.5f, 1, white},
                                {0, 30, 0.5f, 1, white}, {10, 20, 0.5f, 1, white}, {10, 30, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, list, sizeof(ScreenVertex)), D3D_OK);
  const ScreenVertex quadStrip[4] = {
      {20, 20, 0.5f, 1, white}, {30, 20, 0.5f, 1, white}, {20, 30, 0.5f, 1, white}, {30, 30, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quadStrip, sizeof(ScreenVertex)), D3D_OK);
  const ScreenVertex fan[4] = {
      {40, 20, 0.5f, 1, white}, {50, 20, 0.5f, 1, white}, {50, 30, 0.5f, 1, white}, {40, 30, 0.5f, 1, white}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex)), D3D_OK);
  for (int x : {1, 8, 21, 28, 41, 48}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(Pixel(x, 21), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(x, 28), 0xFFFFFFFFu);
  }
  EXPECT_EQ(Pixel(15, 25), 0xFF000000u);
  // An unknown primitive type is refused.
  EXPECT_EQ(device_->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(7), 1, list, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
}

TEST_F(DrawDeviceTest, TextureRowsKeepTheirOrientation) {
  IDirect3DTexture8* texture = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  const TexturedScreenVertex v[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                                     {32, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                                     {0, 32, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                                     {32, 32, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
  ASSERT_EQ(device_->SetVertexShader(kTexturedFvf), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedScreenVertex)), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
  EXPECT_EQ(Pixel(24, 8), 0xFF00FF00u);
  EXPECT_EQ(Pixel(8, 24), 0xFF0000FFu);
  EXPECT_EQ(Pixel(24, 24), 0xFFFFFFFFu);
  // Changing the texture's pixels shows at the next draw.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  const uint32_t grey = 0xFF808080;
  std::memcpy(locked.pBits, &grey, 4);
  texture->UnlockRect(0);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedScreenVertex)), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xFF808080u);
  device_->SetTexture(0, nullptr);
}

// A camera at the origin looking along +z with a 90 degree field of view over
// the 64 x 48 back buffer.
class TransformedDeviceTest : public DrawDeviceTest {
 protected:
  void SetUp() override {
    DrawDeviceTest::SetUp();
    D3DMATRIX identity;
    std::memset(&identity, 0, sizeof(identity));
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    D3DMATRIX projection;
    std::memset(&projection, 0, sizeof(projection));
    const float aspect = float(kWidth) / float(kHeight);
    projection._11 = 1.0f / aspect;
    projection._22 = 1.0f;
    projection._33 = 100.0f / 99.0f;
    projection._34 = 1.0f;
    projection._43 = -100.0f / 99.0f;
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetTransform(D3DTS_VIEW, &identity);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
  }
};

TEST_F(TransformedDeviceTest, CameraSpaceNormalThroughTheEnvironmentMatrix) {
  // Four texels; the environment matrix maps a camera-space normal (x, y)
  // to u = 0.5 x + 0.5, v = 0.5 - 0.5 y.
  IDirect3DTexture8* texture = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  device_->SetTexture(0, texture);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  D3DMATRIX env;
  std::memset(&env, 0, sizeof(env));
  env._11 = 0.5f;
  env._22 = -0.5f;
  env._33 = 1.0f;
  env._41 = 0.5f;
  env._42 = 0.5f;
  env._44 = 1.0f;
  device_->SetTransform(D3DTS_TEXTURE0, &env);
  struct Vertex {
    float x, y, z, nx, ny, nz;
  };
  struct Case {
    float nx, ny;
    uint32_t expected;
  };
  const Case cases[] = {
      {-0.6f, 0.6f, 0xFFFF0000}, {0.6f, 0.6f, 0xFF00FF00}, {-0.6f, -0.6f, 0xFF0000FF}, {0.6f, -0.6f, 0xFFFFFFFF}};
  ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.nx << " " << c.ny);
    const float nz = -std::sqrt(1 - c.nx * c.nx - c.ny * c.ny);
    const Vertex quad[4] = {{-20, 20, 10, c.nx, c.ny, nz},
                            {20, 20, 10, c.nx, c.ny, nz},
                            {-20, -20, 10, c.nx, c.ny, nz},
                            {20, -20, 10, c.nx, c.ny, nz}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(Pixel(32, 24), c.expected);
  }
  // A plain texture translation on the vertex's own coordinates: (u, v)
  // meets the matrix as (u, v, 1, 0), so the third row shifts it.
  struct TexVertex {
    float x, y, z;
    float u, v;
  };
  D3DMATRIX shift;
  std::memset(&shift, 0, sizeof(shift));
  shift._11 = shift._22 = shift._33 = shift._44 = 1.0f;
  shift._31 = 0.5f;
  device_->SetTransform(D3DTS_TEXTURE0, &shift);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  const TexVertex quad[4] = {{-20, 20, 10, 0.25f, 0.25f},
                             {20, 20, 10, 0.25f, 0.25f},
                             {-20, -20, 10, 0.25f, 0.25f},
                             {20, -20, 10, 0.25f, 0.25f}};
  ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex)), D3D_OK);
  EXPECT_EQ(Pixel(32, 24), 0xFF00FF00u);
  // Without the transform flags the coordinates pass unchanged.
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex)), D3D_OK);
  EXPECT_EQ(Pixel(32, 24), 0xFFFF0000u);
  device_->SetTexture(0, nullptr);
}

TEST_F(DrawDeviceTest, StatesReadBackAndShaderHandlesRefused) {
  EXPECT_EQ(device_->SetRenderState(D3DRS_FOGCOLOR, 0x00123456), D3D_OK);
  DWORD value = 0;
  EXPECT_EQ(device_->GetRenderState(D3DRS_FOGCOLOR, &value), D3D_OK);
  EXPECT_EQ(value, 0x00123456u);
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(400), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(3, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR), D3D_OK);
  EXPECT_EQ(device_->GetTextureStageState(3, D3DTSS_ADDRESSU, &value), D3D_OK);
  EXPECT_EQ(value, DWORD{D3DTADDRESS_MIRROR});
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_ADDRESSU, 1), D3DERR_INVALIDCALL);
  // Vertex-shader handles do not exist; flexible formats do.
  EXPECT_EQ(device_->SetVertexShader(0x8001), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetVertexShader(0x252), D3D_OK);
  EXPECT_EQ(device_->GetVertexShader(&value), D3D_OK);
  EXPECT_EQ(value, 0x252u);
  // Lights: a light never set reports an error until it is enabled, which
  // gives it the default directional light.
  D3DLIGHT8 light;
  EXPECT_EQ(device_->GetLight(5, &light), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->LightEnable(5, TRUE), D3D_OK);
  ASSERT_EQ(device_->GetLight(5, &light), D3D_OK);
  EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(light.Direction.z, 1.0f);
  BOOL enabled = FALSE;
  EXPECT_EQ(device_->GetLightEnable(5, &enabled), D3D_OK);
  EXPECT_TRUE(enabled);
  light.Type = static_cast<D3DLIGHTTYPE>(9);
  EXPECT_EQ(device_->SetLight(1, &light), D3DERR_INVALIDCALL);
}

TEST_F(DrawDeviceTest, StatesSurviveClearsBetweenDraws) {
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device_->SetRenderState(D3DRS_COLORWRITEENABLE,
                          D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_BLUE);
  Quad(0, 0, 8, 8, 0x80FFFFFF);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  // The clear filled the whole target regardless of the drawing states.
  EXPECT_EQ(Pixel(40, 40), 0xFF0000FFu);
  Quad(0, 0, 8, 8, 0x80FFFFFF);
  EXPECT_EQ(Pixel(4, 4), 0xFF8080FFu);
}

TEST_F(TransformedDeviceTest, CubeMapThroughReflectionAndNormal) {
  // One colour per face, in face order +x, -x, +y, -y, +z, -z.
  const uint32_t faces[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device_->CreateCubeTexture(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  objects_.push_back(cube);
  for (int face = 0; face < 6; ++face) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, &faces[face], 4);
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  device_->SetTexture(0, cube);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  struct Vertex {
    float x, y, z, nx, ny, nz;
  };
  auto draw = [&](float nx, float ny, float nz) {
    const Vertex quad[4] = {
        {-20, 20, 10, nx, ny, nz}, {20, 20, 10, nx, ny, nz}, {-20, -20, 10, nx, ny, nz}, {20, -20, 10, nx, ny, nz}};
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  };
  struct Case {
    DWORD generation;
    float nx, ny, nz;
    uint32_t expected;
  };
  const float tilt = 0.9486833f;  // sqrt(0.9)
  const Case cases[] = {
      // The camera-space normal looks up the cube directly.
      {D3DTSS_TCI_CAMERASPACENORMAL, 0, 0, -1, faces[5]},
      {D3DTSS_TCI_CAMERASPACENORMAL, tilt, 0, -0.3162278f, faces[0]},
      {D3DTSS_TCI_CAMERASPACENORMAL, 0, tilt, -0.3162278f, faces[2]},
      // The view direction (+z) reflected: straight back to -z, or sideways
      // off a surface turned 45 degrees.
      {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 0, 0, -1, faces[5]},
      {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 0.7071068f, 0, -0.7071068f, faces[0]},
      {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 0, -0.7071068f, -0.7071068f, faces[3]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.generation << " " << c.nx << " " << c.ny << " " << c.nz);
    device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.generation);
    draw(c.nx, c.ny, c.nz);
    EXPECT_EQ(Pixel(32, 24), c.expected);
  }
  device_->SetTexture(0, nullptr);
}

TEST_F(TransformedDeviceTest, TwoCoordinateSetsOfTheEngineLayout) {
  // Position, normal, colour and two coordinate sets: the 44-byte 0x252.
  struct Vertex {
    float x, y, z, nx, ny, nz;
    DWORD color;
    float u0, v0, u1, v1;
  };
  static_assert(sizeof(Vertex) == 44, "engine layout");
  IDirect3DTexture8* base = MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
  IDirect3DTexture8* second = MakeTexture(2, 1, {0xFF000080, 0xFF0000FF});
  device_->SetTexture(0, base);
  device_->SetTexture(1, second);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  const Vertex quad[4] = {{-20, 20, 10, 0, 0, -1, 0xFFFFFFFF, 0.75f, 0.5f, 0.25f, 0.5f},
                          {20, 20, 10, 0, 0, -1, 0xFFFFFFFF, 0.75f, 0.5f, 0.25f, 0.5f},
                          {-20, -20, 10, 0, 0, -1, 0xFFFFFFFF, 0.75f, 0.5f, 0.25f, 0.5f},
                          {20, -20, 10, 0, 0, -1, 0xFFFFFFFF, 0.75f, 0.5f, 0.25f, 0.5f}};
  ASSERT_EQ(device_->SetVertexShader(0x252), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  // Stage 0 reads set 0 (u = 0.75: green), stage 1 set 1 (u = 0.25: dark blue).
  EXPECT_EQ(Pixel(32, 24), 0xFF00FF80u);
  // Stage 1 reading set 0 instead.
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(Pixel(32, 24), 0xFF00FFFFu);
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
}

TEST_F(DrawDeviceTest, TwoDimensionalPathThroughADynamicBuffer) {
  // As the engine's 2D drawing: vertices appended to a dynamic buffer with
  // no-overwrite locks, each batch drawn right after its unlock, textured
  // and blended by vertex and texture alpha.
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64 * sizeof(TexturedScreenVertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                        kTexturedFvf, D3DPOOL_DEFAULT, &buffer),
            D3D_OK);
  objects_.push_back(buffer);
  IDirect3DTexture8* texture = MakeTexture(1, 1, {0x80FFFFFF});
  device_->SetTexture(0, texture);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_CLIPPING, FALSE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device_->SetVertexShader(kTexturedFvf);
  device_->SetStreamSource(0, buffer, sizeof(TexturedScreenVertex));
  const DWORD colours[3] = {0xFFFF0000, 0xFF00FF00, 0x800000FF};
  for (int batch = 0; batch < 3; ++batch) {
    SCOPED_TRACE(batch);
    BYTE* memory = nullptr;
    const UINT offset = UINT(batch) * 4 * sizeof(TexturedScreenVertex);
    const DWORD flags = batch == 0 ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE;
    ASSERT_EQ(buffer->Lock(offset, 4 * sizeof(TexturedScreenVertex), &memory, flags), D3D_OK);
    const float x = 16.0f * float(batch);
    const TexturedScreenVertex quad[4] = {{x, 0, 0.5f, 1, colours[batch], 0, 0},
                                          {x + 16, 0, 0.5f, 1, colours[batch], 1, 0},
                                          {x, 16, 0.5f, 1, colours[batch], 0, 1},
                                          {x + 16, 16, 0.5f, 1, colours[batch], 1, 1}};
    std::memcpy(memory, quad, sizeof(quad));
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, UINT(batch) * 4, 2), D3D_OK);
  }
  // Texture alpha 0.5 times vertex alpha over black.
  EXPECT_EQ(Pixel(8, 8), 0xFF800000u);
  EXPECT_EQ(Pixel(24, 8), 0xFF008000u);
  EXPECT_EQ(Pixel(40, 8), 0xFF000040u);
  device_->SetTexture(0, nullptr);
}

TEST_F(DrawDeviceTest, SubViewport) {
  const D3DVIEWPORT8 viewport = {16, 8, 32, 24, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  // A transformed quad over the whole clip square fills exactly the viewport.
  D3DMATRIX identity;
  std::memset(&identity, 0, sizeof(identity));
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  device_->SetTransform(D3DTS_WORLD, &identity);
  device_->SetTransform(D3DTS_VIEW, &identity);
  device_->SetTransform(D3DTS_PROJECTION, &identity);
  struct Vertex {
    float x, y, z;
    DWORD color;
  };
  const Vertex quad[4] = {
      {-1, 1, 0.5f, 0xFF00FF00}, {1, 1, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF00FF00}, {1, -1, 0.5f, 0xFF00FF00}};
  ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(Pixel(16, 8), 0xFF00FF00u);
  EXPECT_EQ(Pixel(47, 31), 0xFF00FF00u);
  EXPECT_EQ(Pixel(15, 8), 0xFF000000u);
  EXPECT_EQ(Pixel(16, 7), 0xFF000000u);
  EXPECT_EQ(Pixel(48, 31), 0xFF000000u);
  EXPECT_EQ(Pixel(47, 32), 0xFF000000u);
  // Screen coordinates stay those of the render target; the viewport only
  // bounds them.
  Quad(20, 10, 30, 20, 0xFFFF0000);
  EXPECT_EQ(Pixel(20, 10), 0xFFFF0000u);
  EXPECT_EQ(Pixel(29, 19), 0xFFFF0000u);
  EXPECT_EQ(Pixel(30, 19), 0xFF00FF00u);
  Quad(0, 0, 20, 12, 0xFF0000FF);
  EXPECT_EQ(Pixel(17, 9), 0xFF0000FFu);
  EXPECT_EQ(Pixel(10, 5), 0xFF000000u);
}

TEST_F(DrawDeviceTest, ResetBringsTheDrawingDefaultsBack) {
  // States that hide everything: blending that keeps the destination.
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  Quad(0, 0, 8, 8, 0xFFFF0000);
  EXPECT_EQ(Pixel(4, 4), 0xFF000000u);
  backBuffer_->Release();
  backBuffer_ = nullptr;
  D3DPRESENT_PARAMETERS params = WindowedParams();
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_), D3D_OK);
  DWORD value = 0;
  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
  EXPECT_EQ(value, 0u);
  // After the reset the defaults draw: no blending (screen-space vertices
  // are never lit, so lighting on by default changes nothing here).
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  Quad(0, 0, 8, 8, 0xFFFF0000);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
}

TEST_F(TransformedDeviceTest, ResetForgetsLightsForTheDrawingToo) {
  struct Vertex {
    float x, y, z, nx, ny, nz;
  };
  const Vertex quad[4] = {
      {-20, 20, 10, 0, 0, -1}, {20, 20, 10, 0, 0, -1}, {-20, -20, 10, 0, 0, -1}, {20, -20, 10, 0, 0, -1}};
  D3DMATRIX projection;
  ASSERT_EQ(device_->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  D3DMATERIAL8 material = {};
  material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  // Lit drawing of the diffuse colour alone.
  auto drawLit = [&]() {
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetMaterial(&material);
    ASSERT_EQ(device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  };
  D3DLIGHT8 red = {};
  red.Type = D3DLIGHT_DIRECTIONAL;
  red.Diffuse = {1.0f, 0.0f, 0.0f, 0.0f};
  red.Direction = {0.0f, 0.0f, 1.0f};
  device_->SetLight(0, &red);
  device_->LightEnable(0, TRUE);
  drawLit();
  EXPECT_EQ(Pixel(32, 24), 0xFFFF0000u);

  backBuffer_->Release();
  backBuffer_ = nullptr;
  D3DPRESENT_PARAMETERS params = WindowedParams();
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_), D3D_OK);
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  // A draw without lights, then light 0 enabled without being set again (and
  // nothing read back in between): it is the default white light now, not
  // the one from before the reset.
  drawLit();
  device_->LightEnable(0, TRUE);
  drawLit();
  EXPECT_EQ(Pixel(32, 24), 0xFFFFFFFFu);
}

}  // namespace
