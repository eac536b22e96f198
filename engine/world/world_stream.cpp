// The world chunk (0xB): a struct with the counts that size one block for the
// whole world, the material list, the BSP as nested plane sector (0xA) and
// atomic sector (9) chunks, and the world's extension. Also the streams that
// worlds and sectors carry in their extensions: right to render and, on
// sectors, the bin mesh.
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/stream_internal.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/mesh.h"
#include "engine/world/world.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kLongStructSize = 64;
constexpr RwUInt32 kShortStructSize = 52;
constexpr RwUInt32 kPlaneStructSize = 24;
constexpr RwUInt32 kSectorStructSize = 44;
// Bytes of one record of each sector array in the stream.
constexpr RwUInt32 kVertexSize = 12;
constexpr RwUInt32 kNormalSize = 4;
constexpr RwUInt32 kColorSize = 4;
constexpr RwUInt32 kTexCoordSize = 8;
constexpr RwUInt32 kPolygonSize = 8;
// Every piece of the block starts at a multiple of this.
constexpr size_t kBlockAlignment = 8;
// Array kinds a sector may take from the block, each padded to the alignment.
constexpr size_t kSectorArrayKinds = 4 + kRpGeometryMaxTexCoordSets;
// The largest block a world may ask for: far above any level, and a bound on
// what counts that a corrupt struct claims can make the reader allocate.
constexpr size_t kMaxBlockSize = 256u << 20;
// A sector counts its vertices and polygons in 16 bits.
constexpr RwInt32 kMaxSectorCount = 0xFFFF;

// The world struct's fields, from either layout.
struct WorldStruct {
  RwBool rootIsAtomic;
  RwV3d negatedOrigin;
  RwInt32 numPolygons;
  RwInt32 numVertices;
  RwInt32 numPlaneSectors;
  RwInt32 numAtomicSectors;
  RwInt32 reserved;
  RwUInt32 format;
  RwBool hasBox;
  RwBBox box;
};

RwV3d ReadVector(const RwUInt8* bytes) {
  return {RwReadLittleEndianReal(bytes), RwReadLittleEndianReal(bytes + 4), RwReadLittleEndianReal(bytes + 8)};
}

WorldStruct ParseStruct(const RwUInt8* bytes, RwUInt32 version) {
  WorldStruct parsed = {};
  parsed.rootIsAtomic = RwReadLittleEndianUInt32(bytes) != 0;
  parsed.negatedOrigin = ReadVector(bytes + 4);
  // The short layout has three unused reals where the long one has none.
  const RwUInt8* counts = bytes + (version < kRpWorldStructLongVersion ? 28 : 16);
  parsed.numPolygons = RwReadLittleEndianInt32(counts);
  parsed.numVertices = RwReadLittleEndianInt32(counts + 4);
  parsed.numPlaneSectors = RwReadLittleEndianInt32(counts + 8);
  parsed.numAtomicSectors = RwReadLittleEndianInt32(counts + 12);
  parsed.reserved = RwReadLittleEndianInt32(counts + 16);
  parsed.format = RwReadLittleEndianUInt32(counts + 20);
  parsed.hasBox = version >= kRpWorldStructBoxVersion;
  if (parsed.hasBox) {
    parsed.box.sup = ReadVector(bytes + 40);
    parsed.box.inf = ReadVector(bytes + 52);
  }
  return parsed;
}

// Texture-coordinate sets as geometry creation counts them.
RwInt32 TexCoordSets(RwUInt32 format) {
  const RwInt32 sets = static_cast<RwInt32>((format & rpGEOMETRYTEXCOORDSETSMASK) >> rpGEOMETRYTEXCOORDSETSSHIFT);
  if (sets != 0) {
    return sets;
  }
  return (format & rpWORLDTEXTURED2) != 0 ? 2 : ((format & rpWORLDTEXTURED) != 0 ? 1 : 0);
}

size_t Align(size_t size) { return (size + kBlockAlignment - 1) & ~(kBlockAlignment - 1); }

