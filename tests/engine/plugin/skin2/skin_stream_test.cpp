// The skin sub-chunks: newer-form round trips with split data, the older
// form computing the weight count and the used bones, the atomic's oldest
// form and when it is skipped, the native form, and corrupt sub-chunks,
// which fail the geometry's read with nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/skin_bytes.h"
#include "tests/support/skin_engine.h"

namespace {

constexpr RwInt32 kVertices = 3;

RwMatrix Translation(RwReal x) {
  RwMatrix m;
  RwMatrixSetIdentity(&m);
  m.pos = {x, 2.0f * x, -x};
  m.flags = kRwMatrixTypeOrthonormal;
  return m;
}

// Offset of the body of the first skin sub-chunk in written bytes.
size_t SkinBody(const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i + kRwChunkHeaderSize <= bytes.size(); i++) {
    if (RwReadLittleEndianUInt32(&bytes[i]) == kRpSkinPluginId &&
        RwReadLittleEndianUInt32(&bytes[i + 8]) == kTestStamp) {
      return i + kRwChunkHeaderSize;
    }
  }
  ADD_FAILURE() << "no skin sub-chunk";
  return 0;
}

class SkinStreamTest : public SkinEngineTest {
 protected:
  static RpGeometry* Geometry(RwUInt32 flags = 0) {
    RpGeometry* geometry = RpGeometryCreate((flags & rpGEOMETRYNATIVE) != 0 ? 0 : kVertices,
                                            (flags & rpGEOMETRYNATIVE) != 0 ? 0 : 1, flags);
    if ((flags & rpGEOMETRYNATIVE) == 0) {
      geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
    }
    geometry->morphTarget[0].boundingSphere = {{0.0f, 0.0f, 0.0f}, 1.0f};
    return RpGeometryUnlock(geometry);
  }

  // Four bones; vertex weights of one, two and three bones.
  static RpSkin* Skin() {
    const RwUInt32 indices[kVertices] = {Bones(2, 0, 0, 0), Bones(1, 3, 0, 0), Bones(0, 1, 3, 0)};
    const RpSkinVertexWeights weights[kVertices] = {
        {{1.0f, 0.0f, 0.0f, 0.0f}}, {{0.75f, 0.25f, 0.0f, 0.0f}}, {{0.5f, 0.25f, 0.25f, 0.0f}}};
    const RwMatrix matrices[4] = {Translation(1.0f), Translation(2.0f), Translation(3.0f), Translation(4.0f)};
    return RpSkinCreate(kVertices, 4, indices, weights, matrices);
  }

  static std::vector<uint8_t> Write(const RpGeometry* geometry) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteToMemory([&](RwStream* s) { return RpGeometryStreamWrite(geometry, s) != nullptr; }, &bytes));
    return bytes;
  }

  static RpGeometry* Read(const std::vector<uint8_t>& bytes) {
    RwStream* stream = OpenMemoryRead(bytes);
    RpGeometry* geometry =
        RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr) ? RpGeometryStreamRead(stream) : nullptr;
    RwStreamClose(stream, nullptr);
    return geometry;
  }

  // A written geometry without a skin and the skin sub-chunk body appended.
  static std::vector<uint8_t> WithSkinChunk(const std::vector<uint8_t>& body, RwUInt32 flags = 0) {
    RpGeometry* geometry = Geometry(flags);
    std::vector<uint8_t> bytes = Write(geometry);
    RpGeometryDestroy(geometry);
    EXPECT_TRUE(AppendSubChunk(&bytes, {kRwChunkGeometry, kRwChunkExtension}, kRpSkinPluginId, body));
    return bytes;
  }

  // The newer form of Skin() on a geometry.
  static std::vector<uint8_t> NewerForm() {
    RpGeometry* geometry = Geometry();
    RpSkinGeometrySetSkin(geometry, Skin());
    std::vector<uint8_t> bytes = Write(geometry);
    RpGeometryDestroy(geometry);
    return bytes;
  }
};

