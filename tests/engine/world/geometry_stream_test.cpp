// The geometry chunk: round trips with morph targets, pre-lit colours, one to
// eight coordinate sets, materials and the stored mesh header; old structs
// with surface properties; and corrupt or truncated chunks, which fail with
// nothing left behind.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/world/geometry.h"
#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::Live;
using world_test::PutU32;
using world_test::WorldTest;

// Offsets in the written chunk of a geometry of format 0 with 3 vertices and 1 triangle.
constexpr size_t kStructStampOffset = 20;
constexpr size_t kTriangleCountOffset = 28;
constexpr size_t kVertexCountOffset = 32;
constexpr size_t kFirstTriangleOffset = 40;
constexpr size_t kHasNormalsOffset = 68;

class GeometryStreamTest : public WorldTest {
 protected:
  // Five vertices, four triangles over materials a, b, a and none, every array
  // filled with values of its own.
  static RpGeometry* Rich(RwInt32 sets, RwUInt32 flags, RwInt32 targets, RpMaterial* a, RpMaterial* b) {
    RpGeometry* geometry = RpGeometryCreate(5, 4, flags | (static_cast<RwUInt32>(sets) << 16));
    RpGeometryAddMorphTargets(geometry, targets - 1);
    for (RwInt32 i = 0; i < 5; ++i) {
      if (geometry->preLitLum != nullptr) {
        geometry->preLitLum[i] = {static_cast<RwUInt8>(i), 20, 30, static_cast<RwUInt8>(200 + i)};
      }
      for (RwInt32 s = 0; s < sets; ++s) {
        geometry->texCoords[s][i] = {static_cast<RwReal>(s), static_cast<RwReal>(i) / 8.0f};
      }
      for (RwInt32 t = 0; t < targets; ++t) {
        geometry->morphTarget[t].verts[i] = {static_cast<RwReal>(i), static_cast<RwReal>(t), 1.5f};
        if (geometry->morphTarget[t].normals != nullptr) {
          geometry->morphTarget[t].normals[i] = {0.0f, static_cast<RwReal>(t), -1.0f};
        }
      }
    }
    for (RwInt32 t = 0; t < targets; ++t) {
      geometry->morphTarget[t].boundingSphere = {{1.0f, 2.0f, static_cast<RwReal>(t)}, 9.0f};
    }
    RpMaterialListAppendMaterial(&geometry->matList, a);
    RpMaterialListAppendMaterial(&geometry->matList, b);
    RpMaterialListAppendMaterial(&geometry->matList, a);
    geometry->triangles[0] = {{0, 1, 2}, 0};
    geometry->triangles[1] = {{2, 1, 3}, 1};
    geometry->triangles[2] = {{3, 4, 2}, 2};
    geometry->triangles[3] = {{4, 3, 0}, kRpTriangleNoMaterial};
    return RpGeometryUnlock(geometry);
  }

  static std::vector<uint8_t> Write(const RpGeometry* geometry) {
    std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpGeometryStreamWrite(geometry, s); });
    EXPECT_EQ(bytes.size(), kRwChunkHeaderSize + RpGeometryStreamGetSize(geometry));
    return bytes;
  }

  static RpGeometry* Read(const std::vector<uint8_t>& bytes) {
    return ReadChunk(bytes, kRwChunkGeometry, RpGeometryStreamRead);
  }

  // The small geometry whose offsets the constants above give.
  static std::vector<uint8_t> OneTriangle() {
    RpGeometry* geometry = RpGeometryCreate(3, 1, 0);
    geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
    geometry->morphTarget[0].boundingSphere = {{1.0f, 1.0f, 1.0f}, 1.0f};
    RpGeometryUnlock(geometry);
    std::vector<uint8_t> bytes = Write(geometry);
    RpGeometryDestroy(geometry);
    return bytes;
  }

  static void ExpectSameMeshes(const RpMeshHeader* read, const RpGeometry* readOwner, const RpMeshHeader* written,
                               const RpGeometry* writtenOwner) {
    ASSERT_EQ(read->numMeshes, written->numMeshes);
    EXPECT_EQ(read->flags, written->flags);
    for (RwUInt32 m = 0; m < read->numMeshes; ++m) {
      const RpMesh& r = RpMeshHeaderGetFirstMesh(read)[m];
      const RpMesh& w = RpMeshHeaderGetFirstMesh(written)[m];
      ASSERT_EQ(r.numIndices, w.numIndices);
      EXPECT_EQ(std::vector<RwUInt16>(r.indices, r.indices + r.numIndices),
                std::vector<RwUInt16>(w.indices, w.indices + w.numIndices));
      EXPECT_EQ(RpMaterialListFindMaterialIndex(&readOwner->matList, r.material),
                RpMaterialListFindMaterialIndex(&writtenOwner->matList, w.material));
    }
  }
};

