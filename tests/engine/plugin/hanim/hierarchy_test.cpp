// Hierarchies on skeletons built in code: tree shapes from push and pop
// markers, a forged animation posing a chain, each update flag, binding nodes
// to frames, and copies.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/anim_engine.h"

namespace {

constexpr RwInt32 kFirstNodeId = 100;
constexpr RwReal kTolerance = 1e-5f;

void ExpectPosition(const RwMatrix& matrix, RwV3d expected) { ExpectVector(matrix.pos, expected, kTolerance); }

void ExpectMatrix(const RwMatrix& actual, const RwMatrix& expected) {
  ExpectVector(actual.right, expected.right, kTolerance);
  ExpectVector(actual.up, expected.up, kTolerance);
  ExpectVector(actual.at, expected.at, kTolerance);
  ExpectVector(actual.pos, expected.pos, kTolerance);
}

// The transform of a rotation about an axis followed by a translation.
RwMatrix Transform(RwV3d axis, RwReal degrees, RwV3d translation) {
  RwMatrix matrix;
  RwMatrixRotate(&matrix, &axis, degrees, kRwCombineReplace);
  RwMatrixTranslate(&matrix, &translation, kRwCombinePostConcat);
  return matrix;
}

int DirtyListLength() {
  int length = 0;
  RwLinkList* list = &RwEngineInstance->dirtyFrameList;
  for (RwLLLink* link = list->link.next; link != &list->link; link = link->next) {
    length++;
  }
  return length;
}

class HierarchyTest : public AnimEngineTest {
 protected:
  void TearDown() override {
    for (RpHAnimHierarchy* hierarchy : loose_) {
      RpHAnimHierarchyDestroy(hierarchy);
    }
    if (world_ != nullptr) {
      RwFrameDestroyHierarchy(world_);
    }
    AnimEngineTest::TearDown();
  }

  // One frame a node with ids from 100, all below a world frame placed at
  // (0, 0, 10); frame parents[i] is node i's frame parent (-1: the world
  // frame). The hierarchy sits on frame 0, bound and ready for keys.
  RpHAnimHierarchy* Build(const std::vector<int>& parents, const std::vector<RwUInt32>& nodeFlags, RwUInt32 flags) {
    world_ = RwFrameCreate();
    const RwV3d up = {0, 0, 10};
    RwFrameTranslate(world_, &up, kRwCombineReplace);
    std::vector<RwInt32> ids;
    for (size_t i = 0; i < parents.size(); i++) {
      RwFrame* frame = RwFrameCreate();
      RpHAnimFrameSetID(frame, kFirstNodeId + static_cast<RwInt32>(i));
      RwFrameAddChild(parents[i] < 0 ? world_ : frames_[parents[i]], frame);
      frames_.push_back(frame);
      ids.push_back(kFirstNodeId + static_cast<RwInt32>(i));
    }
    RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(static_cast<RwInt32>(parents.size()), nodeFlags.data(),
                                                         ids.data(), flags, sizeof(RpHAnimStdKeyFrame));
    RpHAnimFrameSetHierarchy(frames_[0], hierarchy);
    RpHAnimHierarchyAttach(hierarchy);
    EXPECT_TRUE(RtAnimInterpolatorSetKeyFrameCallBacks(hierarchy->currentAnim, kRpHAnimStdKeyFrameTypeId));
    return hierarchy;
  }

  static void SetKey(RpHAnimHierarchy* hierarchy, RwInt32 node, RtQuat q, RwV3d t) {
    RpHAnimInterpFrame* slot =
        reinterpret_cast<RpHAnimInterpFrame*>(RtAnimInterpolatorGetSlot(hierarchy->currentAnim, node));
    slot->q = q;
    slot->t = t;
  }

  static void SetTranslations(RpHAnimHierarchy* hierarchy, const std::vector<RwV3d>& translations) {
    for (size_t i = 0; i < translations.size(); i++) {
      SetKey(hierarchy, static_cast<RwInt32>(i), kNoRotation, translations[i]);
    }
  }

  RwFrame* world_ = nullptr;
  std::vector<RwFrame*> frames_;
  std::vector<RpHAnimHierarchy*> loose_;
};

struct Shape {
  const char* name;
  std::vector<RwUInt32> nodeFlags;
  std::vector<RwV3d> translations;
  std::vector<RwV3d> positions;  // relative to the world frame
};

// Trees in node order, a node's flags deciding the next node's parent:
// root{A{A1, A2}, B} then C after a pop on an empty stack; and
// root{X{Y{Z}, V}, W}, whose pops unwind two levels.
const Shape kShapes[] = {
    {"siblings and an empty pop",
     {0, kRpHAnimPush, kRpHAnimPush | kRpHAnimPop, kRpHAnimPop, kRpHAnimPop, 0},
     {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 2}, {0, 3, 0}, {0, 0, 7}},
     {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {1, 3, 0}, {0, 0, 7}}},
    {"a run of pops",
     {0, kRpHAnimPush, kRpHAnimPush, kRpHAnimPop, kRpHAnimPop, kRpHAnimPop},
     {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}, {0, 2, 0}, {0, 0, 5}},
     {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 2, 2}, {1, 3, 0}, {1, 0, 5}}},
};

