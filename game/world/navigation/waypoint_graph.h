// The level's network of walkable routes for the non-player characters:
// numbered waypoints from a locator file joined by the EDGES pairs of the
// level group. It finds the point of the network nearest to a position, the
// cheapest route between two waypoints, and the door that lies across an
// edge (doors register on the edges they cut).
#pragma once

#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/record_array.h"

class cDoor;

// The height at which the characters ask for the nearest point.
constexpr f32 kWaypointQueryHeight = 1.7f;
// Room of the route stack before a deeper search first grows it.
constexpr u32 kRouteStackInitialCapacity = 50;

class cWaypointGraph {
 public:
  struct tNeighbour {
    u32 node;
    f32 length;  // plane distance
    u8 mark;     // always 0
  };
  struct tDoorEntry {
    cDoor* door;
    u32 neighbour;
  };
  struct tNode {
    f32 height;
    f32 x;
    f32 z;
    cRecordArray<tNeighbour> neighbours;
    u32 neighbourCount;
    cRecordArray<tDoorEntry>* doors;  // null until a door registers
    u32 doorCount;
  };
  struct tEdge {
    tSegment2d* segment;  // owned: from a's (x, z) to b's
    u32 a;
    u32 b;
  };

  cWaypointGraph();
  ~cWaypointGraph();

  cWaypointGraph(const cWaypointGraph&) = delete;
  cWaypointGraph& operator=(const cWaypointGraph&) = delete;

  // Waypoint number n (the first run of digits of an entry's name) becomes
  // node n - 1 at the entry's position. EDGES is a list of numbers in pairs.
  // False with an empty graph when the file does not open, has no entries or
  // declares more entries than it holds; false, keeping the edges read with
  // lengths 0, at the first pair naming no node.
  bool Build(const char* locatorPath, const cString& edges);
  // Links a and b both ways unless they are linked already.
  void AddEdge(u32 a, u32 b);
  // Registers the door on every edge whose span crosses the doorway's line
  // while the doorway's span crosses the edge's line. A doorway of length 0
  // blocks nothing.
  void AddDoor(cDoor* door);
  void AddDoor(cDoor* door, const tSegment2d& doorway);
  // The first door registered on a's side of the edge to b; null for none.
  cDoor* FindEdge(u32 a, u32 b) const;
  // The point of the edges nearest to position (x, z) at the height; ties
  // keep the earlier edge. False without edges.
  bool FindNearestPoint(u32 unused, const RwV2d& position, f32 height, RwV2d* point, u32* a, u32* b) const;
  // The cheapest simple route from one node to another, both included; a
  // direct link is taken whatever it costs. Ties keep the route met first.
  bool FindRoute(u32 from, u32 to, cRecordArray<u32>* route);

  u32 GetNodeCount() const { return mNodeCount; }
  const tNode& GetNode(u32 index) const { return mNodes[index]; }
  u32 GetEdgeCount() const { return mEdgeCount; }
  const tEdge& GetEdge(u32 index) const { return mEdges[index]; }
  f32 GetBestCost() const { return mBestCost; }

 private:
  void Clear();
  bool HasNeighbour(u32 node, u32 neighbour) const;
  void AppendNeighbour(u32 node, u32 neighbour);
  void AppendDoor(u32 node, cDoor* door, u32 neighbour);
  void Push(u32 node);
  void SearchStep(cRecordArray<u32>* route);

  tNode* mNodes;
  u32 mNodeCount;
  f32 mBestCost;
  cRecordArray<u32> mStack;
  f32 mCurrentCost;
  u32 mDepth;
  u32 mTarget;
  u8 mFound;
  cRecordArray<tEdge> mEdges;
  u32 mEdgeCount;
};
