// The world reader against a copy of the same bytes: forged levels of boxes
// in eight materials, with normals, pre-lit colours, one coordinate set and
// collision trees, with and without bin meshes in their sectors, at two
// sizes (the ratio stays when the reader is linear in size).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "bench/bench_engine.h"
#include "bench/bench_ratio.h"
#include "engine/engine.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 64;
constexpr int kMaterials = 8;
constexpr int kTrianglesPerBox = 12;
constexpr float kBoxesPerSide = 64.0f;  // boxes stand on a square of this many units a side

RwBool AttachPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach(); }

// Boxes of seeded sizes scattered over the square, each in one of the materials.
ForgeSoup LevelSoup(int triangles) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> place(0.0f, kBoxesPerSide);
  std::uniform_real_distribution<float> size(0.2f, 2.0f);
  ForgeSoup soup;
  for (int m = 0; m < kMaterials; ++m) {
    ForgeMaterial material;
    material.color = {RwUInt8(40 * m), RwUInt8(255 - 30 * m), 128, 255};
    soup.materials.push_back(material);
  }
  for (int b = 0; b < triangles / kTrianglesPerBox; ++b) {
    const RwV3d inf = {place(random), place(random) * 0.25f, place(random)};
    const RwV3d sup = {inf.x + size(random), inf.y + size(random), inf.z + size(random)};
    ForgeAddBox(&soup, inf, sup, RwUInt32(b % kMaterials));
  }
  for (ForgeVertex& vertex : soup.vertices) {
    vertex.prelight = {RwUInt8(vertex.position.x * 3), RwUInt8(vertex.position.y * 3), 200, 255};
  }
  return soup;
}

std::vector<RwUInt8> LevelBytes(int triangles, bool binMeshes) {
  ForgeWorldOptions options;
  options.flags |= rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDLIGHT;
  options.texCoordSets = 1;
  options.binMeshes = binMeshes;
  return ForgeWorldBytes(LevelSoup(triangles), options);
}

RpWorld* ReadWorld(const std::vector<RwUInt8>& bytes) {
  RwMemory memory = {const_cast<RwUInt8*>(bytes.data()), RwUInt32(bytes.size())};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  RpWorld* world = stream != nullptr && RwStreamFindChunk(stream, kRwChunkWorld, nullptr, nullptr)
                       ? RpWorldStreamRead(stream)
                       : nullptr;
  RwStreamClose(stream, nullptr);
  return world;
}

// Arguments: triangles, bin meshes in the sectors (1) or built on reading (0).
void BM_WorldRead(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight, AttachPlugins)) return;
  const std::vector<RwUInt8> bytes = LevelBytes(int(state.range(0)), state.range(1) != 0);
  BenchRatio ratio;
  for (auto _ : state) {
    RpWorld* world = nullptr;
    ratio.TimeReader([&] { world = ReadWorld(bytes); });
    if (world == nullptr) {
      state.SkipWithError("read failed");
      break;
    }
    state.PauseTiming();
    RpWorldDestroy(world);
    ratio.TimeCopy(bytes);
    state.ResumeTiming();
  }
  ratio.Report(state, "of_memcpy");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_WorldRead)
    ->ArgNames({"triangles", "binmesh"})
    ->Args({25000, 1})
    ->Args({100000, 1})
    ->Args({25000, 0})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
