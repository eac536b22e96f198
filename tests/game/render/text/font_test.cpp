// Toolkit fonts through the game: lines of wrapped text counted on the
// screen target, and text drawn at a point and in a box, read back, down to
// the one-pixel dots of a German line.
#include "game/render/text/font.h"

#include <algorithm>
#include <memory>
#include <string>

#include "tests/support/screen_engine.h"

namespace {

class FontTest : public ScreenTextTest {
 protected:
  void SetUp() override {
    ScreenTextTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    camera_ = std::make_unique<cCamera>();
    camera_->SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  }
  void TearDown() override {
    camera_.reset();
    ScreenTextTest::TearDown();
  }

  // Ink (white) anywhere in the row between x0 and x1.
  static bool InkInRow(int y, int x0, int x1) {
    for (int x = x0; x < x1; x++) {
      if (BackBufferPixel(x, y) == 0xFFFFFFu) {
        return true;
      }
    }
    return false;
  }

  std::unique_ptr<cCamera> camera_;
};

TEST_F(FontTest, WrappedLinesAreCountedWordByWord) {
  // Every character is 8 pixels wide at the natural height, 16.
  EXPECT_FLOAT_EQ(16.0f, Rt2dFontGetHeight(font_.GetFont()));
  struct Case {
    const char* text;
    f32 width;
    u32 lines;
  };
  const Case cases[] = {
      {"abcdefghij", 100.0f, 1},
      // One word wider than the width: one line, and one more at the end.
      {"abcdefghij", 40.0f, 2},
      {"aaaa bbbb cccc dd ee", 40.0f, 4},
      {"aaaa bbbb", 200.0f, 1},
      {"ab\r\ncd", 200.0f, 2},
      {"", 40.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.lines, font_.CountWrappedLines(camera_.get(), cString(c.text), c.width));
  }
  // The camera's own rasters are back.
  EXPECT_EQ(nullptr, RwCameraGetRaster(camera_->GetCamera()));
}

TEST_F(FontTest, TextDrawsFromItsPointAndInItsBoxWhateverItsLength) {
  ASSERT_NE(nullptr, camera_->BeginUpdate(screen_, 1));
  font_.RenderString(camera_.get(), "AB", RwV2d{100.0f, 200.0f}, 0.0f);
  // A text longer than the font's buffer gets one of its own.
  std::string longText;
  while (longText.size() < 3000) {
    longText += "xxx ";
  }
  font_.RenderInBox(camera_.get(), longText.c_str(), RwRect{300, 100, 64, 64}, kTextAlignLeft, 0.0f);
  camera_->EndUpdate();
  // The glyphs stand on the baseline at y = 200, 12 pixels above it and 4 below.
  EXPECT_TRUE(InkInRow(195, 100, 116));
  EXPECT_FALSE(InkInRow(195, 117, 140));
  EXPECT_FALSE(InkInRow(180, 90, 130));
  // The box fills from its top-left corner and stays inside it.
  EXPECT_TRUE(InkInRow(108, 300, 364));
  EXPECT_FALSE(InkInRow(108, 366, 400));
  EXPECT_FALSE(InkInRow(98, 300, 364));
}

// The font "dots" loaded, without a character gap: each glyph starts on a
// whole pixel.
class DottedFontTest : public ScreenEngineTest {
 protected:
  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    MountTextures({}, DottedFontFiles());
    MakeScreenStack();
    ASSERT_TRUE(font_.Load("data/font/", "dots", 0.0f));
  }
  void TearDown() override {
    font_.Release();
    ScreenEngineTest::TearDown();
  }

  // Channel levels of a pixel taken whole (a texel sampled near its centre)
  // and of a clear one; a texel sampled on its edge gives a quarter or less.
  static constexpr int kInk = 0xC0;
  static constexpr int kClear = 0x20;
  static int Darkest(uint32_t rgb) {
    return std::min(
        {static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF)});
  }
  static int Brightest(uint32_t rgb) {
    return std::max(
        {static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF)});
  }

  cFont font_;
};

// "\xE4 i": the umlaut's dots on columns 1 and 5 of the first glyph, the
// i's on column 3 of the third (the space is the second). Each dot is one
// pixel of full ink with clear rows above and below it, wherever the text
// is drawn: at a point, in a box, and in a box of a target as wide as the
// dialogue box and half as high.
TEST_F(DottedFontTest, GermanDotsAreWholePixels) {
  cRenderTarget box;
  ASSERT_TRUE(box.CreateSubTarget(screen_, RwRect{64, 160, 512, 256}));
  const struct {
    const char* what;
    const cRenderTarget* target;
    int left, top;  // the text's point or box corner on the screen
    bool inBox;
  } rows[] = {
      {"at a point", &screen_, 100, 200, false},
      {"in a box", &screen_, 300, 100, true},
      {"in the dialogue box's shape", &box, 64 + 8, 160 + 201, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ClearTarget(screen_);
    cCamera camera;
    camera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
    ASSERT_NE(nullptr, camera.BeginUpdate(*row.target, 1));
    const int x = row.left - (row.target == &box ? 64 : 0);
    const int y = row.top - (row.target == &box ? 160 : 0);
    if (row.inBox) {
      font_.RenderInBox(&camera, "\xE4 i", RwRect{x, y, 200, 55}, kTextAlignLeft, 0.0f);
    } else {
      font_.RenderString(&camera, "\xE4 i", RwV2d{static_cast<f32>(x), static_cast<f32>(y)}, 0.0f);
    }
    camera.EndUpdate();
    // A point is the baseline, the descent above the cell's bottom; a box's
    // first line stands on a baseline one height below its top, so that its
    // cells begin the descent below the top.
    const int cellTop = row.inBox ? row.top + kDotsDescent : row.top + kDotsDescent - kDotsCellHeight;
    const int dotRow = cellTop + kDotsDotRow;
    for (int column : {row.left + 1, row.left + 5, row.left + 2 * kGlyphWidth + 3}) {
      SCOPED_TRACE(column);
      EXPECT_GE(Darkest(BackBufferPixel(column, dotRow)), kInk);
      EXPECT_LE(Brightest(BackBufferPixel(column, dotRow - 1)), kClear);
      EXPECT_LE(Brightest(BackBufferPixel(column, dotRow + 1)), kClear);
      EXPECT_GE(Darkest(BackBufferPixel(column, dotRow + 2)), kInk);  // the letter's body
    }
  }
}

}  // namespace
