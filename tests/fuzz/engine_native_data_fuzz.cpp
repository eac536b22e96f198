// Native geometry data on the Direct3D 8 stand-in: the struct chunk of
// plugin chunk 0x510 read into a native geometry, rebuilding its index and
// vertex buffers; what reads is written back.
// Input: a flags byte (bits 0-1 the mesh count less one, bit 2 two morph
// targets, bit 3 meshes without indices, bits 4-5 the material count), then
// the chunk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/engine.h"
#include "engine/world/world_internal.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"

namespace {

constexpr uint8_t kMeshCountMask = 0x3;
constexpr uint8_t kTwoMorphTargets = 0x4;
constexpr uint8_t kUnindexed = 0x8;
constexpr int kMaterialCountShift = 4;
constexpr uint8_t kMaterialCountMask = 0x3;
constexpr RwUInt32 kIndicesPerMesh = 6;

bool StartEngine() { return d3d8fuzz::Start(RpWorldPluginAttach); }

RpGeometry* NativeGeometry(uint8_t flags) {
  RpGeometry* geometry = RpGeometryCreate(4, 2, rpGEOMETRYNATIVE);
  if (geometry == nullptr) {
    return nullptr;
  }
  if ((flags & kTwoMorphTargets) != 0) {
    RpGeometryAddMorphTargets(geometry, 1);
  }
  const int materials = (flags >> kMaterialCountShift) & kMaterialCountMask;
  for (int i = 0; i < materials; i++) {
    RpMaterial* material = RpMaterialCreate();
    RpMaterialListAppendMaterial(&geometry->matList, material);
    RpMaterialDestroy(material);
  }
  const RwUInt32 meshes = (flags & kMeshCountMask) + 1u;
  const RwUInt32 meshFlags = (flags & kUnindexed) != 0 ? kRpMeshHeaderUnindexed : kRpMeshHeaderTriList;
  geometry->mesh = _rpMeshHeaderCreate(meshes, meshes * kIndicesPerMesh, FALSE, meshFlags);
  if (geometry->mesh == nullptr) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  RpMesh* mesh = RpMeshHeaderGetFirstMesh(geometry->mesh);
  for (RwUInt32 m = 0; m < meshes; m++) {
    mesh[m].numIndices = kIndicesPerMesh;
  }
  return geometry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started) {
    std::abort();
  }
  if (size == 0) {
    return 0;
  }
  RpGeometry* geometry = NativeGeometry(data[0]);
  if (geometry == nullptr) {
    return 0;
  }
  RwMemory memory = {const_cast<RwUInt8*>(data + 1), static_cast<RwUInt32>(size - 1)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream != nullptr) {
    if (RpD3D8GeometryNativeRead(stream, geometry) != nullptr) {
      RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
      if (out != nullptr) {
        RpD3D8GeometryNativeWrite(out, geometry);
        RwStreamClose(out, nullptr);
      }
    }
    RwStreamClose(stream, nullptr);
  }
  RpGeometryDestroy(geometry);
  // The pools keep every buffer they made until they close: a fresh start
  // for each input keeps the fuzzer's memory flat.
  RpD3D8VertexBufferManagerOpen();
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
