// The material-effects pipelines drawing squares: the road each effect takes
// under each caps profile (stage operations, passes, blends saved and
// restored, validations made once), and pictures: single-pass and
// multi-pass roads of one effect alike, bump maps shaded by the light's
// direction, black mode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/plugin/matfx/matfx_bump_vertices.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "tests/engine/plugin/matfx/matfx_fixture.h"
#include "tools/forge/forge.h"

namespace {

using d3d8test::CapsProfile;
using matfx_test::MatFXTest;
using matfx_test::ShadeNear;

constexpr RwUInt32 kPrelitFormat = rpGEOMETRYPRELIT | rpGEOMETRYNORMALS | rpGEOMETRYTEXTURED;
constexpr uint32_t kGrey = 0xFF808080u;
constexpr uint32_t kDark = 0xFF404040u;

class MatFXPipeTest : public MatFXTest {
 protected:
  // A square of the material drawn through the effects pipeline.
  RpAtomic* EffectSquare(RpMaterial* material, RwUInt32 format = kPrelitFormat) {
    RpAtomic* atomic = FirstAtomic(OneAtomicClump(Square(material, format)));
    RpMatFXAtomicEnableEffects(atomic);
    return atomic;
  }

  RpMaterial* EnvMaterial(RwReal coefficient) {
    RpMaterial* material = Material(kRpMatFXEffectEnvMap);
    RpMaterialSetTexture(material, Plain("base", kGrey));
    RpMatFXMaterialSetEnvMapTexture(material, Plain("chrome", kDark));
    RpMatFXMaterialSetEnvMapCoefficient(material, coefficient);
    return material;
  }

  RpMaterial* DualMaterial(RwUInt32 src, RwUInt32 dest, uint32_t second = kGrey) {
    RpMaterial* material = Material(kRpMatFXEffectDual);
    RpMaterialSetTexture(material, Plain("base", kGrey));
    RpMatFXMaterialSetDualTexture(material, Plain("second", second));
    RpMatFXMaterialSetDualBlendModes(material, src, dest);
    return material;
  }

  static unsigned Draws() { return Calls("DrawIndexedPrimitive") + Calls("DrawPrimitive"); }

  // Whether the device was sent the stage state.
  static bool StageSent(uint64_t stage, uint64_t type, uint64_t value) {
    for (const std::vector<uint64_t>& args : d3d8test::AllArgs(Device(), "SetTextureStageState")) {
      if (args.size() >= 3 && args[0] == stage && args[1] == type && args[2] == value) {
        return true;
      }
    }
    return false;
  }

  // The values the device was sent for a render state, in order.
  static std::vector<uint64_t> RenderStateValues(uint64_t state) {
    std::vector<uint64_t> values;
    for (const std::vector<uint64_t>& args : d3d8test::AllArgs(Device(), "SetRenderState")) {
      if (args.size() >= 2 && args[0] == state) {
        values.push_back(args[1]);
      }
    }
    return values;
  }

  // The device got the pass's blend functions (those that differ from the
  // engine's) and the engine has its own back, to be sent with the next draw.
  void ExpectBlendsUsedAndRestored(uint64_t src, uint64_t dest) {
    const std::pair<uint64_t, uint64_t> used[2] = {{D3DRS_SRCBLEND, src}, {D3DRS_DESTBLEND, dest}};
    const uint64_t engine[2] = {EngineBlend(kRwRenderStateSrcBlend), EngineBlend(kRwRenderStateDestBlend)};
    for (int i = 0; i < 2; i++) {
      EXPECT_EQ(engine[i], blendsBefore_[i]);
      const std::vector<uint64_t> sent = RenderStateValues(used[i].first);
      EXPECT_EQ(sent, used[i].second == engine[i] ? std::vector<uint64_t>{} : std::vector<uint64_t>{used[i].second});
    }
  }

  static uint64_t EngineBlend(RwInt32 state) {
    void* value = nullptr;
    RwD3D8RenderStateGet(state, &value);
    return reinterpret_cast<uintptr_t>(value);
  }

  // One frame recorded from a clean slate.
  void RecordFrame() {
    blendsBefore_[0] = EngineBlend(kRwRenderStateSrcBlend);
    blendsBefore_[1] = EngineBlend(kRwRenderStateDestBlend);
    Record();
    ASSERT_TRUE(Frame());
  }

