// The map view's quit key: every event of a key bound to "QUITAPP", down or
// up, raises the quit application event, which ends the main loop at the end
// of its iteration.
#pragma once

#include "game/app/input/input_action.h"

class cMapAction_QuitApp : public cInputAction {
 public:
  cMapAction_QuitApp() : cInputAction("QUITAPP") {}

  void OnKey(const tEvent* event) override;
};
