// The "SEARCHING" panel the player's search shows while it runs: a framed
// panel whose bar shows what is left to search.
#pragma once

#include "game/frontend/panels/wg_frame.h"

class cWgSearchingPanel : public cWgFrame {
 public:
  // placement: the widget's own (the player's search gives the whole screen
  // in pixels); the frame stands where every framed panel stands.
  explicit cWgSearchingPanel(const tWgPlacement& placement);
  ~cWgSearchingPanel() override {}
};
