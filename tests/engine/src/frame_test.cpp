// Frames: parenting, lazy LTM and object synchronisation, destruction,
// cloning and the frame list chunk.
#include "engine/src/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"
#include "tests/support/frame_list_bytes.h"
#include "tests/support/started_engine.h"

namespace {

// An object hung on a frame that counts its sync callbacks.
struct CountingObject {
  RwObjectHasFrame base;
  int syncs = 0;
};

RwObjectHasFrame* CountSync(RwObjectHasFrame* object) {
  reinterpret_cast<CountingObject*>(object)->syncs++;
  return object;
}

void Attach(CountingObject* object, RwFrame* frame) {
  object->base = {};
  object->base.sync = CountSync;
  RwObjectHasFrameSetFrame(&object->base, frame);
}

int DirtyListLength() {
  int n = 0;
  RwLinkList* list = &RwEngineInstance->dirtyFrameList;
  for (RwLLLink* l = rwLinkListGetFirstLLLink(list); l != rwLinkListGetTerminator(list); l = l->next) {
    ++n;
  }
  return n;
}

std::vector<RwFrame*> Children(RwFrame* frame) {
  std::vector<RwFrame*> children;
  for (RwFrame* c = frame->child; c != nullptr; c = c->next) {
    children.push_back(c);
  }
  return children;
}

void ExpectV3d(const RwV3d& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

class FrameTest : public StartedEngineTest {};

TEST_F(FrameTest, CreateGivesACleanIdentityRoot) {
  RwFrame* frame = RwFrameCreate();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->root, frame);
  EXPECT_EQ(RwFrameGetParent(frame), nullptr);
  EXPECT_EQ(frame->modelling.flags, 0x20003u);
  EXPECT_EQ(frame->ltm.flags, 0x20003u);
  EXPECT_FALSE(RwFrameIsDirty(frame));
  EXPECT_EQ(RwFrameCount(frame), 1);
  RwFrameDestroy(frame);
}

TEST_F(FrameTest, AddChildLinksAtTheFrontAndOnlyOnce) {
  RwFrame* root = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrame* grandchild = RwFrameCreate();
  ASSERT_EQ(RwFrameAddChild(a, grandchild), a);
  ASSERT_EQ(RwFrameAddChild(root, a), root);
  ASSERT_EQ(RwFrameAddChild(root, b), root);
  EXPECT_EQ(Children(root), (std::vector<RwFrame*>{b, a}));
  EXPECT_EQ(grandchild->root, root);
  ASSERT_EQ(RwFrameAddChild(root, a), root);
  EXPECT_EQ(Children(root), (std::vector<RwFrame*>{a, b}));
  EXPECT_EQ(RwFrameCount(root), 4);
  // Only the hierarchy's root waits on the dirty list.
  EXPECT_EQ(DirtyListLength(), 1);
  EXPECT_TRUE(RwFrameIsDirty(grandchild));
  // A frame cannot become the child of its own descendant.
  EXPECT_EQ(RwFrameAddChild(grandchild, root), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  EXPECT_EQ(RwFrameGetParent(root), nullptr);
  RwFrameDestroyHierarchy(root);
  EXPECT_EQ(DirtyListLength(), 0);
}

TEST_F(FrameTest, ForAllChildrenAndObjectsStopWhenTheCallbackSaysSo) {
  RwFrame* root = RwFrameCreate();
  for (int i = 0; i < 3; ++i) {
    RwFrameAddChild(root, RwFrameCreate());
  }
  CountingObject objects[3];
  for (CountingObject& object : objects) {
    Attach(&object, root);
  }
  std::vector<RwFrame*> seen;
  RwFrameForAllChildren(
      root,
      [](RwFrame* child, void* data) -> RwFrame* {
        auto* list = static_cast<std::vector<RwFrame*>*>(data);
        list->push_back(child);
        return list->size() < 2 ? child : nullptr;
      },
      &seen);
  EXPECT_EQ(seen, (std::vector<RwFrame*>{root->child, root->child->next}));
  int visited = 0;
  RwFrameForAllObjects(
      root,
      [](RwObject* object, void* data) -> RwObject* {
        ++*static_cast<int*>(data);
        return object;
      },
      &visited);
  EXPECT_EQ(visited, 3);
  // The newest object comes first.
  EXPECT_EQ(rwLinkListGetFirstLLLink(&root->objectList), &objects[2].base.lFrame);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FrameTest, LTMUpdatesAtOnceWhileObjectsWaitForTheSync) {
  RwFrame* root = RwFrameCreate();
  RwFrame* child = RwFrameCreate();
  RwFrameAddChild(root, child);
  CountingObject onRoot;
  CountingObject onChild;
  Attach(&onRoot, root);
  Attach(&onChild, child);
  RwFrameSyncDirty();
  EXPECT_EQ(onRoot.syncs, 1);
  EXPECT_EQ(onChild.syncs, 1);
  EXPECT_FALSE(RwFrameIsDirty(child));

  const RwV3d zAxis = {0, 0, 1};
  const RwV3d rootPos = {10, 0, 0};
  const RwV3d childPos = {0, 2, 0};
  RwFrameRotate(root, &zAxis, 90.0f, kRwCombineReplace);
  RwFrameTranslate(root, &rootPos, kRwCombinePostConcat);
  RwFrameTranslate(child, &childPos, kRwCombineReplace);
  EXPECT_TRUE(RwFrameIsDirty(child));
  const RwMatrix* ltm = RwFrameGetLTM(child);
  ExpectV3d(ltm->pos, 10 - 2, 0, 0);  // (0, 2, 0) turned by 90 degrees, then moved
  ExpectV3d(ltm->right, 0, 1, 0);
  EXPECT_EQ(onChild.syncs, 1);
  EXPECT_TRUE(RwFrameIsDirty(child));  // still waiting for the objects

  RwFrameSyncDirty();
  EXPECT_EQ(onRoot.syncs, 2);
  EXPECT_EQ(onChild.syncs, 2);
  EXPECT_FALSE(RwFrameIsDirty(root));
  EXPECT_EQ(DirtyListLength(), 0);
  RwFrameSyncDirty();
  EXPECT_EQ(onChild.syncs, 2);

  // A change below recomputes the changed frame only, but syncs everything.
  RwFrameTranslate(child, &childPos, kRwCombinePostConcat);
  RwFrameSyncDirty();
  ExpectV3d(child->ltm.pos, 10 - 4, 0, 0);
  ExpectV3d(root->ltm.pos, 10, 0, 0);
  EXPECT_EQ(onRoot.syncs, 3);
  EXPECT_EQ(onChild.syncs, 3);

  RwObjectHasFrameSetFrame(&onChild.base, nullptr);
  RwObjectHasFrameReleaseFrame(&onRoot.base);
  RwFrameMarkDirty(root);
  RwFrameSyncDirty();
  EXPECT_EQ(onRoot.syncs, 3);
  EXPECT_EQ(onChild.syncs, 3);
  RwFrameDestroyHierarchy(root);
}

// Moves its own frame along x the first time it is synchronised.
struct MovingObject {
  RwObjectHasFrame base;
  int syncs = 0;
};

RwObjectHasFrame* MoveOnFirstSync(RwObjectHasFrame* object) {
  if (reinterpret_cast<MovingObject*>(object)->syncs++ == 0) {
    const RwV3d step = {1, 0, 0};
    RwFrameTranslate(static_cast<RwFrame*>(object->object.parent), &step, kRwCombinePostConcat);
  }
  return object;
}

TEST_F(FrameTest, FrameMovedBySyncCallbackWaitsForTheNextPass) {
  RwFrame* root = RwFrameCreate();
  RwFrame* child = RwFrameCreate();
  RwFrameAddChild(root, child);
  struct Case {
    RwFrame* moved;
    bool ltmFirst;  // the LTMs are brought up to date before the pass, which then only syncs objects
    RwReal childX;  // of the child's LTM once the move is in
  };
  for (const Case& c : {Case{root, false, 1}, Case{child, false, 2}, Case{root, true, 3}, Case{child, true, 4}}) {
    RwFrame* moved = c.moved;
    SCOPED_TRACE(testing::Message() << (moved == root ? "root" : "child") << (c.ltmFirst ? ", LTM first" : ""));
    MovingObject object;
    object.base = {};
    object.base.sync = MoveOnFirstSync;
    RwObjectHasFrameSetFrame(&object.base, moved);
    if (c.ltmFirst) {
      RwFrameGetLTM(child);
    }
    RwFrameSyncDirty();
    EXPECT_EQ(object.syncs, 1);
    EXPECT_TRUE(RwFrameIsDirty(moved));
    EXPECT_EQ(DirtyListLength(), 1);
    // The LTM follows the move at once, and the next pass syncs the object.
    EXPECT_FLOAT_EQ(RwFrameGetLTM(child)->pos.x, c.childX);
    RwFrameSyncDirty();
    EXPECT_EQ(object.syncs, 2);
    EXPECT_FALSE(RwFrameIsDirty(moved));
    RwObjectHasFrameSetFrame(&object.base, nullptr);
  }
  RwFrameDestroyHierarchy(root);
}

// Records the x of another frame's LTM whenever it is synchronised.
struct WatchingObject {
  RwObjectHasFrame base;
  RwFrame* watched = nullptr;
  RwReal seenX = -1;
};

RwObjectHasFrame* WatchOtherFrame(RwObjectHasFrame* object) {
  WatchingObject* watcher = reinterpret_cast<WatchingObject*>(object);
  watcher->seenX = RwFrameGetLTM(watcher->watched)->pos.x;
  return object;
}

TEST_F(FrameTest, SyncCallbackSeesCurrentLTMsOfFramesNotYetSynchronised) {
  RwFrame* root = RwFrameCreate();
  RwFrame* later = RwFrameCreate();
  RwFrame* first = RwFrameCreate();
  RwFrameAddChild(root, later);
  RwFrameAddChild(root, first);  // first child: synchronised before `later`
  WatchingObject watcher;
  watcher.base = {};
  watcher.base.sync = WatchOtherFrame;
  watcher.watched = later;
  RwObjectHasFrameSetFrame(&watcher.base, first);
  const RwV3d step = {5, 0, 0};
  RwFrameTranslate(later, &step, kRwCombineReplace);
  RwFrameSyncDirty();
  EXPECT_FLOAT_EQ(watcher.seenX, 5);
  EXPECT_FLOAT_EQ(later->ltm.pos.x, 5);
  EXPECT_FALSE(RwFrameIsDirty(root));
  EXPECT_EQ(DirtyListLength(), 0);
  RwObjectHasFrameSetFrame(&watcher.base, nullptr);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FrameTest, RemovedChildBecomesItsOwnRoot) {
  RwFrame* root = RwFrameCreate();
  RwFrame* child = RwFrameCreate();
  RwFrame* below = RwFrameCreate();
  RwFrameAddChild(root, child);
  RwFrameAddChild(child, below);
  const RwV3d offset = {5, 0, 0};
  RwFrameTranslate(root, &offset, kRwCombineReplace);
  RwFrameTranslate(below, &offset, kRwCombineReplace);
  RwFrameSyncDirty();
  ExpectV3d(below->ltm.pos, 10, 0, 0);

  EXPECT_EQ(RwFrameRemoveChild(child), child);
  EXPECT_EQ(child->root, child);
  EXPECT_EQ(below->root, child);
  EXPECT_EQ(root->child, nullptr);
  EXPECT_TRUE(RwFrameIsDirty(child));
  RwFrameSyncDirty();
  ExpectV3d(below->ltm.pos, 5, 0, 0);
  RwFrameDestroy(root);
  RwFrameDestroyHierarchy(child);
}

TEST_F(FrameTest, DestroyLeavesChildrenAndObjectsSound) {
  RwFrame* parent = RwFrameCreate();
  RwFrame* frame = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrameAddChild(parent, frame);
  RwFrameAddChild(frame, a);
  RwFrameAddChild(frame, b);
  CountingObject object;
  Attach(&object, frame);
  RwFrameSyncDirty();

  RwFrameDestroy(frame);
  EXPECT_EQ(parent->child, nullptr);
  EXPECT_EQ(object.base.object.parent, nullptr);
  for (RwFrame* f : {a, b}) {
    EXPECT_EQ(RwFrameGetParent(f), nullptr);
    EXPECT_EQ(f->root, f);
    EXPECT_EQ(f->next, nullptr);
    EXPECT_TRUE(RwFrameIsDirty(f));
  }
  RwFrameSyncDirty();
  RwObjectHasFrameSetFrame(&object.base, a);  // no longer linked to the freed frame
  RwFrameDestroy(a);
  RwFrameDestroy(b);

  // Destroying a sub-tree unlinks it from its parent.
  RwFrame* sub = RwFrameCreate();
  RwFrameAddChild(parent, sub);
  RwFrameAddChild(sub, RwFrameCreate());
  RwFrameDestroyHierarchy(sub);
  EXPECT_EQ(parent->child, nullptr);
  RwFrameDestroyHierarchy(parent);
  EXPECT_TRUE(RwFrameDestroyHierarchy(nullptr));
  EXPECT_EQ(DirtyListLength(), 0);
}

TEST_F(FrameTest, CloneReversesChildrenAndCopiesMatrices) {
  RwFrame* root = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrame* a1 = RwFrameCreate();
  RwFrameAddChild(root, b);
  RwFrameAddChild(root, a);  // children in order a, b
  RwFrameAddChild(a, a1);
  const RwV3d pa = {1, 0, 0}, pb = {0, 1, 0}, pa1 = {0, 0, 1};
  RwFrameTranslate(a, &pa, kRwCombineReplace);
  RwFrameTranslate(b, &pb, kRwCombineReplace);
  RwFrameTranslate(a1, &pa1, kRwCombineReplace);
  RwFrameSyncDirty();
  CountingObject object;
  Attach(&object, a);

  RwFrame* copy = RwFrameCloneHierarchy(root);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(RwFrameCount(copy), 4);
  std::vector<RwFrame*> children = Children(copy);
  ASSERT_EQ(children.size(), 2u);
  ExpectV3d(children[0]->modelling.pos, 0, 1, 0);  // the copy of b comes first
  ExpectV3d(children[1]->modelling.pos, 1, 0, 0);
  ASSERT_NE(children[1]->child, nullptr);
  RwFrame* copyA1 = children[1]->child;
  EXPECT_EQ(copyA1->root, copy);
  EXPECT_EQ(RwFrameGetParent(copyA1), children[1]);
  EXPECT_TRUE(rwLinkListEmpty(&children[1]->objectList));
  EXPECT_TRUE(RwFrameIsDirty(copy));
  RwFrameSyncDirty();
  ExpectV3d(copyA1->ltm.pos, 1, 0, 1);
  EXPECT_EQ(object.syncs, 1);  // the original's objects are not touched
  RwFrameDestroyHierarchy(copy);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FrameTest, DeepHierarchiesNeverReachTheCallStack) {
  constexpr int kDepth = 100000;
  RwFrame* root = RwFrameCreate();
  RwFrame* last = root;
  const RwV3d step = {0, 0, 1};
  for (int i = 1; i < kDepth; ++i) {
    RwFrame* f = RwFrameCreate();
    ASSERT_NE(f, nullptr);
    RwFrameTranslate(f, &step, kRwCombineReplace);
    RwFrameAddChild(last, f);
    last = f;
  }
  EXPECT_EQ(RwFrameCount(root), kDepth);
  RwFrameSyncDirty();
  EXPECT_FLOAT_EQ(last->ltm.pos.z, static_cast<float>(kDepth - 1));
  RwFrame* copy = RwFrameCloneHierarchy(root);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(RwFrameCount(copy), kDepth);
  RwFrameDestroyHierarchy(copy);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FrameTest, FrameListVisitsSiblingsBeforeChildren) {
  RwFrame* root = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrame* a1 = RwFrameCreate();
  RwFrame* b1 = RwFrameCreate();
  RwFrame* b2 = RwFrameCreate();
  RwFrameAddChild(root, b);
  RwFrameAddChild(root, a);
  RwFrameAddChild(a, a1);
  RwFrameAddChild(b, b2);
  RwFrameAddChild(b, b1);
  RwFrameList list;
  ASSERT_EQ(RwFrameListInitialize(&list, root), &list);
  ASSERT_EQ(list.numFrames, 6);
  EXPECT_EQ(std::vector<RwFrame*>(list.frames, list.frames + 6), (std::vector<RwFrame*>{root, a, b, b1, b2, a1}));
  RwInt32 index = -1;
  EXPECT_TRUE(RwFrameListFindFrame(&list, b2, &index));
  EXPECT_EQ(index, 4);
  RwFrameListDeinitialize(&list);
  // A sub-tree's list leaves out its root's siblings.
  ASSERT_EQ(RwFrameListInitialize(&list, a), &list);
  EXPECT_EQ(list.numFrames, 2);
  RwFrameListDeinitialize(&list);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FrameTest, FrameListChunkRoundTrip) {
  RwFrame* root = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrame* a1 = RwFrameCreate();
  RwFrameAddChild(root, b);
  RwFrameAddChild(root, a);
  RwFrameAddChild(a, a1);
  const RwV3d axis = {1, 1, 0};
  const RwV3d pos = {3, -4, 5};
  const RwV3d scale = {2, 2, 2};
  RwFrameRotate(a, &axis, 45.0f, kRwCombineReplace);
  RwFrameTranslate(a, &pos, kRwCombinePostConcat);
  RwFrameScale(b, &scale, kRwCombineReplace);
  RwFrameTranslate(a1, &pos, kRwCombineReplace);

  const std::vector<uint8_t> bytes = WriteFrameList(root);
  // Header, struct header, count, 4 records and 4 empty extension chunks.
  ASSERT_EQ(bytes.size(), 12u + 12 + 4 + 56 * 4 + 12 * 4);
  EXPECT_EQ(RwReadLittleEndianUInt32(bytes.data() + 4), bytes.size() - 12);

  RwFrameList list;
  ASSERT_EQ(ReadFrameList(bytes, &list), &list);
  ASSERT_EQ(list.numFrames, 4);
  RwFrame* readRoot = list.frames[0];
  EXPECT_EQ(RwFrameGetParent(list.frames[1]), readRoot);
  EXPECT_EQ(RwFrameGetParent(list.frames[2]), readRoot);
  EXPECT_EQ(RwFrameGetParent(list.frames[3]), list.frames[1]);
  EXPECT_EQ(list.frames[3]->root, readRoot);
  ExpectV3d(list.frames[1]->modelling.pos, 3, -4, 5);
  ExpectV3d(list.frames[1]->modelling.up, a->modelling.up.x, a->modelling.up.y, a->modelling.up.z);
  // Flags are derived from the rows: rotations are ortho-normal, scales not,
  // and nothing read counts as the identity.
  EXPECT_EQ(list.frames[0]->modelling.flags, 3u);
  EXPECT_EQ(list.frames[1]->modelling.flags, 3u);
  EXPECT_EQ(list.frames[2]->modelling.flags, 0u);
  RwFrameSyncDirty();
  RwFrameSyncDirty();
  // Every frame comes back with the rows it was written with.
  const RwFrame* originals[4] = {root, a, b, a1};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const RwMatrix& m = originals[i]->modelling;
    const RwMatrix& r = list.frames[i]->modelling;
    EXPECT_TRUE(m.right.x == r.right.x && m.right.y == r.right.y && m.right.z == r.right.z);
    EXPECT_TRUE(m.up.x == r.up.x && m.up.y == r.up.y && m.up.z == r.up.z);
    EXPECT_TRUE(m.at.x == r.at.x && m.at.y == r.at.y && m.at.z == r.at.z);
    EXPECT_TRUE(m.pos.x == r.pos.x && m.pos.y == r.pos.y && m.pos.z == r.pos.z);
  }
  // Siblings come back in reverse order: each read child goes to the front.
  EXPECT_EQ(Children(readRoot), (std::vector<RwFrame*>{list.frames[2], list.frames[1]}));
  RwFrameListDeinitialize(&list);
  RwFrameDestroyHierarchy(readRoot);
  RwFrameDestroyHierarchy(root);
}

// A frame list chunk built by hand: one record per (parent index, rows).
ChunkBytes HandFrameList(const std::vector<int32_t>& parents, uint32_t structExtra = 0, float rightX = 1) {
  ChunkBytes body;
  body.U32(static_cast<uint32_t>(parents.size()));
  for (int32_t parent : parents) {
    body.Real(rightX).Real(0).Real(0).Real(0).Real(1).Real(0).Real(0).Real(0).Real(1).Real(0).Real(0).Real(0);
    body.S32(parent).U32(3);
  }
  for (uint32_t i = 0; i < structExtra; ++i) {
    body.Bytes({0xEE});
  }
  ChunkBytes bytes;
  bytes.Header(kRwChunkFrameList, static_cast<uint32_t>(12 + body.size() + 12 * parents.size()));
  bytes.Header(kRwChunkStruct, static_cast<uint32_t>(body.size())).Bytes(body.bytes());
  for (size_t i = 0; i < parents.size(); ++i) {
    bytes.Header(3, 0);
  }
  return bytes;
}

TEST_F(FrameTest, FrameListReaderRefusesCorruptLists) {
  RwFrameList list;
  {
    SCOPED_TRACE("a well-formed list with trailing struct bytes");
    ASSERT_EQ(ReadFrameList(HandFrameList({-1, 0, 1}, 5).bytes(), &list), &list);
    EXPECT_EQ(list.numFrames, 3);
    RwFrame* root = list.frames[0];
    RwFrameListDeinitialize(&list);
    RwFrameDestroyHierarchy(root);
  }
  {
    SCOPED_TRACE("a reflection clears all flags");
    ASSERT_EQ(ReadFrameList(HandFrameList({-1}, 0, -1).bytes(), &list), &list);
    EXPECT_EQ(list.frames[0]->modelling.flags, 0u);
    EXPECT_NEAR(RwMatrixDeterminant(&list.frames[0]->modelling), -1.0f, 1e-6f);
    RwFrameDestroy(list.frames[0]);
    RwFrameListDeinitialize(&list);
  }
  for (const std::vector<int32_t>& parents :
       {std::vector<int32_t>{-1, 1}, std::vector<int32_t>{-1, 2, 0}, std::vector<int32_t>{0}, {-1, -2}}) {
    SCOPED_TRACE("a parent index that names no earlier frame");
    EXPECT_EQ(ReadFrameList(HandFrameList(parents).bytes(), &list), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrRead);
  }
  {
    SCOPED_TRACE("a count the struct body cannot hold");
    ChunkBytes bytes;
    bytes.Header(kRwChunkFrameList, 12 + 4 + 56).Header(kRwChunkStruct, 4 + 56).U32(2);
    EXPECT_EQ(ReadFrameList(bytes.bytes(), &list), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrRead);
    ChunkBytes negative;
    negative.Header(kRwChunkFrameList, 16).Header(kRwChunkStruct, 4).S32(-1);
    EXPECT_EQ(ReadFrameList(negative.bytes(), &list), nullptr);
    ChunkBytes noCount;
    noCount.Header(kRwChunkFrameList, 14).Header(kRwChunkStruct, 2).Bytes({0, 0});
    EXPECT_EQ(ReadFrameList(noCount.bytes(), &list), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrRead);
  }
  {
    SCOPED_TRACE("streams cut anywhere fail without leaking frames");
    const ChunkBytes whole = HandFrameList({-1, 0, 0, 2});
    for (size_t cut = 1; cut < whole.size(); cut += 7) {
      ChunkBytes bytes = whole;
      bytes.Truncate(cut);
      EXPECT_EQ(ReadFrameList(bytes.bytes(), &list), nullptr);
      TakeError();
    }
  }
  EXPECT_EQ(DirtyListLength(), 0);
}

// Frame lists longer than one batch of records and one block of the frame
// free list, on counting memory: a frame record not given back keeps its
// block alive.
class FrameBatchReadTest : public StartedEngineTest {
 protected:
  static constexpr int kFrames = 150;

