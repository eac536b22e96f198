// cInGameRenderer.
#include "game/frontend/ingame/in_game_renderer.h"

#include "game/world/qx_world.h"

cInGameRenderer::cInGameRenderer(cQXWorld* world) : cWgWorldView(world, kGameCameraIndex) {}
