// The render manager with instrumented objects on the fake driver: objects
// assorted by render type and drawn array by array, array 2 and layer 1
// back to front, atomic render objects deferred to their layer, and the
// fatal messages of unknown types, frameless sorted objects and full layers.
#include "game/render/scene/render_manager.h"

#include <memory>

#include "game/render/scene/camera.h"
#include "tests/game/render/models/model_fixture.h"

namespace {

using Log = std::vector<std::string>;

class RenderManagerTest : public ModelEngineTest {};

TEST_F(RenderManagerTest, ObjectsAreDrawnByTypeWithTypeTwoFarthestFirst) {
  Log log;
  // The camera's extra list holds counted references: it goes first.
  std::vector<std::unique_ptr<RecordingObject>> objects;
  cRenderManager manager;
  cCamera camera;
  auto add = [&](const char* name, u32 type, f32 z) {
    objects.push_back(std::make_unique<RecordingObject>(&log, name, type, FrameAt(0.0f, 0.0f, z)));
    manager.AddRO(objects.back().get());
  };
  add("last", kRoTypeLastPass, 0.0f);
  add("near", kRoTypeDistanceSorted, 5.0f);
  add("opaque", kRoTypeOpaque, 0.0f);
  add("far", kRoTypeDistanceSorted, -40.0f);
  add("first", kRoTypeFirstPass, 0.0f);
  add("extra", kRoTypeCameraExtra, 0.0f);
  add("middle", kRoTypeDistanceSorted, 20.0f);
  add("opaque2", kRoTypeOpaque, 0.0f);

  manager.RenderObjects(&camera);
  EXPECT_EQ((Log{"opaque", "opaque2", "first", "far", "middle", "near", "last"}), log);
  EXPECT_EQ(&camera, manager.GetCurrentCamera());
  EXPECT_EQ(1600.0f, objects[3]->GetSortKey());
  ASSERT_EQ(1u, camera.GetExtraList().Count());
  EXPECT_EQ(objects[5].get(), static_cast<cRenderObjectLink*>(camera.GetExtraList().First())->GetObject());

  // The arrays are rebuilt every frame; a destroyed object has left the list.
  log.clear();
  objects[0].reset();
  manager.RenderObjects(&camera);
  EXPECT_EQ((Log{"opaque", "opaque2", "first", "far", "middle", "near"}), log);
  EXPECT_EQ(3u, manager.GetObjectArray(kRoTypeDistanceSorted).GetCount());
  EXPECT_EQ(1u, camera.GetExtraList().Count());
}

TEST_F(RenderManagerTest, EqualDistancesSortConsistently) {
  Log log;
  cRenderManager manager;
  cCamera camera;
  std::vector<std::unique_ptr<RecordingObject>> objects;
  const f32 positions[] = {3.0f, -3.0f, 3.0f, 7.0f, -3.0f, 3.0f, 0.0f};
  for (f32 x : positions) {
    objects.push_back(std::make_unique<RecordingObject>(&log, "o", kRoTypeDistanceSorted, FrameAt(x, 0.0f, 0.0f)));
    manager.AddRO(objects.back().get());
  }
  manager.RenderObjects(&camera);
  const cRenderLayer_Objects& sorted = manager.GetObjectArray(kRoTypeDistanceSorted);
  ASSERT_EQ(7u, sorted.GetCount());
  for (u32 i = 1; i < sorted.GetCount(); i++) {
    EXPECT_GE(sorted.GetObject(i - 1)->GetSortKey(), sorted.GetObject(i)->GetSortKey()) << i;
  }
  EXPECT_EQ(49.0f, sorted.GetObject(0)->GetSortKey());
  EXPECT_EQ(0.0f, sorted.GetObject(6)->GetSortKey());
}

TEST_F(RenderManagerTest, AtomicObjectsDeferToTheirLayersDrawnInLayerOrder) {
  Log log;
  cRenderManager manager;
  cCamera camera;
  RecordingAtomicRO second(&log, "layer2", 3, 0.0f, 0.0f, 1.0f);
  RecordingAtomicRO near(&log, "near", 2, 0.0f, 0.0f, 2.0f);
  RecordingAtomicRO first(&log, "layer0", 1, 0.0f, 0.0f, 50.0f);
  RecordingAtomicRO far(&log, "far", 2, 0.0f, 30.0f, 0.0f);
  RecordingAtomicRO middle(&log, "middle", 2, -10.0f, 0.0f, 0.0f);
  RecordingAtomicRO none(&log, "none", 0, 0.0f, 0.0f, 0.0f);
  EXPECT_EQ(&first, GetAtomicOwner(first.GetAtomic()));
  EXPECT_EQ(0u, RpAtomicGetFlags(first.GetAtomic()) & rpATOMICCOLLISIONTEST);

  // Outside a frame there is no manager to defer to.
  second.Draw();
  EXPECT_EQ(nullptr, cRenderManager::GetCurrent());

  manager.BeginFrame();
  EXPECT_EQ(&manager, cRenderManager::GetCurrent());
  for (RecordingAtomicRO* object : {&second, &near, &first, &far, &middle, &none}) {
    object->Draw();
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(3u, manager.GetItemLayer(1)->GetCount());
  manager.RenderLayers(&camera);
  EXPECT_EQ((Log{"layer0", "far", "middle", "near", "layer2"}), log);
  EXPECT_FLOAT_EQ(30.0f, manager.GetItemLayer(1)->GetItem(0).sortKey);

  // A new frame starts with empty layers.
  manager.BeginFrame();
  EXPECT_EQ(0u, manager.GetItemLayer(1)->GetCount());
}

TEST_F(RenderManagerTest, FaultsEndTheProgramWithTheirMessages) {
  Log log;
  cCamera camera;
  EXPECT_DEATH(
      {
        cRenderManager manager;
        RecordingObject odd(&log, "odd", 5, nullptr);
        manager.AddRO(&odd);
        manager.RenderObjects(&camera);
      },
      "cRenderManager::AssortRenderObjects - unknown rotype");
  EXPECT_DEATH(
      {
        cRenderManager manager;
        RecordingObject frameless(&log, "frameless", kRoTypeDistanceSorted, nullptr);
        manager.AddRO(&frameless);
        manager.RenderObjects(&camera);
      },
      "cRenderLayer_Objects\\(\\): alpha sorted object should have a frame!");
  cRenderItemLayer layer;
  RecordingAtomicRO object(&log, "o", 1, 0.0f, 0.0f, 0.0f);
  for (u32 i = 0; i < kRenderItemLayerCapacity; i++) {
    layer.AddRenderItemRO(&object);
  }
  EXPECT_DEATH(layer.AddRenderItemRO(&object), "cRenderItemLayer::AddRenderItemRO : array is full");
  EXPECT_DEATH(layer.AddRenderItemAtomic(object.GetAtomic()), "cRenderItemLayer::AddRenderItemAtomic : array is full");
}

}  // namespace
