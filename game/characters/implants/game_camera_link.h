// What the dart, the Ultra, the shield and the player's aiming ask of the
// level's game camera: its view (frame and field of view), its configured
// field of view, its aiming mode and its directional light. The game
// camera's own operations are called from here alone.
#pragma once

#include "game/foundation/types.h"
#include "game/render/colour.h"

class cCamera;
class cQXWorld;

// The camera the level is seen through; null before the world has one.
cCamera* GameView(cQXWorld* world);
// The field of view the camera's settings give (radians); the view's own
// while the settings are not known, 90 degrees without a view.
f32 GameCameraConfiguredFieldOfView(cQXWorld* world);
// Writes the view's field of view (radians).
void SetGameViewFieldOfView(cQXWorld* world, f32 radians);
// The camera's first-person aiming mode.
void StartGameCameraAiming(cQXWorld* world);
// The camera's directional light tinted, and back to its own colour.
void TintGameCameraLight(cQXWorld* world, const tRGBAf& colour);
void RestoreGameCameraLight(cQXWorld* world);
// The overlay widget of the Ultra implant on and off.
void EnableUltraOverlay(cQXWorld* world);
void DisableUltraOverlay(cQXWorld* world);
