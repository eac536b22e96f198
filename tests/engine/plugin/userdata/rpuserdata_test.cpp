// User data: round trips on geometries built through the creation functions
// and on the other object types through byte-built sub-chunks, the accessors'
// answers outside the elements, copies, and corrupt sub-chunks.
#include "engine/plugin/userdata/rpuserdata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/plugin/userdata/userdata_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tools/forge/forge.h"

namespace {

using world_test::WorldTest;

bool AttachUserData() { return RpUserDataPluginAttach(); }

RwTexture* NamedTexture(const RwChar* name, const RwChar*) {
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  return texture;
}

// A sub-chunk body: an integer array, a nameless real array and a string
// array holding a null string.
ChunkBytes ThreeArrays() {
  ChunkBytes body;
  body.S32(3);
  body.U32(5).Bytes({'l', 'e', 'v', 'e', 0}).S32(rpINTUSERDATA).S32(2).S32(-7).S32(40);
  body.U32(0).S32(rpREALUSERDATA).S32(1).Real(2.5f);
  body.U32(2).Bytes({'s', 0}).S32(rpSTRINGUSERDATA).S32(2).U32(3).Bytes({'a', 'b', 0}).U32(0);
  return body;
}

void ExpectThreeArrays(const RpUserDataList* list) {
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->numArrays, 3);
  const RpUserDataArray* ints = &list->arrays[0];
  EXPECT_STREQ(RpUserDataArrayGetName(ints), "leve");
  EXPECT_EQ(RpUserDataArrayGetFormat(ints), rpINTUSERDATA);
  EXPECT_EQ(RpUserDataArrayGetInt(ints, 0), -7);
  EXPECT_EQ(RpUserDataArrayGetInt(ints, 1), 40);
  const RpUserDataArray* reals = &list->arrays[1];
  EXPECT_EQ(RpUserDataArrayGetName(reals), nullptr);
  EXPECT_EQ(RpUserDataArrayGetFloat(reals, 0), 2.5f);
  const RpUserDataArray* strings = &list->arrays[2];
  EXPECT_EQ(RpUserDataArrayGetNumElements(strings), 2);
  EXPECT_STREQ(RpUserDataArrayGetString(strings, 0), "ab");
  EXPECT_EQ(RpUserDataArrayGetString(strings, 1), nullptr);
}

class UserDataTest : public WorldTest {
 protected:
  void SetUp() override {
    Start(AttachUserData);
    RwTextureSetReadCallBack(NamedTexture);
  }

  // The object written with the body as its user data reads back with the
  // three arrays and writes back byte for byte.
  template <typename T>
  static void ExpectRoundTrip(T* object, RwUInt32 chunk, RwInt32 objectType, const T* (*write)(const T*, RwStream*),
                              T* (*read)(RwStream*), RwBool (*destroy)(T*), const std::vector<uint8_t>& body) {
    SCOPED_TRACE(chunk);
    const auto bytes = WithSubChunk(Written([&](RwStream* s) { return write(object, s); }), kRpUserDataPluginId, body);
    destroy(object);
    T* got = ReadChunk(bytes, chunk, read);
    ExpectThreeArrays(_rpUserDataList(objectType, got));
    EXPECT_EQ(Written([&](RwStream* s) { return write(got, s); }), bytes);
    destroy(got);
  }
};

