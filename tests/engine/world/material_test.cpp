// Materials and material lists: references to materials and textures, the
// default surface properties, the material chunk, and list growth, search,
// back-references in the list chunk and corrupt lists.
#include "engine/world/material.h"

#include <gtest/gtest.h>

#include "engine/world/material_list.h"
#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::Live;
using world_test::WorldTest;

class MaterialTest : public WorldTest {
 protected:
  static RpMaterialList ListOf(std::initializer_list<RpMaterial*> materials) {
    RpMaterialList list;
    RpMaterialListInitialize(&list);
    for (RpMaterial* material : materials) {
      EXPECT_GE(RpMaterialListAppendMaterial(&list, material), 0);
    }
    return list;
  }

  static RpMaterialList ReadList(const std::vector<uint8_t>& bytes) {
    RpMaterialList list;
    RpMaterialListInitialize(&list);
    RwStream* stream = OpenMemoryRead(bytes);
    if (RwStreamFindChunk(stream, kRwChunkMaterialList, nullptr, nullptr)) {
      RpMaterialListStreamRead(stream, &list);
    }
    RwStreamClose(stream, nullptr);
    return list;
  }
};

TEST_F(MaterialTest, ReferencesOfMaterialsAndTextures) {
  const RpSurfaceProperties dull = {0.25f, 0.5f, 0.75f};
  RpMaterialSetDefaultSurfaceProperties(&dull);
  RpMaterial* material = RpMaterialCreate();
  RpMaterialSetDefaultSurfaceProperties(nullptr);
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->surfaceProps.specular, 0.5f);
  EXPECT_EQ(RpMaterialGetColor(material)->alpha, 255);
  EXPECT_EQ(RpMaterialCreate()->surfaceProps.ambient, 1.0f);  // destroyed with the engine

  RwTexture* first = DictionaryTexture("first");
  RwTexture* second = DictionaryTexture("second");
  RpMaterialSetTexture(material, first);
  RpMaterialSetTexture(material, first);  // setting what it holds keeps it alive
  EXPECT_EQ(first->refCount, 2);
  RpMaterialSetTexture(material, second);
  EXPECT_EQ(first->refCount, 1);
  EXPECT_EQ(RpMaterialGetTexture(material), second);

  RpMaterialAddRef(material);
  RpMaterialDestroy(material);
  EXPECT_EQ(second->refCount, 2);  // one reference left: nothing released
  const int live = Live().materials;
  RpMaterialDestroy(material);
  EXPECT_EQ(Live().materials, live - 1);
  EXPECT_EQ(second->refCount, 1);
}

TEST_F(MaterialTest, MaterialChunkRoundTrip) {
  RpMaterial* plain = Material(128);
  plain->surfaceProps = {0.1f, 0.2f, 0.3f};
  const std::vector<uint8_t> plainBytes = Written([&](RwStream* s) { return RpMaterialStreamWrite(plain, s); });
  ASSERT_EQ(plainBytes.size(), 12u + 28 + 12 + 12);
  EXPECT_EQ(RpMaterialStreamGetSize(plain), 28u + 12 + 12);
  EXPECT_EQ(plainBytes[12 + 12 + 12], 0);  // no texture follows

  RpMaterial* read = ReadChunk(plainBytes, kRwChunkMaterial, RpMaterialStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->color.red, 200);
  EXPECT_EQ(read->color.alpha, 128);
  EXPECT_EQ(read->surfaceProps.diffuse, 0.3f);
  EXPECT_EQ(read->texture, nullptr);
  RpMaterialDestroy(read);

  RwTexture* texture = DictionaryTexture("stone");
  RpMaterialSetTexture(plain, texture);
  const std::vector<uint8_t> textured = Written([&](RwStream* s) { return RpMaterialStreamWrite(plain, s); });
  read = ReadChunk(textured, kRwChunkMaterial, RpMaterialStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->texture, texture);
  EXPECT_EQ(texture->refCount, 3);  // dictionary's, written material's, read material's
  RpMaterialDestroy(read);
  RpMaterialDestroy(plain);
}

