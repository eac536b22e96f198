// cNpc: construction with its states, the state switch, the frame (camera
// range, awareness icon, the state's update, hiding fallen bodies), respawn,
// the men file's keys, the checkpoint and the steering helpers.
#include "game/characters/npc/npc.h"

#include <cmath>

#include "game/characters/npc/ai_states.h"
#include "game/characters/npc/ai_states_walk.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/foundation/property.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/effects/lightning_beam.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/camera.h"
#include "game/world/devices/door.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kPi = 3.14159265358979f;
constexpr f32 kTwoPi = 2.0f * kPi;
constexpr f32 kDegreesToRadians = kPi / 180.0f;
constexpr f32 kPercent = 100.0f;

struct tNpcSoundSetup {
  const char* name;
  f32 minDistance;
  f32 maxDistance;
  f32 volume;
};
const tNpcSoundSetup kSoundSetups[kNpcSoundCount] = {
    {"sfx/pl_hurt_plain", 5.0f, 500.0f, 0.25f}, {"sfx/pl_hurt_shield", 20.0f, 500.0f, 0.25f},
    {"sfx/en_shoot", 150.0f, 500.0f, 2.5f},     {"sfx/en_bossshoot", 150.0f, 500.0f, 1.0f},
    {"sfx/en_fall", 20.0f, 500.0f, 1.0f},
};

// The awareness icon of a state; null for none.
const char* IconFileOf(u32 state) {
  switch (state) {
    case kAiStateLookAround:
    case kAiStateChase:
      return "data/implants/particles_enemyquestion.txt";
    case kAiStateSearch:
      return "data/implants/particles_enemyalert.txt";
    case kAiStateShotPause:
    case kAiStateShoot:
    case kAiStateLightning:
      return "data/implants/particles_enemyattack.txt";
    default:
      return nullptr;
  }
}

// The slots the AI states start by name: standing and the route's gaits
// (Stand, Walk, Run), a door's use and a boss's discharge (PlayUse), looking
// around, the pause between shots, the shot and the shock attack. The falls
// of Die and the lying poses of SettleBody follow them in the table.
const u32 kStateAnims[] = {kManAnimStand,      kManAnimWalk,      kManAnimRun,   kManAnimUse,
                           kManAnimLookAround, kManAnimShotPause, kManAnimShoot, kManAnimShockAttack};

tNpcPlayerHooks sPlayerHooks;

}  // namespace

RwFrame* cNpcPerceptor::GetPerceptorFrame() const { return mOwner->GetFrame(); }

cNpc::cNpc(u32 kind, u32 typeIndex, cQXWorld* world)
    : cMan(kind, typeIndex),
      mPerceptor(this),
      mHiddenTime(0.0f),
      mEnergy(kNpcStartEnergy),
      mBoss(0),
      mActive(1),
      mKnockDowns(0),
      mPerceptionClock(kPerceptionClockStart),
      mLooserFactor(1.0f),
      mWary(0),
      mAlerted(0),
      mTargetIsHologram(0),
      mLastShotTime(0.0f),
      mAlive(1),
      mDead(0),
      mIcon(nullptr),
      mEffects{nullptr, nullptr},
      mLightningBolt(nullptr),
      mIconState(kAiStateNone),
      mStates{},
      mFollower(this),
      mCurrentState(kAiStateNone),
      mPreviousState(kAiStateNone),
      mDownTime(0.0f),
      mLevel(world),
      mStartPosition{0.0f, 0.0f, 0.0f},
      mStartNode(0),
      mHasStartNode(0),
      mPropertiesRead(0) {
  const tNpcSettings& s = Settings();
  mPerceptor.mEyeOffset = s.perceptorPoint;
  mPerceptor.mHearingRange = s.hearDistance;
  mPerceptor.mSightRange = s.seeDistance[0];
  mPerceptor.SetViewAngle(s.seeAngle[0]);
  mPerceptor.mCollision = world->GetWorldObject();
  mPerceptor.mBodies = &world->GetBodies();
  SetPerceivableOffset(RwV3d{0.0f, kNpcPerceivableHeight, 0.0f});
  for (u32 i = 0; i < kNpcSoundCount; i++) {
    mSounds[i].Create(kSoundSetups[i].name);
    mSounds[i].SetMinMaxDistance(kSoundSetups[i].minDistance, kSoundSetups[i].maxDistance);
    mSounds[i].SetVolume(kSoundSetups[i].volume);
  }
  for (u32 state = 0; state < kAiStateCount; state++) {
    mStates[state] = CreateAiState(state, this);
  }
  Settings().lookAroundAnimLoop = 1.0f;
  world->GetUpdateList().Append(&mShotClock);
}

