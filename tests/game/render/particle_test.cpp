// Tests of the simulation steps over a live list: forces, integration,
// expiry and the bounding sphere.
#include "game/render/particle.h"

#include <gtest/gtest.h>

#include "game/render/particle_force.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particle_fixture.h"

namespace {

class ParticleTest : public ParticleEngineTest {
 protected:
  void TearDown() override {
    KillParticles(&mLive);
    ParticleEngineTest::TearDown();
  }

  tParticle* Add(const RwV3d& position, const RwV3d& velocity, f32 lifeSpan) {
    tParticle* particle = new tParticle();
    particle->position = position;
    particle->velocity = velocity;
    particle->lifeSpan = lifeSpan;
    mLive.Append(particle);
    return particle;
  }

  cList mLive;
};

TEST_F(ParticleTest, ForcesAccelerateThenParticlesMove) {
  tParticle* p = Add({0, 0, 0}, {1, 0, 0}, 10.0f);
  cParticleForce gravity({0.0f, -10.0f, 0.0f});
  cParticleForce wind({0.0f, 0.0f, 2.0f});
  for (int step = 0; step < 2; step++) {
    gravity.Apply(&mLive);
    wind.Apply(&mLive);
    IntegrateParticles(&mLive, 0.5f);
  }
  ExpectV3d({1.0f, -10.0f, 2.0f}, p->velocity);
  ExpectV3d({1.0f, -7.5f, 1.5f}, p->position);  // the new velocity moves it: -2.5 then -5
  ExpectV3d({0.0f, 0.0f, 0.0f}, p->force);
  EXPECT_EQ(1.0f, p->age);
  IntegrateParticles(&mLive, 0.5f);  // no force: the velocity stays
  ExpectV3d({1.0f, -10.0f, 2.0f}, p->velocity);
}

TEST_F(ParticleTest, ParticlesDieWhenTheirAgeReachesTheirSpan) {
  Add({0, 0, 0}, {0, 0, 0}, 0.5f);
  tParticle* older = Add({0, 0, 0}, {0, 0, 0}, 0.75f);
  Add({0, 0, 0}, {0, 0, 0}, 0.0f);
  IntegrateParticles(&mLive, 0.25f);
  ExpireParticles(&mLive);
  EXPECT_EQ(2u, mLive.Count());  // the one of no span at its first step
  IntegrateParticles(&mLive, 0.25f);
  ExpireParticles(&mLive);  // age 0.5 equals the span
  ASSERT_EQ(1u, mLive.Count());
  EXPECT_EQ(older, NextParticle(mLive, nullptr));
}

TEST_F(ParticleTest, BoundsAreTheCentroidAndTheFarthestParticle) {
  RwV3d centre = {9, 9, 9};
  f32 radius = 9.0f;
  ParticleBounds(mLive, &centre, &radius);
  ExpectV3d({0, 0, 0}, centre);
  EXPECT_EQ(0.0f, radius);
  Add({1, 0, 0}, {0, 0, 0}, 1.0f);
  Add({3, 0, 0}, {0, 0, 0}, 1.0f);
  Add({2, 3, 0}, {0, 0, 0}, 1.0f);
  ParticleBounds(mLive, &centre, &radius);
  ExpectV3d({2, 1, 0}, centre);
  EXPECT_FLOAT_EQ(2.0f, radius);
}

}  // namespace
