// The game object: the bottom screen of the stack, which chains the phases of
// a run (intro, intro movie, main menu, loading, play, next level or end
// texts and credits) and fades to black between them. It owns the options,
// the save profiles, "data/config.txt", the preloaded sounds and the texture
// dictionary of the current front-end phase.
#pragma once

#include "game/app/audio/sound.h"
#include "game/app/screens/screen.h"
#include "game/app/screens/screen_loader.h"
#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/frontend/flow/game_phases.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "game/frontend/screens/screen_intro.h"
#include "game/frontend/screens/screen_loading.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

enum eGameState : u32 {
  kGameIntro = 0,
  kGameMainMenu = 1,
  kGameLoadLevel = 2,
  kGamePlayLevel = 3,
  kGameLevelOver = 4,
  kGameEndTexts = 5,
  kGameEndTextsOver = 6,
  kGameCredits = 7,
  kGameCreditsOver = 8,
};

constexpr u32 kGameSoundCount = 66;
// The fade to black before a step: fade level units (0..255) per second.
constexpr f32 kGameFadeSpeed = 128.0f;
constexpr f32 kGameFadeFull = 255.0f;
// Bytes the main menu screen's build reads, for the menu loader's bar.
constexpr u32 kMenuLoadSize = 31601036;
constexpr char kConfigFileName[] = "data/config.txt";
constexpr char kLastLevelName[] = "level99";
constexpr char kLogosDictionary[] = "data/texdicts/logos.txd";
constexpr char kMenuDictionary[] = "data/texdicts/menu.txd";
constexpr char kLoadingDictionary[] = "data/texdicts/loading.txd";
constexpr char kIntroMovie[] = "final";

class cGame : public cScreen {
 public:
  // The options and save profiles made and set globally, the random
  // generator seeded from the clock, the menu loader and the 66 sounds.
  cGame();
  // Every held screen, the options and profiles, the loader and sounds.
  ~cGame() override;

  cGame(const cGame&) = delete;
  cGame& operator=(const cGame&) = delete;

  // On a tick: the sound update, then (after the fade in every state but 0
  // and 3) the state's step. False.
  bool OnEvent(const tEvent* event) override;
  // The fade quad while the fade level is above 0.
  void Render() override;
  // The level loading screen's loader, else the menu loader while it is
  // linked under the game.
  cScreen_Loader* FindLoadingScreen() override;

  // "data/config.txt" read (fatal when it cannot be), its group "Init"
  // looked up (fatal when missing); FRAME_LIMIT, with any value, turns the
  // frame pacing on.
  void LoadConfig();
  // The options' level name becomes the level group's NEXTSTAGEHARD while
  // the hard difficulty is chosen and it is there, else its NEXTSTAGE; a
  // missing group or NEXTSTAGE is fatal.
  void NextLevel();

  void SetPhaseMakers(const tGamePhaseMakers& makers) { mMakers = makers; }
  u32 GetState() const { return mState; }
  f32 GetFadeLevel() const { return mFadeLevel; }
  const cPropertyFile& GetConfig() const { return mConfig; }
  cScreen_Loader* GetMenuLoader() const { return mMenuLoader; }
  // The level's screen from its creation to its deletion; null otherwise.
  cLevelPhase* GetLevelPhase() const { return mLevel; }
  const cPtrArray& GetSounds() const { return mSounds; }

 private:
  void Step();
  // The configuration read (LoadConfig), then the logos' cache opened and the
  // intro pushed.
  void StartIntro();
  void ShowMainMenu();
  void LoadLevel();
  void PlayLevel();
  void EndLevel();
  void ShowEndTexts();
  void ShowCredits();

  // The dictionary of the file made current, or a new empty one (to be
  // written at the close) when the file is missing.
  void OpenCache(const char* fileName);
  // When the dictionary was made empty: the extras read into it, the file
  // written; then the dictionary destroyed.
  void CloseCache(const char* fileName, const char* const* extras, u32 extraCount);
  // The cache dictionary destroyed, its created flag cleared.
  void DestroyCache();
  // The current dictionary destroyed; nothing when none is current.
  void DestroyCurrentDictionary();
  void ShowMenuLoader();
  const cPropertyGroup* ConfigGroup(const char* name, const char* tag) const;

  cPtrArray mSounds;  // owned cSndEngWin
  cCamera mCamera;
  u32 mState;
  cScreen_Intro* mIntro;
  cMainMenuPhase* mMainMenu;
  u8 mReopenOptions;
  cScreen_Loading* mLoading;
  RwTexDictionary* mCacheDictionary;
  u8 mDictionaryCreated;
  cLevelPhase* mLevel;
  cPropertyFile mConfig;
  f32 mFadeLevel;
  cSprite2D mFadeQuad;
  RwRGBA mFadeColour;
  cScreen* mEndScreen;
  cScreen* mCreditsScreen;
  cScreen_Loader* mMenuLoader;  // owned
  tGamePhaseMakers mMakers;
};

// The front end's game maker for the application holder.
cScreen* MakeGame();
