// A started engine with the world module and the collision plugin attached,
// on counting memory, and builders of seeded triangle soups: random
// triangles, sized as a fraction of the soup's extent, anywhere in a cube.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/plugin/collis/collis_internal.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/counting_memory.h"
#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

namespace collis_test {

// Vertices and triangles of a soup, three vertices to a triangle.
struct Soup {
  std::vector<RwV3d> positions;
  std::vector<RpTriangle> triangles;
};

// count triangles in the cube [-extent, extent]^3, each within size of its
// first corner. With a cell size, first corners lie within size / 2 of the
// points of a lattice of that spacing, so that triangles of neighbouring
// points stay apart when the cell exceeds four sizes.
inline Soup MakeSoup(unsigned seed, int count, float extent = 100.0f, float size = 10.0f, float cell = 0.0f) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> anywhere(-extent, extent);
  std::uniform_real_distribution<float> near(-size, size);
  auto place = [&](float c) { return cell > 0.0f ? std::round(c / cell) * cell + near(random) * 0.5f : c; };
  Soup soup;
  for (int i = 0; i < count; ++i) {
    const float x = place(anywhere(random));
    const float y = place(anywhere(random));
    const RwV3d first = {x, y, place(anywhere(random))};
    soup.positions.push_back(first);
    for (int corner = 1; corner < 3; ++corner) {
      soup.positions.push_back({first.x + near(random), first.y + near(random), first.z + near(random)});
    }
    const auto base = static_cast<RwUInt16>(3 * i);
    soup.triangles.push_back({{base, static_cast<RwUInt16>(base + 1), static_cast<RwUInt16>(base + 2)}, 0});
  }
  return soup;
}

// The soup as the forge takes it, all triangles of one material.
inline ForgeSoup ToForgeSoup(const Soup& soup) {
  ForgeSoup forged;
  forged.materials.emplace_back();
  for (const RwV3d& position : soup.positions) {
    ForgeVertex vertex;
    vertex.position = position;
    forged.vertices.push_back(vertex);
  }
  for (const RpTriangle& t : soup.triangles) {
    forged.triangles.push_back({{t.vertIndex[0], t.vertIndex[1], t.vertIndex[2]}, 0});
  }
  return forged;
}

inline RpIntersectionPrimitive Line(const RwV3d& start, const RwV3d& end) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTLINE;
  primitive.t.line = {start, end};
  return primitive;
}

inline RpIntersectionPrimitive Sphere(const RwV3d& centre, RwReal radius) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTSPHERE;
  primitive.t.sphere = {centre, radius};
  return primitive;
}

class CollisionTest : public StartedEngineTest {
 protected:
  static bool AttachPlugins() { return RpWorldPluginAttach() && RpCollisionPluginAttach(); }

  void SetUp() override {
    CountingMemoryReset();
    StartEngine(AttachPlugins, CountingMemoryFunctions());
  }

  // A geometry holding the soup in morph target 0, unlocked (meshes built).
  static RpGeometry* SoupGeometry(const Soup& soup) {
    RpGeometry* geometry =
        RpGeometryCreate(static_cast<RwInt32>(soup.positions.size()), static_cast<RwInt32>(soup.triangles.size()), 0);
    if (geometry == nullptr) {
      return nullptr;
    }
    std::copy(soup.positions.begin(), soup.positions.end(), geometry->morphTarget[0].verts);
    std::copy(soup.triangles.begin(), soup.triangles.end(), geometry->triangles);
    return RpGeometryUnlock(geometry);
  }

  static RpCollisionData* Build(const Soup& soup) {
    return RpCollisionDataCreate(static_cast<RwInt32>(soup.positions.size()), soup.positions.data(),
                                 static_cast<RwInt32>(soup.triangles.size()), soup.triangles.data());
  }
};

}  // namespace collis_test
