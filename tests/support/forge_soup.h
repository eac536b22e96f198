// Seeded triangle soups for the forge and the world tests: small triangles
// scattered through a cube, some sharing a vertex with the triangle before
// them (when shared is set), every vertex with a normal, a pre-light colour and eight coordinate
// sets that tell the vertices apart.
#pragma once

#include <cstdint>
#include <random>

#include "tools/forge/forge.h"

namespace forge_test {

inline ForgeSoup RandomSoup(uint32_t seed, int triangles, int materials, bool shared = true, float extent = 100.0f) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> place(-extent, extent);
  std::uniform_real_distribution<float> nudge(-2.0f, 2.0f);
  std::uniform_int_distribution<int> byte(0, 255);
  ForgeSoup soup;
  for (int m = 0; m < materials; ++m) {
    ForgeMaterial material;
    material.color = {static_cast<RwUInt8>(m), static_cast<RwUInt8>(byte(random)), 7, 255};
    soup.materials.push_back(material);
  }
  auto vertexNear = [&](const RwV3d& centre) {
    ForgeVertex vertex;
    vertex.position = {centre.x + nudge(random), centre.y + nudge(random), centre.z + nudge(random)};
    vertex.normal = {0.0f, 0.6f, -0.8f};
    vertex.prelight = {static_cast<RwUInt8>(byte(random)), static_cast<RwUInt8>(byte(random)), 3, 255};
    for (int set = 0; set < kRpGeometryMaxTexCoordSets; ++set) {
      vertex.uv[set] = {static_cast<float>(soup.vertices.size()), static_cast<float>(set)};
    }
    soup.vertices.push_back(vertex);
    return static_cast<RwUInt32>(soup.vertices.size() - 1);
  };
  for (int t = 0; t < triangles; ++t) {
    const RwV3d centre = {place(random), place(random), place(random)};
    ForgeTriangle triangle;
    // Every third triangle may share its first vertex with the one before.
    triangle.vertex[0] = shared && t % 3 == 2 ? soup.triangles.back().vertex[2] : vertexNear(centre);
    triangle.vertex[1] = vertexNear(centre);
    triangle.vertex[2] = vertexNear(centre);
    triangle.material = static_cast<RwUInt32>(t % materials);
    soup.triangles.push_back(triangle);
  }
  return soup;
}

}  // namespace forge_test
