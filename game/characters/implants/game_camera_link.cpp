// The implants' calls into the game camera and the HUD's Ultra overlay.
#include "game/characters/implants/game_camera_link.h"

#include "game/render/scene/camera.h"
#include "game/world/qx_world.h"

cCamera* GameView(cQXWorld* world) { return world != nullptr ? world->GetCamera(0) : nullptr; }

f32 GameCameraConfiguredFieldOfView(cQXWorld* world) {
  // The game camera's setting FOV, once the world has one:
  //   if (cDorvaCam* camera = world != nullptr ? world->GetGameCamera() : nullptr) {
  //     return camera->GetConfiguredFieldOfView();
  //   }
  const cCamera* view = GameView(world);
  return view != nullptr ? view->GetFieldOfView() : kCameraFieldOfView;
}

void SetGameViewFieldOfView(cQXWorld* world, f32 radians) {
  if (cCamera* view = GameView(world)) {
    view->SetFieldOfView(radians);
  }
}

void StartGameCameraAiming(cQXWorld* world) {
  (void)world;
  // The game camera turns first-person with its aiming zoom:
  //   if (cDorvaCam* camera = world->GetGameCamera()) camera->StartAiming();
}

void TintGameCameraLight(cQXWorld* world, const tRGBAf& colour) {
  (void)world;
  (void)colour;
  // The game camera's directional light takes the tint:
  //   if (cDorvaCam* camera = world->GetGameCamera())
  //     camera->GetDirectionalLight().SetColour({colour.r, colour.g, colour.b, colour.a});
}

void RestoreGameCameraLight(cQXWorld* world) {
  (void)world;
  // The game camera's directional light back to its own colour:
  //   if (cDorvaCam* camera = world->GetGameCamera()) camera->RestoreLightColour();
}

void EnableUltraOverlay(cQXWorld* world) {
  (void)world;
  // The world's Ultra overlay widget starts capturing:
  //   if (cWgUltraOverlay* overlay = world->GetUltraOverlay()) overlay->Enable();
}

void DisableUltraOverlay(cQXWorld* world) {
  (void)world;
  // The world's Ultra overlay widget stops and frees its captures:
  //   if (cWgUltraOverlay* overlay = world->GetUltraOverlay()) overlay->Disable();
}
