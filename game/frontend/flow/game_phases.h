// The screens of the game flow's phases that other parts of the front end
// bring: the main menu screen, the level's screen, the end texts and the
// credits. The game object asks each of them only what these classes give;
// their makers are installed in the game object, and a phase without its
// maker is passed over (see cGame).
#pragma once

#include "game/app/loadable.h"
#include "game/app/screens/screen.h"
#include "game/foundation/property.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/save/game_options.h"

// The main menu screen: it pops itself when a level is to be played (the
// options' level name set) or with its restart request when the language
// changed.
class cMainMenuPhase : public cScreen_Menu {
 public:
  virtual void SwitchMenu(u32 menu) = 0;
  virtual bool IsRestartRequested() const = 0;
};

// The level's screen (the in-game screen), owning the level world; a menu
// screen, for its pause and death menus.
class cLevelPhase : public cScreen_Menu {
 public:
  // The world's staged load, driven by the loading screen.
  virtual cLoadable* GetLoadable() = 0;
  virtual void AttachHud() = 0;
  // Set when the player left the level for the main menu.
  virtual bool IsQuitRequested() const = 0;
  // The screen's menu side (font and menu texts), on which the framed
  // panels open; null when it has none.
  virtual cScreen_Menu* GetMenuScreen() { return nullptr; }
};

struct tGamePhaseMakers {
  cMainMenuPhase* (*mainMenu)(const cPropertyFile* config);
  cLevelPhase* (*level)(cPropertyFile* config, cGameOptions* options);
  cScreen* (*endTexts)(const cPropertyGroup* group);
  cScreen* (*credits)(const cPropertyGroup* group);
};
