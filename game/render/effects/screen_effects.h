// Full-screen effects over a finished frame: the overlay, a flat colour
// blended by its alpha, and the trail, the previous finished frame blended
// over the new one at alpha 230. Both draw one screen quad of the frame
// buffer's size; the trail keeps the last finished frame in the copy raster.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// The render manager's switches of the effects.
struct tScreenEffects {
  RwRGBA overlayColour = {255, 255, 255, 255};
  u8 overlay = 0;
  u8 trail = 0;
  // Set by the first attempt to make the copy raster, whatever its result;
  // cleared to make it again.
  u8 copyRasterReady = 0;
};

// The copy raster (a camera texture of the camera's frame-buffer size and
// format, holding a copy of the frame buffer) and the screen quad of that
// size. False, with "Error creating raster\n" printed, when the raster
// cannot have that size or the copy fails; the quad is built all the same.
bool CreateCopyRaster(RwCamera* camera);
// Copies the camera's frame buffer into the copy raster.
bool RefreshCopyRaster(RwCamera* camera);
// Blends the copy raster over the screen at alpha 230.
void DrawTrailQuad(RwCamera* camera);
// Blends the colour over the screen by its alpha, untextured.
void DrawOverlayQuad(RwCamera* camera, const RwRGBA& colour);
// Destroys the copy raster; the next effect makes it again.
void DestroyCopyRaster();
RwRaster* GetCopyRaster();

// The frame's effects, inside the camera's update after everything else:
// the first frame that asks for an effect, and a frame whose frame buffer
// has another size than the copy's, only make the copy raster; then the
// trail (when the copy holds the previous frame; the copy is refreshed after
// it) and the overlay, in that order.
void RenderScreenEffects(RwCamera* camera, tScreenEffects* effects);
