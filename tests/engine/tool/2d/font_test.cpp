// 2D fonts: measuring strings, the quads and batches of the bitmap renderer,
// the outline renderer's anchor, word-wrapping in a box (through a recording
// render operation) and a line of text drawn with a four-colour brush.
#include <string>

#include "tests/engine/tool/2d/twod_fixture.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/font_writer.h"

namespace {

using twod_test::Draws;
using twod_test::FolderOf;
using twod_test::Near;
using twod_test::NearColour;
using twod_test::TwoDTest;
using twod_test::WriteScratch;

struct RenderCall {
  std::string text;
  RwV2d anchor;
  RwReal height;
};

std::vector<RenderCall>& Renders() {
  static std::vector<RenderCall> renders;
  return renders;
}

Rt2dFont* RecordRender(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush*) {
  Renders().push_back({string, *anchor, height});
  return font;
}

class FontTest : public TwoDTest {
 protected:
  void SetUp() override {
    TwoDTest::SetUp();
    font_ = Rt2dFontCreate();
    ASSERT_NE(font_, nullptr);
    // A bitmap font whose every glyph is half as wide as high.
    font_->outline = 0;
    for (Rt2dGlyph& glyph : font_->glyphs) {
      glyph.advance = 0.5f;
    }
    Renders().clear();
  }

  void TearDown() override {
    for (RwRaster* page : pages_) {
      RwRasterDestroy(page);
    }
    Rt2dFontDestroy(font_);
    TwoDTest::TearDown();
  }

  RwRaster* Page() {
    pages_.push_back(RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE));
    return pages_.back();
  }

  // Renders in the box through the recording operation; the string must
  // come back unchanged.
  Rt2dFont* InBox(const char* text, Rt2dBBox box, RwInt32 justification, RwReal height = 10.0f) {
    font_->render = RecordRender;
    std::string writable = text;
    Rt2dFont* result = Rt2dFontRenderInBox(font_, &writable[0], height, &box, justification, brush_);
    EXPECT_EQ(writable, text);
    return result;
  }

  Rt2dFont* font_ = nullptr;
  std::vector<RwRaster*> pages_;
};

TEST_F(FontTest, WidthsAndHeightFollowAdvancesGapAndPixelSize) {
  EXPECT_TRUE(Near(Rt2dFontGetStringWidth(font_, "abc", 10.0f), 15.0f));
  EXPECT_EQ(Rt2dFontGetStringWidth(font_, "", 10.0f), 0.0f);
  font_->glyphs[0xE9].advance = 1.0f;  // a code above 127 is its own glyph
  EXPECT_TRUE(Near(Rt2dFontGetStringWidth(font_, "\xE9", 10.0f), 10.0f));
  ASSERT_EQ(Rt2dFontSetCharacterGap(font_, 0.1f), font_);
  EXPECT_TRUE(Near(Rt2dFontGetStringWidth(font_, "abc", 10.0f), 18.0f));
  font_->size = 14.0f;
  EXPECT_TRUE(Near(Rt2dFontGetHeight(font_), 14.0f));  // pixels in a pixel layout
}

