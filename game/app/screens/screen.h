// A screen: the root of a widget tree that stands on the screen stack. The
// top screen is active: it receives every event and is rendered each tick.
#pragma once

#include "game/app/screens/widget.h"

class cScreen_Loader;

class cScreen : public cWgWidget {
 public:
  explicit cScreen(const tWgPlacement& placement = tWgPlacement()) : cWgWidget(placement) {}
  ~cScreen() override {}

  // A tick runs the sound engine's per-frame update; answers false.
  bool OnEvent(const tEvent* event) override;
  void Render() override {}
  // Called by the stack when the screen becomes, or stops being, active.
  virtual void OnActivate() {}
  virtual void OnDeactivate() {}
  // The loader that shows file-read progress while this screen is the
  // game; none by default.
  virtual cScreen_Loader* FindLoadingScreen() { return nullptr; }
};
