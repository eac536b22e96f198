// The crosshair widget on the Direct3D 8 stand-in: its texture over the
// whole widget area and nothing around it.
#include "game/render/text/crosshair.h"

#include "tests/support/screen_engine.h"

namespace {

class CrosshairTest : public ScreenEngineTest {};

TEST_F(CrosshairTest, TheTextureFillsTheWidgetOnly) {
  constexpr uint32_t kCrosshairColour = 0xE02010;
  MountTextures({{kCrosshairTexture, kCrosshairColour}});
  const u32 rect[4] = {288, 208, 64, 64};
  cWgCrosshair crosshair(tWgPlacement(rect, 0, 0, 0, 0));
  EXPECT_TRUE(crosshair.IsHidden());  // until the player aims
  crosshair.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  ASSERT_NE(nullptr, crosshair.GetSprite().GetTexture());
  crosshair.Render();
  EXPECT_EQ(kCrosshairColour, BackBufferPixel(290, 210));
  EXPECT_EQ(kCrosshairColour, BackBufferPixel(349, 269));
  EXPECT_EQ(0u, BackBufferPixel(286, 240));
  EXPECT_EQ(0u, BackBufferPixel(320, 273));
  EXPECT_FALSE(crosshair.OnEvent(nullptr));
}

}  // namespace
