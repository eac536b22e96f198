// Skins made in code and the plugin's extensions: refused skins, weight
// sorting that moves bone bytes, the largest weight count and the used
// bones, setting skins on geometries, and hierarchies on atomics.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/skin_engine.h"

namespace {

std::vector<RwMatrix> Identities(size_t count) {
  std::vector<RwMatrix> matrices(count);
  for (RwMatrix& m : matrices) {
    RwMatrixSetIdentity(&m);
  }
  return matrices;
}

using SkinTest = SkinEngineTest;

TEST_F(SkinTest, CreateRefusesSkinsItCannotHold) {
  const std::vector<RwMatrix> matrices = Identities(256);
  const RwUInt32 indices[1] = {Bones(3, 200, 0, 0)};
  const RpSkinVertexWeights weights[1] = {{{1.0f, 0.0f, 0.0f, 0.0f}}};
  struct Case {
    const char* name;
    RwInt32 vertices;
    RwInt32 bones;
  };
  for (const Case& c :
       {Case{"no bones", 1, 0}, Case{"256 bones", 1, 256}, Case{"negative vertices", -1, 4},
        Case{"too many vertices", kRpGeometryMaxVertices, 4}, Case{"weighted bone past the bones", 1, 3}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RpSkinCreate(c.vertices, c.bones, indices, weights, matrices.data()), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  }
  // A bone byte without weight may be anything.
  RpSkin* skin = RpSkinCreate(1, 4, indices, weights, matrices.data());
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->numUsedBones, 1u);
  RpSkinDestroy(skin);
}

TEST_F(SkinTest, SortingMovesBoneBytesWithTheirWeights) {
  const std::vector<RwUInt32> indices = {Bones(4, 3, 2, 1), Bones(1, 2, 3, 4), Bones(0, 1, 2, 3)};
  const std::vector<RpSkinVertexWeights> weights = {
      {{1.0f, 0.0f, 0.0f, 0.0f}}, {{0.1f, 0.2f, 0.3f, 0.4f}}, {{0.0f, 0.5f, 0.0f, 0.5f}}};
  const std::vector<RwMatrix> matrices = Identities(5);
  RpSkin* skin = RpSkinCreate(3, 5, indices.data(), weights.data(), matrices.data());
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->vertexBoneIndices[0], Bones(4, 3, 2, 1));  // a full first weight keeps its order
  EXPECT_EQ(skin->vertexBoneIndices[1], Bones(4, 3, 2, 1));
  EXPECT_EQ(skin->vertexWeights[1].w[0], 0.4f);
  EXPECT_EQ(skin->vertexWeights[1].w[3], 0.1f);
  EXPECT_EQ(skin->vertexBoneIndices[2], Bones(1, 3, 0, 2));
  EXPECT_EQ(skin->maxWeights, 4u);
  EXPECT_EQ(std::vector<RwUInt8>(skin->usedBones, skin->usedBones + skin->numUsedBones),
            (std::vector<RwUInt8>{1, 2, 3, 4}));

  // Setting a skin sorts it; setting it again does nothing.
  RpGeometry* geometry = RpGeometryCreate(3, 0, 0);
  skin->vertexWeights[1] = {{0.1f, 0.9f, 0.0f, 0.0f}};
  ASSERT_EQ(RpSkinGeometrySetSkin(geometry, skin), geometry);
  EXPECT_EQ(skin->vertexWeights[1].w[0], 0.9f);
  EXPECT_EQ(skin->vertexBoneIndices[1], Bones(3, 4, 2, 1));
  skin->vertexWeights[1] = {{0.1f, 0.9f, 0.0f, 0.0f}};
  ASSERT_EQ(RpSkinGeometrySetSkin(geometry, skin), geometry);
  EXPECT_EQ(skin->vertexWeights[1].w[0], 0.1f);
  RpGeometryDestroy(geometry);  // destroys its skin
}

TEST_F(SkinTest, SettingSkinsOnGeometries) {
  const std::vector<RwUInt32> indices(4, Bones(0, 0, 0, 0));
  const std::vector<RpSkinVertexWeights> weights(4, {{1.0f, 0.0f, 0.0f, 0.0f}});
  const std::vector<RwMatrix> matrices = Identities(1);
  RpSkin* first = RpSkinCreate(3, 1, indices.data(), weights.data(), matrices.data());
  RpSkin* second = RpSkinCreate(3, 1, indices.data(), weights.data(), matrices.data());
  RpSkin* other = RpSkinCreate(4, 1, indices.data(), weights.data(), matrices.data());
  RpGeometry* geometry = RpGeometryCreate(3, 0, 0);
  EXPECT_EQ(RpSkinGeometryGetSkin(geometry), nullptr);
  RpSkinGeometrySetSkin(geometry, first);
  // A new skin replaces the pointer without freeing the former skin.
  RpSkinGeometrySetSkin(geometry, second);
  EXPECT_EQ(RpSkinGeometryGetSkin(geometry), second);
  EXPECT_EQ(first->numBones, 1u);
  // A skin for another vertex count is refused.
  EXPECT_EQ(RpSkinGeometrySetSkin(geometry, other), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  EXPECT_EQ(RpSkinGeometryGetSkin(geometry), second);
  EXPECT_EQ(RpSkinGetNumBones(second), 1u);
  EXPECT_EQ(RpSkinGetInverseBoneMatrices(second), second->inverseBoneMatrices);
  RpGeometryDestroy(geometry);
  RpSkinDestroy(first);
  RpSkinDestroy(other);
}

TEST_F(SkinTest, AtomicsCarryTheirHierarchyThroughClones) {
  RpAtomic* atomic = RpAtomicCreate();
  EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(atomic), nullptr);
  RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(2, nullptr, nullptr, 0, sizeof(RpHAnimStdKeyFrame));
  EXPECT_EQ(RpSkinAtomicSetHAnimHierarchy(atomic, hierarchy), atomic);
  RpAtomic* clone = RpAtomicClone(atomic);
  EXPECT_EQ(RpSkinAtomicGetHAnimHierarchy(clone), hierarchy);
  RpAtomicDestroy(clone);
  RpAtomicDestroy(atomic);
  RpHAnimHierarchyDestroy(hierarchy);
}

}  // namespace
