// The clump chunk: round trips that keep the hierarchy, flags, shared
// geometry, lights, cameras and plugin data; the empty clump; old structs
// with an inline geometry; the right to render; and corrupt or truncated
// chunks, which fail with nothing left behind.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/world/clump.h"
#include "engine/world/world_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/clump_builder.h"

namespace {

using world_test::AtomicTag;
using world_test::ClumpTag;
using world_test::FrameTag;
using world_test::Members;
using world_test::PutU32;
using world_test::U32At;
using world_test::WorldTest;

constexpr RwUInt32 kRightsPluginId = 0xFF10;
constexpr RwUInt32 kRightsData = 0xBEEF;

struct RightsCall {
  void* atomic = nullptr;
  RwUInt32 data = 0;
  int calls = 0;
};
RightsCall gRights;

RwInt32 TakeRights(void* object, RwInt32, RwInt32, RwUInt32 data) {
  gRights.atomic = object;
  gRights.data = data;
  gRights.calls++;
  return 1;
}

bool AttachRights() {
  return RpAtomicRegisterPlugin(0, kRightsPluginId, nullptr, nullptr, nullptr) >= 0 &&
         RpAtomicSetStreamRightsCallBack(kRightsPluginId, TakeRights) >= 0;
}

// The offset of the nth chunk header of the type this engine wrote.
size_t ChunkAt(const std::vector<uint8_t>& bytes, uint32_t type, int nth = 0) {
  for (size_t at = 0; at + 12 <= bytes.size(); ++at) {
    if (U32At(bytes, at) == type && U32At(bytes, at + 8) == kTestStamp && nth-- == 0) {
      return at;
    }
  }
  ADD_FAILURE() << "no chunk " << type;
  return 0;
}

class ClumpStreamTest : public WorldTest {
 protected:
  void SetUp() override { Start(AttachRights); }

  // Root (x + 1, tag 11) > child (y + 2, tag 12) > grandchild (z + 1); none
  // is the identity, whose flag a read matrix does not get back. Atomics added
  // in the order root (shared geometry, game bits in the flags), grandchild
  // (shared, tag 21), child (its own geometry); a point light on the child and
  // a camera on the grandchild; clump tag 7.
  RpClump* Model() {
    RpClump* clump = RpClumpCreate();
    RwFrame* frames[3] = {RwFrameCreate(), RwFrameCreate(), RwFrameCreate()};
    const RwV3d up = {0.0f, 2.0f, 0.0f};
    const RwV3d ahead = {0.0f, 0.0f, 1.0f};
    const RwV3d aside = {1.0f, 0.0f, 0.0f};
    RwFrameTranslate(frames[0], &aside, kRwCombineReplace);
    RwFrameTranslate(frames[1], &up, kRwCombineReplace);
    RwFrameTranslate(frames[2], &ahead, kRwCombineReplace);
    RwFrameAddChild(frames[0], frames[1]);
    RwFrameAddChild(frames[1], frames[2]);
    FrameTag(frames[0]) = 11;
    FrameTag(frames[1]) = 12;
    RpClumpSetFrame(clump, frames[0]);

    RpGeometry* shared = RpGeometryCreate(3, 1, rpGEOMETRYTEXTURED);
    shared->triangles[0] = {{0, 1, 2}, 0};
    RpMaterial* material = RpMaterialCreate();
    RpMaterialSetTexture(material, DictionaryTexture("stone"));  // the dictionary keeps its texture
    RpMaterialListAppendMaterial(&shared->matList, material);
    RpMaterialDestroy(material);
    RpGeometryUnlock(shared);
    RpGeometry* own = RpGeometryCreateEmpty(2.0f);
    AddClumpAtomic(clump, frames[0], shared, 0xE9);
    AtomicTag(AddClumpAtomic(clump, frames[2], shared, rpATOMICRENDER)) = 21;
    AddClumpAtomic(clump, frames[1], own, 0x10);
    RpGeometryDestroy(shared);
    RpGeometryDestroy(own);

    RpLight* light = RpLightCreate(rpLIGHTPOINT);
    RpLightSetRadius(light, 5.0f);
    RpLightSetFrame(light, frames[1]);
    RpClumpAddLight(clump, light);
    RwCamera* camera = RwCameraCreate();
    RwCameraSetFrame(camera, frames[2]);
    RpClumpAddCamera(clump, camera);
    ClumpTag(clump) = 7;
    return clump;
  }

