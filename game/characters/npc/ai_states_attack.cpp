// States 8 (gun fire), 7 (pause between bursts) and 9 (lightning), and the
// damage a gun hit does to the player.
#include "game/characters/npc/ai_states_attack.h"

#include <cmath>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/render/effects/lightning_beam.h"
#include "game/render/models/anim_model.h"
#include "game/render/random.h"
#include "game/world/qx_world.h"

namespace {

constexpr s32 kAlertAttack = 4;
constexpr u32 kSightAttack = 4;
constexpr f32 kPi = 3.14159265358979f;
// The pause roll: 20000 x dt / m against a draw of 1 to 100000.
constexpr f32 kPauseWeight = 20000.0f;
constexpr f32 kPauseDrawMaximum = 100000.0f;
// Hit rolls are in thousandths; an opening shot draws past every chance.
constexpr f32 kHitDrawMaximum = 1000.0f;
constexpr f32 kOpeningShotDraw = 1e9f;
constexpr f32 kOpeningWidening = 0.8f;  // distance a second
constexpr f32 kMinimumDistance = 0.001f;
constexpr f32 kCloseRange = 3.0f;
constexpr f32 kCloseWeakest = -0.3f;
constexpr f32 kCloseDamage = -0.7f;
constexpr f32 kPointBlank = 2.0f;
constexpr f32 kPointBlankDamage = -100.0f;
constexpr f32 kChestHeight = 1.4f;
constexpr f32 kMuzzleReach = 0.5f;
constexpr f32 kEffectBack = 0.15f;
constexpr f32 kBlockAhead = 0.1f;
constexpr f32 kImpactAhead = 0.4f;
constexpr f32 kBoltLifetime = 1.0f;  // seconds
constexpr u32 kFlinchLeft = 31;
constexpr u32 kFlinchRight = 32;

RwV3d Position(const RwFrame* frame) { return RwFrameGetLTM(const_cast<RwFrame*>(frame))->pos; }
RwV3d Facing(const RwFrame* frame) { return RwFrameGetLTM(const_cast<RwFrame*>(frame))->at; }
RwV3d Add(const RwV3d& a, const RwV3d& b, f32 s) { return RwV3d{a.x + s * b.x, a.y + s * b.y, a.z + s * b.z}; }
RwV3d Raised(const RwV3d& p, f32 h) { return RwV3d{p.x, p.y + h, p.z}; }

RwV3d DirectionFrom(const RwV3d& from, const RwV3d& to) {
  RwV3d d = {to.x - from.x, to.y - from.y, to.z - from.z};
  V3dNormalize(&d);
  return d;
}

}  // namespace

tShot cAiState_Shoot::ComputeShot(f32 d, f32 range, f32 distanceLimit, const tNpcSettings& s) {
  tShot shot = {false, -s.shootDamage, s.shootSuccess};
  if (!(d < range)) {
    return shot;
  }
  shot.inRange = true;
  d = d > kMinimumDistance ? d : kMinimumDistance;
  f32 damage = shot.damage * distanceLimit / d;
  if (damage < -s.shootDamageLimit) {
    damage = -s.shootDamageLimit;
  }
  if (d < kCloseRange) {
    damage = (damage + 1.0f) * damage + damage;
    if (damage > kCloseWeakest) {
      damage = kCloseDamage;
    }
  }
  if (d < kPointBlank) {
    damage = kPointBlankDamage;
  }
  shot.damage = damage;
  shot.success = 1.0f - (1.0f - s.shootSuccess) * d / distanceLimit;
  return shot;
}

void cAiState_Shoot::Enter() {
  mOwner->SetSight(kSightAttack);
  mOwner->PlayShoot();
  // The NPC's own limit: opening shots widen it for this attack only.
  mDistanceLimit = cNpc::Settings().shootDistLimit;
  if (mOwner->IsBoss()) {
    mOpeningShot = 0;
  }
  if (mOpeningShot != 0) {
    cManBody* target = mOwner->ChooseTarget();
    if (target == nullptr) {
      mOpeningShot = 0;
      mOwner->SetState(kAiStatePatrol);
      return;
    }
    const RwV3d p = Position(target->GetFrame());
    mOwner->FaceTowards(p.x, p.z);
  }
}

void cAiState_Shoot::Leave() {
  mOpeningShot = 0;
  mDistanceLimit = cNpc::Settings().shootDistLimit;
}

