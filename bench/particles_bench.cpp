// Particle costs per frame: 50 effects of 200 live particles each (a steady
// 200 a second living one second), simulated, and their sprites and lines
// built in camera space.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/scene.h"
#include "tests/fuzz/anim_fuzz_engine.h"
#include "tests/fuzz/memory_files.h"
#include "tests/support/particle_file_text.h"

namespace {

constexpr int kEffects = 50;
constexpr f32 kFrameTime = 1.0f / 60.0f;
constexpr int kWarmUpFrames = 90;  // past the one-second life: 200 live

class BenchScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

std::string Effect(const char* type) {
  return ParticleFileText({{"smoke",
                            {{"TYPE", type},
                             {"MAXNUMBER", "256"},
                             {"RATE", "200"},
                             {"SPAN", "(1,1)"},
                             {"SPEED", "(0.5,1.5)"},
                             {"ANGLE", "(0,60)"},
                             {"FORCE", "(0,0.5,0)"},
                             {"COLOR", "[{0,(1,1,1,0)},{0.2,(0.8,0.8,0.8,0.6)},{1,(0.5,0.5,0.5,0)}]"},
                             {"SIZE", "[{0,0.2},{1,1}]"},
                             {"ROTATE", "[{0,0},{1,90}]"}}}});
}

// The engine, a scene and the effects, each with 200 live particles.
class Effects {
 public:
  explicit Effects(const char* type) {
    started_ = fakedevice::Init(nullptr, 0) && RpWorldPluginAttach() && RpRandomPluginAttach() &&
               RegisterAtomicPlugin() && fakedevice::OpenAndStart();
    if (!started_) {
      return;
    }
    memoryfiles::Install();
    const std::string text = Effect(type);
    memoryfiles::Serve("data\\smoke.txt", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    scene_ = new BenchScene();
    for (int i = 0; i < kEffects; i++) {
      cMultiParticleSystem* effect = new cMultiParticleSystem();
      const RwV3d position = {static_cast<f32>(i % 10), 0.0f, static_cast<f32>(i / 10)};
      const RwV3d up = {0.0f, 1.0f, 0.0f};
      effect->Load(scene_, "data/smoke.txt", position, up);
      effects_.push_back(effect);
    }
    for (int frame = 0; frame < kWarmUpFrames; frame++) {
      Step();
    }
  }
  ~Effects() {
    for (cMultiParticleSystem* effect : effects_) {
      delete effect;
    }
    delete scene_;
    if (started_) {
      fakedevice::Shutdown();
    }
  }

  void Step() {
    for (cMultiParticleSystem* effect : effects_) {
      effect->GetSystem(0)->Update(kFrameTime);
    }
  }

  u32 Build(const RwMatrix* toCamera) {
    u32 built = 0;
    for (cMultiParticleSystem* effect : effects_) {
      built += effect->GetInstancer(0)->BuildVertices(toCamera);
    }
    return built;
  }

  u32 Live() const {
    u32 live = 0;
    for (cMultiParticleSystem* effect : effects_) {
      live += effect->GetSystem(0)->GetLive().Count();
    }
    return live;
  }

  bool started() const { return started_; }

 private:
  bool started_ = false;
  BenchScene* scene_ = nullptr;
  std::vector<cMultiParticleSystem*> effects_;
};

// A camera 20 units back, turned a little.
RwMatrix ToCamera() {
  RwMatrix camera;
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  RwMatrixRotate(&camera, &up, 20.0f, kRwCombineReplace);
  const RwV3d back = {5.0f, 2.0f, -20.0f};
  RwMatrixTranslate(&camera, &back, kRwCombinePostConcat);
  RwMatrix toCamera;
  RwMatrixInvert(&toCamera, &camera);
  return toCamera;
}

void BM_Update(benchmark::State& state) {
  Effects effects("SPRITE");
  if (!effects.started()) {
    state.SkipWithError("no engine");
    return;
  }
  for (auto _ : state) {
    effects.Step();
  }
  state.counters["live"] = effects.Live();
  state.SetItemsProcessed(state.iterations() * effects.Live());
}
BENCHMARK(BM_Update);

void BuildBench(benchmark::State& state, const char* type) {
  Effects effects(type);
  if (!effects.started()) {
    state.SkipWithError("no engine");
    return;
  }
  const RwMatrix toCamera = ToCamera();
  u32 built = 0;
  for (auto _ : state) {
    built = effects.Build(&toCamera);
    benchmark::DoNotOptimize(built);
  }
  state.counters["built"] = built;
  state.SetItemsProcessed(state.iterations() * built);
}

void BM_BuildSprites(benchmark::State& state) { BuildBench(state, "SPRITE"); }
BENCHMARK(BM_BuildSprites);

void BM_BuildLines(benchmark::State& state) { BuildBench(state, "LINE"); }
BENCHMARK(BM_BuildLines);

}  // namespace
