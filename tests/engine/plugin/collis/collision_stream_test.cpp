// Tests of the collision sub-chunk: round trips of built trees (alone and on
// geometries), and the reader refusing every malformed body without a leak.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

// A body as the stream holds it, field by field.
struct Body {
  struct Node {
    uint32_t axis;
    uint32_t leftKind, rightKind;
    uint32_t leftIndex, rightIndex;
    float leftValue, rightValue;
  };
  struct Leaf {
    uint32_t count, first;
  };
  int32_t numLeaves = 0;
  int32_t mapLength = 0;
  std::vector<Node> nodes;
  std::vector<Leaf> leaves;
  std::vector<uint32_t> map;

  ChunkBytes Bytes() const {
    ChunkBytes bytes;
    bytes.S32(numLeaves).S32(mapLength);
    for (const Node& n : nodes) {
      bytes.U32(n.axis << 16 | n.leftKind << 8 | n.rightKind).U32(n.leftIndex << 16 | n.rightIndex);
      bytes.Real(n.leftValue).Real(n.rightValue);
    }
    for (const Leaf& l : leaves) bytes.U32(l.count << 16 | l.first);
    for (uint32_t entry : map) bytes.U32(entry);
    return bytes;
  }
};

// numNodes splits in a chain, each with a one-triangle leaf on its left.
Body Chain(int numNodes) {
  Body body;
  body.numLeaves = numNodes + 1;
  body.mapLength = numNodes + 1;
  for (int i = 0; i < numNodes; ++i) {
    const bool last = i == numNodes - 1;
    body.nodes.push_back({static_cast<uint32_t>(4 * (i % 3)), kRpCollisionChildLeaf,
                          last ? kRpCollisionChildLeaf : kRpCollisionChildNode, static_cast<uint32_t>(i),
                          static_cast<uint32_t>(last ? i + 1 : i + 1), 1.0f, 0.0f});
  }
  for (int i = 0; i <= numNodes; ++i) {
    body.leaves.push_back({1, static_cast<uint32_t>(i)});
    body.map.push_back(static_cast<uint32_t>(numNodes - i));
  }
  return body;
}

class CollisionStreamTest : public CollisionTest {
 protected:
  // Reads the body for an owner of numTriangles triangles.
  static RpCollisionData* Read(const ChunkBytes& bytes, RwInt32 length, RwInt32 numTriangles) {
    RwStream* stream = OpenMemoryRead(bytes.bytes());
    RpCollisionData* data = _rpCollisionDataStreamRead(stream, length, numTriangles);
    RwStreamClose(stream, nullptr);
    return data;
  }
  static RpCollisionData* Read(const Body& body, RwInt32 numTriangles) {
    const ChunkBytes bytes = body.Bytes();
    return Read(bytes, static_cast<RwInt32>(bytes.size()), numTriangles);
  }

  static void ExpectSameTree(const RpCollisionData* a, const RpCollisionData* b) {
    ASSERT_EQ(a->tree->numLeaves, b->tree->numLeaves);
    ASSERT_EQ(a->mapLength, b->mapLength);
    const RwInt32 n = a->tree->numLeaves;
    EXPECT_EQ(std::memcmp(a->tree->leaves, b->tree->leaves, sizeof(RpCollisionTreeLeaf) * n), 0);
    if (n > 1) {
      EXPECT_EQ(std::memcmp(a->tree->nodes, b->tree->nodes, sizeof(RpCollisionTreeNode) * (n - 1)), 0);
    }
    EXPECT_EQ(std::memcmp(a->triangleMap, b->triangleMap, sizeof(RwUInt16) * a->mapLength), 0);
  }
};

TEST_F(CollisionStreamTest, BuiltTreesReadBackInOneBlock) {
  const int live = CountingMemoryLiveBlocks();
  for (const int count : {2, 300}) {
    SCOPED_TRACE(count);
    const Soup soup = MakeSoup(9, count);
    RpCollisionData* built = Build(soup);
    ASSERT_NE(built, nullptr);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteToMemory(
        [built](RwStream* stream) { return RpCollisionDataStreamWrite(built, stream) != nullptr; }, &bytes));
    const RwInt32 n = built->tree->numLeaves;
    EXPECT_EQ(static_cast<RwInt32>(bytes.size()), 20 * n - 8 + 4 * count);
    EXPECT_EQ(RpCollisionDataStreamGetSize(built), static_cast<RwInt32>(bytes.size()));
    EXPECT_EQ(RpCollisionTreeStreamGetSize(built->tree), 20 * n - 16);

    const int before = CountingMemoryLiveBlocks();
    ChunkBytes chunk;
    chunk.Bytes(bytes);
    RpCollisionData* read = Read(chunk, static_cast<RwInt32>(bytes.size()), count);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->flags, kRpCollisionDataOneBlock);
    EXPECT_EQ(CountingMemoryLiveBlocks(), before + 1);
    ExpectSameTree(built, read);
    RpCollisionDataDestroy(read);
    EXPECT_EQ(CountingMemoryLiveBlocks(), before);
    RpCollisionDataDestroy(built);
  }
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
}

