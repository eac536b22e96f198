// A screen-space quad through immediate-mode 2D; the caller sets the texture
// and the render states.
#pragma once

#include "game/foundation/types.h"

// One triangle strip (x0, y0), (x0, y1), (x1, y0), (x1, y1) in pixels, all at
// depth z with reciprocal w rhw, opaque white, texture coordinates from
// (o, o) to (o + 1, o + 1) for the offset o.
bool DrawScreenQuad(f32 x0, f32 y0, f32 x1, f32 y1, f32 z, f32 rhw, f32 uvOffset);