TEST_F(SkinStreamTest, NewerFormRoundTripKeepsEverythingWithSplitData) {
  RpGeometry* geometry = Geometry();
  RpSkin* skin = Skin();
  ASSERT_NE(skin, nullptr);
  ASSERT_TRUE(_rpSkinAllocateSplit(skin, 7, 2, 1));
  for (RwUInt32 i = 0; i < _rpSkinSplitBytes(skin); i++) {
    skin->split.boneTable[i] = static_cast<RwUInt8>(0x40 + i);
  }
  RpSkinGeometrySetSkin(geometry, skin);
  const std::vector<uint8_t> bytes = Write(geometry);
  const size_t body = SkinBody(bytes);
  EXPECT_EQ(RwReadLittleEndianUInt32(&bytes[body - 8]), 4u + 4 * 64 + kVertices * 20 + 4 + 12 + (4 + 4 + 2));
  EXPECT_EQ(bytes[body + 2], 3u);  // largest weight count

  RpGeometry* read = Read(bytes);
  ASSERT_NE(read, nullptr);
  const RpSkin* copy = RpSkinGeometryGetSkin(read);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->numBones, 4u);
  EXPECT_EQ(copy->maxWeights, 3u);
  ASSERT_EQ(copy->numUsedBones, skin->numUsedBones);
  EXPECT_EQ(std::memcmp(copy->usedBones, skin->usedBones, skin->numUsedBones), 0);
  EXPECT_EQ(std::memcmp(copy->vertexBoneIndices, skin->vertexBoneIndices, kVertices * 4), 0);
  EXPECT_EQ(std::memcmp(copy->vertexWeights, skin->vertexWeights, kVertices * 16), 0);
  EXPECT_EQ(std::memcmp(copy->inverseBoneMatrices, skin->inverseBoneMatrices, 4 * sizeof(RwMatrix)), 0);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(copy->inverseBoneMatrices) % kRpSkinMatrixAlignment, 0u);
  EXPECT_EQ(copy->split.boneLimit, 7u);
  EXPECT_EQ(copy->split.numA, 2u);
  EXPECT_EQ(copy->split.numB, 1u);
  EXPECT_EQ(copy->split.secondPart[0], 0x44);
  EXPECT_EQ(copy->split.thirdPart[1], 0x49);
  EXPECT_EQ(Write(read), bytes);
  RpGeometryDestroy(read);
  RpGeometryDestroy(geometry);
}

TEST_F(SkinStreamTest, OlderFormComputesWeightCountAndAscendingUsedBones) {
  const std::vector<uint8_t> body =
      OlderSkinBody(6, {Bones(5, 2, 0, 0), Bones(4, 0, 0, 0), Bones(1, 3, 5, 0)},
                    {0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.2f, 0.3f, 0.5f, 0.0f});
  RpGeometry* read = Read(WithSkinChunk(body));
  ASSERT_NE(read, nullptr);
  const RpSkin* skin = RpSkinGeometryGetSkin(read);
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->maxWeights, 3u);
  EXPECT_EQ(std::vector<RwUInt8>(skin->usedBones, skin->usedBones + skin->numUsedBones),
            (std::vector<RwUInt8>{1, 2, 3, 4, 5}));
  EXPECT_EQ(skin->vertexBoneIndices[2], Bones(5, 3, 1, 0));  // sorted with its weights
  EXPECT_EQ(skin->vertexWeights[2].w[0], 0.5f);
  ExpectVector(skin->inverseBoneMatrices[5].pos, SkinBytesBoneOffset(5));
  RpGeometryDestroy(read);
}

