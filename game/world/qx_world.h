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
#include "game/frontend/hud/hud_sources.h"
#include "game/render/models/lightmap.h"
#include "game/render/record_array.h"
#include "game/render/scene/scene.h"
#include "game/render/text/wg_text.h"
#include "game/world/frame_time_ring.h"
#include "game/world/level_object.h"
#include "game/world/world_actions.h"

class cClumpRO;
class cDevice;
class cDorvaCam;
class cDorvaMan;
class cFont;
class cMan;
class cTwinTimer;
class cWaypointGraph;
class cWgMapView;
class cWorldMapSource;
class cWgCounter;
class cWgCrosshair;
class cWgLabel;
class cLevelTexts;
class cWgActionIcons;
class cWgBlinkIcon;
class cWgHudBackdrop;
class cWgHudFrameBa;
class cWgHudFrameBf;
class cWgHudFrameJa;
class cWgHudFrameKot;
class cWgHudImplants;
class cWgHudInventory;
class cWgHudStatusBars;
class cWgMessageBox;
class cWgMissionList;
class cWgTabPanel;
class cWgUltraOverlay;
class cWorldCollision;
class cInGame;
class cWgScreenFader;

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
// Pending message: none waiting or shown; -1 while one is shown.
constexpr s32 kNoPendingMessage = -2;
constexpr s32 kMessageShown = -1;
constexpr s32 kNoRememberedMessage = -1;
// A plain message stays this long per character; a dialogue until dismissed.
constexpr f32 kMessageSecondsPerCharacter = 0.08f;
constexpr f32 kDialogueDisplayTime = 100000000.0f;
// Messages are ignored while the player's health is below this.
constexpr f32 kMessageMinimumHealth = 0.1f;
// Alert levels 0 to 4, each with its icon; the shown level is one of them,
// none, or suppressed until the display ends.
constexpr u32 kAlertLevelCount = 5;
constexpr s32 kAlertNone = -1;
constexpr s32 kAlertSuppressed = 1000000;
// Texts wrap at this many pixels in the HUD's message box.
constexpr f32 kMessageWrapWidth = 384.0f;
// The level fades in from black over this many frames at its start and restarts.
constexpr u32 kLevelFadeFrames = 16;

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

class cQXWorld : public cScene, public cLoadable, public cHudWorld {
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
  // The level camera, owned from then on (the loader's, or a test's own).
  void SetCamera(cCamera* camera) { mCamera = camera; }
  // Set while the Ultra implant runs; the player's reset clears it.
  u8 IsUltraOn() const { return mUltraOn; }
  void SetUltraOn(u8 on) { mUltraOn = on; }
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
  // A key closes the shown briefing or statistics box: the input lock opens
  // once the key is released, the info view closes, and closed statistics
  // let the level fade out.
  void CloseMessageBoxOnKey();

  // Level messages. A message is ignored while the level is locked, out of
  // range, or while a dialogue is shown; a plain message replaces a plain
  // one and stays 0.08 s a character; a dialogue freezes the game until
  // dismissed with force, then shows its follow-up unless told not to.
  void ShowMessage(u32 index) override;
  void HideMessage(bool force, bool noFollowUp, bool remember);
  void ShowRememberedMessage();
  // Shows the waiting message; with none waiting opens the paused info view.
  void OpenInfoView();
  // Nothing before the HUD exists; else the info view closes and time runs.
  void CloseInfoView(bool unfreeze);
  void SetHudVisible(bool visible);
  // As the last SetHudVisible left it (shown before the HUD exists).
  bool IsHudVisible() const;
  void ShowMapPanel();
  void ShowMissionPanel();
  // The world's game-time freeze: the time scale paused and resumed.
  static void FreezeGameTime();
  static void UnfreezeGameTime();

  // Draws once, into the target (the world view's), what play shows later
  // and the level's opening does not: the level from its camera with one
  // particle of every effect it can show (its placements' and the men's and
  // implants' cached ones) ahead of the camera, and the HUD pieces the info
  // view hides. Software GL compiles what a draw asks for on its first use,
  // so this drawing takes that cost, not play. Nothing is presented and
  // everything is put back; no widget that shows is drawn, so no fade or
  // flash advances.
  void DrawPlayPreview(const cRenderTarget& target);

  // The alert shown by the HUD: only a higher level (0 to 4) replaces the
  // shown one, with its sound; the end of the display lets any level in.
  void RaiseAlertLevel(s32 level);
  void EndAlertDisplay() override;
  void SuppressAlertDisplay();
  s32 GetShownAlertLevel() const { return mShownAlertLevel; }

