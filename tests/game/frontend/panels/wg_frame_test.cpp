// The framed panel: breathing and wobbling, the bar and digits by the
// screen's shape, opening and closing on the in-game screen, its title's
// lookup, and the hacking panel drawn.
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
  f32 previous = panel.GetBreathingOffset();
  f32 lastTop = -1.0f;
  f32 cycle = 0.0f;
  for (int frame = 1; frame <= 400; frame++) {
    EXPECT_FALSE(Tick(&panel, dt));
    const f32 d = panel.GetBreathingOffset();
    ASSERT_LE(std::fabs(d), kFrameBreathingLimit + 1e-7f);
    if (d == kFrameBreathingLimit && previous != kFrameBreathingLimit) {
      cycle = lastTop >= 0.0f ? frame * dt - lastTop : cycle;
      lastTop = frame * dt;
    }
    previous = d;
  }
  EXPECT_NEAR(1.28f, cycle, 2 * dt);
  // The border sprite shrinks by d on every side; a long frame moves d by at
  // most 0.05 / 160.
  RwV2d at;
  panel.GetBorderSprite().GetPosition(&at);
  EXPECT_NEAR(0.13125f + previous, at.x, 1e-6f);
  EXPECT_NEAR(2.0f * (0.690625f - 2.0f * previous), panel.GetBorderSprite().GetSizeRaw().width, 1e-5f);
  Tick(&panel, 0.05f);
  EXPECT_NEAR(0.0003125f, std::fabs(panel.GetBreathingOffset() - previous), 1e-6f);
  // The tiles wobble around their column by at most 0.01 each way.
  for (u32 set = 0; set < 2; set++) {
    panel.GetBlinkTile(set, 2).GetPosition(&at);
    EXPECT_LE(std::fabs(at.x - (0.13125f + 0.04f)), 0.01f + 1e-6f);
    EXPECT_LE(std::fabs(at.y - (0.24375f + 0.05f + 2.0f * 0.39375f / 6.0f)), 0.01f + 1e-6f);
  }
  // No event is ever taken.
  EXPECT_FALSE(Key(&panel, 147));
}

TEST_F(FrameTest, BarAndDigitsFollowTheScreensShape) {
  cWgSearchingPanel panel{tWgPlacement()};
  EXPECT_FLOAT_EQ(1.0f, FrameScreenRatio());
  EXPECT_FLOAT_EQ(0.823f, panel.GetProgressBar().GetPlacement().y.fraction);
  EXPECT_FLOAT_EQ(0.23f, panel.GetSideText()->GetPlacement().y.fraction);
  for (f32 r : {1.0f, 1.3333334f, 2.0f}) {
    SCOPED_TRACE(r);
    const tWgPlacement bar = FrameBarPlacement(r);
    EXPECT_FLOAT_EQ(0.14f, bar.x.fraction);
    EXPECT_FLOAT_EQ(0.5f + 0.323f * r, bar.y.fraction);
    EXPECT_FLOAT_EQ(0.041f * r, bar.height.fraction);
    const tWgPlacement side = FrameDigitsPlacement(FramePlacement(), r);
    EXPECT_FLOAT_EQ(0.13125f + 0.04f + 3.0f * (0.690625f - 0.08f) / 4.0f, side.x.fraction);
    EXPECT_FLOAT_EQ(0.5f - 0.27f * r, side.y.fraction);
    EXPECT_FLOAT_EQ(0.37f * r, side.height.fraction);
  }
}

TEST_F(FrameTest, OpensOnTheInGameScreenAndClosesOnce) {
  cWgSearchingPanel panel{tWgPlacement()};
  EXPECT_EQ("SEARCH", std::string(panel.GetTitle().GetText().CStr()));
  const std::string digits = panel.GetSideText()->GetText().CStr();
  EXPECT_EQ(20u * 10u, digits.size());
  EXPECT_EQ(std::string::npos, digits.find_first_not_of("01\n"));
  const u32 before = HostChildren();
  panel.Hide();
  EXPECT_FALSE(panel.IsShown());
  EXPECT_EQ(before, HostChildren());
  panel.Show();
  ASSERT_TRUE(panel.IsShown());
  EXPECT_EQ(before + 4, HostChildren());
  EXPECT_EQ(Host(), panel.GetTitle().GetOwner());
  EXPECT_EQ(640, panel.GetRect().w);
  EXPECT_GT(panel.GetProgressBar().GetRect().h, 0);
  panel.Hide();
  panel.Hide();
  EXPECT_EQ(before, HostChildren());
  EXPECT_EQ(nullptr, panel.GetSideText()->GetOwner());
}

TEST_F(FrameTest, AMissingTitleIsFatal) {
  EXPECT_DEATH(cWgFrame(cString("UNKNOWN"), FramePlacement()),
               "cWgFrame::cWgFrame : Property not found! \\(UNKNOWN\\)");
}

// Every channel within 3.
bool Near(uint32_t expected, uint32_t actual) {
  for (int shift = 0; shift <= 16; shift += 8) {
    if (std::abs(static_cast<int>((expected >> shift) & 0xFF) - static_cast<int>((actual >> shift) & 0xFF)) > 3) {
      return false;
    }
  }
  return true;
}

TEST_F(FrameTest, HackingPanelDrawsBorderTilesAndKeys) {
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  cWgUseHack* hack = player->GetHackPanel();
  ASSERT_NE(nullptr, hack);
  hack->Start(nullptr, false);
  ASSERT_EQ(3u, hack->GetKeyCount());
  hack->Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  hack->Render();
  // The icons stand at 0.4766 - 0.12 + 0.08 i, from y 0.6 to 0.67.
  const struct {
    const char* what;
    f32 x, y;
    uint32_t colour;
  } rows[] = {
      {"left piece", 0.125f, 0.5f, kPieceColour},
      {"top piece", 0.3f, 0.21f, kPieceColour},
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
    EXPECT_TRUE(Near(row.colour, BackBufferPixel(PixelX(row.x), PixelY(row.y))))
        << std::hex << BackBufferPixel(PixelX(row.x), PixelY(row.y));
  }
}

}  // namespace
