// Tests of particle emitters: births from rate, carry and burst, the cone of
// the point emitter, the spread along the emitter's path, and the fatal
// values of the emitter keys.
#include "game/render/particle_emitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/render/particle.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particle_fixture.h"

namespace {

class ParticleEmitterTest : public ParticleEngineTest {
 protected:
  void TearDown() override {
    KillParticles(&mLive);
    ParticleEngineTest::TearDown();
  }

  tParticle* At(u32 index) {
    tParticle* particle = NextParticle(mLive, nullptr);
    for (u32 i = 0; i < index && particle != nullptr; i++) {
      particle = NextParticle(mLive, particle);
    }
    return particle;
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
  EXPECT_EQ(0.125f, emitter.GetTime());

  SCOPED_TRACE("without RATE only the burst");
  KillParticles(&mLive);
  cParticleEmitter_Point burstOnly;
  burstOnly.Init(Group("BURST = 3\n"));
  for (int i = 0; i < 4; i++) {
    burstOnly.Update(0.5f, &mLive);
  }
  EXPECT_EQ(3u, mLive.Count());

  SCOPED_TRACE("a rate line stops after its last key");
  KillParticles(&mLive);
  cParticleEmitter_Point line;
  line.Init(Group("RATE = [{0,100},{1,100}]\n"));
  line.Update(0.5f, &mLive);
  line.Update(0.5f, &mLive);
  EXPECT_EQ(100u, mLive.Count());
  line.Update(0.5f, &mLive);
  line.Update(0.5f, &mLive);
  EXPECT_EQ(100u, mLive.Count());
}

TEST_F(ParticleEmitterTest, WildRatesAreCapped) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("RATE = 1e30\nSPAN = (1000,1000)\n"));
  emitter.Update(1.0f, &mLive);
  EXPECT_EQ(kMaxBirthsPerUpdate, mLive.Count());
  EXPECT_EQ(0.0f, emitter.GetCarry());
  for (u32 i = 0; i < kMaxLiveParticles / kMaxBirthsPerUpdate + 2; i++) {
    emitter.Update(1.0f, &mLive);
  }
  EXPECT_EQ(kMaxLiveParticles, mLive.Count());
}

TEST_F(ParticleEmitterTest, ParticlesStartFromTheFrameWithSpanSpeedAndDistance) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("BURST = 20\nSPAN = (2,3)\nSPEED = (4,4)\nDIST = (0.5,0.5)\n"));
  const RwV3d position = {1.0f, 2.0f, 3.0f};
  RwFrameTranslate(emitter.GetFrame(), &position, kRwCombineReplace);
  const RwV3d yAxis = {0.0f, 1.0f, 0.0f};
  RwFrameRotate(emitter.GetFrame(), &yAxis, 90.0f, kRwCombinePreConcat);  // at-axis now +x
  emitter.Update(0.04f, &mLive);
  ASSERT_EQ(20u, mLive.Count());
  for (tParticle* p = NextParticle(mLive, nullptr); p != nullptr; p = NextParticle(mLive, p)) {
    EXPECT_EQ(0.0f, p->age);
    EXPECT_GE(p->lifeSpan, 2.0f);
    EXPECT_LT(p->lifeSpan, 3.0f);
    ExpectV3d({1.5f, 2.0f, 3.0f}, p->position);
    ExpectV3d({4.0f, 0.0f, 0.0f}, p->velocity);
    ExpectV3d({0.0f, 0.0f, 0.0f}, p->force);
  }
}

