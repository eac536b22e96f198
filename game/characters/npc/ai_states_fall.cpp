// States 12 (panic), 10 (knocked down), 11 (dead) and 13 (shock attack).
#include "game/characters/npc/ai_states_fall.h"

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/world/qx_world.h"

namespace {

constexpr s32 kAlertAttack = 4;
constexpr u32 kPanicNode = 0;

bool IsFallSlot(u32 slot) { return slot >= kManAnimCollapse && slot <= kManAnimFallForward2; }

}  // namespace

void cAiState_Panic::Enter() {
  mOwner->GetFollower().SetRun(true);
  mOwner->SetAlerted(true);
  mTimer = 0.0f;
  mOwner->GetFollower().PlanTo(kPanicNode);
}

void cAiState_Panic::Update(f32 dt) {
  mTimer += dt;
  if (mTimer > cNpc::Settings().panicWaypointTime) {
    mOwner->SetState(kAiStatePatrol);
  }
  mOwner->GetFollower().Step(true);
}

void cAiState_KnockedDown::Enter() {
  if (mOwner->IsBoss()) {
    mOwner->AddKnockDown();
    return;
  }
  mOwner->SetTurnRate(0.0f);
  mOwner->Die();
  mOwner->SetAlive(false);
}

void cAiState_KnockedDown::Update(f32 dt) {
  (void)dt;
  if (mOwner->IsBoss()) {
    if (mOwner->GetKnockDowns() < kBossKnockDownsToFall) {
      mOwner->SetState(kAiStateChase);
      return;
    }
    mOwner->PlaySoundAt(kNpcFall, RwFrameGetLTM(mOwner->GetFrame())->pos);
    mOwner->SetBoss(false);
    mOwner->SetTurnRate(0.0f);
    mOwner->Die();
    mOwner->SetAlive(false);
  }
  const cAnimModel* model = mOwner->GetModel();
  if (IsFallSlot(model->GetCurrentIndex()) && model->HasWrapped()) {
    mOwner->SetState(kAiStateDead);
  }
}

void cAiState_Dead::Enter() {
  mOwner->SettleBody();
  mOwner->SetTurnRate(0.0f);
  mOwner->SetSearchableBody(1);
}

void cAiState_ShockAttack::Enter() { mOwner->SetLastShotTime(mOwner->GetShotClock().GetMilliseconds()); }

void cAiState_ShockAttack::Update(f32 dt) {
  (void)dt;
  cQXWorld* level = mOwner->GetLevel();
  level->RaiseAlertLevel(kAlertAttack);
  cManBody* target = mOwner->ChooseTarget();
  if (target == nullptr) {
    mOwner->SetState(kAiStateChase);
    return;
  }
  const RwV3d p = RwFrameGetLTM(target->GetFrame())->pos;
  mOwner->FaceTowards(p.x, p.z);
  const tNpcSettings& s = cNpc::Settings();
  const f32 now = mOwner->GetShotClock().GetMilliseconds();
  if (!(now - mOwner->GetLastShotTime() > s.shootPeriod)) {
    return;
  }
  mOwner->SetLastShotTime(now);
  if (mOwner->GroundDistanceTo(target) > kShockAttackReach) {
    mOwner->SetState(mOwner->IsBoss() ? kAiStateLightning : kAiStateShoot);
    return;
  }
  mOwner->PlayShockAttack();
  static_cast<cMan*>(target)->StartShock(kShockAttackSeconds);
  cDorvaMan* player = level->GetPlayer();
  if (target->GetKind() == kManKindPlayer && player != nullptr) {
    const f32 factor = cNpc::IsHard() ? s.hardHurtFactor : 1.0f;
    player->AddHealth(factor * s.shootDamageLimit / -2.0f);
  }
}
