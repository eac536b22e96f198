// Tests of building collision trees: the shape and bounds every tree must
// have on seeded soups, the depth limit, small sets, and refused input.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

RwReal Coordinate(const RwV3d& v, RwUInt16 axis) { return axis == 0 ? v.x : (axis == 4 ? v.y : v.z); }

// Checks the subtree's bounds against its triangles; returns its map
// positions and records its deepest split and the leaves in visiting order.
struct TreeChecker {
  TreeChecker(const RpCollisionData* checked, const Soup* triangles) : data(checked), soup(triangles) {}

  const RpCollisionData* data;
  const Soup* soup;
  int deepestNode = -1;
  std::vector<const RpCollisionTreeLeaf*> leavesInOrder;
  std::vector<int> nodesInOrder;

  std::vector<int> Visit(RwUInt8 kind, RwUInt16 index, int depth) {
    if (kind == kRpCollisionChildLeaf) {
      const RpCollisionTreeLeaf& leaf = data->tree->leaves[index];
      leavesInOrder.push_back(&leaf);
      std::vector<int> positions(leaf.numTriangles);
      std::iota(positions.begin(), positions.end(), leaf.firstTriangle);
      return positions;
    }
    deepestNode = std::max(deepestNode, depth);
    nodesInOrder.push_back(index);
    const RpCollisionTreeNode& node = data->tree->nodes[index];
    const std::vector<int> left = Visit(node.leftType, node.leftIndex, depth + 1);
    const std::vector<int> right = Visit(node.rightType, node.rightIndex, depth + 1);
    EXPECT_FALSE(left.empty());
    EXPECT_FALSE(right.empty());
    int outside = 0;
    for (int position : left) {
      for (RwUInt16 v : soup->triangles[data->triangleMap[position]].vertIndex) {
        outside += Coordinate(soup->positions[v], node.axis) > node.leftValue;
      }
    }
    for (int position : right) {
      for (RwUInt16 v : soup->triangles[data->triangleMap[position]].vertIndex) {
        outside += Coordinate(soup->positions[v], node.axis) < node.rightValue;
      }
    }
    EXPECT_EQ(outside, 0) << "corners beyond the bounds of node " << index;
    std::vector<int> all = left;
    all.insert(all.end(), right.begin(), right.end());
    return all;
  }

  void Check() {
    const RwUInt8 root = data->tree->numLeaves > 1 ? kRpCollisionChildNode : kRpCollisionChildLeaf;
    const std::vector<int> positions = Visit(root, 0, 0);
    // Nodes come in pre-order and leaves left to right, runs following each other.
    for (size_t i = 0; i < nodesInOrder.size(); ++i) {
      EXPECT_EQ(nodesInOrder[i], static_cast<int>(i));
    }
    int next = 0;
    for (size_t i = 0; i < leavesInOrder.size(); ++i) {
      EXPECT_EQ(leavesInOrder[i], &data->tree->leaves[i]);
      EXPECT_EQ(leavesInOrder[i]->firstTriangle, next);
      next += leavesInOrder[i]->numTriangles;
    }
    EXPECT_EQ(next, data->mapLength);
    EXPECT_EQ(static_cast<int>(positions.size()), data->mapLength);
    std::vector<RwUInt16> sorted(data->triangleMap, data->triangleMap + data->mapLength);
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < data->mapLength; ++i) {
      ASSERT_EQ(sorted[i], i) << "the map lists every triangle once";
    }
  }
};

TEST_F(CollisionTest, SmallSetsBecomeOneLeaf) {
  for (int count = 1; count < 4; ++count) {
    SCOPED_TRACE(count);
    const Soup soup = MakeSoup(3, count);
    RpCollisionData* data = Build(soup);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->flags, 0u);
    EXPECT_EQ(data->tree->numLeaves, 1);
    EXPECT_EQ(data->tree->nodes, nullptr);
    EXPECT_EQ(data->tree->leaves[0].numTriangles, count);
    EXPECT_EQ(data->tree->leaves[0].firstTriangle, 0);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(data->triangleMap[i], i);
    }
    RpCollisionDataDestroy(data);
  }
}

