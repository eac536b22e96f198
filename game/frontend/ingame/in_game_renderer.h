// The in-game screen's view of the level: the world's scene rendered through
// its camera, under every HUD widget.
#pragma once

#include "game/render/scene/wg_world_view.h"

class cQXWorld;

// The world's scene keeps the game camera at this index.
constexpr u32 kGameCameraIndex = 0;

class cInGameRenderer : public cWgWorldView {
 public:
  // The world is not owned.
  explicit cInGameRenderer(cQXWorld* world);
};