cNpc::~cNpc() {
  DeleteIcon();
  for (u32 slot = 0; slot < kNpcEffectCount; slot++) {
    DeleteEffect(slot);
  }
  if (mLightningBolt != nullptr) {
    mLightningBolt->RemoveOwner(&mLightningBolt);
  }
  for (cAiState*& state : mStates) {
    delete state;
    state = nullptr;
  }
  mShotClock.Unlink();
}

bool PlayerUltraInUse(const cDorvaMan* player) { return player->IsUltraInUse(); }
bool PlayerShieldActive(const cDorvaMan* player) { return player->IsShieldActive(); }
void PlayerShieldBlocked(cDorvaMan* player) { player->BlockShot(); }

void cNpc::SetPlayerHooks(const tNpcPlayerHooks& hooks) { sPlayerHooks = hooks; }

bool cNpc::IsUltraInUse(const cDorvaMan* player) {
  return player != nullptr && sPlayerHooks.ultraInUse != nullptr && sPlayerHooks.ultraInUse(player);
}

bool cNpc::IsShieldActive(const cDorvaMan* player) {
  return player != nullptr && sPlayerHooks.shieldActive != nullptr && sPlayerHooks.shieldActive(player);
}

void cNpc::TellShieldBlocked(cDorvaMan* player) {
  if (player != nullptr && sPlayerHooks.shieldBlocked != nullptr) {
    sPlayerHooks.shieldBlocked(player);
  }
}

bool cNpc::IsHard() { return gSaveProfiles != nullptr && gSaveProfiles->GetHard() != 0; }

bool cNpc::StatesPlayAnim(u32 slot) {
  if (slot >= kManAnimCollapse && slot <= kManAnimLieForward2) {
    return true;
  }
  for (u32 anim : kStateAnims) {
    if (anim == slot) {
      return true;
    }
  }
  return false;
}

void cNpc::SettleBody() {
  cMan::SettleBody();
  DeleteIcon();
}

void cNpc::StartEffect(u32 slot, const char* file, const RwV3d& position, const RwV3d& direction) {
  DeleteEffect(slot);
  if (mLevel->GetEngineWorld() == nullptr) {
    return;
  }
  mEffects[slot] = new cMultiParticleSystem;
  mEffects[slot]->Load(mLevel, file, position, direction);
}

void cNpc::DeleteEffect(u32 slot) {
  delete mEffects[slot];
  mEffects[slot] = nullptr;
}

void cNpc::PlaySoundAt(eNpcSound sound, const RwV3d& position) {
  mSounds[sound].SetPosition(&position);
  mSounds[sound].Play();
}

tV2d cNpc::GetTargetPosition2D() const {
  const cMan* target = GetTargetMan();
  if (target == nullptr || target->GetFrame() == nullptr) {
    return GetPosition2D();
  }
  const RwV3d& p = RwFrameGetLTM(target->GetFrame())->pos;
  return tV2d{p.x, p.z};
}

void cNpc::SetState(u32 state) {
  if (mDead != 0 || state == mCurrentState || state >= kAiStateCount) {
    return;
  }
  mPreviousState = mCurrentState;
  mCurrentState = state;
  if (mPreviousState != kAiStateNone && mStates[mPreviousState] != nullptr) {
    mStates[mPreviousState]->Leave();
  }
  if (mStates[state] != nullptr) {
    mStates[state]->Enter();
  }
}

