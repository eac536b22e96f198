// Full-screen effects drawn at the end of frames on a 640 x 480 screen and
// read back: the overlay by its alpha, the trail holding the previous frame
// at 0.9, the copy rebuilt for a new frame-buffer size (the overlay needs
// none, and covers frames of every size), and the copy that
// power-of-two devices cannot make.
#include "game/render/effects/screen_effects.h"

#include <cstdlib>

#include "game/render/scene/render_state.h"
#include "tests/support/screen_engine.h"

namespace {

class ScreenEffectsTest : public ScreenEngineTest {
 protected:
  void TearDown() override {
    DestroyCopyRaster();
    ScreenEngineTest::TearDown();
  }

  // One frame: the target cleared to the colour, then the effects.
  void Frame(const cRenderTarget& target, RwRGBA colour) {
    cCamera camera;
    camera.Clear(target, colour, 1, 1, 0);
    ASSERT_NE(nullptr, camera.BeginUpdate(target, 0));
    RenderScreenEffects(camera.GetCamera(), &effects_);
    camera.EndUpdate();
  }

  static void ExpectNear(uint32_t expected, uint32_t actual) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int e = static_cast<int>((expected >> shift) & 0xFF);
      const int a = static_cast<int>((actual >> shift) & 0xFF);
      EXPECT_LE(std::abs(e - a), 2) << std::hex << "expected " << expected << " got " << actual;
    }
  }

  tScreenEffects effects_;
};

constexpr RwRGBA kEffectRed = {255, 0, 0, 255};
constexpr RwRGBA kBlue = {0, 0, 255, 255};

TEST_F(ScreenEffectsTest, OverlayBlendsByItsAlphaFromItsSecondFrame) {
  effects_.overlay = 1;
  effects_.overlayColour = RwRGBA{0, 255, 0, 255};
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240)) << "nothing in the first frame";
  EXPECT_EQ(1, effects_.copyRasterReady);
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0x00FF00u, BackBufferPixel(0, 0));
  EXPECT_EQ(0x00FF00u, BackBufferPixel(kWidth - 1, kHeight - 1));

  effects_.overlayColour = RwRGBA{0, 255, 0, 0};
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));

  effects_.overlayColour = RwRGBA{0, 0, 255, 128};
  Frame(screen_, kEffectRed);
  ExpectNear(0x7F0080u, BackBufferPixel(320, 240));
  // The blend leaves depth and blending as the frame expects them.
  cCamera camera;
  ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
  EXPECT_EQ(1, GetRenderState(kRwRenderStateZTestEnable));
  EXPECT_EQ(1, GetRenderState(kRwRenderStateZWriteEnable));
  EXPECT_EQ(0, GetRenderState(kRwRenderStateVertexAlphaEnable));
  camera.EndUpdate();
}

TEST_F(ScreenEffectsTest, TrailHoldsNineTenthsOfThePreviousFrame) {
  effects_.trail = 1;
  Frame(screen_, kEffectRed);
  ASSERT_NE(nullptr, GetCopyRaster());
  EXPECT_EQ(kWidth, GetCopyRaster()->width);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240)) << "nothing in the first frame";
  Frame(screen_, kEffectRed);
  ExpectNear(0xFF0000u, BackBufferPixel(320, 240));

  // 0.9 of the red finished frame over the new blue one.
  Frame(screen_, kBlue);
  ExpectNear(0xE6001A, BackBufferPixel(5, 5));
  ExpectNear(0xE6001A, BackBufferPixel(kWidth - 1, kHeight - 1));
  // The copy took the blended frame: the red fades.
  Frame(screen_, kBlue);
  ExpectNear(0xCF0030, BackBufferPixel(320, 240));

  // A frame without the trail, then one with it: it only refreshes the
  // copy, which the next frame blends.
  effects_.trail = 0;
  Frame(screen_, kEffectRed);
  effects_.trail = 1;
  Frame(screen_, kBlue);
  EXPECT_EQ(0x0000FFu, BackBufferPixel(320, 240));
  Frame(screen_, kEffectRed);
  ExpectNear(0x1900E6, BackBufferPixel(320, 240));

  // With the overlay the trail comes first: the copy holds no overlay.
  effects_.overlay = 1;
  effects_.overlayColour = RwRGBA{0, 255, 0, 255};
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0x00FF00u, BackBufferPixel(320, 240));
  effects_.overlay = 0;
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0u, BackBufferPixel(320, 240) & 0x00FF00u);
}

TEST_F(ScreenEffectsTest, NewFrameBufferSizeRebuildsTheCopy) {
  effects_.trail = 1;
  Frame(screen_, kEffectRed);
  Frame(screen_, kEffectRed);
  cRenderTarget small;
  ASSERT_TRUE(small.CreateScreen(tTargetSize{320, 240}));
  Frame(small, kBlue);
  ASSERT_NE(nullptr, GetCopyRaster());
  EXPECT_EQ(320, GetCopyRaster()->width);
  EXPECT_EQ(240, GetCopyRaster()->height);
  EXPECT_EQ(0x0000FFu, BackBufferPixel(100, 100)) << "no effect in the frame that rebuilds";
  Frame(small, kEffectRed);
  ExpectNear(0x1900E6, BackBufferPixel(100, 100));
  ExpectNear(0x1900E6, BackBufferPixel(319, 239));
}

TEST_F(ScreenEffectsTest, OverlayCoversFramesOfEverySize) {
  effects_.overlay = 1;
  effects_.overlayColour = RwRGBA{0, 255, 0, 255};
  Frame(screen_, kEffectRed);
  cRenderTarget small;
  ASSERT_TRUE(small.CreateScreen(tTargetSize{320, 240}));
  for (const cRenderTarget* target : {&screen_, &small, &screen_, &small}) {
    Frame(*target, kEffectRed);
    EXPECT_EQ(0x00FF00u, BackBufferPixel(100, 100));
  }
}

// Only power-of-two textures: no copy raster of 640 x 480, no trail; the
// overlay still covers the screen.
class ScreenEffectsPow2Test : public ScreenEffectsTest {
 protected:
  void SetUp() override {
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Minimal);
    ScreenEffectsTest::SetUp();
  }
};

TEST_F(ScreenEffectsPow2Test, NoTrailWithoutACopyOfTheFrameBufferSize) {
  effects_.trail = 1;
  effects_.overlay = 1;
  effects_.overlayColour = RwRGBA{0, 0, 255, 0};
  testing::internal::CaptureStdout();
  Frame(screen_, kEffectRed);
  EXPECT_EQ("Error creating raster\n", testing::internal::GetCapturedStdout());
  EXPECT_EQ(nullptr, GetCopyRaster());
  Frame(screen_, kBlue);
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  effects_.overlayColour = RwRGBA{0, 0, 255, 255};
  Frame(screen_, kEffectRed);
  EXPECT_EQ(0x0000FFu, BackBufferPixel(kWidth - 1, kHeight - 1));
}

}  // namespace
