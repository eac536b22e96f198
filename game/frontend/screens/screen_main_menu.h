// The main menu screen: the front end's menus, one shown at a time, the menu
// music a moment after it opens, and the start of a chosen level. It pops
// itself when a level is to be played or, with its restart request, when
// the language changed.
#pragma once

#include "game/frontend/flow/game_phases.h"
#include "game/frontend/menus/wg_menu.h"

enum eMainMenuIndex : u32 {
  kMenuMain = 0,
  kMenuLevel = 1,
  kMenuNewGame = 2,
  kMenuContinue = 3,
  kMenuOption = 4,
  kMenuOptionLanguage = 5,
  kMenuExtras = 6,
  kMenuActors = 7,
  kMenuEpisodes = 8,
  kMenuDifficulty = 9,
  kMenuQuit = 10,
  kMainMenuCount = 11,
};

// Ticks after the construction at which the menu music starts.
constexpr u32 kMainMenuMusicTicks = 25;
constexpr u32 kLevelTableSize = 6;

class cWgMenu_NewGame;

class cScreen_MainMenu : public cMainMenuPhase {
 public:
  // Every menu built, MAIN shown, the music 25 ticks away; config is the
  // game's configuration (the extras' credits read it).
  explicit cScreen_MainMenu(const cPropertyFile* config = nullptr);
  ~cScreen_MainMenu() override;

  // On a tick: the sound update, the music countdown and the music's
  // update. True.
  bool OnEvent(const tEvent* event) override;
  // The shown menu hidden, the menu of the index shown with its first item
  // current, the stack re-laid out, the screen sound. A menu not built
  // (none at that index) changes nothing.
  void SwitchMenu(u32 menu) override;
  bool IsRestartRequested() const override { return mRestartRequested != 0; }
  void RequestRestart() { mRestartRequested = 1; }
  // The level of the table's entry for the item ("level01" for 0) becomes
  // the options' level; the screen pops itself.
  void StartLevel(u32 item);

  bool IsNewGame() const { return mNewGame != 0; }
  void SetNewGame(bool on) { mNewGame = on ? 1 : 0; }
  cWgMenu_Menu* GetMenu(u32 index) const { return index < kMainMenuCount ? mMenus[index] : nullptr; }
  cWgMenu_NewGame* GetNewGameMenu() const { return mNewGameMenu; }
  u32 GetCurrentMenu() const { return mCurrentMenu; }
  u32 GetMusicCountdown() const { return mMusicCountdown; }
  void SetMusicCountdown(u32 ticks) { mMusicCountdown = ticks; }
  const cPropertyFile* GetConfig() const { return mConfig; }
  // The delete window and menu, owned by the screen once made.
  cWgMenu_Menu* GetDeleteWindow() const { return mDeleteWindow; }
  void SetDeleteWindow(cWgMenu_Menu* window) { mDeleteWindow = window; }
  cWgMenu_Menu* GetDeleteMenu() const { return mDeleteMenu; }
  void SetDeleteMenu(cWgMenu_Menu* menu) { mDeleteMenu = menu; }

 private:
  cWgMenu_Menu* mMenus[kMainMenuCount];  // owned; null for a menu not built
  u32 mCurrentMenu;
  u32 mMusicCountdown;
  u8 mRestartRequested;
  u8 mNewGame;
  cWgMenu_Menu* mDeleteWindow;    // owned
  cWgMenu_Menu* mDeleteMenu;      // owned
  cWgMenu_NewGame* mNewGameMenu;  // one of mMenus
  const cPropertyFile* mConfig;
};

// The game's maker of the main menu screen.
cMainMenuPhase* MakeMainMenu(const cPropertyFile* config);
