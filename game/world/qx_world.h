// The level world: the one object that holds a running level. It is the
// scene of the level (its update clients, lights and render manager), loads
// the level in twenty steps, one a frame, takes the events of the event
// device once loaded, runs the level each tick, ends it with its statistics
// and releases everything it created when it goes.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/music_engine.h"
#include "game/app/audio/sound.h"
#include "game/app/input/input_map.h"
#include "game/app/loadable.h"
#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/render/models/lightmap.h"
#include "game/render/scene/scene.h"
#include "game/world/frame_time_ring.h"
#include "game/world/level_object.h"

class cClumpRO;
class cDevice;
class cTwinTimer;
class cWorldCollision;

// Load steps run in the order 0, 2, 1, 3, 4, 5, 6, 10, 7, 8, 9, 11 .. 19;
// the step stays at the last one, which the world's events wait for.
constexpr u32 kLoadStepCount = 20;
constexpr u32 kLoadStepLast = 19;
constexpr u32 kFrameTimeRingSize = 30;
constexpr f32 kDefaultAiDistance = 50.0f;
constexpr s32 kDefaultDirectionalLightAngle = 60;  // degrees
// Projected shadows reach this far from the camera.
constexpr f32 kShadowMaximumDistance = 20.0f;
// A level particle effect shares at most this many loaded instances.
constexpr u32 kParticleInstancesPerPool = 5;
// A save profile of this name (exactly) plays every level in hidden mode.
constexpr char kHiddenModeName[] = "VORNKAPL";
// Music tracks by level number.
constexpr u32 kLevelMusicCount = 10;
// Pending message: none waiting or shown.
constexpr s32 kNoPendingMessage = -2;

enum eNamedSound : u32 {
  kSoundSuccess,
  kSoundSelect,
  kSoundText,
  kSoundTextOut,
  kSoundPanelIn,
  kSoundPanelOut,
  kSoundPanelChange,
  kNamedSoundCount
};
constexpr u32 kAlertSoundCount = 3;

enum eLevelEndState : u32 {
  kLevelPlaying = 0,
  kLevelStatisticsShown = 1,
  kLevelStatisticsClosed = 2,
  kLevelFadedOut = 3,  // the in-game screen may leave the level
};

// What the end-of-level statistics show of the player's record.
struct tLevelEndFigures {
  f32 startTime = 0.0f;  // milliseconds
  f32 currentTime = 0.0f;
  u32 securityAlerts = 0;
  u32 enemyAlerts = 0;
  u32 hitsTaken = 0;
  u32 enemiesNeutralised = 0;
};

class cQXWorld : public cScene, public cLoadable {
 public:
  // config: "data/config.txt", parsed, not owned; levelName: its group.
  // Registers the world with the event device.
  cQXWorld(cPropertyFile* config, const cString& levelName);
  // Music off and released, the level released, the world unregistered.
  ~cQXWorld() override;

  // Nothing until load step 18 has run; then a tick updates the world and
  // counts, every event reaches the input maps, and a tick feeds the music.
  bool OnEvent(const tEvent* event) override;
  // The level camera's camera (none until the level camera exists).
  cCamera* GetCamera(u32 index) override;
  // One frame of the level: the closing fade, the scene's clients, the
  // frame-time ring, the level end and the key release.
  void Update(f32 dt) override;
  // Runs the next load step; the progress after it (1.0 once complete).
  f32 Load() override;

  // With the options' music switch on: the level's track, or silence.
  void SetLevelMusic(bool on);
  void PushFrameTime();
  // The end of the level: success sound, completed level, time frozen, the
  // statistics' texts, the save profile credited, state 1.
  void RunLevelEnd(const tLevelEndFigures& figures);
  // The first usable device, in list order, whose use test takes the user
  // at position looking along direction with the trigger id.
  cDevice* FindUsableDevice(const RwV3d& position, const RwV3d& direction, u32 triggerId);
  // The first device in reach that bare hands cannot use: a laser or EDS
  // panel (panel set) or a door (panel clear).
  cDevice* FindUsableDeviceOfType(const RwV3d& position, const RwV3d& direction, bool panel);
  // A key closed the message box: the input lock opens once no key is held.
  void StartKeyRelease() { mKeyReleaseCountdown = 1; }