void cAiState_Shoot::Update(f32 dt) {
  cQXWorld* level = mOwner->GetLevel();
  if (cNpc::IsUltraInUse(level->GetPlayer()) && mOwner->Perceive()) {
    mOwner->SetState(kAiStateSearch);
    return;
  }
  level->RaiseAlertLevel(kAlertAttack);
  cManBody* target = mOwner->ChooseTarget();
  if (target == nullptr) {
    mOwner->SetState(kAiStateChase);
    return;
  }
  const RwV3d targetPosition = Position(target->GetFrame());
  mOwner->FaceTowards(targetPosition.x, targetPosition.z);
  const f32 d = mOwner->GroundDistanceTo(target);
  const f32 m = static_cast<f32>(mShotsLeft >= 3 ? mShotsLeft : 1);
  if (kPauseWeight * dt / m > RandomFloat(1.0f, kPauseDrawMaximum)) {
    mShotsLeft = kBurstShots;
    mOwner->SetState(kAiStateShotPause);
    return;
  }
  const f32 now = mOwner->GetShotClock().GetMilliseconds();
  const tNpcSettings& s = cNpc::Settings();
  if (!(now - mOwner->GetLastShotTime() > s.shootPeriod)) {
    return;
  }
  const tShot shot = ComputeShot(d, mOwner->GetPerceptionRange(kRangeShoot), mDistanceLimit, s);
  if (shot.inRange) {
    mOpeningShot = 0;
  } else if (mOpeningShot == 0) {
    mOwner->SetState(kAiStateChase);
    return;
  }
  if (mOpeningShot != 0) {
    mDistanceLimit += kOpeningWidening * dt;
  }
  const RwV3d me = Position(mOwner->GetFrame());
  mOwner->PlaySoundAt(kNpcShoot, me);
  const f32 draw = mOpeningShot != 0 ? kOpeningShotDraw : RandomFloat(0.0f, kHitDrawMaximum);
  const RwV3d muzzle = Add(Raised(me, kChestHeight), Facing(mOwner->GetFrame()), kMuzzleReach);
  if (!(shot.success * kHitDrawMaximum > draw)) {
    const f32 a = RandomFloat(0.0f, 1000.0f);
    const f32 b = RandomFloat(-1000.0f, 1000.0f);
    const RwV3d aim = {targetPosition.x, targetPosition.y + a / 1000.0f, targetPosition.z + b / 1000.0f};
    mOwner->StartEffect(kEffectMuzzle, "data/implants/particles_gunshot.txt", muzzle, DirectionFrom(muzzle, aim));
    mOwner->SetLastShotTime(now);
    return;
  }
  mOwner->StartEffect(kEffectMuzzle, "data/implants/particles_gunshot.txt", muzzle,
                      DirectionFrom(muzzle, targetPosition));
  Hit(target, shot.damage);
  mShotsLeft--;
  if (mShotsLeft < 0) {
    mShotsLeft = kBurstShots;
    mOwner->SetState(kAiStateShotPause);
    return;
  }
  mOwner->SetLastShotTime(now);
}

void cAiState_Shoot::Hit(cManBody* target, f32 damage) {
  cDorvaMan* player = mOwner->GetLevel()->GetPlayer();
  if (target->GetKind() != kManKindPlayer || player == nullptr) {
    return;
  }
  mOwner->DeleteEffect(kEffectImpact);
  const RwV3d p = Position(player->GetFrame());
  const RwV3d npcFacing = Facing(mOwner->GetFrame());
  const RwV3d playerFacing = Facing(player->GetFrame());
  const RwV3d chest = Raised(p, kChestHeight);
  if (!cNpc::IsShieldActive(player)) {
    mOwner->StartEffect(kEffectImpact, "data/implants/particles_gunhit.txt", Add(chest, npcFacing, -kEffectBack),
                        npcFacing);
    HurtPlayer(damage);
    return;
  }
  const tV2d me = mOwner->GetPosition2D();
  const tV2d toNpc = {me.x - p.x, me.y - p.z};
  const f32 a = toNpc.AngleBetween(tV2d{playerFacing.x, playerFacing.z});
  const f32 half = PlayerSettings().vestAngle / 2.0f;
  if (a < half || a > 2.0f * kPi - half) {
    cNpc::TellShieldBlocked(player);
    mOwner->PlaySoundAt(kNpcHurtShield, p);
    mOwner->StartEffect(kEffectImpact, "data/implants/particles_gunblock.txt",
                        Add(Add(chest, playerFacing, kBlockAhead), npcFacing, kEffectBack), npcFacing);
    return;
  }
  mOwner->StartEffect(kEffectImpact, "data/implants/particles_gunimpact.txt",
                      Add(Add(chest, playerFacing, kImpactAhead), npcFacing, -kEffectBack), npcFacing);
  HurtPlayer(damage);
}

