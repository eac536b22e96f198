// Text widgets: placement arithmetic on 640 x 480 and 1024 x 768 targets,
// text drawn where it is placed (nothing when empty), and counter values.
#include "game/render/text/wg_text.h"

#include <memory>

#include "tests/support/screen_engine.h"

namespace {

class WgTextTest : public ScreenTextTest {
 protected:
  // A text widget laid out over the whole of the target.
  std::unique_ptr<cWgText> MakeText(const cRenderTarget& target) {
    auto text = std::make_unique<cWgText>(&font_, tWgPlacement());
    const tTargetSize size = target.GetSize();
    text->Layout(RwRect{0, 0, static_cast<RwInt32>(size.width), static_cast<RwInt32>(size.height)}, target);
    return text;
  }
};

TEST_F(WgTextTest, PlacementResolvesAgainstTheTarget) {
  cRenderTarget large;
  ASSERT_TRUE(large.Create(tTargetSize{1024, 768}));
  struct Case {
    const cRenderTarget* target;
    u8 relative, fromRight, fromBottom, middle;
    f32 x, y, height;
  };
  const Case cases[] = {
      {&screen_, 1, 0, 0, 0, 320.0f, 240.0f, 20.0f},
      {&large, 1, 0, 0, 0, 512.0f, 384.0f, 32.0f},
      {&screen_, 0, 1, 1, 0, 640.0f - 0.5f, 480.0f - 0.5f, 20.0f},
      {&screen_, 0, 0, 0, 1, 0.5f, 250.5f, 20.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.target->GetSize().width << " relative " << int(c.relative));
    std::unique_ptr<cWgText> text = MakeText(*c.target);
    text->SetTextHeight(20.0f);
    text->SetPlacement(0.5f, 0.5f, c.relative, c.fromRight, c.fromBottom, 0, c.middle);
    EXPECT_FLOAT_EQ(c.x, text->GetX());
    EXPECT_FLOAT_EQ(c.y, text->GetY());
    EXPECT_FLOAT_EQ(c.height, text->GetTextHeight());
  }
}

TEST_F(WgTextTest, TextDrawsAtItsPlaceInItsColourAndEmptyTextNothing) {
  std::unique_ptr<cWgText> text = MakeText(screen_);
  text->SetPlacement(0.5f, 0.5f, 1, 0, 0, 0, 0);
  text->Render();
  EXPECT_EQ(0u, BackBufferPixel(322, 248));
  text->SetText(cString("A"));
  text->SetColour(RwRGBA{255, 0, 0, 255});
  text->Render();
  // The line's top is at y = 240, the glyph 6 pixels wide from x = 320.
  // Each pixel takes its texel at the centre; the last clear column lies
  // beside the next glyph's cell (this page has no gutters), and filtering
  // may pick a trace of it up.
  constexpr uint32_t kTrace = 0x100000;
  EXPECT_EQ(0xFF0000u, BackBufferPixel(322, 248));
  EXPECT_LE(BackBufferPixel(327, 248), kTrace);
  EXPECT_EQ(0u, BackBufferPixel(326, 248));
  EXPECT_EQ(0u, BackBufferPixel(322, 238));
}

TEST_F(WgTextTest, CounterValuesAreTheAverageOrItsRate) {
  const u32 frameTimes[4] = {10, 30, 20, 20};
  const tSampleSource source = {4, frameTimes};
  EXPECT_DOUBLE_EQ(20.0, AverageSamples(&source));
  EXPECT_EQ(50, cWgCounter(tWgPlacement(), &source, nullptr, "FPS", 1).GetValue());
  EXPECT_EQ(20, cWgCounter(tWgPlacement(), &source, nullptr, "MS", 0).GetValue());
  // Unsigned sums do not wrap; no samples and an average of 0 show 0.
  const u32 large[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
  const tSampleSource big = {2, large};
  EXPECT_DOUBLE_EQ(4294967295.0, AverageSamples(&big));
  const u32 zeros[2] = {0, 0};
  const tSampleSource idle = {2, zeros};
  EXPECT_EQ(0, cWgCounter(tWgPlacement(), &idle, nullptr, "FPS", 1).GetValue());
  const tSampleSource none = {0, nullptr};
  EXPECT_DOUBLE_EQ(0.0, AverageSamples(&none));
}

}  // namespace
