// The screen stack on the Direct3D 8 stand-in: activation within the event
// that pushed, rendering and presenting on ticks, pops, screen-size events
// and the layout of the active tree.
#include "game/app/screens/screen_stack.h"

#include <string>
#include <vector>

#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/render/text/sprite2d.h"
#include "game/render/text/wg_text.h"
#include "tests/support/screen_engine.h"

namespace {

using Log = std::vector<std::string>;

class LoggingScreen : public cScreen {
 public:
  LoggingScreen(const char* name, Log* log) : mName(name), mLog(log) {}

  bool OnEvent(const tEvent* event) override {
    mLog->push_back("event " + mName);
    if (mPushOnEvent != nullptr) {
      gScreenStack->Push(mPushOnEvent);
      mPushOnEvent = nullptr;
    }
    return cScreen::OnEvent(event);
  }
  // Fills its target with its colour.
  void Render() override {
    mLog->push_back("render " + mName);
    cCamera camera;
    camera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
    if (camera.BeginUpdate(mTarget, 1) == nullptr) {
      return;
    }
    cSprite2D sprite;
    sprite.SetColour(mColour.red, mColour.green, mColour.blue, 255);
    sprite.Render();
    camera.EndUpdate();
  }
  void OnActivate() override { mLog->push_back("activate " + mName); }
  void OnDeactivate() override { mLog->push_back("deactivate " + mName); }

  cScreen* mPushOnEvent = nullptr;
  RwRGBA mColour = {255, 0, 0, 255};

 private:
  std::string mName;
  Log* mLog;
};

class ScreenStackTest : public ScreenEngineTest {
 protected:
  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    MakeScreenStack();
  }
  void TearDown() override {
    gInputEnabled = 0;
    ScreenEngineTest::TearDown();
  }

  static void Send(u32 type) {
    tEvent event;
    event.type = type;
    event.key = tKeyEvent{0, 'a', 1};
    if (type == kEventTick) {
      event.tick.frameTime = 0.04f;
    }
    gScreenStack->OnEvent(&event);
  }

  Log log_;
};

TEST_F(ScreenStackTest, AScreenPushedDuringAnEventIsActiveWithinIt) {
  LoggingScreen first("first", &log_);
  LoggingScreen second("second", &log_);
  gScreenStack->Push(&first);
  first.mPushOnEvent = &second;
  Send(kEventKey);
  EXPECT_EQ((Log{"activate first", "event first", "deactivate first", "activate second"}), log_);
  EXPECT_EQ(&second, gScreenStack->GetActiveScreen());
  EXPECT_EQ(2u, gScreenStack->GetTopIndex());
  log_.clear();
  Send(kEventKey);
  EXPECT_EQ((Log{"event second"}), log_);
}

TEST_F(ScreenStackTest, TicksRenderTheActiveTreeAndPresentIt) {
  LoggingScreen screen("screen", &log_);
  LoggingScreen child("child", &log_);
  child.SetPlacement(tWgPlacement::Fractions(0.5f, 0.5f, 0.5f, 0.5f));
  child.mColour = RwRGBA{0, 0, 255, 255};
  screen.AddWidget(&child);
  MountTextures();
  cFont font;
  ASSERT_TRUE(font.Load("data/font/", "gothic13", 0.0f));
  cWgText text(&font, tWgPlacement());
  text.SetText(cString("A"));
  screen.AddWidget(&text);
  gScreenStack->Push(&screen);
  // Placed once laid out: relative to its target's size.
  gScreenStack->Sync();
  text.SetPlacement(0.1f, 0.1f, 1, 0, 0, 0, 0);
  Record();
  Send(kEventTick);
  EXPECT_EQ((Log{"activate screen", "event child", "event screen", "render screen", "render child"}), log_);
  EXPECT_EQ(1u, Calls("Present"));
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(66, 56));
  EXPECT_EQ(0xFF0000u, BackBufferPixel(10, 10));
  EXPECT_EQ(0x0000FFu, BackBufferPixel(kWidth - 10, kHeight - 10));
  EXPECT_EQ(0xFF0000u, BackBufferPixel(kWidth - 10, kHeight / 2 - 2));
  // Other events render nothing.
  log_.clear();
  Send(kEventKey);
  EXPECT_EQ((Log{"event child", "event screen"}), log_);
  EXPECT_EQ(1u, Calls("Present"));
  font.Release();
}

TEST_F(ScreenStackTest, PoppingTheLastScreenPresentsTwiceAndLeavesNoActiveScreen) {
  LoggingScreen screen("screen", &log_);
  gScreenStack->Push(&screen);
  gScreenStack->Sync();
  gInputEnabled = 1;
  log_.clear();
  Record();
  gScreenStack->Pop();
  EXPECT_EQ((Log{"render screen", "render screen", "deactivate screen"}), log_);
  EXPECT_EQ(2u, Calls("Present"));
  EXPECT_EQ(nullptr, gScreenStack->GetActiveScreen());
  EXPECT_EQ(0, gInputEnabled);
  // Without an active screen events reach nothing and nothing is drawn; the
  // active target is the stack's own.
  log_.clear();
  Send(kEventTick);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(2u, Calls("Present"));
  EXPECT_EQ(&gScreenStack->GetTarget(), gScreenStack->GetActiveTarget());
  // An empty stack stays empty.
  gScreenStack->Pop();
  EXPECT_EQ(0u, gScreenStack->GetTopIndex());
}

TEST_F(ScreenStackTest, LayoutGivesEachWidgetItsRectangleAndSubTarget) {
  LoggingScreen screen("screen", &log_);
  cWgWidget panel(tWgPlacement(std::vector<u32>{100, 50, 200, 100}.data(), 0, 0, 0, 0));
  cWgWidget label(tWgPlacement(std::vector<u32>{0, 0, 50, 20}.data(), 0, 0, 1, 1));
  screen.AddWidget(&panel);
  panel.AddWidget(&label);
  gScreenStack->Push(&screen);
  gScreenStack->Sync();
  EXPECT_EQ(&screen.GetRenderTarget(), gScreenStack->GetActiveTarget());
  EXPECT_EQ(640u, screen.GetRenderTarget().GetSize().width);
  const RwRect& rect = label.GetRect();
  EXPECT_EQ(175, rect.x);
  EXPECT_EQ(90, rect.y);
  RwRaster* raster = label.GetRenderTarget().GetColourRaster();
  ASSERT_NE(nullptr, raster);
  EXPECT_EQ(175, raster->offsetX);
  EXPECT_EQ(90, raster->offsetY);
  EXPECT_EQ(50, raster->width);
  EXPECT_EQ(20, raster->height);

  // A screen-size event makes the stack's rasters anew and lays out again.
  tEvent size;
  size.type = kEventScreenSize;
  size.screenSize = tScreenSizeEvent{320, 240};
  gScreenStack->OnEvent(&size);
  EXPECT_EQ(320u, gScreenStack->GetTarget().GetSize().width);
  EXPECT_EQ(240u, screen.GetRenderTarget().GetSize().height);
  EXPECT_EQ(gScreenStack->GetTarget().GetColourRaster(), label.GetRenderTarget().GetColourRaster()->parent);
  panel.SetPlacement(tWgPlacement::Fractions(0.5f, 0.5f, 0.5f, 0.5f));
  gScreenStack->Relayout();
  EXPECT_EQ(160 + 55, label.GetRect().x);
  EXPECT_EQ(120 + 50, label.GetRect().y);
}

}  // namespace
