// The waypoint graph from forged locator files: numbering, EDGES pairs,
// routes, doors across edges and the nearest point of the network.
#include "game/world/navigation/waypoint_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/locator_writer.h"

namespace {

struct Waypoint {
  std::string name;
  float x, z;
};

class WaypointGraphTest : public StartedEngineTest {
 protected:
  WaypointGraphTest() : mFolder("waypoints") {}

  // Builds from the waypoints (header = their count unless given) and EDGES.
  bool Build(const std::vector<Waypoint>& points, const std::string& edges, u32 header = 0) {
    LocatorWriter writer;
    writer.headerValue = header != 0 ? header : static_cast<u32>(points.size());
    for (const auto& point : points) {
      writer.Add(point.name, "", point.x, 2.0f, point.z);
    }
    const std::string path = mFolder.File("graph.xrf");
    EXPECT_TRUE(writer.WriteFile(path));
    return mGraph.Build(path.c_str(), cString(edges.c_str()));
  }
  std::vector<u32> Route(u32 from, u32 to) {
    cRecordArray<u32> route;
    if (!mGraph.FindRoute(from, to, &route)) {
      return {};
    }
    return std::vector<u32>(&route[0], &route[0] + route.GetCount());
  }

  ScratchFolder mFolder;
  cWaypointGraph mGraph;
};

TEST_F(WaypointGraphTest, BuildReadsNumbersAndPairs) {
  struct Row {
    std::vector<Waypoint> points;
    std::string edges;
    u32 header;
    bool built;
    u32 nodes, edgesKept;
  };
  const std::vector<Waypoint> three = {{"wp1", 0, 0}, {"wp2", 3, 4}, {"wp3", 6, 8}};
  const Row rows[] = {{three, "[1,2,3]", 0, true, 3, 1},
                      {three, "[1,2,2,1,2,3]", 0, true, 3, 2},
                      {three, "[]", 0, true, 3, 0},
                      {three, "[1,2,4,1,2,3]", 0, false, 3, 1},
                      {three, "[0,1]", 0, false, 3, 0},
                      {three, "[1,2]", 0xFFFFFFF0u, false, 0, 0},
                      {{}, "[1,2]", 0, false, 0, 0},
                      // Numbers at their limits name no node, never one of a wrapped number.
                      {three, "[-1,1]", 0, false, 3, 0},
                      {three, "[1,-2147483648]", 0, false, 3, 0},
                      {three, "[2147483647,1]", 0, false, 3, 0},
                      {three, "[1,4294967298]", 0, false, 3, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.edges + " header " + std::to_string(row.header));
    EXPECT_EQ(row.built, Build(row.points, row.edges, row.header));
    EXPECT_EQ(row.nodes, mGraph.GetNodeCount());
    EXPECT_EQ(row.edgesKept, mGraph.GetEdgeCount());
    if (row.edgesKept > 0) {
      EXPECT_FLOAT_EQ(row.built ? 5.0f : 0.0f, mGraph.GetNode(0).neighbours[0].length);
    }
  }
}

TEST_F(WaypointGraphTest, NamesGiveTheirFirstNumber) {
  ASSERT_TRUE(Build({{"wp7", 1, 1},
                     {"7", 9, 9},
                     {"door", 5, 5},
                     {"wp10x2", 4, 4},
                     {"a0", 3, 3},
                     {"", 0, 0},
                     {"b1", 2, 3},
                     {"wp8", 0, 0},
                     {"x", 0, 0},
                     {"10", 8, 1},
                     // Numbers beyond 32 bits name no node (not the one of their low bits).
                     {"wp4294967298", 7, 7},
                     {"wp99999999999999999999", 6, 6}},
                    "[]"));
  // Each row: node, x, z.
  const float rows[][3] = {{6, 9, 9}, {9, 8, 1}, {0, 2, 3}, {2, 0, 0}, {1, 0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    EXPECT_EQ(row[1], mGraph.GetNode(static_cast<u32>(row[0])).x);
    EXPECT_EQ(row[2], mGraph.GetNode(static_cast<u32>(row[0])).z);
  }
}

TEST_F(WaypointGraphTest, RoutesTakeDirectLinksThenTheCheapestInEdgeOrder) {
  // 1 (0,0), 2 (10,0), 3 (5,1): 1-3-2 is shorter than the direct 1-2.
  // 4 (0,5) and 5 (10,5) give two equal routes from 1 to 5 through 2 and 4.
  ASSERT_TRUE(Build({{"1", 0, 0}, {"2", 10, 0}, {"3", 5, 1}, {"4", 0, 10}, {"5", 10, 10}, {"6", 50, 50}},
                    "[1,2,1,3,3,2,1,4,4,5,2,5]"));
  struct Row {
    u32 from, to;
    std::vector<u32> route;
  };
  const Row rows[] = {{0, 1, {0, 1}}, {2, 2, {2}}, {0, 4, {0, 1, 4}}, {3, 2, {3, 0, 2}}, {0, 5, {}}, {0, 9, {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.from) + " to " + std::to_string(row.to));
    EXPECT_EQ(row.route, Route(row.from, row.to));
  }
}

TEST_F(WaypointGraphTest, RoutesLongerThanTheFirstStackFit) {
  std::vector<Waypoint> corridor = {{"1", 1.0f, 0.0f}};
  std::string edges = "[";
  for (u32 i = 2; i <= 120; i++) {
    corridor.push_back({std::to_string(i), static_cast<float>(i), 0.0f});
    edges += std::to_string(i - 1) + "," + std::to_string(i) + (i < 120 ? "," : "]");
  }
  ASSERT_TRUE(Build(corridor, edges));
  EXPECT_EQ(120u, Route(0, 119).size());
  EXPECT_FLOAT_EQ(119.0f, mGraph.GetBestCost());
}

TEST_F(WaypointGraphTest, DoorsBlockTheEdgesTheirDoorwaysCut) {
  // Edge 1-2 along x from 0 to 10 and edge 2-3 along z.
  ASSERT_TRUE(Build({{"1", 0, 0}, {"2", 10, 0}, {"3", 10, 10}}, "[1,2,2,3]"));
  cDoor* const door = reinterpret_cast<cDoor*>(&mFolder);
  struct Row {
    const char* what;
    RwV2d p0, p1;
    bool blocks12, blocks23;
  };
  const Row rows[] = {
      {"across 1-2", {5, -1}, {5, 1}, true, false},  {"on 1-2's line far along", {20, -1}, {20, 1}, false, false},
      {"beside 1-2", {5, 1}, {5, 3}, false, false},  {"across both", {6, -1}, {12, 5}, true, true},
      {"of length 0", {5, 0}, {5, 0}, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(Build({{"1", 0, 0}, {"2", 10, 0}, {"3", 10, 10}}, "[1,2,2,3]"));
    mGraph.AddDoor(door, tSegment2d(row.p0, row.p1));
    EXPECT_EQ(row.blocks12 ? door : nullptr, mGraph.FindEdge(0, 1));
    EXPECT_EQ(row.blocks12 ? door : nullptr, mGraph.FindEdge(1, 0));
    EXPECT_EQ(row.blocks23 ? door : nullptr, mGraph.FindEdge(2, 1));
    EXPECT_EQ(nullptr, mGraph.FindEdge(0, 2));
  }
}

TEST_F(WaypointGraphTest, NearestPointKeepsTheEarlierEdgeOnTies) {
  ASSERT_TRUE(Build({{"1", 0, 0}, {"2", 10, 0}, {"3", 10, 10}, {"4", 0, 10}}, "[1,2,3,4]"));
  struct Row {
    RwV2d position;
    RwV2d point;
    u32 a, b;
  };
  const Row rows[] = {
      {{4, 2}, {4, 0}, 0, 1}, {{4, 8}, {4, 10}, 2, 3}, {{5, 5}, {5, 0}, 0, 1}, {{-3, -1}, {0, 0}, 0, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.position.x << "," << row.position.y);
    RwV2d point{0, 0};
    u32 a = 9, b = 9;
    ASSERT_TRUE(mGraph.FindNearestPoint(0, row.position, kWaypointQueryHeight, &point, &a, &b));
    EXPECT_FLOAT_EQ(row.point.x, point.x);
    EXPECT_FLOAT_EQ(row.point.y, point.y);
    EXPECT_EQ(row.a, a);
    EXPECT_EQ(row.b, b);
  }
  cWaypointGraph empty;
  RwV2d point{0, 0};
  u32 a = 0, b = 0;
  EXPECT_FALSE(empty.FindNearestPoint(0, RwV2d{1, 1}, kWaypointQueryHeight, &point, &a, &b));
  cRecordArray<u32> route;
  EXPECT_FALSE(empty.FindRoute(0, 1, &route));
}

}  // namespace
