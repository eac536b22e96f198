// Tests of particle instancers: quads turned in the view plane with frames
// of a texture strip over the life, the oldest particles drawn when there
// are more than the capacity, lines fading along the velocity, clones; and
// on the Direct3D 8 stand-in a sprite and a line's fading tail read back.
#include "game/render/particles/particle_instancer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/app/pak_file.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/particles/particle.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_state.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particles/particle_fixture.h"
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"

namespace {

// Live particles made by hand.
class ParticleList {
 public:
  ~ParticleList() { KillParticles(&mLive); }

  tParticle* Add(const RwV3d& position, const RwV3d& velocity, f32 age, f32 lifeSpan) {
    tParticle* particle = new tParticle();
    particle->position = position;
    particle->velocity = velocity;
    particle->age = age;
    particle->lifeSpan = lifeSpan;
    mLive.Append(particle);
    return particle;
  }

  cList mLive;
};

RwMatrix Identity() {
  RwMatrix matrix;
  RwMatrixSetIdentity(&matrix);
  return matrix;
}

using ParticleInstancerTest = ParticleSceneTest;

TEST_F(ParticleInstancerTest, SpritesAreSquaresTurnedInTheViewPlane) {
  cRO_PInstancer_Im3DSprite sprite(4);
  sprite.Init(Group("SIZE = 2\nROTATE = [{0,0},{1,180}]\nCOLOR = [{0,(1,0,0,1)},{1,(0,0,1,0)}]\n"));
  ParticleList particles;
  particles.Add({1, 2, 3}, {0, 0, 0}, 0.0f, 1.0f);
  particles.Add({1, 2, 3}, {0, 0, 0}, 0.25f, 0.5f);  // half its life: turned 90 degrees
  particles.Add({0, 0, 0}, {0, 0, 0}, 0.0f, 0.0f);   // no life span: drawn as at its start
  sprite.SetParticles(&particles.mLive);
  const RwMatrix identity = Identity();
  ASSERT_EQ(3u, sprite.BuildVertices(&identity));
  const RwIm3DVertex* v = sprite.GetVertices();
  ExpectV3d({0, 1, 3}, v[0].objVertex);
  ExpectV3d({0, 3, 3}, v[1].objVertex);
  ExpectV3d({2, 1, 3}, v[2].objVertex);
  ExpectV3d({2, 3, 3}, v[3].objVertex);
  EXPECT_EQ(0xFFFF0000u, v[0].color);
  // At 90 degrees A = -1 and B = 1: the corners have gone round by one.
  ExpectV3d({2, 1, 3}, v[4].objVertex);
  ExpectV3d({0, 1, 3}, v[5].objVertex);
  ExpectV3d({2, 3, 3}, v[6].objVertex);
  ExpectV3d({0, 3, 3}, v[7].objVertex);
  EXPECT_EQ(0x7F7F007Fu, v[7].color);
  ExpectV3d({-1, -1, 0}, v[8].objVertex);
  EXPECT_EQ(0xFFFF0000u, v[8].color);
  const RwUInt16 pattern[6] = {4, 5, 6, 5, 6, 7};
  for (u32 k = 0; k < 6; k++) {
    EXPECT_EQ(pattern[k], sprite.GetIndices()[6 + k]);
  }

  SCOPED_TRACE("a strip of frames: frame 2 of 4 at 0.6 of the life, frame 0 without a span");
  cRO_PInstancer_Im3DSprite strip(3);
  strip.Init(Group("NUMFRAMES = 4\n"));
  ParticleList aged;
  aged.Add({0, 0, 5}, {0, 0, 0}, 0.6f, 1.0f);
  aged.Add({0, 0, 5}, {0, 0, 0}, 2.0f, 0.0f);
  strip.SetParticles(&aged.mLive);
  strip.BuildVertices(&identity);
  const f32 u[8] = {0.5f, 0.5f, 0.75f, 0.75f, 0.0f, 0.0f, 0.25f, 0.25f};
  for (u32 k = 0; k < 8; k++) {
    EXPECT_EQ(u[k], strip.GetVertices()[k].u) << k;
  }

  SCOPED_TRACE("without SIZE the quads have no size; the colour goes from white to white; one frame");
  cRO_PInstancer_Im3DSprite bare(1);
  bare.Init(Group("BLEND = ADD\n"));
  EXPECT_EQ(kBlendOne, bare.GetDestinationBlend());
  bare.SetParticles(&particles.mLive);
  bare.BuildVertices(&identity);
  ExpectV3d({1, 2, 3}, bare.GetVertices()[3].objVertex);
  EXPECT_EQ(0xFFFFFFFFu, bare.GetVertices()[3].color);
  EXPECT_EQ(1.0f, bare.GetVertices()[3].u);
  EXPECT_EQ(1.0f, bare.GetVertices()[3].v);
}

TEST_F(ParticleInstancerTest, OnlyTheOldestParticlesUpToTheCapacityAreDrawn) {
  ParticleList particles;
  for (int i = 0; i < 5; i++) {
    particles.Add({static_cast<f32>(i), 0, 0}, {0, 1, 0}, 0.0f, 1.0f);
  }
  const RwMatrix identity = Identity();
  cRO_PInstancer_Im3DSprite sprite(3);
  sprite.SetParticles(&particles.mLive);
  EXPECT_EQ(3u, sprite.BuildVertices(&identity));
  EXPECT_EQ(2.0f, sprite.GetVertices()[8].objVertex.x);
  cRO_PInstancer_Im3DLine line(2);
  line.SetParticles(&particles.mLive);
  EXPECT_EQ(2u, line.BuildVertices(&identity));
  EXPECT_EQ(1.0f, line.GetVertices()[2].objVertex.x);
  cRO_PInstancer_Im3DSprite none(0);
  none.SetParticles(&particles.mLive);
  EXPECT_EQ(0u, none.BuildVertices(&identity));
}

TEST_F(ParticleInstancerTest, LinesTrailBackAlongTheVelocityAndFade) {
  cRO_PInstancer_Im3DLine line(2);
  line.Init(Group("COLOR = [{0,(1,0.5,0,1)},{1,(1,0.5,0,0)}]\nLINE_LENGTH = 0.5\nBLEND = ADD\n"));
  ParticleList particles;
  particles.Add({1, 1, 1}, {2, 0, 4}, 0.5f, 1.0f);
  line.SetParticles(&particles.mLive);
  const RwMatrix identity = Identity();
  ASSERT_EQ(1u, line.BuildVertices(&identity));
  ExpectV3d({1, 1, 1}, line.GetVertices()[0].objVertex);
  ExpectV3d({0, 1, -1}, line.GetVertices()[1].objVertex);
  EXPECT_EQ(0x7FFF7F00u, line.GetVertices()[0].color);
  EXPECT_EQ(0x00FF7F00u, line.GetVertices()[1].color);

  SCOPED_TRACE("clones draw alike with envelopes of their own");
  std::unique_ptr<cRO_PInstancer> clone(line.Clone());
  auto* copy = static_cast<cRO_PInstancer_Im3DLine*>(clone.get());
  EXPECT_EQ(0.5f, copy->GetLineLength());
  EXPECT_EQ(kBlendOne, copy->GetDestinationBlend());
  EXPECT_NE(line.GetColourEnvelope(), copy->GetColourEnvelope());
  copy->SetParticles(&particles.mLive);
  copy->BuildVertices(&identity);
  EXPECT_EQ(0x7FFF7F00u, copy->GetVertices()[0].color);
}

// On the Direct3D 8 stand-in: a camera at the origin looking along +z.
class ParticleDrawTest : public ScreenEngineTest, protected ElementGroupParser {
 protected:
  ParticleDrawTest() {
    attach_ = [] { return RpWorldPluginAttach() && RpRandomPluginAttach() && RegisterAtomicPlugin(); };
  }

