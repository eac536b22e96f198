// The game object: its state machine, the fade between phases, the cache
// dictionaries of the front-end phases and the configuration file.
#include "game/frontend/flow/game.h"

#include "game/app/event.h"
#include "game/app/frame_tick.h"
#include "game/app/input/event_device.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/small_block_pool.h"
#include "game/app/startup/app_config.h"
#include "game/app/startup/main_window.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/screens/screen_end.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "game/render/models/texture_files.h"

namespace {

const char* const kSoundNames[kGameSoundCount] = {
    "sfx/al_1",
    "sfx/al_2",
    "sfx/al_3",
    "sfx/en_bossshoot",
    "sfx/en_fall",
    "sfx/en_shoot",
    "sfx/env_buzz",
    "sfx/env_machinery",
    "sfx/env_steam",
    "sfx/im_dartshoot",
    "sfx/gui_panelchange",
    "sfx/gui_panelin",
    "sfx/gui_panelout",
    "sfx/im_cantuse",
    "sfx/im_dartgun",
    "sfx/im_dartshoot",
    "sfx/im_eds",
    "sfx/im_hologram",
    "sfx/im_laser",
    "sfx/im_shield",
    "sfx/im_shock",
    "sfx/im_ultra",
    "sfx/me_move",
    "sfx/me_screen",
    "sfx/me_select",
    "sfx/mv_changeposture",
    "sfx/mv_run_l00",
    "sfx/mv_run_r00",
    "sfx/mv_run_l01",
    "sfx/mv_run_r01",
    "sfx/mv_run_l02",
    "sfx/mv_run_r02",
    "sfx/mv_sneak_l00",
    "sfx/mv_sneak_r00",
    "sfx/mv_sneak_l01",
    "sfx/mv_sneak_r01",
    "sfx/mv_sneak_l02",
    "sfx/mv_sneak_r02",
    "sfx/mv_walk_l00",
    "sfx/mv_walk_r00",
    "sfx/mv_walk_l01",
    "sfx/mv_walk_r01",
    "sfx/mv_walk_l02",
    "sfx/mv_walk_r02",
    "sfx/ob_doorclose",
    "sfx/ob_dooropen",
    "sfx/pl_die",
    "sfx/pl_hackfail",
    "sfx/pl_hacking",
    "sfx/pl_hackpress",
    "sfx/pl_hackstart",
    "sfx/pl_hacksuccess",
    "sfx/pl_hurt_plain",
    "sfx/pl_hurt_shield",
    "sfx/pl_searchstart",
    "sfx/pl_select",
    "sfx/pl_success",
    "sfx/pl_text",
    "sfx/pl_textout",
    "sfx/pl_use",
    "sfx/sr_energy",
    "sfx/sr_health",
    "sfx/sr_keycard",
    "sfx/sr_memo",
    "sfx/sr_mission",
    "sfx/sr_pizza",
};

// Textures each phase's dictionary file also holds, read before it is
// written: pictures the phase shows only later or on request.
const char* const kLogosExtras[] = {"data/menu/zid_logo", "data/menu/vux_logo", "data/menu/engine_logo",
                                    "data/menu/window_background"};
const char* const kMenuDictionaryExtras[] = {
    "data/menu/window_background",    "data/menu/PIRENA_background",    "data/menu/TESKLO_background",
    "data/menu/CONCEPT_background",   "data/menu/CONCEPT01_background", "data/menu/CONCEPT02_background",
    "data/menu/CONCEPT03_background", "data/menu/CONCEPT04_background", "data/menu/CONCEPT05_background",
    "data/menu/CONCEPT06_background", "data/menu/ORDAN_background",     "data/menu/HALDO_background",
    "data/menu/VOSTEK_background",    "data/menu/SALVERN_background",   "data/menu/KUMB_background"};
constexpr u32 kLogosExtraCount = sizeof(kLogosExtras) / sizeof(kLogosExtras[0]);
constexpr u32 kMenuDictionaryExtraCount = sizeof(kMenuDictionaryExtras) / sizeof(kMenuDictionaryExtras[0]);
constexpr u32 kMaxExtraCount = kMenuDictionaryExtraCount;

constexpr u32 kOptionsMenu = 4;
constexpr u32 kMenuLoaderPresents = 2;
constexpr u8 kLoaderWithText = 1;
constexpr u8 kKeepViewWindow = 1;

void Push(cScreen* screen) {
  if (gScreenStack != nullptr) {
    gScreenStack->Push(screen);
  }
}

}  // namespace

