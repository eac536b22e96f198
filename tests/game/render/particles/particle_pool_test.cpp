// Tests of particle pools on the fake driver: placements coming into view
// take a free instance or the one of a farther placement, which lets it go
// at once; a placement nearer than every holder gets none; instances come
// back when their placement leaves the view.
#include "game/render/particles/particle_pool.h"

#include <gtest/gtest.h>

#include <string>

#include "game/render/scene/camera.h"
#include "game/render/particles/particle_emitter.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/particles/particle_system.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/particles/particle_fixture.h"
#include "tests/support/particle_file_text.h"

namespace {

constexpr RwV3d kAlongZ = {0.0f, 0.0f, 1.0f};

class ParticlePoolTest : public ParticleSceneTest {
 protected:
  // Turns the camera to look along at from the origin.
  static void Look(cCamera& camera, const RwV3d& at) {
    const RwV2d window = {1.0f, 1.0f};
    RwCameraSetViewWindow(camera.GetCamera(), &window);
    RwFrameSetIdentity(camera.GetFrame());
    if (at.z < 0.0f) {
      const RwV3d up = {0.0f, 1.0f, 0.0f};
      RwFrameRotate(camera.GetFrame(), &up, 180.0f, kRwCombineReplace);
    }
    RwFrameSyncDirty();
  }

  // What drawing the instance's elements does to their visibility.
  static void Draw(cMultiParticleSystem* instance, cCamera* camera) {
    for (u32 i = 0; i < instance->GetCount(); i++) {
      instance->GetInstancer(i)->Render(camera);
    }
  }
};

TEST_F(ParticlePoolTest, PlacementsInViewShareTheInstances) {
  const std::string path = ParticleFile(
      "glow.txt", ParticleFileText({{"glow", {{"TYPE", "SPRITE"}, {"BURST", "1"}, {"SPAN", "(100,100)"}}}}));
  cCamera camera;
  Look(camera, kAlongZ);
  ParticleTestScene scene(&camera);
  GiveWorld(&scene);
  cParticlePool* pool = new cParticlePool(&scene, path.c_str(), 1);
  EXPECT_EQ(2u, scene.GetUpdateList().Count());  // the pool and its instance's system
  cMultiParticleSystem* instance = pool->GetInstance(0);
  EXPECT_TRUE(instance->IsOutOfWorld());
  EXPECT_EQ(kNoInstance, pool->GetOwner(0));
  pool->AddPlacement(RwV3d{0.0f, 0.0f, 8.0f}, kAlongZ);
  pool->AddPlacement(RwV3d{0.0f, 0.0f, 5.0f}, RwV3d{1.0f, 0.0f, 0.0f});
  pool->AddPlacement(RwV3d{0.0f, 0.0f, -5.0f}, kAlongZ);
  ASSERT_EQ(3u, pool->GetPlacementCount());

  SCOPED_TRACE("the far placement takes the free instance, the near one takes it away");
  pool->Update(0.04f);
  EXPECT_EQ(kNoInstance, pool->GetPlacement(0).instance);
  EXPECT_EQ(0, pool->GetPlacement(0).visible);
  EXPECT_EQ(0, pool->GetPlacement(1).instance);
  EXPECT_EQ(1, pool->GetPlacement(1).visible);
  EXPECT_EQ(0, pool->GetPlacement(2).visible);
  EXPECT_EQ(1, pool->GetOwner(0));
  EXPECT_FALSE(instance->IsOutOfWorld());
  const RwMatrix* emitter = RwFrameGetLTM(instance->GetEmitter(0)->GetFrame());
  ExpectV3d({0.0f, 0.0f, 5.0f}, emitter->pos);
  ExpectV3d({1.0f, 0.0f, 0.0f}, emitter->at);

  SCOPED_TRACE("drawn, it stays; the far one, nearer than no holder, gets none");
  Draw(instance, &camera);
  pool->Update(0.04f);
  EXPECT_EQ(0, pool->GetPlacement(1).instance);
  EXPECT_EQ(kNoInstance, pool->GetPlacement(0).instance);
  EXPECT_EQ(1, pool->GetOwner(0));

  SCOPED_TRACE("undrawn for two updates, it goes to the placement behind");
  Look(camera, RwV3d{0.0f, 0.0f, -1.0f});
  instance->GetSystem(0)->Update(0.04f);
  instance->GetSystem(0)->Update(0.04f);
  pool->Update(0.04f);
  EXPECT_EQ(kNoInstance, pool->GetPlacement(1).instance);
  EXPECT_EQ(0, pool->GetPlacement(1).visible);
  EXPECT_EQ(0, pool->GetPlacement(2).instance);
  EXPECT_EQ(2, pool->GetOwner(0));
  ExpectV3d({0.0f, 0.0f, -5.0f}, RwFrameGetLTM(instance->GetEmitter(0)->GetFrame())->pos);
  delete pool;
  EXPECT_EQ(0u, scene.GetUpdateList().Count());
}

}  // namespace