  // Objectives, checkpoint and restart. An objective out of range does
  // nothing; a restore without a checkpoint restarts the level.
  void CompleteMissionObjective(u32 objective);
  void StoreCheckpoint();
  void RestoreCheckpoint();
  void RestartLevel();
  u8 IsCheckpointStored() const { return mCheckpointStored; }

  // Load step 7: the game camera of "data/" + level + "/camera.txt" on the
  // player's frame, in the update list and the engine world, lighting the
  // men with its ambient light.
  void CreateCamera();
  // The game camera; null before load step 7.
  cDorvaCam* GetGameCamera() const { return mGameCamera; }
  // Load steps of their own (4, 6, 9, 11, 13), callable alone.
  void LoadLightmaps();
  // Map index 0..3 from base + suffix + ".bmp"; absent when unreadable.
  void LoadLightmapBitmap(const cString& base, const char* suffix, u32 map);
  void LoadLights();
  // An empty graph, built from GRAPH + ".xrf" and EDGES when the level
  // group holds GRAPH.
  void LoadWaypointGraph();
  void LoadMenFile();
  void LoadMen(const cPropertyFile* file);
  void CreateHud();
  void LoadTexts();
  // Load step 8: the level's objects from its OBJECTS and PROPS files.
  void LoadLevelObjects();
  // Every set of the OBJECTS lists made, cloned from its locator file and
  // listed, then the placement and property passes table by table.
  void LoadObjects(const cPropertyGroup* objects, const cPropertyFile& props, const cString& dffPath,
                   const cString& xrfPath);
  // The "DFF" list of the OBJECTS group: plain models, placed once each.
  void LoadStaticModels(const cPropertyGroup* objects, const cString& dffPath);
  // The timer devices, then the object sets, tables in their release order.
  void ReleaseObjects();
  void ReleaseStaticModels();
  // The level group's TIMERDEVICES, made, then updated and set up in order.
  void LoadTimerDevices(const cPropertyGroup* level, const cPropertyFile& props);
  // The named group of the file; fatal "%s : PropertyGroup not found! (%s)"
  // with tag and name when missing.
  static const cPropertyGroup* FindGroupFatal(const cPropertyFile* file, const cString& name, const char* tag);