bool cNpc::Update(f32 dt) {
  mPerceptionClock += dt;
  if (mDead != 0) {
    mHiddenTime += dt;
    if (mHiddenTime > kRespawnTime) {
      Respawn();
    }
    DeleteIcon();
    return false;
  }
  if (!UpdateActivity()) {
    if (mAlive == 0) {
      UpdateFallenBody(dt);
    }
    return false;
  }
  UpdateEffects();
  UpdateIcon();
  cMan::Update(dt);
  if (mCurrentState == kAiStateNone) {
    SetState(kAiStatePatrol);
  }
  if (mCurrentState < kAiStateCount && mStates[mCurrentState] != nullptr) {
    mStates[mCurrentState]->Update(dt);
  }
  if (mAlive == 0 && mDead == 0) {
    UpdateFallenBody(dt);
  }
  return false;
}

bool cNpc::GetCameraPosition(RwV3d* out) const {
  cCamera* camera = mLevel->GetCamera(0);
  if (camera == nullptr || camera->GetFrame() == nullptr) {
    return false;
  }
  *out = RwFrameGetLTM(camera->GetFrame())->pos;
  return true;
}

bool cNpc::UpdateActivity() {
  RwV3d eye;
  if (!GetCameraPosition(&eye) || GetFrame() == nullptr) {
    return mActive != 0;
  }
  const RwV3d& p = RwFrameGetLTM(GetFrame())->pos;
  const f32 d = std::sqrt(V3dDistanceSquared(&p, &eye));
  // A fallen body keeps lying whichever way the camera goes.
  if (mActive != 0 && d > mLevel->GetAiDistance()) {
    mActive = 0;
    if (mAlive != 0) {
      Stand();
    }
  } else if (mActive == 0 && d <= mLevel->GetAiDistance()) {
    mActive = 1;
    if (mAlive != 0) {
      Walk();
    }
  }
  return mActive != 0;
}

void cNpc::UpdateEffects() {
  for (u32 slot = 0; slot < kNpcEffectCount; slot++) {
    if (mEffects[slot] != nullptr && mEffects[slot]->IsFinished()) {
      DeleteEffect(slot);
    }
  }
  if (mIcon == nullptr || GetFrame() == nullptr) {
    return;
  }
  if (mIcon->IsFinished()) {
    mIcon->AddToWorld();
  }
  const RwV3d& p = RwFrameGetLTM(GetFrame())->pos;
  mIcon->SetPosition(RwV3d{p.x, p.y + kIconHeight, p.z}, RwV3d{0.0f, 1.0f, 0.0f});
}

void cNpc::UpdateIcon() {
  if (mCurrentState == mIconState) {
    return;
  }
  mIconState = mCurrentState;
  DeleteIcon();
  const char* file = IconFileOf(mCurrentState);
  if (file == nullptr || GetFrame() == nullptr || mLevel->GetEngineWorld() == nullptr) {
    return;
  }
  const RwV3d& p = RwFrameGetLTM(GetFrame())->pos;
  mIcon = new cMultiParticleSystem;
  mIcon->Load(mLevel, file, RwV3d{p.x, p.y + kIconHeight, p.z}, RwV3d{0.0f, 1.0f, 0.0f});
}

void cNpc::DeleteIcon() {
  delete mIcon;
  mIcon = nullptr;
}

bool cNpc::IsBodyInView() const {
  cCamera* camera = mLevel->GetCamera(0);
  RpAtomic* atomic = GetModel() != nullptr && GetModel()->GetClumpObject() != nullptr
                         ? GetModel()->GetClumpObject()->GetFirstAtomic()
                         : nullptr;
  if (camera == nullptr || camera->GetCamera() == nullptr || atomic == nullptr) {
    return false;
  }
  return RwCameraFrustumTestSphere(camera->GetCamera(), RpAtomicGetWorldBoundingSphere(atomic)) != kRwSphereOutside;
}

