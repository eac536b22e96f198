// Widget trees without drawing: placements resolved against a parent, events
// offered from the last child up to the node, and the render order.
#include "game/app/screens/widget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/event.h"

namespace {

struct PlacementCase {
  const char* name;
  tWgPlacement placement;
  RwRect expected;
};

tWgPlacement Pixels(u32 x, u32 y, u32 w, u32 h, u8 right, u8 bottom, u8 centreX, u8 centreY) {
  const u32 rect[4] = {x, y, w, h};
  return tWgPlacement(rect, right, bottom, centreX, centreY);
}

TEST(WidgetPlacementTest, PixelFractionCentredAndAlignedPlacements) {
  const PlacementCase cases[] = {
      {"default", tWgPlacement(), {0, 0, 640, 480}},
      {"pixels", Pixels(10, 20, 100, 50, 0, 0, 0, 0), {10, 20, 100, 50}},
      {"fractions", tWgPlacement::Fractions(0.15f, 0.91f, 0.69f, 0.02f), {96, 436, 441, 9}},
      {"centred", Pixels(10, 0, 100, 50, 0, 0, 1, 1), {280, 215, 100, 50}},
      {"aligned", Pixels(10, 20, 100, 50, 1, 1, 0, 0), {530, 410, 100, 50}},
      {"centred odd", Pixels(0, 0, 101, 51, 0, 0, 1, 1), {269, 214, 101, 51}},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RwRect rect = ResolvePlacement(c.placement, 640, 480);
    EXPECT_EQ(c.expected.x, rect.x);
    EXPECT_EQ(c.expected.y, rect.y);
    EXPECT_EQ(c.expected.w, rect.w);
    EXPECT_EQ(c.expected.h, rect.h);
  }
}

class LoggingWidget : public cWgWidget {
 public:
  LoggingWidget(const char* name, std::vector<std::string>* log) : mName(name), mLog(log) {}

  bool OnEvent(const tEvent*) override {
    mLog->push_back("event " + mName);
    if (mUnlinkOnEvent != nullptr) {
      static_cast<cTreeNode*>(mUnlinkOnEvent->GetOwner())->RemoveChild(mUnlinkOnEvent);
    }
    return mTakes;
  }
  void Render() override { mLog->push_back("render " + mName); }

  bool mTakes = false;
  cWgWidget* mUnlinkOnEvent = nullptr;

 private:
  std::string mName;
  std::vector<std::string>* mLog;
};

class WidgetTreeTest : public testing::Test {
 protected:
  WidgetTreeTest()
      : root_("root", &log_), a_("a", &log_), a1_("a1", &log_), a2_("a2", &log_), b_("b", &log_), c_("c", &log_) {
    root_.AddWidget(&a_);
    a_.AddWidget(&a1_);
    a_.AddWidget(&a2_);
    root_.AddWidget(&b_);
    root_.AddWidget(&c_);
    c_.SetHidden(true);
    event_.type = kEventTick;
  }

  std::vector<std::string> Offer() {
    log_.clear();
    cWgNode::OfferEvent(&root_, &event_);
    return log_;
  }

  std::vector<std::string> log_;
  LoggingWidget root_, a_, a1_, a2_, b_, c_;
  tEvent event_;
};

using Log = std::vector<std::string>;

TEST_F(WidgetTreeTest, EventsGoLastChildFirstAndAlwaysReachTheNode) {
  // Hidden widgets still receive events.
  EXPECT_EQ((Log{"event c", "event b", "event a2", "event a1", "event a", "event root"}), Offer());
  b_.mTakes = true;
  EXPECT_EQ((Log{"event c", "event b", "event root"}), Offer());
  // A child that takes the event inside a subtree stops its earlier
  // siblings there; its parent and the rest of the tree go on.
  b_.mTakes = false;
  a2_.mTakes = true;
  EXPECT_EQ((Log{"event c", "event b", "event a2", "event a", "event root"}), Offer());
}

TEST_F(WidgetTreeTest, AWalkStopsWhereAHandlerUnlinkedTheNextSibling) {
  b_.mUnlinkOnEvent = &a_;
  EXPECT_EQ((Log{"event c", "event b", "event root"}), Offer());
  EXPECT_EQ(nullptr, a_.GetOwner());
}

TEST_F(WidgetTreeTest, RenderingGoesFirstChildFirstAndSkipsHiddenSubtrees) {
  cWgNode::RenderTree(&root_);
  EXPECT_EQ((Log{"render root", "render a", "render a1", "render a2", "render b"}), log_);
  log_.clear();
  a_.SetHidden(true);
  cWgNode::RenderTree(&root_);
  EXPECT_EQ((Log{"render root", "render b"}), log_);
}

}  // namespace
