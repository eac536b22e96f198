// Costs of the collision plugin: building the tree of a 10 000-triangle
// geometry (a seeded soup, as a level's props would give), and line, sphere
// and box queries on a forged world of about 50 000 triangles with collision
// trees in its sectors, each beside a brute-force loop over every polygon
// with the same exact test.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "bench/bench_engine.h"
#include "engine/engine.h"
#include "engine/plugin/collis/collis_internal.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kBuildTriangles = 10000;
constexpr int kWorldTriangles = 50000;
constexpr float kWorldExtent = 100.0f;  // the soup fills [-extent, extent] on each axis
constexpr int kQueries = 64;            // distinct primitives cycled through

RwBool AttachPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach(); }

// The engine started on the Direct3D 8 stand-in with the collision plugin
// attached, once for every benchmark.
void Engine() {
  static BenchEngine engine;
  static const bool started = engine.Open(64, 64, AttachPlugins);
  if (!started) {
    std::abort();
  }
}

// Triangles of up to a tenth of the extent, anywhere in a cube.
RpGeometry* SoupGeometry(unsigned seed, int count, float extent) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> anywhere(-extent, extent);
  std::uniform_real_distribution<float> near(-extent / 10.0f, extent / 10.0f);
  RpGeometry* geometry = RpGeometryCreate(3 * count, count, 0);
  for (int i = 0; i < count; ++i) {
    RwV3d* v = geometry->morphTarget[0].verts + 3 * i;
    v[0] = {anywhere(random), anywhere(random), anywhere(random)};
    v[1] = {v[0].x + near(random), v[0].y + near(random), v[0].z + near(random)};
    v[2] = {v[0].x + near(random), v[0].y + near(random), v[0].z + near(random)};
    const auto base = static_cast<RwUInt16>(3 * i);
    geometry->triangles[i] = {{base, static_cast<RwUInt16>(base + 1), static_cast<RwUInt16>(base + 2)}, 0};
  }
  return RpGeometryUnlock(geometry);
}

void BM_CollisionTreeBuild(benchmark::State& state) {
  Engine();
  RpGeometry* geometry = SoupGeometry(1, kBuildTriangles, 100.0f);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RpCollisionGeometryBuildData(geometry));
  }
  state.SetItemsProcessed(state.iterations() * kBuildTriangles);
  RpGeometryDestroy(geometry);
}
BENCHMARK(BM_CollisionTreeBuild)->Unit(benchmark::kMillisecond);

// The forged world, read back with its trees; made once.
RpWorld* World() {
  static RpWorld* world = [] {
    Engine();
    std::mt19937 random(2);
    std::uniform_real_distribution<float> anywhere(-kWorldExtent, kWorldExtent);
    std::uniform_real_distribution<float> near(-4.0f, 4.0f);
    ForgeSoup soup;
    soup.materials.resize(1);
    for (int i = 0; i < kWorldTriangles; ++i) {
      ForgeVertex first;
      first.position = {anywhere(random), anywhere(random), anywhere(random)};
      soup.vertices.push_back(first);
      for (int corner = 1; corner < 3; ++corner) {
        ForgeVertex vertex;
        vertex.position = {first.position.x + near(random), first.position.y + near(random),
                           first.position.z + near(random)};
        soup.vertices.push_back(vertex);
      }
      const auto base = static_cast<RwUInt32>(3 * i);
      soup.triangles.push_back({{base, base + 1, base + 2}, 0});
    }
    return ForgeWorldCreate(soup, ForgeWorldOptions());
  }();
  if (world == nullptr) {
    std::abort();
  }
  return world;
}

