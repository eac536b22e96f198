// The scene with a forged world on the fake driver: the manager takes the
// world from the scene's world object with the scene's lights, clump objects
// enter and leave it, render objects with an atomic go to the world, lights
// and objects deleted while in it leave it first, the fatal messages without
// a world, and world files read (or not) from disk.
#include <memory>

#include "game/render/models/clump_ro.h"
#include "game/render/models/model_files.h"
#include "game/render/scene/scene.h"
#include "game/render/collision/world_collision.h"
#include "tests/game/render/models/model_fixture.h"
#include "tests/support/quad_model.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/forge.h"

namespace {

class WorldTestScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

// A render object that stands for an atomic in the world.
class AtomicObject : public cRenderObject {
 public:
  explicit AtomicObject(cAtomicRO* atomic) : mAtomic(atomic) {}
  u32 GetRoType() override { return kRoTypeOpaque; }
  RpAtomic* GetAtomic() override { return mAtomic->GetAtomic(); }
  RwFrame* GetFrame() override { return mAtomic->GetFrame(); }
  void Render(cCamera*) override {}

 private:
  cAtomicRO* mAtomic;
};

ForgeSoup Room() {
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  ForgeAddBox(&soup, RwV3d{-10.0f, 0.0f, -10.0f}, RwV3d{10.0f, 5.0f, 10.0f}, 0);
  return soup;
}

class SceneWorldTest : public ModelEngineTest {
 protected:
  void SetUp() override {
    ModelEngineTest::SetUp();
    mWorld = ForgeWorldCreate(Room(), ForgeWorldOptions());
    ASSERT_NE(nullptr, mWorld);
    mWorldObject = std::make_unique<cWorldCollision>(mWorld, mWorld, 0);
  }
  void TearDown() override {
    mWorldObject.reset();
    if (mWorld != nullptr) {
      RpWorldDestroy(mWorld);
    }
    ModelEngineTest::TearDown();
  }

  // A scene whose manager has the forged world and the scene's lights.
  void Attach(cScene& scene) {
    scene.SetWorldObject(mWorldObject.get());
    scene.GetRenderManager().SetScene(&scene, 1);
  }

  ScratchFolder mFolder{"scene_world"};
  RpWorld* mWorld = nullptr;
  std::unique_ptr<cWorldCollision> mWorldObject;
};

TEST_F(SceneWorldTest, ClumpsLightsAndAtomicsEnterAndLeaveTheWorld) {
  auto scene = std::make_unique<WorldTestScene>();
  Attach(*scene);
  cRenderManager& manager = scene->GetRenderManager();
  EXPECT_EQ(mWorld, manager.GetWorld());
  EXPECT_EQ(mWorld, RpLightGetWorld(scene->GetAmbientLight().GetLight()));
  EXPECT_EQ(mWorld, RpLightGetWorld(scene->GetDirectionalLight().GetLight()));

  const std::string path = mFolder.File("box.dff");
  ASSERT_TRUE(WriteQuadModel(path, {tTestQuad()}));
  auto object = std::make_unique<cClumpRO>(path.c_str(), nullptr);
  scene->AddClump(object.get());
  EXPECT_EQ(scene.get(), object->GetScene());
  EXPECT_EQ(mWorld, RpClumpGetWorld(object->GetClump()));
  scene->RemoveClump(object.get());
  EXPECT_EQ(nullptr, object->GetScene());
  EXPECT_EQ(nullptr, RpClumpGetWorld(object->GetClump()));
  scene->RemoveClump(object.get());  // in no scene: nothing
  // Deleted while in the world, the object takes its clump out first.
  scene->AddClump(object.get());
  object.reset();

  // A level light joins the manager's world.
  cLight lamp(rpLIGHTPOINT);
  manager.AddLight(&lamp);
  EXPECT_EQ(mWorld, RpLightGetWorld(lamp.GetLight()));

  // An object with an atomic is placed in the world, not in the list.
  std::vector<std::string> log;
  auto bolt = std::make_unique<RecordingAtomicRO>(&log, "bolt", 2, 0.0f, 1.0f, 0.0f);
  AtomicObject standIn(bolt.get());
  manager.AddRO(&standIn);
  EXPECT_EQ(mWorld, RpAtomicGetWorld(bolt->GetAtomic()));
  EXPECT_TRUE(manager.GetRenderObjects().IsEmpty());
  bolt.reset();

  // The scene's lights leave the world with the scene; the world outlives
  // them (checked by the sanitizer when the world goes).
  scene.reset();
}

TEST_F(SceneWorldTest, WithoutAWorldAddingAndRemovingAreFatal) {
  const std::string path = mFolder.File("box.dff");
  ASSERT_TRUE(WriteQuadModel(path, {tTestQuad()}));
  cClumpRO object(path.c_str(), nullptr);
  WorldTestScene scene;
  EXPECT_DEATH(scene.AddClump(&object), "cRenderManager::AddClump : RWWorld hasn't been set, yet");
  EXPECT_DEATH(scene.GetRenderManager().AddClump(&object), "cRenderManager::AddClump : RWWorld hasn't been set, yet");
  object.SetScene(&scene);
  EXPECT_DEATH(scene.RemoveClump(&object), "cRenderManager::RemoveClump : RWWorld is NULL");
  object.SetScene(nullptr);
  // A manager without a world keeps objects with atomics in its list.
  std::vector<std::string> log;
  RecordingAtomicRO bolt(&log, "bolt", 2, 0.0f, 0.0f, 0.0f);
  AtomicObject standIn(&bolt);
  scene.GetRenderManager().AddRO(&standIn);
  EXPECT_EQ(1u, scene.GetRenderManager().GetRenderObjects().Count());
}

TEST_F(SceneWorldTest, WorldFilesAreReadOrAnsweredNull) {
  const std::string worldPath = mFolder.File("level.bsp");
  ASSERT_TRUE(ForgeWriteWorldFile(worldPath.c_str(), Room(), ForgeWorldOptions()));
  RpWorld* world = LoadWorldFile(worldPath.c_str(), nullptr);
  ASSERT_NE(nullptr, world);
  int sectors = 0;
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector* sector, void* data) {
        ++*static_cast<int*>(data);
        return sector;
      },
      &sectors);
  EXPECT_LT(0, sectors);
  RpWorldDestroy(world);
  EXPECT_EQ(nullptr, LoadWorldFile(mFolder.File("missing.bsp").c_str(), nullptr));
  const std::string clumpPath = mFolder.File("box.dff");
  ASSERT_TRUE(WriteQuadModel(clumpPath, {tTestQuad()}));
  EXPECT_EQ(nullptr, LoadWorldFile(clumpPath.c_str(), nullptr));
}

}  // namespace
