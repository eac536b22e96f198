// Load step 14: the pause and death menus of the in-game screen.
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "game/world/qx_world.h"

void cQXWorld::CreateInGameMenus() {
  if (mInGame == nullptr) {
    return;
  }
  mInGame->SetMenus(new cWgMenu_Pause(mInGame), new cWgMenu_Died(mInGame));
}