void cNpc::UpdateFallenBody(f32 dt) {
  if (IsBodyInView()) {
    mDownTime = 0.0f;
    return;
  }
  mDownTime += dt;
  if (mDownTime > Settings().deadHideTime) {
    mLevel->RemoveClump(GetModel()->GetClumpObject());
    mDead = 1;
    SetSearchableBody(0);
    mHiddenTime = 0.0f;
  }
}

void cNpc::PlaceAtNode(u32 node) {
  mFollower.PlaceAt(node);
  const cWaypointGraph::tNode& n = mLevel->GetWaypointGraph()->GetNode(node);
  const RwV3d position = {n.x, n.height, n.z};
  RwMatrix* matrix = RwFrameGetMatrix(GetFrame());
  matrix->pos = position;
  RwMatrixUpdate(matrix);
  RwFrameMarkDirty(GetFrame());
}

void cNpc::Respawn() {
  if (mDead != 0) {
    mLevel->AddClump(GetModel()->GetClumpObject());
  }
  SetSearchableBody(0);
  mEnergy = kNpcStartEnergy;
  GetModel()->RestoreBounds();
  mAlive = 1;
  mAlerted = mWary = mTargetIsHologram = mDead = 0;
  mKnockDowns = 0;
  mDownTime = 0.0f;
  mHiddenTime = 0.0f;
  mPerceptionClock = kPerceptionClockStart;
  // An empty route has no first node: the start node, or the start place.
  if (mPatrolList.GetCount() > 0) {
    PlaceAtNode(mPatrolList[0]);
  } else if (mHasStartNode != 0) {
    PlaceAtNode(mStartNode);
  } else {
    RwMatrix* matrix = RwFrameGetMatrix(GetFrame());
    matrix->pos = mStartPosition;
    RwMatrixUpdate(matrix);
    RwFrameMarkDirty(GetFrame());
  }
  // Back at the start of his round he plans it from there, as at the level's
  // start. One already on patrol would walk on along his old route, from
  // wherever it had brought him, through the walls between.
  static_cast<cAiState_Patrol*>(mStates[kAiStatePatrol])->SetPatrolIndex(0);
  if (mCurrentState == kAiStatePatrol) {
    mStates[kAiStatePatrol]->Enter();
  } else {
    SetState(kAiStatePatrol);
  }
}

void cNpc::ReadProperties(const cPropertyGroup* group) {
  const cWaypointGraph* graph = mLevel->GetWaypointGraph();
  const u32 nodes = graph != nullptr ? graph->GetNodeCount() : 0;
  RwV3d position = {0.0f, 0.0f, 0.0f};
  mHasStartNode = 0;
  if (const cProperty* property = group->FindProperty(cString("STARTPOINT"))) {
    const s32 start = property->GetS32Fatal();
    if (start >= 1 && static_cast<u32>(start) <= nodes) {
      mStartNode = static_cast<u32>(start - 1);
      mHasStartNode = 1;
      mFollower.PlaceAt(mStartNode);
      const cWaypointGraph::tNode& n = graph->GetNode(mStartNode);
      position = RwV3d{n.x, n.height, n.z};
    }
  }
  RwFrame* frame = GetFrame();
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  mStartPosition = position;
  SetReferencePosition(position);
  if (const cProperty* property = group->FindProperty(cString("ANGLE"))) {
    // Like the men's own ANGLE: a heading that a restart sets again, never
    // one added to the last.
    SetHeading(property->GetF32Fatal() * kDegreesToRadians);
  }
  mLooserFactor = 1.0f;
  if (const cProperty* property = group->FindProperty(cString("LOOSER"))) {
    mLooserFactor = property->GetF32Fatal() / kPercent;
  }
  mPatrolList.Resize(0, 0);
  if (const cProperty* property = group->FindProperty(cString("WAYPOINTS"))) {
    cString list;
    const u32 count = property->GetValue().FindArray(&list, '[', ']');
    cRecordArray<u32> valid;
    valid.Resize(count, 0);
    u32 kept = 0;
    for (u32 i = 0; i < count; i++) {
      cString element;
      list.SliceNextElement(&element);
      element.Trim();
      const s32 n = TextToS32(element);
      if (n >= 1 && static_cast<u32>(n) <= nodes) {
        valid[kept++] = static_cast<u32>(n - 1);
      }
    }
    valid.Resize(kept, 0);
    CopyNodeList(&mPatrolList, valid);
  }
  // The level's restart reads the group again: the NPC comes back alive on
  // its route, a hidden body too.
  if (mPropertiesRead != 0) {
    Respawn();
  }
  mPropertiesRead = 1;
}

