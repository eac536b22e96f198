// The main menu screen.
#include "game/frontend/screens/screen_main_menu.h"

#include <cstdio>

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/frontend/extras/wg_menu_extras.h"
#include "game/frontend/menus/wg_menu_continue.h"
#include "game/frontend/menus/wg_menu_main.h"
#include "game/frontend/menus/wg_menu_new_game.h"
#include "game/frontend/menus/wg_menu_options.h"

namespace {

constexpr u32 kLevelTable[kLevelTableSize] = {1, 2, 3, 4, 5, 6};

}  // namespace

cScreen_MainMenu::cScreen_MainMenu(const cPropertyFile* config)
    : mMenus{},
      mCurrentMenu(kMenuMain),
      mMusicCountdown(kMainMenuMusicTicks),
      mRestartRequested(0),
      mNewGame(0),
      mDeleteWindow(nullptr),
      mDeleteMenu(nullptr),
      mNewGameMenu(nullptr),
      mConfig(config) {
  mMenus[kMenuMain] = new cWgMenu_Main(this);
  mMenus[kMenuLevel] = new cWgMenu_Level(this);
  mNewGameMenu = new cWgMenu_NewGame(this);
  mMenus[kMenuNewGame] = mNewGameMenu;
  mMenus[kMenuContinue] = new cWgMenu_Continue(this);
  mMenus[kMenuOption] = new cWgMenu_Options(this);
  mMenus[kMenuOptionLanguage] = new cWgMenu_OptionLanguage(this);
  mMenus[kMenuExtras] = new cWgMenu_Extras(this);
  mMenus[kMenuActors] = new cWgMenu_Actors(this);
  mMenus[kMenuEpisodes] = new cWgMenu_Episodes(this);
  mMenus[kMenuDifficulty] = new cWgMenu_Difficulty(this);
  mMenus[kMenuQuit] = new cWgMenu_Quit(this);
  SwitchMenu(kMenuMain);
}

cScreen_MainMenu::~cScreen_MainMenu() {
  SwitchMusic(false);
  for (u32 i = 0; i < kMainMenuCount; i++) {
    delete mMenus[i];
  }
  if (mDeleteMenu != nullptr) {
    mDeleteMenu->Hide();
    delete mDeleteMenu;
  }
  if (mDeleteWindow != nullptr) {
    mDeleteWindow->Hide();
    delete mDeleteWindow;
  }
}

bool cScreen_MainMenu::OnEvent(const tEvent* event) {
  if (event->type != kEventTick) {
    return true;
  }
  cScreen::OnEvent(event);
  if (mMusicCountdown != 0) {
    mMusicCountdown--;
    if (mMusicCountdown == 0) {
      SwitchMusic(true);
    }
  }
  GetMusic().Update();
  return true;
}

void cScreen_MainMenu::SwitchMenu(u32 menu) {
  if (menu >= kMainMenuCount || mMenus[menu] == nullptr) {
    return;
  }
  mMenus[mCurrentMenu]->Hide();
  mMenus[menu]->Show();
  mMenus[menu]->SetCurrent(0);
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
  mCurrentMenu = menu;
  GetScreenSound().Play();
}

void cScreen_MainMenu::StartLevel(u32 item) {
  if (item >= kLevelTableSize || gGameOptions == nullptr) {
    return;
  }
  char name[16];
  snprintf(name, sizeof name, "level%02u", kLevelTable[item]);
  gGameOptions->SetLevelName(cString(name));
  if (gScreenStack != nullptr) {
    gScreenStack->Pop();
  }
}

cMainMenuPhase* MakeMainMenu(const cPropertyFile* config) { return new cScreen_MainMenu(config); }