  static std::vector<uint8_t> Write(const RpClump* clump) {
    std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpClumpStreamWrite(clump, s); });
    EXPECT_EQ(U32At(bytes, 4), bytes.size() - 12);  // the length worked out first is what was written
    return bytes;
  }

  static RpClump* Read(const std::vector<uint8_t>& bytes) { return ReadChunk(bytes, kRwChunkClump, RpClumpStreamRead); }
};

TEST_F(ClumpStreamTest, RoundTripKeepsHierarchyFlagsSharingAndMembers) {
  RpClump* model = Model();
  const std::vector<uint8_t> bytes = Write(model);
  RpClumpDestroy(model);
  // One geometry chunk for the two atomics that share theirs.
  EXPECT_EQ(U32At(bytes, ChunkAt(bytes, kRwChunkGeometryList) + 24), 2u);

  RpClump* read = Read(bytes);
  ASSERT_NE(read, nullptr);
  ExpectNoError();
  RwFrame* root = RpClumpGetFrame(read);
  ASSERT_TRUE(root != nullptr && root->child != nullptr && root->child->child != nullptr);
  RwFrame* child = root->child;
  EXPECT_EQ(child->modelling.pos.y, 2.0f);
  EXPECT_EQ(FrameTag(child), 12u);
  // The file holds the list order, which reading reverses: back to insertion order.
  const std::vector<RpAtomic*> atomics = Members(read, RpClumpForAllAtomics);
  ASSERT_EQ(atomics.size(), 3u);
  EXPECT_EQ(RpAtomicGetFlags(atomics[0]), 0xE9u);
  EXPECT_EQ(RpAtomicGetFrame(atomics[1]), child->child);
  EXPECT_EQ(AtomicTag(atomics[1]), 21u);
  RpGeometry* shared = RpAtomicGetGeometry(atomics[0]);
  EXPECT_EQ(RpAtomicGetGeometry(atomics[1]), shared);
  EXPECT_EQ(shared->refCount, 2);  // the users only: the list's reading reference is gone
  EXPECT_EQ(RpAtomicGetGeometry(atomics[2])->refCount, 1);
  EXPECT_NE(RpMaterialGetTexture(shared->matList.materials[0]), nullptr);
  const std::vector<RpLight*> lights = Members(read, RpClumpForAllLights);
  ASSERT_EQ(lights.size(), 1u);
  EXPECT_EQ(RpLightGetFrame(lights[0]), child);
  const std::vector<RwCamera*> cameras = Members(read, RpClumpForAllCameras);
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(RwCameraGetFrame(cameras[0]), child->child);
  EXPECT_EQ(ClumpTag(read), 7u);

  SCOPED_TRACE("read and written twice, the order comes back and so does every byte");
  const std::vector<uint8_t> reversed = Write(read);
  RpClumpDestroy(read);
  read = Read(reversed);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Write(read), bytes);
  RpClumpDestroy(read);
  ExpectAllGone();
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(ClumpStreamTest, FramesReadStandWhereTheirMatricesPutThem) {
  RpClump* model = Model();
  RpAtomic* onRoot = Members(model, RpClumpForAllAtomics).back();
  RpAtomicSetFrame(onRoot, RpClumpGetFrame(model)->child);  // nothing on the root marks it when read
  RpClump* read = Read(Write(model));
  RpClumpDestroy(model);
  ASSERT_NE(read, nullptr);
  const RwV3d& grandchild = RwFrameGetLTM(RpClumpGetFrame(read)->child->child)->pos;  // the root's move included
  EXPECT_TRUE(grandchild.x == 1.0f && grandchild.y == 2.0f && grandchild.z == 1.0f);
  RpClumpDestroy(read);
}

