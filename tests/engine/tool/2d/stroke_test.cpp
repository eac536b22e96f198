// Strokes: the strip a path becomes, its colours and texture coordinates,
// batches that go on from their last point, and the pixels a stroke covers.
#include "tests/engine/tool/2d/twod_fixture.h"

namespace {

using twod_test::Draws;
using twod_test::Near;
using twod_test::NearColour;
using twod_test::TwoDTest;

class StrokeTest : public TwoDTest {
 protected:
  void SetUp() override {
    TwoDTest::SetUp();
    path_ = Rt2dPathCreate();
    ASSERT_NE(path_, nullptr);
  }

  void TearDown() override {
    Rt2dPathDestroy(path_);
    TwoDTest::TearDown();
  }

  Rt2dPath* path_ = nullptr;
};

void ExpectVertex(const RwIm3DVertex& vertex, RwReal x, RwReal y, RwUInt32 colour) {
  EXPECT_TRUE(Near(vertex.objVertex.x, x) && Near(vertex.objVertex.y, y) && vertex.objVertex.z == 1.0f)
      << vertex.objVertex.x << ", " << vertex.objVertex.y << ", " << vertex.objVertex.z;
  EXPECT_EQ(vertex.color, colour);
}

TEST_F(StrokeTest, ALineBecomesAStripWithCorners3And2OnItsLeft) {
  Rt2dPathMoveto(path_, 0.0f, 0.0f);
  Rt2dPathLineto(path_, 10.0f, 0.0f);
  UseFourColours();
  BeginFrame();
  ASSERT_EQ(Rt2dPathStroke(path_, brush_), path_);
  ASSERT_EQ(Draws().size(), 1u);
  const twod_test::Im3DDraw& strip = Draws()[0];
  EXPECT_EQ(strip.primType, static_cast<RwUInt32>(kRwPrimTypeTriStrip));
  EXPECT_EQ(strip.flags & kRwIm3DVertexUV, 0u);
  ASSERT_EQ(strip.vertices.size(), 4u);
  EXPECT_EQ(strip.indices, (std::vector<RwUInt16>{0, 1, 2, 3}));
  ExpectVertex(strip.vertices[0], 0.0f, 0.5f, 0xFFFFFFFFu);    // corner 3
  ExpectVertex(strip.vertices[1], 0.0f, -0.5f, 0xFFFF0000u);   // corner 0
  ExpectVertex(strip.vertices[2], 10.0f, 0.5f, 0xFF0000FFu);   // corner 2
  ExpectVertex(strip.vertices[3], 10.0f, -0.5f, 0xFF00FF00u);  // corner 1
  EXPECT_EQ(Rt2dPathStroke(nullptr, brush_), nullptr);
}

TEST_F(StrokeTest, TexturedStrokesTakeTheBrushTextureAndCornerCoordinates) {
  Rt2dPathMoveto(path_, 0.0f, 0.0f);
  Rt2dPathLineto(path_, 10.0f, 0.0f);
  RwTexture* texture = RwTextureCreate(RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE));
  ASSERT_NE(texture, nullptr);
  brush_->texture = texture;
  const RwV2d c0 = {0.0f, 1.0f};
  const RwV2d c3 = {0.0f, 0.0f};
  Rt2dBrushSetUV(brush_, &c0, &c0, &c3, &c3);  // coordinates that do not vary
  BeginFrame();
  Rt2dPathStroke(path_, brush_);
  void* raster = nullptr;
  RwRenderStateGet(kRwRenderStateTextureRaster, &raster);
  EXPECT_EQ(raster, texture->raster);
  ASSERT_EQ(Draws().size(), 1u);
  const twod_test::Im3DDraw& strip = Draws()[0];
  EXPECT_NE(strip.flags & kRwIm3DVertexUV, 0u);
  EXPECT_EQ(strip.vertices[2].v, 0.0f);  // left: corner 3
  EXPECT_EQ(strip.vertices[3].v, 1.0f);  // right: corner 0
}

TEST_F(StrokeTest, LongSubpathsGoOnInANewStripFromTheirLastPoint) {
  Rt2dPathMoveto(path_, 0.0f, 0.0f);
  for (int i = 1; i < 200; i++) {
    Rt2dPathLineto(path_, static_cast<RwReal>(i), (i % 2) ? 1.0f : 0.0f);
  }
  BeginFrame();
  Rt2dPathStroke(path_, brush_);
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[0].vertices.size(), 254u);  // points 0 to 126
  ASSERT_EQ(Draws()[1].vertices.size(), 148u);  // points 126 to 199
  EXPECT_TRUE(Near(Draws()[1].vertices[0].objVertex.x, Draws()[0].vertices[252].objVertex.x));
  EXPECT_TRUE(Near(Draws()[1].vertices[147].objVertex.x, 199.0f, 2.0f));
}

TEST_F(StrokeTest, AStrokedLineCoversItsPixels) {
  const RwRGBA green = {0, 255, 0, 255};
  Rt2dBrushSetRGBA(brush_, &green, &green, &green, &green);
  brush_->halfWidth = 5.0f;
  Rt2dPathMoveto(path_, 20.0f, 60.0f);
  Rt2dPathCurveto(path_, 60.0f, 60.0f, 100.0f, 60.0f, 140.0f, 60.0f);  // straight, flattened when stroked
  BeginFrame();
  Rt2dPathStroke(path_, brush_);
  EndFrame();
  EXPECT_TRUE(NearColour(PixelAt(80, 60), 0x00FF00, 8));
  EXPECT_TRUE(NearColour(PixelAt(25, 63), 0x00FF00, 8));
  EXPECT_TRUE(NearColour(PixelAt(80, 70), 0x000000, 8));
  EXPECT_TRUE(NearColour(PixelAt(80, 50), 0x000000, 8));
  EXPECT_TRUE(NearColour(PixelAt(10, 60), 0x000000, 8));
  EXPECT_TRUE(NearColour(PixelAt(150, 60), 0x000000, 8));
  EXPECT_EQ(path_->flat, 0);  // the path itself stays as built
}

}  // namespace
