// Native geometry data builder; see native_geometry_bytes.h.
#include "tests/support/native_geometry_bytes.h"

#include <cstring>

namespace {

constexpr uint32_t kRecordSize = 44;
constexpr uint32_t kBodyHeaderSize = 4;

void PutRecord(ChunkBytes& bytes, const NativeMeshDescription& mesh) {
  for (uint32_t word : {mesh.minVert, mesh.stride, mesh.numVertices, mesh.numIndices, mesh.material, mesh.fvf,
                        mesh.primType, 0u, 0u, mesh.baseIndex}) {
    bytes.U32(word);
  }
  // The pool flag (1) is reassigned when read.
  bytes.Bytes({mesh.vertexAlpha, 1, mesh.remapped, 0});
}

}  // namespace

NativeMeshDescription NativePositionsMesh(uint32_t count) {
  NativeMeshDescription mesh;
  mesh.numVertices = count;
  for (uint32_t i = 0; i < count; ++i) {
    const float position[3] = {static_cast<float>(i), 0.0f, 0.0f};
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(position);
    mesh.vertices.insert(mesh.vertices.end(), bytes, bytes + sizeof position);
  }
  for (uint32_t i = 1; i + 1 < count; ++i) {
    mesh.indices.insert(mesh.indices.end(), {0, static_cast<uint16_t>(i), static_cast<uint16_t>(i + 1)});
  }
  mesh.numIndices = static_cast<uint32_t>(mesh.indices.size());
  return mesh;
}

ChunkBytes NativeGeometryStruct(const NativeGeometryDescription& description) {
  const uint32_t meshes = static_cast<uint32_t>(description.meshes.size());
  ChunkBytes body;
  body.U32(description.platform)
      .U32(kBodyHeaderSize + kRecordSize * meshes + static_cast<uint32_t>(description.bodySizeSlack))
      .U16(description.serialNumber)
      .U16(static_cast<uint16_t>(meshes));
  for (const NativeMeshDescription& mesh : description.meshes) {
    PutRecord(body, mesh);
  }
  for (const NativeMeshDescription& mesh : description.meshes) {
    for (uint16_t index : mesh.indices) {
      body.U16(index);
    }
    body.Bytes(mesh.vertices);
  }
  ChunkBytes bytes;
  bytes.Header(1, static_cast<uint32_t>(static_cast<int32_t>(body.size()) + description.lengthSlack), description.stamp)
      .Bytes(body.bytes());
  return bytes;
}
