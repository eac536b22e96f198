// The camera wrapper and render targets on the Direct3D 8 stand-in: the view
// window from the field of view, targets refused, sub-targets clipped to
// their parent (also when drawing), clears, and the extra list.
#include "game/render/scene/camera.h"

#include "engine/plugin/lodatm/lodatm_internal.h"
#include "game/render/models/render_object.h"
#include "game/render/text/sprite2d.h"
#include "tests/support/screen_engine.h"

namespace {

class CameraTest : public ScreenEngineTest {};

TEST_F(CameraTest, ViewWindowFollowsTheTargetUnlessKept) {
  cCamera camera;
  ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
  const RwV2d* window = RwCameraGetViewWindow(camera.GetCamera());
  EXPECT_FLOAT_EQ(1.0f, window->x);
  EXPECT_FLOAT_EQ(0.75f, window->y);
  EXPECT_EQ(screen_.GetColourRaster(), RwCameraGetRaster(camera.GetCamera()));
  EXPECT_EQ(camera.GetCamera(), _rpLODAtomicGetCamera());
  EXPECT_EQ(camera.GetCamera(), camera.EndUpdate());
  EXPECT_EQ(nullptr, RwCameraGetRaster(camera.GetCamera()));
  EXPECT_EQ(nullptr, RwCameraGetZRaster(camera.GetCamera()));

  // A kept view window stays whatever the target.
  cRenderTarget half;
  ASSERT_TRUE(half.CreateSubTarget(screen_, RwRect{0, 0, 100, 400}));
  ASSERT_NE(nullptr, camera.BeginUpdate(half, 1));
  EXPECT_FLOAT_EQ(0.75f, RwCameraGetViewWindow(camera.GetCamera())->y);
  camera.EndUpdate();
}

TEST_F(CameraTest, TargetsWithoutColourOrAreaAreRefused) {
  cCamera camera;
  cRenderTarget none;
  EXPECT_EQ(nullptr, camera.BeginUpdate(none, 0));
  cRenderTarget outside;
  outside.CreateSubTarget(screen_, RwRect{700, 10, 50, 50});
  EXPECT_EQ(0u, outside.GetSize().width);
  EXPECT_EQ(nullptr, camera.BeginUpdate(outside, 0));
  EXPECT_EQ(nullptr, RwCameraGetCurrentCamera());
  EXPECT_EQ(nullptr, RwCameraGetRaster(camera.GetCamera()));
}

TEST(ClipRectToParentTest, RectanglesAreCutToTheParentNeverNegative) {
  struct Case {
    RwRect in;
    RwRect out;
  };
  const Case cases[] = {
      {{-10, 0, 100, 50}, {0, 0, 90, 50}},        {{0, -20, 100, 50}, {0, 0, 100, 30}},
      {{600, 400, 100, 100}, {600, 400, 40, 80}}, {{700, 10, 50, 50}, {640, 10, 0, 50}},
      {{-200, -5, 100, 10}, {0, 0, 0, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in.x << "," << c.in.y << "," << c.in.w << "," << c.in.h);
    const RwRect out = ClipRectToParent(c.in, 640, 480);
    EXPECT_EQ(c.out.x, out.x);
    EXPECT_EQ(c.out.y, out.y);
    EXPECT_EQ(c.out.w, out.w);
    EXPECT_EQ(c.out.h, out.h);
  }
}

TEST_F(CameraTest, DrawingStaysInsideASubTarget) {
  cRenderTarget sub;
  ASSERT_TRUE(sub.CreateSubTarget(screen_, RwRect{-10, 100, 110, 50}));
  EXPECT_EQ(100u, sub.GetSize().width);
  EXPECT_EQ(screen_.GetColourRaster(), sub.GetColourRaster()->parent);

  cSprite2D sprite;
  DrawSprite(sprite, sub);
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(0, 100));
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(99, 149));
  EXPECT_EQ(0u, BackBufferPixel(100, 120));
  EXPECT_EQ(0u, BackBufferPixel(50, 99));
  EXPECT_EQ(0u, BackBufferPixel(50, 150));
}

TEST_F(CameraTest, ClearBindsClearsWhatIsAskedAndUnbinds) {
  cCamera camera;
  camera.Clear(screen_, RwRGBA{255, 0, 0, 255}, 1, 1, 0);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  EXPECT_EQ(nullptr, RwCameraGetRaster(camera.GetCamera()));
  Record();
  camera.Clear(screen_, RwRGBA{0, 255, 0, 255}, 0, 0, 0);
  EXPECT_EQ(0u, Calls("Clear"));
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  EXPECT_EQ(nullptr, RwCameraGetZRaster(camera.GetCamera()));
}

class CountedObject : public cRenderObject {
 public:
  u32 GetRoType() override { return kRoTypeCameraExtra; }
  RwFrame* GetFrame() override { return nullptr; }
  void Render(cCamera*) override {}
};

TEST_F(CameraTest, ExtraListHoldsOneCountedLinkPerObject) {
  CountedObject object;
  {
    cCamera camera;
    camera.AddRenderObject(&object);
    camera.AddRenderObject(&object);
    EXPECT_EQ(1u, camera.GetExtraList().Count());
    EXPECT_EQ(1u, object.GetRefCount());
  }
  EXPECT_EQ(0u, object.GetRefCount());
}

}  // namespace
