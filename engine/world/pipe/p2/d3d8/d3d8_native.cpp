// Native data streams. On disk the instance data keeps its 44-byte records
// (buffer words written 0, the material as its index in the owner's list),
// followed by each mesh's indices and vertices. Reading checks every count
// against the owner and the chunk before any buffer is made.
#include "engine/world/pipe/p2/d3d8/d3d8_native.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/geometry.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"
#include "engine/world/world.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kPlatformWordsSize = 8;  // platform id and S
constexpr RwUInt32 kIndexSize = sizeof(RwUInt16);
// A mesh's index bytes must fit a chunk length.
constexpr RwUInt32 kMaxIndices = 0x7FFFFFFF / kIndexSize;
// Indices are copied through a block of this many at a time.
constexpr RwUInt32 kIndexBatch = 256;
constexpr DWORD kPoolLock = D3DLOCK_NOSYSLOCK;

// Offsets of a record's fields on disk.
enum RecordField : RwUInt32 {
  kFieldMinVert = 0,
  kFieldStride = 4,
  kFieldNumVertices = 8,
  kFieldNumIndices = 12,
  kFieldMaterial = 16,
  kFieldVertexShader = 20,
  kFieldPrimType = 24,
  kFieldIndexBuffer = 28,
  kFieldVertexBuffer = 32,
  kFieldBaseIndex = 36,
  kFieldVertexAlpha = 40,
  kFieldManaged = 41,
  kFieldRemapped = 42,
};

// Where a native owner's data lives and how it is read back.
struct NativeOwner {
  void* owner;
  RwResEntry** slot;
  const RpMaterialList* materials;
  const RpMeshHeader* meshHeader;
};

RwUInt32 BodySize(RwUInt32 numMeshes) { return kRpNativeDataBodyHeaderSize + kRpNativeDataRecordSize * numMeshes; }

RwUInt64 IndexBytes(const RpD3D8InstanceData& record) {
  return record.unindexed ? 0 : static_cast<RwUInt64>(kIndexSize) * record.numIndices;
}

RwUInt64 VertexBytes(const RpD3D8InstanceData& record) {
  return static_cast<RwUInt64>(record.stride) * record.numVertices;
}

// L: platform words, body and every mesh's bytes; 0 when it does not fit a
// chunk length.
RwUInt32 ChunkLength(RwResEntry* entry) {
  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  const RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  RwUInt64 length = kPlatformWordsSize + BodySize(header->numMeshes);
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    length += IndexBytes(records[m]) + VertexBytes(records[m]);
  }
  return length <= 0x7FFFFFFF ? static_cast<RwUInt32>(length) : 0;
}

RwUInt32 MaterialIndex(const RpMaterialList* materials, const RpMaterial* material) {
  const RwInt32 index = material != nullptr ? RpMaterialListFindMaterialIndex(materials, material) : -1;
  return index >= 0 ? static_cast<RwUInt32>(index) : kRpNativeDataNoMaterial;
}

void PutRecord(RwUInt8* out, const RpD3D8InstanceData& record, const RpMaterialList* materials) {
  std::memset(out, 0, kRpNativeDataRecordSize);
  RwWriteLittleEndianUInt32(out + kFieldMinVert, record.minVert);
  RwWriteLittleEndianUInt32(out + kFieldStride, record.stride);
  RwWriteLittleEndianUInt32(out + kFieldNumVertices, record.numVertices);
  RwWriteLittleEndianUInt32(out + kFieldNumIndices, record.numIndices);
  RwWriteLittleEndianUInt32(out + kFieldMaterial, MaterialIndex(materials, record.material));
  RwWriteLittleEndianUInt32(out + kFieldVertexShader, record.vertexShader);
  RwWriteLittleEndianUInt32(out + kFieldPrimType, record.primType);
  RwWriteLittleEndianUInt32(out + kFieldBaseIndex, record.baseIndex);
  out[kFieldVertexAlpha] = record.vertexAlpha;
  out[kFieldManaged] = record.managed;
  out[kFieldRemapped] = record.remapped;
}

RwBool WriteIndices(RwStream* stream, const RpD3D8InstanceData& record) {
  if (record.unindexed) {
    return TRUE;
  }
  BYTE* locked = nullptr;
  if (record.indexBuffer == nullptr || FAILED(record.indexBuffer->Lock(0, 0, &locked, 0)) || locked == nullptr) {
    return FALSE;
  }
  const RwUInt16* indices = reinterpret_cast<const RwUInt16*>(locked);
  RwUInt8 batch[kIndexBatch * kIndexSize];
  RwBool written = TRUE;
  for (RwUInt32 done = 0; done < record.numIndices && written; done += kIndexBatch) {
    const RwUInt32 count = record.numIndices - done < kIndexBatch ? record.numIndices - done : kIndexBatch;
    for (RwUInt32 i = 0; i < count; i++) {
      RwWriteLittleEndianUInt16(batch + i * kIndexSize, indices[done + i]);
    }
    written = RwStreamWrite(stream, batch, count * kIndexSize) != nullptr;
  }
  record.indexBuffer->Unlock();
  return written;
}

