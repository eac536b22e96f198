// The non-player characters: civilians, guards and gangsters. An NPC owns a
// table of AI states, a perceptor (its eyes and ears), a route follower over
// the level's waypoint graph, five sounds and the awareness icon over its
// head. Each frame it acts only near the camera, runs its current state, and
// hides a fallen body nobody looks at; a hidden NPC comes back on its route
// after kRespawnTime seconds.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/man.h"
#include "game/characters/npc/ai_state.h"
#include "game/characters/npc/npc_settings.h"
#include "game/characters/npc/route_follower.h"
#include "game/characters/npc/v2d.h"
#include "game/characters/player/level_stats.h"
#include "game/foundation/updatable.h"
#include "game/render/record_array.h"
#include "game/world/sensors/perceptor.h"

class cDoor;
class cDorvaMan;
class cLightningBeam;
class cMultiParticleSystem;
class cPropertyFile;

constexpr f32 kNpcStartEnergy = 100.0f;
// Perception rests until its pause clock (seconds) reaches this.
constexpr f32 kPerceptionPause = 4.0f;
constexpr f32 kPerceptionClockStart = 1000.0f;
constexpr f32 kRespawnTime = 120.0f;  // seconds hidden
// The awareness icon floats this high over the NPC's feet.
constexpr f32 kIconHeight = 2.0f;
// Doors are looked for this high along the NPC's facing.
constexpr f32 kDoorLookHeight = 1.05f;
// How far ahead of the NPC a door must stand to stop it.
constexpr f32 kDoorLookReach = 1.0f;
// Walking steers at this rate until the node is within the dead angle.
constexpr f32 kSteerTurnRate = 4.712389f;     // radians per second
constexpr f32 kSteerDeadAngle = 0.17453292f;  // radians, 10 degrees
constexpr f32 kNpcPerceivableHeight = 1.7f;

// The sounds an NPC plays, in their load order.
enum eNpcSound : u32 { kNpcHurtPlain, kNpcHurtShield, kNpcShoot, kNpcBossShoot, kNpcFall, kNpcSoundCount };

// Range kinds of GetPerceptionRange.
enum ePerceptionRange : u32 {
  kRangeLookAround = 0,
  kRangeSearch = 1,
  kRangeChase = 2,
  kRangeShoot = 3,
  kRangeHear = 4,
};

class cNpc;

// The player's implants as the NPCs see them.
bool PlayerUltraInUse(const cDorvaMan* player);
bool PlayerShieldActive(const cDorvaMan* player);
void PlayerShieldBlocked(cDorvaMan* player);

// What the NPCs ask of the player's implants: by default the player's own
// answers; a null entry is never in use and never blocks.
struct tNpcPlayerHooks {
  bool (*ultraInUse)(const cDorvaMan* player) = PlayerUltraInUse;      // Ultra not idle
  bool (*shieldActive)(const cDorvaMan* player) = PlayerShieldActive;  // shield on
  void (*shieldBlocked)(cDorvaMan* player) = PlayerShieldBlocked;      // it blocked a shot
};

// The two effect slots of the shooting states.
enum eNpcEffect : u32 { kEffectMuzzle = 0, kEffectImpact = 1, kNpcEffectCount };

// The NPC's eyes and ears on its model frame.
class cNpcPerceptor : public cPerceptor {
 public:
  explicit cNpcPerceptor(cNpc* owner) : mOwner(owner) {}
  RwFrame* GetPerceptorFrame() const override;

 private:
  cNpc* mOwner;
};

// What a checkpoint keeps of an NPC beyond the man's part.
struct tNpcCheckpoint {
  u8 alerted = 0, boss = 0, wary = 0, alive = 1, targetIsHologram = 0, dead = 0;
  u32 knockDowns = 0;
  f32 perceptionClock = kPerceptionClockStart;
  f32 energy = kNpcStartEnergy;
  f32 hiddenTime = 0.0f;
  u32 previousState = kAiStateNone;
  f32 shotClock = 0.0f;
  f32 shotClockMark = 0.0f;
  u32 patrolIndex = 0;
  cDoor* door = nullptr;
  tRouteCheckpoint follower;
  f32 lookLoops = 0.0f;
  tV2d searchPosition = {0.0f, 0.0f};
  f32 searchTimer = 0.0f;
  tV2d chasePosition = {0.0f, 0.0f};
  f32 chaseTimer = 0.0f;
  u32 pauseReturnState = 0;
  u8 openingShot = 0;
  s32 shotsLeft = 6;
  u32 savedState = kAiStatePatrol;
  tNpcSettings settings;
};