  void SetUp() override {
    CountingMemoryReset();
    StartEngine(nullptr, CountingMemoryFunctions());
    // A first read makes what reads keep: the stream records' block and the
    // index of the frame free list's blocks.
    RwFrameList list;
    EXPECT_EQ(ReadFrameList(HandFrameList(TreeParents()).bytes(), &list), &list);
    RwFrameDestroyHierarchy(list.frames[0]);
    RwFrameListDeinitialize(&list);
    baseline_ = CountingMemoryLiveBlocks();
  }
  // Frame i hangs on frame (i - 1) / 3.
  static std::vector<int32_t> TreeParents() {
    std::vector<int32_t> parents(kFrames);
    for (int i = 0; i < kFrames; ++i) {
      parents[static_cast<size_t>(i)] = i > 0 ? (i - 1) / 3 : -1;
    }
    return parents;
  }
  // Every frame read is gone again and nothing waits on the dirty list.
  void ExpectAllGiven() const {
    EXPECT_EQ(CountingMemoryLiveBlocks(), baseline_);
    EXPECT_EQ(DirtyListLength(), 0);
  }

  int baseline_ = 0;
};

TEST_F(FrameBatchReadTest, FramesReadInBatchesAreDestroyedOneByOneInAnyOrder) {
  const std::vector<int32_t> parents = TreeParents();
  const std::vector<uint8_t> bytes = HandFrameList(parents).bytes();
  for (const char* order : {"children first", "parents first", "shuffled", "whole hierarchy"}) {
    SCOPED_TRACE(order);
    RwFrameList list;
    ASSERT_EQ(ReadFrameList(bytes, &list), &list);
    ASSERT_EQ(list.numFrames, kFrames);
    std::vector<RwFrame*> frames(list.frames, list.frames + kFrames);
    RwFrameListDeinitialize(&list);
    for (size_t i = 1; i < frames.size(); ++i) {
      EXPECT_EQ(RwFrameGetParent(frames[i]), frames[static_cast<size_t>(parents[i])]) << i;
    }
    if (std::string(order) == "whole hierarchy") {
      RwFrameDestroyHierarchy(frames[0]);
    } else {
      if (std::string(order) == "children first") {
        std::reverse(frames.begin(), frames.end());
      } else if (std::string(order) == "shuffled") {
        std::shuffle(frames.begin(), frames.end(), std::mt19937(7));
      }
      for (RwFrame* frame : frames) {
        RwFrameDestroy(frame);
      }
    }
    ExpectAllGiven();
  }
}

TEST_F(FrameBatchReadTest, ReadsFailingInALaterBatchGiveEverythingBack) {
  const std::vector<int32_t> parents = TreeParents();
  const size_t recordsEnd = 12 + 12 + 4 + 56 * static_cast<size_t>(kFrames);
  std::vector<int32_t> badParent = parents;
  badParent[100] = 120;
  ChunkBytes cutExtensions = HandFrameList(parents);
  cutExtensions.Truncate(recordsEnd + 12 * 140 + 5);
  std::vector<uint8_t> oldExtension = HandFrameList(parents).bytes();
  const auto stamp = oldExtension.begin() + static_cast<std::ptrdiff_t>(recordsEnd + 12 * 90 + 8);
  std::fill(stamp, stamp + 4, 0);  // an old stamp: a version this engine does not read
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    RwInt32 error;  // 0: the stream's own error for a short read
  } cases[] = {
      {"a parent named before it is read, in the second batch", HandFrameList(badParent).bytes(), kRwErrRead},
      {"the stream cut among the extension chunks", cutExtensions.bytes(), 0},
      {"an extension chunk of an old version", oldExtension, kRwErrBadChunkVersion},
  };
  RwFrameList list;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadFrameList(c.bytes, &list), nullptr);
    const RwErrorRecord error = TakeError();
    EXPECT_EQ(error.errorCode, c.error != 0 ? c.error : error.errorCode);
    EXPECT_NE(error.errorCode, kRwErrNoError);
    ExpectAllGiven();
  }
  // Each allocation of the read fails in turn, until the read gets through.
  const std::vector<uint8_t> whole = HandFrameList(parents).bytes();
  for (int attempt = 1;; ++attempt) {
    SCOPED_TRACE(attempt);
    ASSERT_LT(attempt, 20);
    CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + attempt;
    RwFrameList* read = ReadFrameList(whole, &list);
    CountingMemoryState().failMallocNumber = 0;
    if (read != nullptr) {
      RwFrameDestroyHierarchy(list.frames[0]);
      RwFrameListDeinitialize(&list);
      ExpectAllGiven();
      break;
    }
    ExpectError(kRwPluginIdNone, kRwErrOutOfMemory);
    ExpectAllGiven();
  }
}

