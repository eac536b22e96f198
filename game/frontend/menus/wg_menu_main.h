// The small menus of the main menu screen: the main menu itself, the level
// and difficulty choices, the language choice inside the options and the
// quit question. Their items switch menus, store one choice or end the
// screen.
#pragma once

#include "game/frontend/menus/wg_menu.h"
#include "game/frontend/menus/wg_menu_window.h"

class cScreen_MainMenu;

// New game, continue (disabled while no profile is used), options, extras
// and quit.
class cWgMenu_Main : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Main(cScreen_MainMenu* owner);
  ~cWgMenu_Main() override;

  // An Escape press opens the quit question; the rest as every menu.
  bool OnEvent(const tEvent* event) override;
  void OnSelect(u32 item) override;
  // Escape is taken by OnEvent: only the pad's back button comes here, and
  // it quits the program at once.
  void OnBack() override;

 private:
  cScreen_MainMenu* mScreen;
};

// The six levels of the table, each started at once.
class cWgMenu_Level : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Level(cScreen_MainMenu* owner);
  ~cWgMenu_Level() override;

  void OnSelect(u32 item) override;
  void OnBack() override;

 private:
  cScreen_MainMenu* mScreen;
};

// Normal or hard, for the profile about to be made.
class cWgMenu_Difficulty : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Difficulty(cScreen_MainMenu* owner);
  ~cWgMenu_Difficulty() override;

  // The hard word, the name entry told its name is ready, back to it.
  void OnSelect(u32 item) override;
  void OnBack() override;

 private:
  cScreen_MainMenu* mScreen;
};

// The language of the menu texts, chosen from the options: another language
// rebuilds the whole screen in it.
class cWgMenu_OptionLanguage : public cWgMenu_Menu {
 public:
  explicit cWgMenu_OptionLanguage(cScreen_MainMenu* owner);
  ~cWgMenu_OptionLanguage() override;

  void OnSelect(u32 item) override;
  void OnBack() override;

 private:
  cScreen_MainMenu* mScreen;
};

// Back to the main menu, or quit the program.
class cWgMenu_Quit : public cWgMenu_Window {
 public:
  explicit cWgMenu_Quit(cScreen_MainMenu* owner);
  ~cWgMenu_Quit() override;

  void OnSelect(u32 item) override;

 private:
  cScreen_MainMenu* mScreen;
};

// The application's quit event, which ends the main loop.
void PostQuit();