TEST_F(GeometryStreamTest, RoundTripsKeepEveryArray) {
  RpMaterial* a = Material(50);
  RpMaterial* b = Material(255);
  for (RwInt32 sets = 1; sets <= kRpGeometryMaxTexCoordSets; ++sets) {
    SCOPED_TRACE(sets);
    const RwUInt32 flags = rpGEOMETRYPRELIT | rpGEOMETRYLIGHT | (sets % 2 == 0 ? RwUInt32{rpGEOMETRYNORMALS} : 0u) |
                           (sets % 3 == 0 ? RwUInt32{rpGEOMETRYTRISTRIP} : 0u);
    const RwInt32 targets = 1 + sets % 3;
    RpGeometry* written = Rich(sets, flags, targets, a, b);
    RpGeometry* read = Read(Write(written));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->flags, written->flags);
    EXPECT_EQ(read->numTexCoordSets, sets);
    ASSERT_EQ(read->numMorphTargets, targets);
    EXPECT_EQ(0, std::memcmp(read->preLitLum, written->preLitLum, 5 * sizeof(RwRGBA)));
    for (RwInt32 s = 0; s < sets; ++s) {
      EXPECT_EQ(0, std::memcmp(read->texCoords[s], written->texCoords[s], 5 * sizeof(RwTexCoords)));
    }
    EXPECT_EQ(0, std::memcmp(read->triangles, written->triangles, 4 * sizeof(RpTriangle)));
    for (RwInt32 t = 0; t < targets; ++t) {
      const RpMorphTarget& r = read->morphTarget[t];
      const RpMorphTarget& w = written->morphTarget[t];
      EXPECT_EQ(0, std::memcmp(&r.boundingSphere, &w.boundingSphere, sizeof(RwSphere)));
      EXPECT_EQ(0, std::memcmp(r.verts, w.verts, 5 * sizeof(RwV3d)));
      ASSERT_EQ(r.normals != nullptr, w.normals != nullptr);
      if (r.normals != nullptr) {
        EXPECT_EQ(0, std::memcmp(r.normals, w.normals, 5 * sizeof(RwV3d)));
      }
    }
    ASSERT_EQ(read->matList.numMaterials, 3);
    EXPECT_EQ(read->matList.materials[0], read->matList.materials[2]);
    EXPECT_EQ(read->matList.materials[0]->color.alpha, 50);
    ExpectSameMeshes(read->mesh, read, written->mesh, written);
    RpGeometryDestroy(read);
    RpGeometryDestroy(written);
  }
  RpMaterialDestroy(a);
  RpMaterialDestroy(b);
  EXPECT_EQ(NewBlocks(), 0);
  EXPECT_EQ(Live().materials, 0);
}

TEST_F(GeometryStreamTest, StoredMeshesAreTakenAsTheyStand) {
  RpMaterial* a = Material();
  RpGeometry* written = Rich(1, 0, 1, a, a);
  RpMaterialDestroy(a);
  written->triangles[3].matIndex = 0;
  RpGeometryLock(written, rpGEOMETRYLOCKPOLYGONS);
  RpGeometryUnlock(written);
  // An order the list builder would not make.
  RpMesh& mesh = RpMeshHeaderGetFirstMesh(written->mesh)[0];
  std::swap(mesh.indices[0], mesh.indices[1]);
  RpGeometry* read = Read(Write(written));
  ASSERT_NE(read, nullptr);
  ExpectSameMeshes(read->mesh, read, written->mesh, written);
  RpGeometryDestroy(read);
  RpGeometryDestroy(written);
}

TEST_F(GeometryStreamTest, WhatIsStoredWithoutArrays) {
  SCOPED_TRACE("pre-lit set after creation: opaque white");
  RpGeometry* unlit = RpGeometryCreate(2, 0, 0);
  RpGeometrySetFlags(unlit, RpGeometryGetFlags(unlit) | rpGEOMETRYPRELIT);
  RpGeometryUnlock(unlit);
  RpGeometry* read = Read(Write(unlit));
  ASSERT_NE(read, nullptr);
  ASSERT_NE(RpGeometryGetPreLightColors(read), nullptr);
  EXPECT_EQ(RpGeometryGetPreLightColors(read)[1].green, 255);
  EXPECT_EQ(RpGeometryGetPreLightColors(read)[1].alpha, 255);
  RpGeometryDestroy(read);
  RpGeometryDestroy(unlit);

  SCOPED_TRACE("no vertices: no arrays, even with triangles");
  RpGeometry* hollow = RpGeometryCreate(0, 3, rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED);
  const std::vector<uint8_t> bytes = Write(hollow);
  EXPECT_EQ(RwReadLittleEndianUInt32(bytes.data() + 16), 16u + 24);
  RpGeometryDestroy(hollow);

  SCOPED_TRACE("native: a triangle count without triangles or stored meshes");
  ChunkBytes native;
  native.Header(kRwChunkStruct, 40).U32(rpGEOMETRYNATIVE).U32(0x7FFFFFFF).U32(3).U32(1);
  native.Real(0).Real(0).Real(0).Real(1).U32(0).U32(0);
  native.Header(kRwChunkMaterialList, 16).Header(kRwChunkStruct, 4).U32(0).Header(kRwChunkExtension, 0);
  read = ReadBody(native, RpGeometryStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->triangles, nullptr);
  EXPECT_EQ(read->mesh->numMeshes, 0);
  RpGeometryDestroy(read);
}

