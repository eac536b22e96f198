// The HUD's crosshair: one sprite of the crosshair texture over the whole
// widget, drawn through the widget's own camera. Built hidden: aiming shows it.
#pragma once

#include "game/app/screens/widget.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

constexpr const char* kCrosshairTexture = "data/textures/crosshair";

class cWgCrosshair : public cWgWidget {
 public:
  explicit cWgCrosshair(const tWgPlacement& placement);
  ~cWgCrosshair() override;

  bool OnEvent(const tEvent*) override { return false; }
  void Render() override;

  const cSprite2D& GetSprite() const { return *mSprite; }

 private:
  cCamera mCamera;
  cSprite2D* mSprite;
};
