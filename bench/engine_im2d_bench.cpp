// 2D quads per second through the engine and its Direct3D 8 driver on the
// stand-in: the way the HUD and menus draw, small textured-colour quads
// appended to the shared vertex buffer with a render-state change now and
// then.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/bench_engine.h"
#include "engine/engine.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kQuadsPerBatch = 200;
constexpr RwInt32 kTriList = 3;

void AddQuad(std::vector<RwIm2DVertex>* out, RwReal x, RwReal y, RwUInt32 color) {
  const RwIm2DVertex a = {x, y, 0.5f, 1.0f, color, 0, 0};
  const RwIm2DVertex b = {x + 8, y, 0.5f, 1.0f, color, 1, 0};
  const RwIm2DVertex c = {x + 8, y + 8, 0.5f, 1.0f, color, 1, 1};
  const RwIm2DVertex d = {x, y + 8, 0.5f, 1.0f, color, 0, 1};
  out->insert(out->end(), {a, b, c, a, c, d});
}

void BM_Im2DQuads(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) return;
  std::vector<RwIm2DVertex> quads;
  for (int i = 0; i < kQuadsPerBatch; i++) {
    AddQuad(&quads, RwReal((i % 40) * 15), RwReal((i / 40) * 15), 0x80FFFFFFu - RwUInt32(i));
  }
  for (auto _ : state) {
    for (int i = 0; i < kQuadsPerBatch; i++) {
      // Every eighth quad switches vertex alpha, as text and panels alternate.
      if (i % 8 == 0) RwD3D8RenderStateVertexAlphaEnable((i / 8) % 2);
      RwD3D8Im2DRenderPrimitive(kTriList, &quads[size_t(i) * 6], 6);
    }
  }
  state.SetItemsProcessed(state.iterations() * kQuadsPerBatch);
  state.counters["quads_per_second"] =
      benchmark::Counter(double(state.iterations() * kQuadsPerBatch), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Im2DQuads)->Unit(benchmark::kMillisecond);

}  // namespace