  uint64_t blendsBefore_[2] = {};
};

TEST_F(MatFXPipeTest, EnvironmentRoadsFollowTheCaps) {
  struct Case {
    const char* name;
    CapsProfile profile;
    RwReal coefficient;
    unsigned draws;
    uint64_t stage1Op;  // 0: stage 1 not used
    unsigned validations;
  };
  const Case cases[] = {
      {"multiply-add at half strength", CapsProfile::Full, 0.5f, 1, D3DTOP_MULTIPLYADD, 0},
      {"add at full strength", CapsProfile::Full, 1.0f, 1, D3DTOP_ADD, 1},
      {"second pass without multiply-add", CapsProfile::Minimal, 0.5f, 2, 0, 0},
      {"add validated on two stages", CapsProfile::Minimal, 1.0f, 1, D3DTOP_ADD, 1},
      {"no strength: plain", CapsProfile::Full, 0.0f, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.profile);
    EffectSquare(EnvMaterial(c.coefficient));
    RecordFrame();
    EXPECT_EQ(Draws(), c.draws);
    EXPECT_EQ(Calls("ValidateDevice"), c.validations);
    if (c.stage1Op != 0) {
      EXPECT_TRUE(StageSent(1, D3DTSS_COLOROP, c.stage1Op));
      EXPECT_TRUE(StageSent(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL));
    }
    if (c.coefficient == 0.5f) {
      EXPECT_EQ(RenderStateValues(D3DRS_TEXTUREFACTOR), std::vector<uint64_t>{0x80808080u});
    }
    if (c.draws == 2) {
      // The added pass: source alpha and one, then the blends back.
      ExpectBlendsUsedAndRestored(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
      EXPECT_EQ(RenderStateValues(D3DRS_ZWRITEENABLE), (std::vector<uint64_t>{FALSE}));
      RwUInt32 zWrite = 0;
      RwD3D8GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
      EXPECT_EQ(zWrite, static_cast<RwUInt32>(TRUE));
      EXPECT_TRUE(StageSent(0, D3DTSS_COLORARG2, D3DTA_TFACTOR));
    }
    // The validation is made once.
    RecordFrame();
    EXPECT_EQ(Calls("ValidateDevice"), 0u);
    EXPECT_EQ(Draws(), c.draws);
    StopEngine();
  }
}

TEST_F(MatFXPipeTest, EnvironmentPassesPaintLikeTheStages) {
  Start();
  RpMaterial* material = EnvMaterial(1.0f);
  EffectSquare(material);
  for (RwReal coefficient : {1.0f, 0.5f}) {
    SCOPED_TRACE(coefficient);
    RpMatFXMaterialSetEnvMapCoefficient(material, coefficient);
    // Grey plus the environment at the strength.
    const uint32_t wanted = coefficient == 1.0f ? 0xC0C0C0u : 0xA0A0A0u;
    RpMatFXD3D8State* state = _rpMatFXD3D8State();
    ASSERT_TRUE(Frame());
    EXPECT_TRUE(ShadeNear(Centre(), wanted));
    state->multiplyAdd = FALSE;
    state->envAddPending = FALSE;
    state->envAddValidated = FALSE;
    Record();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Draws(), 2u);
    EXPECT_TRUE(ShadeNear(Centre(), wanted));
    state->multiplyAdd = TRUE;
  }
}

TEST_F(MatFXPipeTest, EnvironmentStagesTakeCameraSpaceCoordinates) {
  Start();
  RwTexture* environment = Plain("chrome", kDark);
  RwFrame* frame = RwFrameCreate();
  ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
  struct Case {
    const char* name;
    RwFrame* frame;
    float scaleU;  // the transform's u from the normal's x
  };
  for (const Case& c : {Case{"fixed mapping", nullptr, 0.5f}, Case{"frame at the camera", frame, -0.5f}}) {
    SCOPED_TRACE(c.name);
    RpMatFXD3D8EnvMapSetupStage(environment, 1, c.frame);
    RwUInt32 index = 0;
    RwD3D8GetTextureStageState(1, D3DTSS_TEXCOORDINDEX, &index);
    EXPECT_EQ(index, static_cast<RwUInt32>(D3DTSS_TCI_CAMERASPACENORMAL));
    D3DMATRIX transform;
    RwD3D8GetTransform(D3DTS_TEXTURE0 + 1, &transform);
    EXPECT_FLOAT_EQ(transform.m[0][0], c.scaleU);
    EXPECT_FLOAT_EQ(transform.m[1][1], -0.5f);
    EXPECT_FLOAT_EQ(transform.m[3][0], 0.5f);
    EXPECT_FLOAT_EQ(transform.m[3][1], 0.5f);
  }
  // A cube map takes the reflection vector, untransformed.
  RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(environment->raster);
  extension->cube = 1;
  RpMatFXD3D8EnvMapSetupStage(environment, 2, nullptr);
  RwUInt32 index = 0;
  RwD3D8GetTextureStageState(2, D3DTSS_TEXCOORDINDEX, &index);
  EXPECT_EQ(index, static_cast<RwUInt32>(D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR));
  extension->cube = 0;
  RwD3D8SetTexture(nullptr, 1);
  RwD3D8SetTexture(nullptr, 2);
  RwCameraEndUpdate(camera_);
  RwFrameDestroy(frame);
}

TEST_F(MatFXPipeTest, BumpAndEnvironmentAddTheEnvironmentPass) {
  Start(CapsProfile::Minimal);
  RpMaterial* material = Material();
  RpMaterialSetTexture(material, Plain("base", kGrey, 8));
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectBumpEnvMap);
  RpMatFXMaterialSetBumpMapTexture(material, Plain("flat", kGrey, 8));
  RpMatFXMaterialSetEnvMapTexture(material, Plain("chrome", kDark));
  RpMatFXMaterialSetEnvMapCoefficient(material, 1.0f);
  EffectSquare(material);
  RecordFrame();
  // Two bump passes, then the environment added.
  EXPECT_EQ(Draws(), 3u);
  EXPECT_TRUE(StageSent(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL));
  // Flat bumps leave the grey; the environment adds its shade.
  EXPECT_TRUE(ShadeNear(Centre(), 0xC0C0C0u));
}

