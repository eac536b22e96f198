// The six-piece window border with its background, shared by the framed
// pop-up panels and the HUD tab panel. Positions and sizes are fractions of
// the target of the camera that draws it.
#pragma once

#include "game/foundation/types.h"
#include "game/render/text/sprite2d.h"

constexpr u32 kBorderPieceCount = 6;
constexpr const char* kBorderPanelBackground = "data/hack/panelBackground";
constexpr const char* kBorderTabBackground = "data/textures/keret_bele";
constexpr const char* kBorderPieceName = "data/textures/keret00";

struct tWgBorder {
  // The hack style takes the framed panels' background, else the tab
  // panel's.
  explicit tWgBorder(bool hackStyle);
  ~tWgBorder();
  tWgBorder(const tWgBorder&) = delete;
  tWgBorder& operator=(const tWgBorder&) = delete;

  // Places the sprites in width units on a target of w x h pixels (1.0
  // the target's width, the middle row at half its height), as a HUD
  // widget's camera measures them; until then they are fractions of the
  // target each way.
  void PlaceInWidthUnits(f32 w, f32 h);
  // The background, then the six pieces, through the camera in update.
  void Render();

  cSprite2D* background;
  cSprite2D** pieces;
  u32 count;
};