// The block for the struct's counts (none negative), or 0 when it would be
// larger than the largest block.
size_t BlockSize(const WorldStruct& parsed, RwInt32 numSets) {
  const auto vertices = static_cast<RwUInt64>(parsed.numVertices);
  const auto atomics = static_cast<RwUInt64>(parsed.numAtomicSectors);
  RwUInt64 size = static_cast<RwUInt64>(_rpWorldRegistry()->sizeOfStruct) +
                  atomics * static_cast<RwUInt64>(_rpWorldSectorRegistry()->sizeOfStruct) +
                  static_cast<RwUInt64>(parsed.numPlaneSectors) * Align(sizeof(RpPlaneSector));
  if ((parsed.format & rpWORLDNATIVE) == 0) {
    RwUInt64 perVertex = kVertexSize + kTexCoordSize * static_cast<RwUInt64>(numSets);
    perVertex += (parsed.format & rpWORLDNORMALS) != 0 ? sizeof(RpVertexNormal) : 0;
    perVertex += (parsed.format & rpWORLDPRELIT) != 0 ? sizeof(RwRGBA) : 0;
    size += vertices * perVertex + static_cast<RwUInt64>(parsed.numPolygons) * sizeof(RpPolygon) +
            atomics * kSectorArrayKinds * kBlockAlignment;
  }
  return size <= kMaxBlockSize ? static_cast<size_t>(size) : 0;
}

RwBool FailCorrupt() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return FALSE;
}

// Whether the stream still holds the least the struct's counts take: a
// struct and header for every sector and, in a world that is not native, a
// position for every vertex and a record for every polygon. The block is
// sized by those counts, so counts the bytes cannot back are refused first.
RwBool StreamCanHold(const RwStream* stream, const WorldStruct& parsed) {
  RwUInt64 least = (static_cast<RwUInt64>(parsed.numPlaneSectors) * (kRwChunkHeaderSize + kPlaneStructSize)) +
                   (static_cast<RwUInt64>(parsed.numAtomicSectors) * (kRwChunkHeaderSize + kSectorStructSize));
  if ((parsed.format & rpWORLDNATIVE) == 0) {
    least += static_cast<RwUInt64>(parsed.numVertices) * kVertexSize +
             static_cast<RwUInt64>(parsed.numPolygons) * kPolygonSize;
  }
  return least <= 0xFFFFFFFFu && _rwStreamBytesAvailable(stream, static_cast<RwUInt32>(least)) == least;
}

RwBool FailVersion() {
  RwErrorRaise(kRwPluginIdCore, kRwErrBadChunkVersion);
  return FALSE;
}

// A world being read: the cursor through its block and what the struct
// announced that the stream has not yet delivered.
struct WorldReader {
  RwStream* stream;
  RpWorld* world;
  RwUInt8* cursor;
  RwUInt8* end;
  RwInt32 numTexCoordSets;
  RwInt32 planesLeft;
  RwInt32 sectorsLeft;
  RwInt32 verticesLeft;
  RwInt32 polygonsLeft;

  // The next bytes of the block, or null when the block has no more.
  void* Take(size_t bytes) {
    const size_t aligned = Align(bytes);
    if (aligned > static_cast<size_t>(end - cursor)) {
      return nullptr;
    }
    void* piece = cursor;
    cursor += aligned;
    return piece;
  }
  // The same, zeroed: the block's records start zeroed, its arrays are
  // overwritten whole by their reads.
  void* TakeRecord(size_t bytes) {
    void* piece = Take(bytes);
    if (piece != nullptr) {
      std::memset(piece, 0, bytes);
    }
    return piece;
  }
};

// The stream's records are laid out as the block's arrays hold them: each
// array is read straight into its place and its words put in native order.
static_assert(sizeof(RwV3d) == kVertexSize && sizeof(RpVertexNormal) == kNormalSize && sizeof(RwRGBA) == kColorSize &&
                  sizeof(RwTexCoords) == kTexCoordSize && sizeof(RpPolygon) == kPolygonSize,
              "sector arrays hold the stream's records");

// Takes an array of count records of size bytes from the block and reads it;
// null when the block or the stream ends first.
void* ReadArray(WorldReader* reader, RwUInt32 count, RwUInt32 size) {
  void* array = reader->Take(static_cast<size_t>(size) * count);
  if (array == nullptr || !RwStreamReadExact(reader->stream, array, size * count)) {
    return nullptr;
  }
  return array;
}