// Vertex bytes are written as the buffer holds them: the vertex layout is
// little-endian floats and colour words already.
RwBool WriteVertices(RwStream* stream, const RpD3D8InstanceData& record) {
  const RwUInt32 bytes = static_cast<RwUInt32>(VertexBytes(record));
  if (bytes == 0) {
    return TRUE;
  }
  BYTE* locked = nullptr;
  if (record.vertexBuffer == nullptr ||
      FAILED(record.vertexBuffer->Lock(record.baseIndex * record.stride, bytes, &locked, kPoolLock)) ||
      locked == nullptr) {
    return FALSE;
  }
  const RwBool written = RwStreamWrite(stream, locked, bytes) != nullptr;
  record.vertexBuffer->Unlock();
  return written;
}

RwInt32 NativeSize(RwResEntry* entry) { return entry != nullptr ? static_cast<RwInt32>(ChunkLength(entry)) : 0; }

RwStream* NativeWrite(RwStream* stream, RwResEntry* entry, const RpMaterialList* materials) {
  const RwUInt32 length = ChunkLength(entry);
  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  const RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  const RwUInt32 bodySize = BodySize(header->numMeshes);
  RwUInt8* body = static_cast<RwUInt8*>(RwMalloc(kPlatformWordsSize + bodySize));
  if (length == 0 || body == nullptr) {
    RwFree(body);
    RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
    return nullptr;
  }
  RwWriteLittleEndianUInt32(body, kRpNativeDataPlatformD3D8);
  RwWriteLittleEndianUInt32(body + 4, bodySize);
  RwWriteLittleEndianUInt16(body + kPlatformWordsSize, header->serialNumber);
  RwWriteLittleEndianUInt16(body + kPlatformWordsSize + 2, header->numMeshes);
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    PutRecord(body + kPlatformWordsSize + BodySize(m), records[m], materials);
  }
  RwBool written = RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, length, kRwLibraryVersion,
                                                     kRwLibraryBuild) != nullptr &&
                   RwStreamWrite(stream, body, kPlatformWordsSize + bodySize) != nullptr;
  RwFree(body);
  for (RwUInt32 m = 0; m < header->numMeshes && written; m++) {
    written = WriteIndices(stream, records[m]) && WriteVertices(stream, records[m]);
  }
  return written ? stream : nullptr;
}

// Fills a record from its 44 bytes and checks it against the owner: a
// vertex format whose size is the stride, a known primitive, a material of
// the list. The mesh's own flags come from the mesh header.
RwBool GetRecord(const RwUInt8* in, RpD3D8InstanceData* record, const NativeOwner& owner) {
  record->minVert = RwReadLittleEndianUInt32(in + kFieldMinVert);
  record->stride = RwReadLittleEndianUInt32(in + kFieldStride);
  record->numVertices = RwReadLittleEndianUInt32(in + kFieldNumVertices);
  record->numIndices = RwReadLittleEndianUInt32(in + kFieldNumIndices);
  const RwUInt32 materialIndex = RwReadLittleEndianUInt32(in + kFieldMaterial);
  record->vertexShader = RwReadLittleEndianUInt32(in + kFieldVertexShader);
  record->primType = RwReadLittleEndianUInt32(in + kFieldPrimType);
  record->baseIndex = RwReadLittleEndianUInt32(in + kFieldBaseIndex);
  record->vertexAlpha = in[kFieldVertexAlpha];
  record->remapped = in[kFieldRemapped];
  record->unindexed = (owner.meshHeader->flags & kRpMeshHeaderUnindexed) != 0;
  // Vertex-shader handles mean nothing outside the device that made them.
  if ((record->vertexShader & 1) != 0 || record->stride == 0 ||
      record->stride != RpD3D8GetFVFVertexSize(record->vertexShader) || record->numVertices > kRpGeometryMaxVertices ||
      record->numIndices > kMaxIndices || record->primType < D3DPT_POINTLIST || record->primType > D3DPT_TRIANGLEFAN) {
    return FALSE;
  }
  if (materialIndex == kRpNativeDataNoMaterial) {
    record->material = nullptr;
  } else if (materialIndex < static_cast<RwUInt32>(owner.materials->numMaterials)) {
    record->material = owner.materials->materials[materialIndex];
  } else {
    return FALSE;
  }
  return TRUE;
}

