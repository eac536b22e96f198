// The render manager's per-frame sorting work: 10,000 distance-sorted render
// objects assorted and sorted back to front, and 1,000 atomic render objects
// deferred to layer 1 and sorted, with the camera moving every frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_manager.h"
#include "tests/fuzz/fake_device_engine.h"

namespace {

constexpr int kSortedObjects = 10000;
constexpr int kLayerItems = 1000;
constexpr u8 kLayerOne = 2;  // 1-based layer of the atomic render objects

// A deterministic spread of positions over a 200-unit cube.
RwV3d Spread(int i) {
  const uint64_t n = static_cast<uint64_t>(i);
  return {static_cast<f32>(n * 7919 % 200) - 100.0f, static_cast<f32>(n * 104729 % 200) - 100.0f,
          static_cast<f32>(n * 1299709 % 200) - 100.0f};
}

class SortedObject : public cRenderObject {
 public:
  explicit SortedObject(int i) : mFrame(RwFrameCreate()) {
    const RwV3d position = Spread(i);
    RwFrameTranslate(mFrame, &position, kRwCombineReplace);
  }
  ~SortedObject() override { RwFrameDestroy(mFrame); }
  u32 GetRoType() override { return kRoTypeDistanceSorted; }
  RwFrame* GetFrame() override { return mFrame; }
  void Render(cCamera*) override {}

 private:
  RwFrame* mFrame;
};

class LayerObject : public cAtomicRO {
 public:
  explicit LayerObject(int i) : cAtomicRO(1.0f, kLayerOne) {
    const RwV3d position = Spread(i + kSortedObjects);
    RwFrameTranslate(GetFrame(), &position, kRwCombineReplace);
  }
  void Render(cCamera*) override {}
};

void BM_AssortAndSortFrame(benchmark::State& state) {
  if (!fakedevice::Init(nullptr, 1u << 20) || !RpWorldPluginAttach() || !RegisterAtomicPlugin() ||
      !fakedevice::OpenAndStart()) {
    state.SkipWithError("engine did not start");
    return;
  }
  {
    cRenderManager manager;
    cCamera camera;
    std::vector<std::unique_ptr<SortedObject>> objects;
    for (int i = 0; i < kSortedObjects; i++) {
      objects.push_back(std::make_unique<SortedObject>(i));
      manager.AddRO(objects.back().get());
    }
    std::vector<std::unique_ptr<LayerObject>> items;
    for (int i = 0; i < kLayerItems; i++) {
      items.push_back(std::make_unique<LayerObject>(i));
    }
    int frame = 0;
    for (auto _ : state) {
      const RwV3d eye = Spread(frame++);
      RwFrameTranslate(camera.GetFrame(), &eye, kRwCombineReplace);
      manager.BeginFrame();
      manager.RenderObjects(&camera);
      for (const auto& item : items) {
        DeferAtomicRO(item->GetAtomic());
      }
      manager.RenderLayers(&camera);
      benchmark::DoNotOptimize(manager.GetItemLayer(1)->GetItem(0).sortKey);
    }
  }
  RwEngineStop();
  RwEngineClose();
  RwEngineTerm();
}
BENCHMARK(BM_AssortAndSortFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