TEST_F(HierarchyTest, PushAndPopMarkersShapeTheTreeWithEitherStack) {
  for (const Shape& shape : kShapes) {
    for (RwUInt32 flags : {kRpHAnimLocalSpace, kRpHAnimNoMatrices | kRpHAnimUpdateLTMs}) {
      SCOPED_TRACE(::testing::Message() << shape.name << ", flags " << flags);
      // Frames need only lie below the root frame to be bound.
      std::vector<int> flat(shape.nodeFlags.size(), 0);
      flat[0] = -1;
      RpHAnimHierarchy* hierarchy = Build(flat, shape.nodeFlags, flags);
      SetTranslations(hierarchy, shape.translations);
      ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
      for (size_t i = 0; i < shape.positions.size(); i++) {
        SCOPED_TRACE(::testing::Message() << "node " << i);
        if (hierarchy->pMatrixArray != nullptr) {
          ExpectPosition(hierarchy->pMatrixArray[i], shape.positions[i]);
        } else {
          const RwV3d world = {shape.positions[i].x, shape.positions[i].y, shape.positions[i].z + 10};
          ExpectPosition(frames_[i]->ltm, world);
        }
      }
      RwFrameDestroyHierarchy(world_);
      world_ = nullptr;
      frames_.clear();
    }
  }
}

TEST_F(HierarchyTest, ForgedAnimationPosesAChainOfFrames) {
  ForgeAnimation chain;
  chain.duration = 2.0f;
  chain.nodes = {
      {MakeKey(0.0f, kNoRotation, {0, 0, 0}), MakeKey(2.0f, AxisAngle(kAxisZ, 180), {4, 0, 0})},
      {MakeKey(0.0f, kNoRotation, {1, 0, 0}), MakeKey(2.0f, AxisAngle(kAxisX, 90), {1, 0, 0})},
      {MakeKey(0.0f, kNoRotation, {0, 1, 0}), MakeKey(2.0f, AxisAngle(kAxisY, 60), {0, 3, 0})},
  };
  RtAnimAnimation* animation = ForgeAnimationCreate(chain);
  ASSERT_NE(animation, nullptr);
  RpHAnimHierarchy* hierarchy = Build({-1, 0, 1}, {0, 0, kRpHAnimPop}, kRpHAnimUpdateLTMs);
  ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation));

  for (RwReal time : {0.5f, 1.5f}) {
    SCOPED_TRACE(::testing::Message() << "time " << time);
    RtAnimInterpolatorSetCurrentTime(hierarchy->currentAnim, time);
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
    const RwReal f = time / 2.0f;
    const RwMatrix local[] = {Transform(kAxisZ, 180 * f, {4 * f, 0, 0}), Transform(kAxisX, 90 * f, {1, 0, 0}),
                              Transform(kAxisY, 60 * f, {0, 1 + 2 * f, 0})};
    RwMatrix parent = Transform(kAxisZ, 0, {0, 0, 10});
    for (int node = 0; node < 3; node++) {
      SCOPED_TRACE(::testing::Message() << "node " << node);
      RwMatrix expected;
      RwMatrixMultiply(&expected, &local[node], &parent);
      ExpectMatrix(hierarchy->pMatrixArray[node], expected);
      ExpectMatrix(frames_[node]->ltm, expected);
      parent = expected;
    }
  }
  RtAnimAnimationDestroy(animation);
}

