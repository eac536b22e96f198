// Projected shadows on the Direct3D 8 stand-in: the caster's merged sphere,
// casters made after set-up, the shadow image inverted, down-sampled and
// blurred (read back from its rasters), and shadows on a forged floor:
// straight below or leaning by the lightmaps, fading with distance, only on
// triangles facing the shadow and inside its image, on world atomics too.
#include "game/render/effects/projected_shadows.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "game/render/frame_orientation.h"
#include "game/render/models/lightmap.h"
#include "tests/support/clump_builder.h"
#include "tests/support/screen_engine.h"
#include "tools/forge/forge.h"

namespace {

bool AttachWorldPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach(); }

// Every map of one grey except those given.
void FillLightmap(cLightmap* lightmap, const u8 greys[kLightmapCount]) {
  for (u32 map = 0; map < kLightmapCount; map++) {
    ASSERT_TRUE(lightmap->AllocateMap(map, 16));
    lightmap->GetPalette(map)[0] = tLightmapColour{greys[map], greys[map], greys[map]};
  }
  lightmap->SetSize(4, 4);
  lightmap->SetOrigin(2, 2);
  lightmap->SetScale(0.1f);  // 40 world units a side around the origin
}

// Pixel (x, y) of a 32-bit raster as 0xRRGGBB.
uint32_t RasterPixel(RwRaster* raster, int x, int y) {
  RwUInt8* pixels = RwRasterLock(raster, 0, rwRASTERLOCKREAD);
  if (pixels == nullptr) {
    return 0xDEADBEEF;
  }
  uint32_t value = 0;
  std::memcpy(&value, pixels + y * raster->stride + x * 4, 4);
  RwRasterUnlock(raster);
  return value & 0xFFFFFFu;
}

class ProjectedShadowsTest : public ScreenEngineTest {
 protected:
  ProjectedShadowsTest() { attach_ = AttachWorldPlugins; }

  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (!HasFatalFailure()) {
      mainCamera_ = std::make_unique<cCamera>();
    }
  }

  void TearDown() override {
    mainCamera_.reset();
    ShutdownProjectedShadows();
    if (clump_ != nullptr) {
      RpClumpDestroy(clump_);
    }
    ScreenEngineTest::TearDown();
  }

  // A box clump 1 x 2 x 1 at the position, and its caster set up.
  cShadowCaster* MakeCaster(const RwV3d& at) {
    ForgePart body;
    body.size = {1.0f, 2.0f, 1.0f};
    clump_ = ForgeClumpCreate({body});
    RwFrameTranslate(RpClumpGetFrame(clump_), &at, kRwCombineReplace);
    cShadowCaster* caster = new cShadowCaster;
    caster->Setup(nullptr, nullptr, clump_, RwV3d{1.0f, 1.0f, 1.0f}, 0);
    return caster;
  }

  cLightmap lightmap_;
  std::unique_ptr<cCamera> mainCamera_;
  RpClump* clump_ = nullptr;
};