cGame::cGame()
    : mState(kGameIntro),
      mIntro(nullptr),
      mMainMenu(nullptr),
      mReopenOptions(0),
      mLoading(nullptr),
      mCacheDictionary(nullptr),
      mDictionaryCreated(0),
      mLevel(nullptr),
      mFadeLevel(0.0f),
      mFadeQuad(tSpriteSize{1.0f, 1.0f}),
      mFadeColour{0, 0, 0, 0},
      mEndScreen(nullptr),
      mCreditsScreen(nullptr),
      mMenuLoader(nullptr),
      mMakers{MakeMainMenu, MakeInGame, MakeEndScreen, MakeCreditsScreen} {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  gGameOptions = new cGameOptions;
  gSaveProfiles = new cSaveProfiles;
  RpRandomSeed(GetTimeMs());
  mMenuLoader = new cScreen_Loader(nullptr, kLoaderWithText);
  mMenuLoader->SetExpectedBytes(kMenuLoadSize);
  mSounds.SetCount(kGameSoundCount);
  for (u32 i = 0; i < kGameSoundCount; i++) {
    mSounds.Set(i, new cSndEngWin(kSoundNames[i]));
  }
}

cGame::~cGame() {
  for (u32 i = 0; i < mSounds.GetCount(); i++) {
    delete static_cast<cSndEngWin*>(mSounds.Get(i));
  }
  delete mIntro;
  delete mMainMenu;
  delete mLoading;
  delete mLevel;
  // Held only while their phase runs; a quit during it would leave them.
  delete mEndScreen;
  delete mCreditsScreen;
  delete gSaveProfiles;
  gSaveProfiles = nullptr;
  delete gGameOptions;
  gGameOptions = nullptr;
  RemoveChild(mMenuLoader);
  delete mMenuLoader;
}

bool cGame::OnEvent(const tEvent* event) {
  cScreen::OnEvent(event);
  if (event->type != kEventTick) {
    return false;
  }
  if (mState != kGameIntro && mState != kGamePlayLevel) {
    mFadeLevel += event->tick.frameTime * kGameFadeSpeed;
    mFadeColour.alpha = mFadeLevel < kGameFadeFull ? static_cast<u8>(mFadeLevel) : 255;
    if (mFadeLevel < kGameFadeFull) {
      return false;
    }
    mFadeLevel = 0.0f;
  }
  Step();
  return false;
}

