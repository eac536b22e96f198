// Clump objects drawn on the Direct3D 8 stand-in and read back: the tint
// from the lightmaps and from a colour table, two-sided models seen from
// behind, prioritised models drawn with the layers, and copies that draw
// their prototype's LOD geometry when far.
#include <memory>

#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/camera.h"
#include "game/render/models/model_user_data.h"
#include "game/render/scene/render_manager.h"
#include "game/render/scene/render_state.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "tests/support/quad_model.h"
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"

namespace {

class ClumpDrawTest : public ScreenEngineTest {
 protected:
  ClumpDrawTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpUserDataPluginAttach() && RpLODAtomicPluginAttach() && RegisterAtomicPlugin();
    };
  }

  void SetUp() override {
    ScreenEngineTest::SetUp();
    mLightmap.SetSize(4, 4);
    mLightmap.SetOrigin(2, 2);
    mLightmap.SetScale(1.0f);
    for (u32 map = 0; map < kLightmapCount; map++) {
      ASSERT_TRUE(mLightmap.AllocateMap(map, 16));
      mLightmap.GetPalette(map)[0] = tLightmapColour{static_cast<u8>(64 * map), 128, 0};
    }
  }

  std::string Model(const char* name, const std::vector<tTestQuad>& quads) {
    const std::string path = mFolder.File(name);
    EXPECT_TRUE(WriteQuadModel(path, quads));
    return path;
  }

  // Draws the clumps as the world pass would, then the layers, through a
  // camera at the origin looking along +z.
  void Draw(std::initializer_list<cClumpRO*> objects) {
    cCamera camera;
    ClearTarget(screen_);
    mManager.BeginFrame();
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    for (cClumpRO* object : objects) {
      RpClumpRender(object->GetClump());
    }
    mDrawnBeforeLayers = BackBufferPixel(320, 240);
    mManager.RenderLayers(&camera);
    camera.EndUpdate();
  }

  ScratchFolder mFolder{"clump_draw"};
  cLightmap mLightmap;
  cRenderManager mManager;
  uint32_t mDrawnBeforeLayers = 0;
};

TEST_F(ClumpDrawTest, ModelsDrawInTheirTint) {
  tTestQuad quad;
  quad.centre = {0.0f, 0.0f, 10.0f};
  quad.size = 4.0f;
  const std::string path = Model("panel.dff", {quad});
  cStaticLitClumpRO prototype(path.c_str(), &mLightmap, nullptr);
  cStaticLitClumpRO object(prototype);
  object.UpdateLightColour(nullptr);
  Draw({&object});
  // The average of the maps: red (0 + 64 + 128 + 192) / 4, green 128.
  const uint32_t pixel = BackBufferPixel(320, 240);
  EXPECT_NEAR(96, static_cast<int>(pixel >> 16), 2);
  EXPECT_NEAR(128, static_cast<int>((pixel >> 8) & 0xFF), 2);
  EXPECT_EQ(0u, pixel & 0xFF);

  object.SetColourTable("0000FF0000FF0000FF0000FF");
  Draw({&object});
  EXPECT_EQ(0x0000FFu, BackBufferPixel(320, 240));
}

TEST_F(ClumpDrawTest, TwoSidedModelsShowTheirBacksAndPrioritiesWaitForTheLayers) {
  tTestQuad back;
  back.centre = {0.0f, 0.0f, 10.0f};
  back.size = 4.0f;
  back.mirrored = true;  // its front faces away from the camera
  const std::string path = Model("fence.dff", {back});
  cClumpRO object(path.c_str(), nullptr);
  Draw({&object});
  EXPECT_EQ(0u, BackBufferPixel(320, 240));
  RpAtomic* atomic = object.GetFirstAtomic();
  RpAtomicSetFlags(atomic, RpAtomicGetFlags(atomic) | kAtomicFlagTwoSided);
  Draw({&object});
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(320, 240));
  EXPECT_EQ(kCullModeBack, GetRenderState(kRwRenderStateCullMode));

  SetAtomicRenderPriority(atomic, 1);
  Draw({&object});
  EXPECT_EQ(0u, mDrawnBeforeLayers);
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(320, 240));
}

TEST_F(ClumpDrawTest, FarCopiesDrawTheLodGeometry) {
  tTestQuad quad;
  quad.size = 20.0f;
  const std::string path = Model("tower.dff", {quad});
  cClumpRO prototype(path.c_str(), nullptr);
  tTestQuad far = quad;
  far.prelit = {255, 0, 0, 255};
  RpGeometry* lod = MakeQuadGeometry(far);
  prototype.SetLodGeometry(lod);
  prototype.SetLodDistance(4.0f);  // levels over 40 units
  cClumpRO near(prototype);
  cClumpRO distant(prototype);
  const RwV3d nearPosition = {0.0f, 0.0f, 3.0f};
  const RwV3d farPosition = {0.0f, 0.0f, 60.0f};
  RwFrameTranslate(near.GetFrame(), &nearPosition, kRwCombineReplace);
  RwFrameTranslate(distant.GetFrame(), &farPosition, kRwCombineReplace);
  Draw({&distant});
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  Draw({&near});
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(320, 240));
  RpGeometryDestroy(lod);
}

}  // namespace
