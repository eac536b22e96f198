// The geometry chunk (0xF): a struct with the counts, vertex arrays,
// triangles and morph targets, then the material list chunk and the
// extension chunk, in which the bin mesh may bring the mesh header.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/geometry.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kStructHeaderSize = 16;
// Below kRpGeometrySurfacePropertiesVersion: three reals of surface properties follow the counts.
constexpr RwUInt32 kOldStructHeaderSize = 28;
constexpr RwUInt32 kMorphTargetHeaderSize = 24;
constexpr RwUInt32 kTriangleSize = 8;
constexpr RwUInt32 kColorSize = 4;
constexpr RwUInt32 kTexCoordSize = 8;
constexpr RwUInt32 kVectorSize = 12;
// Triangles converted per write.
constexpr RwUInt32 kTriangleWriteBatch = 256;
constexpr RwRGBA kOpaqueWhite = {255, 255, 255, 255};

// What the struct holds for a geometry of these counts and flags.
struct StructLayout {
  RwBool vertexArrays;  // pre-lit colours, texture coordinates and triangles are stored
  RwBool colors;
  RwBool targetVertices;  // each morph target stores positions
  RwBool targetNormals;
};

StructLayout LayoutOf(RwUInt32 flags, RwUInt64 numVertices) {
  StructLayout layout;
  layout.vertexArrays = (flags & rpGEOMETRYNATIVE) == 0 && numVertices > 0;
  layout.colors = layout.vertexArrays && (flags & rpGEOMETRYPRELIT) != 0;
  layout.targetVertices = layout.vertexArrays;
  layout.targetNormals = layout.vertexArrays && (flags & rpGEOMETRYNORMALS) != 0;
  return layout;
}

RwUInt64 StructSize(const StructLayout& layout, RwUInt64 numVertices, RwUInt64 numTriangles, RwUInt64 numSets,
                    RwUInt64 numTargets) {
  RwUInt64 size = kStructHeaderSize;
  if (layout.vertexArrays) {
    size += (layout.colors ? kColorSize * numVertices : 0) + kTexCoordSize * numVertices * numSets +
            kTriangleSize * numTriangles;
  }
  const RwUInt64 perTarget = kMorphTargetHeaderSize + (layout.targetVertices ? kVectorSize * numVertices : 0) +
                             (layout.targetNormals ? kVectorSize * numVertices : 0);
  return size + perTarget * numTargets;
}

RwUInt32 GeometryStructSize(const RpGeometry* geometry) {
  const StructLayout layout = LayoutOf(geometry->flags, static_cast<RwUInt64>(geometry->numVertices));
  return static_cast<RwUInt32>(
      StructSize(layout, static_cast<RwUInt64>(geometry->numVertices), static_cast<RwUInt64>(geometry->numTriangles),
                 static_cast<RwUInt64>(geometry->numTexCoordSets), static_cast<RwUInt64>(geometry->numMorphTargets)));
}

