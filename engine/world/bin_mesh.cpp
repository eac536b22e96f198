// The bin mesh extension (0x50E): a mesh header stored with its owner, each
// mesh's material as its position in the owner's material list and, unless
// the owner is native, its indices as 32-bit words.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/geometry.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kHeaderSize = 12;
constexpr RwUInt32 kMeshSize = 8;
constexpr RwUInt32 kIndexSize = 4;
// Indices converted per write.
constexpr RwUInt32 kIndexWriteBatch = 256;
constexpr RwUInt32 kNoMaterialIndex = 0xFFFFFFFF;

RwBool WriteWords(RwStream* stream, const RwUInt32* words, RwUInt32 count) {
  return RwStreamWriteInt32(stream, reinterpret_cast<const RwInt32*>(words), kIndexSize * count) != nullptr;
}

RwBool WriteIndices(RwStream* stream, const RpMesh& mesh) {
  RwUInt32 words[kIndexWriteBatch];
  for (RwUInt32 done = 0; done < mesh.numIndices;) {
    const RwUInt32 left = mesh.numIndices - done;
    const RwUInt32 batch = left < kIndexWriteBatch ? left : kIndexWriteBatch;
    for (RwUInt32 i = 0; i < batch; ++i) {
      words[i] = mesh.indices[done + i];
    }
    if (!WriteWords(stream, words, batch)) {
      return FALSE;
    }
    done += batch;
  }
  return TRUE;
}

// A mesh without material is stored with an index no list holds, so that it
// reads back without one; a material missing from the list is stored as 0.
RwUInt32 MaterialIndex(const RpMaterialList* materials, const RpMaterial* material) {
  if (material == nullptr) {
    return kNoMaterialIndex;
  }
  const RwInt32 index = RpMaterialListFindMaterialIndex(materials, material);
  return index >= 0 ? static_cast<RwUInt32>(index) : 0;
}

RpMeshHeader* FailRead(RpMeshHeader* header, RwUInt8* body) {
  if (header != nullptr) {
    RpMeshHeaderDestroy(header);
  }
  RwFree(body);
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return nullptr;
}

RwBool IsNative(const RpGeometry* geometry) { return (geometry->flags & rpGEOMETRYNATIVE) != 0; }

RwStream* GeometryBinMeshRead(RwStream* stream, RwInt32 length, void* object, RwInt32, RwInt32) {
  auto* geometry = static_cast<RpGeometry*>(object);
  return _rpBinMeshRead(stream, length, &geometry->mesh, &geometry->matList, geometry->numVertices, IsNative(geometry));
}

RwStream* GeometryBinMeshWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  const auto* geometry = static_cast<const RpGeometry*>(object);
  return RpMeshHeaderStreamWrite(geometry->mesh, stream, &geometry->matList, IsNative(geometry));
}

RwInt32 GeometryBinMeshGetSize(const void* object, RwInt32, RwInt32) {
  const auto* geometry = static_cast<const RpGeometry*>(object);
  return geometry->mesh != nullptr ? RpMeshHeaderStreamGetSize(geometry->mesh, IsNative(geometry)) : 0;
}

}  // namespace

RwInt32 RpMeshHeaderStreamGetSize(const RpMeshHeader* header, RwBool native) {
  RwUInt32 size = kHeaderSize + kMeshSize * header->numMeshes;
  if (!native) {
    size += kIndexSize * header->totalIndicesInMesh;
  }
  return static_cast<RwInt32>(size);
}

RwStream* RpMeshHeaderStreamWrite(const RpMeshHeader* header, RwStream* stream, const RpMaterialList* materials,
                                  RwBool native) {
  const RwUInt32 words[3] = {header->flags, header->numMeshes, header->totalIndicesInMesh};
  if (!WriteWords(stream, words, 3)) {
    return nullptr;
  }
  const RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
  for (RwUInt32 m = 0; m < header->numMeshes; ++m) {
    const RwUInt32 mesh[2] = {meshes[m].numIndices, MaterialIndex(materials, meshes[m].material)};
    if (!WriteWords(stream, mesh, 2) || (!native && !WriteIndices(stream, meshes[m]))) {
      return nullptr;
    }
  }
  return stream;
}