TEST_F(ProjectedShadowsTest, SphereHoldsEveryAtomicOfTheClump) {
  struct Case {
    const char* name;
    std::vector<RwSphere> spheres;
    RwSphere expected;
  };
  const Case cases[] = {
      {"one atomic keeps its sphere", {{{1.0f, 2.0f, 3.0f}, 0.5f}}, {{1.0f, 2.0f, 3.0f}, 0.5f}},
      {"two apart span both", {{{0.0f, 0.0f, 0.0f}, 1.0f}, {{4.0f, 0.0f, 0.0f}, 1.0f}}, {{2.0f, 0.0f, 0.0f}, 3.0f}},
      {"a larger one around", {{{1.0f, 0.0f, 0.0f}, 1.0f}, {{0.0f, 0.0f, 0.0f}, 3.0f}}, {{0.0f, 0.0f, 0.0f}, 3.0f}},
      {"three along y",
       {{{0.0f, 0.0f, 0.0f}, 1.0f}, {{0.0f, 3.0f, 0.0f}, 1.0f}, {{0.0f, -3.0f, 0.0f}, 1.0f}},
       {{0.0f, 0.0f, 0.0f}, 4.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RpClump* clump = RpClumpCreate();
    RwFrame* frame = RwFrameCreate();
    RpClumpSetFrame(clump, frame);
    for (const RwSphere& sphere : c.spheres) {
      RpGeometry* geometry = RpGeometryCreateEmpty(sphere.radius);
      geometry->morphTarget[0].boundingSphere = sphere;
      AddClumpAtomic(clump, frame, geometry, rpATOMICRENDER);
      RpGeometryDestroy(geometry);
    }
    cShadowCaster caster;
    caster.Setup(nullptr, nullptr, clump, RwV3d{1.0f, 1.0f, 1.0f}, 0);
    EXPECT_NEAR(c.expected.center.x, caster.GetBoundingSphere().center.x, 1e-5f);
    EXPECT_NEAR(c.expected.center.y, caster.GetBoundingSphere().center.y, 1e-5f);
    EXPECT_NEAR(c.expected.radius, caster.GetBoundingSphere().radius, 1e-5f);
    RpClumpDestroy(clump);
  }
}

TEST_F(ProjectedShadowsTest, CasterMadeAfterSetUpKeepsTheCameras) {
  const u8 greys[kLightmapCount] = {128, 128, 128, 128};
  FillLightmap(&lightmap_, greys);
  InitProjectedShadows(0, &lightmap_, 30, 20.0f);
  RwCamera* camera = GetShadowRenderer().shadowCamera;
  ASSERT_NE(nullptr, camera);
  MakeCaster(RwV3d{0.0f, 1.0f, 5.0f});
  EXPECT_EQ(camera, GetShadowRenderer().shadowCamera);
  EXPECT_EQ(1u, GetShadowRenderer().casters.size());
  // Shutdown deletes the casters and clears the state.
  ShutdownProjectedShadows();
  EXPECT_EQ(nullptr, GetShadowRenderer().shadowCamera);
  EXPECT_TRUE(GetShadowRenderer().casters.empty());
}

// A level torn down after its men and before the renderer's set-up: its
// casters go all the same (none is left to point at a deleted model).
TEST_F(ProjectedShadowsTest, ShutdownBeforeSetUpDeletesTheCasters) {
  MakeCaster(RwV3d{0.0f, 1.0f, 5.0f});
  ASSERT_EQ(nullptr, GetShadowRenderer().shadowCamera);
  ASSERT_EQ(1u, GetShadowRenderer().casters.size());
  ShutdownProjectedShadows();
  EXPECT_TRUE(GetShadowRenderer().casters.empty());
}

TEST_F(ProjectedShadowsTest, ImageIsInvertedShrunkAndBlurred) {
  InitProjectedShadows(0, &lightmap_, 0, 20.0f);
  const tShadowRenderer& renderer = GetShadowRenderer();
  // White with a black square over 32..95 (16..47 of the blur rasters).
  RwUInt8* pixels = RwRasterLock(renderer.image, 0, rwRASTERLOCKWRITE);
  ASSERT_NE(nullptr, pixels);
  for (int y = 0; y < kShadowImageSize; y++) {
    for (int x = 0; x < kShadowImageSize; x++) {
      const bool square = x >= 32 && x < 96 && y >= 32 && y < 96;
      const uint32_t value = square ? 0xFF000000u : 0xFFFFFFFFu;
      std::memcpy(pixels + y * renderer.image->stride + x * 4, &value, 4);
    }
  }
  RwRasterUnlock(renderer.image);

  InvertShadowImage();
  EXPECT_EQ(0xFFFFFFu, RasterPixel(renderer.image, 64, 64));
  EXPECT_EQ(0xFFFFFFu, RasterPixel(renderer.image, 32, 95));
  EXPECT_EQ(0u, RasterPixel(renderer.image, 31, 64));
  EXPECT_EQ(0u, RasterPixel(renderer.image, 0, 0));

  DownSampleAndBlur();
  auto blue = [&renderer](int x, int y) { return static_cast<int>(RasterPixel(renderer.blurB, x, y) & 0xFF); };
  EXPECT_EQ(255, blue(32, 32));
  EXPECT_EQ(0, blue(2, 2));
  EXPECT_EQ(0, blue(12, 32));
  // Two [1 2 1] passes: 1 4 6 4 1 sixteenths across the edge at 16,
  // the same on both sides of the square (no shift).
  const int expected[] = {0, 16, 80, 175, 239, 255};
  for (int i = 0; i < 6; i++) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(expected[i], blue(13 + i, 32), 4);
    EXPECT_NEAR(expected[i], blue(50 - i, 32), 4);
    EXPECT_NEAR(expected[i], blue(32, 13 + i), 4);
  }
}

// A forged floor under a box caster standing on it, seen from 8 units
// above on a white screen on which only the shadow pass draws: the shadow
// darkens where the floor lies under the caster's shadow. The floor's fine
// grid queues more triangles than one batch holds.
class ShadowFloorTest : public ProjectedShadowsTest {
 protected:
  void SetUp() override {
    ProjectedShadowsTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    const RwV3d above = {0.0f, 8.0f, 0.0f};
    const RwV3d down = {0.0f, -1.0f, 0.0f};
    RwFrameTranslate(mainCamera_->GetFrame(), &above, kRwCombineReplace);
    SetFrameDirection(mainCamera_->GetFrame(), &down);
  }

  void TearDown() override {
    ShutdownProjectedShadows();
    if (world_ != nullptr) {
      RpWorldDestroy(world_);
    }
    ProjectedShadowsTest::TearDown();
  }

  // A floor 20 x 20 at the height, 80 x 80 cells, facing up unless flipped;
  // with a ceiling, a second one 20 units above it.
  void MakeFloor(f32 height, bool flipped = false, bool ceiling = false) {
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddGrid(&soup, RwV3d{-10.0f, height, -10.0f}, 20.0f, 80, 0);
    if (ceiling) {
      ForgeAddGrid(&soup, RwV3d{-10.0f, height + 20.0f, -10.0f}, 20.0f, 4, 0);
    }
    if (flipped) {
      for (ForgeTriangle& triangle : soup.triangles) {
        std::swap(triangle.vertex[1], triangle.vertex[2]);
      }
    }
    ForgeWorldOptions options;
    options.flags |= rpWORLDNORMALS;
    world_ = ForgeWorldCreate(soup, options);
    ASSERT_NE(nullptr, world_);
  }

  // A caster over the origin whose box reaches three radii to the sides.
  cShadowCaster* StandCaster(const u8 greys[kLightmapCount], s32 tilt, f32 maximumDistance) {
    FillLightmap(&lightmap_, greys);
    cShadowCaster* caster = MakeCaster(RwV3d{0.0f, 1.0f, 0.0f});
    caster->Setup(world_, nullptr, clump_, RwV3d{3.0f, 1.0f, 3.0f}, 0);
    InitProjectedShadows(0, &lightmap_, tilt, maximumDistance);
    return caster;
  }

  // One frame on white: the shadow pass alone.
  void Frame(cShadowCaster* caster) {
    ClearTarget(screen_, RwRGBA{255, 255, 255, 255});
    ASSERT_NE(nullptr, mainCamera_->BeginUpdate(screen_, 0));
    ClearShadowCasterFlags();
    caster->MarkDrawn();
    EXPECT_EQ(mainCamera_->GetCamera(), RenderProjectedShadows(world_, mainCamera_.get()));
    mainCamera_->EndUpdate();
  }

  // The mean position of the shaded pixels (blue below 250) and their count.
  struct Shade {
    f32 x = 0.0f;
    f32 y = 0.0f;
    int count = 0;
    int centre = 0;  // blue at the screen's centre
  };
  static Shade MeasureShade() {
    Shade shade;
    shade.centre = CentreBlue();
    for (int y = 120; y < 360; y += 2) {
      for (int x = 200; x < 440; x += 2) {
        if ((BackBufferPixel(x, y) & 0xFF) < 250) {
          shade.x += static_cast<f32>(x);
          shade.y += static_cast<f32>(y);
          shade.count++;
        }
      }
    }
    if (shade.count > 0) {
      shade.x /= static_cast<f32>(shade.count);
      shade.y /= static_cast<f32>(shade.count);
    }
    return shade;
  }

  static int CentreBlue() { return static_cast<int>(BackBufferPixel(320, 240) & 0xFF); }

  RpWorld* world_ = nullptr;
};

TEST_F(ShadowFloorTest, ShadowFallsBelowOrLeansByTheMaps) {
  struct Case {
    const char* name;
    u8 greys[kLightmapCount];
    s32 tilt;
  };
  const Case cases[] = {
      {"equal maps", {128, 128, 128, 128}, 30},   {"tilt 0", {255, 0, 0, 255}, 0},
      {"brighter west", {128, 128, 255, 0}, 30},  {"brighter east", {128, 128, 0, 255}, 30},
      {"brighter north", {255, 0, 128, 128}, 30}, {"brighter south", {0, 255, 128, 128}, 30},
  };
  MakeFloor(0.0f);
  Shade shades[6];
  for (int i = 0; i < 6; i++) {
    SCOPED_TRACE(cases[i].name);
    cShadowCaster* caster = StandCaster(cases[i].greys, cases[i].tilt, 20.0f);
    Frame(caster);
    shades[i] = MeasureShade();
    ASSERT_GT(shades[i].count, 50);
    ShutdownProjectedShadows();
    RpClumpDestroy(clump_);
    clump_ = nullptr;
  }
  // Straight down: a blurred square around the point under the caster.
  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_NEAR(320.0f, shades[i].x, 2.0f);
    EXPECT_NEAR(240.0f, shades[i].y, 2.0f);
    EXPECT_LT(shades[i].centre, 128);
  }
  // Leaning: along one axis of the screen each, opposite for opposite maps.
  EXPECT_GT(std::fabs(shades[2].x - 320.0f), 10.0f);
  EXPECT_NEAR(shades[2].x - 320.0f, 320.0f - shades[3].x, 2.0f);
  EXPECT_NEAR(240.0f, shades[2].y, 2.0f);
  EXPECT_GT(std::fabs(shades[4].y - 240.0f), 10.0f);
  EXPECT_NEAR(shades[4].y - 240.0f, 240.0f - shades[5].y, 2.0f);
  EXPECT_NEAR(320.0f, shades[4].x, 2.0f);
}

