// Mirrors in a small level read back from the screen: a red quad behind the
// camera seen on a mirror ahead, nothing behind the mirror in it, no
// reflection from behind, a mirror never seen rendered once, raster sizes
// by the size shift, and mirrors made and removed as clumps join and leave
// the scene.
#include "game/render/effects/mirror.h"

#include <cstring>

#include "game/render/models/clump_ro.h"
#include "game/render/frame_orientation.h"
#include "game/render/models/model_user_data.h"
#include "tests/game/render/level_fixture.h"
#include "tests/support/first_atomic.h"
#include "tests/support/scratch_path.h"

namespace {

constexpr RwRGBA kMirrorRed = {255, 0, 0, 255};
constexpr RwRGBA kMirrorGreen = {0, 255, 0, 255};

class MirrorTest : public LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    if (!HasFatalFailure()) {
      ResetMirrors(scene_.get());
    }
  }
  void TearDown() override {
    DestroyMirrors();
    ResetMirrors(nullptr);
    LevelTest::TearDown();
  }
};

// A mirror 4 x 4 ten units ahead, a red wall behind the camera facing it
// and a green quad between the mirror's plane and its reflected eye.
TEST_F(MirrorTest, MirrorShowsWhatIsInFrontOfIt) {
  RpClump* mirrorQuad = AddTexturedQuad(RwV3d{0.0f, 0.0f, 10.0f}, 4.0f, kMirrorTextureName);
  AddQuad(RwV3d{0.0f, 0.0f, -5.0f}, 30.0f, kMirrorRed, true);
  AddQuad(RwV3d{0.0f, 0.0f, 15.0f}, 30.0f, kMirrorGreen, true);
  cMirror* mirror = new cMirror(FirstAtomic(mirrorQuad), 1);
  ASSERT_NE(nullptr, mirror->GetMaterial());
  RwRaster* own = mirror->GetMaterial()->texture->raster;

  RenderFrame();
  // The mirror spans 64 pixels each side of the centre.
  EXPECT_EQ(0xF00000u, BackBufferPixel(320, 240) & 0xF0F0F0u);
  EXPECT_EQ(0xF00000u, BackBufferPixel(290, 210) & 0xF0F0F0u);
  EXPECT_EQ(0u, BackBufferPixel(320, 100)) << "outside the mirror nothing is drawn";
  // After the frame the texture has its own raster and no reflection is kept.
  EXPECT_EQ(own, mirror->GetMaterial()->texture->raster);
  EXPECT_EQ(nullptr, mirror->GetReflection());
  EXPECT_EQ(0u, BackBufferPixel(320, 240) & 0x00FF00u);

  // From behind the mirror no reflection is rendered.
  std::vector<LoggingObject::Entry> log;
  LoggingObject object(&log, "object", kRoTypeOpaque);
  Manager().AddRO(&object);
  const RwV3d behind = {0.0f, 0.0f, 20.0f};
  const RwV3d back = {0.0f, 0.0f, -1.0f};
  RwFrameTranslate(camera_->GetFrame(), &behind, kRwCombineReplace);
  SetFrameDirection(camera_->GetFrame(), &back);
  RenderFrame();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(camera_.get(), log[0].camera);
  EXPECT_EQ(own, mirror->GetMaterial()->texture->raster);
  object.Unlink();
}

TEST_F(MirrorTest, NeverSeenMirrorRendersOnce) {
  // Behind the camera: never in view.
  RpClump* quad = AddTexturedQuad(RwV3d{0.0f, 0.0f, -10.0f}, 4.0f, kMirrorTextureName, true);
  cMirror* mirror = new cMirror(FirstAtomic(quad), 1);
  std::vector<LoggingObject::Entry> log;
  LoggingObject object(&log, "object", kRoTypeOpaque);
  Manager().AddRO(&object);
  EXPECT_EQ(1, mirror->IsFirstFrame());
  RenderFrame();
  EXPECT_EQ(0, mirror->IsFirstFrame());
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(&mirror->GetCamera(), log[0].camera) << "the reflection first";
  EXPECT_EQ(camera_.get(), log[1].camera);
  log.clear();
  RenderFrame();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(camera_.get(), log[0].camera);
  object.Unlink();
}

TEST_F(MirrorTest, RasterSidesFollowTheSizeShift) {
  struct Case {
    s32 shift;
    u32 side;  // of a 4 x 4 mirror: 400 pixels
  };
  const Case cases[] = {{0, 256}, {1, 256}, {2, 128}, {3, 64}, {-5, 256}, {40, 1}};
  RpClump* quad = AddTexturedQuad(RwV3d{0.0f, 0.0f, 10.0f}, 4.0f, kMirrorTextureName);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shift);
    cMirror* mirror = new cMirror(FirstAtomic(quad), c.shift);  // listed: deleted by UnregisterMirror
    EXPECT_EQ(400u, mirror->GetPixelSize().width);
    EXPECT_EQ(400u, mirror->GetPixelSize().height);
    EXPECT_EQ(c.side, mirror->GetRasterSize().width);
    EXPECT_EQ(c.side, mirror->GetRasterSize().height);
    UnregisterMirror(FirstAtomic(quad));
  }
  EXPECT_EQ(2048u, MirrorRasterSide(5000, 1));
  EXPECT_EQ(1u, MirrorRasterSide(0, 1));
  EXPECT_EQ(256u, MirrorRasterSide(1000, 2));

  // Only the exact name makes a mirror.
  RpClump* mirrors = AddTexturedQuad(RwV3d{0.0f, 0.0f, 10.0f}, 4.0f, "mirrors");
  cMirror inert(FirstAtomic(mirrors), 1);
  EXPECT_EQ(nullptr, inert.GetMaterial());
}

// A model file with a mirror quad joins the scene: its mirror is made with
// the user data's size shift, and goes when the model leaves.
TEST_F(MirrorTest, ClumpsWithTheMirrorFlagRegisterTheirMirrors) {
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  RwTexture* texture = RwTextureCreate(RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE));
  RwTextureSetName(texture, kMirrorTextureName);
  RwTexDictionaryAddTexture(dictionary, texture);
  RwTexDictionary* previous = RwTexDictionaryGetCurrent();
  RwTexDictionarySetCurrent(dictionary);
  ScratchFolder folder("mirror_models");
  const std::string path = folder.File("mirror.dff");
  tTestQuad quad;
  quad.geometryFlags = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED;
  ForgeUserData shift;
  shift.name = kUserDataMirror;
  shift.ints = {2};
  ASSERT_TRUE(WriteQuadModel(path, {quad, quad}, [&](RpGeometry* geometry, size_t index) {
    RpMaterialSetTexture(geometry->matList.materials[0], texture);
    if (index == 0) {
      EXPECT_TRUE(ForgeAddUserData(geometry, {shift}));
    }
  }));
  auto model = std::make_unique<cClumpRO>(path.c_str(), nullptr);
  ASSERT_EQ(2, model->GetMirrorFlag());
  scene_->AddClump(model.get());
  ASSERT_EQ(1u, GetMirrorCount());
  ASSERT_NE(nullptr, GetMirror(0));
  EXPECT_EQ(32u, GetMirror(0)->GetRasterSize().width);  // 100 pixels: 64, halved once
  scene_->RemoveClump(model.get());
  EXPECT_EQ(nullptr, GetMirror(0));
  model.reset();
  RwTexDictionarySetCurrent(previous);
  RwTexDictionaryDestroy(dictionary);
}

}  // namespace
