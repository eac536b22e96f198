// The implants' calls into the game camera and the HUD's Ultra overlay.
#include "game/characters/implants/game_camera_link.h"

#include "game/characters/camera/dorva_cam.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "game/render/scene/camera.h"
#include "game/world/qx_world.h"

cCamera* GameView(cQXWorld* world) { return world != nullptr ? world->GetCamera(0) : nullptr; }

f32 GameCameraConfiguredFieldOfView(cQXWorld* world) {
  if (cDorvaCam* camera = world != nullptr ? world->GetGameCamera() : nullptr) {
    return camera->GetConfiguredFieldOfView();
  }
  const cCamera* view = GameView(world);
  return view != nullptr ? view->GetFieldOfView() : kCameraFieldOfView;
}

void SetGameViewFieldOfView(cQXWorld* world, f32 radians) {
  if (cCamera* view = GameView(world)) {
    view->SetFieldOfView(radians);
  }
}

void StartGameCameraAiming(cQXWorld* world) {
  // The game camera turns first-person with its aiming zoom.
  if (cDorvaCam* camera = world != nullptr ? world->GetGameCamera() : nullptr) {
    camera->StartAiming();
  }
}

void TintGameCameraLight(cQXWorld* world, const tRGBAf& colour) {
  if (cDorvaCam* camera = world != nullptr ? world->GetGameCamera() : nullptr) {
    camera->GetDirectionalLight().SetColour(RwRGBAReal{colour.r, colour.g, colour.b, colour.a});
  }
}

void RestoreGameCameraLight(cQXWorld* world) {
  if (cDorvaCam* camera = world != nullptr ? world->GetGameCamera() : nullptr) {
    camera->RestoreLightColour();
  }
}

void EnableUltraOverlay(cQXWorld* world) {
  if (cWgUltraOverlay* overlay = world != nullptr ? world->GetUltraOverlay() : nullptr) {
    overlay->Enable();
  }
}

void DisableUltraOverlay(cQXWorld* world) {
  if (cWgUltraOverlay* overlay = world != nullptr ? world->GetUltraOverlay() : nullptr) {
    overlay->Disable();
  }
}