TEST_F(ShadowFloorTest, IntensityFallsToNoneAtTheMaximumDistance) {
  // The caster stands 7 units from the camera.
  const u8 greys[kLightmapCount] = {128, 128, 128, 128};
  struct Case {
    f32 maximumDistance;
    int centre;  // blue at the centre
  };
  Case cases[] = {{20.0f, 0}, {14.0f, 0}, {10.0f, 0}, {7.0f, 0}};
  MakeFloor(0.0f);
  for (Case& c : cases) {
    SCOPED_TRACE(c.maximumDistance);
    Frame(StandCaster(greys, 0, c.maximumDistance));
    c.centre = CentreBlue();
    ShutdownProjectedShadows();
    RpClumpDestroy(clump_);
    clump_ = nullptr;
  }
  // Full intensity up to half the maximum; 153 of 255 at 7 of 10; none at 7.
  EXPECT_EQ(cases[0].centre, cases[1].centre);
  EXPECT_LT(cases[1].centre, 128);
  EXPECT_NEAR(255 - (255 - cases[0].centre) * 153 / 255, cases[2].centre, 3);
  EXPECT_EQ(255, cases[3].centre);
}

TEST_F(ShadowFloorTest, FloorFacingAwayStaysUntouched) {
  const u8 greys[kLightmapCount] = {128, 128, 128, 128};
  MakeFloor(0.0f, true);
  Frame(StandCaster(greys, 0, 20.0f));
  EXPECT_EQ(0, MeasureShade().count);
}