u32 cNpc::GetAlertStage() const {
  switch (mCurrentState) {
    case kAiStateLookAround:
      return 1;
    case kAiStateSearch:
      return 2;
    case kAiStateChase:
      return 3;
    case kAiStateShoot:
      return 4;
    default:
      return 0;
  }
}

void cNpc::KnockDown() {
  // A body already down is not knocked down again, nor counted twice.
  if (mAlive == 0) {
    return;
  }
  if (cDorvaMan* player = mLevel->GetPlayer()) {
    player->GetStats().AddToCounter(kCounterEnemiesNeutralised);
  }
  SetState(kAiStateKnockedDown);
}

bool cNpc::SearchBody(f32 dt) {
  mEnergy -= dt * kPercent / PlayerSettings().searchSpeed;
  if (mEnergy < 0.0f) {
    SetSearchableBody(0);
    return true;
  }
  return false;
}

void cNpcCivilian::OnAlarm() {
  if (IsAlive()) {
    SetState(kAiStatePanic);
  }
}

void cNpcGuard::OnAlarm() {
  if (IsAlive()) {
    SetState(kAiStateChase);
  }
}

tV2d cNpc::GetPosition2D() const {
  const RwV3d& p = RwFrameGetLTM(GetFrame())->pos;
  return tV2d{p.x, p.z};
}

void cNpc::FaceTowards(f32 x, f32 z) {
  const tV2d p = GetPosition2D();
  SetHeading(std::atan2(x - p.x, z - p.y));
}

f32 cNpc::WrapAngle(f32 radians) {
  f32 a = std::fmod(radians, kTwoPi);
  if (a < 0.0f) {
    a += kTwoPi;
  }
  if (a > kPi) {
    a -= kTwoPi;
  }
  return a;
}

void cNpc::TurnTowards(f32 x, f32 z) {
  const RwMatrix* ltm = RwFrameGetLTM(GetFrame());
  const tV2d p = GetPosition2D();
  const f32 d = WrapAngle(std::atan2(x - p.x, z - p.y) - std::atan2(ltm->at.x, ltm->at.z));
  if (std::fabs(d) > kSteerDeadAngle) {
    SetTurnRate(d >= 0.0f ? kSteerTurnRate : -kSteerTurnRate);
  } else {
    SetTurnRate(0.0f);
  }
}

cDoor* cNpc::FindClosedDoor() {
  cWaypointGraph* graph = mLevel->GetWaypointGraph();
  const u32 a = mFollower.GetPreviousNode();
  const u32 b = mFollower.GetCurrentNode();
  if (graph == nullptr || a == b) {
    return nullptr;
  }
  cDoor* door = graph->FindEdge(a, b);
  if (door == nullptr || door->GetState() == kDoorOpen) {
    return nullptr;
  }
  // The line of kDoorLookReach along the facing, kDoorLookHeight up, must
  // cross the doorway.
  const RwMatrix* ltm = RwFrameGetLTM(GetFrame());
  const RwV2d start = {ltm->pos.x, ltm->pos.z};
  RwV2d ahead = {ltm->at.x, ltm->at.z};
  V2dNormalized(&ahead, &ahead);
  const tSegment2d look(start, RwV2d{start.x + kDoorLookReach * ahead.x, start.y + kDoorLookReach * ahead.y});
  tSegment2d doorway(RwV2d{0.0f, 0.0f}, RwV2d{0.0f, 0.0f});
  door->GetDoorwaySegment(&doorway);
  if (doorway.length <= 0.0f || !look.CrossesWithin(doorway) || !doorway.CrossesWithin(look)) {
    return nullptr;
  }
  return door;
}

