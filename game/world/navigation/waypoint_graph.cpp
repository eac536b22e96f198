#include "game/world/navigation/waypoint_graph.h"

#include <cstdlib>

#include "game/render/collision/segment3d.h"
#include "game/render/models/locator_file.h"
#include "game/world/devices/door.h"
#include "game/world/object_set.h"

namespace {

constexpr f32 kNoNearestPoint = 1e12f;
constexpr f32 kNoRouteCost = 1e9f;

// Appends value at count, doubling the storage when it is full.
template <typename T>
void Append(cRecordArray<T>* records, u32* count, const T& value) {
  if (*count == records->GetCount()) {
    records->Resize(*count == 0 ? 4 : *count * 2, value);
  }
  (*records)[(*count)++] = value;
}

// The waypoint number of a name: its first run of digits read as a decimal
// number; 0 for a name without one, the largest u32 for one beyond it.
u32 WaypointNumber(const char* name) {
  while (*name != '\0' && (*name < '0' || *name > '9')) {
    name++;
  }
  const unsigned long long number = strtoull(name, nullptr, 10);
  return number > UINT32_MAX ? UINT32_MAX : static_cast<u32>(number);
}

f32 PlaneDistance(const cWaypointGraph::tNode& a, const cWaypointGraph::tNode& b) {
  const RwV2d p0{a.x, a.z};
  const RwV2d p1{b.x, b.z};
  return tSegment2d(p0, p1).length;
}

}  // namespace

cWaypointGraph::cWaypointGraph()
    : mNodes(nullptr),
      mNodeCount(0),
      mBestCost(0.0f),
      mCurrentCost(0.0f),
      mDepth(0),
      mTarget(0),
      mFound(0),
      mEdgeCount(0) {
  mStack.Resize(kRouteStackInitialCapacity, 0);
}

cWaypointGraph::~cWaypointGraph() { Clear(); }

void cWaypointGraph::Clear() {
  for (u32 i = 0; i < mNodeCount; i++) {
    delete mNodes[i].doors;
  }
  delete[] mNodes;
  mNodes = nullptr;
  mNodeCount = 0;
  for (u32 i = 0; i < mEdgeCount; i++) {
    delete mEdges[i].segment;
  }
  mEdges.Resize(0, tEdge());
  mEdgeCount = 0;
}

bool cWaypointGraph::Build(const char* locatorPath, const cString& edges) {
  Clear();
  cLocatorFile file;
  if (!file.Open(locatorPath) || file.GetHeaderValue() == 0) {
    return false;
  }
  // The entries first, so that the declared count is checked against the
  // entries the file really holds before anything is allocated for it.
  struct tEntry {
    u32 number;
    RwV3d position;
  };
  cRecordArray<tEntry> entries;
  u32 entryCount = 0;
  const u32 declared = file.GetHeaderValue();
  char name[kObjectNameSize];
  RwMatrix matrix;
  while (entryCount < declared && file.ReadEntry(name, kObjectNameSize, nullptr, 0, &matrix)) {
    Append(&entries, &entryCount, tEntry{WaypointNumber(name), matrix.pos});
  }
  if (entryCount < declared) {
    return false;
  }
  mNodes = new tNode[declared];
  mNodeCount = declared;
  for (u32 i = 0; i < declared; i++) {
    mNodes[i].height = 0.0f;
    mNodes[i].x = 0.0f;
    mNodes[i].z = 0.0f;
    mNodes[i].neighbourCount = 0;
    mNodes[i].doors = nullptr;
    mNodes[i].doorCount = 0;
  }
  for (u32 i = 0; i < entryCount; i++) {
    const u32 index = entries[i].number - 1;
    if (index < mNodeCount) {
      mNodes[index].height = entries[i].position.y;
      mNodes[index].x = entries[i].position.x;
      mNodes[index].z = entries[i].position.z;
    }
  }

  cString list;
  const u32 elements = edges.FindArray(&list, '[', ']');
  for (u32 pair = 0; pair < elements / 2; pair++) {
    cString first;
    cString second;
    list.SliceNextElement(&first);
    list.SliceNextElement(&second);
    const u32 a = static_cast<u32>(TextToS32(first)) - 1;
    const u32 b = static_cast<u32>(TextToS32(second)) - 1;
    if (a >= mNodeCount || b >= mNodeCount) {
      return false;
    }
    AddEdge(a, b);
  }
  for (u32 n = 0; n < mNodeCount; n++) {
    tNode& node = mNodes[n];
    for (u32 i = 0; i < node.neighbourCount; i++) {
      node.neighbours[i].length = PlaneDistance(node, mNodes[node.neighbours[i].node]);
    }
  }
  return true;
}

bool cWaypointGraph::HasNeighbour(u32 node, u32 neighbour) const {
  const tNode& record = mNodes[node];
  for (u32 i = 0; i < record.neighbourCount; i++) {
    if (record.neighbours[i].node == neighbour) {
      return true;
    }
  }
  return false;
}

void cWaypointGraph::AppendNeighbour(u32 node, u32 neighbour) {
  tNode& record = mNodes[node];
  Append(&record.neighbours, &record.neighbourCount, tNeighbour{neighbour, 0.0f, 0});
}