class cNpc : public cMan {
 public:
  // kind: kManKindGuard or kManKindCivilian.
  cNpc(u32 kind, u32 typeIndex, cQXWorld* world);
  ~cNpc() override;

  // The "enemy" group's settings, each key from its default.
  static void ReadSettings(const cPropertyFile* menFile);
  static tNpcSettings& Settings();
  // The player's implants as the NPCs see them, through the hooks.
  static void SetPlayerHooks(const tNpcPlayerHooks& hooks);
  static bool IsUltraInUse(const cDorvaMan* player);
  static bool IsShieldActive(const cDorvaMan* player);
  static void TellShieldBlocked(cDorvaMan* player);
  // The hard difficulty's word of the save profiles.
  static bool IsHard();
  // Whether the AI states play the animation slot, through the man's named
  // operations, its falls and the poses its body settles in.
  static bool StatesPlayAnim(u32 slot);

  bool Update(f32 dt) override;
  // STARTPOINT, ANGLE, LOOSER and WAYPOINTS.
  void ReadProperties(const cPropertyGroup* group) override;
  void SaveState() override;
  void RestoreState() override;
  bool IsAlarmReady() const override { return mAlive != 0; }
  // Look-around 1, search 2, chase 3, shooting 4, else 0.
  u32 GetAlertStage() const override;
  // Counts one neutralised enemy and falls (living NPCs only).
  void KnockDown() override;
  // The state of the NPC's kind for a sensor's alarm (living NPCs only).
  void OnAlarm() override = 0;
  // The man's settling, and no awareness icon over a lying body.
  void SettleBody() override;

  // Leave of the old state, Enter of the new; nothing while hidden or for
  // the current state. A slot without a state switches without calls.
  void SetState(u32 state);
  // Back alive and standing at the route's start.
  void Respawn();
  // One frame of the player's search; true once the body is emptied.
  bool SearchBody(f32 dt);
  // What is left of that search: the energy it takes from (the searching
  // panel's bar shows it).
  f32 GetBodySearchLeft() const override { return mEnergy; }

  // Perception: true when it switched the state.
  bool Perceive();
  f32 GetPerceptionRange(u32 kind) const;
  f32 ScaleRangeByLight(f32 range) const;
  cManBody* ChooseTarget();
  f32 GroundDistanceTo(cManBody* target) const;
  bool SeeDeadColleague();
  bool ReactToSight();
  bool ReactToHearing();
  // Sight range and cone of a sight set (0 patrol .. 4 shooting).
  void SetSight(u32 set);

  // Steering on the ground plane.
  tV2d GetPosition2D() const;
  void FaceTowards(f32 x, f32 z);
  void TurnTowards(f32 x, f32 z);
  static f32 WrapAngle(f32 radians);
  // The door across the edge being walked, straight ahead and not open.
  cDoor* FindClosedDoor();
  // The man the NPC is after: the player, or the double by the flag.
  cMan* GetTargetMan() const;
  // Its ground position; the NPC's own without one.
  tV2d GetTargetPosition2D() const;
  // A new effect of the file in the slot, replacing the one held; none
  // before the level's world is loaded.
  void StartEffect(u32 slot, const char* file, const RwV3d& position, const RwV3d& direction);
  void DeleteEffect(u32 slot);
  cMultiParticleSystem* GetEffect(u32 slot) const { return mEffects[slot]; }
  // Plays the sound at the position.
  void PlaySoundAt(eNpcSound sound, const RwV3d& position);