cMan* cNpc::GetTargetMan() const {
  if (mTargetIsHologram != 0) {
    return mLevel->GetHologram();
  }
  return mLevel->GetPlayer();
}

void cNpc::SaveState() {
  cMan::SaveState();
  tNpcCheckpoint& c = mCheckpoint;
  c.alerted = mAlerted;
  c.boss = mBoss;
  c.wary = mWary;
  c.alive = mAlive;
  c.targetIsHologram = mTargetIsHologram;
  c.dead = mDead;
  c.knockDowns = mKnockDowns;
  c.perceptionClock = mPerceptionClock;
  c.energy = mEnergy;
  c.hiddenTime = mHiddenTime;
  c.previousState = mPreviousState;
  c.shotClock = mShotClock.GetMilliseconds();
  c.shotClockMark = mShotClock.GetStartMark();
  c.patrolIndex = static_cast<cAiState_Patrol*>(mStates[kAiStatePatrol])->GetPatrolIndex();
  c.door = static_cast<cAiState_OpenDoor*>(mStates[kAiStateOpenDoor])->GetDoor();
  mFollower.Save(&c.follower);
  SaveStateFields(this, &c);
  c.settings = Settings();
  const bool chasing = mCurrentState == kAiStateSearch || mCurrentState == kAiStateChase ||
                       mCurrentState == kAiStateShoot || mCurrentState == kAiStateLightning;
  c.savedState = chasing ? static_cast<u32>(kAiStatePatrol) : mCurrentState;
}

void cNpc::RestoreState() {
  Respawn();
  cMan::RestoreState();
  const tNpcCheckpoint& c = mCheckpoint;
  mAlerted = c.alerted;
  mBoss = c.boss;
  mWary = c.wary;
  mAlive = c.alive;
  mTargetIsHologram = c.targetIsHologram;
  mKnockDowns = c.knockDowns;
  mPerceptionClock = c.perceptionClock;
  mEnergy = c.energy;
  mHiddenTime = c.hiddenTime;
  mPreviousState = c.previousState;
  mShotClock.SetMilliseconds(c.shotClock);
  mShotClock.SetStartMark(c.shotClockMark);
  static_cast<cAiState_Patrol*>(mStates[kAiStatePatrol])->SetPatrolIndex(c.patrolIndex);
  static_cast<cAiState_OpenDoor*>(mStates[kAiStateOpenDoor])->SetDoor(c.door);
  mFollower.Restore(c.follower);
  RestoreStateFields(this, c);
  // Only the settings a checkpoint keeps go back.
  tNpcSettings& s = Settings();
  s.chaseSearchTime = c.settings.chaseSearchTime;
  s.deadHideTime = c.settings.deadHideTime;
  s.hearDistance = c.settings.hearDistance;
  s.lookAroundAnimLoop = c.settings.lookAroundAnimLoop;
  s.perceptorPoint = c.settings.perceptorPoint;
  s.searchSearchTime = c.settings.searchSearchTime;
  s.shadowDarkness = c.settings.shadowDarkness;
  s.shootPeriod = c.settings.shootPeriod;
  s.shootDamage2 = c.settings.shootDamage2;
  s.shootDamageLimit2 = c.settings.shootDamageLimit2;
  s.shootPeriod2 = c.settings.shootPeriod2;
  mCurrentState = c.savedState;
  if (mAlive == 0) {
    mDead = 1;
    mLevel->RemoveClump(GetModel()->GetClumpObject());
  } else {
    mDead = 0;
  }
}