TEST_F(MatFXPipeTest, DualRoadsFollowTheCaps) {
  struct Case {
    const char* name;
    CapsProfile profile;
    RwUInt32 src;
    RwUInt32 dest;
    unsigned draws;
    uint64_t stage1Op;
    unsigned validations;
  };
  const Case cases[] = {
      {"product", CapsProfile::Full, 9, 1, 1, D3DTOP_MODULATE, 0},
      {"product on two stages", CapsProfile::Minimal, 9, 1, 1, D3DTOP_MODULATE, 0},
      {"alpha blend on three stages", CapsProfile::ThreeStages, 5, 6, 1, D3DTOP_BLENDTEXTUREALPHA, 0},
      {"alpha blend on eight stages", CapsProfile::Full, 5, 6, 2, 0, 0},
      {"alpha blend on two stages", CapsProfile::Minimal, 5, 6, 2, 0, 0},
      {"double product validated", CapsProfile::Full, 9, 3, 1, D3DTOP_MODULATE2X, 1},
      {"double product without modulate-2x", CapsProfile::Minimal, 9, 3, 2, 0, 0},
      {"sum by multiply-add", CapsProfile::ThreeStages, 2, 2, 1, D3DTOP_MULTIPLYADD, 0},
      {"sum without multiply-add", CapsProfile::Minimal, 2, 2, 2, 0, 0},
      {"times the second's alpha", CapsProfile::Minimal, 1, 5, 1, D3DTOP_MODULATE, 0},
      {"a pair without stages", CapsProfile::Full, 5, 2, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.profile);
    EffectSquare(DualMaterial(c.src, c.dest));
    RecordFrame();
    EXPECT_EQ(Draws(), c.draws);
    EXPECT_EQ(Calls("ValidateDevice"), c.validations);
    if (c.stage1Op != 0) {
      EXPECT_TRUE(StageSent(1, D3DTSS_COLOROP, c.stage1Op));
      // One coordinate set: the second texture reads set 0, then 1 again.
      EXPECT_TRUE(StageSent(1, D3DTSS_TEXCOORDINDEX, 0));
    } else {
      ExpectBlendsUsedAndRestored(c.src, c.dest);
    }
    RecordFrame();
    EXPECT_EQ(Calls("ValidateDevice"), 0u);
    EXPECT_EQ(Draws(), c.draws);
    StopEngine();
  }
}

TEST_F(MatFXPipeTest, DualPassesPaintLikeTheStages) {
  Start(CapsProfile::ThreeStages);
  struct Case {
    RwUInt32 src;
    RwUInt32 dest;
    uint32_t second;
    uint32_t wanted;
  };
  // Grey times grey; and red at half alpha over grey.
  const Case cases[] = {{9, 1, kGrey, 0x404040u}, {5, 6, 0x80FF0000u, 0xBF4040u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.src);
    EffectSquare(DualMaterial(c.src, c.dest, c.second));
    RpMatFXD3D8State* state = _rpMatFXD3D8State();
    Record();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Draws(), 1u);
    EXPECT_TRUE(ShadeNear(Centre(), c.wanted, 4));
    state->twoTextures = FALSE;
    Record();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Draws(), 2u);
    EXPECT_TRUE(ShadeNear(Centre(), c.wanted, 4));
    state->twoTextures = TRUE;
    StopEngine();
    Start(CapsProfile::ThreeStages);
  }
}

