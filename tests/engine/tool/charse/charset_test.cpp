// The charset toolkit: the font's layout, the glyphs drawn into the charset
// raster, the descriptor, and the quads a print makes (taken from the 2D
// indexed-primitive entry of the device record while a camera update runs).
#include <cstring>
#include <vector>

#include "engine/tool/charse/charset_internal.h"
#include "tests/support/d3d8_camera_engine.h"

namespace {

constexpr RwRGBA kForeground = {250, 200, 100, 255};
constexpr RwRGBA kBackground = {10, 20, 30, 0};

struct PrintCall {
  RwInt32 primitiveType;
  std::vector<RwIm2DVertex> vertices;
  std::vector<RwUInt16> indices;
};

std::vector<PrintCall>& Calls2D() {
  static std::vector<PrintCall> calls;
  return calls;
}

RwBool Record2D(RwInt32 type, RwIm2DVertex* vertices, RwInt32 numVertices, RwUInt16* indices, RwInt32 numIndices) {
  Calls2D().push_back({type, std::vector<RwIm2DVertex>(vertices, vertices + numVertices),
                       std::vector<RwUInt16>(indices, indices + numIndices)});
  return TRUE;
}

class CharsetTest : public CameraDriverTest {
 protected:
  void SetUp() override {
    CameraDriverTest::SetUp();
    Start();
    ASSERT_TRUE(RtCharsetOpen());
    charset_ = RtCharsetCreate(&kForeground, &kBackground);
    ASSERT_NE(charset_, nullptr);
    Calls2D().clear();
  }

  void TearDown() override {
    if (RwCameraGetCurrentCamera() != nullptr) {
      RwCameraEndUpdate(camera_);
    }
    if (charset_ != nullptr) {
      EXPECT_TRUE(RtCharsetDestroy(charset_));
    }
    RtCharsetClose();
    CameraDriverTest::TearDown();
  }

  // Begins the camera update with the 2D entry recording.
  void BeginRecording() {
    ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
    drawEntry_ = RwEngineInstance->device.fpIm2DRenderIndexedPrimitive;
    RwEngineInstance->device.fpIm2DRenderIndexedPrimitive = Record2D;
  }

  void EndRecording() {
    RwEngineInstance->device.fpIm2DRenderIndexedPrimitive = drawEntry_;
    RwCameraEndUpdate(camera_);
  }

  // The charset raster's pixel as {R, G, B, A}.
  RwRGBA CharsetPixel(RwUInt8* pixels, RwInt32 stride, RwInt32 x, RwInt32 y) {
    const RwUInt8* p = pixels + y * stride + 4 * x;  // A8R8G8B8: B, G, R, A in memory
    return {p[2], p[1], p[0], p[3]};
  }

  static bool Same(RwRGBA a, RwRGBA b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
  }

