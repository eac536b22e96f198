// The in-game screen's view of the level: renders the scene's frame through
// the scene's camera into the widget's screen area.
#pragma once

#include "game/app/screens/widget.h"
#include "game/foundation/types.h"

class cScene;

class cWgWorldView : public cWgWidget {
 public:
  // The scene is not owned.
  cWgWorldView(cScene* scene, u32 cameraIndex, const tWgPlacement& placement = tWgPlacement());

  bool OnEvent(const tEvent* event) override;
  // The scene's frame through its camera of the index, when it has one.
  void Render() override;

 private:
  cScene* mScene;
  u32 mCameraIndex;
};
