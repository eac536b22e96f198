// Immediate-mode 2D through the engine and the driver: pixels read back from
// the stand-in's back buffer, vertex-buffer use checked by recording.
#include <vector>

#include "tests/engine/driver/d3d8/driver_fixture.h"

namespace {

constexpr RwInt32 kLineList = 1;
constexpr RwInt32 kIm2DTriList = 3;
constexpr RwInt32 kTriFan = 5;

constexpr RwUInt32 kIm2DRed = 0xFFFF0000u;
constexpr RwUInt32 kIm2DGreen = 0xFF00FF00u;
constexpr RwUInt32 kBlue = 0xFF0000FFu;
constexpr RwUInt32 kIm2DYellow = 0xFFFFFF00u;
constexpr RwUInt32 kWhite = 0xFFFFFFFFu;

RwIm2DVertex Vertex(RwReal x, RwReal y, RwUInt32 color) { return {x, y, 0.5f, 1.0f, color, 0.0f, 0.0f}; }

// The corners of a rectangle, clockwise from the top left.
std::vector<RwIm2DVertex> Corners(RwReal left, RwReal top, RwReal right, RwReal bottom, RwUInt32 color) {
  return {Vertex(left, top, color), Vertex(right, top, color), Vertex(right, bottom, color),
          Vertex(left, bottom, color)};
}

void* Im2DIntegerValue(RwInt32 value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

class Im2DTest : public D3D8DriverTest {
 protected:
  void ClearToBlack() {
    ASSERT_EQ(Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
  }
};

TEST_F(Im2DTest, EngineInAChosenModeDrawsEvery2DPrimitiveAndShutsDown) {
  OpenEngine();
  const RwInt32 mode = FindMode(640, 480, 32, kRwVideoModeExclusive);
  ASSERT_GE(mode, 0);
  ASSERT_TRUE(RwEngineSetVideoMode(mode));
  EXPECT_EQ(RwEngineGetCurrentVideoMode(), mode);
  ASSERT_TRUE(RwEngineStart());
  ASSERT_NE(Device(), nullptr);
  EXPECT_EQ(_rwD3D8Driver.displayMode.width, 640u);
  EXPECT_EQ(_rwD3D8Driver.displayMode.height, 480u);
  EXPECT_EQ(_rwD3D8Driver.displayDepth, 32);
  EXPECT_EQ(RwIm2DGetNearScreenZ(), 0.0f);
  EXPECT_EQ(RwIm2DGetFarScreenZ(), 1.0f);

  ClearToBlack();
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateCullMode, Im2DIntegerValue(D3DCULL_NONE)));

  // A red quad as a triangle list.
  std::vector<RwIm2DVertex> quad = Corners(10, 10, 60, 60, kIm2DRed);
  std::vector<RwIm2DVertex> list = {quad[0], quad[1], quad[2], quad[0], quad[2], quad[3]};
  EXPECT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, list.data(), RwInt32(list.size())));
  // A blue quad from four vertices and six indices.
  std::vector<RwIm2DVertex> blue = Corners(100, 10, 150, 60, kBlue);
  RwUInt16 indices[6] = {0, 1, 2, 0, 2, 3};
  EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(kIm2DTriList, blue.data(), 4, indices, 6));
  // A yellow quad as a fan.
  std::vector<RwIm2DVertex> fan = Corners(200, 10, 250, 60, kIm2DYellow);
  EXPECT_TRUE(RwIm2DRenderPrimitive(kTriFan, fan.data(), 4));
  // A white triangle picked from a larger array.
  std::vector<RwIm2DVertex> triangle = {Vertex(0, 0, kIm2DRed), Vertex(300, 10, kWhite), Vertex(360, 10, kWhite),
                                        Vertex(330, 60, kWhite)};
  EXPECT_TRUE(RwIm2DRenderTriangle(triangle.data(), 4, 1, 2, 3));
  // A green horizontal line.
  std::vector<RwIm2DVertex> line = {Vertex(0, 0, kIm2DRed), Vertex(10, 100.5f, kIm2DGreen), Vertex(200, 100.5f, kIm2DGreen)};
  EXPECT_TRUE(RwIm2DRenderLine(line.data(), 3, 1, 2));

  EXPECT_EQ(BackBufferPixel(35, 35), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(125, 35), 0x0000FFu);
  EXPECT_EQ(BackBufferPixel(225, 35), 0xFFFF00u);
  EXPECT_EQ(BackBufferPixel(330, 25), 0xFFFFFFu);
  EXPECT_EQ(BackBufferPixel(100, 100), 0x00FF00u);
  EXPECT_EQ(BackBufferPixel(80, 35), 0x000000u);
  EXPECT_EQ(BackBufferPixel(100, 200), 0x000000u);

  EXPECT_TRUE(RwEngineStop());
  EXPECT_EQ(Device(), nullptr);
  EXPECT_TRUE(RwEngineClose());
  EXPECT_TRUE(RwEngineTerm());
}

