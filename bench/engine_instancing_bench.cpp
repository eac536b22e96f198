// Instancing throughput of the atomic pipeline on the Direct3D 8 stand-in: a
// model-sized geometry (a 16 x 16 grid, 512 triangles, with normals, colours
// and one texture-coordinate set) instanced into the vertex-buffer pools per
// second, and a morphing atomic's vertices blended and written again per
// second.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "engine/engine.h"
#include "platform/win/window_internal.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kGrid = 16;  // quads a side
constexpr int kVertices = (kGrid + 1) * (kGrid + 1);
constexpr int kTriangles = kGrid * kGrid * 2;

class InstancingEngine {
 public:
  bool Open() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    window_.sdlWindow = SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_.sdlWindow == nullptr) return false;
    RwEngineOpenParams params = {&window_};
    if (!RwD3D8DriverInstall() || !RwEngineInit(nullptr, 0, 4194304) || !RpWorldPluginAttach() ||
        !RwEngineOpen(&params)) {
      return false;
    }
    started_ = RwEngineSetVideoMode(0) && RwEngineStart();
    return started_;
  }

  ~InstancingEngine() {
    if (started_) RwEngineStop();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusOpened) RwEngineClose();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusInitialised) RwEngineTerm();
    if (window_.sdlWindow != nullptr) SDL_DestroyWindow(window_.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

 private:
  HWND__ window_;
  bool started_ = false;
};

// The grid, with a second morph target raised by one unit when asked.
RpGeometry* Grid(bool morphing) {
  const RwUInt32 flags = rpGEOMETRYNORMALS | rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED | rpGEOMETRYLIGHT;
  RpGeometry* geometry = RpGeometryCreate(kVertices, kTriangles, flags);
  if (geometry == nullptr || (morphing && RpGeometryAddMorphTargets(geometry, 1) < 0)) {
    return nullptr;
  }
  for (int target = 0; target < geometry->numMorphTargets; target++) {
    for (int i = 0; i < kVertices; i++) {
      geometry->morphTarget[target].verts[i] = {RwReal(i % (kGrid + 1)), RwReal(i / (kGrid + 1)), RwReal(target)};
      geometry->morphTarget[target].normals[i] = {0.0f, 0.0f, -1.0f};
    }
  }
  for (int i = 0; i < kVertices; i++) {
    geometry->preLitLum[i] = {RwUInt8(i), 128, 200, 255};
    geometry->texCoords[0][i] = {RwReal(i % (kGrid + 1)) / kGrid, RwReal(i / (kGrid + 1)) / kGrid};
  }
  RpMaterial* material = RpMaterialCreate();
  RpMaterialListAppendMaterial(&geometry->matList, material);
  RpMaterialDestroy(material);
  int t = 0;
  for (int y = 0; y < kGrid; y++) {
    for (int x = 0; x < kGrid; x++) {
      const RwUInt16 a = RwUInt16(y * (kGrid + 1) + x);
      const RwUInt16 b = RwUInt16(a + 1);
      const RwUInt16 c = RwUInt16(a + kGrid + 1);
      const RwUInt16 d = RwUInt16(c + 1);
      geometry->triangles[t++] = {{a, b, c}, 0};
      geometry->triangles[t++] = {{c, b, d}, 0};
    }
  }
  return RpGeometryUnlock(geometry);
}

void BM_InstanceGeometry(benchmark::State& state) {
  InstancingEngine engine;
  RpGeometry* geometry = engine.Open() ? Grid(false) : nullptr;
  RpAtomic* atomic = geometry != nullptr ? RpAtomicCreate() : nullptr;
  if (atomic == nullptr) {
    state.SkipWithError("no engine on the Direct3D stand-in");
    return;
  }
  RpAtomicSetGeometry(atomic, geometry, 0);
  for (auto _ : state) {
    RwResEntry* entry = RpD3D8InstanceDataCreate(atomic, geometry, &geometry->repEntry, geometry->mesh,
                                                 RpD3D8AtomicInstanceCallBack, FALSE);
    if (entry == nullptr) {
      state.SkipWithError("instancing failed");
      break;
    }
    RwResourcesFreeResEntry(entry);
  }
  state.counters["geometries_per_second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  RpAtomicDestroy(atomic);
  RpGeometryDestroy(geometry);
}
BENCHMARK(BM_InstanceGeometry)->Unit(benchmark::kMicrosecond);

void BM_MorphReinstance(benchmark::State& state) {
  InstancingEngine engine;
  RpGeometry* geometry = engine.Open() ? Grid(true) : nullptr;
  RpAtomic* atomic = geometry != nullptr ? RpAtomicCreate() : nullptr;
  if (atomic == nullptr) {
    state.SkipWithError("no engine on the Direct3D stand-in");
    return;
  }
  RpAtomicSetGeometry(atomic, geometry, 0);
  atomic->interpolator = {rpINTERPOLATORDIRTYINSTANCE, 0, 1, 1.0f, 1.0f, 0.0f};
  RwResEntry* entry =
      RpD3D8InstanceDataCreate(atomic, atomic, &atomic->repEntry, geometry->mesh, RpD3D8AtomicInstanceCallBack, FALSE);
  if (entry == nullptr) {
    state.SkipWithError("instancing failed");
    return;
  }
  RwReal position = 0.0f;
  for (auto _ : state) {
    position = position < 1.0f ? position + 0.125f : 0.0f;
    atomic->interpolator.position = position;
    RpD3D8AtomicMorphReinstance(atomic->repEntry, geometry->mesh, geometry, &atomic->interpolator);
  }
  state.counters["reinstances_per_second"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  RpAtomicDestroy(atomic);
  RpGeometryDestroy(geometry);
}
BENCHMARK(BM_MorphReinstance)->Unit(benchmark::kMicrosecond);

}  // namespace
