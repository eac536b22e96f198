// The frame extension's sub-chunk: node ids and skeleton hierarchies through
// frame list chunks, corrupt sub-chunks, and frame clones.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/support/anim_engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/frame_list_bytes.h"

namespace {

constexpr RwInt32 kRootId = 100;
constexpr uint32_t kFrameRecordFlags = 3;

// Offset of the plugin's sub-chunk header of the frame at index in a written
// frame list.
size_t FindSubChunk(const std::vector<uint8_t>& bytes, int index = 0) {
  for (size_t i = 0; i + kRwChunkHeaderSize <= bytes.size(); i++) {
    if (RwReadLittleEndianUInt32(&bytes[i]) == kRpHAnimPluginId &&
        RwReadLittleEndianUInt32(&bytes[i + 8]) == kTestStamp && index-- == 0) {
      return i;
    }
  }
  ADD_FAILURE() << "no sub-chunk";
  return 0;
}

std::vector<int32_t> Words(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
  std::vector<int32_t> words;
  for (size_t i = 0; i < count; i++) {
    words.push_back(RwReadLittleEndianInt32(&bytes[at + 4 * i]));
  }
  return words;
}

// A frame list of one identity frame whose extension holds the given
// sub-chunk bodies of the plugin.
std::vector<uint8_t> OneFrameWith(const std::vector<ChunkBytes>& bodies) {
  ChunkBytes extension;
  for (const ChunkBytes& body : bodies) {
    extension.Header(kRpHAnimPluginId, static_cast<uint32_t>(body.size())).Bytes(body.bytes());
  }
  ChunkBytes frames;
  frames.Header(kRwChunkStruct, 4 + kRwFrameStreamRecordSize).U32(1);
  for (float value : {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f}) {
    frames.Real(value);
  }
  frames.S32(-1).U32(kFrameRecordFlags);
  frames.Header(kRwChunkExtension, static_cast<uint32_t>(extension.size())).Bytes(extension.bytes());
  ChunkBytes list;
  list.Header(kRwChunkFrameList, static_cast<uint32_t>(frames.size())).Bytes(frames.bytes());
  return list.bytes();
}

ChunkBytes SkeletonBody(int32_t nodes, int32_t roomForNodes, uint32_t flags, int32_t storedKeySize) {
  ChunkBytes body;
  body.S32(kRpHAnimStreamVersion).S32(kRootId).S32(nodes).U32(flags).S32(storedKeySize);
  for (int32_t i = 0; i < roomForNodes; i++) {
    body.S32(kRootId + i).S32(i).U32(0);
  }
  return body;
}

class HAnimStreamTest : public AnimEngineTest {
 protected:
  void TearDown() override {
    for (RwFrame* root : roots_) {
      RwFrameDestroyHierarchy(root);
    }
    AnimEngineTest::TearDown();
  }

  // root (id 100) with children 101 and 102 and a hierarchy of the three.
  RwFrame* Skeleton(RwUInt32 flags, RwInt32 keyFrameSize) {
    RwFrame* root = RwFrameCreate();
    roots_.push_back(root);
    RpHAnimFrameSetID(root, kRootId);
    for (RwInt32 id : {kRootId + 2, kRootId + 1}) {
      RwFrame* child = RwFrameCreate();
      RpHAnimFrameSetID(child, id);
      RwFrameAddChild(root, child);
    }
    const RwInt32 ids[] = {kRootId, kRootId + 1, kRootId + 2};
    const RwUInt32 nodeFlags[] = {kRpHAnimPush, kRpHAnimPush | kRpHAnimPop, kRpHAnimPop};
    RpHAnimFrameSetHierarchy(root, RpHAnimHierarchyCreate(3, nodeFlags, ids, flags, keyFrameSize));
    return root;
  }

  // The frames of a read frame list, destroyed with the test.
  RwFrame* Keep(RwFrameList* list) {
    RwFrame* root = list->frames[0];
    roots_.push_back(root);
    RwFrameListDeinitialize(list);
    return root;
  }