TEST_F(Im2DTest, VertexAlphaBlendsWithTheDefaultBlendFunctions) {
  StartEngine();
  ClearToBlack();
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateCullMode, Im2DIntegerValue(D3DCULL_NONE)));
  std::vector<RwIm2DVertex> blue = Corners(0, 0, 40, 40, kBlue);
  ASSERT_TRUE(RwIm2DRenderPrimitive(kTriFan, blue.data(), 4));
  // Half-transparent red over the blue: without vertex alpha it covers it.
  std::vector<RwIm2DVertex> red = Corners(0, 0, 20, 40, 0x80FF0000u);
  ASSERT_TRUE(RwIm2DRenderPrimitive(kTriFan, red.data(), 4));
  EXPECT_EQ(BackBufferPixel(10, 20), 0xFF0000u);
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateVertexAlphaEnable, Im2DIntegerValue(1)));
  std::vector<RwIm2DVertex> blended = Corners(20, 0, 40, 40, 0x80FF0000u);
  ASSERT_TRUE(RwIm2DRenderPrimitive(kTriFan, blended.data(), 4));
  const uint32_t pixel = BackBufferPixel(30, 20);
  EXPECT_NEAR(double(pixel >> 16), 128.0, 2.0);
  EXPECT_EQ((pixel >> 8) & 0xFF, 0u);
  EXPECT_NEAR(double(pixel & 0xFF), 127.0, 2.0);
}

TEST_F(Im2DTest, IndexedPrimitivesUseTheIndexBufferOnlyWithMoreIndicesThanVertices) {
  StartEngine();
  Record();
  std::vector<RwIm2DVertex> quad = Corners(1, 1, 20, 20, kIm2DRed);
  RwUInt16 sixIndices[6] = {0, 1, 2, 0, 2, 3};
  EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(kIm2DTriList, quad.data(), 4, sixIndices, 6));
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 1u);
  EXPECT_EQ(Calls("DrawPrimitive"), 0u);
  EXPECT_EQ(Args("DrawIndexedPrimitive"), (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 4, 0, 2}));

  std::vector<RwIm2DVertex> six(6, Vertex(5, 5, kIm2DRed));
  EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(kIm2DTriList, six.data(), 6, sixIndices, 6));
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 1u);
  EXPECT_EQ(Calls("DrawPrimitive"), 1u);

  // An index past the vertices is refused before anything is read or drawn.
  RwUInt16 outside[3] = {0, 1, 4};
  EXPECT_FALSE(RwIm2DRenderIndexedPrimitive(kIm2DTriList, quad.data(), 4, outside, 3));
  EXPECT_FALSE(RwIm2DRenderTriangle(quad.data(), 4, 0, 1, 4));
  EXPECT_FALSE(RwIm2DRenderLine(quad.data(), 4, -1, 1));
  EXPECT_EQ(Calls("DrawPrimitive"), 1u);
}

TEST_F(Im2DTest, SharedBufferIsAppendedToWithNoOverwriteLocks) {
  StartEngine();
  Record();
  std::vector<RwIm2DVertex> quad = Corners(1, 1, 20, 20, kIm2DRed);
  const std::vector<RwIm2DVertex> list = {quad[0], quad[1], quad[2]};
  ASSERT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, const_cast<RwIm2DVertex*>(list.data()), 3));
  const std::vector<uint64_t> first = Args("VertexBuffer::Lock");
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(first[1], 0u);
  EXPECT_EQ(first[3], uint64_t(D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK));

  ASSERT_TRUE(RwIm2DRenderPrimitive(kLineList, quad.data(), 4));
  const std::vector<uint64_t> second = Args("VertexBuffer::Lock");
  EXPECT_EQ(second[1], 3u * sizeof(RwIm2DVertex));
  EXPECT_EQ(second[2], 4u * sizeof(RwIm2DVertex));
  EXPECT_EQ(second[3], uint64_t(D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK));
  EXPECT_EQ(Args("DrawPrimitive"), (std::vector<uint64_t>{D3DPT_LINELIST, 3, 2}));
  // The 2D vertex format and stream were sent once.
  EXPECT_EQ(Calls("SetVertexShader"), 1u);
  EXPECT_EQ(Calls("SetStreamSource"), 1u);
}

