// An NPC's walker over the level's waypoint graph: plans a route of graph
// nodes, advances along it a frame at a time, walks or runs, steers the man
// and hands over to the door-opening state when a closed door stands on the
// edge being walked.
#pragma once

#include "game/foundation/types.h"
#include "game/render/record_array.h"

class cNpc;

// A node counts as reached within this ground distance.
constexpr f32 kNodeReachedDistance = 0.2f;

enum eGait : u32 { kGaitNone = 0, kGaitWalk = 1, kGaitRun = 2 };

// What a checkpoint keeps of a follower.
struct tRouteCheckpoint {
  u32 previousNode = 0;
  u32 currentNode = 0;
  cRecordArray<u32> route;
  f32 arrivalRadius = 0.0f;
  u8 finished = 1;
  u32 routeIndex = 0;
  u32 gait = kGaitNone;
  u8 run = 0;
};

class cRouteFollower {
 public:
  explicit cRouteFollower(cNpc* owner);

  cRouteFollower(const cRouteFollower&) = delete;
  cRouteFollower& operator=(const cRouteFollower&) = delete;

  // From the NPC's own position onto the nearest edge of the graph. A
  // failed plan switches the NPC to patrol and keeps the old route.
  bool PlanFromNearestEdge();
  // From the current node to the node.
  bool PlanTo(u32 node);
  // From the current node to the first end of the edge nearest the point.
  bool PlanNear(f32 x, f32 z);
  // One frame of walking; true once the route is finished.
  bool Step(bool advance);

  void Save(tRouteCheckpoint* out) const;
  void Restore(const tRouteCheckpoint& in);

  u32 GetPreviousNode() const { return mPreviousNode; }
  u32 GetCurrentNode() const { return mCurrentNode; }
  // STARTPOINT: the NPC starts on the node.
  void PlaceAt(u32 node) { mPreviousNode = mCurrentNode = node; }
  const cRecordArray<u32>& GetRoute() const { return mRoute; }
  f32 GetArrivalRadius() const { return mArrivalRadius; }
  bool IsFinished() const { return mFinished != 0; }
  u32 GetRouteIndex() const { return mRouteIndex; }
  u32 GetGait() const { return mGait; }
  bool IsRunning() const { return mRun != 0; }
  void SetRun(bool run) { mRun = run ? 1 : 0; }

 private:
  // The route found from a to b becomes the route, from its start.
  bool Plan(u32 a, u32 b);

  cNpc* mOwner;
  u32 mPreviousNode;
  u32 mCurrentNode;
  cRecordArray<u32> mRoute;
  f32 mArrivalRadius;
  u8 mFinished;
  u32 mRouteIndex;
  u32 mGait;
  u8 mRun;
};

// Copies count and records.
void CopyNodeList(cRecordArray<u32>* to, const cRecordArray<u32>& from);
