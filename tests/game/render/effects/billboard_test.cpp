// Billboards drawn on the Direct3D 8 stand-in and read back: facing the
// camera from any side, textured and coloured, without depth by default,
// keeping their apparent size with the distance scale, and tied to one
// camera of a scene.
#include "game/render/effects/billboard.h"

#include <memory>

#include "game/render/scene/render_manager.h"
#include "game/render/scene/scene.h"
#include "game/render/models/texture_files.h"
#include "tests/support/screen_engine.h"

namespace {

constexpr RwRGBA kRed = {255, 0, 0, 255};
constexpr RwRGBA kGreen = {0, 255, 0, 255};

class BillboardTest : public ScreenEngineTest {
 protected:
  BillboardTest() {
    attach_ = [] { return RpWorldPluginAttach() != FALSE; };
  }

  static std::unique_ptr<cBillboard> Billboard(const RwV3d& position, const RwRGBA& colour) {
    auto billboard = std::make_unique<cBillboard>();
    RwFrameTranslate(billboard->GetFrame(), &position, kRwCombineReplace);
    const RwRGBA colours[kSprite3DVertexCount] = {colour, colour, colour, colour};
    billboard->SetCornerColours(colours);
    return billboard;
  }

  // Draws the billboards through the camera placed at eye, looking along at.
  void Draw(cCamera& camera, const RwV3d& eye, const RwV3d& at, std::initializer_list<cBillboard*> billboards) {
    RwMatrix* matrix = RwFrameGetMatrix(camera.GetFrame());
    const RwV3d up = {0.0f, 1.0f, 0.0f};
    RwV3dCrossProduct(&matrix->right, &up, &at);
    matrix->up = up;
    matrix->at = at;
    matrix->pos = eye;
    RwMatrixUpdate(matrix);
    RwFrameMarkDirty(camera.GetFrame());
    ClearTarget(screen_);
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    for (cBillboard* billboard : billboards) {
      billboard->Render(&camera);
    }
    camera.EndUpdate();
  }
};

class BillboardScene : public cScene {
 public:
  explicit BillboardScene(cCamera* camera) : mCamera(camera) {}
  cCamera* GetCamera(u32 index) override { return index == 0 ? mCamera : nullptr; }

 private:
  cCamera* mCamera;
};

TEST_F(BillboardTest, FacesTheCameraFromEverySide) {
  cCamera camera;
  std::unique_ptr<cBillboard> billboard = Billboard(RwV3d{0.0f, 0.0f, 0.0f}, kRed);
  EXPECT_EQ(kRoTypeDistanceSorted, billboard->GetRoType());
  EXPECT_EQ(nullptr, billboard->GetAtomic());
  const RwV3d sides[][2] = {{{0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 1.0f}},
                            {{0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, -1.0f}},
                            {{10.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}}};
  for (const auto& side : sides) {
    SCOPED_TRACE(testing::Message() << side[0].x << " " << side[0].z);
    Draw(camera, side[0], side[1], {billboard.get()});
    EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
    // A unit quad 10 units away spans a twentieth of the 90-degree view.
    EXPECT_NEAR(32, RowWidth(240), 2);
  }
}

TEST_F(BillboardTest, TexturesAreModulatedByTheCornerColours) {
  MountTextures({{"data/textures/glow", 0x8080FF}});
  cCamera camera;
  std::unique_ptr<cBillboard> billboard = Billboard(RwV3d{0.0f, 0.0f, 10.0f}, kGreen);
  billboard->SetTexture(ReadTexture("data/textures/glow", false));
  ASSERT_NE(nullptr, billboard->GetTexture());
  Draw(camera, RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{0.0f, 0.0f, 1.0f}, {billboard.get()});
  const uint32_t pixel = BackBufferPixel(320, 240);
  EXPECT_EQ(0u, pixel & 0xFF00FF);
  EXPECT_NEAR(0x80, (pixel >> 8) & 0xFF, 1);
}

TEST_F(BillboardTest, DefaultFlagsDrawWithoutDepth) {
  cCamera camera;
  std::unique_ptr<cBillboard> near = Billboard(RwV3d{0.0f, 0.0f, 5.0f}, kRed);
  near->SetDepthTest(1);
  near->SetDepthWrite(1);
  std::unique_ptr<cBillboard> far = Billboard(RwV3d{0.0f, 0.0f, 8.0f}, kGreen);
  const RwV3d eye = {0.0f, 0.0f, 0.0f};
  const RwV3d at = {0.0f, 0.0f, 1.0f};
  Draw(camera, eye, at, {near.get(), far.get()});
  EXPECT_EQ(0x00FF00u, BackBufferPixel(320, 240));
  far->SetDepthTest(1);
  Draw(camera, eye, at, {near.get(), far.get()});
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
}

TEST_F(BillboardTest, DistanceScaleKeepsTheApparentSize) {
  cCamera camera;
  std::unique_ptr<cBillboard> billboard = Billboard(RwV3d{0.0f, 0.0f, 0.0f}, kRed);
  billboard->SetDistanceScaleFlag(1);
  billboard->SetScaleFlag(1);
  billboard->SetScale(RwV3d{0.2f, 0.2f, 0.2f});
  const RwV3d at = {0.0f, 0.0f, 1.0f};
  Draw(camera, RwV3d{0.0f, 0.0f, -10.0f}, at, {billboard.get()});
  const int nearWidth = RowWidth(240);
  Draw(camera, RwV3d{0.0f, 0.0f, -40.0f}, at, {billboard.get()});
  EXPECT_NEAR(64, nearWidth, 2);
  EXPECT_NEAR(nearWidth, RowWidth(240), 1);
}

TEST_F(BillboardTest, ATiedBillboardShowsOnlyThroughItsSceneCamera) {
  cCamera own;
  cCamera other;
  BillboardScene scene(&own);
  std::unique_ptr<cBillboard> billboard = Billboard(RwV3d{0.0f, 0.0f, 10.0f}, kRed);
  billboard->SetSceneCamera(&scene, 0);
  const RwV3d eye = {0.0f, 0.0f, 0.0f};
  const RwV3d at = {0.0f, 0.0f, 1.0f};
  Draw(other, eye, at, {billboard.get()});
  EXPECT_EQ(0u, BackBufferPixel(320, 240));
  Draw(own, eye, at, {billboard.get()});
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
}

}  // namespace
