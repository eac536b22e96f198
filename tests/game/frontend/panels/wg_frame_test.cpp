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
  const f32 dt = 0.01f;
  f32 previous = 0.0f;
  std::vector<f32> tops;  // the times the border is widest
  for (int frame = 1; frame <= 400; frame++) {
    EXPECT_FALSE(Tick(&panel, dt));
    const f32 d = panel.GetBreathingOffset();
    ASSERT_LE(std::fabs(d), kFrameBreathingLimit);
    tops.insert(tops.end(), d == kFrameBreathingLimit && previous != d ? 1 : 0, frame * dt);
    previous = d;
  }
  ASSERT_GE(tops.size(), 2u);
  EXPECT_NEAR(1.28f, tops[1] - tops[0], 2 * dt);
  RwV2d at;
  panel.GetBorderSprite().GetPosition(&at);
  EXPECT_NEAR(0.13125f + previous, at.x, 1e-6f);
  Tick(&panel, 0.05f);
  EXPECT_NEAR(0.0003125f, std::fabs(panel.GetBreathingOffset() - previous), 1e-6f);
  // The tiles stay within 0.01 of their column; no event is ever taken.
  for (u32 set = 0; set < 2; set++) {
    panel.GetBlinkTile(set, 2).GetPosition(&at);
    EXPECT_LE(std::fabs(at.x - 0.17125f), 0.01f + 1e-6f);
    EXPECT_LE(std::fabs(at.y - (0.29375f + 2.0f * 0.065625f)), 0.01f + 1e-6f);
  }
  EXPECT_FALSE(Send(&panel, kEventKey, 0.0f, 147));
}

TEST_F(FrameTest, OpensOnTheInGameScreenAndClosesOnce) {
  cWgSearchingPanel panel{tWgPlacement()};
  EXPECT_STREQ("SEARCH", panel.GetTitle().GetText().CStr());
  const std::string digits = panel.GetSideText()->GetText().CStr();
  EXPECT_EQ(200u, digits.size());
  EXPECT_EQ(std::string::npos, digits.find_first_not_of("01\n"));
  const u32 before = HostChildren();
  panel.Hide();
  EXPECT_EQ(before, HostChildren());
  panel.Show();
  EXPECT_EQ(before + 4, HostChildren());
  EXPECT_EQ(640, panel.GetRect().w);
  // The bar and the digits by the screen's shape, r = 1 here.
  const f32 r = FrameScreenRatio();
  for (const tWgPlacement& bar : {panel.GetProgressBar().GetPlacement(), FrameBarPlacement(2.0f * r)}) {
    EXPECT_FLOAT_EQ(0.5f + 0.323f * bar.height.fraction / 0.041f, bar.y.fraction);
  }
  EXPECT_FLOAT_EQ(0.823f, panel.GetProgressBar().GetPlacement().y.fraction);
  EXPECT_FLOAT_EQ(0.23f, panel.GetSideText()->GetPlacement().y.fraction);
  EXPECT_FLOAT_EQ(0.74f, FrameDigitsPlacement(FramePlacement(), 2.0f).height.fraction);
  panel.Hide();
  panel.Hide();
  EXPECT_EQ(before, HostChildren());
  EXPECT_EQ(nullptr, panel.GetSideText()->GetOwner());
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
  // row centred on the panel.
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
      {"outside", 0.05f, 0.5f, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const uint32_t pixel = BackBufferPixel(PixelX(row.x), PixelY(row.y));
    for (int shift = 0; shift <= 16; shift += 8) {
      EXPECT_NEAR((row.colour >> shift) & 0xFF, (pixel >> shift) & 0xFF, 3) << std::hex << pixel;
    }
  }
}

}  // namespace
