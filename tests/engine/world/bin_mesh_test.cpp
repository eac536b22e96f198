// The bin mesh extension: materials stored as list positions, native owners
// without indices, and the checks that keep corrupt data out of a header.
#include <gtest/gtest.h>

#include "engine/world/mesh.h"
#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::WorldTest;

class BinMeshTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    RpMaterialListInitialize(&list_);
    material_ = Material();
    RpMaterialListAppendMaterial(&list_, material_);
  }
  void TearDown() override {
    RpMaterialListDeinitialize(&list_);
    RpMaterialDestroy(material_);
    WorldTest::TearDown();
  }

  RpMeshHeader* Read(const ChunkBytes& bytes, RwInt32 vertices, RwBool native) {
    RwStream* stream = OpenMemoryRead(bytes.bytes());
    RpMeshHeader* header = RpMeshHeaderStreamRead(stream, static_cast<RwInt32>(bytes.size()), &list_, vertices, native);
    RwStreamClose(stream, nullptr);
    return header;
  }

  RpMaterialList list_;
  RpMaterial* material_ = nullptr;
};

TEST_F(BinMeshTest, MaterialsTravelAsListPositions) {
  RpMeshBuilder* builder = RpMeshBuilderCreate(2);
  RpMeshBuilderAddTriangle(builder, material_, 0, 1, 2);
  RpMeshBuilderAddTriangle(builder, nullptr, 2, 1, 3);
  RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, kRpMeshHeaderTriList);
  for (RwBool native : {FALSE, TRUE}) {
    SCOPED_TRACE(native);
    std::vector<uint8_t> bytes =
        Written([&](RwStream* s) { return RpMeshHeaderStreamWrite(header, s, &list_, native) != nullptr; });
    ASSERT_EQ(bytes.size(), static_cast<size_t>(RpMeshHeaderStreamGetSize(header, native)));
    ChunkBytes chunk;
    chunk.Bytes(bytes);
    RpMeshHeader* read = Read(chunk, 4, native);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->numMeshes, 2);
    const RpMesh* meshes = RpMeshHeaderGetFirstMesh(read);
    for (int m = 0; m < 2; ++m) {
      EXPECT_EQ(meshes[m].material, RpMeshHeaderGetFirstMesh(header)[m].material);
      EXPECT_EQ(meshes[m].numIndices, 3u);
      EXPECT_EQ(meshes[m].indices == nullptr, native == TRUE);
    }
    if (!native) {
      EXPECT_EQ(meshes[1].indices[2], RpMeshHeaderGetFirstMesh(header)[1].indices[2]);
    }
    RpMeshHeaderDestroy(read);
  }
  RpMeshHeaderDestroy(header);
}

TEST_F(BinMeshTest, CorruptMeshesAreRefused) {
  struct Case {
    const char* name;
    std::vector<uint32_t> words;  // after the flags word
    RwInt32 vertices;
    bool reads;
  };
  const int blocks = NewBlocks();
  const Case cases[] = {
      {"counts short of the total", {1, 4, 3, 0, 0, 1, 2, 0}, 3, false},
      {"counts beyond the total", {2, 3, 3, 0, 0, 1, 2, 3, 0, 1, 2, 0}, 3, false},
      {"index at the vertex count", {1, 3, 3, 0, 0, 1, 3}, 3, false},
      {"indices beyond the data", {1, 30, 30, 0, 0, 1, 2}, 3, false},
      {"material outside the list", {1, 3, 3, 7, 0, 1, 2}, 3, true},
      // Eight indices are checked at a time, the rest one by one; below a
      // count of 0x8000 through a saturating pack, else with 32-bit compares.
      {"nine indices in range", {1, 9, 9, 7, 4, 3, 2, 1, 0, 1, 2, 3, 4}, 5, true},
      {"index at the count among the first eight", {1, 9, 9, 7, 0, 1, 2, 3, 4, 0, 5, 1, 2}, 5, false},
      {"index at the count after the first eight", {1, 9, 9, 7, 0, 1, 2, 3, 4, 0, 1, 2, 5}, 5, false},
      {"index with its top bit set", {1, 9, 9, 7, 0, 1, 0x80000002u, 3, 4, 0, 1, 2, 3}, 5, false},
      {"index 0x8000 at a count of 0x8000", {1, 9, 9, 7, 0x7FFF, 0x8000, 2, 3, 4, 0, 1, 2, 3}, 0x8000, false},
      {"indices below a count past 0x8000", {1, 9, 9, 7, 0x9C3F, 0x8000, 2, 3, 4, 0, 1, 2, 3}, 40000, true},
      {"index at a count past 0x8000", {1, 9, 9, 7, 0, 1, 0x80000001u, 3, 4, 0, 1, 40000, 3}, 40000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkBytes bytes;
    bytes.U32(kRpMeshHeaderTriList);
    for (uint32_t word : c.words) {
      bytes.U32(word);
    }
    RpMeshHeader* header = Read(bytes, c.vertices, FALSE);
    EXPECT_EQ(header != nullptr, c.reads);
    if (header != nullptr) {
      const RpMesh& mesh = RpMeshHeaderGetFirstMesh(header)[0];
      EXPECT_EQ(mesh.material, nullptr);
      for (RwUInt32 i = 0; i < mesh.numIndices; ++i) EXPECT_EQ(mesh.indices[i], c.words[4 + i]);
      RpMeshHeaderDestroy(header);
    }
    TakeError();
  }

  SCOPED_TRACE("more meshes than a header counts");
  ChunkBytes many;
  many.U32(kRpMeshHeaderTriList).U32(0x10000).U32(0);
  for (int m = 0; m < 0x10000; ++m) {
    many.U32(0).U32(0);
  }
  EXPECT_EQ(Read(many, 3, FALSE), nullptr);
  EXPECT_EQ(NewBlocks(), blocks);
}

}  // namespace