// Writes count vectors, or zeros when the array is missing.
RwBool WriteVectors(RwStream* stream, const RwV3d* vectors, RwInt32 count) {
  const RwV3d zero = {0.0f, 0.0f, 0.0f};
  if (vectors != nullptr) {
    return RwStreamWriteReal(stream, &vectors[0].x, kVectorSize * static_cast<RwUInt32>(count)) != nullptr;
  }
  for (RwInt32 i = 0; i < count; ++i) {
    if (RwStreamWriteReal(stream, &zero.x, kVectorSize) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool WriteVertexArrays(const RpGeometry* geometry, const StructLayout& layout, RwStream* stream) {
  const RwInt32 numVertices = geometry->numVertices;
  if (layout.colors) {
    // A geometry marked pre-lit after creation has no colours: opaque white.
    for (RwInt32 i = 0; i < numVertices; ++i) {
      const RwRGBA& color = geometry->preLitLum != nullptr ? geometry->preLitLum[i] : kOpaqueWhite;
      const RwUInt8 bytes[kColorSize] = {color.red, color.green, color.blue, color.alpha};
      if (RwStreamWrite(stream, bytes, kColorSize) == nullptr) {
        return FALSE;
      }
    }
  }
  for (RwInt32 set = 0; set < geometry->numTexCoordSets; ++set) {
    const RwTexCoords* coords = geometry->texCoords[set];
    for (RwInt32 i = 0; i < numVertices; ++i) {
      const RwReal uv[2] = {coords != nullptr ? coords[i].u : 0.0f, coords != nullptr ? coords[i].v : 0.0f};
      if (RwStreamWriteReal(stream, uv, sizeof(uv)) == nullptr) {
        return FALSE;
      }
    }
  }
  RwInt32 words[2 * kTriangleWriteBatch];
  for (RwInt32 done = 0; done < geometry->numTriangles;) {
    RwInt32 batch = geometry->numTriangles - done;
    batch = batch < static_cast<RwInt32>(kTriangleWriteBatch) ? batch : static_cast<RwInt32>(kTriangleWriteBatch);
    for (RwInt32 i = 0; i < batch; ++i) {
      const RpTriangle& t = geometry->triangles[done + i];
      words[2 * i] = static_cast<RwInt32>((static_cast<RwUInt32>(t.vertIndex[0]) << 16) | t.vertIndex[1]);
      words[2 * i + 1] = static_cast<RwInt32>((static_cast<RwUInt32>(t.vertIndex[2]) << 16) | t.matIndex);
    }
    if (RwStreamWriteInt32(stream, words, kTriangleSize * static_cast<RwUInt32>(batch)) == nullptr) {
      return FALSE;
    }
    done += batch;
  }
  return TRUE;
}

RwBool WriteMorphTargets(const RpGeometry* geometry, const StructLayout& layout, RwStream* stream) {
  for (RwInt32 i = 0; i < geometry->numMorphTargets; ++i) {
    const RpMorphTarget& target = geometry->morphTarget[i];
    const RwSphere& sphere = target.boundingSphere;
    const RwReal reals[4] = {sphere.center.x, sphere.center.y, sphere.center.z, sphere.radius};
    const RwInt32 present[2] = {layout.targetVertices ? 1 : 0, layout.targetNormals ? 1 : 0};
    if (RwStreamWriteReal(stream, reals, sizeof(reals)) == nullptr ||
        RwStreamWriteInt32(stream, present, sizeof(present)) == nullptr ||
        (layout.targetVertices && !WriteVectors(stream, target.verts, geometry->numVertices)) ||
        (layout.targetNormals && !WriteVectors(stream, target.normals, geometry->numVertices))) {
      return FALSE;
    }
  }
  return TRUE;
}

static_assert(sizeof(RwRGBA) == kColorSize && sizeof(RwTexCoords) == kTexCoordSize && sizeof(RwV3d) == kVectorSize,
              "vertex arrays are packed as the struct stores them");

// A cursor over a struct body whose size has been checked against what is read.
struct BodyReader {
  const RwUInt8* at;
  RwUInt32 U32() {
    const RwUInt32 value = RwReadLittleEndianUInt32(at);
    at += 4;
    return value;
  }
  RwReal Real() {
    const RwReal value = RwReadLittleEndianReal(at);
    at += 4;
    return value;
  }
  // Copies count little-endian reals into out; on a little-endian host the
  // stored bytes are already the values.
  void Reals(RwReal* out, size_t count) {
    if (kRwNativeIsLittleEndian) {
      std::memcpy(out, at, sizeof(RwReal) * count);
      at += sizeof(RwReal) * count;
      return;
    }
    for (size_t i = 0; i < count; ++i) {
      out[i] = Real();
    }
  }
  void Vectors(RwV3d* out, RwInt32 count) {
    if (kRwNativeIsLittleEndian) {
      Reals(&out[0].x, 3 * static_cast<size_t>(count));
      return;
    }
    for (RwInt32 i = 0; i < count; ++i) {
      out[i].x = Real();
      out[i].y = Real();
      out[i].z = Real();
    }
  }
};

RwBool FailRead(RwInt32 code) {
  RwErrorRaise(kRwPluginIdCore, code);
  return FALSE;
}

RwBool ReadVertexArrays(RpGeometry* geometry, const StructLayout& layout, BodyReader* body) {
  const RwInt32 numVertices = geometry->numVertices;
  if (layout.colors) {
    // Four bytes in R, G, B, A order, as the colour is laid out.
    std::memcpy(geometry->preLitLum, body->at, kColorSize * static_cast<size_t>(numVertices));
    body->at += kColorSize * static_cast<size_t>(numVertices);
  }
  for (RwInt32 set = 0; set < geometry->numTexCoordSets; ++set) {
    body->Reals(&geometry->texCoords[set][0].u, 2 * static_cast<size_t>(numVertices));
  }
  // The vertex indices are checked each on its own and the answers merged,
  // failing once all are read: the loop has no exit of its own and no index
  // waits for the one before it.
  const RwUInt32 limit = static_cast<RwUInt32>(numVertices);
  RwUInt32 outOfRange = 0;
  for (RwInt32 i = 0; i < geometry->numTriangles; ++i) {
    const RwUInt32 first = body->U32();
    const RwUInt32 second = body->U32();
    RpTriangle& t = geometry->triangles[i];
    t.vertIndex[0] = static_cast<RwUInt16>(first >> 16);
    t.vertIndex[1] = static_cast<RwUInt16>(first);
    t.vertIndex[2] = static_cast<RwUInt16>(second >> 16);
    t.matIndex = static_cast<RwUInt16>(second);
    outOfRange |= static_cast<RwUInt32>(t.vertIndex[0] >= limit) | static_cast<RwUInt32>(t.vertIndex[1] >= limit) |
                  static_cast<RwUInt32>(t.vertIndex[2] >= limit);
  }
  if (outOfRange != 0) {
    return FailRead(kRwErrInvalidValue);
  }
  return TRUE;
}

RwBool ReadMorphTargets(RpGeometry* geometry, const StructLayout& layout, BodyReader* body) {
  for (RwInt32 i = 0; i < geometry->numMorphTargets; ++i) {
    RpMorphTarget& target = geometry->morphTarget[i];
    target.boundingSphere.center.x = body->Real();
    target.boundingSphere.center.y = body->Real();
    target.boundingSphere.center.z = body->Real();
    target.boundingSphere.radius = body->Real();
    const RwBool hasVertices = body->U32() != 0;
    const RwBool hasNormals = body->U32() != 0;
    // A target carries exactly the arrays its geometry's format allocates.
    if (hasVertices != layout.targetVertices || hasNormals != layout.targetNormals) {
      return FailRead(kRwErrInvalidValue);
    }
    if (hasVertices) {
      body->Vectors(target.verts, geometry->numVertices);
    }
    if (hasNormals) {
      body->Vectors(target.normals, geometry->numVertices);
    }
  }
  return TRUE;
}

// Creates the geometry the struct body describes and fills it; null on any
// failure, with nothing left behind.
RpGeometry* ReadStruct(const RwUInt8* bytes, RwUInt32 length, RwUInt32 headerSize) {
  BodyReader body = {bytes};
  const RwUInt32 format = body.U32();
  const RwUInt32 numTriangles = body.U32();
  const RwUInt32 numVertices = body.U32();
  const RwUInt32 storedTargets = body.U32();
  body.at = bytes + headerSize;
  if (numVertices >= static_cast<RwUInt32>(kRpGeometryMaxVertices)) {
    RwErrorRaise(kRwPluginIdWorld, kRpErrGeometryTooManyVertices);
    return nullptr;
  }
  // A geometry has one morph target at least, whatever the count says.
  const RwUInt32 numTargets = storedTargets != 0 ? storedTargets : 1;
  const StructLayout layout = LayoutOf(format, numVertices);
  RwUInt64 numSets = (format & rpGEOMETRYTEXCOORDSETSMASK) >> rpGEOMETRYTEXCOORDSETSSHIFT;
  if (numSets == 0) {
    numSets = (format & rpGEOMETRYTEXTURED2) != 0 ? 2 : ((format & rpGEOMETRYTEXTURED) != 0 ? 1 : 0);
  }
  // Triangles without vertices would be allocated but never read, and every
  // vertex index would be out of range.
  const RwBool orphanTriangles = (format & rpGEOMETRYNATIVE) == 0 && numVertices == 0 && numTriangles != 0;
  const RwUInt64 needed = StructSize(layout, numVertices, numTriangles, numSets, numTargets) - kStructHeaderSize;
  if (orphanTriangles || numTriangles > 0x7FFFFFFFu || numTargets > 0x7FFFFFFFu ||
      needed > static_cast<RwUInt64>(length - headerSize)) {
    FailRead(kRwErrRead);
    return nullptr;
  }
  // Every array is filled from the body below, or the geometry goes again.
  RpGeometry* geometry = _rpGeometryCreateUnfilled(
      static_cast<RwInt32>(numVertices), static_cast<RwInt32>(numTriangles), format, static_cast<RwInt32>(numTargets));
  if (geometry == nullptr) {
    return nullptr;
  }
  if ((layout.vertexArrays && !ReadVertexArrays(geometry, layout, &body)) ||
      !ReadMorphTargets(geometry, layout, &body)) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  return geometry;
}

}  // namespace

RwUInt32 RpGeometryStreamGetSize(const RpGeometry* geometry) {
  return GeometryStructSize(geometry) + RpMaterialListStreamGetSize(&geometry->matList) +
         static_cast<RwUInt32>(RwPluginRegistryGetSize(_rpGeometryRegistry(), geometry)) + 3 * kRwChunkHeaderSize;
}

const RpGeometry* RpGeometryStreamWrite(const RpGeometry* geometry, RwStream* stream) {
  const StructLayout layout = LayoutOf(geometry->flags, static_cast<RwUInt64>(geometry->numVertices));
  const RwUInt32 format =
      geometry->flags | ((static_cast<RwUInt32>(geometry->numTexCoordSets) & 0xFF) << rpGEOMETRYTEXCOORDSETSSHIFT);
  const RwInt32 counts[4] = {static_cast<RwInt32>(format), geometry->numTriangles, geometry->numVertices,
                             geometry->numMorphTargets};
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkGeometry, RpGeometryStreamGetSize(geometry), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, GeometryStructSize(geometry), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteInt32(stream, counts, sizeof(counts)) == nullptr ||
      (layout.vertexArrays && !WriteVertexArrays(geometry, layout, stream)) ||
      !WriteMorphTargets(geometry, layout, stream) ||
      RpMaterialListStreamWrite(&geometry->matList, stream) == nullptr ||
      RwPluginRegistryWriteDataChunks(_rpGeometryRegistry(), stream, geometry) == nullptr) {
    return nullptr;
  }
  return geometry;
}

RpGeometry* RpGeometryStreamRead(RwStream* stream) {
  RwUInt32 length = 0;
  RwUInt32 version = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, &version)) {
    return nullptr;
  }
  const RwBool old = version < kRpGeometrySurfacePropertiesVersion;
  const RwUInt32 headerSize = old ? kOldStructHeaderSize : kStructHeaderSize;
  if (length < headerSize) {
    FailRead(kRwErrRead);
    return nullptr;
  }
  RwUInt8* owned = nullptr;
  const RwUInt8* bytes = _rpLendChunkBody(stream, length, &owned);
  if (bytes == nullptr) {
    return nullptr;
  }
  RpGeometry* geometry = ReadStruct(bytes, length, headerSize);
  RpSurfaceProperties surface = {};
  if (old) {
    surface = {RwReadLittleEndianReal(bytes + 16), RwReadLittleEndianReal(bytes + 20),
               RwReadLittleEndianReal(bytes + 24)};
  }
  if (owned != nullptr) {
    RwFree(owned);
  }
  if (geometry == nullptr) {
    return nullptr;
  }
  if (!RwStreamFindChunk(stream, kRwChunkMaterialList, nullptr, nullptr)) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  // Old files keep the surface properties with the geometry; its materials take them.
  if (old) {
    RpMaterialSetDefaultSurfaceProperties(&surface);
  }
  RpMaterialList* list = RpMaterialListStreamRead(stream, &geometry->matList);
  RpMaterialSetDefaultSurfaceProperties(nullptr);
  if (list == nullptr || RwPluginRegistryReadDataChunks(_rpGeometryRegistry(), stream, geometry) == nullptr ||
      RpGeometryUnlock(geometry) == nullptr) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  return geometry;
}
