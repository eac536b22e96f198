// A level's load against reading its files with fread: a forged world of
// boxes with bin meshes and collision trees, its collision twin, 200 model
// clumps and four texture dictionaries, written to a temporary folder and
// read back through file streams, beside fopen and fread of the same files.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_engine.h"
#include "bench/bench_ratio.h"
#include "engine/engine.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 64;
constexpr int kLevelBoxes = 4000;
constexpr int kModels = 200;
constexpr int kDictionaries = 4;
constexpr int kTexturesPerDictionary = 8;
constexpr float kLevelSide = 64.0f;

RwBool AttachPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach(); }

struct LevelFile {
  std::string path;
  RwUInt32 chunk;
};

ForgeSoup LevelSoup() {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> place(0.0f, kLevelSide);
  std::uniform_real_distribution<float> size(0.2f, 2.0f);
  ForgeSoup soup;
  soup.materials.resize(6);
  for (size_t m = 0; m < soup.materials.size(); ++m) {
    soup.materials[m].color = {RwUInt8(40 * m), 200, 120, 255};
  }
  for (int b = 0; b < kLevelBoxes; ++b) {
    const RwV3d inf = {place(random), place(random) * 0.25f, place(random)};
    ForgeAddBox(&soup, inf, {inf.x + size(random), inf.y + size(random), inf.z + size(random)},
                RwUInt32(b) % RwUInt32(soup.materials.size()));
  }
  return soup;
}

// A model of one to four parts: boxes and grids, some with collision trees.
std::vector<ForgePart> ModelParts(int model) {
  std::vector<ForgePart> parts;
  for (int p = 0; p <= model % 4; ++p) {
    ForgePart part;
    part.shape = p % 2 == 0 ? kForgeShapeBox : kForgeShapeGrid;
    part.size = {1.0f + p, 0.5f, 1.0f};
    part.cells = 2 + (model % 7);
    part.offset = {RwReal(p), 0.0f, 0.0f};
    part.material.color = {RwUInt8(model), RwUInt8(p * 60), 90, 255};
    part.collisionData = p == 0;
    parts.push_back(part);
  }
  return parts;
}

// Writes the level's files into folder; the files and their chunk types.
std::vector<LevelFile> WriteLevel(const std::string& folder) {
  std::vector<LevelFile> files;
  std::filesystem::create_directories(folder + "/collision");
  const ForgeSoup soup = LevelSoup();
  ForgeWorldOptions look;
  look.flags |= rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDLIGHT;
  look.texCoordSets = 1;
  files.push_back({folder + "/level.bsp", kRwChunkWorld});
  if (!ForgeWriteWorldFile(files.back().path.c_str(), soup, look)) return {};
  files.push_back({folder + "/collision/level.bsp", kRwChunkWorld});
  if (!ForgeWriteWorldFile(files.back().path.c_str(), soup, ForgeWorldOptions())) return {};
  for (int m = 0; m < kModels; ++m) {
    files.push_back({folder + "/model" + std::to_string(m) + ".dff", kRwChunkClump});
    if (!ForgeWriteClumpFile(files.back().path.c_str(), ModelParts(m))) return {};
  }
  for (int d = 0; d < kDictionaries; ++d) {
    std::vector<ForgeTexture> textures(kTexturesPerDictionary);
    for (int t = 0; t < kTexturesPerDictionary; ++t) {
      textures[size_t(t)].name = "texture" + std::to_string(d * kTexturesPerDictionary + t);
      textures[size_t(t)].width = 128;
      textures[size_t(t)].height = 128;
    }
    files.push_back({folder + "/textures" + std::to_string(d) + ".txd", kRwChunkTexDictionary});
    if (!ForgeWriteTexDictionaryFile(files.back().path.c_str(), textures)) return {};
  }
  return files;
}

// Reads the file's chunk (from memory when given its bytes) and destroys
// what it gave later; false on failure.
bool LoadFile(const LevelFile& file, std::vector<std::function<void()>>* destroy,
              std::vector<unsigned char>* bytes = nullptr) {
  RwMemory memory = {bytes != nullptr ? bytes->data() : nullptr, bytes != nullptr ? RwUInt32(bytes->size()) : 0};
  RwStream* stream = bytes != nullptr ? RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory)
                                      : RwStreamOpen(kRwStreamFileName, kRwStreamRead, file.path.c_str());
  if (stream == nullptr || !RwStreamFindChunk(stream, file.chunk, nullptr, nullptr)) {
    if (stream != nullptr) RwStreamClose(stream, nullptr);
    return false;
  }
  bool read = false;
  if (file.chunk == kRwChunkWorld) {
    RpWorld* world = RpWorldStreamRead(stream);
    read = world != nullptr;
    if (read) destroy->push_back([world] { RpWorldDestroy(world); });
  } else if (file.chunk == kRwChunkClump) {
    RpClump* clump = RpClumpStreamRead(stream);
    read = clump != nullptr;
    if (read) destroy->push_back([clump] { RpClumpDestroy(clump); });
  } else {
    RwTexDictionary* dictionary = RwTexDictionaryStreamRead(stream);
    read = dictionary != nullptr;
    if (read) destroy->push_back([dictionary] { RwTexDictionaryDestroy(dictionary); });
  }
  RwStreamClose(stream, nullptr);
  return read;
}

size_t ReadWhole(const std::string& path, std::vector<unsigned char>* buffer) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  size_t total = 0;
  for (size_t got; (got = std::fread(buffer->data(), 1, buffer->size(), file)) > 0;) total += got;
  std::fclose(file);
  return total;
}

// Argument: 0 reads the files through file streams, 1 parses their bytes
// from memory (the readers' share of the load).
void BM_LevelLoad(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight, AttachPlugins)) return;
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("tk_level_bench_" + std::to_string(getpid()))).string();
  const std::vector<LevelFile> files = WriteLevel(folder);
  if (files.empty()) {
    state.SkipWithError("the level could not be forged");
    std::filesystem::remove_all(folder);
    return;
  }
  size_t bytes = 0;
  for (const LevelFile& file : files) bytes += std::filesystem::file_size(file.path);
  std::vector<unsigned char> buffer(1 << 20);
  const bool fromMemory = state.range(0) != 0;
  std::vector<std::vector<unsigned char>> contents;
  for (const LevelFile& file : files) {
    contents.emplace_back(std::filesystem::file_size(file.path));
    ReadWhole(file.path, &contents.back());
  }
  BenchRatio ratio;
  for (auto _ : state) {
    std::vector<std::function<void()>> destroy;
    bool loaded = true;
    ratio.TimeReader([&] {
      for (size_t f = 0; f < files.size(); ++f) {
        loaded = LoadFile(files[f], &destroy, fromMemory ? &contents[f] : nullptr) && loaded;
      }
    });
    state.PauseTiming();
    for (const std::function<void()>& release : destroy) release();
    size_t read = 0;
    ratio.TimeBaseline([&] {
      for (const LevelFile& file : files) read += ReadWhole(file.path, &buffer);
    });
    state.ResumeTiming();
    if (!loaded || read != bytes) {
      state.SkipWithError("a file did not load");
      break;
    }
  }
  ratio.ReportTimes(state, "x_fread");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LevelLoad)->ArgName("memory")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
