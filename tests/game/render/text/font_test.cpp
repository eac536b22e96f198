// Toolkit fonts through the game: lines of wrapped text counted on the
// screen target, and text drawn at a point and in a box, read back.
#include "game/render/text/font.h"

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

}  // namespace