  std::vector<RwFrame*> roots_;
};

TEST_F(HAnimStreamTest, FramesWithoutAHierarchyWriteTwelveBytes) {
  RwFrame* frame = RwFrameCreate();
  roots_.push_back(frame);
  RpHAnimFrameSetID(frame, 7);
  std::vector<uint8_t> bytes = WriteFrameList(frame);
  size_t at = FindSubChunk(bytes);
  EXPECT_EQ(RwReadLittleEndianUInt32(&bytes[at + 4]), 12u);
  EXPECT_EQ(Words(bytes, at + kRwChunkHeaderSize, 3), (std::vector<int32_t>{0x100, 7, 0}));

  RwFrameList list;
  ASSERT_NE(ReadFrameList(bytes, &list), nullptr);
  RwFrame* read = Keep(&list);
  EXPECT_EQ(RpHAnimFrameGetID(read), 7);
  EXPECT_EQ(RpHAnimFrameGetHierarchy(read), nullptr);
}

TEST_F(HAnimStreamTest, SkeletonsRoundTripWithStoredKeySizes) {
  for (RwInt32 keyFrameSize : {48, 64}) {
    SCOPED_TRACE(::testing::Message() << "key size " << keyFrameSize);
    RwFrame* root = Skeleton(kRpHAnimUpdateModelling | kRpHAnimLocalSpace, keyFrameSize);
    const RpHAnimHierarchy* written = RpHAnimFrameGetHierarchy(root);
    std::vector<uint8_t> bytes = WriteFrameList(root);
    size_t at = FindSubChunk(bytes);
    EXPECT_EQ(RwReadLittleEndianUInt32(&bytes[at + 4]), 20u + 12 * 3);
    EXPECT_EQ(Words(bytes, at + kRwChunkHeaderSize, 5),
              (std::vector<int32_t>{0x100, kRootId, 3, 0x5000, keyFrameSize - 12}));

    RwFrameList list;
    ASSERT_NE(ReadFrameList(bytes, &list), nullptr);
    RwFrame* read = Keep(&list);
    RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(read);
    ASSERT_NE(hierarchy, nullptr);
    EXPECT_EQ(hierarchy->parentFrame, read);
    EXPECT_EQ(hierarchy->flags, written->flags);
    EXPECT_EQ(hierarchy->currentAnim->maxKeyFrameSize, keyFrameSize);
    ASSERT_EQ(hierarchy->numNodes, 3);
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(hierarchy->pNodeInfo[i].nodeID, written->pNodeInfo[i].nodeID);
      EXPECT_EQ(hierarchy->pNodeInfo[i].nodeIndex, i);
      EXPECT_EQ(hierarchy->pNodeInfo[i].flags, written->pNodeInfo[i].flags);
      EXPECT_EQ(hierarchy->pNodeInfo[i].pFrame, nullptr);
    }
    RpHAnimHierarchyAttach(hierarchy);
    EXPECT_EQ(hierarchy->pNodeInfo[0].pFrame, read);
    EXPECT_EQ(RpHAnimFrameGetID(hierarchy->pNodeInfo[2].pFrame), kRootId + 2);
    EXPECT_EQ(RwFrameGetParent(hierarchy->pNodeInfo[2].pFrame), read);
  }
}

struct SubChunkCase {
  const char* name;
  std::vector<ChunkBytes> bodies;
  bool reads;
  std::function<void(RwFrame*)> check;
};

