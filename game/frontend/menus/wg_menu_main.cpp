// The main menu screen's small menus.
#include "game/frontend/menus/wg_menu_main.h"

#include "game/app/app_events.h"
#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/frontend/menus/wg_menu_new_game.h"
#include "game/frontend/save/save_profiles.h"
#include "game/frontend/screens/screen_main_menu.h"

namespace {

const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
const tWgPlacement kQuitPlacement = tWgPlacement::Fractions(0.15f, 0.2f, 0.7f, 0.6f);

constexpr u32 kMainItems = 5;
constexpr u32 kContinueItem = 1;
constexpr u32 kMainSwitches[kMainItems] = {kMenuNewGame, kMenuContinue, kMenuOption, kMenuExtras, kMenuQuit};
constexpr u32 kLevelItems = 6;
constexpr u32 kDifficultyItems = 2;
constexpr u32 kLanguageItems = 2;
constexpr u32 kQuitItems = 2;

}  // namespace

void PostQuit() { AppEventHandler(kAppEventQuit, 0); }

cWgMenu_Main::cWgMenu_Main(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "MAIN", kMainItems, tWgPlacement(), kTextPlacement), mScreen(owner) {
  if (gSaveProfiles == nullptr || gSaveProfiles->GetUsedCount() == 0) {
    EnableItem(kContinueItem, false);
  }
}

cWgMenu_Main::~cWgMenu_Main() {}

bool cWgMenu_Main::OnEvent(const tEvent* event) {
  if (event->type == kEventKey && event->key.keyCode == kKeyEsc && event->key.pressed) {
    mScreen->SwitchMenu(kMenuQuit);
    return false;
  }
  cWgMenu_Menu::OnEvent(event);
  return false;
}

void cWgMenu_Main::OnSelect(u32 item) {
  if (item < kMainItems) {
    mScreen->SwitchMenu(kMainSwitches[item]);
  }
}

void cWgMenu_Main::OnBack() { PostQuit(); }

cWgMenu_Level::cWgMenu_Level(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "LEVEL", kLevelItems, tWgPlacement(), kTextPlacement), mScreen(owner) {}

cWgMenu_Level::~cWgMenu_Level() {}

void cWgMenu_Level::OnSelect(u32 item) { mScreen->StartLevel(item); }

void cWgMenu_Level::OnBack() { mScreen->SwitchMenu(kMenuMain); }

cWgMenu_Difficulty::cWgMenu_Difficulty(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "DIFFICULTY", kDifficultyItems, tWgPlacement(), kTextPlacement), mScreen(owner) {}

cWgMenu_Difficulty::~cWgMenu_Difficulty() {}

void cWgMenu_Difficulty::OnSelect(u32 item) {
  if (gSaveProfiles != nullptr) {
    gSaveProfiles->SetHard(item);
  }
  if (mScreen->GetNewGameMenu() != nullptr) {
    mScreen->GetNewGameMenu()->SetNameReady();
  }
  mScreen->SwitchMenu(kMenuNewGame);
}

void cWgMenu_Difficulty::OnBack() { mScreen->SwitchMenu(kMenuNewGame); }

cWgMenu_OptionLanguage::cWgMenu_OptionLanguage(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "OPTION_LANGUAGE", kLanguageItems, tWgPlacement(), kTextPlacement), mScreen(owner) {}

cWgMenu_OptionLanguage::~cWgMenu_OptionLanguage() {}

void cWgMenu_OptionLanguage::OnSelect(u32 item) {
  if (gGameOptions == nullptr || gGameOptions->GetLanguage() == item) {
    return;
  }
  gGameOptions->SetLanguage(item);
  mScreen->RequestRestart();
  if (gScreenStack != nullptr) {
    gScreenStack->Pop();
  }
}

void cWgMenu_OptionLanguage::OnBack() { mScreen->SwitchMenu(kMenuOption); }

cWgMenu_Quit::cWgMenu_Quit(cScreen_MainMenu* owner)
    : cWgMenu_Window(owner, "QUIT", kQuitItems, kQuitPlacement), mScreen(owner) {}

cWgMenu_Quit::~cWgMenu_Quit() {}

void cWgMenu_Quit::OnSelect(u32 item) {
  if (item == 0) {
    mScreen->SwitchMenu(kMenuMain);
  } else if (item == 1) {
    PostQuit();
  }
}
