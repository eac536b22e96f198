// Costs of the engine's stream readers against the bytes they read: frame
// lists (parsed, and the frames destroyed again), clumps and texture
// dictionaries, each beside a plain copy of the same bytes for scale.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/bench_engine.h"
#include "bench/bench_ratio.h"
#include "engine/engine.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 64;
constexpr RwInt32 kFrameCount = 16384;
constexpr RwInt32 kTextureEdge = 256;
constexpr RwInt32 kTextureCount = 16;

// What write put on a memory stream, or nothing when it failed.
std::vector<RwUInt8> WriteToMemory(const std::function<bool(RwStream*)>& write) {
  std::vector<RwUInt8> bytes;
  if (!ForgeEngineWritten(write, &bytes)) bytes.clear();
  return bytes;
}

// A frame list chunk of kFrameCount frames: a tree four wide, as skeletons
// and level hierarchies branch, each frame turned and moved a little.
std::vector<RwUInt8> FrameListBytes() {
  std::vector<RwFrame*> frames;
  frames.reserve(kFrameCount);
  for (RwInt32 i = 0; i < kFrameCount; i++) {
    RwFrame* frame = RwFrameCreate();
    const RwV3d axis = {0.0f, 1.0f, 0.0f};
    const RwV3d step = {RwReal(i % 7), 1.0f, 0.5f};
    RwFrameRotate(frame, &axis, RwReal(i % 360), 0);
    RwFrameTranslate(frame, &step, 1);
    if (i > 0) RwFrameAddChild(frames[size_t(i - 1) / 4], frame);
    frames.push_back(frame);
  }
  RwFrameList list;
  std::vector<RwUInt8> bytes;
  if (RwFrameListInitialize(&list, frames[0]) != nullptr) {
    bytes = WriteToMemory([&](RwStream* stream) { return RwFrameListStreamWrite(&list, stream) != nullptr; });
    RwFrameListDeinitialize(&list);
  }
  RwFrameDestroyHierarchy(frames[0]);
  return bytes;
}

// Reads the frame list chunk; the caller owns the frames of the result.
bool ReadFrameList(std::vector<RwUInt8>& bytes, RwFrameList* list) {
  RwMemory memory = {bytes.data(), RwUInt32(bytes.size())};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  const bool ok = stream != nullptr && RwStreamFindChunk(stream, kRwChunkFrameList, nullptr, nullptr) &&
                  RwFrameListStreamRead(stream, list) != nullptr;
  RwStreamClose(stream, nullptr);
  return ok;
}

void DestroyFrameList(RwFrameList* list) {
  RwFrameDestroyHierarchy(list->frames[0]);
  RwFrameListDeinitialize(list);
}

void BM_FrameListRead(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) return;
  std::vector<RwUInt8> bytes = FrameListBytes();
  BenchRatio ratio;
  for (auto _ : state) {
    RwFrameList list;
    bool read = false;
    ratio.TimeReader([&] { read = ReadFrameList(bytes, &list); });
    if (!read) {
      state.SkipWithError("read failed");
      break;
    }
    state.PauseTiming();
    DestroyFrameList(&list);
    ratio.TimeCopy(bytes);
    state.ResumeTiming();
  }
  ratio.Report(state, "of_memcpy");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrameCount);
}
BENCHMARK(BM_FrameListRead)->Unit(benchmark::kMillisecond);

// A clump of parts: argument 0 gives 64 small boxes on frames of their own
// (a prop), 1 one grid of 128 x 128 cells (a terrain piece).
std::vector<ForgePart> ClumpParts(int64_t kind) {
  std::vector<ForgePart> parts;
  if (kind == 1) {
    ForgePart grid;
    grid.shape = kForgeShapeGrid;
    grid.size = {64.0f, 0.0f, 64.0f};
    grid.cells = 128;
    parts.push_back(grid);
    return parts;
  }
  for (int p = 0; p < 64; ++p) {
    ForgePart part;
    part.parent = p > 0 ? (p - 1) / 4 : -1;
    part.offset = {RwReal(p % 5), 1.0f, 0.5f};
    parts.push_back(part);
  }
  return parts;
}