  u32 GetState() const { return mCurrentState; }
  u32 GetPreviousState() const { return mPreviousState; }
  cAiState* GetStateObject(u32 state) const { return state < kAiStateCount ? mStates[state] : nullptr; }
  cRouteFollower& GetFollower() { return mFollower; }
  cNpcPerceptor& GetPerceptor() { return mPerceptor; }
  cQXWorld* GetLevel() const { return mLevel; }
  cRecordArray<u32>& GetPatrolList() { return mPatrolList; }
  f32 GetEnergy() const { return mEnergy; }
  bool IsBoss() const { return mBoss != 0; }
  void SetBoss(bool boss) { mBoss = boss ? 1 : 0; }
  bool IsActive() const { return mActive != 0; }
  bool IsAlive() const { return mAlive != 0; }
  void SetAlive(bool alive) { mAlive = alive ? 1 : 0; }
  bool IsDead() const { return mDead != 0; }
  bool IsWary() const { return mWary != 0; }
  void SetWary(bool wary) { mWary = wary ? 1 : 0; }
  bool IsAlerted() const { return mAlerted != 0; }
  void SetAlerted(bool alerted) { mAlerted = alerted ? 1 : 0; }
  bool IsTargetHologram() const { return mTargetIsHologram != 0; }
  u32 GetKnockDowns() const { return mKnockDowns; }
  void AddKnockDown() { mKnockDowns++; }
  f32 GetPerceptionClock() const { return mPerceptionClock; }
  void SetPerceptionClock(f32 seconds) { mPerceptionClock = seconds; }
  f32 GetLooserFactor() const { return mLooserFactor; }
  f32 GetDownTime() const { return mDownTime; }
  f32 GetHiddenTime() const { return mHiddenTime; }
  u32 GetIconState() const { return mIconState; }
  cMultiParticleSystem* GetIcon() const { return mIcon; }
  cTimer& GetShotClock() { return mShotClock; }
  f32 GetLastShotTime() const { return mLastShotTime; }
  void SetLastShotTime(f32 milliseconds) { mLastShotTime = milliseconds; }
  cSndEngWin& GetSound(eNpcSound sound) { return mSounds[sound]; }
  // The boss's bolt; the bolt clears it when it ends.
  cLightningBeam*& LightningBolt() { return mLightningBolt; }

 private:
  // Camera range and the body's view test; false when the NPC idles.
  bool UpdateActivity();
  void UpdateEffects();
  void UpdateIcon();
  void UpdateFallenBody(f32 dt);
  // The camera's position and whether the model is in its view.
  bool GetCameraPosition(RwV3d* out) const;
  bool IsBodyInView() const;
  void CountAlert(eLevelCounter counter);
  void PlaceAtNode(u32 node);
  void DeleteIcon();

  cNpcPerceptor mPerceptor;
  f32 mHiddenTime;  // seconds
  cSndEngWin mSounds[kNpcSoundCount];
  f32 mEnergy;
  u8 mBoss;
  u8 mActive;
  u32 mKnockDowns;
  f32 mPerceptionClock;  // seconds
  f32 mLooserFactor;
  u8 mWary;
  u8 mAlerted;
  u8 mTargetIsHologram;
  cTimer mShotClock;  // milliseconds, in the world's update list
  f32 mLastShotTime;  // milliseconds of the shot clock
  u8 mAlive;
  u8 mDead;
  cMultiParticleSystem* mIcon;                      // owned
  cMultiParticleSystem* mEffects[kNpcEffectCount];  // owned
  cLightningBeam* mLightningBolt;                   // not owned
  u32 mIconState;
  cAiState* mStates[kAiStateCount];  // owned; null where no state is
  cRecordArray<u32> mPatrolList;
  cRouteFollower mFollower;
  u32 mCurrentState;
  u32 mPreviousState;
  tNpcCheckpoint mCheckpoint;
  f32 mDownTime;  // seconds out of view while fallen
  cQXWorld* mLevel;
  RwV3d mStartPosition;  // where an NPC without route or start node stands
  u32 mStartNode;
  u8 mHasStartNode;
  u8 mPropertiesRead;  // a later read is the level's restart
};

class cNpcCivilian : public cNpc {
 public:
  cNpcCivilian(u32 typeIndex, cQXWorld* world) : cNpc(kManKindCivilian, typeIndex, world) {}
  // A living civilian panics.
  void OnAlarm() override;
};

class cNpcGuard : public cNpc {
 public:
  cNpcGuard(u32 typeIndex, cQXWorld* world) : cNpc(kManKindGuard, typeIndex, world) {}
  // A living guard or gangster gives chase.
  void OnAlarm() override;
};
