// Native geometry data builder; see native_geometry_bytes.h.
#include "tests/support/native_geometry_bytes.h"

#include <cstring>

namespace {

constexpr uint32_t kRecordSize = 44;
constexpr uint32_t kBodyHeaderSize = 4;

void PutU16(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

void PutRecord(std::vector<uint8_t>& bytes, const NativeMeshDescription& mesh) {
  for (uint32_t word : {mesh.minVert, mesh.stride, mesh.numVertices, mesh.numIndices, mesh.material, mesh.fvf,
                        mesh.primType, 0u, 0u, mesh.baseIndex}) {
    PutU32(bytes, word);
  }
  bytes.push_back(mesh.vertexAlpha);
  bytes.push_back(1);  // pool flag: reassigned when read
  bytes.push_back(mesh.remapped);
  bytes.push_back(0);
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
  std::vector<uint8_t> body;
  PutU32(body, description.platform);
  PutU32(body, kBodyHeaderSize + kRecordSize * meshes + static_cast<uint32_t>(description.bodySizeSlack));
  PutU16(body, description.serialNumber);
  PutU16(body, meshes);
  for (const NativeMeshDescription& mesh : description.meshes) {
    PutRecord(body, mesh);
  }
  for (const NativeMeshDescription& mesh : description.meshes) {
    for (uint16_t index : mesh.indices) {
      PutU16(body, index);
    }
    body.insert(body.end(), mesh.vertices.begin(), mesh.vertices.end());
  }
  ChunkBytes bytes;
  bytes.Header(1, static_cast<uint32_t>(static_cast<int32_t>(body.size()) + description.lengthSlack), description.stamp)
      .Bytes(body);
  return bytes;
}