  RtCharset* charset_ = nullptr;
  RwIm2DRenderIndexedPrimitiveFunction drawEntry_ = nullptr;
};

TEST(CharsetFontTest, GlyphAHasTheLayoutOfTheFont) {
  const RwUInt8* a = _rtCharsetFontGlyph('A' - kRtCharsetFirstCode);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(a[2], 1 << 3);  // the apex
  EXPECT_EQ(a[7], 0x7F);    // the crossbar over pixels 0..6
  for (int row = 11; row < kRtCharsetGlyphRows; row++) {
    EXPECT_EQ(a[row], 0) << "row " << row;
  }
  EXPECT_EQ(_rtCharsetFontGlyph(-1), nullptr);
  EXPECT_EQ(_rtCharsetFontGlyph(kRtCharsetGlyphCount), nullptr);
}

TEST(CharsetFontTest, EveryPrintableGlyphButSpaceHasPixelsAndAnEmptyFrame) {
  const RwUInt8* space = _rtCharsetFontGlyph(0);
  for (int row = 0; row < kRtCharsetGlyphRows; row++) {
    EXPECT_EQ(space[row], 0);
  }
  for (int glyph = 1; glyph < kRtCharsetGlyphCount; glyph++) {
    SCOPED_TRACE(static_cast<char>(glyph + kRtCharsetFirstCode));
    const RwUInt8* rows = _rtCharsetFontGlyph(glyph);
    int set = 0;
    for (int row = 0; row < kRtCharsetGlyphRows; row++) {
      set += rows[row] != 0;
      EXPECT_EQ(rows[row] & 0x80, 0) << "the eighth column is spacing";
    }
    EXPECT_GT(set, 0);
    EXPECT_EQ(rows[0] | rows[1] | rows[14], 0);
  }
}

TEST_F(CharsetTest, DescriptorAndRasterFollowTheFont) {
  RtCharsetDesc desc;
  ASSERT_EQ(RtCharsetGetDesc(charset_, &desc), charset_);
  EXPECT_EQ(desc.width, 8);
  EXPECT_EQ(desc.height, 14);
  EXPECT_EQ(desc.cellWidth, 9);
  EXPECT_EQ(desc.cellHeight, 15);
  EXPECT_EQ(desc.count, 91);
  EXPECT_EQ(desc.tileWidth, 14);
  EXPECT_EQ(desc.tileHeight, 7);
  EXPECT_EQ(charset_->width, 128);
  EXPECT_EQ(charset_->height, 128);
  EXPECT_EQ(charset_->type, rwRASTERTYPETEXTURE);
}

TEST_F(CharsetTest, NullArgumentsAreRefusedWithTheNullArgumentError) {
  RtCharsetDesc desc;
  RtCharset* charset = charset_;
  const struct {
    const char* what;
    bool (*fails)(RtCharset* charset, RtCharsetDesc* desc);
  } cases[] = {
      {"create", [](RtCharset*, RtCharsetDesc*) { return RtCharsetCreate(nullptr, &kBackground) == nullptr; }},
      {"colours",
       [](RtCharset*, RtCharsetDesc*) { return RtCharsetSetColors(nullptr, &kForeground, &kBackground) == nullptr; }},
      {"colour", [](RtCharset* c, RtCharsetDesc*) { return RtCharsetSetColors(c, &kForeground, nullptr) == nullptr; }},
      {"descriptor", [](RtCharset*, RtCharsetDesc* d) { return RtCharsetGetDesc(nullptr, d) == nullptr; }},
      {"destroy", [](RtCharset*, RtCharsetDesc*) { return !RtCharsetDestroy(nullptr); }},
      {"print", [](RtCharset* c, RtCharsetDesc*) { return RtCharsetPrint(c, nullptr, 0, 0) == nullptr; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TakeError();
    EXPECT_TRUE(c.fails(charset, &desc));
    const RwErrorRecord error = TakeError();
    // Raised by the toolkit; a core code is kept under the core's id.
    EXPECT_EQ(error.pluginID, 0);
    EXPECT_EQ(error.errorCode, kRwErrNullArgument);
  }
}

TEST_F(CharsetTest, GlyphsAreDrawnInTheirCellsInBothColours) {
  RwUInt8* pixels = RwRasterLock(charset_, 0, rwRASTERLOCKREAD);
  ASSERT_NE(pixels, nullptr);
  const RwInt32 stride = charset_->stride;
  for (const char c : {'A', 'g', '0', 'z'}) {
    SCOPED_TRACE(c);
    const RwInt32 glyph = c - kRtCharsetFirstCode;
    const RwInt32 left = (glyph % 14) * 9;
    const RwInt32 top = (glyph / 14) * 15;
    const RwUInt8* rows = _rtCharsetFontGlyph(glyph);
    for (RwInt32 row = 0; row < 15; row++) {
      for (RwInt32 x = 0; x < 9; x++) {
        const bool set = x < 8 && ((rows[row] >> x) & 1);
        const RwRGBA pixel = CharsetPixel(pixels, stride, left + x, top + row);
        ASSERT_TRUE(Same(pixel, set ? kForeground : kBackground)) << "pixel " << x << ", row " << row;
      }
    }
  }
  RwRasterUnlock(charset_);

  const RwRGBA red = {255, 0, 0, 255};
  const RwRGBA clear = {0, 0, 0, 0};
  ASSERT_EQ(RtCharsetSetColors(charset_, &red, &clear), charset_);
  pixels = RwRasterLock(charset_, 0, rwRASTERLOCKREAD);
  ASSERT_NE(pixels, nullptr);
  // 'A' apex: glyph 33 in column 5, row 2 of the cells.
  EXPECT_TRUE(Same(CharsetPixel(pixels, charset_->stride, 45 + 3, 30 + 2), red));
  EXPECT_TRUE(Same(CharsetPixel(pixels, charset_->stride, 45 + 8, 30 + 2), clear));
  RwRasterUnlock(charset_);
}

TEST_F(CharsetTest, PrintMakesOneQuadACharacterFromItsCell) {
  BeginRecording();
  void* filterBefore = nullptr;
  RwRenderStateGet(kRwRenderStateTextureFilter, &filterBefore);
  ASSERT_EQ(RtCharsetPrint(charset_, "AB", 0, 0), charset_);
  EndRecording();
  ASSERT_EQ(Calls2D().size(), 1u);
  const PrintCall& call = Calls2D()[0];
  EXPECT_EQ(call.primitiveType, 3);
  ASSERT_EQ(call.vertices.size(), 8u);
  EXPECT_EQ(call.indices, (std::vector<RwUInt16>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
  const RwReal texel = 1.0f / 128.0f;
  const RwReal half = 0.5f * texel;
  // 'A' from (45, 30), 'B' from (54, 30); corners left-top, left-bottom,
  // right-bottom, right-top.
  const RwReal expected[8][4] = {
      {0, 0, 45 * texel + half, 30 * texel + half},   {0, 14, 45 * texel + half, 44 * texel + half},
      {8, 14, 53 * texel + half, 44 * texel + half},  {8, 0, 53 * texel + half, 30 * texel + half},
      {8, 0, 54 * texel + half, 30 * texel + half},   {8, 14, 54 * texel + half, 44 * texel + half},
      {16, 14, 62 * texel + half, 44 * texel + half}, {16, 0, 62 * texel + half, 30 * texel + half},
  };
  for (int i = 0; i < 8; i++) {
    SCOPED_TRACE(i);
    const RwIm2DVertex& v = call.vertices[i];
    EXPECT_FLOAT_EQ(v.x, expected[i][0]);
    EXPECT_FLOAT_EQ(v.y, expected[i][1]);
    EXPECT_FLOAT_EQ(v.u, expected[i][2]);
    EXPECT_FLOAT_EQ(v.v, expected[i][3]);
    EXPECT_EQ(v.emissiveColor, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(v.z, RwIm2DGetNearScreenZ());
    EXPECT_FLOAT_EQ(v.recipZ, 1.0f / 0.1f);
  }
  // The caller's states are back.
  void* filterAfter = nullptr;
  RwRenderStateGet(kRwRenderStateTextureFilter, &filterAfter);
  EXPECT_EQ(filterAfter, filterBefore);
  RwRaster* raster = nullptr;
  RwRenderStateGet(kRwRenderStateTextureRaster, &raster);
  EXPECT_NE(raster, charset_);
}

TEST_F(CharsetTest, PrintClipsGlyphsToTheCameraRaster) {
  BeginRecording();
  struct Case {
    const char* text;
    RwInt32 x, y;
    bool drawn;
    size_t quads;
  };
  const Case cases[] = {
      {"A", -4, 0, true, 1},           // the left 4 texel columns cut off
      {"AB", -12, 0, true, 1},         // 'A' wholly left of the raster
      {"A", 0, kHeight, false, 0},     // below the raster
      {"AB", kWidth, 0, false, 0},     // right of the raster
      {"A", kWidth - 4, -3, true, 1},  // right and top edges
      {" ", 0, 0, true, 1},            // space is a background quad
      {"", 0, 0, true, 0},             // nothing to draw
      {"\x7F\x01", 0, 0, false, 0},    // codes without a glyph draw nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Calls2D().clear();
    EXPECT_EQ(RtCharsetPrint(charset_, c.text, c.x, c.y) != nullptr, c.drawn);
    ASSERT_EQ(Calls2D().size(), c.quads > 0 ? 1u : 0u);
    if (c.quads > 0) {
      EXPECT_EQ(Calls2D()[0].vertices.size(), 4 * c.quads);
    }
  }
  EndRecording();
  const RwReal texel = 1.0f / 128.0f;
  const RwReal half = 0.5f * texel;
  Calls2D().clear();
  BeginRecording();
  ASSERT_NE(RtCharsetPrint(charset_, "A", -4, 0), nullptr);
  ASSERT_NE(RtCharsetPrint(charset_, "A", kWidth - 4, -3), nullptr);
  EndRecording();
  ASSERT_EQ(Calls2D().size(), 2u);
  const std::vector<RwIm2DVertex>& left = Calls2D()[0].vertices;
  EXPECT_FLOAT_EQ(left[0].x, 0.0f);
  EXPECT_FLOAT_EQ(left[0].u, 49 * texel + half);
  EXPECT_FLOAT_EQ(left[2].x, 4.0f);
  EXPECT_FLOAT_EQ(left[2].u, 53 * texel + half);
  const std::vector<RwIm2DVertex>& corner = Calls2D()[1].vertices;
  EXPECT_FLOAT_EQ(corner[0].y, 0.0f);
  EXPECT_FLOAT_EQ(corner[0].v, 33 * texel + half);
  EXPECT_FLOAT_EQ(corner[2].x, static_cast<RwReal>(kWidth - 1));
  EXPECT_FLOAT_EQ(corner[2].u, 48 * texel + half);
}

TEST_F(CharsetTest, RastersTooSmallForTheFontAreRefused) {
  // 8 pixels hold no 9-pixel cell; 32 pixels hold three cells a row, so the
  // 31 glyph rows would run far below the raster.
  for (RwInt32 size : {8, 32}) {
    SCOPED_TRACE(testing::Message() << "raster " << size);
    RwRaster* small = RwRasterCreate(size, size, 0, rwRASTERTYPETEXTURE);
    ASSERT_NE(small, nullptr);
    TakeError();
    EXPECT_EQ(RtCharsetSetColors(small, &kForeground, &kBackground), nullptr);
    EXPECT_EQ(TakeError().errorCode, kRwErrInvalidValue);
    BeginRecording();
    Calls2D().clear();
    EXPECT_EQ(RtCharsetPrint(small, "A", 0, 0), nullptr);
    EXPECT_TRUE(Calls2D().empty());
    EndRecording();
    RwRasterDestroy(small);
  }
}

TEST_F(CharsetTest, PrintOutsideACameraUpdateDrawsNothing) { EXPECT_EQ(RtCharsetPrint(charset_, "A", 0, 0), nullptr); }

}  // namespace