TEST_F(UserDataTest, GeometryArraysRoundTripThroughTheCreationFunctions) {
  RpGeometry* geometry = RpGeometryCreate(3, 1, 0);
  ASSERT_TRUE(ForgeAddUserData(geometry, {{"priority.priority", rpINTUSERDATA, {-1}, {}, {}},
                                          {"lod.lod", rpREALUSERDATA, {}, {25.0f}, {}},
                                          {"name.name", rpSTRINGUSERDATA, {}, {}, {"first", ""}}}));
  EXPECT_EQ(RpUserDataGeometryAddArray(geometry, "empty", rpINTUSERDATA, 0), 3);
  EXPECT_EQ(RpUserDataGeometryAddArray(geometry, "bad", 4, 1), -1);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  RpUserDataArray* names = RpUserDataGeometryGetArray(geometry, 2);
  EXPECT_EQ(RpUserDataArraySetString(names, 0, "door"), names);  // replaces, freeing the first
  EXPECT_EQ(RpUserDataArraySetInt(names, 0, 1), nullptr);
  EXPECT_EQ(RpUserDataArraySetString(names, 2, "x"), nullptr);
  const std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpGeometryStreamWrite(geometry, s); });
  RpGeometryDestroy(geometry);
  RpGeometry* read = ReadChunk(bytes, kRwChunkGeometry, RpGeometryStreamRead);
  ASSERT_NE(read, nullptr);

  // The empty array is stored and reachable but not counted.
  EXPECT_EQ(RpUserDataGeometryGetArrayCount(read), 3);
  EXPECT_STREQ(RpUserDataArrayGetName(RpUserDataGeometryGetArray(read, 3)), "empty");
  EXPECT_EQ(RpUserDataGeometryGetArray(read, 4), nullptr);
  const RpUserDataArray* priority = RpUserDataGeometryGetArray(read, 0);
  const RpUserDataArray* lod = RpUserDataGeometryGetArray(read, 1);
  const RpUserDataArray* name = RpUserDataGeometryGetArray(read, 2);
  EXPECT_EQ(RpUserDataArrayGetInt(priority, 0), -1);
  EXPECT_EQ(RpUserDataArrayGetFloat(lod, 0), 25.0f);
  EXPECT_STREQ(RpUserDataArrayGetString(name, 0), "door");
  EXPECT_EQ(RpUserDataArrayGetString(name, 1), nullptr);
  // Outside the elements, another format or no array: nothing.
  EXPECT_EQ(RpUserDataArrayGetInt(priority, 1), 0);
  EXPECT_EQ(RpUserDataArrayGetInt(name, 0), 0);
  EXPECT_EQ(RpUserDataArrayGetFloat(lod, -1), 0.0f);
  EXPECT_EQ(RpUserDataArrayGetInt(RpUserDataGeometryGetArray(read, 3), 0), 0);
  EXPECT_EQ(RpUserDataArrayGetString(nullptr, 0), nullptr);
  RpGeometryDestroy(read);

  // A geometry without user data writes an empty extension.
  RpGeometry* plain = RpGeometryCreate(3, 1, 0);
  const std::vector<uint8_t> plainBytes = Written([&](RwStream* s) { return RpGeometryStreamWrite(plain, s); });
  RpGeometryDestroy(plain);
  EXPECT_EQ(world_test::U32At(plainBytes, plainBytes.size() - 8), 0u);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(UserDataTest, OtherObjectTypesRoundTripByteBuiltSubChunks) {
  const std::vector<uint8_t> body = ThreeArrays().bytes();
  ExpectRoundTrip(RpLightCreate(rpLIGHTPOINT), kRwChunkLight, rpUSERDATALIGHT, RpLightStreamWrite, RpLightStreamRead,
                  RpLightDestroy, body);
  ExpectRoundTrip(RwCameraCreate(), kRwChunkCamera, rpUSERDATACAMERA, RwCameraStreamWrite, RwCameraStreamRead,
                  RwCameraDestroy, body);
  ExpectRoundTrip(RpMaterialCreate(), kRwChunkMaterial, rpUSERDATAMATERIAL, RpMaterialStreamWrite, RpMaterialStreamRead,
                  RpMaterialDestroy, body);
  ExpectRoundTrip(NamedTexture("stone", nullptr), kRwChunkTexture, rpUSERDATATEXTURE, RwTextureStreamWrite,
                  RwTextureStreamRead, RwTextureDestroy, body);
  {
    SCOPED_TRACE("frame, and its copy");
    RwFrame* frame = RwFrameCreate();
    RwFrameList list;
    RwFrameListInitialize(&list, frame);
    const auto bytes =
        WithSubChunk(Written([&](RwStream* s) { return RwFrameListStreamWrite(&list, s); }), kRpUserDataPluginId, body);
    RwFrameListDeinitialize(&list);
    RwFrameDestroy(frame);
    RwStream* stream = OpenMemoryRead(bytes);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkFrameList, nullptr, nullptr));
    ASSERT_NE(RwFrameListStreamRead(stream, &list), nullptr);
    RwStreamClose(stream, nullptr);
    RwFrame* read = list.frames[0];
    RwFrameListDeinitialize(&list);
    ExpectThreeArrays(_rpUserDataList(rpUSERDATAFRAME, read));
    RwFrame* copy = RwFrameCloneHierarchy(read);
    RwFrameDestroy(read);
    ExpectThreeArrays(_rpUserDataList(rpUSERDATAFRAME, copy));
    RwFrameDestroy(copy);
  }
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(UserDataTest, CorruptSubChunksFailWithoutLeaks) {
  struct Case {
    const char* what;
    ChunkBytes body;
  };
  Case cases[] = {
      {"unknown format", ChunkBytes().S32(1).U32(0).S32(4).S32(1).S32(0)},
      {"negative array count", ChunkBytes().S32(-1)},
      {"more arrays than bytes", ChunkBytes().S32(0x10000000).U32(0).S32(1).S32(0)},
      {"negative element count", ChunkBytes().S32(1).U32(0).S32(1).S32(-2)},
      {"more elements than bytes", ChunkBytes().S32(1).U32(0).S32(2).S32(0x40000000).Real(1.0f)},
      {"name past the chunk", ChunkBytes().S32(1).U32(0xFFFFFFF0u).S32(1).S32(0)},
      {"string past the chunk", ChunkBytes().S32(1).U32(0).S32(3).S32(1).U32(9).Bytes({'a', 'b'})},
      {"second array cut short", ThreeArrays().Truncate(3)},
  };
  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  const std::vector<uint8_t> plain = Written([&](RwStream* s) { return RpLightStreamWrite(light, s); });
  RpLightDestroy(light);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadChunk(WithSubChunk(plain, kRpUserDataPluginId, c.body.bytes()), kRwChunkLight, RpLightStreamRead),
              nullptr);
    TakeError();
    EXPECT_EQ(NewBlocks(), 0);
  }

  // Unterminated names and strings come back terminated at their stored length.
  const ChunkBytes unterminated =
      ChunkBytes().S32(1).U32(2).Bytes({'n', 'o'}).S32(3).S32(1).U32(3).Bytes({'a', 'b', 'c'});
  RpLight* read =
      ReadChunk(WithSubChunk(plain, kRpUserDataPluginId, unterminated.bytes()), kRwChunkLight, RpLightStreamRead);
  ASSERT_NE(read, nullptr);
  const RpUserDataList* list = _rpUserDataList(rpUSERDATALIGHT, read);
  EXPECT_STREQ(RpUserDataArrayGetName(&list->arrays[0]), "no");
  EXPECT_STREQ(RpUserDataArrayGetString(&list->arrays[0], 0), "abc");
  RpLightDestroy(read);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(UserDataTest, FailedAllocationsWhileReadingLeakNothing) {
  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  const auto bytes = WithSubChunk(Written([&](RwStream* s) { return RpLightStreamWrite(light, s); }),
                                  kRpUserDataPluginId, ThreeArrays().bytes());
  RpLightDestroy(light);
  ExpectFailedMallocsLeakNothing(
      [&] {
        RpLight* read = ReadChunk(bytes, kRwChunkLight, RpLightStreamRead);
        TakeError();
        return read != nullptr && RpLightDestroy(read);
      },
      40);
}

TEST_F(UserDataTest, ForgedWorldSectorsCarryUserData) {
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  ForgeAddBox(&soup, {-20.0f, 0.0f, 0.0f}, {-10.0f, 1.0f, 1.0f}, 0);
  ForgeAddBox(&soup, {10.0f, 0.0f, 0.0f}, {20.0f, 1.0f, 1.0f}, 0);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 12;
  options.hooks.push_back(ForgeSectorUserDataHook([](const ForgeSector& sector) {
    return std::vector<ForgeUserData>{{"sector", rpINTUSERDATA, {sector.index}, {}, {}}};
  }));
  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  const std::vector<RpWorldSector*> sectors = world_test::Members(world, RpWorldForAllWorldSectors);
  ASSERT_EQ(sectors.size(), 2u);
  for (RwInt32 i = 0; i < 2; ++i) {
    const RpUserDataList* list = _rpUserDataList(rpUSERDATAWORLDSECTOR, sectors[i]);
    ASSERT_EQ(list->numArrays, 1);
    EXPECT_EQ(RpUserDataArrayGetInt(&list->arrays[0], 0), i);
  }
  RpWorldDestroy(world);
  EXPECT_EQ(NewBlocks(), 0);
}

}  // namespace