// Seeded primitives of the type about the world: lines of up to 100 units,
// spheres of radius 8, boxes 16 units a side.
std::vector<RpIntersectionPrimitive> Primitives(RwUInt32 type) {
  std::mt19937 random(type);
  std::uniform_real_distribution<float> anywhere(-kWorldExtent, kWorldExtent);
  std::uniform_real_distribution<float> step(-50.0f, 50.0f);
  std::vector<RpIntersectionPrimitive> primitives(kQueries);
  for (RpIntersectionPrimitive& primitive : primitives) {
    const RwV3d a = {anywhere(random), anywhere(random), anywhere(random)};
    primitive.type = type;
    if (type == rpINTERSECTLINE) {
      primitive.t.line = {a, {a.x + step(random), a.y + step(random), a.z + step(random)}};
    } else if (type == rpINTERSECTSPHERE) {
      primitive.t.sphere = {a, 8.0f};
    } else {
      primitive.t.box = {{a.x + 8.0f, a.y + 8.0f, a.z + 8.0f}, {a.x - 8.0f, a.y - 8.0f, a.z - 8.0f}};
    }
  }
  return primitives;
}

RpIntersectionPrimitive* CountHit(RpIntersectionPrimitive* primitive, RpWorldSector*, RpCollisionTriangle*, RwReal,
                                  void* data) {
  ++*static_cast<int*>(data);
  return primitive;
}

struct BruteForce {
  const RpIntersectionPrimitive* primitive;
  int hits;
};

// Every polygon of the sector against the primitive.
RpWorldSector* TestSector(RpWorldSector* sector, void* data) {
  auto* brute = static_cast<BruteForce*>(data);
  const RpIntersectionPrimitive& primitive = *brute->primitive;
  const RwV3d delta = {primitive.t.line.end.x - primitive.t.line.start.x,
                       primitive.t.line.end.y - primitive.t.line.start.y,
                       primitive.t.line.end.z - primitive.t.line.start.z};
  for (RwInt32 i = 0; i < sector->numPolygons; ++i) {
    const RwUInt16* v = sector->polygons[i].vertIndex;
    const RwV3d* p0 = &sector->vertices[v[0]];
    const RwV3d* p1 = &sector->vertices[v[1]];
    const RwV3d* p2 = &sector->vertices[v[2]];
    RwReal distance;
    RwV3d normal;
    switch (primitive.type) {
      case rpINTERSECTLINE:
        brute->hits += _rpCollisionLineTriangle(&primitive.t.line.start, &delta, p0, p1, p2, &distance, &normal);
        break;
      case rpINTERSECTSPHERE:
        brute->hits += RtIntersectionSphereTriangle(&primitive.t.sphere, p0, p1, p2, &normal, &distance);
        break;
      default:
        brute->hits += RtIntersectionBoxTriangle(&primitive.t.box, p0, p1, p2);
    }
  }
  return sector;
}

void BM_WorldQuery(benchmark::State& state) {
  RpWorld* world = World();
  std::vector<RpIntersectionPrimitive> primitives = Primitives(static_cast<RwUInt32>(state.range(0)));
  const bool bruteForce = state.range(1) != 0;
  size_t next = 0;
  int hits = 0;
  for (auto _ : state) {
    RpIntersectionPrimitive* primitive = &primitives[next++ % primitives.size()];
    if (bruteForce) {
      BruteForce brute = {primitive, 0};
      RpWorldForAllWorldSectors(world, TestSector, &brute);
      hits += brute.hits;
    } else {
      RpCollisionWorldForAllIntersections(world, primitive, CountHit, &hits);
    }
  }
  state.counters["hits/query"] = benchmark::Counter(hits, benchmark::Counter::kAvgIterations);
}
// Arguments: primitive type (1 line, 3 sphere, 4 box), brute force (1) or the trees (0).
BENCHMARK(BM_WorldQuery)
    ->ArgNames({"type", "brute"})
    ->Args({rpINTERSECTLINE, 0})
    ->Args({rpINTERSECTLINE, 1})
    ->Args({rpINTERSECTSPHERE, 0})
    ->Args({rpINTERSECTSPHERE, 1})
    ->Args({rpINTERSECTBOX, 0})
    ->Args({rpINTERSECTBOX, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