TEST_F(CollisionTest, TreesBoundEveryTriangleOnSeededSoups) {
  const int live = CountingMemoryLiveBlocks();
  for (const int count : {4, 57, 1000, 2500}) {
    for (const unsigned seed : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << count << " triangles, seed " << seed);
      const Soup soup = MakeSoup(seed, count);
      RpCollisionData* data = Build(soup);
      ASSERT_NE(data, nullptr);
      TreeChecker checker(data, &soup);
      checker.Check();
      EXPECT_LE(checker.deepestNode, kRpCollisionTreeMaxDepth - 1);
      if (count >= 1000) {
        EXPECT_GT(data->tree->numLeaves, count / 4) << "large soups are split into small leaves";
      }
      RpCollisionData* again = Build(soup);
      ASSERT_NE(again, nullptr);
      EXPECT_TRUE(std::equal(data->triangleMap, data->triangleMap + count, again->triangleMap))
          << "builds repeat exactly";
      RpCollisionDataDestroy(again);
      RpCollisionDataDestroy(data);
    }
  }
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
}

// Triangles that all span nearly the whole extent on x (corners at m - 1,
// m and m + 1 for midpoints m spread around 0), and split nowhere on y or z:
// peeling one triangle off costs least at every level, so the splits chain.
TEST_F(CollisionTest, SplittingStopsAtDepth32) {
  constexpr int kCount = 40;
  Soup soup;
  for (int k = 0; k < kCount; ++k) {
    const float m = static_cast<float>(k - kCount / 2) / 64.0f;  // exact in binary
    soup.positions.push_back({m - 1.0f, 0.0f, 0.0f});
    soup.positions.push_back({m, 1.0f, 0.0f});
    soup.positions.push_back({m + 1.0f, 0.0f, 1.0f});
    const auto base = static_cast<RwUInt16>(3 * k);
    soup.triangles.push_back({{base, static_cast<RwUInt16>(base + 1), static_cast<RwUInt16>(base + 2)}, 0});
  }
  RpCollisionData* data = Build(soup);
  ASSERT_NE(data, nullptr);
  TreeChecker checker(data, &soup);
  checker.Check();
  EXPECT_EQ(checker.deepestNode, kRpCollisionTreeMaxDepth - 1);
  EXPECT_EQ(data->tree->numLeaves, kRpCollisionTreeMaxDepth + 1);
  RwUInt16 largest = 0;
  for (int i = 0; i < data->tree->numLeaves; ++i) {
    largest = std::max(largest, data->tree->leaves[i].numTriangles);
  }
  EXPECT_EQ(largest, kCount - kRpCollisionTreeMaxDepth) << "the last leaf keeps what was left at the limit";
  RpCollisionDataDestroy(data);
}

TEST_F(CollisionTest, RefusesBadInputAndLeaksNothingWhenMemoryRunsOut) {
  Soup soup = MakeSoup(5, 20);
  const RwInt32 numVertices = static_cast<RwInt32>(soup.positions.size());
  {
    SCOPED_TRACE("no triangles, no vertices");
    EXPECT_EQ(RpCollisionDataCreate(numVertices, soup.positions.data(), 0, soup.triangles.data()), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    EXPECT_EQ(RpCollisionDataCreate(0, soup.positions.data(), 20, soup.triangles.data()), nullptr);
    ExpectError(0, kRwErrInvalidValue);
  }
  {
    SCOPED_TRACE("more triangles than the map's 16 bits hold");
    std::vector<RpTriangle> many(kRpCollisionMaxTriangles + 1, soup.triangles[0]);
    EXPECT_EQ(RpCollisionDataCreate(numVertices, soup.positions.data(), static_cast<RwInt32>(many.size()), many.data()),
              nullptr);
    ExpectError(0, kRwErrInvalidValue);
  }
  {
    SCOPED_TRACE("a vertex index past the positions");
    soup.triangles[7].vertIndex[2] = static_cast<RwUInt16>(numVertices);
    EXPECT_EQ(Build(soup), nullptr);
    ExpectError(0, kRwErrInvalidValue);
    soup.triangles[7].vertIndex[2] = 0;
  }
  ExpectFailedMallocsLeakNothing(
      [&soup] {
        RpCollisionData* data = Build(soup);
        RpCollisionDataDestroy(data);
        return data != nullptr;
      },
      4);
  TakeError();
}

}  // namespace
}  // namespace collis_test