TEST_F(FontTest, BitmapTextIsOneQuadACharacterBatchedByPage) {
  RwRaster* first = Page();
  RwRaster* second = Page();
  font_->glyphs['a'] = {0.5f, first, 0.1f, 0.2f, 0.3f, 0.4f, nullptr};
  font_->glyphs['b'] = {1.0f, second, 0.5f, 0.5f, 1.0f, 1.0f, nullptr};
  UseFourColours();
  RwV2d anchor = {5.0f, 7.0f};
  BeginFrame();
  ASSERT_EQ(Rt2dFontRenderString(font_, "aab", 10.0f, &anchor, brush_), font_);
  EXPECT_TRUE(Near(anchor.x, 25.0f));
  EXPECT_EQ(anchor.y, 7.0f);
  ASSERT_EQ(Draws().size(), 2u);
  const twod_test::Im3DDraw& batch = Draws()[0];
  EXPECT_EQ(batch.primType, static_cast<RwUInt32>(kRwPrimTypeTriList));
  EXPECT_EQ(batch.flags & (kRwIm3DVertexUV | kRwIm3DNoClip), kRwIm3DVertexUV | kRwIm3DNoClip);
  ASSERT_EQ(batch.vertices.size(), 8u);
  EXPECT_EQ(batch.indices, (std::vector<RwUInt16>{0, 2, 3, 0, 3, 1, 4, 6, 7, 4, 7, 5}));
  // Bottom-left, top-left, bottom-right, top-right, in glyph units.
  const RwReal corners[4][4] = {
      {0.0f, 0.0f, 0.1f, 0.4f}, {0.0f, 1.0f, 0.1f, 0.2f}, {0.5f, 0.0f, 0.3f, 0.4f}, {0.5f, 1.0f, 0.3f, 0.2f}};
  for (int i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    const RwIm3DVertex& v = batch.vertices[i];
    EXPECT_TRUE(Near(v.objVertex.x, corners[i][0]) && Near(v.objVertex.y, corners[i][1]));
    EXPECT_EQ(v.objVertex.z, 1.0f);
    EXPECT_TRUE(Near(v.u, corners[i][2]) && Near(v.v, corners[i][3]));
  }
  // Colours run across the whole string (2 units wide).
  EXPECT_EQ(batch.vertices[0].color, 0xFFFF0000u);
  EXPECT_EQ(batch.vertices[1].color, 0xFFFFFFFFu);
  EXPECT_EQ(batch.vertices[2].color, 0xFFBF3F00u);  // a quarter along the bottom
  EXPECT_EQ(batch.vertices[7].color, 0xFF7F7FFFu);  // half along the top
  ASSERT_EQ(Draws()[1].vertices.size(), 4u);
  EXPECT_TRUE(Near(Draws()[1].vertices[3].objVertex.x, 2.0f));
  void* raster = nullptr;
  RwRenderStateGet(kRwRenderStateTextureRaster, &raster);
  EXPECT_EQ(raster, second);

  Draws().clear();
  const std::string long_line(65, 'a');
  Rt2dFontRenderString(font_, long_line.c_str(), 10.0f, &anchor, brush_);
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[0].indices.size(), 384u);
  EXPECT_EQ(Draws()[1].indices.size(), 6u);

  Draws().clear();
  anchor = {5.0f, 7.0f};
  Rt2dFontRenderString(font_, "", 10.0f, &anchor, brush_);
  EXPECT_TRUE(Draws().empty());
  EXPECT_EQ(anchor.x, 5.0f);
}

TEST_F(FontTest, OutlineTextStrokesGlyphPathsAndLeavesTheAnchor) {
  Rt2dPath* bar = Rt2dPathCreate();
  Rt2dPathMoveto(bar, 0.0f, 0.0f);
  Rt2dPathLineto(bar, 0.5f, 0.0f);
  font_->glyphs['-'].path = Rt2dPathUnlock(bar);
  font_->render = Rt2dFontOutlineRender;
  brush_->halfWidth = 0.05f;
  RwV2d anchor = {10.0f, 20.0f};
  BeginFrame();
  ASSERT_EQ(Rt2dFontRenderString(font_, "--", 10.0f, &anchor, brush_), font_);
  EXPECT_EQ(anchor.x, 10.0f);
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[0].primType, static_cast<RwUInt32>(kRwPrimTypeTriStrip));
}

TEST_F(FontTest, BoxesBreakAtSpacesAndAlignEachLine) {
  // "abc" is 15 wide, "abc de" 30; the box holds 25.
  const Rt2dBBox box = {100.0f, 50.0f, 25.0f, 40.0f};
  const struct {
    RwInt32 justification;
    RwReal firstX;
    RwReal secondX;
  } cases[] = {{kRt2dJustifyLeft, 100.0f, 100.0f},
               {kRt2dJustifyCenter, 105.0f, 107.5f},
               {kRt2dJustifyRight, 110.0f, 115.0f},
               {7, 100.0f, 100.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.justification);
    Renders().clear();
    EXPECT_EQ(InBox("abc de", box, c.justification), font_);
    ASSERT_EQ(Renders().size(), 2u);
    EXPECT_EQ(Renders()[0].text, "abc");
    EXPECT_EQ(Renders()[1].text, "de");
    EXPECT_TRUE(Near(Renders()[0].anchor.x, c.firstX));
    EXPECT_TRUE(Near(Renders()[1].anchor.x, c.secondX));
    EXPECT_TRUE(Near(Renders()[0].anchor.y, 80.0f));  // the top line
    EXPECT_TRUE(Near(Renders()[1].anchor.y, 70.0f));
  }
  {
    SCOPED_TRACE("a newline ends its line and is drawn with it; runs of spaces are skipped");
    Renders().clear();
    EXPECT_EQ(InBox("ab\ncd", box, kRt2dJustifyLeft), font_);
    ASSERT_EQ(Renders().size(), 2u);
    EXPECT_EQ(Renders()[0].text, "ab\n");
    EXPECT_EQ(Renders()[1].text, "cd");
    Renders().clear();
    EXPECT_EQ(InBox("abc   de", box, kRt2dJustifyLeft), font_);
    ASSERT_EQ(Renders().size(), 2u);
    EXPECT_EQ(Renders()[1].text, "de");
  }
}

