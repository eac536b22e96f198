// The 2D graphics state: device metrics with and without a layout, the
// matrix onto the camera's view, the transformation stack and its limits,
// the flattening tolerance and the camera's end-update hook.
#include "tests/engine/tool/2d/twod_fixture.h"

namespace {

using twod_test::Near;
using twod_test::TwoDTest;

// Where a 2D point lands in world space (the camera sits at the origin).
RwV3d World(RwReal x, RwReal y) {
  const RwV3d point = {x, y, _rt2dGStateLayerDepth()};
  RwV3d out;
  RwV3dTransformPoints(&out, &point, 1, Rt2dGStateGetWorldMatrix());
  return out;
}

void ExpectMetric(RwV2d xStep, RwV2d yStep, RwV2d origin) {
  RwV2d x;
  RwV2d y;
  RwV2d o;
  ASSERT_TRUE(Rt2dDeviceGetMetric(&x, &y, &o));
  EXPECT_TRUE(Near(x.x, xStep.x) && Near(x.y, xStep.y)) << x.x << ", " << x.y;
  EXPECT_TRUE(Near(y.x, yStep.x) && Near(y.y, yStep.y)) << y.x << ", " << y.y;
  EXPECT_TRUE(Near(o.x, origin.x) && Near(o.y, origin.y)) << o.x << ", " << o.y;
}

void ExpectWorld(RwReal x, RwReal y, RwReal worldX, RwReal worldY) {
  const RwV3d w = World(x, y);
  EXPECT_TRUE(Near(w.x, worldX) && Near(w.y, worldY) && Near(w.z, 1.0f))
      << "(" << x << ", " << y << ") -> " << w.x << ", " << w.y << ", " << w.z;
}

class GStateTest : public TwoDTest {
 protected:
  // The toolkit opened afresh (without a layout) on a 640 x 480 camera
  // with a 4:3 view window.
  void OpenOnWideCamera() {
    RwCamera* camera = MakeCamera(rwRASTERTYPECAMERATEXTURE, 640, 480, false);
    ASSERT_NE(camera, nullptr);
    const RwV2d window = {1.0f, 0.75f};
    RwCameraSetViewWindow(camera, &window);
    Reopen(camera);
  }
};

TEST_F(GStateTest, ViewSpansItsShorterSideUntilALayoutMapsPixels) {
  OpenOnWideCamera();
  {
    SCOPED_TRACE("no layout: the shorter side is 1 long");
    ExpectMetric({1.0f / 480.0f, 0.0f}, {0.0f, 1.0f / 480.0f}, {0.0f, 0.0f});
    // Camera-space x points left: the bottom-left corner is at +x.
    ExpectWorld(0.0f, 0.0f, 1.0f, -0.75f);
    ExpectWorld(4.0f / 3.0f, 1.0f, -1.0f, 0.75f);
  }
  {
    SCOPED_TRACE("pixel layout");
    ASSERT_TRUE(Rt2dDeviceSetLayout(0.0f, 0.0f, 640.0f, 480.0f));
    ExpectMetric({1.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, 0.0f});
    ExpectWorld(640.0f, 480.0f, -1.0f, 0.75f);
    EXPECT_TRUE(Near(Rt2dGStateGetFlatTolerance(), 0.25f));  // half a pixel, squared
  }
  {
    SCOPED_TRACE("offset layout");
    ASSERT_TRUE(Rt2dDeviceSetLayout(100.0f, 50.0f, 320.0f, 240.0f));
    ExpectMetric({0.5f, 0.0f}, {0.0f, 0.5f}, {100.0f, 50.0f});
    ExpectWorld(100.0f, 50.0f, 1.0f, -0.75f);
    ExpectWorld(420.0f, 290.0f, -1.0f, 0.75f);
  }
  EXPECT_FALSE(Rt2dDeviceSetLayout(0.0f, 0.0f, 0.0f, 480.0f));
  ExpectMetric({0.5f, 0.0f}, {0.0f, 0.5f}, {100.0f, 50.0f});
}

TEST_F(GStateTest, TransformationsActOnPointsBeforeTheExistingOnes) {
  ASSERT_TRUE(Rt2dCTMTranslate(10.0f, 0.0f));
  ASSERT_TRUE(Rt2dCTMScale(2.0f, 3.0f));
  const RwV3d moved = World(1.0f, 1.0f);
  ASSERT_TRUE(Rt2dCTMSetIdentity());
  const RwV3d expected = World(12.0f, 3.0f);
  EXPECT_TRUE(Near(moved.x, expected.x) && Near(moved.y, expected.y));
  // The metric is taken in the transformed coordinates.
  ASSERT_TRUE(Rt2dCTMScale(2.0f, 2.0f));
  ExpectMetric({0.5f, 0.0f}, {0.0f, 0.5f}, {0.0f, 0.0f});
}

TEST_F(GStateTest, StackHoldsThirtyTwoLevelsAndLayoutLeavesItAsItWas) {
  ASSERT_TRUE(Rt2dCTMTranslate(5.0f, 0.0f));
  for (int i = 1; i < kRt2dTransformStackSize; i++) {
    ASSERT_TRUE(Rt2dCTMPush()) << i;
  }
  EXPECT_FALSE(Rt2dCTMPush());
  // A full stack keeps its top through a layout.
  ASSERT_TRUE(Rt2dCTMScale(2.0f, 2.0f));
  ASSERT_TRUE(Rt2dDeviceSetLayout(0.0f, 0.0f, kWidth, kHeight));
  ExpectMetric({0.5f, 0.0f}, {0.0f, 0.5f}, {-2.5f, 0.0f});
  for (int i = 1; i < kRt2dTransformStackSize; i++) {
    ASSERT_TRUE(Rt2dCTMPop()) << i;
  }
  EXPECT_FALSE(Rt2dCTMPop());
  ExpectMetric({1.0f, 0.0f}, {0.0f, 1.0f}, {-5.0f, 0.0f});
}

struct EndUpdateRecord {
  int calls = 0;
  RwCamera* camera = nullptr;
} gEndUpdates;

RwCamera* RecordEndUpdate(RwCamera* camera) {
  gEndUpdates.calls++;
  gEndUpdates.camera = camera;
  return camera;
}

TEST_F(GStateTest, TargetingHooksTheEndUpdateOnceAndForwardsIt) {
  RwCamera* camera = MakeCamera(rwRASTERTYPECAMERA);
  ASSERT_NE(camera, nullptr);
  RwCameraSetEndUpdateFunc(camera, RecordEndUpdate);
  ASSERT_TRUE(Rt2dSetCamera(camera));
  ASSERT_TRUE(Rt2dSetCamera(camera));
  EXPECT_EQ(camera->endUpdate, Rt2dCameraEndUpdate);
  gEndUpdates = {};
  EXPECT_EQ(RwCameraEndUpdate(camera), camera);
  EXPECT_EQ(gEndUpdates.calls, 1);
  EXPECT_EQ(gEndUpdates.camera, camera);

  RwCamera* rasterless = MakeCamera(rwRASTERTYPECAMERA);
  ASSERT_NE(rasterless, nullptr);
  RwRasterDestroy(rasterless->frameBuffer);
  RwCameraSetRaster(rasterless, nullptr);
  EXPECT_FALSE(Rt2dSetCamera(rasterless));
  EXPECT_EQ(_rt2dGStateGetCamera(), camera);
  EXPECT_FALSE(Rt2dSetCamera(nullptr));
  EXPECT_EQ(_rt2dGStateGetCamera(), nullptr);
}

}  // namespace
