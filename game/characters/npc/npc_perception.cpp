// cNpc's perception step: what the NPC sees and hears of the player and the
// hologram double, the ranges by kind scaled by the light at the player, and
// the state it switches to.
#include <cmath>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kPi = 3.14159265358979f;
constexpr f32 kHalfDegreeToRadians = kPi / 180.0f * 0.5f;
// The Ultra implant puts the player this much farther from every NPC.
constexpr f32 kUltraDistance = 100.0f;
constexpr f32 kWaryRangeBonus = 2.0f;
constexpr f32 kLightChannels = 3.0f;
constexpr f32 kLightFull = 255.0f;

RwV3d Position(const cManBody* body) { return RwFrameGetLTM(body->GetFrame())->pos; }

}  // namespace

void cNpc::SetSight(u32 set) {
  const tNpcSettings& s = Settings();
  mPerceptor.mSightRange = s.seeDistance[set];
  mPerceptor.mViewAngle = s.seeAngle[set];
  mPerceptor.mCosineLimit = std::cos(s.seeAngle[set] * kHalfDegreeToRadians);
}

f32 cNpc::GetPerceptionRange(u32 kind) const {
  const tNpcSettings& s = Settings();
  switch (kind) {
    case kRangeLookAround:
      return ScaleRangeByLight(s.seeDistance[1]);
    case kRangeSearch:
      return ScaleRangeByLight(s.seeDistance[2]);
    case kRangeChase:
      return ScaleRangeByLight(s.seeDistance[3]);
    case kRangeShoot:
      return ScaleRangeByLight(mBoss != 0 ? s.shootDistance / 2.0f : s.shootDistance);
    case kRangeHear:
      return s.hearDistance;
    default:
      return 0.0f;
  }
}

f32 cNpc::ScaleRangeByLight(f32 range) const {
  f32 brightness = 0.0f;
  const cDorvaMan* player = mLevel->GetPlayer();
  if (player != nullptr && player->GetFrame() != nullptr) {
    const RwV3d p = Position(player);
    u8 colour[3];
    mLevel->GetLightmap().Sample(colour, 0, p.x, p.z);
    brightness = (static_cast<f32>(colour[0]) + colour[1] + colour[2]) / kLightChannels / kLightFull;
  }
  f32 result = range / 2.0f * brightness * Settings().shadowDarkness + range / 2.0f;
  if (mWary != 0) {
    result += kWaryRangeBonus;
  }
  return result;
}

f32 cNpc::GroundDistanceTo(cManBody* target) const {
  const RwV3d a = RwFrameGetLTM(GetFrame())->pos;
  const RwV3d b = Position(target);
  f32 d = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z));
  if (IsUltraInUse(mLevel->GetPlayer())) {
    d += kUltraDistance;
  }
  return d;
}

cManBody* cNpc::ChooseTarget() {
  cManBody* hologram = mPerceptor.FindVisible(kManKindHologram);
  cManBody* player = mPerceptor.FindVisible(kManKindPlayer);
  const cDorvaMan* agent = mLevel->GetPlayer();
  const bool playerDead = agent == nullptr || agent->GetHealth() < kPlayerDeadHealth;
  if (hologram != nullptr && player != nullptr) {
    const RwV3d me = RwFrameGetLTM(GetFrame())->pos;
    const RwV3d h = Position(hologram);
    const RwV3d p = Position(player);
    if (V3dDistanceSquared(&me, &h) < V3dDistanceSquared(&me, &p)) {
      player = nullptr;
    } else {
      hologram = nullptr;
    }
  }
  if (hologram != nullptr) {
    mTargetIsHologram = 1;
    return hologram;
  }
  if (player != nullptr && !playerDead) {
    mTargetIsHologram = 0;
    return player;
  }
  return nullptr;
}

void cNpc::CountAlert(eLevelCounter counter) {
  if (mAlerted != 0 || mTargetIsHologram != 0) {
    return;
  }
  if (cDorvaMan* player = mLevel->GetPlayer()) {
    player->GetStats().AddToCounter(counter);
  }
}

bool cNpc::SeeDeadColleague() {
  cManBody* body = mPerceptor.FindVisible(kManKindGuard);
  // Every body of the guard kind is a man.
  if (body == nullptr || static_cast<cMan*>(body)->IsAlarmReady()) {
    return false;
  }
  SetState(kAiStatePanic);
  return true;
}

bool cNpc::ReactToSight() {
  cManBody* target = ChooseTarget();
  if (target == nullptr) {
    return false;
  }
  const f32 d = GroundDistanceTo(target);
  if (d <= GetPerceptionRange(kRangeChase)) {
    if (GetTypeIndex() == kManTypeCivilian) {
      CountAlert(kCounterCivilianAlerts);
      SetState(kAiStatePanic);
      return true;
    }
    if (GetTypeIndex() == kManTypeGuard) {
      CountAlert(kCounterEnemyAlerts);
      SetState(kAiStateChase);
      return true;
    }
  }
  if (d <= GetPerceptionRange(kRangeSearch)) {
    CountAlert(kCounterEnemyAlerts);
    SetState(kAiStateSearch);
    return true;
  }
  return false;
}

bool cNpc::ReactToHearing() {
  cManBody* heard = mPerceptor.FindAudible(kManKindPlayer);
  if (heard == nullptr) {
    return false;
  }
  if (GroundDistanceTo(heard) > GetPerceptionRange(kRangeHear)) {
    SetState(kAiStateLookAround);
  } else {
    SetState(kAiStateChase);
  }
  return true;
}

bool cNpc::Perceive() {
  if (mPerceptionClock < kPerceptionPause) {
    return false;
  }
  if (mPerceptor.mCollision == nullptr) {
    mPerceptor.mCollision = mLevel->GetWorldObject();
  }
  mTargetIsHologram = 0;
  const bool civilian = GetTypeIndex() == kManTypeCivilian;
  if (civilian && SeeDeadColleague()) {
    return true;
  }
  if (ReactToSight()) {
    return true;
  }
  return civilian ? false : ReactToHearing();
}