// Frames with a plugin that streams one word per frame.
class FramePluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
    offset_ = RwFrameRegisterPlugin(sizeof(RwInt32), kPluginId, Construct, nullptr, Copy);
    ASSERT_GE(offset_, 0);
    ASSERT_EQ(RwFrameRegisterPluginStream(kPluginId, Read, Write, Size), offset_);
    RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineStart());
    constructsLeft_ = -1;
  }
  void TearDown() override {
    FakeEngineShutdown();
    FakeDriverUninstall();
  }

  static RwInt32& Tag(RwFrame* frame) { return *RwPluginDataGet(RwInt32, frame, offset_); }

  static void* Construct(void* object, RwInt32 offset, RwInt32) {
    if (constructsLeft_ == 0) {
      return nullptr;
    }
    --constructsLeft_;
    *RwPluginDataGet(RwInt32, object, offset) = -1;
    return object;
  }
  static void* Copy(void* destination, const void* source, RwInt32 offset, RwInt32) {
    *RwPluginDataGet(RwInt32, destination, offset) = *RwPluginDataGetConst(RwInt32, source, offset) + 1000;
    return destination;
  }
  static RwStream* Read(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
    return RwStreamReadInt32(stream, RwPluginDataGet(RwInt32, object, offset), 4);
  }
  static RwStream* Write(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
    return RwStreamWriteInt32(stream, RwPluginDataGetConst(RwInt32, object, offset), 4);
  }
  static RwInt32 Size(const void* object, RwInt32 offset, RwInt32) {
    return *RwPluginDataGetConst(RwInt32, object, offset) >= 0 ? 4 : 0;
  }

  static constexpr RwUInt32 kPluginId = 0xF00D;
  static RwInt32 offset_;
  static int constructsLeft_;  // negative: unlimited
};

