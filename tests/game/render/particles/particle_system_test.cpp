// Tests of particle effects on the fake driver: elements loaded from their
// files through the scene's cache, simulation with forces, expiry and
// bounds, entering and leaving the world, and the fatal answers to bad
// files.
#include "game/render/particles/particle_system.h"

#include <gtest/gtest.h>

#include <string>

#include "game/render/particles/particle_emitter.h"
#include "game/render/particles/particle_force.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/scene/render_state.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particles/particle_fixture.h"
#include "tests/support/particle_file_text.h"

namespace {

constexpr RwV3d kOrigin = {0.0f, 0.0f, 0.0f};
constexpr RwV3d kSystemAlongZ = {0.0f, 0.0f, 1.0f};

const RwSphere& InstancerSphere(const cMultiParticleSystem& effect, u32 index) {
  return RpGeometryGetMorphTarget(RpAtomicGetGeometry(effect.GetInstancer(index)->GetAtomic()), 0)->boundingSphere;
}

using ParticleSystemTest = ParticleSceneTest;

TEST_F(ParticleSystemTest, EffectsLoadEveryElementOfTheirFile) {
  const std::string path = ParticleFile("every.txt", ParticleFileText(EveryKeyElements("nothing/here")));
  ParticleTestScene scene;
  cMultiParticleSystem effect;
  effect.Load(&scene, path.c_str(), RwV3d{1.0f, 2.0f, 3.0f}, RwV3d{0.0f, 0.0f, -2.0f});
  ASSERT_EQ(2u, effect.GetCount());
  const auto* sparks = static_cast<const cRO_PInstancer_Im3DSprite*>(effect.GetInstancer(0));
  EXPECT_EQ(64u, sparks->GetCapacity());
  EXPECT_EQ(4u, sparks->GetFrameCount());
  EXPECT_EQ(nullptr, sparks->GetTexture());  // a texture that cannot be read leaves none
  EXPECT_NE(nullptr, sparks->GetRotationEnvelope());
  const auto* trails = static_cast<const cRO_PInstancer_Im3DLine*>(effect.GetInstancer(1));
  EXPECT_EQ(32u, trails->GetCapacity());
  EXPECT_EQ(0.05f, trails->GetLineLength());
  EXPECT_EQ(kBlendSrcAlpha, trails->GetSourceBlend());
  EXPECT_EQ(0u, effect.GetSystem(0)->GetForces().Count());
  ASSERT_EQ(1u, effect.GetSystem(1)->GetForces().Count());
  ExpectV3d({0.0f, -9.8f, 0.0f},
            static_cast<cParticleForce*>(effect.GetSystem(1)->GetForces().First())->GetAcceleration());
  EXPECT_EQ(8, effect.GetEmitter(0)->GetBurst());
  const RwMatrix* frame = RwFrameGetLTM(effect.GetEmitter(1)->GetFrame());
  ExpectV3d({1.0f, 2.0f, 3.0f}, frame->pos);
  ExpectV3d({0.0f, 0.0f, -1.0f}, frame->at);
  EXPECT_EQ(2u, scene.GetUpdateList().Count());
  EXPECT_TRUE(effect.IsOutOfWorld());  // no world to join

  SCOPED_TRACE("the cache keeps files by their exact name");
  cMultiParticleSystem again;
  again.Load(&scene, path.c_str(), kOrigin, kSystemAlongZ);
  EXPECT_EQ(1u, scene.GetPropertyFileCache()->GetCount());
  cMultiParticleSystem spelledApart;
  spelledApart.Load(&scene, (mFolder.Path() + "/./every.txt").c_str(), kOrigin, kSystemAlongZ);
  EXPECT_EQ(2u, scene.GetPropertyFileCache()->GetCount());

  SCOPED_TRACE("a plain list and the default capacity");
  const std::string plain =
      ParticleFile("plain.txt", "[init]\nELEMENTS = a, b\n[a]\nTYPE = LINE\n[b]\nTYPE = SPRITE\n");
  cMultiParticleSystem two;
  two.Load(&scene, plain.c_str(), kOrigin, kSystemAlongZ);
  ASSERT_EQ(2u, two.GetCount());
  EXPECT_EQ(1u, static_cast<const cRO_PInstancer_Im3DSprite*>(two.GetInstancer(1))->GetCapacity());
}

TEST_F(ParticleSystemTest, SystemsSimulateAndBoundTheirParticles) {
  const std::string path = ParticleFile(
      "fountain.txt",
      ParticleFileText(
          {{"jet", {{"TYPE", "SPRITE"}, {"BURST", "4"}, {"SPAN", "(1,1)"}, {"SPEED", "(2,2)"}, {"FORCE", "(0,-4,0)"}}},
           {"idle", {{"TYPE", "LINE"}}}}));
  ParticleTestScene scene;
  cMultiParticleSystem effect;
  effect.Load(&scene, path.c_str(), RwV3d{0.0f, 1.0f, 0.0f}, kSystemAlongZ);
  cParticleSystem* jet = effect.GetSystem(0);
  EXPECT_TRUE(effect.IsFinished());
  jet->Update(0.25f);  // the burst, born where the emitter stands
  effect.GetSystem(1)->Update(0.25f);
  ASSERT_EQ(4u, jet->GetLive().Count());
  EXPECT_FALSE(effect.IsFinished());
  ExpectV3d({0.0f, 1.0f, 0.0f}, InstancerSphere(effect, 0).center);
  EXPECT_EQ(0.0f, InstancerSphere(effect, 0).radius);
  // Without particles: centred at the origin, the margin (0) as radius.
  ExpectV3d(kOrigin, InstancerSphere(effect, 1).center);
  EXPECT_EQ(0.0f, InstancerSphere(effect, 1).radius);

  jet->Update(0.5f);  // the force turns (0, 0, 2) into (0, -2, 2), which moves them by (0, -1, 1)
  const tParticle* first = NextParticle(jet->GetLive(), nullptr);
  ExpectV3d({0.0f, -2.0f, 2.0f}, first->velocity);
  ExpectV3d({0.0f, 0.0f, 1.0f}, first->position);
  ExpectV3d({0.0f, 0.0f, 1.0f}, InstancerSphere(effect, 0).center);
  jet->Update(0.5f);  // age 1.0 equals the span: all gone
  EXPECT_TRUE(effect.IsFinished());
}

TEST_F(ParticleSystemTest, EffectsEnterAndLeaveTheWorld) {
  const std::string path =
      ParticleFile("puff.txt", ParticleFileText({{"puff", {{"TYPE", "SPRITE"}, {"BURST", "3"}, {"SPAN", "(5,5)"}}},
                                                 {"trail", {{"TYPE", "LINE"}, {"BURST", "2"}}}}));
  ParticleTestScene scene;
  GiveWorld(&scene);
  cMultiParticleSystem effect;
  effect.Load(&scene, path.c_str(), kOrigin, kSystemAlongZ);
  EXPECT_FALSE(effect.IsOutOfWorld());
  EXPECT_EQ(World(), RpAtomicGetWorld(effect.GetInstancer(1)->GetAtomic()));
  effect.GetSystem(0)->Update(0.1f);
  EXPECT_EQ(3u, effect.GetSystem(0)->GetLive().Count());

  effect.RemoveFromWorld();
  EXPECT_TRUE(effect.IsOutOfWorld());
  EXPECT_EQ(nullptr, RpAtomicGetWorld(effect.GetInstancer(1)->GetAtomic()));
  EXPECT_TRUE(effect.IsFinished());
  effect.GetSystem(0)->Update(0.1f);  // frozen
  EXPECT_TRUE(effect.IsFinished());

  effect.SetPosition(RwV3d{2.0f, 1.0f, 0.0f}, RwV3d{1.0f, 0.0f, 0.0f});
  effect.MoveEmitter(1, RwV3d{0.0f, 0.0f, 3.0f});
  effect.MoveEmitter(2, RwV3d{0.0f, 0.0f, 3.0f});  // no such element
  const RwMatrix* puff = RwFrameGetLTM(effect.GetEmitter(0)->GetFrame());
  ExpectV3d({2.0f, 1.0f, 0.0f}, puff->pos);
  ExpectV3d({1.0f, 0.0f, 0.0f}, puff->at);
  ExpectV3d({0.0f, 0.0f, -1.0f}, puff->right);
  ExpectV3d({2.0f, 1.0f, 3.0f}, RwFrameGetLTM(effect.GetEmitter(1)->GetFrame())->pos);

  effect.AddToWorld();
  EXPECT_FALSE(effect.IsOutOfWorld());
  effect.GetSystem(0)->Update(0.1f);  // the burst again, at the new place
  ASSERT_EQ(3u, effect.GetSystem(0)->GetLive().Count());
  ExpectV3d({2.0f, 1.0f, 0.0f}, NextParticle(effect.GetSystem(0)->GetLive(), nullptr)->position);

  SCOPED_TRACE("without a world, entering it is fatal");
  ParticleTestScene bare;
  cMultiParticleSystem lost;
  lost.Load(&bare, path.c_str(), kOrigin, kSystemAlongZ);
  EXPECT_DEATH(lost.AddToWorld(), "cRenderManager::AddRO : RWWorld hasn't been set, yet");
}

TEST_F(ParticleSystemTest, BadFilesAreFatal) {
  struct Case {
    const char* text;  // null: no file
    const char* message;
  };
  const Case cases[] = {
      {nullptr, "cMultiParticleSystem property file is missing:.*missing\\.txt"},
      {"[start]\nELEMENTS = a\n", "cMultiParticleSystem Error! : PropertyGroup not found! \\(init\\)"},
      {"[init]\nELEMENT = a\n", "cMultiParticleSystem Error! : Property not found! \\(ELEMENTS\\)"},
      {"[init]\nELEMENTS = [a,b]\n[a]\nTYPE = LINE\n",
       "cMultiParticleSystem Error! : PropertyGroup not found! \\(b\\)"},
      {"[init]\nELEMENTS = a\n[a]\nMAXNUMBER = 3\n", "cMultiParticleSystem Error! : Property not found! \\(TYPE\\)"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = POINT\n", "Bad Type parameter \\(SPRITE/LINE\\)"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nMAXNUMBER = -1\n",
       "cMultiParticleSystem::Load\\(\\) : invalid maxnumber"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nMAXNUMBER = 16385\n", "invalid maxnumber"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = LINE\nMAXNUMBER = 32769\n", "invalid maxnumber"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = LINE\nFORCE = (1,2)\n", "cProperty::GetV3dFatal : failure! \\(FORCE\\)"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nCOLOR = [{0,1},{1,1}]\n",
       "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid color"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nSIZE = [{0,1},{1}]\n",
       "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid size"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nROTATE = [{0},{1,1}]\n",
       "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid rotate"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nBLEND = add\n",
       "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid blend \\(ADD,DECAL\\)"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = SPRITE\nNUMFRAMES = 0\n",
       "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid numframes"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = LINE\nCOLOR = 1\n", "cRO_PInstancer_Im3DLine::Init\\(\\) : invalid color"},
      {"[init]\nELEMENTS = a\n[a]\nTYPE = LINE\nBLEND = MIX\n",
       "cRO_PInstancer_Im3DLine::Init\\(\\) : invalid blend \\(ADD,DECAL\\)"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const std::string name = "bad" + std::to_string(n++) + ".txt";
    const std::string path = c.text != nullptr ? ParticleFile(name, c.text) : mFolder.File("missing.txt");
    EXPECT_DEATH(
        {
          ParticleTestScene scene;
          cMultiParticleSystem effect;
          effect.Load(&scene, path.c_str(), kOrigin, kSystemAlongZ);
        },
        c.message);
  }
  SCOPED_TRACE("the largest counts the indices reach");
  const std::string largest = ParticleFile(
      "largest.txt",
      "[init]\nELEMENTS = a,b\n[a]\nTYPE = SPRITE\nMAXNUMBER = 16384\n[b]\nTYPE = LINE\nMAXNUMBER = 32768\n");
  ParticleTestScene scene;
  cMultiParticleSystem effect;
  effect.Load(&scene, largest.c_str(), kOrigin, kSystemAlongZ);
  EXPECT_EQ(65535, static_cast<const cRO_PInstancer_Im3DSprite*>(effect.GetInstancer(0))->GetIndices()[16384 * 6 - 1]);
}

}  // namespace
