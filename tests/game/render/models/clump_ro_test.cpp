// Clump render objects on the fake driver, from models written by the
// engine's writers to a scratch folder: copies sharing the prototype's
// geometry, missing files, material tints from lightmaps filled in memory,
// colour tables on private geometry copies and their restoring, the
// dynamic lights with their tilt and fades, and the render callback's
// deferral by priority.
#include "game/render/models/clump_ro.h"

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "game/app/frame_tick.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/models/model_files.h"
#include "game/render/models/model_user_data.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/render/scene/render_manager.h"
#include "game/render/scene/scene.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/models/model_fixture.h"
#include "tests/support/quad_model.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/forge.h"

namespace {

class ClumpScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

bool SameRgba(const RwRGBA& a, const RwRGBA& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

#define EXPECT_RGBA(r, g, b, a, actual) EXPECT_PRED2(SameRgba, (RwRGBA{r, g, b, a}), (actual))
constexpr RwRGBA kUntinted = {1, 2, 3, 4};

class ClumpROTest : public ModelEngineTest {
 protected:
  void SetUp() override {
    ModelEngineTest::SetUp();
    ASSERT_FALSE(mFolder.Path().empty());
  }

  // A model of the quads in the scratch folder; its path.
  std::string Model(const char* name, const std::vector<tTestQuad>& quads) {
    const std::string path = mFolder.File(name);
    EXPECT_TRUE(WriteQuadModel(path, quads));
    return path;
  }

  // Four 4 x 4 maps, each of one colour, centred on the world origin.
  void FillLightmap(const RwRGBA colours[kLightmapCount]) {
    mLightmap.SetSize(4, 4);
    mLightmap.SetOrigin(2, 2);
    mLightmap.SetScale(1.0f);
    for (u32 map = 0; map < kLightmapCount; map++) {
      ASSERT_TRUE(mLightmap.AllocateMap(map, 16));
      mLightmap.GetPalette(map)[0] = tLightmapColour{colours[map].red, colours[map].green, colours[map].blue};
    }
  }

  static std::set<RpGeometry*> Geometries(RpClump* clump) {
    std::set<RpGeometry*> geometries;
    RpClumpForAllAtomics(
        clump,
        [](RpAtomic* atomic, void* data) {
          static_cast<std::set<RpGeometry*>*>(data)->insert(RpAtomicGetGeometry(atomic));
          return atomic;
        },
        &geometries);
    return geometries;
  }

  static const RwRGBA& MaterialColour(const RpAtomic* atomic, RwInt32 index) {
    return *RpMaterialGetColor(RpMaterialListGetMaterial(&RpAtomicGetGeometry(atomic)->matList, index));
  }

  ScratchFolder mFolder{"models"};
  cLightmap mLightmap;
};

TEST_F(ClumpROTest, CopiesShareTheGeometryAndLinkTheirOwnAtomics) {
  const std::string path = Model("door.dff", {tTestQuad(), tTestQuad()});
  cClumpRO prototype(path.c_str(), nullptr);
  ASSERT_NE(nullptr, prototype.GetClump());
  RpAtomic* first = prototype.GetFirstAtomic();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(&prototype, GetAtomicOwner(first));
  EXPECT_EQ(ClumpRenderCallBack, RpAtomicGetRenderCallBack(first));
  EXPECT_EQ(RpAtomicGetGeometry(first), prototype.GetSharedGeometry());
  EXPECT_EQ(kDefaultLodDistance, prototype.GetLodDistance());

  std::unique_ptr<cRO> clone(prototype.Clone());
  cClumpRO* copy = static_cast<cClumpRO*>(clone.get());
  ASSERT_NE(nullptr, copy->GetClump());
  EXPECT_NE(prototype.GetClump(), copy->GetClump());
  EXPECT_NE(prototype.GetFrame(), copy->GetFrame());
  EXPECT_EQ(&prototype, copy->GetPrototype());
  EXPECT_EQ(2, RpClumpGetNumAtomics(copy->GetClump()));
  EXPECT_EQ(Geometries(prototype.GetClump()), Geometries(copy->GetClump()));
  EXPECT_EQ(copy, GetAtomicOwner(copy->GetFirstAtomic()));
  EXPECT_EQ(ClumpRenderCallBack, RpAtomicGetRenderCallBack(copy->GetFirstAtomic()));

  // A copy's frame hangs under another object's, reset; detached again.
  const RwV3d away = {5.0f, 0.0f, 0.0f};
  RwFrameTranslate(copy->GetFrame(), &away, kRwCombineReplace);
  prototype.AttachChild(copy);
  EXPECT_EQ(prototype.GetFrame(), RwFrameGetParent(copy->GetFrame()));
  EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(copy->GetFrame())));
  copy->Detach();
  EXPECT_EQ(nullptr, RwFrameGetParent(copy->GetFrame()));
}

