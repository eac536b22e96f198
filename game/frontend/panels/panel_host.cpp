// The panels' road to the running in-game screen: application holder, game
// object, its level screen.
#include "game/frontend/panels/panel_host.h"

#include "game/app/application.h"
#include "game/frontend/flow/game.h"

namespace {

cScreen_Menu* FindThroughGame() {
  if (gApplication == nullptr || gApplication->GetGame() == nullptr) {
    return nullptr;
  }
  // The holder's game is the front end's game object.
  cLevelPhase* level = static_cast<cGame*>(gApplication->GetGame())->GetLevelPhase();
  return level != nullptr ? level->GetMenuScreen() : nullptr;
}

tPanelScreenFinder sFinder = FindThroughGame;

}  // namespace

cScreen_Menu* FindPanelScreen() { return sFinder(); }

void SetPanelScreenFinder(tPanelScreenFinder finder) { sFinder = finder != nullptr ? finder : FindThroughGame; }
