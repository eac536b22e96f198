// The bin mesh extension (0x50E): a mesh header stored with its owner, each
// mesh's material as its position in the owner's material list and, unless
// the owner is native, its indices as 32-bit words.
#include <cstring>

#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/stream_internal.h"
#include "engine/world/geometry.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kHeaderSize = 12;
constexpr RwUInt32 kMeshSize = 8;
constexpr RwUInt32 kIndexSize = 4;
// Indices converted per write, and per read.
constexpr RwUInt32 kIndexWriteBatch = 256;
constexpr RwUInt32 kIndexReadBatch = 1024;
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

RpMeshHeader* FailRead(RpMeshHeader* header) {
  if (header != nullptr) {
    RpMeshHeaderDestroy(header);
  }
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return nullptr;
}

// Reads count 32-bit indices into 16-bit ones, in batches; false on a short
// read or an index at or past numVertices.
RwBool ReadIndices(RwStream* stream, RwUInt16* indices, RwUInt32 count, RwUInt32 numVertices) {
  RwUInt8 buffer[kIndexSize * kIndexReadBatch];
  for (RwUInt32 done = 0; done < count;) {
    const RwUInt32 batch = count - done < kIndexReadBatch ? count - done : kIndexReadBatch;
    const RwUInt8* words = _rwStreamReadInPlace(stream, buffer, kIndexSize * batch);
    if (words == nullptr) {
      return FALSE;
    }
    if (!_rwNarrowWords32(words, indices + done, batch, numVertices)) {
      return FALSE;
    }
    done += batch;
  }
  return TRUE;
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
  RwUInt8 buffer[kHeaderSize];
  const RwUInt8* fields =
      length >= static_cast<RwInt32>(kHeaderSize) ? _rwStreamReadInPlace(stream, buffer, kHeaderSize) : nullptr;
  if (fields == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return nullptr;
  }
  const RwUInt32 flags = RwReadLittleEndianUInt32(fields);
  const RwUInt32 numMeshes = RwReadLittleEndianUInt32(fields + 4);
  const RwUInt32 total = RwReadLittleEndianUInt32(fields + 8);
  const RwUInt64 needed = kHeaderSize + static_cast<RwUInt64>(kMeshSize) * numMeshes +
                          (native ? 0 : static_cast<RwUInt64>(kIndexSize) * total);
  // The header is sized by the counts: they must fit the body and the body
  // what the stream holds before anything is allocated by them.
  const RwUInt32 rest = static_cast<RwUInt32>(length) - kHeaderSize;
  if (numMeshes > kRpMeshHeaderMaxMeshes || needed > static_cast<RwUInt64>(length) ||
      _rwStreamBytesAvailable(stream, rest) < rest) {
    return FailRead(nullptr);
  }
  RpMeshHeader* header = _rpMeshHeaderCreate(numMeshes, total, !native, flags);
  if (header == nullptr) {
    return nullptr;
  }
  RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
  auto* indices = reinterpret_cast<RwUInt16*>(meshes + numMeshes);
  // A body the stream holds in memory is lent whole: its records and
  // indices are decoded where they lie.
  const RwUInt8* body = _rwStreamLendBytes(stream, static_cast<RwUInt32>(needed - kHeaderSize));
  RwUInt64 sum = 0;
  for (RwUInt32 m = 0; m < numMeshes; ++m) {
    RwUInt8 buffer[kMeshSize];
    const RwUInt8* record = body;
    if (body != nullptr) {
      body += kMeshSize;
    } else if (RwStreamReadExact(stream, buffer, kMeshSize)) {
      record = buffer;
    } else {
      return FailRead(header);
    }
    RpMesh& mesh = meshes[m];
    mesh.numIndices = RwReadLittleEndianUInt32(record);
    const RwUInt32 materialIndex = RwReadLittleEndianUInt32(record + 4);
    mesh.material =
        materialIndex < static_cast<RwUInt32>(materials->numMaterials) ? materials->materials[materialIndex] : nullptr;
    // The meshes' counts must add up to the total: none may run past it.
    sum += mesh.numIndices;
    if (sum > total) {
      return FailRead(header);
    }
    if (native) {
      continue;
    }
    mesh.indices = indices;
    const RwBool read = body != nullptr
                            ? _rwNarrowWords32(body, indices, mesh.numIndices, static_cast<RwUInt32>(numVertices))
                            : ReadIndices(stream, indices, mesh.numIndices, static_cast<RwUInt32>(numVertices));
    if (!read) {
      return FailRead(header);
    }
    if (body != nullptr) {
      body += kIndexSize * mesh.numIndices;
    }
    indices += mesh.numIndices;
  }
  const RwUInt32 unread = static_cast<RwUInt32>(static_cast<RwUInt64>(length) - needed);
  if (sum != total || (unread > 0 && RwStreamSkip(stream, unread) == nullptr)) {
    return FailRead(header);
  }
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
