// The skinned tube: its skin's weights, and the written clump read back and
// posed by the forged bend, with the rings at the bones' middles following
// their bones rigidly.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/skin_engine.h"

namespace {

using SkinnedTubeWriterTest = SkinEngineTest;

TEST_F(SkinnedTubeWriterTest, RingsAreWeightedBetweenBoneMiddles) {
  ForgeTube tube;
  RpGeometry* geometry = ForgeTubeGeometryCreate(tube);
  ASSERT_NE(geometry, nullptr);
  EXPECT_EQ(geometry->numVertices, tube.rings * tube.sides);
  const RpSkin* skin = RpSkinGeometryGetSkin(geometry);
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->numBones, 4u);
  EXPECT_EQ(skin->maxWeights, 2u);
  EXPECT_EQ(skin->numUsedBones, 4u);
  // Ring 4 (y = 1) lies halfway between the middles of bones 0 and 1; ring 2
  // (y = 0.5) at bone 0's middle; ring 16 past bone 3's.
  const RwInt32 sides = tube.sides;
  EXPECT_EQ(skin->vertexWeights[4 * sides].w[0], 0.5f);
  EXPECT_EQ(skin->vertexBoneIndices[4 * sides] & 0xFFFF, 0x0100u);
  EXPECT_EQ(skin->vertexWeights[2 * sides].w[0], 1.0f);
  EXPECT_EQ(skin->vertexBoneIndices[16 * sides] & 0xFF, 3u);
  EXPECT_EQ(skin->inverseBoneMatrices[2].pos.y, -2.0f);
  RpGeometryDestroy(geometry);
  tube.sides = 2;
  EXPECT_EQ(ForgeTubeGeometryCreate(tube), nullptr);
}

TEST_F(SkinnedTubeWriterTest, ReadBackAndBentRingsFollowTheirBones) {
  const ForgeTube tube;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(WriteToMemory([&](RwStream* s) { return ForgeWriteSkinnedTube(s, tube); }, &bytes));
  RpClump* clump = ReadClumpBytes(bytes);
  ASSERT_NE(clump, nullptr);
  RpHAnimHierarchy* hierarchy = PrepareSkinnedClump(clump);
  ASSERT_NE(hierarchy, nullptr);
  RpAtomic* atomic = FirstAtomic(clump);
  ASSERT_EQ(RpSkinAtomicGetHAnimHierarchy(atomic), hierarchy);
  const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  const RpSkin* skin = RpSkinGeometryGetSkin(geometry);
  ASSERT_NE(skin, nullptr);

  constexpr RwReal kDegrees = 30.0f;
  const RwReal boneLength = tube.length / static_cast<RwReal>(tube.bones);
  RtAnimAnimation* bend = ForgeAnimationCreate(ForgeBendAnimation(tube.bones, boneLength, kDegrees, 2.0f));
  ASSERT_NE(bend, nullptr);
  ASSERT_TRUE(PoseHierarchy(hierarchy, bend, 1.5f));
  RwEngineInstance->renderFrame++;
  const RpSkinBlendMatrix* palette = _rpSkinPrepareMatrices(atomic, skin, hierarchy);
  ASSERT_NE(palette, nullptr);
  std::vector<RwV3d> blended(static_cast<size_t>(geometry->numVertices));
  const RpSkinBlendRun run = {0, static_cast<RwUInt32>(geometry->numVertices), nullptr, blended.data(), sizeof(RwV3d)};
  _rpSkinBlendVertices(skin, palette, geometry->morphTarget[0].verts, nullptr, &run);

  // The bent chain's pose is the bind pose of a chain whose joints turn.
  ForgeSkeleton bent = ForgeTubeSkeleton(tube);
  const double half = kDegrees * M_PI / 360.0;
  for (size_t i = 1; i < bent.bones.size(); i++) {
    bent.bones[i].rotation = {{0.0f, 0.0f, static_cast<RwReal>(std::sin(half))}, static_cast<RwReal>(std::cos(half))};
  }
  const std::vector<RwMatrix> pose = ForgeSkeletonBindPose(bent);
  for (RwInt32 bone = 0; bone < tube.bones; bone++) {
    SCOPED_TRACE(bone);
    const RwInt32 ring = (2 * bone + 1) * (tube.rings - 1) / (2 * tube.bones);  // at the bone's middle
    for (RwInt32 side = 0; side < tube.sides; side += 5) {
      const RwInt32 v = ring * tube.sides + side;
      const RwV3d rest = geometry->morphTarget[0].verts[v];
      const RwV3d local = {rest.x, rest.y - boneLength * static_cast<RwReal>(bone), rest.z};
      RwV3d expected;
      RwV3dTransformPoints(&expected, &local, 1, &pose[static_cast<size_t>(bone)]);
      ExpectVector(blended[static_cast<size_t>(v)], expected, 1e-4f);
    }
  }
  RtAnimAnimationDestroy(bend);
  RpClumpDestroy(clump);
}

}  // namespace