// Positions and coordinates are 32-bit reals; normals and colours are bytes.
RwBool ReadVertexArrays(WorldReader* reader, RpWorldSector* sector) {
  const RwUInt32 count = sector->numVertices;
  const RwUInt32 format = reader->world->flags;
  sector->vertices = static_cast<RwV3d*>(ReadArray(reader, count, kVertexSize));
  if (sector->vertices == nullptr) {
    return FALSE;
  }
  RwMemNative32(sector->vertices, kVertexSize * count);
  if ((format & rpWORLDNORMALS) != 0) {
    sector->normals = static_cast<RpVertexNormal*>(ReadArray(reader, count, kNormalSize));
    if (sector->normals == nullptr) {
      return FALSE;
    }
  }
  if ((format & rpWORLDPRELIT) != 0) {
    sector->preLitLum = static_cast<RwRGBA*>(ReadArray(reader, count, kColorSize));
    if (sector->preLitLum == nullptr) {
      return FALSE;
    }
  }
  for (RwInt32 set = 0; set < reader->numTexCoordSets; ++set) {
    sector->texCoords[set] = static_cast<RwTexCoords*>(ReadArray(reader, count, kTexCoordSize));
    if (sector->texCoords[set] == nullptr) {
      return FALSE;
    }
    RwMemNative32(sector->texCoords[set], kTexCoordSize * count);
  }
  return TRUE;
}

// Polygons whose vertices lie outside the sector fail the read. Bytes the
// stream holds in memory are copied and checked in one pass.
RwBool ReadPolygons(WorldReader* reader, RpWorldSector* sector) {
  const RwUInt32 count = sector->numPolygons;
  const RwUInt32 size = kPolygonSize * count;
  auto* polygons = static_cast<RpPolygon*>(reader->Take(size));
  const RwUInt8* lent =
      polygons != nullptr && kRwNativeIsLittleEndian ? _rwStreamLendBytes(reader->stream, size) : nullptr;
  if (polygons == nullptr || (lent == nullptr && !RwStreamReadExact(reader->stream, polygons, size))) {
    return FALSE;
  }
  sector->polygons = polygons;
  _rwMemNative16(polygons, size);
  const RwUInt16 numVertices = sector->numVertices;
  RwUInt32 i = 0;
#if defined(__SSE2__)
  // Two polygons at a time: how far each corner lies past the last vertex
  // (a saturating difference), gathered over the array, the material lanes
  // left out at the end. Without vertices every corner is past: the loop
  // below finds the first.
  if (numVertices > 0) {
    const __m128i last = _mm_set1_epi16(static_cast<short>(numVertices - 1));
    __m128i past = _mm_setzero_si128();
    // Lent polygons are copied on the way; read ones are stored back as they are.
    const RwUInt8* from = lent != nullptr ? lent : reinterpret_cast<const RwUInt8*>(polygons);
    for (; i + 2 <= count; i += 2) {
      const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + kPolygonSize * i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(polygons + i), pair);
      past = _mm_or_si128(past, _mm_subs_epu16(pair, last));
    }
    const __m128i corners = _mm_set_epi16(-1, -1, -1, 0, -1, -1, -1, 0);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(past, corners), _mm_setzero_si128())) != 0xFFFF) {
      return FailCorrupt();
    }
  }
#endif
  if (lent != nullptr && i < count) {
    std::memcpy(polygons + i, lent + kPolygonSize * i, kPolygonSize * (count - i));
  }
  for (; i < count; ++i) {
    const RwUInt16* corners = polygons[i].vertIndex;
    if (corners[0] >= numVertices || corners[1] >= numVertices || corners[2] >= numVertices) {
      return FailCorrupt();
    }
  }
  return TRUE;
}

// What the right-to-render sub-chunks of the world and of the sector being
// read named; kept apart, as a world's extension follows its sectors'.
RpRightToRender gWorldRights = {FALSE, 0, 0};
RpRightToRender gSectorRights = {FALSE, 0, 0};

RwBool ReadSector(WorldReader* reader, RwBool atomic, RpSector** slot, RwInt32 depth);

// Bytes of the arrays that follow a sector's struct fields.
RwUInt64 SectorArraysSize(const WorldReader* reader, const RpWorldSector* sector) {
  const RwUInt32 format = reader->world->flags;
  if ((format & rpWORLDNATIVE) != 0) {
    return 0;
  }
  RwUInt64 perVertex = kVertexSize + kTexCoordSize * static_cast<RwUInt64>(reader->numTexCoordSets);
  perVertex += (format & rpWORLDNORMALS) != 0 ? kNormalSize : 0;
  perVertex += (format & rpWORLDPRELIT) != 0 ? kColorSize : 0;
  return (sector->numVertices > 0 ? perVertex * sector->numVertices : 0) +
         static_cast<RwUInt64>(kPolygonSize) * sector->numPolygons;
}

