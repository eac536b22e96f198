// Perception and route costs: one frame of 20 perceptors each looking for,
// listening for and ranging 10 bodies through a forged room's collision
// (a floor and pillars between them), and routes on a 50-node corridor and
// on a 5 x 5 grid of waypoints (the search enumerates simple paths, so
// a larger grid grows out of reach).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_folder.h"
#include "game/characters/man_body.h"
#include "game/render/collision/world_collision.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/sensors/perceptor.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tools/forge/files/locator_writer.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kPerceptors = 20;
constexpr int kBodies = 10;

class Body : public cManBody {
 public:
  explicit Body(const RwV3d& at) : cManBody(kManKindGuard), frame_(RwFrameCreate()) {
    RwFrameTranslate(frame_, &at, kRwCombineReplace);
    SetPerceivableOffset(RwV3d{0.0f, 1.7f, 0.0f});
    SetVisibilityMargin(0.5f);
    SetNoise(2.0f);
  }
  ~Body() override { RwFrameDestroy(frame_); }
  RwFrame* GetFrame() const override { return frame_; }

 private:
  RwFrame* frame_;
};

class Eye : public cPerceptor {
 public:
  explicit Eye(const RwV3d& at) : frame_(RwFrameCreate()) {
    RwFrameTranslate(frame_, &at, kRwCombineReplace);
    mEyeOffset = RwV3d{0.0f, 1.7f, 0.0f};
    mSightRange = 30.0f;
    mHearingRange = 10.0f;
    mAreaRange = 20.0f;
    SetViewAngle(120.0f);
  }
  ~Eye() override { RwFrameDestroy(frame_); }
  RwFrame* GetPerceptorFrame() const override { return frame_; }

 private:
  RwFrame* frame_;
};

bool Start() {
  static const bool started =
      fakedevice::Init(nullptr, 0) && RpWorldPluginAttach() && RpCollisionPluginAttach() && fakedevice::OpenAndStart();
  return started;
}

void BM_PerceptionFrame(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("the engine could not start");
    return;
  }
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  ForgeAddBox(&soup, RwV3d{-30.0f, -1.0f, -30.0f}, RwV3d{30.0f, 0.0f, 30.0f}, 0);
  for (int i = 0; i < 6; i++) {
    const f32 x = static_cast<f32>(i) * 8.0f - 20.0f;
    ForgeAddBox(&soup, RwV3d{x, 0.0f, -1.0f}, RwV3d{x + 1.0f, 3.0f, 1.0f}, 0);
  }
  RpWorld* room = ForgeWorldCreate(soup, ForgeWorldOptions());
  {
    cWorldCollision collision(room, room, 0);
    cList bodies;
    std::unique_ptr<Body> body[kBodies];
    for (int i = 0; i < kBodies; i++) {
      body[i].reset(new Body(RwV3d{static_cast<f32>(i) * 4.0f - 18.0f, 0.0f, 6.0f}));
      bodies.Append(&body[i]->GetBodyLink());
    }
    std::unique_ptr<Eye> eye[kPerceptors];
    for (int i = 0; i < kPerceptors; i++) {
      eye[i].reset(new Eye(RwV3d{static_cast<f32>(i) * 2.0f - 19.0f, 0.0f, -8.0f}));
      eye[i]->mCollision = &collision;
      eye[i]->mBodies = &bodies;
    }
    for (auto _ : state) {
      for (auto& e : eye) {
        benchmark::DoNotOptimize(e->FindVisible(kManKindPlayer));
        benchmark::DoNotOptimize(e->FindVisible(kManKindGuard));
        benchmark::DoNotOptimize(e->FindAudible(kManKindGuard));
        benchmark::DoNotOptimize(e->FindInRange(kManKindGuard));
      }
    }
    bodies.Clear();
  }
  RpWorldDestroy(room);
}
BENCHMARK(BM_PerceptionFrame)->Unit(benchmark::kMicrosecond);

// Routes from the first to the last waypoint: a corridor of 50 or a grid.
void BM_FindRoute(benchmark::State& state) {
  if (!Start()) {
    state.SkipWithError("the engine could not start");
    return;
  }
  const bool grid = state.range(0) != 0;
  const int count = grid ? 25 : 50;
  LocatorWriter writer;
  writer.headerValue = static_cast<u32>(count);
  std::string edges = "[";
  for (int i = 0; i < count; i++) {
    const f32 x = grid ? static_cast<f32>(i % 5) : static_cast<f32>(i);
    const f32 z = grid ? static_cast<f32>(i / 5) : 0.0f;
    writer.Add("wp" + std::to_string(i + 1), "", x, 0.0f, z);
    if (grid ? i % 5 != 4 : i + 1 < count) {
      edges += std::to_string(i + 1) + "," + std::to_string(i + 2) + ",";
    }
    if (grid && i + 5 < count) {
      edges += std::to_string(i + 1) + "," + std::to_string(i + 6) + ",";
    }
  }
  edges.back() = ']';
  const BenchFolder folder("perception_bench");
  const std::string path = (folder.Path() / "graph.xrf").string();
  cWaypointGraph graph;
  if (!writer.WriteFile(path) || !graph.Build(path.c_str(), cString(edges.c_str()))) {
    state.SkipWithError("the graph could not be built");
    return;
  }
  cRecordArray<u32> route;
  for (auto _ : state) {
    benchmark::DoNotOptimize(graph.FindRoute(0, static_cast<u32>(count - 1), &route));
  }
}
BENCHMARK(BM_FindRoute)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
