// HUD widgets drawn on the Direct3D 8 stand-in and read back: the status
// bars and the implant selector at two screen sizes, a framed message with
// its prompt icons, the info view's frame, and the Ultra overlay's captures.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "tests/game/frontend/hud/hud_fakes.h"

namespace {

// 0xRRGGBB of the colour blended over black.
uint32_t OverBlack(const RwRGBA& c) {
  return (c.red * c.alpha / 255u) << 16 | (c.green * c.alpha / 255u) << 8 | (c.blue * c.alpha / 255u);
}

// Every channel within tolerance.
::testing::AssertionResult Near(uint32_t expected, uint32_t actual, int tolerance = 3) {
  for (int shift = 0; shift <= 16; shift += 8) {
    if (std::abs(static_cast<int>((expected >> shift) & 0xFF) - static_cast<int>((actual >> shift) & 0xFF)) >
        tolerance) {
      return ::testing::AssertionFailure() << std::hex << "expected " << expected << ", got " << actual;
    }
  }
  return ::testing::AssertionSuccess();
}

struct tScreenSize {
  int width;
  int height;
};

class HudPixelsTest : public HudScreenTest, public ::testing::WithParamInterface<tScreenSize> {
 protected:
  HudPixelsTest() : HudScreenTest(GetParam().width, GetParam().height) {}
  RwRect Screen() const { return RwRect{0, 0, screenWidth_, screenHeight_}; }
};

// The rectangle (16, 18, 160, 160): bars 78 pixels long from x 31, the
// health bar on rows 19 to 30, the energy cells on rows 34 to 45.
TEST_P(HudPixelsTest, StatusBarsShowHealthAndEnergy) {
  const u32 rect[4] = {16, 18, 160, 160};
  cWgHudStatusBars bars(tWgPlacement(rect, 0, 0, 0, 0));
  bars.Setup(&player_, kHealthIconTexture, kEnergyIconTexture, kNoiseIconTexture);
  bars.Layout(Screen(), screen_);
  player_.health = 0.5f;
  player_.energy = 0.35f;
  bars.Render();
  const struct {
    const char* what;
    int x, y;
    uint32_t colour;
  } rows[] = {
      {"health", 40, 25, OverBlack(kHudBlue)},
      {"lost health", 100, 25, OverBlack(kHudDark)},
      {"health icon", 20, 25, kIconColour},
      {"full cell", 42, 40, OverBlack(kHudBlue)},
      {"half cell: its filled half", 56, 40, OverBlack(kHudBlue)},
      {"half cell: its empty half", 60, 40, OverBlack(kHudDark)},
      {"empty cell", 75, 40, OverBlack(kHudDark)},
      {"between cells", 38, 40, 0},
      {"outside", 180, 25, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_TRUE(Near(row.colour, BackBufferPixel(row.x, row.y)));
  }
}

// The rectangle (16, 18, 320, 320) on the bottom edge: implant 1's icon,
// the selected implant 0 and its name below the bracket.
TEST_P(HudPixelsTest, SelectorShowsTheImplantInHandAndItsName) {
  const u32 rect[4] = {16, 18, 320, 320};
  const int top = screenHeight_ - 18 - 320;
  const struct {
    u32 available;
    uint32_t name;
    uint32_t other;
  } rows[] = {{0x7F, 0xFFFFFF, OverBlack(kHudBlue)}, {0x7C, 0x404040, OverBlack(kHudDim)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.available);
    ClearTarget(screen_);
    cWgHudImplants implants(tWgPlacement(rect, 0, 1, 0, 0));
    player_.available = row.available;
    implants.SetOwner(&player_, &font_);
    implants.Layout(Screen(), screen_);
    implants.Render();
    EXPECT_TRUE(Near(row.other, BackBufferPixel(26, top + 282)));
    EXPECT_TRUE(Near(row.available & 1 ? 0xFFFFFF : 0x404040, BackBufferPixel(28, top + 308)));
    int inked = 0;
    for (int y = top + 290; y < top + 320; y++) {
      for (int x = 56; x < 100; x++) {
        inked += Near(row.name, BackBufferPixel(x, y), 4) ? 1 : 0;
      }
    }
    EXPECT_GT(inked, 40);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, HudPixelsTest, ::testing::Values(tScreenSize{640, 480}, tScreenSize{1024, 768}));

class HudBoxPixelsTest : public HudScreenTest {};

// (0, 64, 512, 256), bottom-aligned and centred: x 64 to 575, y 160 to 415.
TEST_F(HudBoxPixelsTest, FramedMessageShowsItsBackdropNumberAndPrompts) {
  const u32 rect[4] = {0, 64, 512, 256};
  const cString text("#1 hello");
  const struct {
    bool prompt;
    uint32_t promptPixel;
  } rows[] = {{true, kPromptColour}, {false, OverBlack(kHudDark)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.prompt);
    ClearTarget(screen_);
    cWgMessageBox box(tWgPlacement(rect, 0, 1, 1, 0), true, kDialoguePromptTexture);
    box.SetFont(&font_);
    box.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
    box.SetMessage(&text, 3, row.prompt);
    for (int i = 0; i < 8; i++) {
      ClearTarget(screen_);
      box.Render();
    }
    const int top = 160 + box.GetBackdropTop();
    EXPECT_LT(box.GetBackdropTop(), 256 - 30);
    EXPECT_EQ(0u, BackBufferPixel(300, top - 2));
    EXPECT_TRUE(Near(OverBlack(kHudDark), BackBufferPixel(300, 413)));
    EXPECT_TRUE(Near(0xFFFFFF, BackBufferPixel(64 + 30, top + 30)));  // number icon 0, untextured
    EXPECT_TRUE(Near(row.promptPixel, BackBufferPixel(64 + 499, 160 + 243)));
    EXPECT_TRUE(Near(row.promptPixel, BackBufferPixel(64 + 473, 160 + 243)));
  }
}

// A German dialogue line in the framed box (the level's messages): the
// umlauts' and the i's dots are whole pixels of white over the backdrop,
// with the backdrop's colour in the clear row under them.
TEST_F(HudBoxPixelsTest, GermanMessageLineKeepsItsDots) {
  cFont dots;
  ASSERT_TRUE(dots.Load("data/font/", "dots", 0.0f));
  const u32 rect[4] = {0, 64, 512, 256};
  cWgMessageBox box(tWgPlacement(rect, 0, 1, 1, 0), true, kDialoguePromptTexture);
  box.SetFont(&dots);
  box.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  const cString text(
      "T\xFCr \xF6"
      "ffnet sich");
  box.SetMessage(&text, 3, false);
  for (int i = 0; i < 8; i++) {
    ClearTarget(screen_);
    box.Render();
  }
  // The text's box starts 8 pixels in from the box at x 64 and at the
  // backdrop's top; its first line's cells begin the font's descent lower.
  const int left = 64 + 8;
  const int dotRow = 160 + box.GetBackdropTop() + kDotsDescent + kDotsDotRow;
  const uint32_t backdrop = OverBlack(kHudDark);
  const struct {
    const char* what;
    int column;
  } rows[] = {{"u umlaut, left dot", left + 8 + 1},
              {"u umlaut, right dot", left + 8 + 5},
              {"o umlaut, left dot", left + 4 * 8 + 1},
              {"i", left + 12 * 8 + 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_TRUE(Near(0xFFFFFF, BackBufferPixel(row.column, dotRow), 0x30));
    EXPECT_TRUE(Near(backdrop, BackBufferPixel(row.column, dotRow + 1), 4));
  }
  dots.Release();
}

// The whole 640 x 480 screen in width units: the frame from y 48 to 432 (its
// bottom band holds the main mission text), the tabs at x 44 to 76 from y 48
// to 176 and 176 to 304.
TEST_F(HudBoxPixelsTest, TabPanelFrameKeepsItsShapeOnAWideScreen) {
  cWgTabPanel panel(tWgPlacement::Fractions(0, 0, 1, 1));
  panel.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  panel.SetOpen(true);
  panel.Render();
  // {x, y, colour}: above and below the frame, its two bands, the two tabs.
  const uint32_t rows[][3] = {{300, 30, 0},        {300, 450, 0},       {300, 60, 0xFFFFFF},
                              {300, 420, 0xFFFFFF}, {60, 100, 0x020202}, {60, 250, 0x030303}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[1]);
    EXPECT_TRUE(Near(row[2], BackBufferPixel(row[0], row[1]), 1));
  }
}

TEST_F(HudBoxPixelsTest, UltraOverlayDrawsTheNewestOpaqueUnderTranslucentOlderOnes) {
  FakeHudWorld world;
  world.captureColours = {RwRGBA{255, 0, 0, 255}, RwRGBA{0, 255, 0, 255}, RwRGBA{0, 0, 255, 255}};
  cWgUltraOverlay overlay(tWgPlacement::Fractions(0, 0, 1, 1), &world, 3, 128);
  overlay.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  overlay.Render();
  EXPECT_EQ(0u, BackBufferPixel(320, 240));
  overlay.Enable();
  // Each row: the colour after one more render.
  const uint32_t rows[] = {0xFF0000, 0x807F00, 0x408040, 0x404080};
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); i++) {
    SCOPED_TRACE(i);
    overlay.Render();
    EXPECT_TRUE(Near(rows[i], BackBufferPixel(320, 240), 4));
  }
  overlay.Disable();
  EXPECT_EQ(nullptr, overlay.GetCapture(2));
}

}  // namespace