  void Draw(cRO_PInstancer& instancer) {
    cCamera camera;
    ClearTarget(screen_);
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    SetRenderState(kRwRenderStateZWriteEnable, 1);
    SetRenderState(kRwRenderStateDestBlend, kBlendOne);
    instancer.Render(&camera);
    EXPECT_EQ(1, GetRenderState(kRwRenderStateZWriteEnable));
    EXPECT_EQ(kBlendOne, GetRenderState(kRwRenderStateDestBlend));
    EXPECT_EQ(kCullModeBack, GetRenderState(kRwRenderStateCullMode));
    camera.EndUpdate();
  }

  // The brightest red of the columns around x in row y.
  static uint32_t RedNear(int x, int y) {
    uint32_t brightest = 0;
    for (int dx = -2; dx <= 2; dx++) {
      const uint32_t red = BackBufferPixel(x + dx, y) >> 16;
      brightest = red > brightest ? red : brightest;
    }
    return brightest;
  }
};

TEST_F(ParticleDrawTest, SpritesShowTheirFrameOfTheStrip) {
  // A strip of four 8-pixel frames: red, green, blue, white.
  forge::BmpDescription strip;
  strip.width = 32;
  strip.height = 8;
  const uint32_t frames[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int y = 0; y < 8; y++) {
    for (int x = 0; x < 32; x++) {
      strip.pixels.push_back(frames[x / 8]);
    }
  }
  const std::vector<uint8_t> bytes = forge::WriteBmp(strip);
  PackWriter pack;
  pack.Add("data/textures/strip.bmp", std::string(bytes.begin(), bytes.end()));
  const std::string packPath = ScratchPath("particle_strip.pak");
  ASSERT_TRUE(pack.WriteFile(packPath));
  cPakFile::MountDefault(packPath.c_str(), "");

  cRO_PInstancer_Im3DSprite sprite(1);
  sprite.Init(Group("SIZE = 2\nTEXTURE = data/textures/strip\nNUMFRAMES = 4\nBLEND = DECAL\n"));
  ASSERT_NE(nullptr, sprite.GetTexture());
  ParticleList particles;
  tParticle* particle = particles.Add({0, 0, 10}, {0, 0, 0}, 0.6f, 1.0f);
  sprite.SetParticles(&particles.mLive);
  Draw(sprite);
  EXPECT_EQ(kVisibilityFrames, sprite.GetVisibility());
  EXPECT_EQ(0x0000FFu, BackBufferPixel(320, 240));
  // Two units at ten: a tenth of the 640-pixel view.
  EXPECT_NEAR(64, RowWidth(240), 2);
  particle->age = 0.1f;
  Draw(sprite);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  sprite.CountDownVisibility();
  sprite.CountDownVisibility();
  sprite.CountDownVisibility();
  EXPECT_EQ(0, sprite.GetVisibility());
  std::remove(packPath.c_str());
}

TEST_F(ParticleDrawTest, LinesFadeTowardsTheirTail) {
  cRO_PInstancer_Im3DLine line(1);
  line.Init(Group("COLOR = (1,0,0,1)\nLINE_LENGTH = 2\n"));
  ParticleList particles;
  particles.Add({0, 0, 10}, {0, 1, 0}, 0.0f, 1.0f);  // the tail reaches down to (0, -2, 10)
  line.SetParticles(&particles.mLive);
  Draw(line);
  // The head at the centre, the tail 64 rows below it.
  const uint32_t nearHead = RedNear(320, 246);
  const uint32_t middle = RedNear(320, 272);
  const uint32_t nearTail = RedNear(320, 298);
  EXPECT_GT(nearHead, 200u);
  EXPECT_NEAR(128, static_cast<int>(middle), 20);
  EXPECT_LT(nearTail, 40u);
  EXPECT_EQ(0u, RedNear(320, 310));
  EXPECT_EQ(0u, RedNear(320, 234));
}

}  // namespace
