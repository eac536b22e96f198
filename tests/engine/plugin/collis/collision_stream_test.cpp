// Tests of the collision sub-chunk: round trips of built trees (alone and on
// geometries), and the reader refusing every malformed body without a leak.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

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

// The shape rule walked recursively over a body's bytes: nodes in pre-order,
// leaves left to right, splits less than 32 deep, runs inside the map.
struct ReferenceWalk {
  const std::vector<uint8_t>& bytes;
  int32_t numLeaves, mapLength;
  int32_t nextNode = 0, nextLeaf = 0;

  uint32_t Word(size_t offset) const {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
  }
  bool Visit(uint32_t kind, uint32_t index, int depth) {
    if (kind == kRpCollisionChildLeaf) {
      if (index != static_cast<uint32_t>(nextLeaf++) || index >= static_cast<uint32_t>(numLeaves)) {
        return false;
      }
      const uint32_t leaf = Word(8 + 16 * static_cast<size_t>(numLeaves - 1) + 4 * index);
      return (leaf & 0xFFFF) + (leaf >> 16) <= static_cast<uint32_t>(mapLength);
    }
    if (kind != kRpCollisionChildNode || index != static_cast<uint32_t>(nextNode++) ||
        index >= static_cast<uint32_t>(numLeaves - 1) || depth >= kRpCollisionTreeMaxDepth) {
      return false;
    }
    const uint32_t kinds = Word(8 + 16 * index);
    const uint32_t indices = Word(12 + 16 * index);
    const uint32_t axis = kinds >> 16;
    return (axis == 0 || axis == 4 || axis == 8) && Visit(kinds >> 8 & 0xFF, indices >> 16, depth + 1) &&
           Visit(kinds & 0xFF, indices & 0xFFFF, depth + 1);
  }
  bool Accepts() {
    return Visit(numLeaves > 1 ? kRpCollisionChildNode : kRpCollisionChildLeaf, 0, 0) && nextNode == numLeaves - 1 &&
           nextLeaf == numLeaves;
  }
};

TEST_F(CollisionStreamTest, ShapeChecksAgreeWithARecursiveWalkAndCutsAreRefused) {
  const int live = CountingMemoryLiveBlocks();
  const Soup soup = MakeSoup(5, 120);
  RpCollisionData* built = Build(soup);
  ASSERT_NE(built, nullptr);
  std::vector<uint8_t> valid;
  ASSERT_TRUE(WriteToMemory([built](RwStream* stream) { return RpCollisionDataStreamWrite(built, stream) != nullptr; },
                            &valid));
  RpCollisionDataDestroy(built);
  const int32_t numLeaves = static_cast<int32_t>(valid[0] | valid[1] << 8);
  ASSERT_GT(numLeaves, 8);
  std::mt19937 random(3);
  int refused = 0;
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    std::vector<uint8_t> bytes = valid;
    // One field of a node or leaf set to a small value: kinds, axis, indices or a run.
    const size_t records = 16 * static_cast<size_t>(numLeaves - 1) + 4 * static_cast<size_t>(numLeaves);
    bytes[8 + random() % records] = static_cast<uint8_t>(random() % 12);
    ReferenceWalk reference = {bytes, numLeaves, static_cast<int32_t>(soup.triangles.size())};
    const bool accepted = reference.Accepts();
    ChunkBytes chunk;
    chunk.Bytes(bytes);
    RpCollisionData* data =
        Read(chunk, static_cast<RwInt32>(bytes.size()), static_cast<RwInt32>(soup.triangles.size()));
    EXPECT_EQ(data != nullptr, accepted);
    refused += accepted ? 0 : 1;
    if (data != nullptr) {
      RpCollisionDataDestroy(data);
    }
    TakeError();
  }
  EXPECT_GT(refused, 40);
  for (size_t cut = 1; cut < valid.size(); cut += 5) {
    SCOPED_TRACE(cut);
    ChunkBytes chunk;
    chunk.Bytes(std::vector<uint8_t>(valid.begin(), valid.end() - static_cast<std::ptrdiff_t>(cut)));
    EXPECT_EQ(Read(chunk, static_cast<RwInt32>(valid.size()), static_cast<RwInt32>(soup.triangles.size())), nullptr);
    TakeError();
  }
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
}

}  // namespace
}  // namespace collis_test
