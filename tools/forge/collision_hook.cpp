// Collision trees for forged worlds: each sector's tree is built over its
// polygons, handed to the builder in triangle order {v0, v1, v2, material}
// (the map then holds polygon indices), and written as its 0x11D sub-chunk.
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

void AddSectorTree(const ForgeWorldLayout& layout, const ForgeSector& sector, ForgeExtension* extension) {
  if (sector.polygons.empty() || sector.soupVertex.empty()) {
    return;
  }
  std::vector<RwV3d> positions;
  positions.reserve(sector.soupVertex.size());
  for (RwUInt32 vertex : sector.soupVertex) {
    positions.push_back(layout.soup->vertices[vertex].position);
  }
  std::vector<RpTriangle> triangles;
  triangles.reserve(sector.polygons.size());
  for (const RpPolygon& polygon : sector.polygons) {
    triangles.push_back({{polygon.vertIndex[0], polygon.vertIndex[1], polygon.vertIndex[2]}, polygon.matIndex});
  }
  RpCollisionData* data = RpCollisionDataCreate(static_cast<RwInt32>(positions.size()), positions.data(),
                                                static_cast<RwInt32>(triangles.size()), triangles.data());
  if (data == nullptr) {
    return;
  }
  ForgeSubChunk chunk = {static_cast<RwUInt32>(kRpCollisionPluginId), {}};
  if (ForgeEngineWritten([data](RwStream* stream) { return RpCollisionDataStreamWrite(data, stream) != nullptr; },
                         &chunk.body)) {
    extension->push_back(chunk);
  }
  RpCollisionDataDestroy(data);
}

}  // namespace

ForgeWorldHook ForgeCollisionHook() {
  ForgeWorldHook hook;
  hook.sector = AddSectorTree;
  return hook;
}