// Triangles offered by hand after a frame has set the projection: the
// queue takes those facing the shadow camera that reach into its image.
TEST_F(ShadowFloorTest, TrianglesOutsideTheImageOrFacingAwayAreDropped) {
  const u8 greys[kLightmapCount] = {128, 128, 128, 128};
  MakeFloor(0.0f);
  cShadowCaster* caster = StandCaster(greys, 0, 20.0f);
  Frame(caster);
  struct Case {
    const char* name;
    RwV3d corners[3];
    RwV3d face;
    u32 queued;
  };
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  const RwV3d down = {0.0f, -1.0f, 0.0f};
  const Case cases[] = {
      {"under the caster", {{-0.5f, 0, -0.5f}, {-0.5f, 0, 0.5f}, {0.5f, 0, 0.5f}}, up, 3},
      {"facing away", {{-0.5f, 0, -0.5f}, {0.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}}, down, 0},
      {"beyond +x", {{5.0f, 0, -0.5f}, {5.0f, 0, 0.5f}, {6.0f, 0, 0.5f}}, up, 0},
      {"beyond -x", {{-6.0f, 0, -0.5f}, {-6.0f, 0, 0.5f}, {-5.0f, 0, 0.5f}}, up, 0},
      {"beyond +z", {{-0.5f, 0, 5.0f}, {-0.5f, 0, 6.0f}, {0.5f, 0, 6.0f}}, up, 0},
      {"beyond -z", {{-0.5f, 0, -6.0f}, {-0.5f, 0, -5.0f}, {0.5f, 0, -5.0f}}, up, 0},
      {"above the shadow camera", {{-0.5f, 9, -0.5f}, {-0.5f, 9, 0.5f}, {0.5f, 9, 0.5f}}, up, 0},
      {"straddling an edge", {{0.0f, 0, -0.5f}, {0.0f, 0, 0.5f}, {6.0f, 0, 0.5f}}, up, 3},
  };
  tShadowRenderer& renderer = GetShadowRenderer();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    renderer.vertexCount = 0;
    caster->AddShadowTriangle(c.corners, nullptr, c.face);
    EXPECT_EQ(c.queued, renderer.vertexCount);
  }
  renderer.vertexCount = 0;
}

// A slab clump in a room whose floor lies too deep for the shadow and
// whose ceiling above the shadow camera: the shadow falls on the slab's
// triangles only while it is in the world.
TEST_F(ShadowFloorTest, ShadowFallsOnWorldAtomics) {
  const u8 greys[kLightmapCount] = {128, 128, 128, 128};
  MakeFloor(-10.0f, false, true);
  ForgePart part;
  part.size = {4.0f, 0.2f, 4.0f};
  RpClump* slab = ForgeClumpCreate({part});
  ASSERT_NE(nullptr, slab);
  const RwV3d below = {0.0f, -0.1f, 0.0f};
  RwFrameTranslate(RpClumpGetFrame(slab), &below, kRwCombineReplace);
  cShadowCaster* caster = StandCaster(greys, 0, 20.0f);
  Frame(caster);
  EXPECT_EQ(0, MeasureShade().count);
  ASSERT_NE(nullptr, RpWorldAddClump(world_, slab));
  Frame(caster);
  EXPECT_NEAR(320.0f, MeasureShade().x, 2.0f);
  EXPECT_LT(CentreBlue(), 128);
  RpWorldRemoveClump(world_, slab);
  RpClumpDestroy(slab);
}

}  // namespace
