// The world pipelines on the Direct3D 8 stand-in: instancing throughput of
// the atomic pipeline (a model-sized geometry, a 16 x 16 grid of 512
// triangles with normals, colours and one texture-coordinate set, instanced
// into the vertex-buffer pools per second, and a morphing atomic's vertices
// blended and written again per second), and frames per second of a forged
// level: a lit floor of 8192 triangles in many sectors with 300 box clumps,
// a directional, an ambient and eight point lights.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/bench_engine.h"
#include "engine/engine.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kGrid = 16;  // quads a side
constexpr int kVertices = (kGrid + 1) * (kGrid + 1);
constexpr int kTriangles = kGrid * kGrid * 2;

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
  BenchEngine engine;
  RpGeometry* geometry = engine.Open(kWidth, kHeight, RpWorldPluginAttach) ? Grid(false) : nullptr;
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
  BenchEngine engine;
  RpGeometry* geometry = engine.Open(kWidth, kHeight, RpWorldPluginAttach) ? Grid(true) : nullptr;
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

constexpr int kLevelCells = 64;  // floor cells a side, one unit each
constexpr int kClumpRows = 15;
constexpr int kClumpColumns = 20;  // 300 clumps
constexpr int kPointLights = 8;

// The forged level with its clumps, lights and a camera looking over it.
class Level {
 public:
  bool Build(HWND__* window) {
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddGrid(&soup, {0.0f, 0.0f, 0.0f}, RwReal(kLevelCells), kLevelCells, 0);
    ForgeWorldOptions options;
    options.flags |= rpWORLDNORMALS | rpWORLDLIGHT;
    options.maxSectorTriangles = 128;
    world_ = ForgeWorldCreate(soup, options);
    if (world_ == nullptr) return false;
    for (int row = 0; row < kClumpRows; row++) {
      for (int column = 0; column < kClumpColumns; column++) {
        ForgePart part;
        part.offset = {2.0f + 3.0f * RwReal(column), 0.5f, 2.0f + 4.0f * RwReal(row)};
        RpClump* clump = ForgeClumpCreate({part});
        if (clump == nullptr) return false;
        clumps_.push_back(clump);
        RpWorldAddClump(world_, clump);
      }
    }
    AddLight(rpLIGHTDIRECTIONAL, {0.6f, 0.6f, 0.5f, 1.0f}, {0.0f, 0.0f, 0.0f});
    AddLight(rpLIGHTAMBIENT, {0.2f, 0.2f, 0.25f, 1.0f}, {0.0f, 0.0f, 0.0f});
    for (int i = 0; i < kPointLights; i++) {
      AddLight(rpLIGHTPOINT, {1.0f, 0.8f, 0.6f, 1.0f}, {8.0f * RwReal(i), 2.0f, 30.0f});
    }
    camera_ = RwCameraCreate();
    RwFrame* frame = RwFrameCreate();
    RwRaster* raster = RwRasterCreate(kWidth, kHeight, 0, rwRASTERTYPECAMERA);
    RwRaster* zRaster = RwRasterCreate(kWidth, kHeight, 0, rwRASTERTYPEZBUFFER);
    if (camera_ == nullptr || frame == nullptr || raster == nullptr || zRaster == nullptr) return false;
    RwCameraSetFrame(camera_, frame);
    RwCameraSetRaster(camera_, raster);
    RwCameraSetZRaster(camera_, zRaster);
    RwCameraSetNearClipPlane(camera_, 0.5f);
    RwCameraSetFarClipPlane(camera_, 200.0f);
    const RwV3d xAxis = {1.0f, 0.0f, 0.0f};
    const RwV3d position = {32.0f, 16.0f, -2.0f};
    RwFrameRotate(frame, &xAxis, 40.0f, kRwCombineReplace);
    RwFrameTranslate(frame, &position, kRwCombinePostConcat);
    RpWorldAddCamera(world_, camera_);
    window_ = window;
    return true;
  }

  bool Frame() {
    const RwRGBA clear = {40, 60, 90, 255};
    RwCameraClear(camera_, &clear, kRwCameraClearImage | kRwCameraClearZ);
    if (RwCameraBeginUpdate(camera_) == nullptr) return false;
    RpWorldRender(world_);
    RwCameraEndUpdate(camera_);
    RwRasterShowRaster(camera_->frameBuffer, window_, 0);
    return true;
  }

  ~Level() {
    if (world_ == nullptr) return;
    if (camera_ != nullptr) {
      RpWorldRemoveCamera(world_, camera_);
      RwFrame* frame = RwCameraGetFrame(camera_);
      RwRasterDestroy(camera_->frameBuffer);
      RwRasterDestroy(camera_->zBuffer);
      RwCameraSetRaster(camera_, nullptr);
      RwCameraSetZRaster(camera_, nullptr);
      RwCameraDestroy(camera_);
      RwFrameDestroy(frame);
    }
    for (RpClump* clump : clumps_) {
      RpWorldRemoveClump(world_, clump);
      RpClumpDestroy(clump);
    }
    for (RpLight* light : lights_) {
      RpWorldRemoveLight(world_, light);
      RwFrame* frame = RpLightGetFrame(light);
      RpLightSetFrame(light, nullptr);
      RwFrameDestroy(frame);
      RpLightDestroy(light);
    }
    RpWorldDestroy(world_);
  }

 private:
  void AddLight(RwInt32 type, RwRGBAReal color, RwV3d position) {
    RpLight* light = RpLightCreate(type);
    RwFrame* frame = RwFrameCreate();
    const RwV3d xAxis = {1.0f, 0.0f, 0.0f};
    RwFrameRotate(frame, &xAxis, 60.0f, kRwCombineReplace);
    RwFrameTranslate(frame, &position, kRwCombinePostConcat);
    RpLightSetFrame(light, frame);
    RpLightSetColor(light, &color);
    RpLightSetRadius(light, 12.0f);
    RpWorldAddLight(world_, light);
    lights_.push_back(light);
  }

  RpWorld* world_ = nullptr;
  RwCamera* camera_ = nullptr;
  HWND__* window_ = nullptr;
  std::vector<RpClump*> clumps_;
  std::vector<RpLight*> lights_;
};

void BM_ForgedLevelFrame(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight, RpWorldPluginAttach)) return;
  Level level;
  if (!level.Build(engine.Window()) || !level.Frame()) {
    state.SkipWithError("the forged level did not build");
    return;
  }
  for (auto _ : state) {
    level.Frame();
  }
  state.counters["frames_per_second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ForgedLevelFrame)->Unit(benchmark::kMillisecond);

}  // namespace
