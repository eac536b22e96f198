// The lower HUD corners drawn with the demo's own pictures and read back:
// the frame pieces' strokes never fall on the implant column, its bracket
// and name, or the inventory strip, whichever implant is in hand and however
// many items the player carries.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "tests/game/frontend/hud/hud_fakes.h"
#include "tools/demo/data_folder.h"
#include "tools/demo/demo.h"

namespace {

// The demo's HUD pictures, served as the game finds them (a PNG twin before
// its bitmap), with the screen fixture's font.
class HudCornersTest : public ScreenEngineTest {
 protected:
  // The corner pieces and both columns lie in the lowest 340 rows.
  static constexpr int kCornerRows = 340;

  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
    demo::DataFolder data;
    demo::WriteHudTextures(data);
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& file : data.Files()) {
      files.emplace_back(file.first, std::string(file.second.begin(), file.second.end()));
    }
    MountTextures({}, files);
    MakeScreenStack();
    ASSERT_TRUE(font_.Load("data/font/", "gothic13", 0.0f));
  }
  void TearDown() override {
    font_.Release();
    ScreenEngineTest::TearDown();
  }

  // The pixels the widget inks on a black screen in the lower third (both
  // corners), as y * width + x.
  std::set<int> Inked(cWgWidget& widget) {
    ClearTarget(screen_);
    widget.Layout(RwRect{0, 0, screenWidth_, screenHeight_}, screen_);
    widget.Render();
    const int top = screenHeight_ - kCornerRows;
    const std::vector<uint32_t> pixels = BackBufferRowsRgb(Device(), top, kCornerRows, screenWidth_);
    EXPECT_FALSE(pixels.empty()) << "no back buffer";
    std::set<int> inked;
    for (size_t i = 0; i < pixels.size(); i++) {
      if (pixels[i] != 0) {
        inked.insert(top * screenWidth_ + static_cast<int>(i));
      }
    }
    return inked;
  }

  static int Shared(const std::set<int>& a, const std::set<int>& b) {
    int shared = 0;
    for (int pixel : a) {
      shared += b.count(pixel) != 0 ? 1 : 0;
    }
    return shared;
  }

  cFont font_;
  FakeHudPlayer player_;
};

// The placements the world gives the corner pieces and the two columns.
const u32 kFrame[4] = {0, 0, 320, 320};
const u32 kColumn[4] = {16, 18, 320, 320};

TEST_F(HudCornersTest, FrameStrokesStayOffTheImplantColumnAndTheInventoryStrip) {
  cWgHudFrameBa left(tWgPlacement(kFrame, 0, 1, 0, 0));
  cWgHudFrameJa right(tWgPlacement(kFrame, 1, 1, 0, 0));
  const std::set<int> leftStrokes = Inked(left);
  const std::set<int> rightStrokes = Inked(right);
  ASSERT_GT(leftStrokes.size(), 500u);
  ASSERT_GT(rightStrokes.size(), 500u);

  cWgHudImplants implants(tWgPlacement(kColumn, 0, 1, 0, 0));
  implants.SetOwner(&player_, &font_);
  for (u32 current = 0; current < kHudImplantCount; current++) {
    SCOPED_TRACE("implant " + std::to_string(current));
    player_.implant = current;
    const std::set<int> column = Inked(implants);
    ASSERT_GT(column.size(), 300u);
    EXPECT_EQ(0, Shared(leftStrokes, column));
  }

  cWgHudInventory inventory(tWgPlacement(kColumn, 1, 1, 0, 0));
  for (u32 count : {1u, 3u, 10u}) {
    SCOPED_TRACE(std::to_string(count) + " items");
    player_.items.assign(count, 0);
    inventory.SetPlayer(&player_);
    const std::set<int> strip = Inked(inventory);
    ASSERT_GT(strip.size(), 100u * count);
    EXPECT_EQ(0, Shared(rightStrokes, strip));
  }
}

}  // namespace