TEST_F(ClumpStreamTest, EmptyClumpAndOldStructWithInlineGeometry) {
  RpClump* empty = RpClumpCreate();
  RwFrame* frame = RwFrameCreate();
  RpClumpSetFrame(empty, frame);
  const std::vector<uint8_t> bytes = Write(empty);
  RwFrameList frames;
  RwFrameListInitialize(&frames, frame);
  const std::vector<uint8_t> frameList = Written([&](RwStream* s) { return RwFrameListStreamWrite(&frames, s); });
  RwFrameListDeinitialize(&frames);
  RpClumpDestroy(empty);
  EXPECT_EQ(U32At(bytes, 16), 12u);  // the struct holds three zero counts
  EXPECT_EQ(U32At(bytes, 24) | U32At(bytes, 28) | U32At(bytes, 32), 0u);
  EXPECT_EQ(U32At(bytes, ChunkAt(bytes, kRwChunkGeometryList) + 24), 0u);
  RpClump* read = Read(bytes);
  ASSERT_NE(read, nullptr);
  EXPECT_NE(RpClumpGetFrame(read), nullptr);
  EXPECT_EQ(RpClumpGetNumAtomics(read), 0);
  RpClumpDestroy(read);

  SCOPED_TRACE("an old struct holds the atomic count alone; an empty geometry list: inline geometries");
  RpGeometry* geometry = RpGeometryCreateEmpty(4.0f);
  const ChunkBytes old =
      OldClumpBody(frameList, Written([&](RwStream* s) { return RpGeometryStreamWrite(geometry, s); }));
  RpGeometryDestroy(geometry);
  read = ReadBody(old, RpClumpStreamRead);
  ASSERT_NE(read, nullptr);
  ExpectNoError();
  const std::vector<RpAtomic*> atomics = Members(read, RpClumpForAllAtomics);
  ASSERT_EQ(atomics.size(), 1u);
  EXPECT_EQ(RpAtomicGetGeometry(atomics[0])->refCount, 1);
  EXPECT_EQ(atomics[0]->boundingSphere.radius, 4.0f);
  EXPECT_EQ(RpAtomicGetFrame(atomics[0]), RpClumpGetFrame(read));
  RpClumpDestroy(read);
  ExpectAllGone();
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(ClumpStreamTest, RightToRenderHandsTheDataWordToThePlugin) {
  RpClump* model = Model();
  RwPipeline* pipeline = RwPipelineCreate();
  pipeline->ownerTag = kRightsPluginId;
  pipeline->pluginData = kRightsData;
  RpAtomicSetPipeline(Members(model, RpClumpForAllAtomics)[1], pipeline);
  const std::vector<uint8_t> bytes = Write(model);
  RpClumpDestroy(model);
  RwPipelineDestroy(pipeline);
  EXPECT_EQ(U32At(bytes, ChunkAt(bytes, kRwChunkRightToRender) + 16), kRightsData);

  gRights = RightsCall();
  RpClump* read = Read(bytes);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(gRights.calls, 1);
  EXPECT_EQ(gRights.atomic, Members(read, RpClumpForAllAtomics)[1]);
  EXPECT_EQ(gRights.data, kRightsData);
  RpClumpDestroy(read);
}

TEST_F(ClumpStreamTest, CorruptChunksFailWithNothingLeft) {
  RpClump* model = Model();
  const std::vector<uint8_t> bytes = Write(model);
  RpClumpDestroy(model);
  const size_t atomic = ChunkAt(bytes, kRwChunkAtomic);
  const size_t frameList = ChunkAt(bytes, kRwChunkFrameList);
  struct Damage {
    const char* what;
    size_t offset;
    uint32_t value;
  };
  const Damage damages[] = {
      {"atomic frame index", atomic + 24, 3},
      {"atomic geometry index", atomic + 28, 2},
      {"light frame index", ChunkAt(bytes, kRwChunkLight) - 4, 3},
      {"camera frame index", ChunkAt(bytes, kRwChunkCamera) - 4, 0xFFFFFFFF},
      {"geometry count beyond the list chunk", ChunkAt(bytes, kRwChunkGeometryList) + 24, 1000},
      {"a second root frame", frameList + 28 + 56 + 48, 0xFFFFFFFF},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    std::vector<uint8_t> broken = bytes;
    PutU32(&broken, damage.offset, damage.value);
    const int blocks = NewBlocks();
    EXPECT_EQ(Read(broken), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrRead);
    ExpectAllGone();
    EXPECT_EQ(NewBlocks(), blocks);
  }
  SCOPED_TRACE("truncated");
  for (size_t cut = 1; cut < bytes.size() - 12; cut += 37) {
    EXPECT_EQ(Read(std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut))), nullptr);
    TakeError();
    ExpectAllGone();
  }

  SCOPED_TRACE("an atomic without geometry fails the write before anything is written");
  RpClump* clump = Model();
  RpAtomicSetGeometry(Members(clump, RpClumpForAllAtomics)[2], nullptr, 0);
  std::vector<uint8_t> nothing;
  EXPECT_FALSE(WriteToMemory([&](RwStream* s) { return RpClumpStreamWrite(clump, s) != nullptr; }, &nothing));
  EXPECT_TRUE(nothing.empty());
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  RpClumpDestroy(clump);
  ExpectAllGone();
}

}  // namespace
