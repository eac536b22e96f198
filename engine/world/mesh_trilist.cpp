// Triangle-list mesh headers: one list per material in material order, each
// reordered so that runs of triangles share no vertex.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kIndicesPerTriangle = 3;

}  // namespace

RwBool RpMeshOptimiseTriList(RwUInt16* indices, RwUInt32 numIndices) {
  const RwUInt32 numTriangles = numIndices / kIndicesPerTriangle;
  if (numTriangles < 2) {
    return TRUE;
  }
  // Per vertex the pass that last used it (0: none), for the vertices up to
  // the largest the list names; per triangle whether it is placed; and the
  // reordered indices.
  RwUInt32 largest = 0;
  for (RwUInt32 i = 0; i < kIndicesPerTriangle * numTriangles; ++i) {
    largest = indices[i] > largest ? indices[i] : largest;
  }
  const size_t markBytes = sizeof(RwUInt32) * (largest + 1);
  const size_t placedBytes = numTriangles;
  const size_t outBytes = sizeof(RwUInt16) * numTriangles * kIndicesPerTriangle;
  auto* work = static_cast<RwUInt8*>(RwMalloc(markBytes + outBytes + placedBytes));
  if (work == nullptr) {
    return FALSE;
  }
  auto* vertexPass = reinterpret_cast<RwUInt32*>(work);
  auto* out = reinterpret_cast<RwUInt16*>(work + markBytes);
  RwUInt8* placed = work + markBytes + outBytes;
  std::memset(vertexPass, 0, markBytes);
  std::memset(placed, 0, placedBytes);

  RwUInt32 done = 0;
  RwUInt32 firstUnplaced = 0;
  for (RwUInt32 pass = 1; done < numTriangles; ++pass) {
    while (placed[firstUnplaced]) {
      firstUnplaced++;
    }
    for (RwUInt32 t = firstUnplaced; t < numTriangles; ++t) {
      const RwUInt16* tri = indices + kIndicesPerTriangle * t;
      if (placed[t] || vertexPass[tri[0]] == pass || vertexPass[tri[1]] == pass || vertexPass[tri[2]] == pass) {
        continue;
      }
      vertexPass[tri[0]] = pass;
      vertexPass[tri[1]] = pass;
      vertexPass[tri[2]] = pass;
      placed[t] = 1;
      std::memcpy(out + kIndicesPerTriangle * done, tri, sizeof(RwUInt16) * kIndicesPerTriangle);
      done++;
    }
  }
  std::memcpy(indices, out, outBytes);
  RwFree(work);
  return TRUE;
}

RpMeshHeader* RpMeshBuilderToTriLists(RpMeshBuilder* builder) {
  RwUInt32 numGroups = 0;
  const RpMeshBuilderEntry** sorted = _rpMeshBuilderSortEntries(builder, &numGroups);
  if (sorted == nullptr) {
    return nullptr;
  }
  const RwUInt32 numIndices = kIndicesPerTriangle * builder->numTriangles;
  RpMeshHeader* header = _rpMeshHeaderCreate(numGroups, numIndices, TRUE, kRpMeshHeaderTriList);
  if (header == nullptr) {
    RwFree(sorted);
    return nullptr;
  }
  RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
  auto* next = reinterpret_cast<RwUInt16*>(meshes + numGroups);
  RpMesh* mesh = meshes - 1;
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    if (i == 0 || sorted[i]->material != sorted[i - 1]->material) {
      ++mesh;
      mesh->indices = next;
      mesh->material = sorted[i]->material;
    }
    std::memcpy(next, sorted[i]->vertexIndex, sizeof(RwUInt16) * kIndicesPerTriangle);
    next += kIndicesPerTriangle;
    mesh->numIndices += kIndicesPerTriangle;
  }
  RwFree(sorted);
  for (RwUInt32 g = 0; g < numGroups; ++g) {
    // Without work memory a list keeps its order.
    RpMeshOptimiseTriList(meshes[g].indices, meshes[g].numIndices);
  }
  return header;
}