TEST_F(MaterialTest, MissingTextureChunkFailsTheRead) {
  const int live = Live().materials;
  ChunkBytes missingTexture;
  missingTexture.Header(kRwChunkStruct, 28).U32(0).U32(0).U32(0).U32(1).Real(1).Real(1).Real(1);
  EXPECT_EQ(ReadBody(missingTexture, RpMaterialStreamRead), nullptr);
  EXPECT_EQ(Live().materials, live);
}

TEST_F(MaterialTest, ListGrowsAndSearchesFromTheEnd) {
  RpMaterial* a = Material();
  RpMaterial* b = Material();
  RpMaterialList list = ListOf({a, b, a});
  EXPECT_EQ(RpMaterialListFindMaterialIndex(&list, a), 2);
  EXPECT_EQ(RpMaterialListFindMaterialIndex(&list, b), 1);
  EXPECT_EQ(a->refCount, 3);
  for (int i = 3; i < kRpMaterialListGrowth; ++i) {
    RpMaterialListAppendMaterial(&list, b);
  }
  EXPECT_EQ(list.space, kRpMaterialListGrowth);
  EXPECT_EQ(RpMaterialListAppendMaterial(&list, b), kRpMaterialListGrowth);
  EXPECT_EQ(list.space, 2 * kRpMaterialListGrowth);
  RpMaterialListDeinitialize(&list);
  EXPECT_EQ(a->refCount, 1);
  EXPECT_EQ(list.materials, nullptr);
  RpMaterialDestroy(a);
  RpMaterialDestroy(b);
}

TEST_F(MaterialTest, ListWritesEachMaterialOnceAndReadsBackReferences) {
  RpMaterial* a = Material(10);
  RpMaterial* b = Material(20);
  RpMaterialList list = ListOf({a, b, a});
  const std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpMaterialListStreamWrite(&list, s); });
  ChunkBytes expectedStruct;
  expectedStruct.Header(kRwChunkStruct, 16).U32(3).S32(-1).S32(-1).U32(0);
  ASSERT_GT(bytes.size(), 12 + expectedStruct.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 12 + expectedStruct.size()),
            expectedStruct.bytes());
  EXPECT_EQ(bytes.size(), 12 + RpMaterialListStreamGetSize(&list));
  EXPECT_EQ(bytes.size(), 12u + 28 + 2 * (12 + RpMaterialStreamGetSize(a)));
  RpMaterialListDeinitialize(&list);
  RpMaterialDestroy(a);
  RpMaterialDestroy(b);

  RpMaterialList read = ReadList(bytes);
  ASSERT_EQ(read.numMaterials, 3);
  EXPECT_EQ(read.materials[0], read.materials[2]);
  EXPECT_NE(read.materials[0], read.materials[1]);
  EXPECT_EQ(read.materials[0]->refCount, 2);
  EXPECT_EQ(read.materials[0]->color.alpha, 10);
  EXPECT_EQ(read.materials[1]->refCount, 1);
  RpMaterialListDeinitialize(&read);
  EXPECT_EQ(Live().materials, 0);
}

TEST_F(MaterialTest, CorruptListsFailWithNothingLeft) {
  RpMaterial* a = Material();
  const std::vector<uint8_t> material = Written([&](RwStream* s) { return RpMaterialStreamWrite(a, s); });
  RpMaterialDestroy(a);
  struct Case {
    const char* name;
    std::vector<int32_t> indices;
    int32_t count;
  };
  const Case cases[] = {
      {"negative count", {}, -1},
      {"count beyond the struct", {-1}, 2},
      {"index of its own position", {-1, 1}, 2},
      {"index of a later position", {2, -1, -1}, 3},
      {"material chunk missing", {-1, -1}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkBytes bytes;
    bytes.Header(kRwChunkMaterialList, 0).Header(kRwChunkStruct, 4 * static_cast<uint32_t>(c.indices.size() + 1));
    bytes.S32(c.count);
    for (int32_t index : c.indices) {
      bytes.S32(index);
    }
    bytes.Bytes(material);
    RpMaterialList list = ReadList(bytes.bytes());
    EXPECT_EQ(list.numMaterials, 0);
    EXPECT_EQ(list.materials, nullptr);
    EXPECT_EQ(Live().materials, 0);
    TakeError();
  }
}

}  // namespace
