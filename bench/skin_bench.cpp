// Skinned-vertex blending on the processor: 10 000 vertices a frame moved by
// one, two or four weighted bones of a 32-bone palette, with and without
// normals, written at the stride of a vertex with one texture-coordinate set,
// by the portable path and by the SSE path side by side.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/fuzz/fake_device_engine.h"

namespace {

constexpr RwInt32 kVertices = 10000;
constexpr RwInt32 kBones = 32;
constexpr RwUInt32 kStride = 32;  // position, normal, one coordinate set

class SkinEngine {
 public:
  SkinEngine() {
    started_ = fakedevice::Init(nullptr, 0) && RpWorldPluginAttach() && RtAnimPluginAttach() && RpHAnimPluginAttach() &&
               RpSkinPluginAttach() && fakedevice::OpenAndStart();
  }
  ~SkinEngine() {
    if (started_) {
      RwEngineStop();
      RwEngineClose();
      RwEngineTerm();
    }
  }
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// Every vertex uses weights bones, spread over the palette, with weights
// that never make the first one full (so W > 1 takes the blending branch).
RpSkin* MakeSkin(int weights) {
  std::vector<RwUInt32> indices(kVertices);
  std::vector<RpSkinVertexWeights> vertexWeights(kVertices);
  for (RwInt32 i = 0; i < kVertices; i++) {
    RwUInt32 word = 0;
    RpSkinVertexWeights w = {{0.0f, 0.0f, 0.0f, 0.0f}};
    for (int k = 0; k < weights; k++) {
      word |= static_cast<RwUInt32>((i * 7 + k * 5) % kBones) << (8 * k);
      w.w[k] =
          weights == 1 ? 1.0f : static_cast<RwReal>(weights - k) / static_cast<RwReal>(weights * (weights + 1) / 2);
    }
    indices[static_cast<size_t>(i)] = word;
    vertexWeights[static_cast<size_t>(i)] = w;
  }
  std::vector<RwMatrix> inverses(kBones);
  for (RwMatrix& m : inverses) {
    RwMatrixSetIdentity(&m);
  }
  return RpSkinCreate(kVertices, kBones, indices.data(), vertexWeights.data(), inverses.data());
}

void FillPalette(RpSkinBlendMatrix* palette) {
  for (int b = 0; b < kBones; b++) {
    const RwReal s = 0.01f * static_cast<RwReal>(b);
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    m.right = {1.0f, s, 0.0f};
    m.up = {-s, 1.0f, 0.0f};
    m.pos = {s, 2.0f * s, -s};
    RwMatrixUpdate(&m);
    _rpSkinStoreBlendMatrix(&palette[b], &m);
  }
}

void BM_Blend(benchmark::State& state) {
  SkinEngine engine;
  if (!engine.started()) {
    state.SkipWithError("the engine did not start");
    return;
  }
  RpSkin* skin = MakeSkin(static_cast<int>(state.range(0)));
  const bool normals = state.range(1) != 0;
  _rpSkinSetBlendPath(state.range(2) != 0 ? RpSkinBlendPath::kSSE : RpSkinBlendPath::kPortable);
  if (state.range(2) != 0 && _rpSkinGetBlendPath() != RpSkinBlendPath::kSSE) {
    state.SkipWithError("the SSE path is not built here");
    RpSkinDestroy(skin);
    return;
  }
  std::vector<RwV3d> positions(kVertices);
  std::vector<RwV3d> normalArray(kVertices, RwV3d{0.0f, 1.0f, 0.0f});
  for (RwInt32 i = 0; i < kVertices; i++) {
    positions[static_cast<size_t>(i)] = {static_cast<RwReal>(i % 100), static_cast<RwReal>(i / 100), 1.0f};
  }
  std::vector<RwUInt8> destination(static_cast<size_t>(kVertices) * kStride);
  RpSkinBlendMatrix* palette = _rpSkinPalette();
  FillPalette(palette);
  const RpSkinBlendRun run = {0, kVertices, nullptr, destination.data(), kStride};
  for (auto _ : state) {
    _rpSkinBlendVertices(skin, palette, positions.data(), normals ? normalArray.data() : nullptr, &run);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kVertices);
  RpSkinDestroy(skin);
}

BENCHMARK(BM_Blend)->ArgNames({"weights", "normals", "sse"})->ArgsProduct({{1, 2, 4}, {0, 1}, {0, 1}});

}  // namespace
