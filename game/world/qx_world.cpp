// cQXWorld: construction, events, teardown and the level music.
#include "game/world/qx_world.h"

#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/characters/man.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/collision/world_collision.h"
#include "game/render/effects/mirror.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/models/clump_ro.h"
#include "game/render/particles/particle_pool.h"
#include "game/render/scene/camera.h"
#include "game/render/text/crosshair.h"
#include "game/render/text/font.h"
#include "game/render/twin_timer.h"
#include "game/world/navigation/waypoint_graph.h"

namespace {

const char* const kInputMapFile = "data/inputmap.txt";

const char* const kLevelMusic[kLevelMusicCount] = {"INTRO",    "INGAME01", "INGAME02", "INGAME03", "INGAME04",
                                                   "INGAME05", "INGAME06", "INGAME07", "INGAME08", "INGAME09"};

void RemoveLightFromWorld(cLight& light) {
  RpWorld* world = RpLightGetWorld(light.GetLight());
  if (world != nullptr) {
    RpWorldRemoveLight(world, light.GetLight());
  }
}

}  // namespace

cQXWorld::cQXWorld(cPropertyFile* config, const cString& levelName)
    : mTexDictionary(nullptr),
      mDictionaryCreated(0),
      mLoadStep(0),
      mInputMap(cString(kInputMapFile)),
      mInfoInputMap(cString(kInputMapFile)),
      mConfig(config),
      mLevelName(levelName),
      mCamera(nullptr),
      mEngineWorld(nullptr),
      mCollisionWorld(nullptr),
      mWorldCollision(nullptr),
      mWorldLight(rpLIGHTPOINT),
      mHologram(nullptr),
      mSky(nullptr),
      mWaypointGraph(nullptr),
      mAiDistance(kDefaultAiDistance),
      mMessageDisplayTime(0.0f),
      mPendingMessage(kNoPendingMessage),
      mCurrentMessage(kNoPendingMessage),
      mRememberedMessage(-1),
      mInfoViewOpen(0),
      mMessageClock(0.0f),
      mDirectionalLightAdd(0.0f),
      mDirectionalLightAngle(kDefaultDirectionalLightAngle),
      mFogDistance(0.0f),
      mFrameTimes(kFrameTimeRingSize),
      mKeyReleaseCountdown(0),
      mHiddenMode(0),
      mMusic(nullptr),
      mViewInfo(this),
      mViewMap(this),
      mViewMission(this),
      mLevelEndState(kLevelPlaying),
      mInputLock(1),
      mTwinTimer(new cTwinTimer),
      mClumpCount(0),
      mCheckpointStored(0),
      mShownAlertLevel(kAlertNone),
      mHudCreated(0),
      mHudFont(nullptr),
      mFpsCounter(nullptr),
      mFrameTimeSource{0, nullptr},
      mHudLabel(nullptr),
      mCrosshair(nullptr),
      mInGame(nullptr),
      mSuspended(0),
      mScreenFader(nullptr) {
  if (gEventDevice != nullptr) {
    gEventDevice->AddEventHandler(this);
  }
  GetUpdateList().Append(mTwinTimer);
  if (gGameOptions != nullptr) {
    gGameOptions->SetEffectsVolume(gGameOptions->GetSoundVolume());
  }
  mMusic = new MusicEngine;
  mMusic->Init();
}

cQXWorld::~cQXWorld() {
  SetLevelMusic(false);
  mMusic->Stop();
  mMusic->Release();
  delete mMusic;
  ReleaseLevel();
  DeleteHud();
  if (gEventDevice != nullptr) {
    gEventDevice->RemoveEventHandler(this);
  }
}

bool cQXWorld::OnEvent(const tEvent* event) {
  if (mLoadStep < kLoadStepLast) {
    return false;
  }
  if (event->type == kEventTick) {
    // The scene's tick: this world's Update, and the tick counted.
    cScene::OnEvent(event);
  }
  mInputMap.OnEvent(event);
  if (mInfoViewOpen != 0) {
    mInfoInputMap.OnEvent(event);
  }
  CloseMessageBoxOnKey();
  if (event->type == kEventTick) {
    mMusic->Update();
  }
  return false;
}

cCamera* cQXWorld::GetCamera(u32) { return mCamera; }

void cQXWorld::SetLevelMusic(bool on) {
  if (gGameOptions == nullptr || !gGameOptions->IsMusicOn()) {
    return;
  }
  if (!on) {
    mMusic->Stop();
    return;
  }
  // A level number without a track plays the intro's.
  const s32 level = LevelNumberOf(mLevelName.CStr());
  mMusic->Play(kLevelMusic[level >= 0 && level < static_cast<s32>(kLevelMusicCount) ? level : 0]);
  gGameOptions->SetEffectsVolume(gGameOptions->GetSoundVolume());
}

// What the load made goes in an order that keeps every pointer among the
// level's objects valid while they go: the worlds last of all.
void cQXWorld::ReleaseLevel() {
  ReleaseMapViews();
  DestroyMirrors();
  ShutdownProjectedShadows();
  for (u32 i = 0; i < mMen.GetCount(); i++) {
    delete static_cast<cMan*>(mMen.Get(i));
  }
  mMen.SetCount(0);
  mHologram = nullptr;
  cMan::ReleaseStaticData();
  ReleaseMessages();
  // Linked devices and timers are update clients: they go here, before the
  // update list's remaining clients.
  ReleaseObjects();
  for (u32 i = 0; i < mLights.GetCount(); i++) {
    delete static_cast<cLight*>(mLights.Get(i));
  }
  mLights.SetCount(0);
  RemoveLightFromWorld(GetAmbientLight());
  RemoveLightFromWorld(GetDirectionalLight());
  ReleaseStaticModels();
  for (u32 i = 0; i < mParticlePools.GetCount(); i++) {
    delete static_cast<cParticlePool*>(mParticlePools.Get(i));
  }
  mParticlePools.SetCount(0);
  delete mSky;
  mSky = nullptr;
  delete mWaypointGraph;
  mWaypointGraph = nullptr;
  delete mWorldCollision;
  mWorldCollision = nullptr;
  if (mCamera != nullptr) {
    if (mEngineWorld != nullptr && RwCameraGetWorld(mCamera->GetCamera()) == mEngineWorld) {
      RpWorldRemoveCamera(mEngineWorld, mCamera->GetCamera());
    }
    delete mCamera;
    mCamera = nullptr;
    mGameCamera = nullptr;
  }
  SetWorldObject(nullptr);
  GetRenderManager().SetScene(this, 0);
  GetUpdateList().DeleteAll();
  mTwinTimer = nullptr;
  if (mEngineWorld != nullptr) {
    RpWorldDestroy(mEngineWorld);
    mEngineWorld = nullptr;
  }
  if (mCollisionWorld != nullptr) {
    RpWorldDestroy(mCollisionWorld);
    mCollisionWorld = nullptr;
  }
}

// The HUD's widgets and its font, in the order the widgets were made to
// be released in.
void cQXWorld::DeleteHud() {
  DeleteMapViews();
  DeleteHudWidgets();
  delete mFpsCounter;
  mFpsCounter = nullptr;
  if (mHudFont != nullptr) {
    mHudFont->Release();
    delete mHudFont;
    mHudFont = nullptr;
  }
  delete mHudLabel;
  mHudLabel = nullptr;
  delete mScreenFader;
  mScreenFader = nullptr;
  delete mCrosshair;
  mCrosshair = nullptr;
  mHudCreated = 0;
}
