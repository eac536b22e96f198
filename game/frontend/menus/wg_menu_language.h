// The language choice at the first start: its items pick the language of
// the menu texts; it hides itself whichever is chosen.
#pragma once

#include "game/frontend/menus/wg_menu.h"

class cWgMenu_Language : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Language(cScreen_Menu* owner);
  ~cWgMenu_Language() override;

  // A language other than the options' becomes theirs and the owner's texts
  // are read again in it; then the menu hides itself.
  void OnSelect(u32 item) override;
  // The language must be chosen: no way back.
  void OnBack() override {}
};
