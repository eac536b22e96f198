// The death menu of a running level: back to the last checkpoint (the level
// restarts when none is stored), restart, or back to the main menu.
#pragma once

#include "game/frontend/menus/wg_menu.h"

class cInGame;

enum eDiedItem : u32 {
  kDiedCheckpoint = 0,
  kDiedRestart = 1,
  kDiedQuit = 2,
  kDiedItemCount = 3,
};

class cWgMenu_Died : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Died(cInGame* inGame);

  // Each item ends the death state: the world running again, the player's
  // dying and death-handled flags cleared, game time back.
  void OnSelect(u32 item) override;
  // Escape and pad back do nothing here.
  void OnBack() override {}

 private:
  cInGame* mInGame;
};
