// cRouteFollower: planning over the waypoint graph and the frame's walk
// along the planned route.
#include "game/characters/npc/route_follower.h"

#include "game/characters/npc/ai_states_walk.h"
#include "game/characters/npc/npc.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/qx_world.h"

void CopyNodeList(cRecordArray<u32>* to, const cRecordArray<u32>& from) {
  to->Resize(from.GetCount(), 0);
  for (u32 i = 0; i < from.GetCount(); i++) {
    (*to)[i] = from[i];
  }
}

cRouteFollower::cRouteFollower(cNpc* owner)
    : mOwner(owner),
      mPreviousNode(0),
      mCurrentNode(0),
      mArrivalRadius(0.0f),
      mFinished(1),
      mRouteIndex(0),
      mGait(kGaitNone),
      mRun(0) {}

bool cRouteFollower::Plan(u32 a, u32 b) {
  cWaypointGraph* graph = mOwner->GetLevel()->GetWaypointGraph();
  cRecordArray<u32> route;
  if (graph == nullptr || a >= graph->GetNodeCount() || b >= graph->GetNodeCount() || !graph->FindRoute(a, b, &route) ||
      route.GetCount() == 0) {
    mOwner->SetState(kAiStatePatrol);
    return false;
  }
  CopyNodeList(&mRoute, route);
  mRouteIndex = 0;
  mArrivalRadius = 0.0f;
  mFinished = 0;
  // The walk starts towards the route's first node.
  mCurrentNode = mRoute[0];
  return true;
}

bool cRouteFollower::PlanFromNearestEdge() {
  mGait = kGaitNone;
  cWaypointGraph* graph = mOwner->GetLevel()->GetWaypointGraph();
  const tV2d p = mOwner->GetPosition2D();
  RwV2d point;
  u32 a = 0;
  u32 b = 0;
  if (graph == nullptr || !graph->FindNearestPoint(0, RwV2d{p.x, p.y}, kWaypointQueryHeight, &point, &a, &b)) {
    mOwner->SetState(kAiStatePatrol);
    return false;
  }
  return Plan(a, b);
}

bool cRouteFollower::PlanTo(u32 node) {
  mGait = kGaitNone;
  return Plan(mCurrentNode, node);
}

bool cRouteFollower::PlanNear(f32 x, f32 z) {
  mGait = kGaitNone;
  cWaypointGraph* graph = mOwner->GetLevel()->GetWaypointGraph();
  RwV2d point;
  u32 a = 0;
  u32 b = 0;
  if (graph == nullptr || !graph->FindNearestPoint(0, RwV2d{x, z}, kWaypointQueryHeight, &point, &a, &b)) {
    return false;
  }
  return PlanTo(a);
}

bool cRouteFollower::Step(bool advance) {
  if (mFinished != 0) {
    mOwner->Stand();
    mGait = kGaitNone;
    return true;
  }
  const cWaypointGraph* graph = mOwner->GetLevel()->GetWaypointGraph();
  const tV2d p = mOwner->GetPosition2D();
  const cWaypointGraph::tNode* n = &graph->GetNode(mCurrentNode);
  if (advance) {
    const f32 radius = mArrivalRadius > kNodeReachedDistance ? mArrivalRadius : kNodeReachedDistance;
    const double distance = p.DistanceSquared(tV2d{n->x, n->z});
    if (mRouteIndex + 1 >= mRoute.GetCount()) {
      if (distance < static_cast<double>(radius) * radius) {
        mFinished = 1;
        return true;
      }
    } else if (distance < static_cast<double>(kNodeReachedDistance) * kNodeReachedDistance) {
      mPreviousNode = mCurrentNode;
      mRouteIndex++;
      mCurrentNode = mRoute[mRouteIndex];
    }
  }
  n = &graph->GetNode(mCurrentNode);
  if (mRun != 0 && mGait != kGaitRun) {
    mGait = kGaitRun;
    mOwner->Run();
  } else if (mRun == 0 && mGait != kGaitWalk) {
    mGait = kGaitWalk;
    mOwner->Walk();
  }
  if (mRun != 0) {
    mOwner->FaceTowards(n->x, n->z);
  } else {
    mOwner->TurnTowards(n->x, n->z);
  }
  if (cDoor* door = mOwner->FindClosedDoor()) {
    static_cast<cAiState_OpenDoor*>(mOwner->GetStateObject(kAiStateOpenDoor))->SetDoor(door);
    mOwner->SetState(kAiStateOpenDoor);
  }
  return false;
}

void cRouteFollower::Save(tRouteCheckpoint* out) const {
  out->previousNode = mPreviousNode;
  out->currentNode = mCurrentNode;
  CopyNodeList(&out->route, mRoute);
  out->arrivalRadius = mArrivalRadius;
  out->finished = mFinished;
  out->routeIndex = mRouteIndex;
  out->gait = mGait;
  out->run = mRun;
}

void cRouteFollower::Restore(const tRouteCheckpoint& in) {
  mPreviousNode = in.previousNode;
  mCurrentNode = in.currentNode;
  CopyNodeList(&mRoute, in.route);
  mArrivalRadius = in.arrivalRadius;
  mFinished = in.finished;
  mRouteIndex = in.routeIndex;
  mGait = in.gait;
  mRun = in.run;
}
