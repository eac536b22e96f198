// One load of the generated level01 through the level world, from a warm
// file cache (the first load before the timing reads every file once):
// geometry, lightmaps, objects and models, men, texts and the HUD. Goal:
// under a second.
#include "bench/generated_level.h"

namespace {

void BM_LevelLoad(benchmark::State& state) {
  GeneratedLevel level;
  if (!level.OpenOrSkip(state)) {
    return;
  }
  level.Load("level01");  // warms the file cache
  level.Unload();
  for (auto _ : state) {
    benchmark::DoNotOptimize(level.Load("level01"));
    state.PauseTiming();
    level.Unload();
    state.ResumeTiming();
  }
  state.SetLabel("level01");
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