  u32 GetLoadStep() const { return mLoadStep; }
  const cString& GetLevelName() const { return mLevelName; }
  // "data/config.txt", holding the level's group.
  const cPropertyFile* GetConfig() const { return mConfig; }
  RwTexDictionary* GetTexDictionary() const { return mTexDictionary; }
  u8 IsDictionaryCreated() const { return mDictionaryCreated; }
  RpWorld* GetEngineWorld() const { return mEngineWorld; }
  RpWorld* GetCollisionWorld() const { return mCollisionWorld; }
  cWorldCollision* GetWorldCollision() const { return mWorldCollision; }
  cClumpRO* GetSky() const { return mSky; }
  // Null before load step 5.
  cWaypointGraph* GetWaypointGraph() const { return mWaypointGraph; }
  const cPtrArray& GetParticlePools() const { return mParticlePools; }
  cPtrArray& GetMen() { return mMen; }
  // The first man of type "dorvaholoman"; null before the men or without one.
  cMan* GetHologram() const { return mHologram; }
  // The player: the first man once the men are loaded; null before.
  cDorvaMan* GetPlayer() const;
  cPtrArray& GetLights() { return mLights; }
  cPtrArray& GetStaticModels() { return mStaticModels; }
  cPtrArray& GetObjectSets(eObjectSetKind kind) { return mObjectSets[kind]; }
  cPtrArray& GetTimerDevices() { return mTimerDevices; }
  // The level's messages and, per message, its marker positions, display
  // value and dialogue number.
  cPtrArray& GetMessages() { return mMessages; }
  cRecordArray<s32>& GetMessageMarkers() { return mMessageMarkers; }
  cRecordArray<s32>& GetMessageDisplayValues() { return mMessageDisplayValues; }
  cRecordArray<s32>& GetMessageDialogues() { return mMessageDialogues; }
  // The text of a message (the messages hold cString pointers).
  const cString& GetMessageText(u32 index) const { return *static_cast<const cString*>(mMessages.Get(index)); }
  u32 GetMessageCount() const { return mMessages.GetCount(); }
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
  // The point light the laser and the EDS place at their beams.
  cLight& GetWorldLight() { return mWorldLight; }
  f32 GetAiDistance() const { return mAiDistance; }
  f32 GetFogDistance() const { return mFogDistance; }
  // The lighting of the level's dynamic-lit models: the directional
  // light's tilt (degrees) and its addition.
  s32 GetDirectionalLightAngle() const { return mDirectionalLightAngle; }
  f32 GetDirectionalLightAdd() const { return mDirectionalLightAdd; }
  u8 IsHiddenMode() const { return mHiddenMode; }
  u8 IsInputLocked() const { return mInputLock; }
  void SetInputLock(u8 locked) { mInputLock = locked; }
  u8 IsInfoViewOpen() const { return mInfoViewOpen; }
  s32 GetPendingMessage() const { return mPendingMessage; }
  s32 GetCurrentMessage() const { return mCurrentMessage; }
  s32 GetRememberedMessage() const { return mRememberedMessage; }
  f32 GetMessageDisplayTime() const { return mMessageDisplayTime; }
  // The HUD's font and widgets; null before load step 11.
  cFont* GetHudFont() const { return mHudFont; }
  cWgCounter* GetFpsCounter() const { return mFpsCounter; }
  cWgLabel* GetHudLabel() const { return mHudLabel; }
  cWgCrosshair* GetCrosshair() const { return mCrosshair; }
  u8 IsHudCreated() const { return mHudCreated; }
  // The map views: built with the HUD (or at load step 12), loaded there,
  // their cameras out of the engine world before it goes; null before.
  void CreateMapViews();
  void LoadMapViews();
  void ReleaseMapViews();
  void DeleteMapViews();
  void ShowFullMap(bool shown);
  void ShowHudMap(bool shown);
  void ResetMapMotion();
  cWgMapView* GetHudMap() const { return mHudMap; }
  cWgMapView* GetFullMap() const { return mFullMap; }
  // The HUD's widgets, owned; null before load step 11. The level-message
  // box (framed, with the dialogue prompt) shows the level's messages; the
  // message box (plain) the briefing and the level's statistics.
  cWgHudFrameBa* GetHudFrameBa() const { return mHudFrameBa; }
  cWgUltraOverlay* GetUltraOverlay() const { return mUltraOverlay; }
  cWgHudFrameBf* GetHudFrameBf() const { return mHudFrameBf; }
  cWgHudFrameJa* GetHudFrameJa() const { return mHudFrameJa; }
  cWgHudFrameKot* GetHudFrameKot() const { return mHudFrameKot; }
  cWgHudBackdrop* GetHudBackdrop() const { return mHudBackdrop; }
  cWgActionIcons* GetActionIcons() const { return mActionIcons; }
  cWgHudStatusBars* GetStatusBars() const { return mStatusBars; }
  cWgHudImplants* GetHudImplants() const { return mHudImplants; }
  cWgHudInventory* GetHudInventory() const { return mHudInventory; }
  cWgMessageBox* GetLevelMessageBox() const { return mLevelMessageBox; }
  cWgTabPanel* GetTabPanel() const { return mTabPanel; }
  cWgMissionList* GetMissionList() const { return mMissionList; }
  cWgMessageBox* GetMessageBox() const { return mMessageBox; }
  // Alert level 0 to 4; null outside.
  cWgBlinkIcon* GetAlertIcon(u32 level) const { return level < kAlertLevelCount ? mAlertIcons[level] : nullptr; }
  // A frame of the level through the level camera into the target (the
  // Ultra overlay's captures); nothing before the camera exists.
  void RenderHudCapture(const cRenderTarget& target) override;
  // The briefing text and the main mission text of the level's texts.
  const cString& GetBriefing() const { return mBriefing; }
  const cString& GetMainMissionText() const { return mMainMissionText; }
  u32 GetLevelEndState() const { return mLevelEndState; }
  void SetLevelEndState(u32 state) { mLevelEndState = state; }
  // The in-game screen that plays this level: its pause and death menus are
  // made by load step 14. The suspended flag is set while one of them is
  // open. The screen fader is null before load step 11.
  void SetInGameScreen(cInGame* inGame) { mInGame = inGame; }
  void CreateInGameMenus();
  u8 IsSuspended() const { return mSuspended; }
  void SetSuspended(u8 suspended) { mSuspended = suspended; }
  cWgScreenFader* GetScreenFader() const { return mScreenFader; }
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
  // The part of restore and restart that both share.
  void ResetCommon();
  void BindViewActions();
  void DeleteHud();
  void ReleaseMessages();
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
  cDorvaCam* mGameCamera = nullptr;  // the same object as mCamera
  RpWorld* mEngineWorld;
  RpWorld* mCollisionWorld;
  cWorldCollision* mWorldCollision;
  cLight mWorldLight;
  cMan* mHologram;  // one of the men
  cPtrArray mMen;   // the player first
  cPtrArray mLights;
  cPtrArray mStaticModels;
  cClumpRO* mSky;
  cWaypointGraph* mWaypointGraph;
  f32 mAiDistance;
  cPtrArray mObjectSets[kObjectSetKindCount];
  cList mBodies;
  cList mSensors;
  cList mUsableDevices;
  cPtrArray mTimerDevices;
  cPtrArray mMessages;                      // cString, owned
  cRecordArray<s32> mMessageMarkers;        // first '@' of the text, or -1
  cRecordArray<s32> mMessageDisplayValues;  // wrapped line counts
  cRecordArray<s32> mMessageDialogues;      // -1 plain, else the dialogue number
  f32 mMessageDisplayTime;                  // seconds
  s32 mPendingMessage;                      // kNoPendingMessage, -1 shown, else the message waiting
  s32 mCurrentMessage;                      // -2 for none
  s32 mRememberedMessage;                   // -1 for none
  u8 mInfoViewOpen;
  cByteArray mMissionFlags;  // one a mission objective, 1 once completed
  cByteArray mSavedMissionFlags;
  f32 mMessageClock;  // seconds the current message has been shown
  cLightmap mLightmap;
  f32 mDirectionalLightAdd;    // DIRLIGHTADD, a fraction
  s32 mDirectionalLightAngle;  // degrees
  f32 mFogDistance;
  tFrameTimeRing mFrameTimes;
  u32 mKeyReleaseCountdown;
  u8 mHiddenMode;
  u8 mUltraOn = 0;
  cSndEngWin mSounds[kNamedSoundCount];
  cSndEngWin mAlertSounds[kAlertSoundCount];
  MusicEngine* mMusic;
  cQXWorldAction_ViewInfo mViewInfo;
  cQXWorldAction_ViewMap mViewMap;
  cQXWorldAction_ViewMission mViewMission;
  u32 mLevelEndState;
  cPtrArray mParticlePools;  // cParticlePool, also update clients
  u8 mInputLock;
  cPropertyFile mMenFile;  // kept for a restart
  cTwinTimer* mTwinTimer;  // owned through the update list
  u32 mClumpCount;
  cString mStatisticsLabels;
  cString mStatisticsValues;
  u8 mCheckpointStored;
  s32 mShownAlertLevel;
  u8 mHudCreated;
  cFont* mHudFont;
  cWgCounter* mFpsCounter;
  tSampleSource mFrameTimeSource;  // what the counter averages
  cWgLabel* mHudLabel;
  cWgCrosshair* mCrosshair;
  // The HUD widgets of load step 11 (see CreateHudWidgets).
  void CreateHudWidgets();
  void DeleteHudWidgets();
  // Load step 13's HUD contents: the widgets take the player and the font,
  // the level's texts fill the mission list, the tab panel and the
  // briefing box.
  void FillHud(const cLevelTexts& texts);
  bool IsAimingView() const;
  // The icon of a shown alert level (0 to 4) stops blinking.
  void HideAlertIcon(s32 level);
  // Restore and restart: no flash, no alert icon; a restart also clears
  // the message box and gives the inventory the player again.
  void ResetHud();
  void RestartHud();
  cWgHudFrameBa* mHudFrameBa = nullptr;
  cWgUltraOverlay* mUltraOverlay = nullptr;
  cWgHudFrameBf* mHudFrameBf = nullptr;
  cWgHudFrameJa* mHudFrameJa = nullptr;
  cWgHudFrameKot* mHudFrameKot = nullptr;
  cWgHudBackdrop* mHudBackdrop = nullptr;
  cWgActionIcons* mActionIcons = nullptr;
  cWgHudStatusBars* mStatusBars = nullptr;
  cWgHudImplants* mHudImplants = nullptr;
  cWgHudInventory* mHudInventory = nullptr;
  cWgMessageBox* mLevelMessageBox = nullptr;
  cWgTabPanel* mTabPanel = nullptr;
  cWgMissionList* mMissionList = nullptr;
  cWgMessageBox* mMessageBox = nullptr;
  cWgBlinkIcon* mAlertIcons[kAlertLevelCount] = {};
  cString mBriefing;
  cString mMainMissionText;
  cWgMapView* mHudMap = nullptr;
  cWgMapView* mFullMap = nullptr;
  cWorldMapSource* mMapSource = nullptr;  // what the maps read of the level
  cInGame* mInGame;                       // not owned
  u8 mSuspended;
  cWgScreenFader* mScreenFader;
};