// The struct's fields, then its arrays, which lie inside the struct chunk
// (or, in a struct that holds the fields alone, follow it). The sector is
// linked into *slot once its plugin constructors ran, so that a later
// failure releases it with the world.
RwBool RpAtomicSectorStreamRead(WorldReader* reader, RpSector** slot) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(reader->stream, kRwChunkStruct, &length, nullptr)) {
    return FALSE;
  }
  RwUInt8 bytes[kSectorStructSize];
  if (length < kSectorStructSize || !RwStreamReadExact(reader->stream, bytes, sizeof(bytes))) {
    return FailCorrupt();
  }
  const RwUInt32 base = RwReadLittleEndianUInt32(bytes);
  const RwInt32 numPolygons = RwReadLittleEndianInt32(bytes + 4);
  const RwInt32 numVertices = RwReadLittleEndianInt32(bytes + 8);
  if (--reader->sectorsLeft < 0 || base > kMaxSectorCount || numPolygons < 0 || numPolygons > kMaxSectorCount ||
      numVertices < 0 || numVertices > kMaxSectorCount || (reader->polygonsLeft -= numPolygons) < 0 ||
      (reader->verticesLeft -= numVertices) < 0) {
    return FailCorrupt();
  }
  auto* sector =
      static_cast<RpWorldSector*>(reader->TakeRecord(static_cast<size_t>(_rpWorldSectorRegistry()->sizeOfStruct)));
  if (sector == nullptr) {
    return FailCorrupt();
  }
  sector->type = rpSECTORATOMIC;
  sector->boundingBox.inf = ReadVector(bytes + 12);
  sector->boundingBox.sup = ReadVector(bytes + 24);
  sector->matListWindowBase = static_cast<RwUInt16>(base);
  sector->numPolygons = static_cast<RwUInt16>(numPolygons);
  sector->numVertices = static_cast<RwUInt16>(numVertices);
  rwLinkListInitialize(&sector->collAtomicsInWorldSector);
  rwLinkListInitialize(&sector->noCollAtomicsInWorldSector);
  rwLinkListInitialize(&sector->lightsInWorldSector);
  if ((reader->world->flags & rpWORLDNATIVE) == 0) {
    if ((numVertices > 0 && !ReadVertexArrays(reader, sector)) || (numPolygons > 0 && !ReadPolygons(reader, sector))) {
      return FailCorrupt();
    }
  }
  const RwUInt64 used = kSectorStructSize + SectorArraysSize(reader, sector);
  if (length > used && RwStreamSkip(reader->stream, static_cast<RwUInt32>(length - used)) == nullptr) {
    return FALSE;
  }
  if (RwPluginRegistryInitObject(_rpWorldSectorRegistry(), sector) == nullptr) {
    return FALSE;
  }
  *slot = RpSectorOf(sector);
  gSectorRights = {FALSE, 0, 0};
  if (RwPluginRegistryReadDataChunks(_rpWorldSectorRegistry(), reader->stream, sector) == nullptr) {
    return FALSE;
  }
  if (gSectorRights.present) {
    RwPluginRegistryInvokeRights(_rpWorldSectorRegistry(), gSectorRights.pluginID, sector, gSectorRights.data);
  }
  return TRUE;
}

// depth counts this plane: the trees the walks' stacks hold are at most
// kRpWorldMaxPlaneDepth planes deep.
RwBool RpPlaneSectorStreamRead(WorldReader* reader, RpSector** slot, RwInt32 depth) {
  RwUInt8 bytes[kPlaneStructSize];
  if (!_rpReadStructRecord(reader->stream, bytes, sizeof(bytes), nullptr)) {
    return FALSE;
  }
  const RwInt32 type = RwReadLittleEndianInt32(bytes);
  if (depth > kRpWorldMaxPlaneDepth || --reader->planesLeft < 0 ||
      (type != rpSECTORPLANEX && type != rpSECTORPLANEY && type != rpSECTORPLANEZ)) {
    return FailCorrupt();
  }
  auto* plane = static_cast<RpPlaneSector*>(reader->TakeRecord(sizeof(RpPlaneSector)));
  if (plane == nullptr) {
    return FailCorrupt();
  }
  plane->type = type;
  plane->value = RwReadLittleEndianReal(bytes + 4);
  const RwBool separate = (reader->world->flags & rpWORLDSECTORSOVERLAP) != 0;
  plane->leftValue = separate ? RwReadLittleEndianReal(bytes + 16) : plane->value;
  plane->rightValue = separate ? RwReadLittleEndianReal(bytes + 20) : plane->value;
  *slot = RpSectorOf(plane);
  return ReadSector(reader, RwReadLittleEndianUInt32(bytes + 8) != 0, &plane->leftSubTree, depth) &&
         ReadSector(reader, RwReadLittleEndianUInt32(bytes + 12) != 0, &plane->rightSubTree, depth);
}