TEST_F(SkinStreamTest, AtomicFormGivesTheGeometryASkinUnlessItHasOne) {
  const std::vector<uint8_t> oldest = OldestSkinBody(2, std::vector<uint32_t>(kVertices, Bones(1, 0, 0, 0)),
                                                     {0.25f, 0.75f, 0, 0, 0.25f, 0.75f, 0, 0, 0.25f, 0.75f, 0, 0});
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "geometry with a skin" : "geometry without");
    RpClump* clump = RpClumpCreate();
    RwFrame* frame = RwFrameCreate();
    RpClumpSetFrame(clump, frame);
    RpGeometry* geometry = Geometry();
    if (skinned) {
      RpSkinGeometrySetSkin(geometry, Skin());
    }
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, geometry, 0);
    RpGeometryDestroy(geometry);
    RpAtomicSetFrame(atomic, frame);
    RpClumpAddAtomic(clump, atomic);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteToMemory([&](RwStream* s) { return RpClumpStreamWrite(clump, s) != nullptr; }, &bytes));
    RpClumpDestroy(clump);
    // A geometry with a skin skips the chunk by its length, however short.
    const std::vector<uint8_t> body = skinned ? std::vector<uint8_t>{1, 2, 3} : oldest;
    ASSERT_TRUE(AppendSubChunk(&bytes, {kRwChunkClump, kRwChunkAtomic, kRwChunkExtension}, kRpSkinPluginId, body));

    RpClump* read = ReadClumpBytes(bytes);
    ASSERT_NE(read, nullptr);
    const RpSkin* skin = RpSkinGeometryGetSkin(RpAtomicGetGeometry(FirstAtomic(read)));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->numBones, skinned ? 4u : 2u);
    if (!skinned) {
      EXPECT_EQ(skin->maxWeights, 2u);
      EXPECT_EQ(skin->vertexBoneIndices[0], Bones(0, 1, 0, 0));
      ExpectVector(skin->inverseBoneMatrices[1].pos, SkinBytesBoneOffset(1));
    }
    RpClumpDestroy(read);
  }
}

TEST_F(SkinStreamTest, NativeFormKeepsTheBoneCountAlone) {
  const std::vector<uint8_t> native = NativeSkinBody(kRpSkinNativePlatform, 7, kTestStamp);
  RpGeometry* read = Read(WithSkinChunk(native, rpGEOMETRYNATIVE));
  ASSERT_NE(read, nullptr);
  const RpSkin* skin = RpSkinGeometryGetSkin(read);
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->numBones, 7u);
  EXPECT_EQ(skin->data, nullptr);
  EXPECT_EQ(skin->vertexBoneIndices, nullptr);
  // Nothing of it is written back.
  const std::vector<uint8_t> again = Write(read);
  EXPECT_EQ(std::search(again.begin(), again.end(), native.begin() + 12, native.end()), again.end());
  RpGeometryDestroy(read);

  const std::vector<uint8_t> oldVersion = NativeSkinBody(kRpSkinNativePlatform, 7, RwChunkStampEncode(0x30000, 0));
  EXPECT_EQ(Read(WithSkinChunk(oldVersion, rpGEOMETRYNATIVE)), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrBadChunkVersion);

  EXPECT_EQ(Read(WithSkinChunk(NativeSkinBody(9, 7, kTestStamp), rpGEOMETRYNATIVE)), nullptr);
}

TEST_F(SkinStreamTest, CorruptSkinsFailTheRead) {
  const std::vector<uint8_t> good = NewerForm();
  const size_t body = SkinBody(good);
  const size_t used = good[body + 1];
  const size_t indices = body + 4 + used;
  const size_t split = indices + kVertices * 20 + 4 * 64;
  struct Case {
    const char* name;
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"no bones", body, {0}},
      {"five weights", body + 2, {5}},
      {"more used bones than bones", body + 1, {5}},
      {"a used bone past the bones", body + 4, {4}},
      {"a weighted bone past the bones", indices, {4}},
      {"split block past the sub-chunk", split + 4, {0xFF, 0xFF, 0xFF, 0x7F}},
      {"split counts that overflow 32 bits", split + 4, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  RpGeometry* control = Read(good);
  ASSERT_NE(control, nullptr);
  RpGeometryDestroy(control);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = good;
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.offset));
    EXPECT_EQ(Read(bytes), nullptr);
    TakeError();
  }
  SCOPED_TRACE("truncated");
  std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(split));
  EXPECT_EQ(Read(truncated), nullptr);
}

}  // namespace
