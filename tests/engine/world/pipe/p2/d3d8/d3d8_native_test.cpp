// Native geometry data: instance data written with its buffers' bytes and
// read back into new buffers, and every count of a bad chunk refused before
// it can reach past the data or the owner's meshes and materials.
#include <gtest/gtest.h>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"
#include "tests/support/native_geometry_bytes.h"

namespace pipe_test {
namespace {

constexpr RwUInt32 kPositionNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

class NativeDataTest : public WorldPipeTest {
 protected:
  // A native geometry with a mesh header of the meshes' index counts (no
  // indices of its own), a list of materials and its morph targets.
  RpGeometry* NativeGeometry(const std::vector<RwUInt32>& meshIndices, int materials = 1, RwInt32 morphTargets = 1,
                             RwUInt32 meshFlags = kRpMeshHeaderTriList) {
    RpGeometry* geometry = RpGeometryCreate(4, 2, rpGEOMETRYNATIVE);
    if (geometry == nullptr) {
      return nullptr;
    }
    geometries_.push_back(geometry);
    if (morphTargets > 1) {
      RpGeometryAddMorphTargets(geometry, morphTargets - 1);
    }
    for (int i = 0; i < materials; i++) {
      RpMaterialListAppendMaterial(&geometry->matList, Material());
    }
    RwUInt32 total = 0;
    for (RwUInt32 count : meshIndices) {
      total += count;
    }
    geometry->mesh = _rpMeshHeaderCreate(static_cast<RwUInt32>(meshIndices.size()), total, FALSE, meshFlags);
    RpMesh* mesh = RpMeshHeaderGetFirstMesh(geometry->mesh);
    for (RwUInt32 count : meshIndices) {
      mesh->numIndices = count;
      mesh->material = RpMaterialListGetMaterial(&geometry->matList, 0);
      mesh++;
    }
    return geometry;
  }

  static RpGeometry* Read(const ChunkBytes& bytes, RpGeometry* geometry) {
    RwStream* stream = OpenMemoryRead(bytes.bytes());
    RpGeometry* read = RpD3D8GeometryNativeRead(stream, geometry);
    RwStreamClose(stream, nullptr);
    return read;
  }

  static std::vector<uint8_t> Write(const RpGeometry* geometry) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteToMemory(
        [geometry](RwStream* stream) { return RpD3D8GeometryNativeWrite(stream, geometry) == stream; }, &bytes));
    return bytes;
  }

  // One mesh of 4 vertices with positions and normals (24 bytes each) and
  // 6 indices.
  static NativeGeometryDescription Quad() {
    NativeMeshDescription mesh;
    mesh.stride = 24;
    mesh.fvf = kPositionNormalFvf;
    mesh.numVertices = 4;
    mesh.numIndices = 6;
    mesh.indices = {0, 1, 2, 2, 1, 3};
    for (uint8_t i = 0; i < 96; i++) {
      mesh.vertices.push_back(i);
    }
    NativeGeometryDescription description;
    description.serialNumber = 7;
    description.meshes = {mesh};
    return description;
  }
};

TEST_F(NativeDataTest, ReadDataWritesBackTheSameBytes) {
  Start();
  RpGeometry* geometry = NativeGeometry({6});
  ASSERT_NE(geometry, nullptr);
  const ChunkBytes bytes = NativeGeometryStruct(Quad());
  ASSERT_EQ(Read(bytes, geometry), geometry);
  ASSERT_NE(geometry->repEntry, nullptr);
  EXPECT_EQ(geometry->repEntry->link.next, nullptr);  // outside the arena
  const RpD3D8InstanceData& record = RpD3D8InstanceDataGetRecords(geometry->repEntry)[0];
  EXPECT_EQ(RpD3D8InstanceDataGetHeader(geometry->repEntry)->serialNumber, 7);
  EXPECT_EQ(record.material, RpMaterialListGetMaterial(&geometry->matList, 0));
  EXPECT_TRUE(record.managed);
  EXPECT_EQ(IndexBufferContents(record.indexBuffer, 6), (std::vector<RwUInt16>{0, 1, 2, 2, 1, 3}));
  EXPECT_EQ(VertexBytes(record), Quad().meshes[0].vertices);
  // L = 8 + 48 + 96 + 12.
  EXPECT_EQ(RpD3D8GeometryNativeSize(geometry), 164);
  EXPECT_EQ(Write(geometry), bytes.bytes());

  // With two morph targets too the vertices go to the pools, where a device
  // Reset leaves them.
  RpGeometry* morphing = NativeGeometry({6}, 1, 2);
  ASSERT_EQ(Read(bytes, morphing), morphing);
  const RpD3D8InstanceData& pooled = RpD3D8InstanceDataGetRecords(morphing->repEntry)[0];
  EXPECT_TRUE(pooled.managed);
  EXPECT_EQ(VertexBytes(pooled), Quad().meshes[0].vertices);
}