  u32 GetLoadStep() const { return mLoadStep; }
  const cString& GetLevelName() const { return mLevelName; }
  RwTexDictionary* GetTexDictionary() const { return mTexDictionary; }
  u8 IsDictionaryCreated() const { return mDictionaryCreated; }
  RpWorld* GetEngineWorld() const { return mEngineWorld; }
  RpWorld* GetCollisionWorld() const { return mCollisionWorld; }
  cWorldCollision* GetWorldCollision() const { return mWorldCollision; }
  cClumpRO* GetSky() const { return mSky; }
  const cPtrArray& GetParticlePools() const { return mParticlePools; }
  cPtrArray& GetMen() { return mMen; }
  cPtrArray& GetLights() { return mLights; }
  cPtrArray& GetStaticModels() { return mStaticModels; }
  cPtrArray& GetObjectSets(eObjectSetKind kind) { return mObjectSets[kind]; }
  cPtrArray& GetTimerDevices() { return mTimerDevices; }
  // The level's messages and, per message, its marker positions, display
  // value and dialogue number.
  cPtrArray& GetMessages() { return mMessages; }
  cPtrArray& GetMessageMarkers() { return mMessageMarkers; }
  cPtrArray& GetMessageDisplayValues() { return mMessageDisplayValues; }
  cPtrArray& GetMessageDialogues() { return mMessageDialogues; }
  // The level objects' lists: bodies that men perceive, sensors, and the
  // devices the player can use, each of links into the objects.
  cList& GetBodies() { return mBodies; }
  cList& GetSensors() { return mSensors; }
  cList& GetUsableDevices() { return mUsableDevices; }
  cPropertyFile& GetMenFile() { return mMenFile; }
  cByteArray& GetSavedMissionFlags() { return mSavedMissionFlags; }
  cInputMap& GetInputMap() { return mInputMap; }
  cInputMap& GetInfoInputMap() { return mInfoInputMap; }
  cSndEngWin& GetSound(eNamedSound sound) { return mSounds[sound]; }
  cSndEngWin& GetAlertSound(u32 level) { return mAlertSounds[level]; }
  MusicEngine* GetMusic() const { return mMusic; }
  cLightmap& GetLightmap() { return mLightmap; }
  cByteArray& GetMissionFlags() { return mMissionFlags; }
  const tFrameTimeRing& GetFrameTimes() const { return mFrameTimes; }
  cTwinTimer* GetTwinTimer() const { return mTwinTimer; }
  f32 GetAiDistance() const { return mAiDistance; }
  f32 GetFogDistance() const { return mFogDistance; }
  // The lighting of the level's dynamic-lit models: the directional
  // light's tilt (degrees) and its addition.
  s32 GetDirectionalLightAngle() const { return mDirectionalLightAngle; }
  s32 GetDirectionalLightAdd() const { return mDirectionalLightAdd; }
  u8 IsHiddenMode() const { return mHiddenMode; }
  u8 IsInputLocked() const { return mInputLock; }
  void SetInputLock(u8 locked) { mInputLock = locked; }
  u8 IsInfoViewOpen() const { return mInfoViewOpen; }
  s32 GetPendingMessage() const { return mPendingMessage; }
  u32 GetLevelEndState() const { return mLevelEndState; }
  void SetLevelEndState(u32 state) { mLevelEndState = state; }
  // The statistics' label column and value column.
  const cString& GetStatisticsLabels() const { return mStatisticsLabels; }
  const cString& GetStatisticsValues() const { return mStatisticsValues; }

 private:
  typedef void (cQXWorld::*tLoadWork)();
  struct tLoadStep {
    tLoadWork work;  // null: the step's work is not the world's own
    u32 next;
    f32 progress;
  };
  static const tLoadStep kLoadSteps[kLoadStepCount];

  // The level's group of the configuration; fatal with tag when missing.
  const cPropertyGroup* FindLevelGroup(const char* tag) const;
  void BeginLoad();
  void LoadDictionary();
  void LoadGeometry();
  void ReadFog(const cPropertyGroup* group);
  void LoadSky();
  void LoadShadowsAndSounds();
  void LoadParticles();
  void CacheTexturesAndStartMusic();
  void ReportLoad();
  // The first objective is done and nothing holds the level back.
  bool IsLevelComplete() const;
  void ReleaseLevel();

  RwTexDictionary* mTexDictionary;
  u8 mDictionaryCreated;
  u32 mLoadStep;
  cInputMap mInputMap;
  cInputMap mInfoInputMap;
  cPropertyFile* mConfig;
  cString mLevelName;
  cCamera* mCamera;
  RpWorld* mEngineWorld;
  RpWorld* mCollisionWorld;
  cWorldCollision* mWorldCollision;
  cLight mWorldLight;
  cPtrArray mMen;  // the player first
  cPtrArray mLights;
  cPtrArray mStaticModels;
  cClumpRO* mSky;
  f32 mAiDistance;
  cPtrArray mObjectSets[kObjectSetKindCount];
  cList mBodies;
  cList mSensors;
  cList mUsableDevices;
  cPtrArray mTimerDevices;
  cPtrArray mMessages;
  cPtrArray mMessageMarkers;
  cPtrArray mMessageDisplayValues;
  cPtrArray mMessageDialogues;
  f32 mMessageDisplayTime;  // seconds
  s32 mPendingMessage;      // kNoPendingMessage, -1 shown, else the message waiting
  s32 mCurrentMessage;      // -2 for none
  s32 mRememberedMessage;   // -1 for none
  u8 mInfoViewOpen;
  cByteArray mMissionFlags;  // one a mission objective, 1 once completed
  cByteArray mSavedMissionFlags;
  f32 mMessageClock;  // seconds the current message has been shown
  cLightmap mLightmap;
  s32 mDirectionalLightAdd;
  s32 mDirectionalLightAngle;  // degrees
  f32 mFogDistance;
  tFrameTimeRing mFrameTimes;
  u32 mKeyReleaseCountdown;
  u8 mHiddenMode;
  cSndEngWin mSounds[kNamedSoundCount];
  cSndEngWin mAlertSounds[kAlertSoundCount];
  MusicEngine* mMusic;
  u32 mLevelEndState;
  cPtrArray mParticlePools;  // cParticlePool, also update clients
  u8 mInputLock;
  cPropertyFile mMenFile;  // kept for a restart
  cTwinTimer* mTwinTimer;  // owned through the update list
  u32 mClumpCount;
  cString mStatisticsLabels;
  cString mStatisticsValues;
};