TEST_F(MatFXPipeTest, BumpMapsShadeByTheLightsDirection) {
  Start();
  // Heights rising along u by 32 a texel: a shift of two texels changes the
  // shade by a quarter of the colour.
  RwTexture* heights = Texture("ramp", 8, 8, [](RwInt32 x, RwInt32) {
    const RwUInt32 h = 32u * static_cast<RwUInt32>(x);
    return 0xFF000000u | (h << 16) | (h << 8) | h;
  });
  RpMaterial* material = Material();
  RpMaterialSetTexture(material, Plain("base", kGrey, 8));
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectBumpMap);
  RpMatFXMaterialSetBumpMapTexture(material, heights);
  RpMatFXMaterialSetBumpMapCoefficient(material, 2.0f);
  RpMatFXBumpMapData& bump = RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap)->bumpMap;
  ASSERT_NE(bump.bumpTexture, nullptr);
  EffectSquare(material);

  RwFrame* lightFrame = RwFrameCreate();
  RpLight* light = RpLightCreate(rpLIGHTDIRECTIONAL);
  RpLightSetFrame(light, lightFrame);
  bump.frame = lightFrame;
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  std::vector<uint32_t> shades;
  for (RwReal angle : {90.0f, -90.0f, 0.0f}) {
    SCOPED_TRACE(angle);
    RwFrameRotate(lightFrame, &up, angle, kRwCombineReplace);
    Record();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Draws(), 2u);  // two blended passes from the rebuilt vertices
    if (shades.empty()) {
      EXPECT_EQ(Args("SetVertexShader"), std::vector<uint64_t>{kRpMatFXBumpVertexFvf});
      EXPECT_EQ(Args("SetStreamSource").back(), sizeof(RpMatFXBumpVertex));
    }
    shades.push_back(Centre() & 0xFF);
  }
  // Light along the heights' slope brightens or darkens by a quarter of the
  // grey; light along the view leaves it.
  EXPECT_NEAR(static_cast<int>(shades[2]), 0x80, 3);
  EXPECT_NEAR(std::abs(static_cast<int>(shades[0]) - static_cast<int>(shades[1])), 0x40, 6);
  EXPECT_NEAR(static_cast<int>(shades[0]) + static_cast<int>(shades[1]), 2 * 0x80, 6);
  bump.frame = nullptr;
  RpLightSetFrame(light, nullptr);
  RpLightDestroy(light);
  RwFrameDestroy(lightFrame);
}

TEST_F(MatFXPipeTest, ForgedWorldSectorsDrawTheirEffects) {
  Start();
  Plain("base", kGrey);
  Plain("chrome", kDark);
  // A pre-lit wall facing the camera 10 units ahead and a floor reaching back
  // to it, of one environment-mapped material, as one sector.
  ForgeSoup soup;
  ForgeMaterial material;
  material.texture = "base";
  material.effects.effects = kRpMatFXEffectEnvMap;
  material.effects.envTexture = "chrome";
  soup.materials.push_back(material);
  const RwV3d corners[8] = {{-4, 4, 10},  {4, 4, 10},  {-4, -4, 10}, {4, -4, 10},
                            {-4, -4, 10}, {4, -4, 10}, {-4, -4, 0},  {4, -4, 0}};
  for (int i = 0; i < 8; i++) {
    ForgeVertex vertex;
    vertex.position = corners[i];
    vertex.normal = i < 4 ? RwV3d{0, 0, -1} : RwV3d{0, 1, 0};
    vertex.uv[0] = {corners[i].x, corners[i].y};
    soup.vertices.push_back(vertex);
  }
  soup.triangles = {{{0, 1, 2}, 0}, {{2, 1, 3}, 0}, {{4, 5, 6}, 0}, {{6, 5, 7}, 0}};
  ForgeWorldOptions options;
  options.flags |= rpWORLDNORMALS | rpWORLDPRELIT;
  options.texCoordSets = 1;
  options.hooks.push_back(ForgeMatFXWorldHook());
  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  RpWorldAddCamera(world, camera_);

  Record();
  EXPECT_TRUE(DrawFrame({0, 0, 0, 255}, [world] { return RpWorldRender(world) != nullptr; }));
  EXPECT_TRUE(StageSent(1, D3DTSS_COLOROP, D3DTOP_ADD));
  EXPECT_TRUE(ShadeNear(Centre(), 0xC0C0C0u));

  RpWorldRemoveCamera(world, camera_);
  RpWorldDestroy(world);
}

TEST_F(MatFXPipeTest, UnlitSquaresWithoutPrelightAreBlack) {
  Start();
  EffectSquare(EnvMaterial(1.0f), rpGEOMETRYNORMALS | rpGEOMETRYTEXTURED);
  RecordFrame();
  EXPECT_EQ(Centre(), 0x000000u);
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(RenderStateValues(D3DRS_TEXTUREFACTOR), std::vector<uint64_t>{0xFF000000u});
  EXPECT_TRUE(StageSent(0, D3DTSS_COLORARG2, D3DTA_TFACTOR));
}

}  // namespace