TEST_F(Im2DTest, OwnVertexBufferRestartsWhenFullAndRefusesPrimitivesLargerThanIt) {
  TestDirect3D().noHardwareTnL = true;
  StartEngine();
  Record();
  std::vector<RwIm2DVertex> many(9363, Vertex(1, 1, kIm2DRed));

  ASSERT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, many.data(), 9000));
  std::vector<uint64_t> lock = Args("VertexBuffer::Lock");
  EXPECT_EQ(lock[1], 0u);
  EXPECT_EQ(lock[3], uint64_t(D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK));

  ASSERT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, many.data(), 300));
  lock = Args("VertexBuffer::Lock");
  EXPECT_EQ(lock[1], 9000u * sizeof(RwIm2DVertex));

  // 9300 + 63 would pass the last vertex: the buffer starts again, discarded.
  ASSERT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, many.data(), 63));
  lock = Args("VertexBuffer::Lock");
  EXPECT_EQ(lock[1], 0u);
  EXPECT_EQ(lock[3], uint64_t(D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK));

  // More vertices than the buffer holds: refused, nothing locked.
  const unsigned locks = Calls("VertexBuffer::Lock");
  EXPECT_FALSE(RwIm2DRenderPrimitive(kIm2DTriList, many.data(), 9363));
  EXPECT_EQ(Calls("VertexBuffer::Lock"), locks);
  std::vector<RwUInt16> indices(9363);
  for (size_t i = 0; i < indices.size(); i++) indices[i] = RwUInt16(i);
  EXPECT_FALSE(RwIm2DRenderIndexedPrimitive(kIm2DTriList, many.data(), 9363, indices.data(), 9363));
  EXPECT_EQ(Calls("VertexBuffer::Lock"), locks);
  // The largest primitive that fits still draws.
  EXPECT_TRUE(RwIm2DRenderPrimitive(kIm2DTriList, many.data(), 9360));
}

TEST_F(Im2DTest, PointListsDrawOnePointPerVertex) {
  StartEngine();
  ClearToBlack();
  Record();
  std::vector<RwIm2DVertex> points = {Vertex(10.5f, 10.5f, kIm2DGreen), Vertex(20.5f, 30.5f, kIm2DGreen)};
  ASSERT_TRUE(RwIm2DRenderPrimitive(6, points.data(), 2));
  EXPECT_EQ(Args("DrawPrimitive"), (std::vector<uint64_t>{D3DPT_POINTLIST, 0, 2}));
  EXPECT_EQ(BackBufferPixel(10, 10), 0x00FF00u);
  EXPECT_EQ(BackBufferPixel(20, 30), 0x00FF00u);
  EXPECT_EQ(BackBufferPixel(15, 20), 0x000000u);
}

TEST_F(Im2DTest, PrimitivesWithNothingToDrawAreRefused) {
  StartEngine();
  std::vector<RwIm2DVertex> quad = Corners(1, 1, 20, 20, kIm2DRed);
  for (RwInt32 type : {0, 7}) {
    SCOPED_TRACE(type);
    EXPECT_FALSE(RwIm2DRenderPrimitive(type, quad.data(), 4));
  }
  EXPECT_FALSE(RwIm2DRenderPrimitive(kTriFan, quad.data(), 2));
  EXPECT_FALSE(RwIm2DRenderPrimitive(kIm2DTriList, quad.data(), 0));
  EXPECT_FALSE(RwIm2DRenderPrimitive(kIm2DTriList, nullptr, 3));
}

TEST_F(Im2DTest, RenderStateSetOutsideACameraUpdateIsRefusedAndNotStored) {
  StartEngine();
  void* before = nullptr;
  ASSERT_TRUE(RwRenderStateGet(kRwRenderStateSrcBlend, &before));
  EXPECT_FALSE(RwRenderStateSet(kRwRenderStateSrcBlend, Im2DIntegerValue(D3DBLEND_ONE)));
  const RwErrorRecord error = TakeError();
  EXPECT_EQ(error.pluginID, kRwPluginIdCore);
  EXPECT_EQ(error.errorCode, kRwErrRenderStateOutsideUpdate);
  void* after = nullptr;
  ASSERT_TRUE(RwRenderStateGet(kRwRenderStateSrcBlend, &after));
  EXPECT_EQ(after, before);
}

}  // namespace

namespace {

// 2D vertices are given within the target raster: a sub-raster of the back
// buffer at (16, 8) moves them 16 pixels right and 8 down.
TEST_F(Im2DTest, SubRasterTargetShiftsTheVertices) {
  StartEngine();
  ClearToBlack();
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateCullMode, Im2DIntegerValue(D3DCULL_NONE)));
  RwRaster* screen = RwRasterCreate(kWindowWidth, kWindowHeight, 0, rwRASTERTYPECAMERA);
  ASSERT_NE(screen, nullptr);
  RwRaster* sub = RwRasterCreate(0, 0, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  ASSERT_NE(sub, nullptr);
  RwRect rect = {16, 8, 32, 32};
  ASSERT_NE(RwRasterSubRaster(sub, screen, &rect), nullptr);
  ASSERT_NE(RwRasterPushContext(sub), nullptr);
  std::vector<RwIm2DVertex> quad = Corners(0, 0, 8, 8, kIm2DRed);
  EXPECT_TRUE(RwIm2DRenderPrimitive(kTriFan, quad.data(), 4));
  RwRasterPopContext();
  EXPECT_EQ(BackBufferPixel(20, 12), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(4, 4), 0x000000u);
  RwRasterDestroy(sub);
  RwRasterDestroy(screen);
}

}  // namespace