TEST_F(FontTest, TextRunningBelowTheBoxFails) {
  const Rt2dBBox oneLine = {0.0f, 0.0f, 25.0f, 15.0f};
  EXPECT_EQ(InBox("abc de", oneLine, kRt2dJustifyLeft), nullptr);
  ASSERT_EQ(Renders().size(), 1u);
  EXPECT_EQ(Renders()[0].text, "abc");

  // A word wider than the box gives empty lines until the box is used up.
  Renders().clear();
  const Rt2dBBox narrow = {0.0f, 0.0f, 10.0f, 40.0f};
  EXPECT_EQ(InBox("abcdefgh", narrow, kRt2dJustifyLeft), nullptr);
  ASSERT_EQ(Renders().size(), 4u);
  EXPECT_EQ(Renders()[3].text, "");

  Renders().clear();
  EXPECT_EQ(InBox("abc", narrow, kRt2dJustifyLeft, 0.0f), nullptr);
  EXPECT_EQ(InBox("abc", narrow, kRt2dJustifyLeft, -1.0f), nullptr);
  EXPECT_EQ(InBox("abc", narrow, kRt2dJustifyLeft, std::nanf("")), nullptr);
  EXPECT_TRUE(Renders().empty());
  EXPECT_EQ(Rt2dFontRenderInBox(nullptr, nullptr, 10.0f, &narrow, 0, brush_), nullptr);
}

TEST_F(FontTest, ALineOfBitmapTextTakesTheBrushColoursAtItsCorners) {
  // One white 32 x 32 glyph 'A' on a 64 x 64 page, drawn at its own size.
  ScratchFolder folder("font_pixels");
  const std::vector<forge::RectGlyph> glyphs = {{'A', 0, 0, 32, 32}};
  ASSERT_TRUE(WriteScratch(folder, "pixel.met", forge::Metrics1Text("pixel.bmp", "", 0, glyphs)));
  ASSERT_TRUE(WriteScratch(folder, "pixel.bmp", forge::WriteBmp(forge::RectPageImage(64, 64, glyphs))));
  ASSERT_NE(Rt2dFontSetPath(FolderOf(folder).c_str()), nullptr);
  Rt2dFont* font = Rt2dFontRead("pixel");
  ASSERT_NE(font, nullptr);
  UseFourColours();
  RwV2d anchor = {16.0f, 40.0f};
  BeginFrame();
  RwRenderStateSet(kRwRenderStateTextureFilter, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
  ASSERT_EQ(Rt2dFontRenderString(font, "AAAA", Rt2dFontGetHeight(font), &anchor, brush_), font);
  EndFrame();
  EXPECT_TRUE(Near(anchor.x, 144.0f));
  // Two pixels in from each corner, colours have moved a little from the
  // corner's own.
  EXPECT_TRUE(NearColour(PixelAt(18, 42), 0xFF0000, 40)) << std::hex << PixelAt(18, 42);
  EXPECT_TRUE(NearColour(PixelAt(141, 42), 0x00FF00, 40)) << std::hex << PixelAt(141, 42);
  EXPECT_TRUE(NearColour(PixelAt(141, 69), 0x0000FF, 40)) << std::hex << PixelAt(141, 69);
  EXPECT_TRUE(NearColour(PixelAt(18, 69), 0xFFFFFF, 40)) << std::hex << PixelAt(18, 69);
  EXPECT_TRUE(NearColour(PixelAt(80, 56), 0x7F7F7F, 16)) << std::hex << PixelAt(80, 56);
  EXPECT_EQ(PixelAt(10, 56), 0x000000u);
  EXPECT_EQ(PixelAt(150, 56), 0x000000u);
  EXPECT_EQ(PixelAt(80, 75), 0x000000u);
  EXPECT_TRUE(Rt2dFontDestroy(font));
}

}  // namespace