TEST_F(ClumpROTest, MissingModelsEndTheProgramUnlessTheyAreCollisionTwins) {
  const std::string missing = mFolder.File("gone.dff");
  EXPECT_DEATH(cClumpRO object(missing.c_str(), nullptr), "Missing file: .*gone.dff");
  // A model that is there but cannot be read ends it too, saying why; a
  // collision twin in that state counts as missing.
  const std::string model = Model("cut.dff", {tTestQuad()});
  std::ifstream in(model, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 24u);
  mkdir(mFolder.File("collision").c_str(), 0700);
  struct Row {
    const char* what;
    std::string bytes;
    const char* said;
  };
  const Row rows[] = {
      {"cut", bytes.substr(0, bytes.size() / 2), "it ends early: [0-9]+ of the [0-9]+ bytes its model"},
      {"empty", "", "it is empty"},
      {"no model", "\x0B" + bytes.substr(1), "it holds no model: its first chunk is of type 0xB"},
      {"damaged inside", bytes.substr(0, 24) + std::string(bytes.size() - 24, '\xFF'), "the model in it is damaged"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(WriteWholeFile(model, row.bytes));
    EXPECT_DEATH(cClumpRO object(model.c_str(), nullptr), std::string("Damaged file: .*cut.dff \\(") + row.said);
    const cString damagedTwin = MakeCollisionPath(model.c_str());
    ASSERT_TRUE(WriteWholeFile(damagedTwin.CStr(), row.bytes));
    EXPECT_EQ(nullptr, cClumpRO(damagedTwin.CStr(), nullptr).GetClump());
  }
  const cString twin = MakeCollisionPath(missing.c_str());
  EXPECT_EQ(nullptr, LoadClumpFile(twin.CStr(), false, nullptr, true));
  cClumpRO empty(twin.CStr(), nullptr);
  EXPECT_EQ(nullptr, empty.GetClump());
  EXPECT_EQ(nullptr, empty.GetFirstAtomic());
  std::unique_ptr<cRO> copy(empty.Clone());
  EXPECT_EQ(nullptr, static_cast<cClumpRO*>(copy.get())->GetClump());
  EXPECT_EQ(nullptr, LoadClumpFile(missing.c_str(), false, nullptr, false));
}

TEST_F(ClumpROTest, MaterialsTakeTheAverageMapColourAndTheExtraLight) {
  const RwRGBA maps[kLightmapCount] = {{100, 0, 0, 0}, {200, 0, 0, 0}, {0, 40, 0, 0}, {0, 0, 81, 0}};
  FillLightmap(maps);
  tTestQuad quad;
  quad.materials = {{255, 255, 255, 255}, {100, 200, 50, 128}};
  tTestQuad unlit;
  unlit.geometryFlags = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT;
  const std::string path = Model("crate.dff", {quad, unlit});
  cStaticLitClumpRO prototype(path.c_str(), &mLightmap, nullptr);
  ASSERT_EQ(3u, prototype.GetBaseColourCount());
  cStaticLitClumpRO object(prototype);
  RpAtomic* lit = object.GetFirstAtomic();
  EXPECT_NE(0u, RpGeometryGetFlags(RpAtomicGetGeometry(lit)) & rpGEOMETRYMODULATEMATERIALCOLOR);

  object.UpdateLightColour(nullptr);
  EXPECT_RGBA(75, 10, 20, 255, object.GetLitColour());
  EXPECT_EQ(1u, cClumpRO::GetTintedCount());
  object.Refresh(1);
  RpAtomic* atomics[2] = {nullptr, nullptr};
  RpClumpForAllAtomics(
      object.GetClump(),
      [](RpAtomic* atomic, void* data) {
        RpAtomic** slots = static_cast<RpAtomic**>(data);
        slots[slots[0] == nullptr ? 0 : 1] = atomic;
        return atomic;
      },
      atomics);
  for (RpAtomic* atomic : atomics) {
    const bool isLit = (RpGeometryGetFlags(RpAtomicGetGeometry(atomic)) & rpGEOMETRYLIGHT) != 0;
    SCOPED_TRACE(isLit ? "lit" : "unlit");
    if (isLit) {
      EXPECT_RGBA(75, 10, 20, 255, MaterialColour(atomic, 0));
      EXPECT_RGBA(29, 7, 3, 255, MaterialColour(atomic, 1));
    } else {
      EXPECT_RGBA(255, 255, 255, 255, MaterialColour(atomic, 0));
    }
  }

  // One tint a frame: the clump's other atomics draw in it.
  RpAtomic* litFirst =
      (RpGeometryGetFlags(RpAtomicGetGeometry(atomics[0])) & rpGEOMETRYLIGHT) != 0 ? atomics[0] : atomics[1];
  RpMaterialSetColor(RpMaterialListGetMaterial(&RpAtomicGetGeometry(litFirst)->matList, 0), &kUntinted);
  object.Refresh(1);
  EXPECT_RGBA(1, 2, 3, 4, MaterialColour(litFirst, 0));
  // A copy made after the tint keeps the materials' own colours as base.
  cStaticLitClumpRO late(object);
  const RwRGBA* base = late.GetBaseColours();
  EXPECT_TRUE(SameRgba(RwRGBA{100, 200, 50, 128}, base[1]) || SameRgba(RwRGBA{100, 200, 50, 128}, base[2]));

  cLight extra(rpLIGHTAMBIENT);
  extra.SetColour(RwRGBAReal{1.0f, 0.5f, 0.0f, 1.0f});
  object.UpdateLightColour(&extra);
  object.Refresh(2);
  const RpAtomic* litAtomic =
      (RpGeometryGetFlags(RpAtomicGetGeometry(atomics[0])) & rpGEOMETRYLIGHT) != 0 ? atomics[0] : atomics[1];
  EXPECT_RGBA(255, 137, 20, 255, MaterialColour(litAtomic, 0));
}

TEST_F(ClumpROTest, ColourTablesColourAPrivateCopyOfTheFirstGeometry) {
  const RwRGBA maps[kLightmapCount] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  FillLightmap(maps);
  tTestQuad quad;
  quad.prelit = {1, 2, 3, 77};
  quad.materials = {{10, 20, 30, 255}};
  const std::string path = Model("panel.dff", {quad, quad});
  cStaticLitClumpRO prototype(path.c_str(), &mLightmap, nullptr);
  cStaticLitClumpRO object(prototype);
  RpGeometry* shared = object.GetSharedGeometry();

  struct Case {
    const char* text;
    u32 entries;
  };
  const Case ignored[] = {{"", 0}, {"FF00", 0}, {"FF00FFa", 1}, {"ff8000123456AB", 2}};
  for (const Case& c : ignored) {
    SCOPED_TRACE(c.text);
    cStaticLitClumpRO table(prototype);
    table.SetColourTable(c.text);
    EXPECT_EQ(c.entries, table.GetColourTableCount());
  }
  object.SetColourTable("ff8000123456ABCDEF0000FF");
  ASSERT_EQ(4u, object.GetColourTableCount());
  EXPECT_RGBA(255, 128, 0, 255, object.GetColourTable()[0]);
  EXPECT_RGBA(0x12, 0x34, 0x56, 255, object.GetColourTable()[1]);
  EXPECT_RGBA(255, 255, 255, 255, *RpMaterialGetColor(RpMaterialListGetMaterial(&shared->matList, 0)));

  object.UpdateLightColour(nullptr);
  object.Refresh(1);
  RpGeometry* copy = object.GetPrivateGeometry();
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(copy, RpAtomicGetGeometry(object.GetFirstAtomic()));
  // Without colour indices every vertex takes the entry at the running
  // offset, with the shared geometry's alpha; the shared one keeps its own.
  for (int i = 0; i < 4; i++) {
    EXPECT_RGBA(255, 128, 0, 77, copy->preLitLum[i]);
    EXPECT_RGBA(1, 2, 3, 77, shared->preLitLum[i]);
  }
  EXPECT_RGBA(10, 20, 30, 255, *RpMaterialGetColor(RpMaterialListGetMaterial(&copy->matList, 0)));
  // The second quad's vertices start at entry 4: past the table, they keep
  // their pre-light colours.
  EXPECT_EQ(1u, cClumpRO::GetTintedCount());
  object.Refresh(2);
  EXPECT_EQ(copy, object.GetPrivateGeometry());

  {
    // A prototype, its geometry's only holder, keeps it while its copy stands in.
    cStaticLitClumpRO sole(path.c_str(), &mLightmap, nullptr);
    sole.SetColourTable("ff8000");
    for (u32 frame = 1; frame <= 2; frame++) {
      sole.Refresh(frame);
      EXPECT_RGBA(1, 2, 3, 77, sole.GetSharedGeometry()->preLitLum[0]);
    }
  }

  // Restoring drops the copy, gives the shared geometry back and tints anew.
  cClumpRO::RestoreAllGeometries();
  EXPECT_NE(nullptr, object.GetPrivateGeometry());
  EXPECT_EQ(object.GetPrivateGeometry(), RpAtomicGetGeometry(object.GetFirstAtomic()));
  EXPECT_EQ(1u, cClumpRO::GetTintedCount());
  EXPECT_RGBA(255, 128, 0, 77, object.GetPrivateGeometry()->preLitLum[0]);
}

TEST_F(ClumpROTest, DynamicLightsComeFromTheMapsAndFade) {
  const RwRGBA maps[kLightmapCount] = {{255, 255, 255, 0}, {51, 51, 51, 0}, {102, 102, 102, 0}, {102, 102, 102, 0}};
  FillLightmap(maps);
  ClumpScene scene;
  const std::string path = Model("man.dff", {tTestQuad()});
  cDynamicLitClumpRO object(path.c_str(), &mLightmap, 90, 0.5f, nullptr);
  EXPECT_EQ(0u, RpGeometryGetFlags(object.GetSharedGeometry()) & rpGEOMETRYPRELIT);
  object.SetScene(&scene);
  object.Refresh(1);
  const RwRGBAReal& ambient = scene.GetAmbientLight().GetColour();
  EXPECT_FLOAT_EQ(0.1f, ambient.red);  // darkest 0.2, half of it
  EXPECT_EQ(rpLIGHTLIGHTATOMICS, RpLightGetFlags(scene.GetAmbientLight().GetLight()));
  const RwRGBAReal& directional = scene.GetDirectionalLight().GetColour();
  EXPECT_FLOAT_EQ(0.8f, directional.red);  // brightest 1.0 less the base
  // North 612 brighter than south in 765: -72 degrees about x turns the
  // light from straight down towards +z.
  const RwV3d& direction = scene.GetDirectionalLight().GetDirection();
  const float radians = 72.0f * 3.14159265f / 180.0f;
  ExpectV3d(RwV3d{0.0f, -std::cos(radians), std::sin(radians)}, direction, 1e-4f);

  // A fade moves a tenth of the way each tenth of a second.
  const tRGBAf lit = object.GetLitColour();
  object.FadeToColour(tRGBAf(1.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_TRUE(object.IsFading());
  object.UpdateFade(0.1f);
  EXPECT_NEAR(lit.r + 0.1f * (1.0f - lit.r), object.GetCurrentColour().r, 1e-5f);
  EXPECT_NEAR(lit.g * 0.9f, object.GetCurrentColour().g, 1e-5f);
  object.Refresh(2);
  EXPECT_NEAR(object.GetCurrentColour().r * 0.5f, scene.GetAmbientLight().GetColour().red, 1e-5f);
  // The same target again changes nothing.
  object.FadeToColour(tRGBAf(1.0f, 0.0f, 0.0f, 1.0f));
  EXPECT_NEAR(lit.g * 0.9f, object.GetCurrentColour().g, 1e-5f);
  // Told to settle, a fade ends on the lit colour once its second is up.
  object.RefreshLight();
  EXPECT_EQ(lit.r, object.GetFadeTarget().r);
  for (int i = 0; i < 12 && object.IsFading(); i++) {
    object.UpdateFade(0.1f);
  }
  EXPECT_FALSE(object.IsFading());
  EXPECT_NEAR(lit.g, object.GetCurrentColour().g, 0.01f);
  EXPECT_EQ(lit.r, object.ResetColour().r);

  // The plain clone is a clump copy; the lit copy starts white.
  std::unique_ptr<cRO> clone(object.Clone());
  EXPECT_NE(nullptr, static_cast<cClumpRO*>(clone.get())->GetClump());
  cDynamicLitClumpRO copy(object);
  EXPECT_EQ(1.0f, copy.GetCurrentColour().g);
  EXPECT_FALSE(copy.IsFading());
}

TEST_F(ClumpROTest, PrioritisedAtomicsAreDeferredAndTheSceneLightsSwitchedOff) {
  tTestQuad quad;
  const std::string path = Model("lamp.dff", {quad});
  ClumpScene scene;
  cClumpRO object(path.c_str(), nullptr);
  object.SetScene(&scene);
  RpAtomic* atomic = object.GetFirstAtomic();
  SetAtomicRenderPriority(atomic, 2);
  scene.GetAmbientLight().SetFlags(rpLIGHTLIGHTATOMICS);
  cRenderManager& manager = scene.GetRenderManager();
  manager.BeginFrame();
  gFrameNumber = 41;
  RpAtomicGetRenderCallBack(atomic)(atomic);
  EXPECT_EQ(41u, object.GetFrameStamp());
  ASSERT_EQ(1u, manager.GetItemLayer(1)->GetCount());
  EXPECT_EQ(atomic, manager.GetItemLayer(1)->GetItem(0).atomic);
  EXPECT_EQ(0u, RpLightGetFlags(scene.GetAmbientLight().GetLight()));
  // Priorities past the last layer share it.
  SetAtomicRenderPriority(atomic, 7);
  RpAtomicGetRenderCallBack(atomic)(atomic);
  EXPECT_EQ(1u, manager.GetItemLayer(kRenderItemLayerCount - 1)->GetCount());
}

}  // namespace

namespace {

TEST_F(ClumpROTest, VertexNumbersPickTableEntries) {
  const RwRGBA maps[kLightmapCount] = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
  FillLightmap(maps);
  tTestQuad quad;
  quad.prelit = {1, 2, 3, 255};
  const std::string path = mFolder.File("numbered.dff");
  ASSERT_TRUE(WriteQuadModel(path, {quad}, [](RpGeometry* geometry, size_t) {
    ForgeUserData numbers;
    numbers.name = "vtxnum.vtxnum";
    numbers.ints = {3, 2, 9, 0};
    EXPECT_TRUE(ForgeAddUserData(geometry, {numbers}));
  }));
  cStaticLitClumpRO prototype(path.c_str(), &mLightmap, nullptr);
  cStaticLitClumpRO object(prototype);
  object.SetColourTable("100000200000300000400000");
  object.UpdateLightColour(nullptr);
  object.Refresh(1);
  const RpGeometry* copy = object.GetPrivateGeometry();
  ASSERT_NE(nullptr, copy);
  EXPECT_RGBA(0x40, 0, 0, 255, copy->preLitLum[0]);
  EXPECT_RGBA(0x30, 0, 0, 255, copy->preLitLum[1]);
  EXPECT_RGBA(1, 2, 3, 255, copy->preLitLum[2]);  // index 9: past the table
  EXPECT_RGBA(0x10, 0, 0, 255, copy->preLitLum[3]);
}

}  // namespace
