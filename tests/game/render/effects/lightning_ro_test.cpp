// Lightning bolts on the Direct3D 8 stand-in: the ribbon mesh, clamped
// colours, the sphere between the ends, interior points that stay near
// their neighbours, the additive draw read back and the render states put
// back.
#include "game/render/effects/lightning_ro.h"

#include <algorithm>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_state.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/support/screen_engine.h"

namespace {

class LightningTest : public ScreenEngineTest {
 protected:
  LightningTest() {
    attach_ = [] { return RpWorldPluginAttach() && RpRandomPluginAttach() && RegisterAtomicPlugin(); };
  }

  // Draws the bolt through a camera at the origin looking along +z.
  void Draw(cLightningRO& bolt) {
    cCamera camera;
    ClearTarget(screen_);
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    bolt.Render(&camera);
    camera.EndUpdate();
  }
};

TEST_F(LightningTest, WithoutSegmentsABoltIsOneStraightRibbon) {
  cLightningRO bolt(0, 1);
  ASSERT_EQ(4u, bolt.GetVertexCount());
  ASSERT_EQ(6u, bolt.GetIndexCount());
  const RwUInt16 expected[6] = {0, 1, 2, 1, 3, 2};
  for (u32 i = 0; i < 6; i++) {
    EXPECT_EQ(expected[i], bolt.GetIndices()[i]) << i;
  }
  EXPECT_EQ(1.0f, bolt.GetVertices()[2].u);
  EXPECT_EQ(1.0f, bolt.GetVertices()[3].v);
  // The one ribbon lies along the bolt's right vector, which for an upright
  // bolt is world x: it faces the camera.
  bolt.SetFirstScale(0.2f);
  bolt.SetEndPoints(RwV3d{0.0f, -2.0f, 10.0f}, RwV3d{0.0f, 2.0f, 10.0f});
  Draw(bolt);
  // Four units high at ten: a fifth of the 640-pixel view, 0.4 wide.
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(320, 240));
  EXPECT_NEAR(13, RowWidth(200), 1);
  EXPECT_NEAR(13, RowWidth(280), 1);
  EXPECT_EQ(0, RowWidth(170));
  EXPECT_EQ(0, RowWidth(310));
}

TEST_F(LightningTest, ColoursAreClampedAndTheSphereSpansTheEnds) {
  cLightningRO bolt(5, 3);
  EXPECT_EQ(7u * 3 * 2, bolt.GetVertexCount());
  EXPECT_EQ(6u * 3 * 6, bolt.GetIndexCount());
  bolt.SetColour(tRGBAf(1.5f, -0.2f, 0.5f, 0.3f));
  for (u32 i = 0; i < bolt.GetVertexCount(); i++) {
    ASSERT_EQ(0x4CFF007Fu, bolt.GetVertices()[i].color) << i;
  }
  bolt.SetEndPoints(RwV3d{0.0f, 2.0f, 0.0f}, RwV3d{6.0f, 2.0f, 8.0f});
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(bolt.GetAtomic());
  ExpectV3d(RwV3d{3.0f, 2.0f, 4.0f}, sphere->center);
  EXPECT_FLOAT_EQ(5.0f, sphere->radius);
  EXPECT_EQ(&bolt, GetAtomicOwner(bolt.GetAtomic()));
  EXPECT_EQ(kLightningLayer, bolt.GetLayer());
}

TEST_F(LightningTest, InteriorPointsStrayNoFurtherThanTheJitter) {
  cLightningRO bolt(6, 1);
  bolt.SetEndPoints(RwV3d{0.0f, 0.0f, 5.0f}, RwV3d{0.0f, 0.0f, 9.0f});
  bolt.SetFirstScale(0.0f);  // both vertices of a point sit on it
  bolt.SetSecondScale(0.0f);
  Draw(bolt);
  for (u32 i = 0; i < bolt.GetVertexCount(); i++) {
    EXPECT_EQ(0.0f, bolt.GetVertices()[i].objVertex.x) << i;
  }
  // Each point lands between its neighbour before it (moved in this pass)
  // and the one after it (not yet moved), give or take the jitter.
  constexpr float kJitter = 0.5f;
  bolt.SetSecondScale(kJitter);
  std::vector<float> before(8, 0.0f);
  for (int frame = 0; frame < 20; frame++) {
    Draw(bolt);
    std::vector<float> after(8);
    for (u32 i = 0; i < 8; i++) {
      after[i] = bolt.GetVertices()[i * 2].objVertex.x;
    }
    EXPECT_EQ(0.0f, after[0]);
    EXPECT_EQ(0.0f, after[7]);
    for (u32 i = 1; i <= 6; i++) {
      SCOPED_TRACE(testing::Message() << "frame " << frame << " point " << i);
      EXPECT_GE(after[i], std::min(after[i - 1], before[i + 1]) - kJitter - 1e-5f);
      EXPECT_LE(after[i], std::max(after[i - 1], before[i + 1]) + kJitter + 1e-5f);
    }
    EXPECT_NE(before, after);
    before = after;
  }
}

TEST_F(LightningTest, DrawsAdditivelyAndPutsItsStatesBack) {
  cLightningRO bolt(3, 2);
  bolt.SetFirstScale(0.3f);
  bolt.SetSecondScale(0.0f);
  bolt.SetColour(tRGBAf(0.0f, 0.0f, 1.0f, 0.5f));
  bolt.SetEndPoints(RwV3d{-2.0f, 0.0f, 10.0f}, RwV3d{2.0f, 0.0f, 10.0f});
  cCamera camera;
  ClearTarget(screen_, RwRGBA{200, 0, 0, 255});
  ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
  SetRenderState(kRwRenderStateZWriteEnable, 1);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, 6);  // inverse source alpha
  bolt.Render(&camera);
  EXPECT_EQ(1, GetRenderState(kRwRenderStateZWriteEnable));
  EXPECT_EQ(6, GetRenderState(kRwRenderStateDestBlend));
  EXPECT_EQ(kCullModeBack, GetRenderState(kRwRenderStateCullMode));
  camera.EndUpdate();
  // Half of full blue added to the red background.
  const uint32_t pixel = BackBufferPixel(320, 240);
  EXPECT_EQ(200u, pixel >> 16);
  EXPECT_NEAR(0x80, pixel & 0xFF, 2);
}

}  // namespace