// Reads a mesh's indices into a new index buffer; each must name a vertex
// of the mesh's range. The bytes are read before the buffer is made, so a
// count that lies about the stream fails at the short read.
RwBool ReadIndices(RwStream* stream, RpD3D8InstanceData* record) {
  if (record->unindexed || record->numIndices == 0) {
    return TRUE;
  }
  RwUInt8* bytes = _rpReadChunkBody(stream, record->numIndices * kIndexSize);
  if (bytes == nullptr) {
    return FALSE;
  }
  RwBool read = TRUE;
  for (RwUInt32 i = 0; i < record->numIndices && read; i++) {
    read = RwReadLittleEndianUInt16(bytes + i * kIndexSize) < record->numVertices;
  }
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  if (read && RwD3D8IndexBufferCreate(record->numIndices, &indexBuffer) && indexBuffer != nullptr) {
    record->indexBuffer = indexBuffer;
    BYTE* locked = nullptr;
    read = SUCCEEDED(indexBuffer->Lock(0, 0, &locked, 0)) && locked != nullptr;
    if (read) {
      RwUInt16* indices = reinterpret_cast<RwUInt16*>(locked);
      for (RwUInt32 i = 0; i < record->numIndices; i++) {
        indices[i] = static_cast<RwUInt16>(RwReadLittleEndianUInt16(bytes + i * kIndexSize));
      }
      indexBuffer->Unlock();
    }
  } else {
    read = FALSE;
  }
  RwFree(bytes);
  return read;
}

// Reads a mesh's vertices into a pool range, the bytes first as above.
RwBool ReadVertices(RwStream* stream, RpD3D8InstanceData* record) {
  const RwUInt32 size = static_cast<RwUInt32>(VertexBytes(*record));
  if (size == 0) {
    return TRUE;
  }
  RwUInt8* bytes = _rpReadChunkBody(stream, size);
  if (bytes == nullptr) {
    return FALSE;
  }
  record->managed = 1;
  BYTE* locked = nullptr;
  const RwBool read =
      RpD3D8VertexBufferManagerCreate(record->vertexShader, size, &record->vertexBuffer, &record->baseIndex) &&
      SUCCEEDED(record->vertexBuffer->Lock(record->baseIndex * record->stride, size, &locked, kPoolLock)) &&
      locked != nullptr;
  if (read) {
    std::memcpy(locked, bytes, size);
    record->vertexBuffer->Unlock();
  }
  RwFree(bytes);
  return read;
}

// The records of the body, checked before any buffer is made: their bytes
// must fit what the chunk has left.
RwBool GetRecords(const RwUInt8* body, RwResEntry* entry, const NativeOwner& owner, RwUInt64 bytesLeft) {
  RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(entry);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  // The block has room for the owner's meshes: a count that differs is
  // refused before the header claims it.
  if (RwReadLittleEndianUInt16(body + 2) != owner.meshHeader->numMeshes) {
    return FALSE;
  }
  header->serialNumber = static_cast<RwUInt16>(RwReadLittleEndianUInt16(body));
  header->numMeshes = owner.meshHeader->numMeshes;
  RwUInt64 needed = 0;
  for (RwUInt32 m = 0; m < header->numMeshes; m++) {
    if (!GetRecord(body + BodySize(m), &records[m], owner)) {
      return FALSE;
    }
    needed += IndexBytes(records[m]) + VertexBytes(records[m]);
  }
  return needed <= bytesLeft;
}

RwBool NativeRead(RwStream* stream, const NativeOwner& owner) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return FALSE;
  }
  RwUInt8 words[kPlatformWordsSize];
  if (length < kPlatformWordsSize || RwStreamRead(stream, words, kPlatformWordsSize) != kPlatformWordsSize) {
    return FALSE;
  }
  const RwUInt32 bodySize = RwReadLittleEndianUInt32(words + 4);
  const RwUInt32 numMeshes = owner.meshHeader->numMeshes;
  if (RwReadLittleEndianUInt32(words) != kRpNativeDataPlatformD3D8 || bodySize != BodySize(numMeshes) ||
      bodySize > length - kPlatformWordsSize) {
    return FALSE;
  }
  // The body's size follows from the owner's own mesh count, so the block
  // is no larger than the owner's meshes need.
  RwUInt8* body = static_cast<RwUInt8*>(RwMalloc(bodySize));
  if (body == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return FALSE;
  }
  if (RwStreamRead(stream, body, bodySize) != bodySize) {
    RwFree(body);
    return FALSE;
  }
  if (*owner.slot != nullptr) {
    RwResourcesFreeResEntry(*owner.slot);
  }
  RwResEntry* entry = _rpD3D8InstanceDataAllocatePersistent(owner.owner, owner.slot, RpD3D8InstanceDataSize(numMeshes));
  if (entry == nullptr) {
    RwFree(body);
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return FALSE;
  }
  RwBool read = GetRecords(body, entry, owner, length - kPlatformWordsSize - bodySize);
  RwFree(body);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  for (RwUInt32 m = 0; m < numMeshes && read; m++) {
    read = ReadIndices(stream, &records[m]) && ReadVertices(stream, &records[m]);
  }
  if (!read) {
    RwResourcesFreeResEntry(entry);
  }
  return read;
}

}  // namespace