TEST_F(ParticleEmitterTest, ConesCoverTheirAngles) {
  struct Case {
    const char* angle;
    f32 lowestZ;
    f32 highestZ;
    f32 meanZ;
  };
  // Uniform over the solid angle: the cosine is uniform between its ends.
  const Case cases[] = {{"(0,0)", 1.0f, 1.0f, 1.0f},
                        {"(0,180)", -1.0f, 1.0f, 0.0f},
                        {"(90,90)", 0.0f, 0.0f, 0.0f},
                        {"(0,90)", 0.0f, 1.0f, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    KillParticles(&mLive);
    cParticleEmitter_Point emitter;
    emitter.Init(Group(std::string("BURST = 2000\nSPEED = (1,1)\nANGLE = ") + c.angle + "\n"));
    emitter.Update(0.04f, &mLive);
    f32 lowest = 2.0f;
    f32 highest = -2.0f;
    RwV3d sum = {0.0f, 0.0f, 0.0f};
    for (tParticle* p = NextParticle(mLive, nullptr); p != nullptr; p = NextParticle(mLive, p)) {
      EXPECT_NEAR(1.0f, RwV3dLength(&p->velocity), 1e-5f);
      lowest = std::fmin(lowest, p->velocity.z);
      highest = std::fmax(highest, p->velocity.z);
      RwV3dAdd(&sum, &sum, &p->velocity);
    }
    EXPECT_NEAR(c.lowestZ, lowest, 0.01f);
    EXPECT_NEAR(c.highestZ, highest, 0.01f);
    // Uniform about the axis: the sideways parts cancel out.
    EXPECT_NEAR(0.0f, sum.x / 2000.0f, 0.05f);
    EXPECT_NEAR(0.0f, sum.y / 2000.0f, 0.05f);
    EXPECT_NEAR(c.meanZ, sum.z / 2000.0f, 0.05f);
  }
}

TEST_F(ParticleEmitterTest, BirthsOfOneUpdateSpreadBackAlongThePath) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("RATE = 80\nINHERITSPEED = 0.5\n"));
  emitter.Update(0.0625f, &mLive);  // first update: the emitter has no velocity yet
  KillParticles(&mLive);
  const RwV3d step = {2.0f, 0.0f, 0.0f};
  RwFrameTranslate(emitter.GetFrame(), &step, kRwCombinePostConcat);
  emitter.Update(0.0625f, &mLive);  // 5 particles in 1/16 s
  ExpectV3d({32.0f, 0.0f, 0.0f}, emitter.GetVelocity(), 1e-3f);
  ASSERT_EQ(5u, mLive.Count());
  for (u32 k = 0; k < 5; k++) {
    SCOPED_TRACE(k);
    ExpectV3d({2.0f - 0.4f * static_cast<f32>(k), 0.0f, 0.0f}, At(k)->position, 1e-4f);
    ExpectV3d({16.0f, 0.0f, 0.0f}, At(k)->velocity, 1e-3f);
  }
  SCOPED_TRACE("a paused frame keeps the velocity");
  emitter.Update(0.0f, &mLive);
  ExpectV3d({32.0f, 0.0f, 0.0f}, emitter.GetVelocity(), 1e-3f);
}

TEST_F(ParticleEmitterTest, KeysAreReadAndBadValuesAreFatal) {
  cParticleEmitter_Point emitter;
  emitter.Init(Group("SPAN = (0.5,2)\nSPEED = (1,3)\nDIST = (-1,1)\nINHERITSPEED = 0.25\nANGLE = (10,180)\n"));
  f32 min = 0.0f;
  f32 max = 0.0f;
  emitter.GetSpan(&min, &max);
  EXPECT_EQ(0.5f, min);
  EXPECT_EQ(2.0f, max);
  emitter.GetSpeed(&min, &max);
  EXPECT_EQ(3.0f, max);
  emitter.GetDist(&min, &max);
  EXPECT_EQ(-1.0f, min);
  EXPECT_EQ(0.25f, emitter.GetInheritSpeed());
  EXPECT_FLOAT_EQ(0.17453292f, emitter.GetAngleMin());
  EXPECT_FLOAT_EQ(3.1415926f, emitter.GetAngleMax());
  EXPECT_EQ(nullptr, emitter.GetRateEnvelope());

  struct Case {
    const char* lines;
    const char* message;
  };
  const Case cases[] = {
      {"RATE = [{0,1},{1}]\n", "cRO_PInstancer_Im3DSprite::Init\\(\\) : invalid Ratee"},
      {"BURST = -1\n", "cParticleEmitter::Init\\(\\) : invalid burst"},
      {"SPAN = (1,-1)\n", "cParticleEmitter::Init\\(\\) : invalid span"},
      {"SPAN = (nan,1)\n", "cParticleEmitter::Init\\(\\) : invalid span"},
      {"SPAN = 1\n", "cParticleEmitter::Init\\(\\) : invalid span"},
      {"SPEED = (1,2,3)\n", "cParticleEmitter::Init\\(\\) : invalid speed"},
      {"DIST = 4\n", "cParticleEmitter::Init\\(\\) : invalid dist"},
      {"ANGLE = (0,181)\n", "cParticleEmitter_Point::Init\\(\\) : invalid angle"},
      {"ANGLE = (-1,10)\n", "cParticleEmitter_Point::Init\\(\\) : invalid angle"},
      {"ANGLE = 10\n", "cParticleEmitter_Point::Init\\(\\) : invalid angle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const cPropertyGroup& group = Group(c.lines);
    EXPECT_DEATH(
        {
          cParticleEmitter_Point bad;
          bad.Init(group);
        },
        c.message);
  }
}

}  // namespace
