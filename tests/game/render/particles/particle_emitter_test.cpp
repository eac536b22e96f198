// Tests of particle emitters: births from rate, carry and burst, the start
// of particles from the frame, the cone of the point emitter, the spread
// along the emitter's path, and the fatal values of the emitter keys.
#include "game/render/particles/particle_emitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/render/particles/particle.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particles/particle_fixture.h"

namespace {

class ParticleEmitterTest : public ParticleEngineTest {
 protected:
  void TearDown() override {
    KillParticles(&mLive);
    ParticleEngineTest::TearDown();
  }

  // Births of updates of dt seconds from an emitter of the keys.
  u32 Births(const std::string& keys, f32 dt, int updates) {
    KillParticles(&mLive);
    cParticleEmitter_Point emitter;
    emitter.Init(Group(keys));
    for (int i = 0; i < updates; i++) {
      emitter.Update(dt, &mLive);
    }
    return mLive.Count();
  }

  cList mLive;
};

TEST_F(ParticleEmitterTest, BirthsFollowTheRateWithCarryAndBurst) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("RATE = 4\nBURST = 5\n"));
  emitter.Update(0.625f, &mLive);  // 2.5 owed: 2 born, 0.125 s carried, plus the burst
  EXPECT_EQ(7u, mLive.Count());
  EXPECT_EQ(0.125f, emitter.GetCarry());
  emitter.Update(0.625f, &mLive);  // 0.75 s: 3 born, nothing carried, no burst again
  EXPECT_EQ(10u, mLive.Count());
  EXPECT_EQ(0.0f, emitter.GetCarry());
  emitter.Restart();
  emitter.Update(0.125f, &mLive);  // the burst again, half a particle owed
  EXPECT_EQ(15u, mLive.Count());
  EXPECT_EQ(0.125f, emitter.GetCarry());

  EXPECT_EQ(3u, Births("BURST = 3\n", 0.5f, 4));                     // no RATE: the burst alone
  EXPECT_EQ(100u, Births("RATE = [{0,100},{1,100}]\n", 0.5f, 4));    // stops after its last key
  EXPECT_EQ(kMaxBirthsPerUpdate, Births("RATE = 1e30\n", 1.0f, 1));  // a wild rate is capped
  EXPECT_EQ(kMaxLiveParticles, Births("RATE = inf\nSPAN = (9,9)\n", 1.0f, 6));
}

TEST_F(ParticleEmitterTest, ParticlesStartFromTheFrame) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("BURST = 20\nSPAN = (2,3)\nSPEED = (4,4)\nDIST = (0.5,0.5)\n"));
  const RwV3d position = {1.0f, 2.0f, 3.0f};
  RwFrameTranslate(emitter.GetFrame(), &position, kRwCombineReplace);
  const RwV3d yAxis = {0.0f, 1.0f, 0.0f};
  RwFrameRotate(emitter.GetFrame(), &yAxis, 90.0f, kRwCombinePreConcat);  // at-axis now +x
  emitter.Update(0.04f, &mLive);
  ASSERT_EQ(20u, mLive.Count());
  for (tParticle* p = NextParticle(mLive, nullptr); p != nullptr; p = NextParticle(mLive, p)) {
    EXPECT_GE(p->lifeSpan, 2.0f);
    EXPECT_LT(p->lifeSpan, 3.0f);
    ExpectV3d({1.5f, 2.0f, 3.0f}, p->position);
    ExpectV3d({4.0f, 0.0f, 0.0f}, p->velocity);
  }
}

TEST_F(ParticleEmitterTest, ConesCoverTheirAnglesUniformly) {
  struct Case {
    const char* angle;
    f32 lowestZ;
    f32 highestZ;
    f32 meanZ;  // uniform over the solid angle: the cosine is uniform
  };
  const Case cases[] = {{"(0,0)", 1.0f, 1.0f, 1.0f}, {"(0,180)", -1.0f, 1.0f, 0.0f}, {"(0,90)", 0.0f, 1.0f, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    ASSERT_EQ(2000u, Births(std::string("BURST = 2000\nSPEED = (1,1)\nANGLE = ") + c.angle + "\n", 0.04f, 1));
    f32 lowest = 2.0f;
    f32 highest = -2.0f;
    RwV3d sum = {0.0f, 0.0f, 0.0f};
    for (tParticle* p = NextParticle(mLive, nullptr); p != nullptr; p = NextParticle(mLive, p)) {
      lowest = std::fmin(lowest, p->velocity.z);
      highest = std::fmax(highest, p->velocity.z);
      RwV3dAdd(&sum, &sum, &p->velocity);
    }
    EXPECT_NEAR(c.lowestZ, lowest, 0.01f);
    EXPECT_NEAR(c.highestZ, highest, 0.01f);
    ExpectV3d({0.0f, 0.0f, c.meanZ}, {sum.x / 2000, sum.y / 2000, sum.z / 2000}, 0.05f);
  }
}

TEST_F(ParticleEmitterTest, BirthsOfOneUpdateSpreadBackAlongThePath) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("RATE = 80\nINHERITSPEED = 0.5\n"));
  emitter.Update(0.0625f, &mLive);  // first update: the emitter has no velocity yet
  KillParticles(&mLive);
  const RwV3d step = {2.0f, 0.0f, 0.0f};
  RwFrameTranslate(emitter.GetFrame(), &step, kRwCombinePostConcat);
  emitter.Update(0.0625f, &mLive);  // 5 particles in 1/16 s, at 32 units a second
  ASSERT_EQ(5u, mLive.Count());
  u32 k = 0;
  for (tParticle* p = NextParticle(mLive, nullptr); p != nullptr; p = NextParticle(mLive, p), k++) {
    ExpectV3d({2.0f - 0.4f * static_cast<f32>(k), 0.0f, 0.0f}, p->position, 1e-4f);
    ExpectV3d({16.0f, 0.0f, 0.0f}, p->velocity, 1e-3f);
  }
  emitter.Update(0.0f, &mLive);  // a paused frame keeps the velocity
  ExpectV3d({32.0f, 0.0f, 0.0f}, emitter.GetVelocity(), 1e-3f);
}

TEST_F(ParticleEmitterTest, BadValuesAreFatal) {
  const char* cases[][2] = {
      {"RATE = [{0,1},{1}]\n", "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid Ratee"},
      {"BURST = -1\n", "cParticleEmitter::Init\\(\\) : invalid burst"},
      {"SPAN = (1,-1)\n", "cParticleEmitter::Init\\(\\) : invalid span"},
      {"SPAN = (nan,1)\n", "cParticleEmitter::Init\\(\\) : invalid span"},
      {"SPEED = (1,2,3)\n", "cParticleEmitter::Init\\(\\) : invalid speed"},
      {"DIST = 4\n", "cParticleEmitter::Init\\(\\) : invalid dist"},
      {"ANGLE = (0,181)\n", "cParticleEmitter_Point::Init\\(\\) : invalid angle"},
      {"ANGLE = (-1,10)\n", "cParticleEmitter_Point::Init\\(\\) : invalid angle"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    const cPropertyGroup& group = Group(c[0]);
    EXPECT_DEATH(
        {
          cParticleEmitter_Point bad;
          bad.Init(group);
        },
        c[1]);
  }
}

}  // namespace
