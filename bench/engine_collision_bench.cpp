// Costs of the collision plugin: building the tree of a 10 000-triangle
// geometry (a seeded soup, as a level's props would give).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "tests/support/fake_driver.h"

namespace {

constexpr int kBuildTriangles = 10000;

// The engine started on the fake driver with the collision plugin attached.
class StartedEngine {
 public:
  bool Start() {
    FakeDriverInstall();
    RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
    started_ = RwEngineInit(nullptr, 0, 4194304) && RpWorldPluginAttach() && RpCollisionPluginAttach() &&
               RwEngineOpen(&params) && RwEngineStart();
    return started_;
  }

  ~StartedEngine() {
    FakeEngineShutdown();
    FakeDriverUninstall();
  }

 private:
  bool started_ = false;
};

StartedEngine& Engine() {
  static StartedEngine engine;
  static const bool started = engine.Start();
  if (!started) {
    std::abort();
  }
  return engine;
}

// Triangles of up to a tenth of the extent, anywhere in a cube.
RpGeometry* SoupGeometry(unsigned seed, int count, float extent) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> anywhere(-extent, extent);
  std::uniform_real_distribution<float> near(-extent / 10.0f, extent / 10.0f);
  RpGeometry* geometry = RpGeometryCreate(3 * count, count, 0);
  for (int i = 0; i < count; ++i) {
    RwV3d* v = geometry->morphTarget[0].verts + 3 * i;
    v[0] = {anywhere(random), anywhere(random), anywhere(random)};
    v[1] = {v[0].x + near(random), v[0].y + near(random), v[0].z + near(random)};
    v[2] = {v[0].x + near(random), v[0].y + near(random), v[0].z + near(random)};
    const auto base = static_cast<RwUInt16>(3 * i);
    geometry->triangles[i] = {{base, static_cast<RwUInt16>(base + 1), static_cast<RwUInt16>(base + 2)}, 0};
  }
  return RpGeometryUnlock(geometry);
}

void BM_CollisionTreeBuild(benchmark::State& state) {
  Engine();
  RpGeometry* geometry = SoupGeometry(1, kBuildTriangles, 100.0f);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RpCollisionGeometryBuildData(geometry));
  }
  state.SetItemsProcessed(state.iterations() * kBuildTriangles);
  RpGeometryDestroy(geometry);
}
BENCHMARK(BM_CollisionTreeBuild)->Unit(benchmark::kMillisecond);

}  // namespace