// depth: planes above this sector.
RwBool ReadSector(WorldReader* reader, RwBool atomic, RpSector** slot, RwInt32 depth) {
  if (!RwStreamFindChunk(reader->stream, atomic ? kRwChunkAtomicSector : kRwChunkPlaneSector, nullptr, nullptr)) {
    return FALSE;
  }
  return atomic ? RpAtomicSectorStreamRead(reader, slot) : RpPlaneSectorStreamRead(reader, slot, depth + 1);
}

// The world record at the start of the block, before its sectors.
void InitializeWorld(RpWorld* world, const WorldStruct& parsed, RwInt32 numSets) {
  world->object.type = kRpWorldObjectType;
  world->object.privateFlags = kRpWorldPrivateSingleBlock;
  world->flags = parsed.format;
  world->renderOrder = rpWORLDRENDERBACK2FRONT;
  RpMaterialListInitialize(&world->matList);
  world->worldOrigin = {-parsed.negatedOrigin.x, -parsed.negatedOrigin.y, -parsed.negatedOrigin.z};
  world->numTexCoordSets = numSets;
  world->numClumpsInWorld = 0;
  rwLinkListInitialize(&world->clumpList);
  rwLinkListInitialize(&world->lightList);
  rwLinkListInitialize(&world->directionalLightList);
  world->currentClumpLink = rwLinkListGetTerminator(&world->clumpList);
  world->renderCallBack = RpWorldDefaultSectorRenderCallBack;
}

// Reads the struct chunk; false (with the error recorded) for a short or
// rejected one.
RwBool ReadStruct(RwStream* stream, WorldStruct* parsed) {
  RwUInt32 length = 0;
  RwUInt32 version = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, &version)) {
    return FALSE;
  }
  RwUInt8 bytes[kLongStructSize];
  const RwUInt32 size = version < kRpWorldStructLongVersion ? kShortStructSize : kLongStructSize;
  if (!_rpReadStructBody(stream, length, bytes, size)) {
    return FALSE;
  }
  *parsed = ParseStruct(bytes, version);
  return parsed->reserved <= 0 || FailVersion();
}

// Reads the material list, the BSP and the extension into the registered world.
RpWorld* ReadContents(WorldReader* reader, const WorldStruct& parsed) {
  RpWorld* world = reader->world;
  RwStream* stream = reader->stream;
  if (!RwStreamFindChunk(stream, kRwChunkMaterialList, nullptr, nullptr) ||
      RpMaterialListStreamRead(stream, &world->matList) == nullptr ||
      !ReadSector(reader, parsed.rootIsAtomic, &world->rootSector, 0)) {
    _rpWorldRelease(world, FALSE);
    return nullptr;
  }
  if (parsed.hasBox) {
    world->boundingBox = parsed.box;
  } else {
    _rpWorldUnionSectorBoxes(world);
  }
  _rpWorldSetPlaneBoxes(world);
  if (RwPluginRegistryInitObject(_rpWorldRegistry(), world) == nullptr) {
    _rpWorldRelease(world, FALSE);
    return nullptr;
  }
  gWorldRights = {FALSE, 0, 0};
  if (RwPluginRegistryReadDataChunks(_rpWorldRegistry(), stream, world) == nullptr) {
    RpWorldDestroy(world);
    return nullptr;
  }
  if (gWorldRights.present) {
    RwPluginRegistryInvokeRights(_rpWorldRegistry(), gWorldRights.pluginID, world, gWorldRights.data);
  }
  if (!_rpWorldBuildSectorMeshes(world)) {
    RpWorldDestroy(world);
    return nullptr;
  }
  return world;
}