TEST_F(NativeDataTest, InstancedGeometryRoundTripsWithItsMaterials) {
  Start();
  RpGeometry* source = Geometry(Row(8), {0, 1, 2});
  ASSERT_NE(source, nullptr);
  RpMaterialListAppendMaterial(&source->matList, Material({9, 8, 7, 255}));
  SetMeshes(source, {{4, 5, 6, 7, 6, 5}, {0, 1, 2}});
  RpMeshHeaderGetFirstMesh(source->mesh)[0].material = RpMaterialListGetMaterial(&source->matList, 1);
  ASSERT_NE(Instance(source), nullptr);
  // Without the native flag nothing is written.
  EXPECT_EQ(RpD3D8GeometryNativeSize(source), 0);
  EXPECT_TRUE(Write(source).empty());
  source->flags |= rpGEOMETRYNATIVE;
  const std::vector<uint8_t> bytes = Write(source);
  EXPECT_EQ(bytes.size(), 12u + RpD3D8GeometryNativeSize(source));

  RpGeometry* copy = NativeGeometry({6, 3}, 2);
  ChunkBytes chunk;
  chunk.Bytes(bytes);
  ASSERT_EQ(Read(chunk, copy), copy);
  const RpD3D8InstanceData* from = RpD3D8InstanceDataGetRecords(source->repEntry);
  const RpD3D8InstanceData* to = RpD3D8InstanceDataGetRecords(copy->repEntry);
  for (int m = 0; m < 2; m++) {
    SCOPED_TRACE(m);
    EXPECT_EQ(to[m].minVert, from[m].minVert);
    EXPECT_EQ(to[m].numVertices, from[m].numVertices);
    EXPECT_EQ(to[m].vertexShader, kPlainFvf);
    EXPECT_EQ(IndexBufferContents(to[m].indexBuffer, to[m].numIndices),
              IndexBufferContents(from[m].indexBuffer, from[m].numIndices));
    EXPECT_EQ(VertexBytes(to[m]), VertexBytes(from[m]));
  }
  EXPECT_EQ(to[0].material, RpMaterialListGetMaterial(&copy->matList, 1));
  EXPECT_EQ(to[1].material, RpMaterialListGetMaterial(&copy->matList, 0));

  // Through the geometry chunk: the extension carries the struct chunk whole.
  std::vector<uint8_t> geometryBytes;
  ASSERT_TRUE(
      WriteToMemory([source](RwStream* s) { return RpGeometryStreamWrite(source, s) != nullptr; }, &geometryBytes));
  RwStream* stream = OpenMemoryRead(geometryBytes);
  ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr));
  RpGeometry* read = RpGeometryStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(read, nullptr);
  geometries_.push_back(read);
  ASSERT_NE(read->repEntry, nullptr);
  EXPECT_EQ(VertexBytes(RpD3D8InstanceDataGetRecords(read->repEntry)[1]), VertexBytes(from[1]));
}