TEST_F(CollisionStreamTest, GeometriesCarryTheirDataThroughStreams) {
  const Soup soup = MakeSoup(4, 200);
  RpGeometry* geometry = SoupGeometry(soup);
  ASSERT_NE(geometry, nullptr);
  std::vector<uint8_t> without;
  ASSERT_TRUE(
      WriteToMemory([geometry](RwStream* s) { return RpGeometryStreamWrite(geometry, s) != nullptr; }, &without));
  ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
  std::vector<uint8_t> with;
  ASSERT_TRUE(WriteToMemory([geometry](RwStream* s) { return RpGeometryStreamWrite(geometry, s) != nullptr; }, &with));
  const RpCollisionData* built = _rpCollisionGeometryGetData(geometry);
  EXPECT_EQ(with.size(), without.size() + kRwChunkHeaderSize + RpCollisionDataStreamGetSize(built))
      << "one sub-chunk more, and none without data";

  for (const auto* bytes : {&without, &with}) {
    RwStream* stream = OpenMemoryRead(*bytes);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr));
    RpGeometry* read = RpGeometryStreamRead(stream);
    RwStreamClose(stream, nullptr);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(RpCollisionGeometryQueryData(read), bytes == &with ? 1 : 0);
    if (bytes == &with) {
      ExpectSameTree(built, _rpCollisionGeometryGetData(read));
    }
    RpGeometryDestroy(read);
  }
  RpGeometryDestroy(geometry);
  ExpectNoError();
}

TEST_F(CollisionStreamTest, RefusesMalformedBodies) {
  const Body valid = Chain(2);
  RpCollisionData* data = Read(valid, 3);
  ASSERT_NE(data, nullptr);
  RpCollisionDataDestroy(data);
  const int live = CountingMemoryLiveBlocks();

  struct Case {
    const char* what;
    void (*spoil)(Body*);
    RwInt32 numTriangles;
  };
  const Case cases[] = {
      {"no leaves", [](Body* b) { b->numLeaves = 0; }, 3},
      {"a negative map length", [](Body* b) { b->mapLength = -1; }, 3},
      {"a length that does not match the counts", [](Body* b) { b->map.push_back(0); }, 3},
      {"a child of kind 3", [](Body* b) { b->nodes[1].rightKind = 3; }, 3},
      {"an axis of 12", [](Body* b) { b->nodes[0].axis = 12; }, 3},
      {"a node index out of range", [](Body* b) { b->nodes[0].rightIndex = 7; }, 3},
      {"a node pointing back at itself", [](Body* b) { b->nodes[0].rightIndex = 0; }, 3},
      {"leaves out of order", [](Body* b) { std::swap(b->nodes[1].leftIndex, b->nodes[1].rightIndex); }, 3},
      {"a leaf used twice", [](Body* b) { b->nodes[1].rightIndex = 1; }, 3},
      {"a leaf's run past the map",
       [](Body* b) {
         b->leaves[2] = {2, 2};
       },
       3},
      {"a map entry at the triangle count", [](Body* b) { b->map[1] = 3; }, 3},
      {"entries past a smaller owner", [](Body*) {}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Body body = valid;
    c.spoil(&body);
    EXPECT_EQ(Read(body, c.numTriangles), nullptr);
    ExpectError(0, kRwErrRead);
    EXPECT_EQ(CountingMemoryLiveBlocks(), live);
  }
  {
    SCOPED_TRACE("splits 32 deep read, 33 deep do not");
    data = Read(Chain(kRpCollisionTreeMaxDepth), kRpCollisionTreeMaxDepth + 1);
    EXPECT_NE(data, nullptr);
    RpCollisionDataDestroy(data);
    EXPECT_EQ(Read(Chain(kRpCollisionTreeMaxDepth + 1), kRpCollisionTreeMaxDepth + 2), nullptr);
    ExpectError(0, kRwErrRead);
  }
  {
    SCOPED_TRACE("a body shorter than its length says");
    ChunkBytes bytes = valid.Bytes();
    const RwInt32 length = static_cast<RwInt32>(bytes.size());
    bytes.Truncate(6);
    EXPECT_EQ(Read(bytes, length, 3), nullptr);
    ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
  }
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
}

}  // namespace
}  // namespace collis_test