void cGame::Render() {
  if (mFadeLevel == 0.0f || mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mFadeQuad.SetColour(mFadeColour.red, mFadeColour.green, mFadeColour.blue, mFadeColour.alpha);
  mFadeQuad.Render();
  mCamera.EndUpdate();
}

cScreen_Loader* cGame::FindLoadingScreen() {
  if (mLoading != nullptr) {
    return &mLoading->GetLoader();
  }
  return mMenuLoader->GetOwner() == this ? mMenuLoader : nullptr;
}

void cGame::Step() {
  switch (mState) {
    case kGameIntro:
      StartIntro();
      break;
    case kGameMainMenu:
      ShowMainMenu();
      break;
    case kGameLoadLevel:
      LoadLevel();
      break;
    case kGamePlayLevel:
      PlayLevel();
      break;
    case kGameLevelOver:
      EndLevel();
      break;
    case kGameEndTexts:
      ShowEndTexts();
      break;
    case kGameEndTextsOver:
      delete mEndScreen;
      mEndScreen = nullptr;
      mState = kGameCredits;
      break;
    case kGameCredits:
      ShowCredits();
      break;
    case kGameCreditsOver:
      delete mCreditsScreen;
      mCreditsScreen = nullptr;
      mState = kGameMainMenu;
      break;
    default:
      break;
  }
}

void cGame::StartIntro() {
  // Read before the logos rather than after them: a configuration the game
  // cannot use is reported at its start. Reading it changes nothing else.
  LoadConfig();
  RwTexDictionarySetCurrent(nullptr);
  OpenCache(kLogosDictionary);
  mIntro = new cScreen_Intro;
  Push(mIntro);
  mState = kGameMainMenu;
}

void cGame::ShowMainMenu() {
  if (mIntro != nullptr) {
    PlayMovie(kIntroMovie, 1);
    if (mDictionaryCreated) {
      CloseCache(kLogosDictionary, kLogosExtras, kLogosExtraCount);
    }
    delete mIntro;
    mIntro = nullptr;
    DestroyCurrentDictionary();
  }
  ShowMenuLoader();
  OpenCache(kMenuDictionary);
  mState = kGameLoadLevel;
  if (mMakers.mainMenu == nullptr) {
    // Without a main menu the options' level starts at once.
    RemoveChild(mMenuLoader);
    return;
  }
  mMainMenu = mMakers.mainMenu(&mConfig);
  if (mReopenOptions) {
    mMainMenu->SwitchMenu(kOptionsMenu);
    mReopenOptions = 0;
  }
  Push(mMainMenu);
  RemoveChild(mMenuLoader);
  DebugTrace("menu************** %d bytes loaded ******************************\n",
             static_cast<s32>(mMenuLoader->GetBytesRead()));
}

void cGame::ShowMenuLoader() {
  AddWidget(mMenuLoader);
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
  mMenuLoader->Reset();
  for (u32 i = 0; i < kMenuLoaderPresents; i++) {
    cWgNode::RenderTree(mMenuLoader);
    PresentScreen();
  }
}

void cGame::LoadLevel() {
  if (mDictionaryCreated) {
    CloseCache(kMenuDictionary, kMenuDictionaryExtras, kMenuDictionaryExtraCount);
  }
  if (mMainMenu != nullptr) {
    const bool restart = mMainMenu->IsRestartRequested();
    delete mMainMenu;
    mMainMenu = nullptr;
    DestroyCurrentDictionary();
    if (restart) {
      mReopenOptions = 1;
      mState = kGameMainMenu;
      return;
    }
  } else {
    DestroyCurrentDictionary();
  }
  if (mMakers.level == nullptr) {
    DebugTrace("cGame : no level screen to play %s\n", gGameOptions->GetLevelName().CStr());
    return;
  }
  OpenCache(kLoadingDictionary);
  mLevel = mMakers.level(&mConfig, gGameOptions);
  const s32 levelNumber = LevelNumberOf(gGameOptions->GetLevelName().CStr());
  mLoading = new cScreen_Loading(mLevel->GetLoadable(), LevelLoadSize(levelNumber));
  Push(mLoading);
  mState = kGamePlayLevel;
}

void cGame::PlayLevel() {
  if (mDictionaryCreated) {
    RwTexDictionary* remembered = RwTexDictionaryGetCurrent();
    RwTexDictionarySetCurrent(mCacheDictionary);
    SaveTextureDictionary(kLoadingDictionary);
    RwTexDictionarySetCurrent(remembered);
  }
  delete mLoading;
  mLoading = nullptr;
  DestroyCache();
  mLevel->AttachHud();
  Push(mLevel);
  gInputEnabled = 1;
  mState = kGameLevelOver;
}

void cGame::EndLevel() {
  const bool quit = mLevel->IsQuitRequested();
  delete mLevel;
  mLevel = nullptr;
  if (quit) {
    mState = kGameMainMenu;
  } else {
    NextLevel();
    mState = gGameOptions->GetLevelName() == cString(kLastLevelName) ? kGameEndTexts : kGameLoadLevel;
  }
  DestroyCurrentDictionary();
  DisableSmallBlockPools();
}

void cGame::ShowEndTexts() {
  RwTexDictionarySetCurrent(nullptr);
  mState = kGameEndTextsOver;
  const cPropertyGroup* group = ConfigGroup("end_texts", "cGame : group not found in config file (end_texts)");
  if (mMakers.endTexts != nullptr) {
    mEndScreen = mMakers.endTexts(group);
    Push(mEndScreen);
  }
}

void cGame::ShowCredits() {
  RwTexDictionarySetCurrent(nullptr);
  mState = kGameCreditsOver;
  const cPropertyGroup* group = ConfigGroup("credit_list", "cGame : group not found in config file (credit_list)");
  if (mMakers.credits != nullptr) {
    mCreditsScreen = mMakers.credits(group);
    Push(mCreditsScreen);
  }
}

const cPropertyGroup* cGame::ConfigGroup(const char* name, const char* tag) const {
  const cPropertyGroup* group = mConfig.FindGroup(cString(name));
  if (group == nullptr) {
    FatalGroupNotFound(tag, &mConfig, name);
  }
  return group;
}

void cGame::LoadConfig() {
  if (!mConfig.Load(cString(kConfigFileName))) {
    FatalError("cGame : unable to load config file %s", kConfigFileName);
  }
  const cPropertyGroup* init = ConfigGroup("Init", "cGame : group not found in config file (Init)");
  const cProperty* frameLimit = init->FindProperty(cString("FRAME_LIMIT"));
  if (frameLimit != nullptr) {
    // The key's presence is what counts; its value changes nothing.
    frameLimit->GetS32Fatal();
    EnableFramePacing();
  }
}

void cGame::NextLevel() {
  const cString levelName = gGameOptions->GetLevelName();
  const cPropertyGroup* level = mConfig.FindGroup(levelName);
  if (level == nullptr) {
    FatalGroupNotFound("cGame : group not found in config file (Level)", &mConfig, levelName.CStr());
  }
  const cProperty* hard = level->FindProperty(cString("NEXTSTAGEHARD"));
  if (hard != nullptr && gSaveProfiles->GetHard() != 0) {
    gGameOptions->SetLevelName(hard->GetValue());
    return;
  }
  const cProperty* next = level->FindProperty(cString("NEXTSTAGE"));
  if (next == nullptr) {
    FatalPropertyNotFound("cGame : property not found in config file (Init::NEXTSTAGE)", level, "NEXTSTAGE");
  }
  gGameOptions->SetLevelName(next->GetValue());
}

void cGame::OpenCache(const char* fileName) {
  mCacheDictionary = LoadTextureDictionary(fileName);
  mDictionaryCreated = 0;
  if (mCacheDictionary == nullptr) {
    mCacheDictionary = RwTexDictionaryCreate();
    mDictionaryCreated = 1;
  }
  RwTexDictionarySetCurrent(mCacheDictionary);
}

void cGame::CloseCache(const char* fileName, const char* const* extras, u32 extraCount) {
  if (mDictionaryCreated) {
    RwTexture* read[kMaxExtraCount] = {};
    const u32 count = extraCount < kMaxExtraCount ? extraCount : kMaxExtraCount;
    for (u32 i = 0; i < count; i++) {
      read[i] = ReadTexture(extras[i], false);
    }
    SaveTextureDictionary(fileName);
    for (u32 i = 0; i < count; i++) {
      if (read[i] != nullptr) {
        RwTextureDestroy(read[i]);
      }
    }
  }
  DestroyCache();
}

void cGame::DestroyCache() {
  if (mCacheDictionary != nullptr) {
    RwTexDictionaryDestroy(mCacheDictionary);
    mCacheDictionary = nullptr;
  }
  // The flag belongs to the open cache: a later phase must not write its
  // file from whatever dictionary is current then.
  mDictionaryCreated = 0;
}

void cGame::DestroyCurrentDictionary() {
  RwTexDictionary* current = RwTexDictionaryGetCurrent();
  if (current == nullptr) {
    return;
  }
  if (current == mCacheDictionary) {
    DestroyCache();
    return;
  }
  RwTexDictionaryDestroy(current);
}

cScreen* MakeGame() { return new cGame; }