TEST_F(GeometryStreamTest, OldStructsCarryTheSurfaceProperties) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkStruct, 28 + 3 * 8 + 8 + 24 + 3 * 12, RwChunkStampEncode(0x33002, 0xFFFF));
  bytes.U32(rpGEOMETRYTEXTURED).U32(1).U32(3).U32(1).Real(0.5f).Real(0.25f).Real(0.125f);
  bytes.Real(0).Real(1).Real(2).Real(3).Real(4).Real(5);
  bytes.U32((0u << 16) | 2).U32((1u << 16) | 0);  // vertices 0, 2, 1; material 0
  bytes.Real(0).Real(0).Real(0).Real(4).U32(1).U32(0);
  bytes.Real(1).Real(2).Real(3).Real(4).Real(5).Real(6).Real(7).Real(8).Real(9);
  bytes.Header(kRwChunkMaterialList, 0).Header(kRwChunkStruct, 8).U32(1).S32(-1);
  bytes.Header(kRwChunkMaterial, 0).Header(kRwChunkStruct, 28).U32(0).U32(0xFFFFFFFF).U32(0).U32(0);
  bytes.Real(0.75f).Real(0.75f).Real(0.75f).Header(kRwChunkExtension, 0);
  bytes.Header(kRwChunkExtension, 0);

  RpGeometry* geometry = ReadBody(bytes, RpGeometryStreamRead);
  ASSERT_NE(geometry, nullptr);
  EXPECT_EQ(geometry->texCoords[0][2].v, 5.0f);
  EXPECT_EQ(geometry->triangles[0].vertIndex[1], 2);
  EXPECT_EQ(geometry->morphTarget[0].verts[2].z, 9.0f);
  ASSERT_EQ(geometry->matList.numMaterials, 1);
  EXPECT_EQ(geometry->matList.materials[0]->surfaceProps.ambient, 0.75f);
  EXPECT_EQ(geometry->mesh->numMeshes, 1);
  RpGeometryDestroy(geometry);
  RpMaterial* fresh = RpMaterialCreate();
  EXPECT_EQ(fresh->surfaceProps.specular, 1.0f);  // the default is back
  RpMaterialDestroy(fresh);
}

TEST_F(GeometryStreamTest, CorruptChunksFailCleanly) {
  struct Case {
    const char* name;
    size_t offset;
    uint32_t value;
    RwInt32 plugin;
    RwInt32 error;
  };
  const Case cases[] = {
      {"vertex index at the vertex count", kFirstTriangleOffset, (3u << 16) | 1, 0, kRwErrInvalidValue},
      {"normals the format lacks", kHasNormalsOffset, 1, 0, kRwErrInvalidValue},
      {"more triangles than the struct holds", kTriangleCountOffset, 100000, 0, kRwErrRead},
      {"triangles without vertices", kVertexCountOffset, 0, 0, kRwErrRead},
      {"too many vertices", kVertexCountOffset, 0x10000, kRwPluginIdWorld, kRpErrGeometryTooManyVertices},
      {"struct version too old", kStructStampOffset, RwChunkStampEncode(0x30000, 0xFFFF), 0, kRwErrBadChunkVersion},
  };
  const std::vector<uint8_t> valid = OneTriangle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = valid;
    PutU32(&bytes, c.offset, c.value);
    EXPECT_EQ(Read(bytes), nullptr);
    ExpectError(c.plugin, c.error);
  }

  SCOPED_TRACE("vertices on a native geometry");
  ChunkBytes native;
  native.Header(kRwChunkStruct, 40).U32(rpGEOMETRYNATIVE).U32(1).U32(3).U32(1);
  native.Real(0).Real(0).Real(0).Real(1).U32(1).U32(0);
  native.Header(kRwChunkMaterialList, 16).Header(kRwChunkStruct, 4).U32(0).Header(kRwChunkExtension, 0);
  EXPECT_EQ(ReadBody(native, RpGeometryStreamRead), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(GeometryStreamTest, TruncatedChunksAndFailedAllocationsLeaveNothing) {
  RpMaterial* a = Material();
  RpGeometry* geometry = Rich(2, rpGEOMETRYPRELIT | rpGEOMETRYNORMALS, 2, a, a);
  RpMaterialDestroy(a);
  const std::vector<uint8_t> bytes = Write(geometry);
  RpGeometryDestroy(geometry);
  const int blocks = NewBlocks();
  for (size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_EQ(Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)), nullptr);
    ASSERT_EQ(NewBlocks(), blocks);
    ASSERT_EQ(Live().materials, 0);
  }
  TakeError();
  ExpectFailedMallocsLeakNothing(
      [&bytes] {
        RpGeometry* read = Read(bytes);
        if (read == nullptr) {
          return false;
        }
        RpGeometryDestroy(read);
        return true;
      },
      20);
  EXPECT_EQ(Live().materials, 0);
}

}  // namespace