RwStream* RpD3D8GeometryNativeWrite(RwStream* stream, const RpGeometry* geometry) {
  if ((geometry->flags & rpGEOMETRYNATIVE) == 0 || geometry->repEntry == nullptr) {
    return stream;
  }
  return NativeWrite(stream, geometry->repEntry, &geometry->matList);
}

RpGeometry* RpD3D8GeometryNativeRead(RwStream* stream, RpGeometry* geometry) {
  if (geometry->mesh == nullptr) {
    return nullptr;
  }
  // Always in the pools, whatever the morph targets: a native geometry has
  // no vertices to write again, and dynamic buffers are emptied by a device
  // Reset.
  const NativeOwner owner = {geometry, &geometry->repEntry, &geometry->matList, geometry->mesh};
  return NativeRead(stream, owner) ? geometry : nullptr;
}

RwInt32 RpD3D8GeometryNativeSize(const RpGeometry* geometry) {
  if ((geometry->flags & rpGEOMETRYNATIVE) == 0) {
    return 0;
  }
  return NativeSize(geometry->repEntry);
}

RwStream* RpD3D8WorldSectorNativeWrite(RwStream* stream, const RpWorldSector* sector) {
  const RpWorld* world = RpWorldSectorGetWorld(sector);
  if (world == nullptr || (world->flags & rpWORLDNATIVE) == 0 || sector->repEntry == nullptr) {
    return stream;
  }
  return NativeWrite(stream, sector->repEntry, &world->matList);
}

RpWorldSector* RpD3D8WorldSectorNativeRead(RwStream* stream, RpWorldSector* sector) {
  const RpWorld* world = RpWorldSectorGetWorld(sector);
  if (world == nullptr || sector->mesh == nullptr) {
    return nullptr;
  }
  const NativeOwner owner = {sector, &sector->repEntry, &world->matList, sector->mesh};
  return NativeRead(stream, owner) ? sector : nullptr;
}

RwInt32 RpD3D8WorldSectorNativeSize(const RpWorldSector* sector) {
  const RpWorld* world = RpWorldSectorGetWorld(sector);
  if (world == nullptr || (world->flags & rpWORLDNATIVE) == 0) {
    return 0;
  }
  return NativeSize(sector->repEntry);
}

namespace {

// The plugin registry's callbacks: the extension's length counts the struct
// chunk's header besides L.
RwInt32 WithHeader(RwInt32 length) { return length > 0 ? length + static_cast<RwInt32>(kRwChunkHeaderSize) : 0; }

RwStream* GeometryRead(RwStream* stream, RwInt32, void* object, RwInt32, RwInt32) {
  return RpD3D8GeometryNativeRead(stream, static_cast<RpGeometry*>(object)) != nullptr ? stream : nullptr;
}
RwStream* GeometryWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  return RpD3D8GeometryNativeWrite(stream, static_cast<const RpGeometry*>(object));
}
RwInt32 GeometrySize(const void* object, RwInt32, RwInt32) {
  return WithHeader(RpD3D8GeometryNativeSize(static_cast<const RpGeometry*>(object)));
}
RwStream* SectorRead(RwStream* stream, RwInt32, void* object, RwInt32, RwInt32) {
  return RpD3D8WorldSectorNativeRead(stream, static_cast<RpWorldSector*>(object)) != nullptr ? stream : nullptr;
}
RwStream* SectorWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  return RpD3D8WorldSectorNativeWrite(stream, static_cast<const RpWorldSector*>(object));
}
RwInt32 SectorSize(const void* object, RwInt32, RwInt32) {
  return WithHeader(RpD3D8WorldSectorNativeSize(static_cast<const RpWorldSector*>(object)));
}

}  // namespace

RwBool _rpNativeDataPluginAttach(void) {
  return RpGeometryRegisterPlugin(0, kRpPluginIdNativeData, nullptr, nullptr, nullptr) >= 0 &&
         RpGeometryRegisterPluginStream(kRpPluginIdNativeData, GeometryRead, GeometryWrite, GeometrySize) >= 0 &&
         RpWorldSectorRegisterPlugin(0, kRpPluginIdNativeData, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSectorRegisterPluginStream(kRpPluginIdNativeData, SectorRead, SectorWrite, SectorSize) >= 0;
}