TEST_F(HAnimStreamTest, CorruptSubChunksFailCleanly) {
  const auto noHierarchy = [](RwFrame* frame) {
    EXPECT_EQ(RpHAnimFrameGetID(frame), kRootId);
    EXPECT_EQ(RpHAnimFrameGetHierarchy(frame), nullptr);
  };
  const auto nodes = [](RwInt32 count, RwUInt32 flags) {
    return [count, flags](RwFrame* frame) {
      const RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(frame);
      ASSERT_NE(hierarchy, nullptr);
      EXPECT_EQ(hierarchy->numNodes, count);
      EXPECT_EQ(hierarchy->flags, flags);
    };
  };
  const SubChunkCase cases[] = {
      {"other version", {ChunkBytes().S32(0x101).S32(kRootId).S32(0)}, false, nullptr},
      {"shorter than its fields", {ChunkBytes().S32(0x100).S32(kRootId)}, false, nullptr},
      {"no nodes", {ChunkBytes().S32(0x100).S32(kRootId).S32(0)}, true, noHierarchy},
      {"negative node count", {ChunkBytes().S32(0x100).S32(kRootId).S32(-3)}, true, noHierarchy},
      {"more nodes than the sub-chunk holds", {SkeletonBody(3, 2, 0, 36)}, false, nullptr},
      {"node count overflowing the length", {SkeletonBody(0x7FFFFFFF, 1, 0, 36)}, false, nullptr},
      {"stored key size below a standard key", {SkeletonBody(2, 2, 0, 35)}, false, nullptr},
      {"stored key size far beyond", {SkeletonBody(2, 2, 0, 0x7FFFFFFF)}, false, nullptr},
      {"sub-hierarchy flag",
       {SkeletonBody(2, 2, kRpHAnimSubHierarchy | kRpHAnimLocalSpace, 36)},
       true,
       nodes(2, kRpHAnimLocalSpace)},
      {"bytes after the nodes", {SkeletonBody(2, 2, 0, 36).U32(0xABCD)}, true, nodes(2, 0)},
      {"a second sub-chunk", {SkeletonBody(2, 2, 0, 36), SkeletonBody(1, 1, 0, 36)}, true, nodes(1, 0)},
  };
  for (const SubChunkCase& c : cases) {
    SCOPED_TRACE(c.name);
    RwFrameList list;
    RwFrameList* read = ReadFrameList(OneFrameWith(c.bodies), &list);
    EXPECT_EQ(read != nullptr, c.reads);
    if (read != nullptr) {
      c.check(Keep(&list));
    }
    TakeError();
  }
}

TEST_F(HAnimStreamTest, ClonesCopyHierarchiesOfSkeletonRootsOnly) {
  RwFrame* root = Skeleton(kRpHAnimUpdateLTMs, 64);
  RpHAnimHierarchy* original = RpHAnimFrameGetHierarchy(root);
  // A sub-hierarchy over the last node, sharing the skeleton's arrays.
  RwFrame* child = root->child;
  RpHAnimHierarchy* sub = RpHAnimHierarchyCreate(1, nullptr, nullptr, 0, sizeof(RpHAnimStdKeyFrame));
  RwFree(sub->pMatrixArrayUnaligned);
  RwFree(sub->pNodeInfo);
  sub->flags = kRpHAnimSubHierarchy;
  sub->parentHierarchy = original;
  sub->pMatrixArrayUnaligned = nullptr;
  sub->pMatrixArray = original->pMatrixArray + 2;
  sub->pNodeInfo = original->pNodeInfo + 2;
  RpHAnimFrameSetHierarchy(child, sub);

  RwFrame* copy = RwFrameCloneHierarchy(root);
  ASSERT_NE(copy, nullptr);
  roots_.push_back(copy);
  RpHAnimHierarchy* copied = RpHAnimFrameGetHierarchy(copy);
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, original);
  EXPECT_EQ(copied->parentFrame, copy);
  EXPECT_EQ(copied->flags, original->flags);
  EXPECT_EQ(copied->currentAnim->maxKeyFrameSize, 64);
  ASSERT_EQ(copied->numNodes, 3);
  EXPECT_EQ(copied->pNodeInfo[1].flags, original->pNodeInfo[1].flags);
  EXPECT_EQ(copied->pNodeInfo[1].pFrame, nullptr);
  EXPECT_EQ(RpHAnimFrameGetID(copy), kRootId);

  // The clone's children come in reverse order; the one copied from the
  // sub-hierarchy's frame keeps its id only.
  RwFrame* childCopy = copy->child->next;
  EXPECT_EQ(RpHAnimFrameGetID(childCopy), RpHAnimFrameGetID(child));
  EXPECT_EQ(RpHAnimFrameGetHierarchy(childCopy), nullptr);
  // The sub-hierarchy writes no nodes (its frame comes second in the list).
  const std::vector<uint8_t> bytes = WriteFrameList(root);
  EXPECT_EQ(Words(bytes, FindSubChunk(bytes, 1) + kRwChunkHeaderSize, 3),
            (std::vector<int32_t>{0x100, RpHAnimFrameGetID(child), 0}));
}

}  // namespace