RwStream* WorldRightsRead(RwStream* stream, RwInt32 length, void*, RwInt32, RwInt32) {
  return _rpRightToRenderRead(stream, length, &gWorldRights);
}
RwStream* WorldRightsWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderWrite(stream, static_cast<const RpWorld*>(object)->pipeline);
}
RwInt32 WorldRightsGetSize(const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderGetSize(static_cast<const RpWorld*>(object)->pipeline);
}
RwStream* SectorRightsRead(RwStream* stream, RwInt32 length, void*, RwInt32, RwInt32) {
  return _rpRightToRenderRead(stream, length, &gSectorRights);
}
RwStream* SectorRightsWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderWrite(stream, static_cast<const RpWorldSector*>(object)->pipeline);
}
RwInt32 SectorRightsGetSize(const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderGetSize(static_cast<const RpWorldSector*>(object)->pipeline);
}

RwBool IsNative(const RpWorld* world) { return (world->flags & rpWORLDNATIVE) != 0; }

// A sector's bin mesh indexes its world's material list.
RwStream* SectorBinMeshRead(RwStream* stream, RwInt32 length, void* object, RwInt32, RwInt32) {
  auto* sector = static_cast<RpWorldSector*>(object);
  const RpWorld* world = RpWorldSectorGetWorld(sector);
  if (world == nullptr) {
    FailCorrupt();
    return nullptr;
  }
  return _rpBinMeshRead(stream, length, &sector->mesh, &world->matList, sector->numVertices, IsNative(world));
}

RwStream* SectorBinMeshWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  const auto* sector = static_cast<const RpWorldSector*>(object);
  const RpWorld* world = RpWorldSectorGetWorld(sector);
  return RpMeshHeaderStreamWrite(sector->mesh, stream, &world->matList, IsNative(world));
}

RwInt32 SectorBinMeshGetSize(const void* object, RwInt32, RwInt32) {
  const auto* sector = static_cast<const RpWorldSector*>(object);
  const RpWorld* world = sector->mesh != nullptr ? RpWorldSectorGetWorld(sector) : nullptr;
  return world != nullptr ? RpMeshHeaderStreamGetSize(sector->mesh, IsNative(world)) : 0;
}

}  // namespace

RwBool _rpWorldRightToRenderPluginAttach(void) {
  return RpWorldRegisterPlugin(0, kRwChunkRightToRender, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldRegisterPluginStream(kRwChunkRightToRender, WorldRightsRead, WorldRightsWrite, WorldRightsGetSize) >=
             0 &&
         RpWorldSectorRegisterPlugin(0, kRwChunkRightToRender, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSectorRegisterPluginStream(kRwChunkRightToRender, SectorRightsRead, SectorRightsWrite,
                                           SectorRightsGetSize) >= 0;
}

RwBool _rpWorldSectorBinMeshPluginAttach(void) {
  return RpWorldSectorRegisterPlugin(0, kRpPluginIdBinMesh, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSectorRegisterPluginStream(kRpPluginIdBinMesh, SectorBinMeshRead, SectorBinMeshWrite,
                                           SectorBinMeshGetSize) >= 0;
}

RpWorld* RpWorldStreamRead(RwStream* stream) {
  WorldStruct parsed;
  if (!ReadStruct(stream, &parsed)) {
    return nullptr;
  }
  const RwInt32 numSets = TexCoordSets(parsed.format);
  if (numSets > kRpGeometryMaxTexCoordSets) {
    FailCorrupt();
    return nullptr;
  }
  if (parsed.numPolygons < 0 || parsed.numVertices < 0 || parsed.numPlaneSectors < 0 || parsed.numAtomicSectors < 0) {
    FailCorrupt();
    return nullptr;
  }
  if (!StreamCanHold(stream, parsed)) {
    FailCorrupt();
    return nullptr;
  }
  const size_t size = BlockSize(parsed, numSets);
  if (size == 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  auto* block = static_cast<RwUInt8*>(RwMalloc(size));
  if (block == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(block, 0, static_cast<size_t>(_rpWorldRegistry()->sizeOfStruct));
  auto* world = reinterpret_cast<RpWorld*>(block);
  InitializeWorld(world, parsed, numSets);
  if (!_rpWorldRegisterBlock(world, size)) {
    RwFree(block);
    return nullptr;
  }
  WorldReader reader = {stream,
                        world,
                        block + _rpWorldRegistry()->sizeOfStruct,
                        block + size,
                        numSets,
                        parsed.numPlaneSectors,
                        parsed.numAtomicSectors,
                        parsed.numVertices,
                        parsed.numPolygons};
  return ReadContents(&reader, parsed);
}