RwInt32 FramePluginTest::offset_ = -1;
int FramePluginTest::constructsLeft_ = -1;

TEST_F(FramePluginTest, PluginDataTravelsWithFramesAndClones) {
  RwFrame* root = RwFrameCreate();
  RwFrame* child = RwFrameCreate();
  RwFrameAddChild(root, child);
  EXPECT_EQ(Tag(root), -1);
  Tag(child) = 42;

  RwFrame* copy = RwFrameCloneHierarchy(root);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Tag(copy->child), 1042);

  const std::vector<uint8_t> bytes = WriteFrameList(root);
  // The child's extension chunk holds one sub-chunk of 4 bytes.
  EXPECT_EQ(bytes.size(), 12u + 12 + 4 + 56 * 2 + 12 * 2 + 12 + 4);
  RwFrameList list;
  ASSERT_EQ(ReadFrameList(bytes, &list), &list);
  EXPECT_EQ(Tag(list.frames[0]), -1);
  EXPECT_EQ(Tag(list.frames[1]), 42);
  RwFrameDestroyHierarchy(list.frames[0]);
  RwFrameListDeinitialize(&list);
  RwFrameDestroyHierarchy(copy);
  RwFrameDestroyHierarchy(root);
}

TEST_F(FramePluginTest, FailingConstructorUndoesCreateCloneAndRead) {
  RwFrame* root = RwFrameCreate();
  RwFrame* a = RwFrameCreate();
  RwFrame* b = RwFrameCreate();
  RwFrameAddChild(root, a);
  RwFrameAddChild(a, b);
  const std::vector<uint8_t> bytes = WriteFrameList(root);
  for (int allowed = 0; allowed < 3; ++allowed) {
    SCOPED_TRACE(allowed);
    constructsLeft_ = allowed;
    EXPECT_EQ(RwFrameCloneHierarchy(root), nullptr);
    constructsLeft_ = allowed;
    RwFrameList list;
    EXPECT_EQ(ReadFrameList(bytes, &list), nullptr);
  }
  constructsLeft_ = 0;
  EXPECT_EQ(RwFrameCreate(), nullptr);
  constructsLeft_ = -1;
  RwFrameDestroyHierarchy(root);
}

TEST(FrameModuleTest, NothingIsMadeBeforeTheEngineStarts) {
  FakeDriverInstall();
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  EXPECT_EQ(RwFrameCreate(), nullptr);
  EXPECT_TRUE(RwFrameSyncDirty());
  EXPECT_EQ(RwMatrixCreate(), nullptr);
  EXPECT_EQ(RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr), nullptr);
  EXPECT_EQ(RwSqrt(2.0f), static_cast<float>(std::sqrt(2.0)));
  FakeEngineShutdown();
  FakeDriverUninstall();
}

}  // namespace