TEST_F(HierarchyTest, FlagsChooseWhatTheUpdateWrites) {
  RpHAnimHierarchy* hierarchy = Build({-1, 0, 1}, {0, 0, kRpHAnimPop}, kRpHAnimUpdateModelling);
  SetKey(hierarchy, 0, AxisAngle(kAxisZ, 90), {1, 0, 0});
  SetKey(hierarchy, 1, kNoRotation, {2, 0, 0});
  SetKey(hierarchy, 2, kNoRotation, {0, 0, 3});
  const RwV3d node1World = {1, 2, 10};
  RwFrameSyncDirty();

  {
    SCOPED_TRACE("modelling matrices");
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
    ExpectPosition(frames_[1]->modelling, {2, 0, 0});
    EXPECT_TRUE(RwFrameIsDirty(frames_[1]));
    ExpectMatrix(*RwFrameGetLTM(frames_[2]), hierarchy->pMatrixArray[2]);
    ExpectPosition(hierarchy->pMatrixArray[1], node1World);
  }
  {
    SCOPED_TRACE("LTMs");
    RwFrameSyncDirty();
    hierarchy->flags = kRpHAnimUpdateLTMs;
    SetKey(hierarchy, 2, kNoRotation, {0, 0, 4});
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
    ExpectPosition(frames_[2]->ltm, {1, 2, 14});
    EXPECT_EQ(frames_[2]->object.privateFlags & kRwFrameSubtreeDirty, kRwFrameSubtreeObjectsDirty);
    // The root waits for its objects only, listed once however often it is updated.
    EXPECT_EQ(world_->object.privateFlags & kRwFrameHierarchyDirty, kRwFrameHierarchyObjectsDirty);
    EXPECT_EQ(DirtyListLength(), 1);
    RwFrameMarkDirty(world_);
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
    EXPECT_EQ(DirtyListLength(), 1);
  }
  {
    SCOPED_TRACE("matrices relative to the root frame's parent");
    hierarchy->flags = kRpHAnimLocalSpace | kRpHAnimUpdateLTMs;
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(hierarchy));
    ExpectPosition(hierarchy->pMatrixArray[1], {1, 2, 0});
    ExpectPosition(frames_[1]->ltm, node1World);
  }
  {
    SCOPED_TRACE("sub-hierarchy");
    RpHAnimHierarchy* sub = RpHAnimHierarchyCreate(1, nullptr, nullptr, 0, sizeof(RpHAnimStdKeyFrame));
    loose_.push_back(sub);
    ASSERT_TRUE(RtAnimInterpolatorSetKeyFrameCallBacks(sub->currentAnim, kRpHAnimStdKeyFrameTypeId));
    SetKey(sub, 0, kNoRotation, {0, 5, 0});
    sub->flags = kRpHAnimSubHierarchy;
    sub->parentHierarchy = hierarchy;
    sub->rootParentOffset = 1;
    ASSERT_TRUE(RpHAnimHierarchyUpdateMatrices(sub));
    ExpectPosition(sub->pMatrixArray[0], {-4, 2, 0});  // (0, 5, 0) turned 90 degrees about z, from node 1
    // It owns the arrays it was made with.
    sub->flags = 0;
    sub->parentHierarchy = sub;
  }
}

TEST_F(HierarchyTest, AttachBindsNodesToFramesBelowTheRootByNodeId) {
  RpHAnimHierarchy* hierarchy = Build({-1, 0, 0, -1}, {0, 0, 0, 0}, 0);
  // Frames 1 and 2 share an id: the later in a walk of the root's sub-tree
  // (frame 1, since children are added at the head) wins. Frame 3 lies
  // outside the sub-tree.
  RpHAnimFrameSetID(frames_[2], kFirstNodeId + 1);
  hierarchy->pNodeInfo[2].pFrame = nullptr;
  RwFrameSyncDirty();
  RpHAnimHierarchyAttach(hierarchy);
  EXPECT_EQ(hierarchy->pNodeInfo[0].pFrame, frames_[0]);
  EXPECT_EQ(hierarchy->pNodeInfo[1].pFrame, frames_[1]);
  EXPECT_EQ(hierarchy->pNodeInfo[2].pFrame, nullptr);
  EXPECT_EQ(hierarchy->pNodeInfo[3].pFrame, nullptr);
  EXPECT_TRUE(RwFrameIsDirty(frames_[0]));
  EXPECT_EQ(RpHAnimFrameGetHierarchy(frames_[0]), hierarchy);
  EXPECT_EQ(RpHAnimFrameGetHierarchy(frames_[1]), nullptr);
}

TEST_F(HierarchyTest, CopiesShareTheSkeletonAndDestroyLeavesTheFrame) {
  RpHAnimHierarchy* hierarchy = Build({-1, 0}, {kRpHAnimPush, kRpHAnimPop}, kRpHAnimUpdateModelling);
  RpHAnimHierarchy* copy = RpHAnimHierarchyCreateFromHierarchy(hierarchy, kRpHAnimLocalSpace, 64);
  ASSERT_NE(copy, nullptr);
  loose_.push_back(copy);
  EXPECT_EQ(copy->flags, kRpHAnimLocalSpace);
  EXPECT_EQ(copy->currentAnim->maxKeyFrameSize, 64);
  EXPECT_EQ(copy->parentFrame, nullptr);
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(copy->pNodeInfo[i].nodeID, hierarchy->pNodeInfo[i].nodeID);
    EXPECT_EQ(copy->pNodeInfo[i].nodeIndex, i);
    EXPECT_EQ(copy->pNodeInfo[i].flags, hierarchy->pNodeInfo[i].flags);
    EXPECT_EQ(copy->pNodeInfo[i].pFrame, nullptr);
  }
  EXPECT_EQ(RpHAnimHierarchyDestroy(hierarchy), nullptr);
  EXPECT_EQ(RpHAnimFrameGetHierarchy(frames_[0]), nullptr);
  EXPECT_EQ(RpHAnimFrameGetID(frames_[0]), kFirstNodeId);

  EXPECT_EQ(RpHAnimHierarchyCreate(0, nullptr, nullptr, 0, sizeof(RpHAnimStdKeyFrame)), nullptr);
  TakeError();
}

}  // namespace