void cWaypointGraph::AddEdge(u32 a, u32 b) {
  if (a >= mNodeCount || b >= mNodeCount) {
    return;
  }
  bool appended = false;
  if (!HasNeighbour(a, b)) {
    AppendNeighbour(a, b);
    appended = true;
  }
  if (!HasNeighbour(b, a)) {
    AppendNeighbour(b, a);
    appended = true;
  }
  if (appended) {
    tSegment2d* segment = new tSegment2d(RwV2d{mNodes[a].x, mNodes[a].z}, RwV2d{mNodes[b].x, mNodes[b].z});
    Append(&mEdges, &mEdgeCount, tEdge{segment, a, b});
  }
}

void cWaypointGraph::AppendDoor(u32 node, cDoor* door, u32 neighbour) {
  tNode& record = mNodes[node];
  if (record.doors == nullptr) {
    record.doors = new cRecordArray<tDoorEntry>;
  }
  Append(record.doors, &record.doorCount, tDoorEntry{door, neighbour});
}

void cWaypointGraph::AddDoor(cDoor* door) {
  tSegment2d doorway(RwV2d{0.0f, 0.0f}, RwV2d{0.0f, 0.0f});
  door->GetDoorwaySegment(&doorway);
  AddDoor(door, doorway);
}

void cWaypointGraph::AddDoor(cDoor* door, const tSegment2d& doorway) {
  if (doorway.length <= 0.0f) {
    return;
  }
  for (u32 i = 0; i < mEdgeCount; i++) {
    const tEdge& edge = mEdges[i];
    const tSegment2d span(RwV2d{mNodes[edge.a].x, mNodes[edge.a].z}, RwV2d{mNodes[edge.b].x, mNodes[edge.b].z});
    if (span.CrossesWithin(doorway) && doorway.CrossesWithin(span)) {
      AppendDoor(edge.a, door, edge.b);
      AppendDoor(edge.b, door, edge.a);
    }
  }
}

cDoor* cWaypointGraph::FindEdge(u32 a, u32 b) const {
  if (a >= mNodeCount || mNodes[a].doors == nullptr) {
    return nullptr;
  }
  const tNode& node = mNodes[a];
  for (u32 i = 0; i < node.doorCount; i++) {
    if ((*node.doors)[i].neighbour == b) {
      return (*node.doors)[i].door;
    }
  }
  return nullptr;
}

bool cWaypointGraph::FindNearestPoint(u32, const RwV2d& position, f32 height, RwV2d* point, u32* a, u32* b) const {
  const RwV3d place{position.x, height, position.y};
  f32 best = kNoNearestPoint;
  s32 chosen = -1;
  for (u32 i = 0; i < mEdgeCount; i++) {
    const tSegment2d& plane = *mEdges[i].segment;
    const RwV2d end = plane.EndPoint();
    const tSegment3d edge(RwV3d{plane.origin.x, height, plane.origin.y}, RwV3d{end.x, height, end.y});
    const RwV3d p = edge.PointAt(edge.ProjectClamped(place));
    const RwV3d delta{p.x - place.x, p.y - place.y, p.z - place.z};
    const f32 d = V3dLengthSquared(&delta);
    if (d < best) {
      best = d;
      chosen = static_cast<s32>(i);
      *point = RwV2d{p.x, p.z};
    }
  }
  if (chosen < 0) {
    return false;
  }
  *a = mEdges[chosen].a;
  *b = mEdges[chosen].b;
  return true;
}

void cWaypointGraph::Push(u32 node) {
  if (mDepth == mStack.GetCount()) {
    mStack.Resize(mDepth * 2, 0);
  }
  mStack[mDepth++] = node;
}

bool cWaypointGraph::FindRoute(u32 from, u32 to, cRecordArray<u32>* route) {
  if (from == to) {
    route->Resize(1, from);
    mBestCost = 0.0f;
    return true;
  }
  mFound = 0;
  mBestCost = kNoRouteCost;
  mDepth = 0;
  mCurrentCost = 0.0f;
  if (from >= mNodeCount || to >= mNodeCount) {
    return false;
  }
  Push(from);
  mTarget = to;
  const tNode& start = mNodes[from];
  for (u32 i = 0; i < start.neighbourCount; i++) {
    if (start.neighbours[i].node == to) {
      mFound = 1;
      mBestCost = start.neighbours[i].length;
      route->Resize(2, from);
      (*route)[1] = to;
      return true;
    }
  }
  SearchStep(route);
  return mFound != 0;
}

void cWaypointGraph::SearchStep(cRecordArray<u32>* route) {
  const u32 top = mStack[mDepth - 1];
  const tNode& node = mNodes[top];
  for (u32 i = 0; i < node.neighbourCount; i++) {
    const u32 next = node.neighbours[i].node;
    const f32 length = node.neighbours[i].length;
    Push(next);
    mCurrentCost += length;
    if (next == mTarget) {
      if (mCurrentCost < mBestCost) {
        mFound = 1;
        mBestCost = mCurrentCost;
        route->Resize(mDepth, 0);
        for (u32 k = 0; k < mDepth; k++) {
          (*route)[k] = mStack[k];
        }
      }
    } else if (mCurrentCost < mBestCost) {
      bool onStack = false;
      for (u32 k = 0; k + 1 < mDepth && !onStack; k++) {
        onStack = mStack[k] == next;
      }
      if (!onStack) {
        SearchStep(route);
      }
    }
    mCurrentCost -= length;
    mDepth--;
  }
}
