// The skeleton writer: which bone lists form hierarchies, the node flags of
// a branching skeleton checked by posing it in its bind pose, and skeletons
// read back from the clump chunk with their ids and hierarchy.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/chunk_bytes.h"
#include "tests/support/skin_engine.h"

namespace {

using SkeletonWriterTest = SkinEngineTest;

// root -> a -> b; root -> c -> d, e.
ForgeSkeleton Branching() {
  ForgeSkeleton skeleton;
  const RtQuat turn = {{0.0f, 0.0f, 0.38268343f}, 0.92387953f};  // 45 degrees about z
  const RtQuat none = {{0.0f, 0.0f, 0.0f}, 1.0f};
  skeleton.bones = {{10, -1, {0.0f, 1.0f, 0.0f}, none}, {11, 0, {1.0f, 0.0f, 0.0f}, turn},
                    {12, 1, {0.0f, 2.0f, 0.0f}, none},  {13, 0, {-1.0f, 0.0f, 0.0f}, none},
                    {14, 3, {0.0f, 0.0f, 3.0f}, turn},  {15, 3, {0.0f, -1.0f, 0.0f}, none}};
  return skeleton;
}

TEST_F(SkeletonWriterTest, ValidSkeletonsAreDepthFirstWithOneRoot) {
  EXPECT_TRUE(ForgeSkeletonValid(Branching()));
  EXPECT_TRUE(ForgeSkeletonValid(ForgeBoneChain(3, 1.0f)));
  struct Case {
    const char* name;
    std::vector<RwInt32> parents;
  };
  for (const Case& c : {Case{"no bones", {}}, Case{"root not first", {0, -1}}, Case{"two roots", {-1, 0, -1}},
                        Case{"parent after child", {-1, 2, 0}}, Case{"subtree split", {-1, 0, 1, 0, 1}}}) {
    SCOPED_TRACE(c.name);
    ForgeSkeleton skeleton;
    for (RwInt32 parent : c.parents) {
      skeleton.bones.push_back({1, parent, {0.0f, 0.0f, 0.0f}, {{0.0f, 0.0f, 0.0f}, 1.0f}});
    }
    EXPECT_FALSE(ForgeSkeletonValid(skeleton));
    EXPECT_EQ(ForgeSkeletonCreate(skeleton), nullptr);
  }
}

TEST_F(SkeletonWriterTest, NodeFlagsPoseTheBindPose) {
  const ForgeSkeleton skeleton = Branching();
  EXPECT_EQ(ForgeSkeletonNodeFlags(skeleton),
            (std::vector<RwUInt32>{0, kRpHAnimPush, kRpHAnimPop, 0, kRpHAnimPush | kRpHAnimPop, kRpHAnimPop}));
  RwFrame* root = ForgeSkeletonCreate(skeleton);
  ASSERT_NE(root, nullptr);
  RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(root);
  ASSERT_NE(hierarchy, nullptr);
  // An animation holding every bone's own placement poses the bind pose.
  ForgeAnimation hold;
  hold.duration = 1.0f;
  for (const ForgeBone& bone : skeleton.bones) {
    hold.nodes.push_back({{0.0f, bone.rotation, bone.translation}, {1.0f, bone.rotation, bone.translation}});
  }
  RtAnimAnimation* animation = ForgeAnimationCreate(hold);
  ASSERT_NE(animation, nullptr);
  ASSERT_TRUE(PoseHierarchy(hierarchy, animation, 0.5f));
  const std::vector<RwMatrix> bind = ForgeSkeletonBindPose(skeleton);
  for (size_t i = 0; i < bind.size(); i++) {
    SCOPED_TRACE(i);
    ExpectVector(hierarchy->pMatrixArray[i].pos, bind[i].pos, 1e-5f);
    ExpectVector(hierarchy->pMatrixArray[i].right, bind[i].right, 1e-5f);
  }
  RtAnimAnimationDestroy(animation);
  RwFrameDestroyHierarchy(root);
}

TEST_F(SkeletonWriterTest, WrittenSkeletonReadsBackWithIdsAndHierarchy) {
  const ForgeSkeleton skeleton = Branching();
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(WriteToMemory([&](RwStream* s) { return ForgeWriteSkeleton(s, skeleton); }, &bytes));
  RpClump* clump = ReadClumpBytes(bytes);
  ASSERT_NE(clump, nullptr);
  RwFrame* root = RpClumpGetFrame(clump);
  EXPECT_EQ(RpHAnimFrameGetID(root), 10);
  EXPECT_EQ(RwFrameCount(root), 6);
  RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(root);
  ASSERT_NE(hierarchy, nullptr);
  ASSERT_EQ(hierarchy->numNodes, 6);
  const std::vector<RwUInt32> flags = ForgeSkeletonNodeFlags(skeleton);
  for (RwInt32 i = 0; i < 6; i++) {
    EXPECT_EQ(hierarchy->pNodeInfo[i].nodeID, 10 + i);
    EXPECT_EQ(hierarchy->pNodeInfo[i].flags, flags[static_cast<size_t>(i)]);
  }
  ASSERT_NE(RpHAnimHierarchyAttach(hierarchy), nullptr);
  EXPECT_EQ(RpHAnimFrameGetID(hierarchy->pNodeInfo[4].pFrame), 14);
  RpClumpDestroy(clump);
}

}  // namespace
