// The framed panel: breathing and wobbling, opening and closing on the
// in-game screen with its bar and digits placed by the screen's shape, its
// title's lookup, and the hacking panel drawn.
#include "game/frontend/panels/wg_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "game/frontend/panels/wg_searching_panel.h"
#include "tests/game/frontend/panels/panel_fixture.h"

namespace {

using FrameTest = PanelTest;

TEST_F(FrameTest, BorderBreathesWithinItsLimitsOverACycle) {
  cWgSearchingPanel panel{tWgPlacement()};
  EXPECT_FALSE(Send(&panel, kEventTick, 0.05f));  // a long frame: 0.05 / 160
  EXPECT_NEAR(0.0003125f, panel.GetBreathingOffset(), 1e-7f);
  // Growing: widest at 0.32 s, narrowest 0.64 s later, widest again a whole
  // cycle of 1.28 s after the first (within a tick); never beyond.
  for (const auto& row : {std::pair<int, f32>{27, 0.002f}, {64, -0.002f}, {64, 0.002f}}) {
    for (int frame = 0; frame < row.first; frame++) {
      EXPECT_FALSE(Send(&panel, kEventTick, 0.01f));
      ASSERT_LE(std::fabs(panel.GetBreathingOffset()), kFrameBreathingLimit);
    }
    EXPECT_NEAR(row.second, panel.GetBreathingOffset(), 0.0000625f) << row.first;
  }
  RwV2d at;
  panel.GetBorderSprite().GetPosition(&at);
  EXPECT_NEAR(0.13125f + panel.GetBreathingOffset(), at.x, 1e-6f);
  EXPECT_FALSE(Send(&panel, kEventKey, 0.0f, 147));  // no event is ever taken
}

TEST_F(FrameTest, OpensOnTheInGameScreenAndClosesOnce) {
  cWgSearchingPanel panel{tWgPlacement()};
  EXPECT_STREQ("SEARCH", panel.GetTitle().GetText().CStr());
  const std::string digits = panel.GetSideText()->GetText().CStr();
  EXPECT_TRUE(digits.size() == 200 && digits.find_first_not_of("01\n") == std::string::npos) << digits;
  const u32 before = sHost->GetChildren().Count();
  panel.Hide();
  EXPECT_EQ(before, sHost->GetChildren().Count());
  panel.Show();
  EXPECT_EQ(before + 4, sHost->GetChildren().Count());
  // The bar and the digits by the screen's shape: r = 1 here, then 2.
  EXPECT_FLOAT_EQ(0.823f, panel.GetProgressBar().GetPlacement().y.fraction);
  EXPECT_FLOAT_EQ(0.23f, panel.GetSideText()->GetPlacement().y.fraction);
  EXPECT_FLOAT_EQ(0.082f, FrameBarPlacement(2.0f).height.fraction);
  EXPECT_FLOAT_EQ(0.74f, FrameDigitsPlacement(FramePlacement(), 2.0f).height.fraction);
  // The title's target is the frame's rectangle: 76 to 392 of 480 rows here.
  EXPECT_NEAR(76.0f / 480.0f, panel.GetTitle().GetPlacement().y.fraction, 1e-6f);
  EXPECT_NEAR(316.0f / 480.0f, panel.GetTitle().GetPlacement().height.fraction, 1e-6f);
  panel.Hide();
  panel.Hide();
  EXPECT_EQ(before, sHost->GetChildren().Count());
  EXPECT_DEATH(cWgFrame(cString("UNKNOWN"), FramePlacement()),
               "cWgFrame::cWgFrame : Property not found! \\(UNKNOWN\\)");
}

TEST_F(FrameTest, HackingPanelDrawsBorderTilesAndKeys) {
  cWgUseHack* hack = AddPlayer(kOpenFloor, 0.0f)->GetHackPanel();
  ASSERT_NE(nullptr, hack);
  hack->Start(nullptr, false);
  hack->Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  hack->Render();
  // Three icons from x 0.4766 - 0.12, 0.08 apart, from y 0.6 to 0.67: the
  // row centred on the panel. Heights are width units: 0.5 the middle row.
  const struct {
    const char* what;
    f32 x, y;
    uint32_t colour;
  } rows[] = {
      {"left piece", 0.125f, 0.5f, kPieceColour},
      {"border", 0.7f, 0.5f, kBorderColour},
      {"tile", 0.25f, 0.32f, kBlinkColour},
      {"key 0", 0.3916f, 0.635f, kKeyColours[hack->GetKey(0).key]},
      {"key 1", 0.4716f, 0.635f, kKeyColours[hack->GetKey(1).key]},
      {"key 2", 0.5516f, 0.635f, kKeyColours[hack->GetKey(2).key]},
      {"between keys", 0.4316f, 0.635f, kBorderColour},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const uint32_t pixel = BackBufferPixel(PixelX(row.x), PixelX(row.y) - (kWidth - kHeight) / 2);
    for (int shift = 0; shift <= 16; shift += 8) {
      EXPECT_NEAR((row.colour >> shift) & 0xFF, (pixel >> shift) & 0xFF, 3) << std::hex << pixel;
    }
  }
}

}  // namespace