RpMeshHeader* RpMeshHeaderStreamRead(RwStream* stream, RwInt32 length, const RpMaterialList* materials,
                                     RwInt32 numVertices, RwBool native) {
  if (length < static_cast<RwInt32>(kHeaderSize)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return nullptr;
  }
  RwUInt8* body = _rpReadChunkBody(stream, static_cast<RwUInt32>(length));
  if (body == nullptr) {
    return nullptr;
  }
  const RwUInt32 flags = RwReadLittleEndianUInt32(body);
  const RwUInt32 numMeshes = RwReadLittleEndianUInt32(body + 4);
  const RwUInt32 total = RwReadLittleEndianUInt32(body + 8);
  const RwUInt64 needed = kHeaderSize + static_cast<RwUInt64>(kMeshSize) * numMeshes +
                          (native ? 0 : static_cast<RwUInt64>(kIndexSize) * total);
  if (numMeshes > kRpMeshHeaderMaxMeshes || needed > static_cast<RwUInt64>(length)) {
    return FailRead(nullptr, body);
  }
  // The meshes' counts must add up to the total before anything is laid out by them.
  RwUInt64 sum = 0;
  const RwUInt8* at = body + kHeaderSize;
  for (RwUInt32 m = 0; m < numMeshes; ++m) {
    const RwUInt32 count = RwReadLittleEndianUInt32(at);
    sum += count;
    at += kMeshSize + (native ? 0 : kIndexSize * static_cast<RwUInt64>(count));
    if (sum > total) {
      return FailRead(nullptr, body);
    }
  }
  if (sum != total) {
    return FailRead(nullptr, body);
  }
  RpMeshHeader* header = _rpMeshHeaderCreate(numMeshes, total, !native, flags);
  if (header == nullptr) {
    RwFree(body);
    return nullptr;
  }
  RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
  auto* indices = reinterpret_cast<RwUInt16*>(meshes + numMeshes);
  at = body + kHeaderSize;
  for (RwUInt32 m = 0; m < numMeshes; ++m) {
    RpMesh& mesh = meshes[m];
    mesh.numIndices = RwReadLittleEndianUInt32(at);
    const RwUInt32 materialIndex = RwReadLittleEndianUInt32(at + 4);
    at += kMeshSize;
    mesh.material =
        materialIndex < static_cast<RwUInt32>(materials->numMaterials) ? materials->materials[materialIndex] : nullptr;
    if (native) {
      continue;
    }
    mesh.indices = indices;
    for (RwUInt32 i = 0; i < mesh.numIndices; ++i) {
      const RwUInt32 index = RwReadLittleEndianUInt32(at);
      at += kIndexSize;
      if (index >= static_cast<RwUInt32>(numVertices)) {
        return FailRead(header, body);
      }
      indices[i] = static_cast<RwUInt16>(index);
    }
    indices += mesh.numIndices;
  }
  RwFree(body);
  return header;
}

RwStream* _rpBinMeshRead(RwStream* stream, RwInt32 length, RpMeshHeader** mesh, const RpMaterialList* materials,
                         RwInt32 numVertices, RwBool native) {
  RpMeshHeader* header = RpMeshHeaderStreamRead(stream, length, materials, numVertices, native);
  if (header == nullptr) {
    return nullptr;
  }
  if (*mesh != nullptr) {
    RpMeshHeaderDestroy(*mesh);  // a second bin mesh replaces the first
  }
  *mesh = header;
  return stream;
}

RwBool _rpGeometryBinMeshPluginAttach(void) {
  return RpGeometryRegisterPlugin(0, kRpPluginIdBinMesh, nullptr, nullptr, nullptr) >= 0 &&
         RpGeometryRegisterPluginStream(kRpPluginIdBinMesh, GeometryBinMeshRead, GeometryBinMeshWrite,
                                        GeometryBinMeshGetSize) >= 0;
}
