// The loading screen: byte progress with its redraw step and limit, one load
// step of the source per tick with the bar following it, the level text,
// and the screen leaving the stack one event after completion.
#include "game/app/screens/screen_loader.h"

#include <vector>

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "tests/support/screen_engine.h"

namespace {

class ScriptedSource : public cLoadable {
 public:
  explicit ScriptedSource(std::vector<f32> steps) : mSteps(steps) {}
  f32 Load() override { return mSteps[mCalls < mSteps.size() ? mCalls++ : mSteps.size() - 1]; }

  std::vector<f32> mSteps;
  size_t mCalls = 0;
};

class ScreenLoaderTest : public ScreenTextTest {
 protected:
  static void Tick() {
    tEvent event;
    event.type = kEventTick;
    event.tick.frameTime = 0.04f;
    gScreenStack->OnEvent(&event);
  }
};

TEST_F(ScreenLoaderTest, BytesMoveTheBarInStepsAndStopShortOfCompletion) {
  cScreen_Loader loader(nullptr, 0);
  EXPECT_EQ(kLoaderExpectedBytes, loader.GetExpectedBytes());
  const u32 read = 65536;
  u32 redraws = 0;
  f32 lastRedraw = 0.0f;
  u32 total = 0;
  for (; total < 120000000; total += read) {
    if (loader.AddBytesRead(read)) {
      redraws++;
      EXPECT_GT(loader.GetProgress() - lastRedraw, kLoaderRedrawStep);
      lastRedraw = loader.GetProgress();
    }
  }
  EXPECT_FLOAT_EQ(kLoaderByteProgressLimit, loader.GetProgress());
  EXPECT_EQ(total, loader.GetBytesRead());
  EXPECT_GT(redraws, 200u);
  EXPECT_LE(redraws, 500u);
  // The bar never grows past the whole widget.
  EXPECT_LE(loader.GetProgressWidget().GetBar().GetSizeRaw().width, 2.0f);

  // The owner's own total; Reset starts over.
  loader.Reset();
  loader.SetExpectedBytes(1000);
  EXPECT_FALSE(loader.AddBytesRead(1));
  EXPECT_TRUE(loader.AddBytesRead(2));
  EXPECT_FLOAT_EQ(0.003f, loader.GetProgress());
  EXPECT_FLOAT_EQ(0.006f, loader.GetProgressWidget().GetBar().GetSizeRaw().width);
}

TEST_F(ScreenLoaderTest, EachTickRunsOneStepAndTheScreenLeavesAfterCompletion) {
  cScreen base;
  ScriptedSource source({0.25f, 0.5f, 1.0f});
  cScreen_Loader loader(&source, 1);
  loader.SetLevelText(cString("LEVEL"));
  gScreenStack->Push(&base);
  gScreenStack->Push(&loader);

  Tick();
  EXPECT_EQ(1u, source.mCalls);
  EXPECT_FLOAT_EQ(0.25f, loader.GetProgress());
  // The bar runs from 0.15 across a quarter of 0.69 of the width, at 0.91
  // to 0.93 down; the picture shows elsewhere.
  const int barY = PixelY(0.92f);
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.16f), barY));
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.31f), barY));
  EXPECT_EQ(kPictureColour, BackBufferPixel(PixelX(0.34f), barY));
  EXPECT_EQ(kPictureColour, BackBufferPixel(PixelX(0.5f), PixelY(0.5f)));
  // The level text in red, centred two glyph rows above the bottom.
  bool red = false;
  for (int x = kWidth / 2 - 20; x < kWidth / 2 + 20 && !red; x++) {
    red = BackBufferPixel(x, kHeight - 28 + 7) == 0xFF0000u;
  }
  EXPECT_TRUE(red);

  Tick();
  EXPECT_FLOAT_EQ(0.5f, loader.GetProgress());
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.45f), barY));
  Tick();
  EXPECT_FLOAT_EQ(1.0f, loader.GetProgress());
  EXPECT_EQ(&loader, gScreenStack->GetActiveScreen());
  // The next event, whatever it is, takes the loader off.
  tEvent key;
  key.type = kEventKey;
  key.key = tKeyEvent{0, 'a', 1};
  gScreenStack->OnEvent(&key);
  EXPECT_EQ(&base, gScreenStack->GetActiveScreen());
  EXPECT_EQ(3u, source.mCalls);
}

}  // namespace