void cAiState_Shoot::HurtPlayer(f32 amount) {
  cQXWorld* level = mOwner->GetLevel();
  cDorvaMan* player = level->GetPlayer();
  if (player == nullptr) {
    return;
  }
  amount *= mOwner->GetLooserFactor();
  if (cNpc::IsHard()) {
    amount *= cNpc::Settings().hardHurtFactor;
  }
  if (level->IsHiddenMode() != 0) {
    amount = 0.0f;
  }
  const RwV3d p = Position(player->GetFrame());
  mOwner->PlaySoundAt(kNpcHurtPlain, p);
  player->StartHitTimer();
  player->AddHealth(amount);
  player->GetStats().AddToCounter(kCounterHitsTaken);
  const RwV3d me = Position(mOwner->GetFrame());
  const RwV3d& side = RwFrameGetLTM(player->GetFrame())->right;
  const f32 s = (p.x - me.x) * side.x + (p.y - me.y) * side.y + (p.z - me.z) * side.z;
  player->GetModel()->StartTransition(s <= 0.0f ? kFlinchLeft : kFlinchRight);
}

void cAiState_ShotPause::Enter() {
  mOwner->PlayShotPause();
  mReturnState = mOwner->GetPreviousState();
}

void cAiState_ShotPause::Update(f32 dt) {
  (void)dt;
  const tV2d target = mOwner->GetTargetPosition2D();
  mOwner->FaceTowards(target.x, target.y);
  if (mOwner->GetModel()->HasWrapped()) {
    mOwner->Stand();
    mOwner->SetState(mReturnState);
  }
}

void cAiState_Lightning::Enter() {
  mOwner->SetSight(kSightAttack);
  mOwner->PlayUse();
  mOwner->SetLastShotTime(mOwner->GetShotClock().GetMilliseconds());
}

void cAiState_Lightning::Update(f32 dt) {
  (void)dt;
  cQXWorld* level = mOwner->GetLevel();
  cDorvaMan* player = level->GetPlayer();
  if (cNpc::IsUltraInUse(player) && mOwner->Perceive()) {
    mOwner->SetState(kAiStateSearch);
    return;
  }
  level->RaiseAlertLevel(kAlertAttack);
  const tV2d aim = mOwner->GetTargetPosition2D();
  mOwner->FaceTowards(aim.x, aim.y);
  cManBody* target = mOwner->ChooseTarget();
  if (target == nullptr) {
    mOwner->SetState(kAiStateChase);
    return;
  }
  const tNpcSettings& s = cNpc::Settings();
  const f32 now = mOwner->GetShotClock().GetMilliseconds();
  if (!(now - mOwner->GetLastShotTime() > s.shootPeriod2)) {
    return;
  }
  f32 d = mOwner->GroundDistanceTo(target);
  if (d >= s.shootDistLimit / 2.0f) {
    mOwner->SetState(kAiStateChase);
    return;
  }
  d = d > kMinimumDistance ? d : kMinimumDistance;
  f32 damage = -2.0f * s.shootDamage2 / d;
  if (damage < -s.shootDamageLimit2) {
    damage = -s.shootDamageLimit2;
  }
  // A newer bolt takes the pointers; one still in the scene ends by itself.
  cLightningBeam* bolt = new cLightningBeam(level);
  bolt->SetLifetime(kBoltLifetime);
  mOwner->LightningBolt() = bolt;
  bolt->AddOwner(&mOwner->LightningBolt());
  cMan* targetMan = static_cast<cMan*>(target);
  if (target->GetKind() == kManKindPlayer && player != nullptr) {
    player->LightningBolt() = bolt;
    bolt->AddOwner(&player->LightningBolt());
    mOwner->PlaySoundAt(kNpcBossShoot, Position(mOwner->GetFrame()));
    mOwner->PlaySoundAt(kNpcHurtPlain, Position(player->GetFrame()));
    player->StartHitTimer();
    if (cNpc::IsHard()) {
      damage *= s.hardHurtFactor;
    }
    player->AddHealth(damage);
    player->GetStats().AddToCounter(kCounterHitsTaken);
  }
  bolt->SetEnds(mOwner->GetModel(), targetMan->GetModel());
  mOwner->SetLastShotTime(now);
}
