// States 4 (look around), 5 (search) and 6 (chase).
#include "game/characters/npc/ai_states_alert.h"

#include <cmath>

#include "game/characters/npc/ai_states_attack.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kHalfTurn = 3.14159265358979f;
constexpr s32 kAlertSearch = 0;
constexpr s32 kAlertChase = 3;
constexpr u32 kSightLookAround = 1;
constexpr u32 kSightSearch = 2;
constexpr u32 kSightChase = 3;

}  // namespace

void cAiState_LookAround::Enter() {
  mOwner->SetTurnRate(0.0f);
  const tV2d target = mOwner->GetTargetPosition2D();
  mOwner->FaceTowards(target.x, target.y);
  mOwner->GetFollower().SetRun(false);
  mOwner->SetSight(kSightLookAround);
  mOwner->PlayLookAround();
}

void cAiState_LookAround::Leave() { mOwner->SetWary(true); }

void cAiState_LookAround::Update(f32 dt) {
  (void)dt;
  mOwner->SetTurnRate(0.0f);
  if (mOwner->Perceive()) {
    return;
  }
  if (mOwner->GetModel()->HasWrapped()) {
    mLoops += 1.0f;
  }
  if (mLoops >= cNpc::Settings().lookAroundAnimLoop) {
    mLoops = 0.0f;
    mOwner->SetState(kAiStatePatrol);
  }
}

void cAiState_Pursuit::Leave() { mOwner->SetWary(true); }

bool cAiState_Pursuit::Start(u32 sightSet, bool run) {
  mOwner->SetSight(sightSet);
  mOwner->SetTurnRate(0.0f);
  mOwner->SetAlerted(true);
  // Perception rests its pause on every search and chase.
  mOwner->SetPerceptionClock(0.0f);
  mTimer = 0.0f;
  mLastPosition = mOwner->GetTargetPosition2D();
  mOwner->GetFollower().SetRun(run);
  if (mOwner->GetFollower().PlanNear(mLastPosition.x, mLastPosition.y)) {
    return true;
  }
  mOwner->Turn(kHalfTurn);
  mOwner->SetState(kAiStatePatrol);
  mOwner->SetPerceptionClock(0.0f);
  return false;
}

void cAiState_Search::Enter() { Start(kSightSearch, false); }

void cAiState_Search::Update(f32 dt) {
  mOwner->GetLevel()->RaiseAlertLevel(kAlertSearch);
  if (!mOwner->Perceive()) {
    mTimer += dt;
  }
  // Both switches may follow a perception switch; the last one wins.
  if (mOwner->GetFollower().Step(true)) {
    mOwner->SetState(kAiStateLookAround);
  }
  if (mTimer > cNpc::Settings().searchSearchTime) {
    mOwner->SetState(kAiStatePatrol);
  }
}

void cAiState_Chase::Enter() {
  Start(kSightChase, true);
  cMan* target = mOwner->GetTargetMan();
  const cRecordArray<u32>& route = mOwner->GetFollower().GetRoute();
  const cWaypointGraph* graph = mOwner->GetLevel()->GetWaypointGraph();
  if (target == nullptr || route.GetCount() == 0 || graph == nullptr) {
    return;
  }
  const RwV3d& t = RwFrameGetLTM(target->GetFrame())->pos;
  const RwV3d& me = RwFrameGetLTM(mOwner->GetFrame())->pos;
  const cWaypointGraph::tNode& first = graph->GetNode(route[0]);
  const RwV3d node = {first.x, first.height, first.z};
  if (V3dDistanceSquared(&me, &t) < V3dDistanceSquared(&node, &t)) {
    // A boss's lightning has no opening shot: out of its reach it would hand
    // him straight back here, and he would stand switching between the two
    // every frame instead of chasing.
    if (mOwner->IsBoss()) {
      if (mOwner->GroundDistanceTo(target) < cNpc::Settings().shootDistLimit / 2.0f) {
        mOwner->SetState(kAiStateLightning);
      }
      return;
    }
    static_cast<cAiState_Shoot*>(mOwner->GetStateObject(kAiStateShoot))->SetOpeningShot(true);
    mOwner->SetState(kAiStateShoot);
  }
}

void cAiState_Chase::Update(f32 dt) {
  if (cNpc::IsUltraInUse(mOwner->GetLevel()->GetPlayer())) {
    if (mOwner->Perceive()) {
      mOwner->SetState(kAiStateSearch);
      return;
    }
  }
  mOwner->GetLevel()->RaiseAlertLevel(kAlertChase);
  cManBody* seen = mOwner->GetPerceptor().FindVisible(mOwner->IsTargetHologram() ? kManKindHologram : kManKindPlayer);
  if (seen == nullptr) {
    mTimer += dt;
  } else {
    const RwV3d& p = RwFrameGetLTM(seen->GetFrame())->pos;
    mLastPosition = tV2d{p.x, p.z};
    const f32 d = mOwner->GroundDistanceTo(seen);
    const f32 range = mOwner->GetPerceptionRange(kRangeShoot);
    if (d <= range) {
      // A boss discharges only within half the range; between the two it
      // neither steps nor counts.
      if (!mOwner->IsBoss()) {
        mOwner->SetState(kAiStateShoot);
      } else if (d <= range / 2.0f) {
        mOwner->SetState(kAiStateLightning);
      }
      return;
    }
  }
  if (mOwner->GetFollower().Step(true)) {
    mOwner->SetState(kAiStateLookAround);
    if (seen != nullptr) {
      mTimer += dt;
    }
  }
  if (mTimer > cNpc::Settings().chaseSearchTime) {
    mOwner->SetState(kAiStatePatrol);
  }
}