void BM_ClumpRead(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight, RpWorldPluginAttach)) return;
  const std::vector<ForgePart> parts = ClumpParts(state.range(0));
  std::vector<RwUInt8> bytes = WriteToMemory([&](RwStream* stream) { return ForgeWriteClump(stream, parts); });
  BenchRatio ratio;
  for (auto _ : state) {
    RpClump* clump = nullptr;
    ratio.TimeReader([&] { clump = ForgeReadChunk(bytes, kRwChunkClump, RpClumpStreamRead); });
    if (clump == nullptr) {
      state.SkipWithError("read failed");
      break;
    }
    state.PauseTiming();
    RpClumpDestroy(clump);
    ratio.TimeCopy(bytes);
    state.ResumeTiming();
  }
  ratio.Report(state, "of_memcpy");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ClumpRead)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The frames of a read list destroyed, as a level or model is unloaded.
void BM_FrameHierarchyDestroy(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) return;
  std::vector<RwUInt8> bytes = FrameListBytes();
  for (auto _ : state) {
    state.PauseTiming();
    RwFrameList list;
    if (!ReadFrameList(bytes, &list)) {
      state.SkipWithError("read failed");
      break;
    }
    state.ResumeTiming();
    DestroyFrameList(&list);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrameCount);
}
BENCHMARK(BM_FrameHierarchyDestroy)->Unit(benchmark::kMillisecond);

// A texture dictionary of kTextureCount mip-mapped 32-bit textures, written
// by the engine from rasters filled through locks.
std::vector<RwUInt8> TexDictionaryBytes() {
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  for (RwInt32 t = 0; t < kTextureCount; t++) {
    RwRaster* raster =
        RwRasterCreate(kTextureEdge, kTextureEdge, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
    if (raster == nullptr) break;
    for (RwInt32 level = 0; level < RwRasterGetNumLevels(raster); level++) {
      RwUInt8* pixels = RwRasterLock(raster, RwUInt8(level), rwRASTERLOCKWRITE);
      if (pixels == nullptr) continue;
      std::memset(pixels, 0x40 + t, size_t(raster->stride) * size_t(raster->height));
      RwRasterUnlock(raster);
    }
    RwTexture* texture = RwTextureCreate(raster);
    char name[16];
    std::snprintf(name, sizeof(name), "texture%d", int(t));
    RwTextureSetName(texture, name);
    RwTexDictionaryAddTexture(dictionary, texture);
  }
  std::vector<RwUInt8> bytes =
      WriteToMemory([&](RwStream* stream) { return RwTexDictionaryStreamWrite(dictionary, stream) != nullptr; });
  RwTexDictionaryDestroy(dictionary);
  return bytes;
}

void BM_TexDictionaryRead(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) return;
  std::vector<RwUInt8> bytes = TexDictionaryBytes();
  BenchRatio ratio;
  for (auto _ : state) {
    RwTexDictionary* dictionary = nullptr;
    ratio.TimeReader([&] { dictionary = ForgeReadChunk(bytes, kRwChunkTexDictionary, RwTexDictionaryStreamRead); });
    if (dictionary == nullptr) {
      state.SkipWithError("read failed");
      break;
    }
    state.PauseTiming();
    RwTexDictionaryDestroy(dictionary);
    ratio.TimeCopy(bytes);
    state.ResumeTiming();
  }
  ratio.Report(state, "of_memcpy");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_TexDictionaryRead)->Unit(benchmark::kMillisecond);

// A plain copy of as many bytes, the floor any reader of them stands on.
void BM_MemoryCopy(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  std::vector<RwUInt8> from(size, 0x5A);
  std::vector<RwUInt8> to(size);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}
BENCHMARK(BM_MemoryCopy)->Arg(kFrameCount * 56)->Arg(kTextureCount* kTextureEdge* kTextureEdge * 4 * 4 / 3);

}  // namespace