TEST_F(NativeDataTest, UnindexedMeshesCarryNoIndexBytes) {
  Start();
  NativeGeometryDescription description;
  description.meshes = {NativePositionsMesh(3)};
  description.meshes[0].indices.clear();
  RpGeometry* geometry = NativeGeometry({3}, 1, 1, kRpMeshHeaderTriList | kRpMeshHeaderUnindexed);
  const ChunkBytes bytes = NativeGeometryStruct(description);
  ASSERT_EQ(Read(bytes, geometry), geometry);
  const RpD3D8InstanceData& record = RpD3D8InstanceDataGetRecords(geometry->repEntry)[0];
  EXPECT_EQ(record.indexBuffer, nullptr);
  EXPECT_TRUE(record.unindexed);
  EXPECT_EQ(RpD3D8GeometryNativeSize(geometry), static_cast<RwInt32>(8 + 48 + 36));
  EXPECT_EQ(Write(geometry), bytes.bytes());
}

TEST_F(NativeDataTest, RefusesDataThatDisagreesWithItselfOrItsOwner) {
  Start();
  struct Case {
    const char* name;
    void (*change)(NativeGeometryDescription&);
    size_t truncate;  // bytes cut from the end
    RwInt32 error;    // recorded, or 0 for any
  };
  const Case cases[] = {
      {"platform", [](NativeGeometryDescription& d) { d.platform = 9; }, 0, 0},
      {"body size", [](NativeGeometryDescription& d) { d.bodySizeSlack = 44; }, 0, 0},
      {"bytes past the chunk", [](NativeGeometryDescription& d) { d.lengthSlack = -1; }, 0, 0},
      {"stride", [](NativeGeometryDescription& d) { d.meshes[0].stride = 20; }, 0, 0},
      {"shader handle", [](NativeGeometryDescription& d) { d.meshes[0].fvf |= 1; }, 0, 0},
      {"primitive", [](NativeGeometryDescription& d) { d.meshes[0].primType = 9; }, 0, 0},
      {"material", [](NativeGeometryDescription& d) { d.meshes[0].material = 1; }, 0, 0},
      {"mesh count", [](NativeGeometryDescription& d) { d.meshes.push_back(d.meshes[0]); }, 0, 0},
      // The body's size fits the owner's one mesh; its count says two.
      {"mesh count in the body",
       [](NativeGeometryDescription& d) {
         d.meshes.push_back(d.meshes[0]);
         d.bodySizeSlack = -44;
       },
       0, 0},
      {"index", [](NativeGeometryDescription& d) { d.meshes[0].indices[4] = 4; }, 0, 0},
      {"vertices", [](NativeGeometryDescription& d) { d.meshes[0].numVertices = 0x10001; }, 0, 0},
      {"truncated", [](NativeGeometryDescription&) {}, 10, 0},
      // A length and an index count that claim far more than the stream has.
      {"index count past the stream",
       [](NativeGeometryDescription& d) {
         d.meshes[0].numIndices = 0x3FFFFFFF;
         d.lengthSlack = 0x7FFF0000;
       },
       0, 0},
      {"version", [](NativeGeometryDescription& d) { d.stamp = 0x30F; }, 0, kRwErrBadChunkVersion},
  };
  RpGeometry* geometry = NativeGeometry({6});
  ASSERT_NE(geometry, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NativeGeometryDescription description = Quad();
    c.change(description);
    ChunkBytes bytes = NativeGeometryStruct(description);
    bytes.Truncate(c.truncate);
    const int blocks = LiveBlocks();
    EXPECT_EQ(Read(bytes, geometry), nullptr);
    EXPECT_EQ(geometry->repEntry, nullptr);
    EXPECT_EQ(LiveBlocks(), blocks);
    const RwErrorRecord error = TakeError();
    if (c.error != 0) {
      EXPECT_EQ(error.errorCode, c.error);
    }
  }
  // Whatever ranges the failures took went back: a good read takes the
  // first one.
  ASSERT_EQ(Read(NativeGeometryStruct(Quad()), geometry), geometry);
  EXPECT_EQ(RpD3D8InstanceDataGetRecords(geometry->repEntry)[0].baseIndex, 0u);
  // A second read replaces the data instead of leaking it.
  const int blocks = LiveBlocks();
  ASSERT_EQ(Read(NativeGeometryStruct(Quad()), geometry), geometry);
  EXPECT_EQ(LiveBlocks(), blocks);
}

}  // namespace
}  // namespace pipe_test
